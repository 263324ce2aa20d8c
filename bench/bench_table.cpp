#include "app/main_window.h"
#include "app/session.h"
#include "bench.h"
#include "card_generator.h"
#include "ui/common/app_style.h"
#include "ui/common/interaction.h"
#include "ui/dictionary/dictionary_page.h"
#include "ui/dictionary/dictionary_table_model.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTreeView>

#include <cstdio>

void writeBenchSettings(const QString &folder)
{
    QFile ini(QDir(folder).filePath(QStringLiteral("settings.ini")));
    if (ini.open(QIODevice::WriteOnly))
        ini.write("[WORDS_CATEGORY]\ncategs=x\n");
}

void benchTable(const QList<int> &sizes)
{
    QTemporaryDir dir;
    writeBenchSettings(dir.path());
    FrameColors colors;
    for (int n : sizes) {
        const QList<Card> cards = generateCards(n, 5);
        Session session(dir.path(), &colors, new SilentInteraction);
        Vmain_form w(session);
        DictionaryPage &page = *w.dictionaryPage();
        w.resize(1000, 700);
        w.tabWidget2->setCurrentIndex(1);
        w.show();
        QApplication::processEvents();
        QElapsedTimer t;
        t.start();
        for (const Card &c : cards)
            session.dictionary.addCard(c);
        const double fill = msSince(t);
        // Baseline: plain sorting of the first foreign words, the least a
        // sorted table has to do.
        QStringList words;
        words.reserve(n);
        for (const Card &c : cards)
            words.append(c.foreignWords.first().word);
        t.restart();
        words.sort();
        const double baseMs = msSince(t);
        // The third variant sorts by the Russian words, whose keys are made
        // afresh at its first refresh.
        const char *variants[] = {"no grouping", "by files+lessons", "by Russian words"};
        for (int variant = 0; variant < 3; ++variant) {
            const bool grouped = variant == 1;
            page.checkBox1->setChecked(grouped);
            page.checkBox2->setChecked(grouped);
            page.radioButton2->setChecked(variant == 2);
            page.radioButton1->setChecked(variant != 2);
            // Shuffle back to load order so each refresh sorts for real.
            std::vector<int> reversed(size_t(session.dictionary.cardCount()));
            for (size_t i = 0; i < reversed.size(); ++i)
                reversed[i] = int(reversed.size() - 1 - i);
            session.dictionary.reorder(reversed);
            t.restart();
            page.slot_refresh();
            const double refresh = msSince(t);
            // Again from load order: the words' keys are kept this time.
            session.dictionary.reorder(reversed);
            page.slot_refresh();
            session.dictionary.reorder(reversed);
            t.restart();
            page.slot_refresh();
            const double again = msSince(t);
            t.restart();
            page.table3->viewport()->repaint();
            QApplication::processEvents();
            const double paint = msSince(t);
            t.restart();
            page.table3->scrollToBottom();
            page.table3->viewport()->repaint();
            const double scroll = msSince(t);
            std::printf("table N=%d %s: refresh %.1f ms, next refresh %.1f ms, first paint %.1f "
                        "ms, scroll to end "
                        "%.1f ms, rows %d (baseline: sorting the %d first words %.1f ms, "
                        "adding the cards %.1f ms; refresh = %.1fx, next %.1fx the word sort)\n",
                        n, variants[variant], refresh, again, paint, scroll,
                        int(page.tableModel()->rows().size()), n, baseMs, fill, refresh / baseMs,
                        again / baseMs);
            std::fflush(stdout);
        }
        session.dictionary.setModified(false);
        w.close();
    }
}
