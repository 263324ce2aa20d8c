#include "core/dictionary/card_merge.h"

#include "core/dictionary/card_check.h"

#include <QHash>

#include <tuple>

namespace
{

// Separators no card text holds (the reader and the card check refuse
// control characters), so two different cards never share a key.
constexpr QChar kField(0x1F);
constexpr QChar kItem(0x1E);

QString wordsKey(const Card &c)
{
    QString key = c.lesson;
    key += kField;
    for (const ForeignWord &w : c.foreignWords) {
        key += w.word;
        key += kItem;
    }
    return key;
}

// Null for a card without translations: such cards are told apart by their
// words only.
QString translationsKey(const Card &c)
{
    if (c.translations.isEmpty())
        return QString();
    QString key = c.lesson;
    key += kField;
    for (const TranslationSection &s : c.translations) {
        key += s.code;
        for (const TranslationGroup &g : s.groups) {
            key += kField;
            for (const TranslationVariant &v : g) {
                key += v.word;
                key += kItem;
                key += v.info;
                key += kItem;
            }
        }
        key += kField;
    }
    return key;
}

// Matches cards of `to` to unmatched cards of `from` with the same key, the
// n-th of `to` with the n-th of `from` among equal keys. `fromUsed` and
// `match` (one entry per card of `to`, -1 for none) carry the state of
// earlier passes; only entries allowed by `fromOk` and `toOk` take part.
template <class Key, class FromOk, class ToOk>
void matchPass(const QList<const Card *> &from, std::vector<char> &fromUsed,
               const QList<const Card *> &to, std::vector<int> &match, Key key, FromOk fromOk,
               ToOk toOk)
{
    QHash<QString, std::vector<int>> byKey;
    byKey.reserve(from.size());
    for (int i = 0; i < from.size(); ++i) {
        if (fromUsed[i] || !fromOk(i))
            continue;
        QString k = key(*from[i]);
        if (!k.isNull())
            byKey[k].push_back(i);
    }
    if (byKey.isEmpty())
        return;
    QHash<QString, size_t> next;
    for (int j = 0; j < to.size(); ++j) {
        if (match[j] >= 0 || !toOk(j))
            continue;
        const QString k = key(*to[j]);
        if (k.isNull())
            continue;
        const auto it = byKey.constFind(k);
        if (it == byKey.cend())
            continue;
        size_t &n = next[k];
        if (n < it->size()) {
            match[j] = (*it)[n++];
            fromUsed[match[j]] = true;
        }
    }
}

template <class FromOk, class ToOk>
std::vector<int> matchByIdentity(const QList<const Card *> &from, const QList<const Card *> &to,
                                 FromOk fromOk, ToOk toOk)
{
    std::vector<char> used(from.size(), 0);
    std::vector<int> match(to.size(), -1);
    matchPass(from, used, to, match, wordsKey, fromOk, toOk);
    matchPass(from, used, to, match, translationsKey, fromOk, toOk);
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

// Merges o and t over b (null: no base). False when the words were changed
// differently; *out then is undefined.
bool mergeCard(const Card *b, const Card &o, const Card &t, Card *out)
{
    *out = o;
    if (!sameWords(o, t)) {
        if (b && sameWords(o, *b))
            takeWords(*out, t);
        else if (!b || !sameWords(t, *b))
            return false;
    }
    for (const Direction &d : {kER, kRE}) {
        if (sameCounters(o, t, d))
            continue;
        if (b && sameCounters(o, *b, d))
            takeCounters(*out, t, d);
        else if (b && sameCounters(t, *b, d))
            continue;
        else if (furtherThan(t, o, d))
            takeCounters(*out, t, d);
    }
    return true;
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
        if (!mergeCard(b, o, theirs[j], &merged)) {
            r.bothVersions.append(cardTitle(o));
            addTheirs(j);
            return;
        }
        r.theirsSource[j] = {MergeSource::Ours, oi};
        if (!merged.sameContent(o)) {
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
