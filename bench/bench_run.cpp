#include "bench.h"
#include "card_generator.h"

#include "model/dictionary.h"
#include "run/answer_check.h"
#include "run/run_state.h"

#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <random>

namespace
{

double msSince(const QElapsedTimer &t)
{
    return double(t.nsecsElapsed()) / 1e6;
}

// One deep copy of the card vector: the cost a run would pay per start if it
// copied the cards instead of naming them by id.
double timeCopy(const Dictionary &dict)
{
    QElapsedTimer t;
    t.start();
    QList<Card> copy = dict.cards();
    copy.detach();
    const double ms = msSince(t);
    if (copy.size() != dict.cards().size())
        std::printf("copy lost cards\n");
    return ms;
}

} // namespace

void benchRun(const QList<int> &sizes)
{
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
            if (const Card *c = run.currentCard(dict))
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
