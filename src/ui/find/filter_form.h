#pragma once

#include "ui_filter_form.h"

#include <QDialog>

// The filter dialog's widgets and captions; behaviour lives in VSet_Filter_Dialog.
class MyDialog2_filter : public QDialog, public Ui::MyDialog2_filter
{
    Q_OBJECT
public:
    explicit MyDialog2_filter(QWidget *parent = nullptr) : QDialog(parent) { setupUi(this); }
};
