// Merging a large dictionary with the same file changed on disk by another
// computer, against opening that file.
#include "bench.h"
#include "card_generator.h"

#include "core/dictionary/card_merge.h"
#include "core/dictionary/dictionary_file.h"
#include "core/dictionary/dictionary_files.h"
#include "core/dictionary/file_watch.h"
#include "core/find/filter_settings.h"
#include "core/settings/ini_reader.h"

#include <QTemporaryDir>
#include <QTextStream>

namespace
{

// Answers the question about a changed file with "Объединить".
class MergingInteraction : public SilentInteraction
{
public:
    int askChoice(const QString &, const QStringList &) override { return 0; }
};

StringSet categoriesOf(const QList<Card> &cards)
{
    StringSet set;
    for (const Card &c : cards)
        for (const QString &cat : c.categories)
            set.insert(cat);
    return set;
}

} // namespace

void benchMerge(const QList<int> &sizes)
{
    QTextStream out(stdout);
    for (int n : sizes) {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("words.xml"));
        QList<Card> cards = generateCards(n, 1);
        const StringSet categories = categoriesOf(cards);
        if (!writeDictionaryFile(cards, path, categories, nullptr).ok) {
            out << "merge " << n << ": could not write the file" << Qt::endl;
            continue;
        }

        Dictionary dict;
        dict.setCategoryList(categories);
        iniReader settings;
        iniReader filterStore;
        FilterSettings filter;
        MergingInteraction prompts;
        FileWatch watch(dict);
        DictionaryFiles files(dict, settings, filterStore, filter, prompts);
        files.setFileWatch(&watch);
        QElapsedTimer t;
        t.start();
        files.openPaths({path});
        const double openMs = msSince(t);

        // Here: 5% of the cards answered. There: 1% edited, 1% added.
        for (int pos = 0; pos < dict.cardCount(); pos += 20)
            dict.updateCard(dict.cardAt(pos).id, [](Card &c) { c.rER += 1; });
        dict.setModified(true);
        for (int i = 0; i < n; i += 100) {
            cards[i].translations[0].groups[0][0].word += QStringLiteral(" (B)");
            Card added = cards[i];
            added.foreignWords[0].word += QStringLiteral(" new");
            cards.append(added);
        }
        writeDictionaryFile(cards, path, categories, nullptr);

        // The parts: looking at the bytes on disk, reading them, merging.
        t.restart();
        const FileStamp stamp = stampOfFile(path);
        const double stampMs = msSince(t);
        Dictionary theirs;
        theirs.setCategoryList(categories);
        t.restart();
        readDictionaryFile(theirs, path);
        const double readMs = msSince(t);
        CardStore ours;
        std::vector<int> oursBase;
        t.restart();
        watch.oursOf(path, &ours, &oursBase);
        const MergeResult dry = mergeCards(watch.base(path), ours, oursBase, theirs.store());
        const double rulesMs = msSince(t);

        t.restart();
        files.checkOutsideChange(path);
        const double mergeMs = msSince(t);
        out << "merge " << n
            << " cards with the file changed on disk: " << QString::number(mergeMs, 'f', 0)
            << " ms, opening the file " << QString::number(openMs, 'f', 0) << " ms (ratio "
            << QString::number(mergeMs / openMs, 'f', 2) << ")"
            << (dict.cardCount() == n + (n + 99) / 100 ? "" : " WRONG COUNT") << Qt::endl;
        out << "  of which: stamp of the file " << QString::number(stampMs, 'f', 0)
            << " ms, reading it " << QString::number(readMs, 'f', 0) << " ms, the rules "
            << QString::number(rulesMs, 'f', 0) << " ms (" << dry.takenChanges << " changes, "
            << dry.takenAdded << " added, " << stamp.size << " bytes)" << Qt::endl;
    }
}
