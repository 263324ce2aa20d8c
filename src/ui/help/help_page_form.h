#pragma once

#include "ui_help_page.h"

#include <QWidget>

// The help tab's widgets and captions; behaviour lives in HelpPage.
class HelpPage_Form : public QWidget, public Ui::HelpPage_Form
{
    Q_OBJECT
public:
    explicit HelpPage_Form(QWidget *parent = nullptr) : QWidget(parent) { setupUi(this); }
};
