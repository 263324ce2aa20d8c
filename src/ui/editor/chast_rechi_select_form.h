#pragma once

#include "ui_chast_rechi_select_form.h"

#include <QDialog>

class chastRechiSelectForm : public QDialog, public Ui::chastRechiSelectForm
{
    Q_OBJECT
public:
    explicit chastRechiSelectForm(QWidget *parent = nullptr) : QDialog(parent) { setupUi(this); }
};
