#include "bench.h"

#include "core/run/answer_check.h"
#include "core/run/answer_diff.h"

#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <random>

namespace
{

// `count` different words of `letters` Latin letters.
QStringList randomWords(int count, int letters, std::mt19937 &rng)
{
    QStringList words;
    while (words.size() < count) {
        QString w;
        for (int i = 0; i < letters; ++i)
            w += QChar(char16_t(u'a' + rng() % 26));
        if (!words.contains(w))
            words << w;
    }
    return words;
}

// The items typed back in order, every other one with two letters swapped,
// then other words until the answer is `length` characters long.
QString typedWithTypos(const QStringList &items, int length, std::mt19937 &rng)
{
    QString typed;
    for (qsizetype i = 0; i < items.size(); ++i) {
        QString w = items[i];
        if (i % 2 == 1)
            std::swap(w[1], w[2]);
        typed += w + QLatin1Char(' ');
    }
    while (typed.size() < length)
        typed += randomWords(1, 6, rng).first() + QLatin1Char(' ');
    return typed.left(length).trimmed();
}

// Mean of `repeat` calls of f, in microseconds.
template <class F> double meanUs(int repeat, F f)
{
    double best = 1e12;
    for (int round = 0; round < 3; ++round) {
        QElapsedTimer t;
        t.start();
        for (int i = 0; i < repeat; ++i)
            f();
        best = std::min(best, msSince(t) * 1000.0 / repeat);
    }
    return best;
}

} // namespace

void benchAnswerReview()
{
    std::mt19937 rng(7);
    const QStringList items = randomWords(20, 8, rng);
    double review200 = 0;
    for (int length : {200, 2000, 16000}) {
        const QString typed = typedWithTypos(items, length, rng);
        const int repeat = length == 200 ? 2000 : 20;
        const double checkUs = meanUs(repeat, [&] {
            if (checkAnswerItems(items, typed).accepted())
                std::printf("a typo was accepted as typed\n");
        });
        const double reviewUs = meanUs(repeat, [&] {
            if (!reviewAnswer(items, typed, true).accepted())
                std::printf("one-letter typos in 8-letter items were not forgiven\n");
        });
        const double nothingUs =
            meanUs(repeat, [&] { reviewAnswer(items, QString(typed.size(), u'x'), true); });
        if (length == 200)
            review200 = reviewUs;
        std::printf("answer review, %d-character answer, 20 items: plain check %.1f us, "
                    "review with typos %.1f us (x%.1f of the plain check), nothing close %.1f "
                    "us (x%.1f); x%.1f of the 200-character review\n",
                    length, checkUs, reviewUs, reviewUs / std::max(checkUs, 1e-3), nothingUs,
                    nothingUs / std::max(checkUs, 1e-3), reviewUs / std::max(review200, 1e-3));
        std::fflush(stdout);
    }
}
