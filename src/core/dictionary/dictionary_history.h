#pragma once

#include "core/dictionary/card.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QUndoStack>
#include <QtCore/qnamespace.h>

#include <functional>

class Dictionary;

// The Russian names of the undoable changes, shown after "Отменить: " and
// "Повторить: ".
namespace HistoryText
{
// "1 карточки", "3 карточек", "21 карточки": the genitive after a noun.
QString cardsGenitive(int n);
QString addCard();          // "добавление карточки"
QString addCopy();          // "добавление копии карточки"
QString editCard();         // "редактирование карточки"
QString removeCards(int n); // "удаление 3 карточек"
QString toArchive();        // "перенос карточки в архив"
QString convertCards(int n); // "преобразование текста: добавление 5 карточек"
QString join();                         // "объединение файлов"
QString resetState();                   // "сброс состояния обучения"
QString undoEntry(const QString &text); // "Отменить: …", or "Отменить" for none
QString redoEntry(const QString &text); // "Повторить: …", or "Повторить" for none
} // namespace HistoryText

// What a key press means to the history: Ctrl+Z undoes, Ctrl+Shift+Z and
// Ctrl+Y redo, also with the Russian layout active (Я and Н are on the same
// keys).
enum class HistoryKey { None, Undo, Redo };
HistoryKey historyKey(int key, Qt::KeyboardModifiers modifiers);

// The undo history of the user's card changes, beside the dictionary. The
// window's card operations go through it; each is one command on a
// QUndoStack, which stores only the cards it changes (with their ids and
// positions) and changes them back through the dictionary's own
// operations, so the same signals repaint the table.
//
// Changes that do not come through here (a run's counters, the file jobs)
// are not commands. The stack is emptied whenever the dictionary's card list
// or its set of files changes outside a command (open, close, save as, the
// delete of the new cards) and when a run starts (see clear()).
//
// The dictionary's modified flag follows the stack: it is set while the
// stack is away from its clean point or something outside the stack changed
// the cards since the last save; a save marks the clean point.
class DictionaryHistory : public QObject
{
    Q_OBJECT
public:
    // Commands kept; older ones drop off the bottom.
    static constexpr int kUndoLimit = 1000;

    explicit DictionaryHistory(Dictionary &dict, QObject *parent = nullptr);
    ~DictionaryHistory() override;

    Dictionary &dictionary() { return m_dict; }
    const QUndoStack &stack() const { return m_stack; }

    // While this says a run is going, changes are made directly and not
    // recorded (a later undo would overwrite the run's counters), and undo
    // and redo refuse.
    void setRunningCheck(std::function<bool()> running) { m_running = std::move(running); }

    bool canUndo() const;
    bool canRedo() const;
    QString undoText() const { return m_stack.undoText(); }
    QString redoText() const { return m_stack.redoText(); }
    int count() const { return m_stack.count(); }
    // Undoes or redoes one command; returns the card the table should show
    // afterwards (0: none), or -1 when there was nothing to do.
    int undo();
    int redo();
    // The last undo or redo added or removed cards (the table is rebuilt).
    bool lastStepChangedCardSet() const { return m_cardSetChanged; }

    // Empties the stack; what it held stays in the cards, so the modified
    // flag keeps its value. Called when a run starts.
    void clear();

    // ---- the undoable operations; each returns what the dictionary's
    // operation returns.
    QList<int> addCards(const QList<Card> &cards, const QString &text);
    bool editCard(const Card &card);
    QList<int> removeCards(const QList<int> &ids);
    // Marks a card archived; false for none or an archived one.
    bool toArchive(int id);
    // Sets the learning state of every card back (resetDictionaryState);
    // returns the number of cards whose priority was lowered.
    int resetLearningState();
    // An import: `updated` (cards of the dictionary, by id) replace theirs
    // and `added` join as new cards, as one command; returns the new ids.
    QList<int> importCards(const QList<Card> &added, const QList<Card> &updated,
                           const QString &text);
    // Runs the join (`doJoin`, which moves the cards of `source` to
    // `target` or refuses) and records what it moved.
    void join(const QString &source, const QString &target, const std::function<void()> &doJoin);

    // Something that is no command counts as a change since the last save
    // (a cancelled join, which has always marked the dictionary changed).
    void markChanged();

    // For the commands.
    class Command;
    class Guard;

private:
    void push(Command *command);
    void syncModified();
    void outsideChange();
    void outsideReset();

    Dictionary &m_dict;
    QUndoStack m_stack;
    std::function<bool()> m_running;
    // Something not on the stack changed the cards since the last save.
    bool m_baseDirty = false;
    int m_inCommand = 0;
    bool m_syncing = false;
    bool m_cardSetChanged = false;
    int m_focus = 0;
};
