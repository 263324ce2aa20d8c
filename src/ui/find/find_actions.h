#pragma once

#include "core/find/dictionary_search.h"

#include <QObject>
#include <QString>

#include <functional>

class Dictionary;
class FilterSettings;
class Interaction;
class iniReader;
class QWidget;

// Finding cards on the dictionary page: the filter dialog, the search (the
// dialog and "search next") and the card information box. The page owns one
// for the program's whole life, because the search history and the
// remembered options outlive each dialog.
//
// The page wires:
//   toolButton6_filter   -> callFilter(); then set the filter icon and, when
//                           it returned true, refill the table and fit columns
//   toolButton10_findWord, Ctrl+F on the table -> findInDict()
//   F3 on the table      -> searchAgain()
//   F1, "Инфо (F1)"      -> wordInfo(id of the current row, 0 for none)
//   showCardRequested(id) -> select that card's row, show the dictionary tab,
//                            focus the table
class FindActions : public QObject
{
    Q_OBJECT
public:
    // `settings` is the main settings store (the filter dialog's geometry);
    // dialogs are children of `parentWindow`, which also owns this object.
    FindActions(Dictionary &dict, FilterSettings &filter, iniReader &settings, Interaction &ui,
                QWidget *parentWindow);

    // While this returns true the filter dialog does not open (a run is going).
    void setRunningCheck(std::function<bool()> running) { m_running = std::move(running); }

    // Runs the filter dialog; true when the filter differs afterwards, so the
    // host refills the table. The host sets the filter icon in either case.
    bool callFilter();

    // Runs the search dialog (not with an empty dictionary) and searches
    // once when it is accepted.
    void findInDict();
    // Searches on from the last match; warnings and the restart question go
    // through the interaction layer; a match emits showCardRequested.
    void searchNext();
    // F3: searches on only when the last text is longer than one character;
    // returns whether it did.
    bool searchAgain();

    // Shows the information box of the card `id`; 0 or less (a header row, no
    // row) does nothing.
    void wordInfo(int id);

    const DictionarySearch &search() const { return m_search; }
    DictionarySearch &search() { return m_search; }

    // The filter button's picture (a file of the icons folder) for this filter.
    static QString filterIconFile(const FilterSettings &filter, bool running);

signals:
    void showCardRequested(int id);

private:
    Dictionary &m_dict;
    FilterSettings &m_filter;
    iniReader &m_settings;
    Interaction &m_ui;
    QWidget *m_parentWindow;
    std::function<bool()> m_running;
    DictionarySearch m_search;
};
