#pragma once

#include "ui_export_form.h"

#include <QDialog>

class ExportForm : public QDialog, public Ui::ExportForm
{
    Q_OBJECT
public:
    explicit ExportForm(QWidget *parent = nullptr) : QDialog(parent) { setupUi(this); }
};
