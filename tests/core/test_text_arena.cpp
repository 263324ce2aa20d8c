#include "core/dictionary/text_arena.h"

#include <QtTest>

#include <memory>
#include <thread>
#include <vector>

// Strings packed into shared blocks must behave as any QString: the same
// value, independent copies and changes, and alive after their arena.
class TestTextArena : public QObject
{
    Q_OBJECT
private slots:
    void valuesAndEnds_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("null") << QString();
        QTest::newRow("empty") << QStringLiteral("");
        QTest::newRow("latin") << QStringLiteral("house");
        QTest::newRow("cyrillic") << QStringLiteral("дом, жилище");
        QTest::newRow("surrogates") << QStringLiteral("a\U0001F600b");
        QTest::newRow("long, own block") << QString(300, QLatin1Char('x'));
        QTest::newRow("fills a block") << QString(255, QLatin1Char('y'));
    }
    void valuesAndEnds()
    {
        QFETCH(QString, text);
        std::vector<QString> kept;
        {
            TextArena arena;
            // Many of them, so that blocks end and begin in between.
            for (int i = 0; i < 200; ++i)
                kept.push_back(arena.string(text));
            QCOMPARE(kept.front().isNull(), text.isNull());
        }
        for (const QString &s : kept) {
            QCOMPARE(s, text);
            QCOMPARE(s.isNull(), text.isNull());
            // Qt's own strings end in '\0'; some callers rely on it.
            if (!s.isNull())
                QCOMPARE(s.utf16()[s.size()], char16_t(0));
        }
    }

    // A change never reaches a neighbour in the block, whether the block
    // is shared or the string is its last holder.
    void changesStayInTheirString()
    {
        QString a, b, c;
        {
            TextArena arena;
            a = arena.string(u"alpha");
            b = arena.string(u"beta");
            c = arena.string(u"gamma");
        }
        b.append(QStringLiteral(" and more text than fits where beta was"));
        a[0] = QLatin1Char('A');
        QCOMPARE(c, QStringLiteral("gamma"));
        QCOMPARE(a, QStringLiteral("Alpha"));
        QCOMPARE(b, QStringLiteral("beta and more text than fits where beta was"));

        // The last holder of a block may grow in place and shrink again.
        a.clear();
        b.clear();
        c.prepend(QStringLiteral(">>"));
        c.append(QString(40000, QLatin1Char('z')));
        c.truncate(4);
        c.squeeze();
        QCOMPARE(c, QStringLiteral(">>ga"));

        QString d;
        {
            TextArena arena;
            d = arena.string(u"delta");
            QString copy = d;
            copy.replace(0, 1, QStringLiteral("D"));
            QCOMPARE(d, QStringLiteral("delta"));
            QCOMPARE(copy, QStringLiteral("Delta"));
        }
    }

    void blocksHoldManyStrings()
    {
        TextArena arena;
        std::vector<QString> words;
        for (int i = 0; i < 10000; ++i)
            words.push_back(arena.string(QString::number(i)));
        // About 59,000 characters with their ends: a handful of blocks.
        QVERIFY(arena.blockCount() >= 3 && arena.blockCount() <= 5);
        for (int i = 0; i < 10000; i += 997)
            QCOMPARE(words[size_t(i)], QString::number(i));
    }

    // Copies of one block's strings let go on several threads at once.
    void releasedOnManyThreads()
    {
        auto words = std::make_unique<std::vector<QString>>();
        {
            TextArena arena;
            for (int i = 0; i < 40000; ++i)
                words->push_back(arena.string(QString::number(i)));
        }
        std::vector<QString> copies = *words;
        std::thread other([&copies] { copies.clear(); });
        words.reset();
        other.join();
        QVERIFY(copies.empty());
    }
};

QTEST_GUILESS_MAIN(TestTextArena)
#include "test_text_arena.moc"
