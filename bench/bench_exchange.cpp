#include "bench.h"
#include "card_generator.h"

#include "core/dictionary/dictionary.h"
#include "core/exchange/exchange_file.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

namespace
{

template <class F> double best(F f)
{
    double ms = 1e18;
    for (int i = 0; i < 3; ++i) {
        QElapsedTimer t;
        t.start();
        f();
        ms = std::min(ms, msSince(t));
    }
    return ms;
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
        const double exportMs = best([&] {
            bytes = exportBytes(cards, options);
            writeExportFile(path, bytes, &error);
        });
        const double writeMs = best([&] { writeExportFile(path, bytes, &error); });

        ImportPlan plan;
        const double importMs = best([&] {
            const ImportFile file = loadImportFile(path);
            const ImportSource source =
                importDelimitedCards(file, file.layout.separator, -1, nullptr, {});
            Dictionary dict;
            dict.setCategoryList(categories);
            plan = planImport(source, dict, {QString(), DuplicatePolicy::Add});
        });
        const double readMs = best([&] {
            QFile f(path);
            f.open(QIODevice::ReadOnly);
            bytes = f.readAll();
        });
        std::printf("exchange %d cards (%.1f MB TSV): export %.1f ms, writing the bytes %.1f "
                    "ms, ratio %.1f; import %.1f ms (%lld cards, %lld refused), reading the "
                    "bytes %.1f ms, ratio %.1f\n",
                    n, double(bytes.size()) / (1 << 20), exportMs, writeMs, exportMs / writeMs,
                    importMs, static_cast<long long>(plan.added.size()),
                    static_cast<long long>(plan.refused.size()), readMs, importMs / readMs);
        std::fflush(stdout);
    }
}
