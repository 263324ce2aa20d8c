#pragma once

#include "core/find/dictionary_search.h"
#include "ui/find/search_form.h"

class Interaction;

// "Поиск в словаре": asks for the text and the options of a search. Built for
// one use and run modally; "Найти" hands the text to the search state, which
// keeps it together with the history and the remembered buttons.
class VSearchDialog : public SearchDialog
{
    Q_OBJECT
public:
    // The text list shows the history newest first; the buttons start as they
    // were at the last accepted search. `ui` shows the window's warnings.
    VSearchDialog(QWidget *parent, DictionarySearch &search, Interaction &ui);

public slots:
    // An empty text is refused with a warning and the dialog stays open.
    void slot_accept();

private:
    DictionarySearch &m_search;
    Interaction &m_ui;
};
