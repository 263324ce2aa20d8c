#include "core/dictionary/card_merge.h"

#include "core/dictionary/card_check.h"

#include <QHash>

#include <tuple>

namespace
{

// The two identities, as a hash to look up and an equality to confirm it.
// No key text is built, and the hash is FNV-1a over the code units: the
// texts are short, and building keys or hashing them with qHash took most
// of a merge of 100,000 cards.
constexpr quint64 kPrime = 0x100000001b3ULL;

size_t combine(size_t h, const QString &s)
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
    static bool has(const Card &) { return true; }
    static size_t hash(const Card &c)
    {
        size_t h = combine(kHashStart, c.lesson);
        for (const ForeignWord &w : c.foreignWords)
            h = combine(h, w.word);
        return h;
    }
    static bool equal(const Card &a, const Card &b)
    {
        if (a.lesson != b.lesson || a.foreignWords.size() != b.foreignWords.size())
            return false;
        for (qsizetype i = 0; i < a.foreignWords.size(); ++i) {
            if (a.foreignWords[i].word != b.foreignWords[i].word)
                return false;
        }
        return true;
    }
};

// Cards without translations are told apart by their words only.
struct TranslationsIdentity {
    static bool has(const Card &c) { return !c.translations.isEmpty(); }
    static size_t hash(const Card &c)
    {
        size_t h = combine(kHashStart, c.lesson);
        for (const TranslationSection &s : c.translations) {
            h = combine(h, s.code);
            for (const TranslationGroup &g : s.groups) {
                h = combine(h, QString());
                for (const TranslationVariant &v : g)
                    h = combine(combine(h, v.word), v.info);
            }
        }
        return h;
    }
    static bool equal(const Card &a, const Card &b)
    {
        return a.lesson == b.lesson && a.translations == b.translations;
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
void matchPass(const QList<const Card *> &from, std::vector<char> &fromUsed,
               const QList<const Card *> &to, std::vector<int> &match, FromOk fromOk, ToOk toOk)
{
    QHash<size_t, int> head;
    std::vector<int> next(from.size(), -1);
    for (int i = int(from.size()) - 1; i >= 0; --i) {
        if (fromUsed[i] || !fromOk(i) || !Identity::has(*from[i]))
            continue;
        int &h = head[Identity::hash(*from[i])];
        next[i] = h - 1;
        h = i + 1; // 0 stands for an empty chain
    }
    if (head.isEmpty())
        return;
    for (int j = 0; j < to.size(); ++j) {
        if (match[j] >= 0 || !toOk(j) || !Identity::has(*to[j]))
            continue;
        const auto it = head.find(Identity::hash(*to[j]));
        if (it == head.end() || it.value() == 0)
            continue;
        int prev = -1;
        for (int i = it.value() - 1; i >= 0; prev = i, i = next[i]) {
            if (!Identity::equal(*from[i], *to[j]))
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
std::vector<int> matchByIdentity(const QList<const Card *> &from, const QList<const Card *> &to,
                                 FromOk fromOk, ToOk toOk)
{
    std::vector<char> used(from.size(), 0);
    std::vector<int> match(to.size(), -1);
    matchPass<WordsIdentity>(from, used, to, match, fromOk, toOk);
    matchPass<TranslationsIdentity>(from, used, to, match, fromOk, toOk);
    return match;
}

bool sameWords(const Card &a, const Card &b)
{
    return a.lesson == b.lesson && a.soundPath == b.soundPath && a.foreignWords == b.foreignWords &&
           a.translations == b.translations && a.categories == b.categories && a.nAr == b.nAr;
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

// The counters of one direction, as pointers to members.
struct Direction {
    int Card::*n;
    int Card::*p;
    int Card::*r;
    int Card::*a;
};
constexpr Direction kER{&Card::nPER, &Card::pER, &Card::rER, &Card::aER};
constexpr Direction kRE{&Card::nPRE, &Card::pRE, &Card::rRE, &Card::aRE};

bool sameCounters(const Card &x, const Card &y, const Direction &d)
{
    return x.*d.n == y.*d.n && x.*d.p == y.*d.p && x.*d.r == y.*d.r && x.*d.a == y.*d.a;
}

void takeCounters(Card &to, const Card &from, const Direction &d)
{
    to.*d.n = from.*d.n;
    to.*d.p = from.*d.p;
    to.*d.r = from.*d.r;
    to.*d.a = from.*d.a;
}

// The further repetition state: more showings in the cycle, then a higher
// current priority (a mistake raised it), then more right answers.
bool furtherThan(const Card &x, const Card &y, const Direction &d)
{
    return std::make_tuple(x.*d.r, x.*d.p, x.*d.a, x.*d.n) >
           std::make_tuple(y.*d.r, y.*d.p, y.*d.a, y.*d.n);
}

enum class Merged { Ours, Changed, Conflict };

// Merges o and t over b (null: no base) into *out: Ours when o stays as it
// is (*out untouched), Changed when *out differs from o, Conflict when the
// words were changed differently. Theirs is compared with the base once;
// ours shares its texts with the base unless it was edited, so comparing
// those two costs next to nothing.
Merged mergeCard(const Card *b, const Card &o, const Card &t, Card *out)
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
        if (sameCounters(o, t, d))
            continue;
        if (b && sameCounters(o, *b, d))
            takeCounts[dir] = true;
        else if (b && sameCounters(t, *b, d))
            continue;
        else
            takeCounts[dir] = furtherThan(t, o, d);
    }
    if (!takeTheirWords && !takeCounts[0] && !takeCounts[1])
        return Merged::Ours;
    *out = o;
    if (takeTheirWords)
        takeWords(*out, t);
    if (takeCounts[0])
        takeCounters(*out, t, kER);
    if (takeCounts[1])
        takeCounters(*out, t, kRE);
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
    MergeResult r;
    const int nb = int(base.size());
    QList<const Card *> basePtr;
    basePtr.reserve(nb);
    for (const Card &c : base)
        basePtr.append(&c);
    QList<const Card *> theirsPtr;
    theirsPtr.reserve(theirs.size());
    for (const Card &c : theirs)
        theirsPtr.append(&c);

    auto all = [](int) { return true; };
    const std::vector<int> theirsBase = matchByIdentity(basePtr, theirsPtr, all, all);

    std::vector<int> baseOurs(nb, -1);
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
        ours, theirsPtr, [&](int i) { return oursBaseOf(i) < 0; },
        [&](int j) { return theirsBase[j] < 0; });

    r.theirsSource.resize(theirs.size());
    auto addTheirs = [&](int j) {
        r.theirsSource[j] = {MergeSource::Added, int(r.added.size())};
        r.added.append(theirs[j]);
        r.added.last().id = 0;
    };
    auto merge = [&](int j, int oi, const Card *b) {
        const Card &o = *ours[oi];
        Card merged;
        const Merged m = mergeCard(b, o, theirs[j], &merged);
        if (m == Merged::Conflict) {
            r.bothVersions.append(cardTitle(o));
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
            if (oi >= 0) {
                merge(j, oi, &base[bi]);
            } else if (!theirs[j].sameContent(base[bi])) {
                // Deleted here, changed there: the change is kept.
                r.keptChanged.append(cardTitle(theirs[j]));
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
    std::vector<char> inTheirs(nb, 0);
    for (int bi : theirsBase) {
        if (bi >= 0)
            inTheirs[bi] = 1;
    }
    for (int bi = 0; bi < nb; ++bi) {
        const int oi = baseOurs[bi];
        if (inTheirs[bi] || oi < 0)
            continue;
        if (ours[oi]->sameContent(base[bi])) {
            r.removed.push_back(oi);
            ++r.takenRemoved;
        } else {
            r.keptChanged.append(cardTitle(*ours[oi]));
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
