#pragma once

#include "ui_main_form1.h"

#include <QMainWindow>

// The main window's widgets and captions; behaviour lives in Vmain_form.
class main_Form1 : public QMainWindow, public Ui::main_Form1
{
    Q_OBJECT
public:
    explicit main_Form1(QWidget *parent = nullptr) : QMainWindow(parent) { setupUi(this); }
};
