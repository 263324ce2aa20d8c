#include "bench.h"
#include "card_generator.h"

#include "dialogs/dictionary_search.h"
#include "model/dictionary.h"

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
    const auto read = [&chars](const QString &text) {
        for (QChar c : text)
            chars ^= c.unicode();
    };
    for (const Card &c : dict.cards()) {
        for (const ForeignWord &w : c.foreignWords)
            read(w.word);
        for (const TranslationSection &s : c.translations)
            for (const TranslationGroup &g : s.groups)
                for (const TranslationVariant &v : g)
                    read(v.word);
    }
    const double ms = msSince(t);
    if (chars == 0xFFFF)
        std::printf("unlikely\n");
    return ms;
}

// F3 from the top to the only match, on the last card; the best of five.
double timeSearch(const Dictionary &dict, const QString &text, bool foreign, bool wholeWord)
{
    double best = 1e9;
    for (int i = 0; i < 5; ++i) {
        DictionarySearch search;
        QElapsedTimer t;
        t.start();
        search.setQuery(text, foreign, wholeWord, true);
        const SearchResult r = search.searchNext(dict, {});
        best = std::min(best, msSince(t));
        if (r.index != dict.cardCount() - 1)
            std::printf("search for %s stopped at %d\n", qPrintable(text), r.index);
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
        const double foreignPart = timeSearch(dict, QStringLiteral("zzqm"), true, false);
        const double foreignWhole = timeSearch(dict, QStringLiteral("ZZQmatch"), true, true);
        const double blanks = timeSearch(dict, QStringLiteral("the zzqmatch"), true, true);
        const double russianPart = timeSearch(dict, QStringLiteral("жжм"), false, false);
        const double russianWhole = timeSearch(dict, QStringLiteral("ЖЖМЯЧ"), false, true);

        std::printf("search N=%d, F3 from the first card to a match on the last: foreign part "
                    "%.2f ms, foreign whole %.2f ms, foreign with a blank %.2f ms, Russian part "
                    "%.2f ms, Russian whole word %.2f ms (walk over every word %.2f ms)\n",
                    n, foreignPart, foreignWhole, blanks, russianPart, russianWhole, walkMs);
        std::fflush(stdout);
    }
}
