#include "model/dictionary.h"

#include "test_cards.h"

#include <QTest>

class TestDictionary : public QObject
{
    Q_OBJECT
private slots:
    void idsStartOverAfterLastCardLeaves()
    {
        Dictionary d;
        QCOMPARE(d.addCard(makeCard("a", {}, "L1", "/f.xml")), 1);
        QCOMPARE(d.addCard(makeCard("b", {}, "L1", "/f.xml")), 2);
        d.openFiles.insert("/f.xml");
        d.changed = true;
        d.removeFile("/f.xml");
        d.rebuildLessonsAfterClose();
        QCOMPARE(d.idCounter, 0);
        QVERIFY(!d.changed);
        QVERIFY(d.openFiles.empty());
        QCOMPARE(d.addCard(makeCard("c")), 1);
    }

    void removeKeepsOrderAndLookup()
    {
        Dictionary d;
        d.addCard(makeCard("a", {}, "L1", "/f.xml"));
        d.addCard(makeCard("b", {}, "L2", ""));
        d.addCard(makeCard("c", {}, "L3", "/g.xml"));
        d.addCard(makeCard("d", {}, "L4", ""));
        QVERIFY(d.hasNewCards());
        QCOMPARE(d.cardsOfFile(QString()).size(), 2);
        d.removeNewCards();
        QVERIFY(!d.hasNewCards());
        QCOMPARE(d.cardCount(), 2);
        QCOMPARE(d.cardById(3)->foreignWords[0].word, QStringLiteral("c"));
        QVERIFY(!d.cardById(2));
        QVERIFY(d.removeCard(1));
        QCOMPARE(d.cardById(3)->foreignWords[0].word, QStringLiteral("c"));
        d.rebuildLessonsAfterClose();
        QCOMPARE(d.lessons, StringSet{"L3"});
    }

    void newCardsMarkChanged()
    {
        Dictionary d;
        QCOMPARE(d.addNewCards({}).size(), 0);
        QVERIFY(!d.changed);
        QCOMPARE(d.addNewCards({makeCard("x"), makeCard("y")}), (QList<int>{1, 2}));
        QVERIFY(d.changed);
        QCOMPARE(d.cardAt(1).id, 2);
    }

    void copiesKeepTheirId()
    {
        Dictionary d;
        d.addCard(makeCard("a", {}, "L1", "/f.xml"));
        const QList<Card> copies = d.cardsOfFile("/f.xml");
        QCOMPARE(copies[0].id, 1);
    }
};

QTEST_GUILESS_MAIN(TestDictionary)
#include "test_dictionary.moc"
