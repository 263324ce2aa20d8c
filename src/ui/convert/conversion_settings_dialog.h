#pragma once

#include "ui/convert/form_convertion_settings.h"

class Interaction;
struct ConversionOptions;

// Asks how converted cards are grouped into lessons and which reading to
// use. Built for one conversion and run modally; "Конвертировать" writes the
// choice into the caller's options.
class VFormConvertionSettings : public FormConvertionSettings
{
    Q_OBJECT
public:
    // `ui` shows the window's warnings.
    VFormConvertionSettings(QWidget *parent, ConversionOptions &options, Interaction &ui);

public slots:
    // An empty pattern is refused with a warning and the dialog stays open.
    void slot_accept_clicked();
    void slot_cancel_clicked();

private:
    ConversionOptions &m_options;
    Interaction &m_ui;
};
