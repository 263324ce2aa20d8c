#pragma once

#include "ui_dictionary_page.h"

#include <QWidget>

// The dictionary tab's widgets and captions; behaviour lives in DictionaryPage.
class DictionaryPageForm : public QWidget, public Ui::DictionaryPageForm
{
    Q_OBJECT
public:
    explicit DictionaryPageForm(QWidget *parent = nullptr) : QWidget(parent) { setupUi(this); }
};
