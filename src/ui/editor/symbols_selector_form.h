#pragma once

#include "ui_symbols_selector_form.h"

#include <QWidget>

class symbols_selector_Form : public QWidget, public Ui::symbols_selector_Form
{
    Q_OBJECT
public:
    explicit symbols_selector_Form(QWidget *parent = nullptr) : QWidget(parent) { setupUi(this); }
};
