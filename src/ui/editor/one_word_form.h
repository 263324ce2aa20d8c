#pragma once

#include "ui_one_word_form.h"

#include <QDialog>

class OneWord_Form : public QDialog, public Ui::OneWord_Form
{
    Q_OBJECT
public:
    explicit OneWord_Form(QWidget *parent = nullptr) : QDialog(parent) { setupUi(this); }
};
