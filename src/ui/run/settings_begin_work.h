#pragma once

#include "ui_settings_begin_work.h"

#include <QDialog>

// The start dialog's widgets and captions; behaviour lives in VSettingsBeginWork.
class SETTINGS_BEGIN_WORK : public QDialog, public Ui::SETTINGS_BEGIN_WORK
{
    Q_OBJECT
public:
    explicit SETTINGS_BEGIN_WORK(QWidget *parent = nullptr) : QDialog(parent) { setupUi(this); }
};
