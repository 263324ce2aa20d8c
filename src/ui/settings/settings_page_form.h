#pragma once

#include "ui_settings_page.h"

#include <QWidget>

// The settings tab's widgets and captions; behaviour lives in SettingsPage.
class SettingsPage_Form : public QWidget, public Ui::SettingsPage_Form
{
    Q_OBJECT
public:
    explicit SettingsPage_Form(QWidget *parent = nullptr) : QWidget(parent) { setupUi(this); }
};
