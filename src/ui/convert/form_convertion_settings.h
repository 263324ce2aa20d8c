#pragma once

#include "ui_form_convertion_settings.h"

#include <QDialog>

// The conversion dialog's widgets and captions; behaviour lives in
// VFormConvertionSettings.
class FormConvertionSettings : public QDialog, public Ui::FormConvertionSettings
{
    Q_OBJECT
public:
    explicit FormConvertionSettings(QWidget *parent = nullptr) : QDialog(parent) { setupUi(this); }
};
