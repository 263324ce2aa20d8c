#include "core/dictionary/dictionary_history.h"

#include "core/common/latin_key.h"
#include "core/common/russian_plural.h"

#include "core/dictionary/dictionary.h"
#include "core/run/run_state.h"

#include <QHash>

#include <algorithm>
#include <utility>
#include <vector>

// ---------------------------------------------------------------- texts

QString HistoryText::cardsGenitive(int n)
{
    return QString::number(n) + QLatin1Char(' ') +
           russianPlural(n, QStringLiteral("карточки"), QStringLiteral("карточек"),
                         QStringLiteral("карточек"));
}

QString HistoryText::addCard()
{
    return QStringLiteral("добавление карточки");
}

QString HistoryText::addCopy()
{
    return QStringLiteral("добавление копии карточки");
}

QString HistoryText::editCard()
{
    return QStringLiteral("редактирование карточки");
}

QString HistoryText::removeCards(int n)
{
    return QStringLiteral("удаление ") + cardsGenitive(n);
}

QString HistoryText::toArchive()
{
    return QStringLiteral("перенос карточки в архив");
}

QString HistoryText::convertCards(int n)
{
    return QStringLiteral("преобразование текста: добавление ") + cardsGenitive(n);
}

QString HistoryText::join()
{
    return QStringLiteral("объединение файлов");
}

QString HistoryText::resetState()
{
    return QStringLiteral("сброс состояния обучения");
}

QString HistoryText::undoEntry(const QString &text)
{
    return text.isEmpty() ? QStringLiteral("Отменить") : QStringLiteral("Отменить: ") + text;
}

QString HistoryText::redoEntry(const QString &text)
{
    return text.isEmpty() ? QStringLiteral("Повторить") : QStringLiteral("Повторить: ") + text;
}

HistoryKey historyKey(int key, Qt::KeyboardModifiers modifiers)
{
    const Qt::KeyboardModifiers mods = modifiers & ~Qt::KeypadModifier;
    // The physical key, whatever the layout (Я and Н in the Russian one).
    const int latin = latinKeyFor(key, 0, 0, modifiers);
    const bool z = latin == Qt::Key_Z;
    const bool y = latin == Qt::Key_Y;
    if (z && mods == Qt::ControlModifier)
        return HistoryKey::Undo;
    if ((z && mods == (Qt::ControlModifier | Qt::ShiftModifier)) ||
        (y && mods == Qt::ControlModifier))
        return HistoryKey::Redo;
    return HistoryKey::None;
}

// ---------------------------------------------------------------- commands

// Signals of the dictionary inside a command are the history's own.
class DictionaryHistory::Guard
{
public:
    explicit Guard(DictionaryHistory &h) : m_h(h) { ++m_h.m_inCommand; }
    ~Guard() { --m_h.m_inCommand; }
    Guard(const Guard &) = delete;
    Guard &operator=(const Guard &) = delete;

private:
    DictionaryHistory &m_h;
};

class DictionaryHistory::Command : public QUndoCommand
{
public:
    Command(DictionaryHistory &h, const QString &text) : QUndoCommand(text), m_h(h) {}
    void redo() final
    {
        Guard g(m_h);
        m_h.m_focus = doRedo();
    }
    void undo() final
    {
        Guard g(m_h);
        m_h.m_focus = doUndo();
    }
    // Adds or removes cards (the table is rebuilt after an undo or redo).
    virtual bool changesCardSet() const { return false; }

protected:
    // Both return the card to show afterwards, 0 for none.
    virtual int doRedo() = 0;
    virtual int doUndo() = 0;
    Dictionary &dict() { return m_h.m_dict; }

private:
    DictionaryHistory &m_h;
};

namespace
{

// Cards and their positions, in position order: a selection of the
// dictionary's store, which shares its text rather than copying it.
struct Placed {
    std::vector<int> positions;
    CardStore cards;
    bool empty() const { return positions.empty(); }
    int size() const { return int(positions.size()); }
};

// The cards with these ids (each once) and their positions.
Placed placedCards(const Dictionary &dict, const QList<int> &ids)
{
    Placed out;
    out.positions.reserve(size_t(ids.size()));
    for (int id : ids) {
        const int pos = dict.indexOfId(id);
        if (pos >= 0)
            out.positions.push_back(pos);
    }
    std::sort(out.positions.begin(), out.positions.end());
    out.positions.erase(std::unique(out.positions.begin(), out.positions.end()),
                        out.positions.end());
    out.cards = dict.store().select(out.positions);
    return out;
}

QList<int> idsOf(const Placed &placed)
{
    QList<int> ids;
    ids.reserve(placed.size());
    for (int i = 0; i < placed.size(); ++i)
        ids.append(placed.cards.record(i).id);
    return ids;
}

// Puts `card`'s document fields in place; the marks of the view and the run
// are not the document's and stay.
void putCard(Dictionary &dict, const Card &card)
{
    const std::optional<Card> now = dict.cardById(card.id);
    if (!now)
        return;
    Card c = card;
    c.inFilter = now->inFilter;
    c.runMark = now->runMark;
    dict.setCard(c);
}

class AddCommand : public DictionaryHistory::Command
{
public:
    AddCommand(DictionaryHistory &h, const QList<Card> &cards, const QString &text)
        : Command(h, text), m_new(cards), m_count(int(cards.size()))
    {
    }
    bool changesCardSet() const override { return true; }
    int addedCount() const { return m_count; }

protected:
    int doRedo() override
    {
        if (m_placed.empty()) {
            m_ids = dict().addNewCards(m_new);
            m_new.clear();
            m_placed = placedCards(dict(), m_ids);
        } else {
            dict().restoreCards(m_placed.positions, m_placed.cards);
        }
        return m_ids.value(0);
    }
    int doUndo() override
    {
        dict().removeCards(m_ids);
        return 0;
    }

private:
    QList<Card> m_new;
    int m_count;
    QList<int> m_ids;
    Placed m_placed;
};

class RemoveCommand : public DictionaryHistory::Command
{
public:
    RemoveCommand(DictionaryHistory &h, Placed placed)
        : Command(h, HistoryText::removeCards(int(placed.size()))), m_placed(std::move(placed)),
          m_ids(idsOf(m_placed))
    {
    }
    bool changesCardSet() const override { return true; }

protected:
    int doRedo() override
    {
        dict().removeCards(m_ids);
        return 0;
    }
    int doUndo() override
    {
        dict().restoreCards(m_placed.positions, m_placed.cards);
        return m_placed.empty() ? 0 : m_placed.cards.record(0).id;
    }

private:
    Placed m_placed;
    QList<int> m_ids;
};

class EditCommand : public DictionaryHistory::Command
{
public:
    EditCommand(DictionaryHistory &h, Card before, Card after, const QString &text)
        : Command(h, text), m_before(std::move(before)), m_after(std::move(after))
    {
    }

protected:
    int doRedo() override
    {
        putCard(dict(), m_after);
        return m_after.id;
    }
    int doUndo() override
    {
        putCard(dict(), m_before);
        return m_before.id;
    }

private:
    Card m_before;
    Card m_after;
};

// Only the cards the reset changes, and only their counters.
class ResetCommand : public DictionaryHistory::Command
{
public:
    struct Counters {
        int id, pER, rER, aER, pRE, rRE, aRE;
    };
    ResetCommand(DictionaryHistory &h, std::vector<Counters> old)
        : Command(h, HistoryText::resetState()), m_old(std::move(old))
    {
        m_ids.reserve(qsizetype(m_old.size()));
        for (const Counters &c : m_old)
            m_ids.append(c.id);
    }

protected:
    int doRedo() override
    {
        dict().updateCounters(m_ids, [](CardRecord &c) { resetCardLearningState(c); });
        return 0;
    }
    int doUndo() override
    {
        // m_old is in id order (the ids were taken in vector order and sorted).
        dict().updateCounters(m_ids, [this](CardRecord &c) {
            const auto it = std::lower_bound(m_old.cbegin(), m_old.cend(), c.id,
                                             [](const Counters &o, int id) { return o.id < id; });
            if (it == m_old.cend() || it->id != c.id)
                return;
            c.pER = it->pER;
            c.rER = it->rER;
            c.aER = it->aER;
            c.pRE = it->pRE;
            c.rRE = it->rRE;
            c.aRE = it->aRE;
        });
        return 0;
    }

private:
    std::vector<Counters> m_old;
    QList<int> m_ids;
};

class JoinCommand : public DictionaryHistory::Command
{
public:
    JoinCommand(DictionaryHistory &h, QList<int> ids, QString source, QString target)
        : Command(h, HistoryText::join()), m_ids(std::move(ids)), m_source(std::move(source)),
          m_target(std::move(target))
    {
    }

protected:
    int doRedo() override
    {
        // The join itself already moved the cards when the command was made.
        if (m_done) {
            m_done = false;
            return 0;
        }
        dict().moveCardsToFile(m_ids, m_target, m_source);
        return 0;
    }
    int doUndo() override
    {
        dict().moveCardsToFile(m_ids, m_source, QString());
        return 0;
    }

private:
    QList<int> m_ids;
    QString m_source;
    QString m_target;
    bool m_done = true;
};

// Cards changed and cards added by one import, taken back together.
class ImportCommand : public DictionaryHistory::Command
{
public:
    ImportCommand(DictionaryHistory &h, const QList<Card> &added, QList<Card> before,
                  QList<Card> after, const QString &text)
        : Command(h, text), m_add(h, added, text), m_before(std::move(before)),
          m_after(std::move(after))
    {
    }
    bool changesCardSet() const override { return true; }

protected:
    int doRedo() override
    {
        putAll(m_after);
        const int first = m_add.addedCount() ? m_add.redoNow() : 0;
        return first ? first : (m_after.isEmpty() ? 0 : m_after.first().id);
    }
    int doUndo() override
    {
        if (m_add.addedCount())
            m_add.undoNow();
        putAll(m_before);
        return m_before.isEmpty() ? 0 : m_before.first().id;
    }

private:
    // The add part, run inside this command's guard.
    class Adder : public AddCommand
    {
    public:
        using AddCommand::AddCommand;
        int redoNow() { return doRedo(); }
        void undoNow() { doUndo(); }
    };
    void putAll(const QList<Card> &cards)
    {
        if (cards.isEmpty())
            return;
        QHash<int, const Card *> byId;
        byId.reserve(cards.size());
        QList<int> ids;
        ids.reserve(cards.size());
        for (const Card &c : cards) {
            byId.insert(c.id, &c);
            ids.append(c.id);
        }
        // One signal for all: the marks of the view and the run stay.
        dict().updateCards(ids, [&byId](Card &c) {
            const Card *put = byId.value(c.id);
            if (!put)
                return;
            const bool inFilter = c.inFilter;
            const int runMark = c.runMark;
            c = *put;
            c.inFilter = inFilter;
            c.runMark = runMark;
        });
        for (const Card &c : cards)
            dict().addLesson(c.lesson);
    }

    Adder m_add;
    QList<Card> m_before;
    QList<Card> m_after;
};

} // namespace

// ---------------------------------------------------------------- history

DictionaryHistory::DictionaryHistory(Dictionary &dict, QObject *parent)
    : QObject(parent), m_dict(dict)
{
    m_stack.setUndoLimit(kUndoLimit);
    m_baseDirty = dict.isModified();
    connect(&m_stack, &QUndoStack::indexChanged, this, &DictionaryHistory::syncModified);
    connect(&m_stack, &QUndoStack::cleanChanged, this, &DictionaryHistory::syncModified);
    connect(&dict, &Dictionary::cardsChanged, this, &DictionaryHistory::outsideChange);
    connect(&dict, &Dictionary::cardsAdded, this, &DictionaryHistory::outsideChange);
    connect(&dict, &Dictionary::cardsRemoved, this, &DictionaryHistory::outsideChange);
    connect(&dict, &Dictionary::cardsReset, this, &DictionaryHistory::outsideReset);
    connect(&dict, &Dictionary::filesChanged, this, &DictionaryHistory::outsideReset);
    connect(&dict, &Dictionary::modifiedChanged, this, [this](bool modified) {
        if (m_inCommand || m_syncing)
            return;
        if (modified) {
            m_baseDirty = true;
            return;
        }
        // A save: what the stack holds now is what the files hold.
        m_baseDirty = false;
        m_syncing = true;
        m_stack.setClean();
        m_syncing = false;
    });
}

DictionaryHistory::~DictionaryHistory()
{
    // The stack's commands must not report to a half-destroyed history.
    disconnect(&m_stack, nullptr, this, nullptr);
}

void DictionaryHistory::outsideChange()
{
    if (!m_inCommand)
        m_baseDirty = true;
}

void DictionaryHistory::outsideReset()
{
    // Commands name ids, positions and files: after an open, a close or a
    // save as they could name cards and files that are gone or others.
    if (!m_inCommand)
        clear();
}

void DictionaryHistory::syncModified()
{
    if (m_syncing)
        return;
    m_syncing = true;
    m_dict.setModified(m_baseDirty || !m_stack.isClean());
    m_syncing = false;
}

void DictionaryHistory::clear()
{
    if (m_stack.count() == 0)
        return;
    m_baseDirty = m_dict.isModified();
    m_stack.clear();
    syncModified();
}

bool DictionaryHistory::canUndo() const
{
    return m_stack.canUndo() && !(m_running && m_running()) && !m_dict.isBusy();
}

bool DictionaryHistory::canRedo() const
{
    return m_stack.canRedo() && !(m_running && m_running()) && !m_dict.isBusy();
}

int DictionaryHistory::undo()
{
    if (!canUndo())
        return -1;
    const auto *cmd = static_cast<const Command *>(m_stack.command(m_stack.index() - 1));
    m_cardSetChanged = cmd->changesCardSet();
    m_focus = 0;
    m_stack.undo();
    return m_focus;
}

int DictionaryHistory::redo()
{
    if (!canRedo())
        return -1;
    const auto *cmd = static_cast<const Command *>(m_stack.command(m_stack.index()));
    m_cardSetChanged = cmd->changesCardSet();
    m_focus = 0;
    m_stack.redo();
    return m_focus;
}

void DictionaryHistory::push(Command *command)
{
    if (m_running && m_running()) {
        // During a run the change is made but not recorded: the stack was
        // emptied at the start, and a later undo would undo run counters.
        command->redo();
        delete command;
        m_baseDirty = true;
        syncModified();
        return;
    }
    m_stack.push(command);
}

QList<int> DictionaryHistory::addCards(const QList<Card> &cards, const QString &text)
{
    if (cards.isEmpty())
        return {};
    // The new cards take the next ids, one after another.
    const int first = m_dict.idCounter() + 1;
    push(new AddCommand(*this, cards, text));
    QList<int> ids;
    ids.reserve(cards.size());
    for (int id = first; id <= m_dict.idCounter(); ++id)
        ids.append(id);
    return ids;
}

bool DictionaryHistory::editCard(const Card &card)
{
    const std::optional<Card> before = m_dict.cardById(card.id);
    if (!before)
        return false;
    push(new EditCommand(*this, *before, card, HistoryText::editCard()));
    return true;
}

QList<int> DictionaryHistory::removeCards(const QList<int> &ids)
{
    // An id named twice is one card.
    Placed placed = placedCards(m_dict, ids);
    if (placed.empty())
        return {};
    const QList<int> removed = idsOf(placed);
    push(new RemoveCommand(*this, std::move(placed)));
    return removed;
}

bool DictionaryHistory::toArchive(int id)
{
    const std::optional<Card> card = id > 0 ? m_dict.cardById(id) : std::nullopt;
    if (!card || !card->nAr)
        return false;
    Card after = *card;
    after.nAr = false;
    push(new EditCommand(*this, *card, after, HistoryText::toArchive()));
    return true;
}

int DictionaryHistory::resetLearningState()
{
    std::vector<ResetCommand::Counters> old;
    int lowered = 0;
    // Only the counters take part: read from the records, not whole cards.
    const CardStore &store = m_dict.store();
    for (int i = 0; i < store.size(); ++i) {
        const CardRecord &c = store.record(i);
        if (c.nPER < c.pER || c.nPRE < c.pRE)
            ++lowered;
        CardRecord reset = c;
        resetCardLearningState(reset);
        if (reset.pER != c.pER || reset.rER != c.rER || reset.aER != c.aER || reset.pRE != c.pRE ||
            reset.rRE != c.rRE || reset.aRE != c.aRE)
            old.push_back({c.id, c.pER, c.rER, c.aER, c.pRE, c.rRE, c.aRE});
    }
    // Nothing to set back: no command, and the dictionary stays as it is.
    if (old.empty())
        return lowered;
    std::sort(old.begin(), old.end(), [](const auto &a, const auto &b) { return a.id < b.id; });
    push(new ResetCommand(*this, std::move(old)));
    return lowered;
}

QList<int> DictionaryHistory::importCards(const QList<Card> &added, const QList<Card> &updated,
                                          const QString &text)
{
    QList<Card> before;
    QList<Card> after;
    before.reserve(updated.size());
    after.reserve(updated.size());
    for (const Card &c : updated) {
        const std::optional<Card> held = m_dict.cardById(c.id);
        if (!held)
            continue;
        before.append(*held);
        after.append(c);
    }
    if (added.isEmpty() && after.isEmpty())
        return {};
    const int first = m_dict.idCounter() + 1;
    push(new ImportCommand(*this, added, std::move(before), std::move(after), text));
    QList<int> ids;
    ids.reserve(added.size());
    for (int id = first; id <= m_dict.idCounter(); ++id)
        ids.append(id);
    return ids;
}

void DictionaryHistory::join(const QString &source, const QString &target,
                             const std::function<void()> &doJoin)
{
    QList<int> ids;
    for (int i = 0; i < m_dict.cardCount(); ++i)
        if (m_dict.view(i).filePath() == source)
            ids.append(m_dict.view(i).id());
    {
        Guard g(*this);
        doJoin();
    }
    const std::optional<Card> first = ids.isEmpty() ? std::nullopt : m_dict.cardById(ids.first());
    const bool moved = first ? first->filePath == target && source != target
                             : !source.isEmpty() && !m_dict.openFiles().count(source) &&
                                   m_dict.openFiles().count(target);
    if (!moved) {
        // A refused or cancelled join marks the dictionary as changed all
        // the same (see DictionaryFiles::joinCancelled); no undo takes that.
        markChanged();
        return;
    }
    push(new JoinCommand(*this, ids, source, target));
}

void DictionaryHistory::markChanged()
{
    m_baseDirty = true;
    syncModified();
}
