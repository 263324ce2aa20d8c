#include "core/dictionary/card_store.h"

#include "core/dictionary/in_place_order.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace
{

// 64 KB: a handful of blocks per thousand cards, and little held by a card
// that outlives the rest of its block.
constexpr quint32 kBlockUnits = 32 * 1024 - 16;

using CardWordsWriter::putCount;
using CardWordsWriter::putString;

void dropBlock(QArrayData *header)
{
    if (header && !header->deref())
        QTypedArrayData<char16_t>::deallocate(header);
}

// A string of a card made from the store: it shares the block.
QString sharedString(QStringView s, QArrayData *block)
{
    if (s.isEmpty())
        return QString();
    block->ref();
    return QString(QString::DataPointer(static_cast<QTypedArrayData<char16_t> *>(block),
                                        const_cast<char16_t *>(s.utf16()), s.size()));
}

} // namespace

CardWordsReader CardView::translationsStart() const
{
    CardWordsReader r = foreignStart();
    for (quint32 n = r.count(); n > 0; --n) {
        r.flag();
        r.skipString();
        r.skipString();
    }
    return r;
}

const char16_t *CardView::categoriesStart() const
{
    CardWordsReader r = translationsStart();
    for (quint32 s = r.count(); s > 0; --s) {
        r.skipString();
        for (quint32 g = r.count(); g > 0; --g)
            for (quint32 k = r.count(); k > 0; --k) {
                r.skipString();
                r.skipString();
            }
    }
    return r.position();
}

QString CardView::shared(QStringView text) const
{
    return sharedString(text, m_store->m_blocks[m_rec->block].header);
}

Card CardView::card() const
{
    QArrayData *block = m_store->m_blocks[m_rec->block].header;
    Card c;
    c.id = m_rec->id;
    c.runMark = m_rec->runMark;
    c.filePath = filePath();
    c.lesson = lesson();
    copyCounters(c, *m_rec);
    c.nAr = m_rec->nAr;
    c.inFilter = m_rec->inFilter;

    CardWordsReader r(words());
    c.soundPath = sharedString(r.string(), block);
    if (const quint32 n = r.count()) {
        c.foreignWords.reserve(qsizetype(n));
        for (quint32 i = 0; i < n; ++i) {
            ForeignWord w;
            w.autoCheck = r.flag();
            w.word = sharedString(r.string(), block);
            w.transcription = sharedString(r.string(), block);
            c.foreignWords.append(std::move(w));
        }
    }
    if (const quint32 sections = r.count()) {
        c.translations.reserve(qsizetype(sections));
        for (quint32 s = 0; s < sections; ++s) {
            TranslationSection section;
            section.code = sharedString(r.string(), block);
            const quint32 groups = r.count();
            section.groups.reserve(qsizetype(groups));
            for (quint32 g = 0; g < groups; ++g) {
                TranslationGroup group;
                const quint32 variants = r.count();
                group.reserve(qsizetype(variants));
                for (quint32 k = 0; k < variants; ++k) {
                    TranslationVariant v;
                    v.word = sharedString(r.string(), block);
                    v.info = sharedString(r.string(), block);
                    group.append(std::move(v));
                }
                section.groups.append(std::move(group));
            }
            c.translations.append(std::move(section));
        }
    }
    if (const quint32 n = r.count()) {
        c.categories.reserve(qsizetype(n));
        for (quint32 i = 0; i < n; ++i)
            c.categories.append(sharedString(r.string(), block));
    }
    return c;
}

bool sameContent(const CardView &a, const CardView &b)
{
    const CardRecord &x = a.record();
    const CardRecord &y = b.record();
    // The words are packed the same way for the same content.
    return x.size == y.size && x.nPER == y.nPER && x.pER == y.pER && x.rER == y.rER &&
           x.aER == y.aER && x.nPRE == y.nPRE && x.pRE == y.pRE && x.rRE == y.rRE &&
           x.aRE == y.aRE && x.nAr == y.nAr && a.lesson() == b.lesson() &&
           std::memcmp(a.words(), b.words(), size_t(x.size) * sizeof(char16_t)) == 0;
}

CardStore CardStore::select(const std::vector<int> &positions) const
{
    CardStore out;
    // Only the blocks and names its cards use: a selection of one card
    // keeps one block alive, not the whole text.
    std::vector<quint32> blocks(m_blocks.size(), ~quint32(0));
    const auto block = [&](quint32 i) {
        if (blocks[i] == ~quint32(0)) {
            blocks[i] = quint32(out.m_blocks.size());
            out.m_blocks.push_back(m_blocks[i]);
            m_blocks[i].header->ref();
        }
        return blocks[i];
    };
    std::vector<quint32> names(m_names.size(), ~quint32(0));
    const auto name = [&](quint32 i) {
        if (names[i] == ~quint32(0))
            names[i] = out.intern(m_names[i]);
        return names[i];
    };
    out.m_records.reserve(positions.size());
    for (int p : positions) {
        CardRecord r = m_records[size_t(p)];
        r.block = block(r.block);
        r.lesson = name(r.lesson);
        r.file = name(r.file);
        out.m_records.push_back(r);
        out.m_units += r.size;
    }
    // Text of the other cards counts as this store's garbage.
    out.m_garbage = 0;
    return out;
}

CardStore::CardStore(const CardStore &other)
    : m_records(other.m_records), m_blocks(other.m_blocks), m_units(other.m_units),
      m_garbage(other.m_garbage), m_names(other.m_names), m_nameIndex(other.m_nameIndex)
{
    // The copy never appends to a block it shares: m_next stays null.
    for (const Block &b : m_blocks)
        b.header->ref();
}

CardStore &CardStore::operator=(const CardStore &other)
{
    if (this != &other) {
        CardStore copy(other);
        swap(copy);
    }
    return *this;
}

CardStore::CardStore(CardStore &&other) noexcept
{
    swap(other);
}

CardStore &CardStore::operator=(CardStore &&other) noexcept
{
    if (this != &other) {
        CardStore gone;
        gone.swap(other);
        swap(gone);
    }
    return *this;
}

CardStore::~CardStore()
{
    releaseBlocks();
}

void CardStore::swap(CardStore &other) noexcept
{
    m_records.swap(other.m_records);
    m_blocks.swap(other.m_blocks);
    std::swap(m_current, other.m_current);
    std::swap(m_next, other.m_next);
    std::swap(m_end, other.m_end);
    std::swap(m_units, other.m_units);
    std::swap(m_garbage, other.m_garbage);
    m_names.swap(other.m_names);
    m_nameIndex.swap(other.m_nameIndex);
}

void CardStore::releaseBlocks()
{
    for (const Block &b : m_blocks)
        dropBlock(b.header);
    m_blocks.clear();
    m_next = m_end = nullptr;
}

void CardStore::clear()
{
    CardStore gone;
    swap(gone);
}

bool CardStore::hasFile(const QString &path) const
{
    const auto it = m_nameIndex.constFind(path);
    if (it == m_nameIndex.constEnd())
        return false;
    const quint32 index = *it;
    return std::any_of(m_records.begin(), m_records.end(),
                       [index](const CardRecord &r) { return r.file == index; });
}

quint32 CardStore::intern(const QString &s)
{
    // Neighbouring cards mostly share their lesson and file.
    if (!m_names.empty() && m_names.back() == s)
        return quint32(m_names.size() - 1);
    const auto it = m_nameIndex.constFind(s);
    if (it != m_nameIndex.constEnd())
        return *it;
    const quint32 index = quint32(m_names.size());
    m_names.push_back(s);
    m_nameIndex.insert(s, index);
    return index;
}

char16_t *CardStore::reserveUnits(quint32 n, quint32 *block, quint32 *offset)
{
    if (m_next && quint32(m_end - m_next) >= n) {
        char16_t *at = m_next;
        m_next += n;
        *block = m_current;
        *offset = quint32(at - m_blocks[m_current].data);
        return at;
    }
    // A card larger than a quarter block gets one of its own, and the block
    // being filled stays the one appended to.
    const bool own = n > kBlockUnits / 4;
    const quint32 units = own ? n : kBlockUnits;
    auto [header, data] = QTypedArrayData<char16_t>::allocate(qsizetype(units));
    if (!header)
        qBadAlloc();
    m_blocks.push_back(Block{header, data});
    *block = quint32(m_blocks.size() - 1);
    *offset = 0;
    if (!own) {
        m_current = *block;
        m_next = data + n;
        m_end = data + units;
    }
    return data;
}

void CardStore::encode(const Card &c, CardRecord &rec)
{
    std::vector<char16_t> &out = m_scratch;
    out.clear();
    putString(out, c.soundPath);
    putCount(out, quint32(c.foreignWords.size()));
    for (const ForeignWord &w : c.foreignWords) {
        out.push_back(w.autoCheck ? u'\1' : u'\0');
        putString(out, w.word);
        putString(out, w.transcription);
    }
    putCount(out, quint32(c.translations.size()));
    for (const TranslationSection &s : c.translations) {
        putString(out, s.code);
        putCount(out, quint32(s.groups.size()));
        for (const TranslationGroup &g : s.groups) {
            putCount(out, quint32(g.size()));
            for (const TranslationVariant &v : g) {
                putString(out, v.word);
                putString(out, v.info);
            }
        }
    }
    putCount(out, quint32(c.categories.size()));
    for (const QString &cat : c.categories)
        putString(out, cat);

    const quint32 n = quint32(out.size());
    char16_t *at = reserveUnits(n, &rec.block, &rec.offset);
    std::memcpy(at, out.data(), size_t(n) * sizeof(char16_t));
    rec.size = n;
    m_units += n;
    rec.runMark = c.runMark;
    rec.lesson = intern(c.lesson);
    rec.file = intern(c.filePath);
    copyCounters(rec, c);
    rec.nAr = c.nAr;
    rec.inFilter = c.inFilter;
}

void CardStore::append(const Card &card, int id)
{
    CardRecord rec;
    encode(card, rec);
    rec.id = id;
    m_records.push_back(rec);
}

void CardStore::appendPacked(const CardRecord &fixed,
                             std::initializer_list<const std::vector<char16_t> *> parts)
{
    quint32 n = 0;
    for (const std::vector<char16_t> *p : parts)
        n += quint32(p->size());
    CardRecord rec = fixed;
    char16_t *at = reserveUnits(n, &rec.block, &rec.offset);
    for (const std::vector<char16_t> *p : parts) {
        if (!p->empty())
            std::memcpy(at, p->data(), p->size() * sizeof(char16_t));
        at += p->size();
    }
    rec.size = n;
    m_units += n;
    m_records.push_back(rec);
}

void CardStore::take(CardStore &&other, int firstId)
{
    if (m_records.empty() && m_blocks.empty()) {
        // Into an empty store nothing need be copied: a file's cards, read
        // into a store of their own, become the document's as they are.
        swap(other);
        other.clear();
        if (firstId) {
            int id = firstId;
            for (CardRecord &r : m_records)
                r.id = id++;
        }
        // A store grown card by card may hold room for as many again; the
        // document keeps these records for as long as the file is open.
        if (m_records.capacity() - m_records.size() > m_records.size() / 8)
            m_records.shrink_to_fit();
        return;
    }
    const quint32 blockBase = quint32(m_blocks.size());
    std::vector<quint32> names(other.m_names.size());
    for (size_t i = 0; i < names.size(); ++i)
        names[i] = intern(other.m_names[i]);
    m_blocks.insert(m_blocks.end(), other.m_blocks.begin(), other.m_blocks.end());
    other.m_blocks.clear(); // their references move here
    // Grown geometrically: a file read in pieces takes hundreds of them.
    const size_t needed = m_records.size() + other.m_records.size();
    if (needed > m_records.capacity())
        m_records.reserve(std::max(needed, m_records.capacity() * 2));
    int id = firstId;
    for (CardRecord r : other.m_records) {
        r.block += blockBase;
        r.lesson = names[r.lesson];
        r.file = names[r.file];
        if (firstId)
            r.id = id++;
        m_records.push_back(r);
    }
    m_units += other.m_units;
    m_garbage += other.m_garbage;
    other.clear();
}

void CardStore::squeeze()
{
    if (!m_next)
        return;
    Block &b = m_blocks[m_current];
    // Made cards share the block and point into it: it must stay in place.
    if (b.header->isShared())
        return;
    const qsizetype used = m_next - b.data;
    auto [header, data] = QTypedArrayData<char16_t>::reallocateUnaligned(
        static_cast<QTypedArrayData<char16_t> *>(b.header), b.data, used, QArrayData::KeepSize);
    if (!header)
        return; // the block as it was stays valid
    b.header = header;
    b.data = data;
    m_next = m_end = nullptr;
}

CardStore CardStore::fromCards(const QList<Card> &cards)
{
    CardStore store;
    store.reserve(int(cards.size()));
    for (const Card &c : cards)
        store.append(c, c.id);
    return store;
}

QList<Card> CardStore::cards() const
{
    QList<Card> out;
    out.reserve(size());
    for (int i = 0; i < size(); ++i)
        out.append(card(i));
    return out;
}

void CardStore::appendFrom(const CardStore &other, int pos)
{
    const CardRecord &from = other.m_records[size_t(pos)];
    CardRecord rec = from;
    char16_t *at = reserveUnits(from.size, &rec.block, &rec.offset);
    std::memcpy(at, other.words(from), size_t(from.size) * sizeof(char16_t));
    m_units += from.size;
    rec.lesson = intern(other.m_names[from.lesson]);
    rec.file = intern(other.m_names[from.file]);
    m_records.push_back(rec);
}

void CardStore::replace(int pos, const Card &card)
{
    CardRecord &rec = m_records[size_t(pos)];
    m_garbage += rec.size;
    const int id = rec.id;
    encode(card, rec);
    rec.id = id;
    if (m_garbage > m_units / 2 && m_units > qint64(kBlockUnits))
        compact();
}

void CardStore::removeAt(int pos)
{
    m_garbage += m_records[size_t(pos)].size;
    m_records.erase(m_records.begin() + pos);
    afterRemoval();
}

void CardStore::permute(const std::vector<int> &order)
{
    applyOrderInPlace(m_records, order);
}

void CardStore::afterRemoval()
{
    if (m_records.empty()) {
        // Names stay: an empty store starts over only when cleared.
        releaseBlocks();
        m_units = m_garbage = 0;
        return;
    }
    if (m_garbage > m_units / 2 && m_units > qint64(kBlockUnits))
        compact();
}

void CardStore::compact()
{
    // The names first, so that every card keeps its indices.
    CardStore packed;
    packed.m_names = m_names;
    packed.m_nameIndex = m_nameIndex;
    packed.reserve(size());
    for (int i = 0; i < size(); ++i)
        packed.appendFrom(*this, i);
    swap(packed);
}
