#pragma once

#include "core/dictionary/card.h"

#include <QHash>
#include <QString>
#include <QStringView>

#include <algorithm>
#include <initializer_list>
#include <vector>

// The fixed fields of a stored card. Its words (foreign words, translations,
// categories, sound) are packed into one run of code units in a text block
// of the store: counts and lengths as units, each string followed by '\0'.
struct CardRecord {
    quint32 block = 0;  // index into the store's blocks
    quint32 offset = 0; // of the words in the block, in code units
    quint32 size = 0;   // of the words, in code units
    int id = 0;
    int runMark = 0;
    quint32 lesson = 0; // index into the store's names
    quint32 file = 0;   // index into the store's names
    int nPER = 1;
    int pER = 1;
    int rER = 0;
    int aER = 0;
    int nPRE = 1;
    int pRE = 1;
    int rRE = 0;
    int aRE = 0;
    bool nAr = true;
    bool inFilter = true;
};

// The eight counters from a Card to a record or back: both name them alike.
template <class To, class From> void copyCounters(To &to, const From &from)
{
    to.nPER = from.nPER;
    to.pER = from.pER;
    to.rER = from.rER;
    to.aER = from.aER;
    to.nPRE = from.nPRE;
    to.pRE = from.pRE;
    to.rRE = from.rRE;
    to.aRE = from.aRE;
}

// Reads the packed words of one card, in their order.
class CardWordsReader
{
public:
    explicit CardWordsReader(const char16_t *p) : m_p(p) {}
    quint32 count()
    {
        const quint32 u = *m_p++;
        if (u < 0x8000)
            return u;
        return ((u & 0x7FFF) << 16) | quint32(*m_p++);
    }
    QStringView string()
    {
        const quint32 n = count();
        if (n == 0)
            return QStringView();
        const QStringView s(m_p, qsizetype(n));
        m_p += n + 1;
        return s;
    }
    void skipString()
    {
        const quint32 n = count();
        if (n)
            m_p += n + 1;
    }
    bool flag() { return *m_p++ != 0; }
    const char16_t *position() const { return m_p; }

private:
    const char16_t *m_p;
};

// Packs words the way CardWordsReader reads them. A count whose number is
// known only afterwards gets a placeholder, set once its list is done.
namespace CardWordsWriter
{
inline void putCount(std::vector<char16_t> &out, quint32 n)
{
    if (n < 0x8000) {
        out.push_back(char16_t(n));
    } else {
        out.push_back(char16_t(0x8000 | (n >> 16)));
        out.push_back(char16_t(n & 0xFFFF));
    }
}
inline void putString(std::vector<char16_t> &out, QStringView s)
{
    putCount(out, quint32(s.size()));
    if (s.isEmpty())
        return;
    // Most words are a few units: a plain loop into room made once beats
    // insert()'s call to memmove (measured on the reader).
    const size_t n = size_t(s.size());
    if (out.capacity() - out.size() < n + 1)
        out.reserve(std::max(out.capacity() * 2, out.size() + n + 1));
    for (const char16_t *p = s.utf16(), *end = p + n; p != end; ++p)
        out.push_back(*p);
    out.push_back(u'\0');
}
inline size_t placeholder(std::vector<char16_t> &out)
{
    out.push_back(0);
    return out.size() - 1;
}
// Only the placeholder last set may need a second unit: lists inside it
// are set first, and nothing before it moves.
inline void setCount(std::vector<char16_t> &out, size_t at, quint32 n)
{
    if (n < 0x8000) {
        out[at] = char16_t(n);
    } else {
        out[at] = char16_t(0x8000 | (n >> 16));
        out.insert(out.begin() + qsizetype(at) + 1, char16_t(n & 0xFFFF));
    }
}
} // namespace CardWordsWriter

class CardStore;

// One stored card, read in place: the fixed fields, and the words walked
// without making strings. Valid until the store changes.
class CardView
{
public:
    CardView(const CardStore *store, const CardRecord *record) : m_store(store), m_rec(record) {}

    const CardRecord &record() const { return *m_rec; }
    int id() const { return m_rec->id; }
    int runMark() const { return m_rec->runMark; }
    bool inFilter() const { return m_rec->inFilter; }
    bool nAr() const { return m_rec->nAr; }
    const QString &filePath() const;
    const QString &lesson() const;

    QStringView soundPath() const { return CardWordsReader(words()).string(); }
    // f(word, transcription, autoCheck)
    template <class F> void forEachForeign(F f) const
    {
        CardWordsReader r = foreignStart();
        for (quint32 n = r.count(); n > 0; --n) {
            const bool check = r.flag();
            const QStringView w = r.string();
            const QStringView t = r.string();
            f(w, t, check);
        }
    }
    int foreignCount() const { return int(foreignStart().count()); }
    // `has`: the card has the word at all.
    QStringView firstForeignWord(bool *has = nullptr) const
    {
        CardWordsReader r = foreignStart();
        const bool any = r.count() > 0;
        if (has)
            *has = any;
        if (!any)
            return QStringView();
        r.flag();
        return r.string();
    }
    // The sections in order: section(code), then group() and
    // variant(word, info) for what it holds.
    template <class V> void visitTranslations(V &&v) const
    {
        CardWordsReader r = translationsStart();
        for (quint32 s = r.count(); s > 0; --s) {
            v.section(r.string());
            for (quint32 g = r.count(); g > 0; --g) {
                v.group();
                for (quint32 k = r.count(); k > 0; --k) {
                    const QStringView w = r.string();
                    const QStringView i = r.string();
                    v.variant(w, i);
                }
            }
        }
    }
    // f(word, info) for every Russian word, in order.
    template <class F> void forEachVariant(F f) const
    {
        struct Visit {
            F &f;
            void section(QStringView) {}
            void group() {}
            void variant(QStringView w, QStringView i) { f(w, i); }
        } visit{f};
        visitTranslations(visit);
    }
    // f(code) for every section.
    template <class F> void forEachSectionCode(F f) const
    {
        struct Visit {
            F &f;
            void section(QStringView c) { f(c); }
            void group() {}
            void variant(QStringView, QStringView) {}
        } visit{f};
        visitTranslations(visit);
    }
    int sectionCount() const { return int(translationsStart().count()); }
    // The first word of the first meaning, or none.
    QStringView firstTranslationWord(bool *has = nullptr) const
    {
        CardWordsReader r = translationsStart();
        bool any = r.count() > 0;
        if (any) {
            r.skipString();
            any = r.count() > 0 && r.count() > 0; // groups, then variants
        }
        if (has)
            *has = any;
        return any ? r.string() : QStringView();
    }
    template <class F> void forEachCategory(F f) const
    {
        CardWordsReader r(categoriesStart());
        for (quint32 n = r.count(); n > 0; --n)
            f(r.string());
    }

    // The card as a value, for editing; its strings share the store's text.
    Card card() const;
    // `text`, a part of this card's words, as a string sharing the store's
    // text: while it lives, the same address holds the same text.
    QString shared(QStringView text) const;

    const char16_t *words() const;
    // At the count of the foreign words.
    CardWordsReader foreignWordsReader() const { return foreignStart(); }
    // The packed translations: equal exactly when the translations are.
    QStringView translationsPart() const
    {
        const char16_t *from = translationsStart().position();
        return QStringView(from, categoriesStart() - from);
    }

private:
    CardWordsReader foreignStart() const
    {
        CardWordsReader r(words());
        r.skipString(); // sound
        return r;
    }
    CardWordsReader translationsStart() const;
    const char16_t *categoriesStart() const;

    const CardStore *m_store;
    const CardRecord *m_rec;
};

// The cards of a dictionary, compact: a record of fixed fields per card, the
// words of all cards in shared text blocks, lessons and file paths once
// each. A Card is made from it on demand and written back whole.
//
// Blocks are reference counted like Qt's strings, whose blocks they are:
// copies of a store, and strings of cards made from it, share them. Only
// the store that began a block appends to it, and only past what anyone
// else can see. A card written again leaves its old words behind; the store
// packs itself anew when more than half its text is such.
class CardStore
{
public:
    CardStore() = default;
    CardStore(const CardStore &other);
    CardStore &operator=(const CardStore &other);
    CardStore(CardStore &&other) noexcept;
    CardStore &operator=(CardStore &&other) noexcept;
    ~CardStore();

    int size() const { return int(m_records.size()); }
    bool isEmpty() const { return m_records.empty(); }
    const CardRecord &record(int pos) const { return m_records[size_t(pos)]; }
    CardRecord &record(int pos) { return m_records[size_t(pos)]; }
    CardView view(int pos) const { return CardView(this, &m_records[size_t(pos)]); }
    Card card(int pos) const { return view(pos).card(); }
    const QString &name(quint32 index) const { return m_names[index]; }
    const char16_t *words(const CardRecord &r) const;

    // The cards at `positions`, in that order, sharing this store's text.
    CardStore select(const std::vector<int> &positions) const;

    void reserve(int n) { m_records.reserve(size_t(n)); }
    // Whether any card belongs to the file `path` ("" = new cards). A name
    // never stored answers at once; any other is looked for by its index in
    // the records, not as text.
    bool hasFile(const QString &path) const;
    // Records there is room for without growing.
    int capacity() const { return int(m_records.capacity()); }
    // Appends `card` with the id given.
    void append(const Card &card, int id);
    // The index of a lesson or file name, for records made by the caller.
    quint32 internName(const QString &name) { return intern(name); }
    // Appends a card read from a file: its fixed fields (names by
    // internName) and its words packed by CardWordsWriter, in parts given
    // in order (sound, foreign words, translations, categories).
    void appendPacked(const CardRecord &fixed,
                      std::initializer_list<const std::vector<char16_t> *> parts);
    // Moves every card of `other` to the end, ids from `firstId` on (or
    // their own when 0), sharing its blocks rather than copying its text.
    void take(CardStore &&other, int firstId = 0);
    // Gives back the unused tail of the block being appended to; the next
    // card starts a new block. For a store that is done growing, such as one
    // piece of a file: hundreds of them would each keep half a block empty.
    void squeeze();
    // Every card made anew, in order.
    QList<Card> cards() const;
    // A store of `cards`, each with its own id.
    static CardStore fromCards(const QList<Card> &cards);
    // Appends the card at `pos` of `other` as it is there, marks included.
    void appendFrom(const CardStore &other, int pos);
    // Writes `card` over the one at `pos`; the id stays.
    void replace(int pos, const Card &card);
    void setFile(int pos, const QString &path) { m_records[size_t(pos)].file = intern(path); }
    // Keeps the cards for which keep(pos) is true, in order.
    template <class Keep> void keepIf(Keep keep)
    {
        size_t to = 0;
        for (size_t from = 0; from < m_records.size(); ++from) {
            if (keep(int(from)))
                m_records[to++] = m_records[from];
            else
                m_garbage += m_records[from].size;
        }
        m_records.resize(to);
        afterRemoval();
    }
    void removeAt(int pos);
    // Position i receives the card that was at order[i].
    void permute(const std::vector<int> &order);
    void clear();
    void swap(CardStore &other) noexcept;

    // The heap this store holds, for the benchmarks.
    qint64 textUnits() const { return m_units; }

private:
    quint32 intern(const QString &s);
    char16_t *reserveUnits(quint32 n, quint32 *block, quint32 *offset);
    void encode(const Card &card, CardRecord &rec);
    void afterRemoval();
    void compact();
    void releaseBlocks();

    std::vector<CardRecord> m_records;
    struct Block {
        QArrayData *header; // one reference held by this store
        char16_t *data;
    };
    std::vector<Block> m_blocks;
    // The block this store appends to, and its free tail; none in a copy.
    quint32 m_current = 0;
    char16_t *m_next = nullptr;
    char16_t *m_end = nullptr;
    qint64 m_units = 0;   // written in blocks
    qint64 m_garbage = 0; // of them, words no record points to
    std::vector<QString> m_names;
    QHash<QString, quint32> m_nameIndex;
    std::vector<char16_t> m_scratch;

    friend class CardView;
};

// Card::sameContent of two stored cards: everything a file stores.
bool sameContent(const CardView &a, const CardView &b);

inline const char16_t *CardStore::words(const CardRecord &r) const
{
    return m_blocks[r.block].data + r.offset;
}

inline const char16_t *CardView::words() const
{
    return m_store->words(*m_rec);
}

inline const QString &CardView::filePath() const
{
    return m_store->m_names[m_rec->file];
}

inline const QString &CardView::lesson() const
{
    return m_store->m_names[m_rec->lesson];
}
