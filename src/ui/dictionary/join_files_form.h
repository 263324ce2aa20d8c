#pragma once

#include "ui_join_files_form.h"

#include <QDialog>

class join_files_Form : public QDialog, public Ui::join_files_Form
{
    Q_OBJECT
public:
    explicit join_files_Form(QWidget *parent = nullptr) : QDialog(parent) { setupUi(this); }
};
