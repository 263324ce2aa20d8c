#include "bench.h"
#include "card_generator.h"
#include "core/dictionary/dictionary.h"
#include "core/statistics/run_journal.h"
#include "ui/common/interaction.h"
#include "ui/statistics/statistics_window.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <cstdio>

void benchStatistics(const QList<int> &sizes)
{
    QTemporaryDir dir;
    const QString journal = dir.filePath(QStringLiteral("journal.jsonl"));
    // A year of daily runs in the journal.
    {
        FileRunJournal file(journal);
        const QDateTime now = QDateTime::currentDateTime();
        for (int day = 0; day < 365; ++day) {
            RunRecord r;
            r.started = now.addDays(-day);
            r.shown = 40;
            r.right = 30;
            r.wrong = 5;
            r.forgotten = 5;
            file.append(r);
        }
    }
    SilentInteraction ui(Interaction::No);
    for (int n : sizes) {
        Dictionary dict;
        for (const Card &c : generateCards(n, 5))
            dict.addCard(c);
        // Baseline: one pass reading a priority of every card, the least
        // any count over the cards costs.
        QElapsedTimer t;
        t.start();
        qint64 sum = 0;
        for (int i = 0; i < dict.cardCount(); ++i) {
            const CardView c = dict.view(i);
            sum += c.record().pER + (c.lesson().isEmpty() ? 0 : 1);
        }
        const double baseMs = msSince(t);
        t.restart();
        const CardStatistics stats = computeCardStatistics(dict, true, false);
        const double countMs = msSince(t);
        t.restart();
        StatisticsWindow window(dict, false, journal, ui, QDate::currentDate());
        window.show();
        QApplication::processEvents();
        const double openMs = msSince(t);
        std::printf("statistics N=%d: window open and shown %.1f ms (counting %.1f ms, %d lessons; "
                    "baseline: one pass over the cards %.2f ms [%lld]; open = %.0fx the pass)\n",
                    n, openMs, countMs, int(stats.lessons.size()), baseMs, sum,
                    openMs / qMax(0.01, baseMs));
        std::fflush(stdout);
        window.close();
    }
}
