#include "bench.h"
#include "card_generator.h"

#include "core/dictionary/dictionary.h"
#include "core/run/answer_check.h"
#include "core/run/run_state.h"

#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <random>

namespace
{

// One copy of the card store: the cost a run would pay per start if it
// copied the cards instead of naming them by id.
double timeCopy(const Dictionary &dict)
{
    QElapsedTimer t;
    t.start();
    const CardStore copy = dict.store();
    const double ms = msSince(t);
    if (copy.size() != dict.cardCount())
        std::printf("copy lost cards\n");
    return ms;
}

// A checked phrase of about `length` characters: words with commas and full
// stops, as a long sentence card holds it.
Card longPhraseCard(int length)
{
    Card c;
    QString phrase;
    for (int i = 0; phrase.size() < length; ++i)
        phrase +=
            QStringLiteral("word%1").arg(i) + (i % 3 ? QStringLiteral(", ") : QStringLiteral(". "));
    c.foreignWords.append(ForeignWord{phrase, QString(), true});
    c.translations.append(TranslationSection{{{TranslationVariant{QStringLiteral("фраза"), {}}}},
                                             QStringLiteral("S")});
    return c;
}

// Best of a few runs of f, in milliseconds.
template <class F> double bestMs(F f)
{
    double best = 1e9;
    for (int i = 0; i < 5; ++i) {
        QElapsedTimer t;
        t.start();
        f();
        best = std::min(best, msSince(t));
    }
    return best;
}

// The check runs on every tick of a timed run: for a long checked phrase it
// must stay linear. The 2,000-character phrase is the baseline.
void benchAnswerCheck()
{
    double baseline = 0;
    for (int length : {2000, 16000}) {
        const Card c = longPhraseCard(length);
        const QString typed = c.foreignWords[0].word;
        const QString half = typed.left(typed.size() / 2);
        int items = 0;
        const double cleanMs = bestMs([&] { items = int(autocheckItems(c).size()); });
        const double emptyMs = bestMs([&] { checkAnswer(c, QString()); });
        const double halfMs = bestMs([&] { checkAnswer(c, half); });
        const double fullMs = bestMs([&] {
            if (!checkAnswer(c, typed).accepted())
                std::printf("the phrase typed back was not accepted\n");
        });
        if (length == 2000)
            baseline = fullMs;
        std::printf("answer check of a %d-character phrase (%d items): items %.2f ms, "
                    "empty answer %.2f ms, half typed %.2f ms, all typed %.2f ms (x%.1f of "
                    "the 2,000-character one)\n",
                    length, items, cleanMs, emptyMs, halfMs, fullMs,
                    baseline > 0 ? fullMs / baseline : 0.0);
        std::fflush(stdout);
    }
}

} // namespace

void benchRun(const QList<int> &sizes)
{
    benchAnswerCheck();
    benchAnswerReview();
    for (int n : sizes) {
        Dictionary dict;
        for (const Card &c : generateCards(n, 10))
            dict.addCard(c);

        WorkSettings ws;
        ws.training = true;
        ws.en_ru = false;

        double copyMs = 1e9;
        double startMs = 1e9;
        RunState run;
        for (int i = 0; i < 3; ++i) {
            copyMs = std::min(copyMs, timeCopy(dict));
            QElapsedTimer t;
            t.start();
            run.fillLists(dict, ws);
            run.startRunning(dict);
            startMs = std::min(startMs, msSince(t));
        }

        // Right and wrong answers at random, as a user would give them; the
        // autocheck of the typed answer is part of each step.
        std::mt19937 answers(42);
        int chosen = 0;
        QElapsedTimer t;
        t.start();
        for (int i = 0; i < 1000; ++i) {
            if (answers() % 4 == 0)
                run.makeMistake(dict, 3);
            if (run.chooseNextCard(dict, 3).result == ChooseResult::CardChosen)
                ++chosen;
            if (const std::optional<Card> c = run.currentCard(dict))
                checkAnswer(*c, c->foreignWords.value(0).word);
        }
        const double nextMs = msSince(t);

        // Going back searches the lists: the worst single step.
        double backMs = 0;
        for (int i = 0; i < RunState::recentLimit && run.requestPrevious(); ++i) {
            QElapsedTimer b;
            b.start();
            run.chooseNextCard(dict, 3);
            backMs = std::max(backMs, msSince(b));
        }

        std::printf("run N=%d: start %.2f ms, 1000 next %.2f ms (%d chosen), slowest step "
                    "back %.3f ms (copy of the cards %.2f ms)\n",
                    n, startMs, nextMs, chosen, backMs, copyMs);
        std::fflush(stdout);
    }
}
