#include "bench.h"
#include "card_generator.h"

#include "core/dictionary/dictionary.h"
#include "core/find/dictionary_search.h"

#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>

namespace
{

// The floor any search pays: reading every character of every foreign word
// and every Russian variant once.
double timeWalk(const Dictionary &dict)
{
    QElapsedTimer t;
    t.start();
    char16_t chars = 0;
    const auto read = [&chars](QStringView text) {
        for (QChar c : text)
            chars ^= c.unicode();
    };
    for (int i = 0; i < dict.cardCount(); ++i) {
        const CardView c = dict.view(i);
        c.forEachForeign([&](QStringView w, QStringView, bool) { read(w); });
        c.forEachVariant([&](QStringView w, QStringView) { read(w); });
    }
    const double ms = msSince(t);
    if (chars == 0xFFFF)
        std::printf("unlikely\n");
    return ms;
}

// From the top to the only match, on the last card; the best of five. The
// first search after a change of the dictionary reads its Russian words into
// one buffer (`first`); each F3 after it reads the buffer (`again`).
struct SearchTimes {
    double first = 1e9;
    double again = 1e9;
};
SearchTimes timeSearch(const Dictionary &dict, const QString &text, bool foreign, bool wholeWord)
{
    SearchTimes best;
    for (int i = 0; i < 5; ++i) {
        DictionarySearch search;
        for (double *slot : {&best.first, &best.again}) {
            QElapsedTimer t;
            t.start();
            search.setQuery(text, foreign, wholeWord, true);
            const SearchResult r = search.searchNext(dict, {});
            *slot = std::min(*slot, msSince(t));
            if (r.index != dict.cardCount() - 1)
                std::printf("search for %s stopped at %d\n", qPrintable(text), r.index);
        }
    }
    return best;
}

} // namespace

void benchSearch(const QList<int> &sizes)
{
    for (int n : sizes) {
        QList<Card> cards = generateCards(n, 10);
        // A word no generated card holds, on the last card only.
        Card &last = cards.last();
        last.foreignWords.last().word = QStringLiteral("the zzqmatch");
        last.translations.last().groups.last().last().word = QStringLiteral("большой жжмяч");
        Dictionary dict;
        dict.reserve(n);
        for (const Card &c : cards)
            dict.addCard(c);

        double walkMs = 1e9;
        for (int i = 0; i < 5; ++i)
            walkMs = std::min(walkMs, timeWalk(dict));
        const SearchTimes foreignPart = timeSearch(dict, QStringLiteral("zzqm"), true, false);
        const SearchTimes foreignWhole = timeSearch(dict, QStringLiteral("ZZQmatch"), true, true);
        const SearchTimes blanks = timeSearch(dict, QStringLiteral("the zzqmatch"), true, true);
        const SearchTimes russianPart = timeSearch(dict, QStringLiteral("жжм"), false, false);
        const SearchTimes russianWhole = timeSearch(dict, QStringLiteral("ЖЖМЯЧ"), false, true);
        std::printf("search N=%d, F3 from the first card to a match on the last: foreign part "
                    "%.2f ms, foreign whole %.2f ms, foreign with a blank %.2f ms, Russian part "
                    "%.2f ms, Russian whole word %.2f ms; the first Russian search after a "
                    "change %.2f / %.2f ms (walk over every word %.2f ms)\n",
                    n, foreignPart.again, foreignWhole.again, blanks.again, russianPart.again,
                    russianWhole.again, russianPart.first, russianWhole.first, walkMs);
        std::fflush(stdout);
    }

    // Long foreign words made of one letter, and a query that nearly
    // matches everywhere in them: a search that starts over at each letter
    // pays word length times query length. Doubling both should double the
    // time, not make it four times as long; the walk over the same words is
    // the baseline.
    double previous = 0;
    for (const int length : {20000, 40000}) {
        Dictionary dict;
        for (int i = 0; i < 20; ++i) {
            Card c;
            c.lesson = QStringLiteral("L");
            c.foreignWords = {{QString(length, QLatin1Char('a')), QString(), false}};
            c.categories = {QStringLiteral("Прочие")};
            dict.addCard(c);
        }
        double walkMs = 1e9;
        for (int i = 0; i < 3; ++i)
            walkMs = std::min(walkMs, timeWalk(dict));
        const QString query = QString(length / 20, QLatin1Char('a')) + QLatin1Char('b');
        double best = 1e9;
        for (int i = 0; i < 3; ++i) {
            DictionarySearch search;
            search.setQuery(query, true, false, true);
            QElapsedTimer t;
            t.start();
            const SearchResult r = search.searchNext(dict, {});
            best = std::min(best, msSince(t));
            if (r.outcome != SearchResult::NotFound)
                std::printf("long words: unexpected match\n");
        }
        std::printf(
            "search in 20 foreign words of %d letters for %lld letters: %.2f ms "
            "(walk %.2f ms, ratio %.1f)%s\n",
            length, static_cast<long long>(query.size()), best, walkMs, best / walkMs,
            previous > 0
                ? qPrintable(
                      QStringLiteral(", %1 times the half size").arg(best / previous, 0, 'f', 1))
                : "");
        previous = best;
        std::fflush(stdout);
    }
}
