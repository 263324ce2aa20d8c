#include "bench.h"
#include "card_generator.h"

#include "core/dictionary/dictionary.h"
#include "core/exchange/exchange_file.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

namespace
{

// The best of three, in milliseconds of the process's processor time:
// on a shared machine the wall clock says more about the neighbours.
template <class F> double best(F f)
{
    double ms = 1e18;
    for (int i = 0; i < 3; ++i) {
        const std::clock_t start = std::clock();
        f();
        ms = std::min(ms, double(std::clock() - start) * 1000.0 / CLOCKS_PER_SEC);
    }
    return std::max(ms, 0.001);
}

} // namespace

// A TSV export of N cards with the exact columns (build the text and save
// it) against saving the same bytes; its import into an empty dictionary
// (read, decode, split, map, check) against reading the same bytes.
void benchExchange(const QList<int> &sizes)
{
    QTemporaryDir dir;
    for (int n : sizes) {
        const QList<Card> cards = generateCards(n, 1);
        StringSet categories;
        for (const Card &c : cards)
            categories.insert(c.categories.cbegin(), c.categories.cend());
        const QString path = dir.filePath(QStringLiteral("cards.tsv"));
        ExportOptions options;
        QByteArray bytes;
        QString error;
        std::vector<QByteArray> outputs;
        const double exportMs = best([&] {
            outputs.push_back(exportBytes(cards, options));
            bytes = outputs.back();
            writeExportFile(path, bytes, &error);
        });
        const double writeMs = best([&] { writeExportFile(path, bytes, &error); });

        // The results live on past the timing: freeing them is no part of it.
        std::vector<ImportPlan> plans;
        const double importMs = best([&] {
            const ImportFile file = loadImportFile(path);
            ImportSource source =
                importDelimitedCards(file, file.layout.separator, -1, nullptr, {});
            Dictionary dict;
            dict.setCategoryList(categories);
            plans.push_back(planImport(std::move(source), dict, {QString(), DuplicatePolicy::Add}));
        });
        const double readMs = best([&] {
            QFile f(path);
            f.open(QIODevice::ReadOnly);
            bytes = f.readAll();
        });
        std::printf("exchange %d cards (%.1f MB TSV), processor time: export %.1f ms, writing the "
                    "bytes %.1f "
                    "ms, ratio %.1f; import %.1f ms (%lld cards, %lld refused), reading the "
                    "bytes %.1f ms, ratio %.1f\n",
                    n, double(bytes.size()) / (1 << 20), exportMs, writeMs, exportMs / writeMs,
                    importMs, static_cast<long long>(plans.back().added.size()),
                    static_cast<long long>(plans.back().refused.size()), readMs, importMs / readMs);
        std::fflush(stdout);
    }
}
