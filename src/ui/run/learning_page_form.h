#pragma once

#include "ui_learning_page.h"

#include <QWidget>

// The learning tab's widgets and captions; behaviour lives in LearningPage.
class LearningPageForm : public QWidget, public Ui::LearningPageForm
{
    Q_OBJECT
public:
    explicit LearningPageForm(QWidget *parent = nullptr) : QWidget(parent) { setupUi(this); }
};
