#pragma once

#include "ui_form_tools.h"

#include <QMainWindow>

// The tools window's widgets and captions; behaviour lives in VForm_tools.
class Form_tools : public QMainWindow, public Ui::Form_tools
{
    Q_OBJECT
public:
    explicit Form_tools(QWidget *parent = nullptr) : QMainWindow(parent) { setupUi(this); }
};
