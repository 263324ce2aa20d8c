#pragma once

#include "ui_search_form.h"

#include <QDialog>

// The search dialog's widgets and captions; behaviour lives in VSearchDialog.
class SearchDialog : public QDialog, public Ui::SearchDialog
{
    Q_OBJECT
public:
    explicit SearchDialog(QWidget *parent = nullptr) : QDialog(parent) { setupUi(this); }
};
