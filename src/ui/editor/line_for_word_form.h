#pragma once

#include "ui_line_for_word_form.h"

#include <QWidget>

class line_ForWordForm : public QWidget, public Ui::line_ForWordForm
{
    Q_OBJECT
public:
    explicit line_ForWordForm(QWidget *parent = nullptr) : QWidget(parent) { setupUi(this); }
};
