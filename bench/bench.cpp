// Benchmark program: prints timings of the table, the files, the runs and the search for
// dictionaries of realistic shape. Not a test; figures are read as ratios
// against the baselines printed in the same run.
//   lexitor_bench [table] [files] [run] [search] [statistics] [convert] [history] [merge]
//                 [exchange] [--sizes
//   10000,100000]
//                 [--no-dom | --dom]
// Whole-process timing of one step (e.g. under /usr/bin/time):
//   lexitor_bench --open-only FILE        read FILE and rebuild the table
//   lexitor_bench --open-window FILE      the same on a worker, as the window does
//   lexitor_bench --save-only FILE --sizes N   generate N cards, save them to FILE
//   lexitor_bench --fast-only|--qt-only|--dom-only FILE   one parser alone
//   lexitor_bench --heap-only FILE        heap bytes and blocks per card, time to free them
#include "bench.h"
#include "core/dictionary/dictionary_file.h"

#include <QApplication>
#include <QTextStream>

int main(int argc, char *argv[])
{
    setUpReadingHeaps();
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    QList<int> sizes = {10000, 100000};
    const int si = int(args.indexOf(QStringLiteral("--sizes")));
    if (si >= 0 && si + 1 < args.size()) {
        sizes.clear();
        for (const QString &s : args[si + 1].split(QLatin1Char(',')))
            sizes << s.toInt();
        args.remove(si, 2);
    }
    const bool all =
        !args.contains(QStringLiteral("table")) && !args.contains(QStringLiteral("files")) &&
        !args.contains(QStringLiteral("run")) && !args.contains(QStringLiteral("search")) &&
        !args.contains(QStringLiteral("statistics")) && !args.contains(QStringLiteral("convert")) &&
        !args.contains(QStringLiteral("history")) && !args.contains(QStringLiteral("merge")) &&
        !args.contains(QStringLiteral("exchange"));
    // The files section re-runs this program to measure each step alone.
    const bool step = args.contains(QStringLiteral("--open-only")) ||
                      args.contains(QStringLiteral("--open-window")) ||
                      args.contains(QStringLiteral("--save-only")) ||
                      args.contains(QStringLiteral("--fast-only")) ||
                      args.contains(QStringLiteral("--qt-only")) ||
                      args.contains(QStringLiteral("--dom-only")) ||
                      args.contains(QStringLiteral("--heap-only"));
    if (all || step || args.contains(QStringLiteral("files")))
        benchFiles(sizes, args);
    if (all || args.contains(QStringLiteral("table")))
        benchTable(sizes);
    if (all || args.contains(QStringLiteral("run")))
        benchRun(sizes);
    if (all || args.contains(QStringLiteral("search")))
        benchSearch(sizes);
    if (all || args.contains(QStringLiteral("statistics")))
        benchStatistics(sizes);
    if (all || args.contains(QStringLiteral("history")))
        benchHistory(sizes);
    if (all || args.contains(QStringLiteral("merge")))
        benchMerge(sizes);
    if (all || args.contains(QStringLiteral("convert")))
        benchConvert();
    if (all || args.contains(QStringLiteral("exchange")))
        benchExchange(sizes);
    return 0;
}
