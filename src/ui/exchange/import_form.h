#pragma once

#include "ui_import_form.h"

#include <QDialog>

class ImportForm : public QDialog, public Ui::ImportForm
{
    Q_OBJECT
public:
    explicit ImportForm(QWidget *parent = nullptr) : QDialog(parent) { setupUi(this); }
};
