#pragma once

#include "ui_choose_a_category_form.h"

#include <QDialog>

class choose_aCategoryForm : public QDialog, public Ui::choose_aCategoryForm
{
    Q_OBJECT
public:
    explicit choose_aCategoryForm(QWidget *parent = nullptr) : QDialog(parent) { setupUi(this); }
};
