#pragma once

#include "core/dictionary/card.h"
#include "core/dictionary/card_store.h"

#include <QList>
#include <QObject>
#include <QString>

#include <optional>
#include <set>
#include <utility>
#include <vector>

using StringSet = std::set<QString>;

// A card of a dictionary read in place, whose marks of a view or a run
// (not part of the document) may be set.
class MarkedCard : public CardView
{
public:
    MarkedCard(const CardStore *store, CardRecord *record)
        : CardView(store, record), m_mutable(record)
    {
    }
    void setInFilter(bool in) { m_mutable->inFilter = in; }
    void setRunMark(int mark) { m_mutable->runMark = mark; }

private:
    CardRecord *m_mutable;
};

// The dictionary document: the union of all open dictionary files, as one
// compact store of cards, the open file paths, the lesson and
// category sets, the modified flag and the file job that runs.
//
// All state is private; every change goes through a named operation that
// says what changed with a signal, so views listen instead of being told by
// hand. Everything that outlives one call names a card by its id; every
// operation that adds, removes or reorders cards keeps the id-to-position
// index right, so lookups are O(1) and never scan.
class Dictionary : public QObject
{
    Q_OBJECT
public:
    // The file job that runs; while one runs, nothing else may touch files
    // or cards (the window's actions are disabled and their slots refuse).
    enum class Job { None, Open, Save, SaveAs, Close, Join, Convert };

    explicit Dictionary(QObject *parent = nullptr);
    ~Dictionary() override;

    // ---- reading; nothing here counts as a change
    // Cards are stored compact (see CardStore): reading a card in place is a
    // view, valid until the next change; a Card is made on demand.
    const CardStore &store() const { return m_store; }
    int cardCount() const { return m_store.size(); }
    CardView view(int pos) const { return m_store.view(pos); }
    Card cardAt(int pos) const { return m_store.card(pos); }
    // Every card made anew: for tests and whole-dictionary work that needs
    // the values; loops over many cards read views.
    QList<Card> cards() const;
    std::optional<Card> cardById(int id) const;
    bool hasCard(int id) const { return indexOfId(id) >= 0; }
    int indexOfId(int id) const;
    QList<Card> cardsOfFile(const QString &path) const;
    // Positions of the cards of `path` ("" = new cards), in order.
    std::vector<int> positionsOfFile(const QString &path) const;
    bool hasNewCards() const;
    const StringSet &openFiles() const { return m_openFiles; }
    const StringSet &lessons() const { return m_lessons; }
    const StringSet &categoryList() const { return m_categories; }
    int idCounter() const { return m_idCounter; }
    bool isModified() const { return m_modified; }
    Job job() const { return m_job; }
    bool isBusy() const { return m_job != Job::None; }
    // Changes whenever the cards' contents or order change, and is never the
    // same for two dictionaries: caches of card texts compare it. Reading a
    // card never changes it.
    quint64 revision() const { return m_revision; }

    // ---- cards
    // The reader's entry point: gives the card the next id and appends it.
    // Not a change of the user's (the modified flag stays).
    int addCard(const Card &card);
    // The same for a store of cards read at once (their text moves over
    // without a copy); returns the first new id.
    int addCards(CardStore &&cards);
    void reserve(int n) { m_store.reserve(n); }
    // The editor's and converter's entry point: appends copies with new ids
    // (their lessons join the lesson set) and returns the ids.
    QList<int> addNewCards(const QList<Card> &newCards);
    // The one way to change a card: `f(Card &)` may change any field but the
    // id. The dictionary then counts as modified; false when there is no
    // such card.
    template <class F> bool updateCard(int id, F f)
    {
        if (!hasCard(id))
            return false;
        updateCards({id}, f);
        return true;
    }
    // The same for the listed cards at once, with one signal.
    template <class F> void updateCards(const QList<int> &ids, F f)
    {
        QList<int> changed;
        for (int id : ids) {
            const int i = indexOfId(id);
            if (i < 0)
                continue;
            Card c = m_store.card(i);
            f(c);
            Q_ASSERT(c.id == id);
            m_store.replace(i, c);
            changed.append(id);
        }
        if (!changed.isEmpty())
            cardsUpdated(changed);
    }
    // The same for changes of the counters and flags alone, in place:
    // `f(CardRecord &)` must change nothing else.
    template <class F> void updateCounters(const QList<int> &ids, F f)
    {
        QList<int> changed;
        for (int id : ids) {
            const int i = indexOfId(id);
            if (i < 0)
                continue;
            CardRecord &r = m_store.record(i);
            const CardRecord before = r;
            f(r);
            Q_ASSERT(r.id == before.id && r.block == before.block && r.offset == before.offset &&
                     r.size == before.size && r.lesson == before.lesson && r.file == before.file);
            changed.append(id);
        }
        if (!changed.isEmpty())
            cardsUpdated(changed);
    }
    // Puts `card` in the place of the card with the same id (its lesson
    // joins the lesson set); false when there is none.
    bool setCard(const Card &card);
    // Changes every card, for changes of the whole dictionary (the reset of
    // the learning state); `f` must not change ids.
    template <class F> void updateAllCards(F f)
    {
        for (int i = 0; i < m_store.size(); ++i) {
            Card c = m_store.card(i);
            f(c);
            m_store.replace(i, c);
        }
        allCardsUpdated();
    }
    // Marks of a view or a run that are not part of the document (`inFilter`,
    // `runMark`): `f(MarkedCard &)` reads the card and sets only these. No
    // signal, no change.
    template <class F> void updateMarks(F f)
    {
        for (int i = 0; i < m_store.size(); ++i) {
            MarkedCard c(&m_store, &m_store.record(i));
            f(c);
        }
    }
    template <class F> bool updateMarksOf(int id, F f)
    {
        const int i = indexOfId(id);
        if (i < 0)
            return false;
        MarkedCard c(&m_store, &m_store.record(i));
        f(c);
        return true;
    }
    // Erases every card whose id is listed; returns the ids really erased.
    QList<int> removeCards(const QList<int> &ids);
    bool removeCard(int id) { return !removeCards({id}).isEmpty(); }
    // Puts cards back with their own ids, each at its position in the
    // vector as it will be afterwards (`entries` sorted by position; a
    // position past the end appends). The undo of a delete and the redo of
    // an add: ids are never renumbered, the vector is rebuilt once. Cards
    // whose id is held already are skipped; returns the ids put back.
    QList<int> restoreCards(const std::vector<std::pair<int, Card>> &entries);
    // The same with the cards in a store (cards.record(i) at positions[i]).
    QList<int> restoreCards(const std::vector<int> &positions, const CardStore &cards);
    // Reorders the vector for the table: position i receives the card that
    // was at order[i]. `order` must be a permutation of 0..cardCount()-1.
    // Not a change of the user's.
    void reorder(const std::vector<int> &order);

    // ---- files
    // Cards read elsewhere (with ids of their own) enter with new ids,
    // their lessons join; `path` becomes an open file.
    QList<int> adoptFile(const QString &path, Dictionary &loaded);
    // A file that is open without cards of its own yet (a file whose cards
    // were all deleted stays open the same way).
    void addOpenFile(const QString &path);
    // Drops the files' cards and the files.
    void closeFiles(const QStringList &paths);
    void removeNewCards();
    // Gives the cards of `from` ("" = new cards) the path `to`, which becomes
    // an open file in place of `from`.
    void moveToFile(const QString &from, const QString &to);
    // Gives the listed cards the path `to` ("" = new cards), which becomes
    // an open file, and drops `closing` from the open files (none when
    // empty): a join and its undo, which must move exactly these cards.
    void moveCardsToFile(const QList<int> &ids, const QString &to, const QString &closing);
    // The cards at `positions` were saved to `path` in this order (a save
    // as of the whole dictionary): they take that order and path, and
    // `path` replaces the open files.
    void savedAs(const std::vector<int> &order, const QString &path);
    void setCategoryList(const StringSet &categories);
    void addLesson(const QString &lesson);
    void setLessons(const StringSet &lessons);
    void setModified(bool modified);
    // Becomes a copy of `other`: cards with their ids, files, lessons,
    // categories and the modified flag (a snapshot to compare against).
    void assign(const Dictionary &other);
    // Empties everything but the category list.
    void clear();
    // Takes the cards, files and lessons of `staged`, a copy of this
    // dictionary that an open changed on a worker thread, as they are
    // (ids, order, marks and revision: what was computed of them there
    // stays valid); `staged` gets the old ones. The open's last step, done
    // on the window's thread in constant time.
    void takeOver(Dictionary &staged);

    // Hands the cards over (with their ids) and leaves none, for moving the
    // cards of a dictionary read elsewhere into another one without copies.
    CardStore takeCards();

    // Only the file operations set the job (see JobScope in DictionaryFiles).
    void setJob(Job job);

signals:
    // Many cards changed at once (files opened or closed, a save as):
    // views rebuild.
    void cardsReset();
    void cardsChanged(const QList<int> &ids);
    void cardsAdded(const QList<int> &ids);
    void cardsRemoved(const QList<int> &ids);
    // The open files or the cards' files changed.
    void filesChanged();
    void modifiedChanged(bool modified);
    void busyChanged(bool busy);

private:
    static quint64 nextRevision();
    void touch() { m_revision = nextRevision(); }
    void reindex();
    void cardsUpdated(const QList<int> &ids);
    void allCardsUpdated();
    void rebuildLessons();
    template <class Pred> void eraseIf(Pred pred);

    CardStore m_store;
    // Position of each id (ids are dense: 1..m_idCounter); -1 for none.
    std::vector<int> m_index;
    StringSet m_openFiles;
    StringSet m_lessons;
    StringSet m_categories;
    int m_idCounter = 0;
    bool m_modified = false;
    Job m_job = Job::None;
    quint64 m_revision = nextRevision();
};
