#pragma once

#include <QList>
#include <QString>

#include <memory>

class Dictionary;
class DictionaryHistory;
class Interaction;
class QWidget;
class iniReader;
struct Card;

// The dictionary page's card operations: add, add a copy, edit, delete and
// archive. Each takes the id of the card in the table's current row (0 for a
// header row or none), does its work as one undoable command of the history,
// whose signals bring the table up to date, and shows its messages through
// `ui` (caption "Словарь"). The editor runs through
// `ui.runDialog`, so a test can fill it in and press its buttons.
//
// The last lesson typed into the editor presets the lesson of the next new
// card; it lives as long as this object.
class CardEditActions
{
public:
    // The editor's priority spin boxes go up to this value.
    static constexpr int kHighestPriority = 5;

    // Every change goes through `history`, one undoable command each.
    CardEditActions(DictionaryHistory &history, iniReader &settings, Interaction &ui,
                    QWidget *parentWindow);
    // With a history of its own.
    CardEditActions(Dictionary &dict, iniReader &settings, Interaction &ui, QWidget *parentWindow);
    ~CardEditActions();

    // A fresh card in the last lesson ("Добавление карточки"). Works without
    // a current card, so an empty dictionary can get its first card. Returns
    // the new card's id, 0 when none was added.
    int addWord(int currentCardId);
    // A copy of the current card, keeping its file and lesson, with a new id
    // (returned; 0 when none was added).
    int addCopy(int currentCardId);
    // The current card ("Редактирование карточки"), replaced on "Применить";
    // true when it was.
    bool edit(int currentCardId);
    // Asks "Удалить выделенную карточку?"; refused while a run is going.
    // True when the card was deleted.
    bool remove(int currentCardId, bool runRunning);
    // Marks the current card archived; no question, nothing for an archived
    // card. True when it was archived.
    bool toArchive(int currentCardId);

    const QString &lastLesson() const { return m_lastLesson; }

    static QString deleteQuestion();

private:
    // Runs the editor on `card`; true when it was applied.
    bool runEditor(Card &card, const QString &caption);
    std::optional<Card> currentCard(int id);
    int addFrom(Card card, const QString &text);

    std::unique_ptr<DictionaryHistory> m_ownHistory;
    DictionaryHistory &m_history;
    Dictionary &m_dict;
    iniReader &m_settings;
    Interaction &m_ui;
    QWidget *m_parent;
    QString m_lastLesson;
};
