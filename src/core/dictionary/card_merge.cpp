#include "core/dictionary/card_merge.h"

#include "core/dictionary/card_check.h"

#include <QHash>

#include <algorithm>
#include <tuple>

namespace
{

// The two identities, as a hash to look up and an equality to confirm it.
// No key text is built, and the hash is FNV-1a over the code units: the
// texts are short, and building keys or hashing them with qHash took most
// of a merge of 100,000 cards. The cards are read in place in their stores;
// only a card the merge changes or adds is made.
constexpr quint64 kPrime = 0x100000001b3ULL;

size_t combine(size_t h, QStringView s)
{
    for (const QChar c : s) {
        h ^= c.unicode();
        h *= kPrime;
    }
    // The end of a text, so "ab" + "c" and "a" + "bc" differ.
    h ^= 0x1F;
    h *= kPrime;
    return h;
}

constexpr size_t kHashStart = size_t(0xcbf29ce484222325ULL);

struct WordsIdentity {
    // Every card has one (an empty list of words is a key too).
    static bool has(const CardView &) { return true; }
    static size_t hash(const CardView &c)
    {
        size_t h = combine(kHashStart, c.lesson());
        c.forEachForeign([&h](QStringView w, QStringView, bool) { h = combine(h, w); });
        return h;
    }
    static bool equal(const CardView &a, const CardView &b)
    {
        if (a.lesson() != b.lesson())
            return false;
        CardWordsReader x = a.foreignWordsReader();
        CardWordsReader y = b.foreignWordsReader();
        quint32 n = x.count();
        if (n != y.count())
            return false;
        for (; n > 0; --n) {
            x.flag();
            y.flag();
            if (x.string() != y.string())
                return false;
            x.skipString();
            y.skipString();
        }
        return true;
    }
};

// Cards without translations are told apart by their words only.
struct TranslationsIdentity {
    static bool has(const CardView &c) { return c.sectionCount() > 0; }
    static size_t hash(const CardView &c)
    {
        struct Visit {
            size_t h = kHashStart;
            void section(QStringView code) { h = combine(h, code); }
            void group() { h = combine(h, QStringView()); }
            void variant(QStringView w, QStringView i) { h = combine(combine(h, w), i); }
        } v;
        v.h = combine(v.h, c.lesson());
        c.visitTranslations(v);
        return v.h;
    }
    static bool equal(const CardView &a, const CardView &b)
    {
        return a.lesson() == b.lesson() && a.translationsPart() == b.translationsPart();
    }
};

// Matches cards of `to` to unmatched cards of `from` with the same identity,
// the n-th of `to` with the n-th of `from` among equal ones. `fromUsed` and
// `match` (one entry per card of `to`, -1 for none) carry the state of
// earlier passes; only entries allowed by `fromOk` and `toOk` take part.
// Cards of `from` with one hash form a chain in their order; taking a card
// unlinks it, so equal cards are found at the chain's head and the pass
// stays linear however many cards are alike.
template <class Identity, class FromOk, class ToOk>
void matchPass(const CardStore &from, std::vector<char> &fromUsed, const CardStore &to,
               std::vector<int> &match, FromOk fromOk, ToOk toOk)
{
    QHash<size_t, int> head;
    std::vector<int> next(size_t(from.size()), -1);
    for (int i = from.size() - 1; i >= 0; --i) {
        if (fromUsed[i] || !fromOk(i) || !Identity::has(from.view(i)))
            continue;
        int &h = head[Identity::hash(from.view(i))];
        next[i] = h - 1;
        h = i + 1; // 0 stands for an empty chain
    }
    if (head.isEmpty())
        return;
    for (int j = 0; j < to.size(); ++j) {
        const CardView t = to.view(j);
        if (match[j] >= 0 || !toOk(j) || !Identity::has(t))
            continue;
        const auto it = head.find(Identity::hash(t));
        if (it == head.end() || it.value() == 0)
            continue;
        int prev = -1;
        for (int i = it.value() - 1; i >= 0; prev = i, i = next[i]) {
            if (!Identity::equal(from.view(i), t))
                continue; // another card with the same hash
            if (prev < 0)
                it.value() = next[i] + 1;
            else
                next[prev] = next[i];
            match[j] = i;
            fromUsed[i] = true;
            break;
        }
    }
}

template <class FromOk, class ToOk>
std::vector<int> matchByIdentity(const CardStore &from, const CardStore &to, FromOk fromOk,
                                 ToOk toOk)
{
    std::vector<char> used(size_t(from.size()), 0);
    std::vector<int> match(size_t(to.size()), -1);
    matchPass<WordsIdentity>(from, used, to, match, fromOk, toOk);
    matchPass<TranslationsIdentity>(from, used, to, match, fromOk, toOk);
    return match;
}

// Everything but the counters: lesson, the archive flag and the words, which
// are packed the same way exactly when they are the same.
bool sameWords(const CardView &a, const CardView &b)
{
    const CardRecord &x = a.record();
    const CardRecord &y = b.record();
    return x.nAr == y.nAr && x.size == y.size && a.lesson() == b.lesson() &&
           std::equal(a.words(), a.words() + x.size, b.words());
}

void takeWords(Card &to, const Card &from)
{
    to.lesson = from.lesson;
    to.soundPath = from.soundPath;
    to.foreignWords = from.foreignWords;
    to.translations = from.translations;
    to.categories = from.categories;
    to.nAr = from.nAr;
}

// The counters of one direction, as pointers to members of a stored card
// and of a card value.
struct Direction {
    int CardRecord::*n;
    int CardRecord::*p;
    int CardRecord::*r;
    int CardRecord::*a;
    int Card::*cn;
    int Card::*cp;
    int Card::*cr;
    int Card::*ca;
};
constexpr Direction kER{&CardRecord::nPER, &CardRecord::pER, &CardRecord::rER, &CardRecord::aER,
                        &Card::nPER,       &Card::pER,       &Card::rER,       &Card::aER};
constexpr Direction kRE{&CardRecord::nPRE, &CardRecord::pRE, &CardRecord::rRE, &CardRecord::aRE,
                        &Card::nPRE,       &Card::pRE,       &Card::rRE,       &Card::aRE};

bool sameCounters(const CardRecord &x, const CardRecord &y, const Direction &d)
{
    return x.*d.n == y.*d.n && x.*d.p == y.*d.p && x.*d.r == y.*d.r && x.*d.a == y.*d.a;
}

void takeCounters(Card &to, const CardRecord &from, const Direction &d)
{
    to.*d.cn = from.*d.n;
    to.*d.cp = from.*d.p;
    to.*d.cr = from.*d.r;
    to.*d.ca = from.*d.a;
}

// The further repetition state: more showings in the cycle, then a higher
// current priority (a mistake raised it), then more right answers.
bool furtherThan(const CardRecord &x, const CardRecord &y, const Direction &d)
{
    return std::make_tuple(x.*d.r, x.*d.p, x.*d.a, x.*d.n) >
           std::make_tuple(y.*d.r, y.*d.p, y.*d.a, y.*d.n);
}

enum class Merged { Ours, Changed, Conflict };

// Merges o and t over b (null: no base) into *out: Ours when o stays as it
// is (*out untouched), Changed when *out differs from o, Conflict when the
// words were changed differently.
Merged mergeCard(const CardView *b, const CardView &o, const CardView &t, Card *out)
{
    bool takeTheirWords = false;
    if (b) {
        if (!sameWords(t, *b)) {
            if (sameWords(o, *b))
                takeTheirWords = true;
            else if (!sameWords(o, t))
                return Merged::Conflict;
        }
    } else if (!sameWords(o, t)) {
        return Merged::Conflict;
    }
    bool takeCounts[2] = {false, false};
    int k = 0;
    for (const Direction &d : {kER, kRE}) {
        const int dir = k++;
        if (sameCounters(o.record(), t.record(), d))
            continue;
        if (b && sameCounters(o.record(), b->record(), d))
            takeCounts[dir] = true;
        else if (b && sameCounters(t.record(), b->record(), d))
            continue;
        else
            takeCounts[dir] = furtherThan(t.record(), o.record(), d);
    }
    if (!takeTheirWords && !takeCounts[0] && !takeCounts[1])
        return Merged::Ours;
    *out = o.card();
    if (takeTheirWords)
        takeWords(*out, t.card());
    if (takeCounts[0])
        takeCounters(*out, t.record(), kER);
    if (takeCounts[1])
        takeCounters(*out, t.record(), kRE);
    return Merged::Changed;
}

QString titleList(const QStringList &titles)
{
    constexpr int kShown = 20;
    QString text;
    for (int i = 0; i < titles.size() && i < kShown; ++i)
        text += QLatin1Char('\n') + titles[i];
    if (titles.size() > kShown)
        text += QStringLiteral("\n… и ещё ") + QString::number(titles.size() - kShown);
    return text;
}

} // namespace

MergeResult mergeCards(const QList<Card> &base, const QList<const Card *> &ours,
                       const std::vector<int> &oursBase, const QList<Card> &theirs)
{
    CardStore oursStore;
    oursStore.reserve(int(ours.size()));
    for (const Card *c : ours)
        oursStore.append(*c, c->id);
    return mergeCards(CardStore::fromCards(base), oursStore, oursBase,
                      CardStore::fromCards(theirs));
}

MergeResult mergeCards(const CardStore &base, const CardStore &ours,
                       const std::vector<int> &oursBase, const CardStore &theirs)
{
    MergeResult r;
    const int nb = base.size();
    auto all = [](int) { return true; };
    const std::vector<int> theirsBase = matchByIdentity(base, theirs, all, all);

    std::vector<int> baseOurs(size_t(nb), -1);
    auto oursBaseOf = [&](int i) {
        const int b = i < int(oursBase.size()) ? oursBase[i] : -1;
        return b >= 0 && b < nb ? b : -1;
    };
    for (int i = 0; i < ours.size(); ++i) {
        if (oursBaseOf(i) >= 0)
            baseOurs[oursBaseOf(i)] = i;
    }
    // Cards that neither side had in the base meet each other.
    const std::vector<int> theirsOurs = matchByIdentity(
        ours, theirs, [&](int i) { return oursBaseOf(i) < 0; },
        [&](int j) { return theirsBase[j] < 0; });

    r.theirsSource.resize(size_t(theirs.size()));
    auto addTheirs = [&](int j) {
        r.theirsSource[j] = {MergeSource::Added, int(r.added.size())};
        r.added.append(theirs.card(j));
        r.added.last().id = 0;
    };
    auto merge = [&](int j, int oi, const CardView *b) {
        const CardView o = ours.view(oi);
        Card merged;
        const Merged m = mergeCard(b, o, theirs.view(j), &merged);
        if (m == Merged::Conflict) {
            r.bothVersions.append(cardTitle(o.card()));
            addTheirs(j);
            return;
        }
        r.theirsSource[j] = {MergeSource::Ours, oi};
        if (m == Merged::Changed) {
            r.changed.append(merged);
            ++r.takenChanges;
        }
    };

    for (int j = 0; j < theirs.size(); ++j) {
        const int bi = theirsBase[j];
        if (bi >= 0) {
            const int oi = baseOurs[bi];
            const CardView b = base.view(bi);
            if (oi >= 0) {
                merge(j, oi, &b);
            } else if (!sameContent(theirs.view(j), b)) {
                // Deleted here, changed there: the change is kept.
                r.keptChanged.append(cardTitle(theirs.card(j)));
                addTheirs(j);
            }
        } else if (theirsOurs[j] >= 0) {
            merge(j, theirsOurs[j], nullptr);
        } else {
            addTheirs(j);
            ++r.takenAdded;
        }
    }

    // Base cards theirs no longer holds.
    std::vector<char> inTheirs(size_t(nb), 0);
    for (int bi : theirsBase) {
        if (bi >= 0)
            inTheirs[bi] = 1;
    }
    for (int bi = 0; bi < nb; ++bi) {
        const int oi = baseOurs[bi];
        if (inTheirs[bi] || oi < 0)
            continue;
        if (sameContent(ours.view(oi), base.view(bi))) {
            r.removed.push_back(oi);
            ++r.takenRemoved;
        } else {
            r.keptChanged.append(cardTitle(ours.card(oi)));
        }
    }
    return r;
}

QString mergeReport(const QString &path, const MergeResult &r)
{
    QString text =
        QStringLiteral("Изменения файла\n") + path +
        QStringLiteral("\nобъединены с вашими.\nКарточек изменено по файлу: ") +
        QString::number(r.takenChanges) + QStringLiteral("\nКарточек добавлено из файла: ") +
        QString::number(r.takenAdded) + QStringLiteral("\nКарточек удалено, как в файле: ") +
        QString::number(r.takenRemoved);
    if (!r.bothVersions.isEmpty())
        text += QStringLiteral("\n\nКарточки, изменённые по-разному здесь и в файле, сохранены "
                               "в двух вариантах:") +
                titleList(r.bothVersions);
    if (!r.keptChanged.isEmpty())
        text += QStringLiteral("\n\nКарточки, удалённые с одной стороны и изменённые с другой, "
                               "сохранены:") +
                titleList(r.keptChanged);
    return text;
}
