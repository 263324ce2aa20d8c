#pragma once

#include <QList>
#include <QString>

class Dictionary;
class Interaction;
class QWidget;
class iniReader;
struct Card;

// What one of the card operations did, for the host to bring its table up
// to date without rebuilding it.
struct CardEditOutcome {
    enum Kind {
        Nothing, // no change (cancelled, refused, no card row)
        Added,   // `id` is a new card: append its row at the end, scroll to it, select it
        Changed, // the card `id` changed in place: repaint its row (texts and height)
        Removed  // the card `id` is gone: drop its row, select the row above, keep the scroll
    };
    Kind kind = Nothing;
    int id = 0;

    bool changedDictionary() const { return kind != Nothing; }
};

// The dictionary page's card operations: add, add a copy, edit, delete and
// archive. Each takes the id of the card in the table's current row (0 for a
// header row or none), does its work on the Dictionary, shows its messages
// through `ui` (caption "Словарь") and tells the host what changed; the host
// then updates its rows and button states. The editor runs through
// `ui.runDialog`, so a test can fill it in and press its buttons.
//
// The last lesson typed into the editor presets the lesson of the next new
// card; it lives as long as this object.
class CardEditActions
{
public:
    // The editor's priority spin boxes go up to this value.
    static constexpr int kHighestPriority = 5;

    CardEditActions(Dictionary &dict, iniReader &settings, Interaction &ui, QWidget *parentWindow);

    // A fresh card in the last lesson ("Добавление карточки"). Works without
    // a current card, so an empty dictionary can get its first card.
    CardEditOutcome addWord(int currentCardId);
    // A copy of the current card, keeping its file and lesson, with a new id.
    CardEditOutcome addCopy(int currentCardId);
    // The current card ("Редактирование карточки"), replaced on "Применить".
    CardEditOutcome edit(int currentCardId);
    // Asks "Удалить выделенную карточку?"; refused while a run is going.
    CardEditOutcome remove(int currentCardId, bool runRunning);
    // Marks the current card archived; no question, nothing for an archived card.
    CardEditOutcome toArchive(int currentCardId);

    const QString &lastLesson() const { return m_lastLesson; }

    static QString deleteQuestion();

private:
    // Runs the editor on `card`; true when it was applied.
    bool runEditor(Card &card, const QString &caption);
    const Card *currentCard(int id);
    CardEditOutcome addFrom(Card card);

    Dictionary &m_dict;
    iniReader &m_settings;
    Interaction &m_ui;
    QWidget *m_parent;
    QString m_lastLesson;
};
