#include "core/dictionary/dictionary.h"

#include "test_cards.h"

#include "core/dictionary/action_states.h"
#include "core/dictionary/card_table.h"
#include "core/find/card_info.h"
#include "core/find/dictionary_search.h"
#include "core/run/work_settings.h"

#include <QSignalSpy>
#include <QThreadPool>

#include <QTest>

#include <algorithm>
#include <map>
#include <numeric>
#include <random>

namespace
{

// What the reference keeps of a card: enough to tell every card apart and
// to see that an operation reached the right one.
struct RefCard {
    int id = 0;
    QString word;
    QString file;
    QString lesson;
};

// The dictionary as a plain vector, with every operation written the
// obvious way.
struct Reference {
    std::vector<RefCard> cards;
    int counter = 0;

    int positionOf(int id) const
    {
        for (size_t i = 0; i < cards.size(); ++i)
            if (cards[i].id == id)
                return int(i);
        return -1;
    }
    template <class Pred> void eraseIf(Pred pred)
    {
        cards.erase(std::remove_if(cards.begin(), cards.end(), pred), cards.end());
    }
};

const QStringList kFiles{QString(), QStringLiteral("/a.xml"), QStringLiteral("/b.xml"),
                         QStringLiteral("/c.xml")};

RefCard refOf(const Card &c)
{
    return {c.id, c.foreignWords.value(0).word, c.filePath, c.lesson};
}

// Compares the dictionary with the reference: the same cards in the same
// order, and every id, given or not, found exactly where it is.
QString mismatch(const Dictionary &d, const Reference &ref)
{
    if (d.cardCount() != int(ref.cards.size()))
        return QStringLiteral("count %1, expected %2").arg(d.cardCount()).arg(ref.cards.size());
    if (d.idCounter() != ref.counter)
        return QStringLiteral("id counter %1, expected %2").arg(d.idCounter()).arg(ref.counter);
    for (int i = 0; i < d.cardCount(); ++i) {
        const RefCard got = refOf(d.cardAt(i));
        const RefCard &want = ref.cards[i];
        if (got.id != want.id || got.word != want.word || got.file != want.file ||
            got.lesson != want.lesson)
            return QStringLiteral("position %1 holds %2 %3, expected %4 %5")
                .arg(i)
                .arg(got.id)
                .arg(got.word, QString::number(want.id), want.word);
    }
    std::map<int, int> positions;
    for (size_t i = 0; i < ref.cards.size(); ++i)
        positions[ref.cards[i].id] = int(i);
    for (int id = -2; id <= ref.counter + 3; ++id) {
        const auto it = positions.find(id);
        const int want = it == positions.end() ? -1 : it->second;
        if (d.indexOfId(id) != want)
            return QStringLiteral("indexOfId(%1) = %2, expected %3")
                .arg(id)
                .arg(d.indexOfId(id))
                .arg(want);
        const std::optional<Card> card = d.cardById(id);
        if ((want < 0) != !card || (card && card->id != d.cardAt(want).id))
            return QStringLiteral("cardById(%1) is not the card at %2").arg(id).arg(want);
    }
    return QString();
}

} // namespace

class TestDictionary : public QObject
{
    Q_OBJECT
private slots:
    // Reading cards (a sound, the information view, a search) is not a
    // change: the revision that the search buffer and the table keys
    // compare stays, and no change is announced.
    void readingIsNotAChange()
    {
        Dictionary d;
        d.addCard(makeCard("cat", {"кошка"}, "L1", "/a.xml"));
        d.addCard(makeCard("dog", {"собака"}, "L1", "/a.xml"));
        QSignalSpy changed(&d, &Dictionary::cardsChanged);
        const quint64 before = d.revision();
        QVERIFY(d.cardById(1));
        QCOMPARE(d.cardsOfFile("/a.xml").size(), 2);
        QCOMPARE(int(d.positionsOfFile("/a.xml").size()), 2);
        QVERIFY(!cardInfoText(*d.cardById(2), d.cardCount()).isEmpty());
        DictionarySearch search;
        search.setQuery(QStringLiteral("dog"), true, false, false);
        QCOMPARE(search.searchNext(d, {}).cardId, 2);
        d.updateMarks([](MarkedCard &c) { c.setInFilter(!c.inFilter()); });
        QCOMPARE(d.revision(), before);
        QCOMPARE(changed.count(), 0);
        QVERIFY(!d.isModified());
        d.updateCard(1, [](Card &c) { c.soundPath = "cat.wav"; });
        QVERIFY(d.revision() != before);
        QCOMPARE(changed.count(), 1);
        QCOMPARE(changed.first().first().value<QList<int>>(), QList<int>{1});
        QVERIFY(d.isModified());
    }

    // While a file job runs, every action that touches files or cards is
    // refused; the others stay as they were.
    void busyStateRefuses_data()
    {
        QTest::addColumn<int>("job");
        QTest::newRow("none") << int(Dictionary::Job::None);
        QTest::newRow("open") << int(Dictionary::Job::Open);
        QTest::newRow("save") << int(Dictionary::Job::Save);
        QTest::newRow("save as") << int(Dictionary::Job::SaveAs);
        QTest::newRow("close") << int(Dictionary::Job::Close);
        QTest::newRow("join") << int(Dictionary::Job::Join);
        QTest::newRow("convert") << int(Dictionary::Job::Convert);
    }
    void busyStateRefuses()
    {
        QFETCH(int, job);
        Dictionary d;
        d.addCard(makeCard("cat", {"кошка"}, "L1", "/a.xml"));
        d.addCard(makeCard("dog", {"собака"}, "L1", "/b.xml"));
        d.addNewCards({makeCard("new", {"новый"}, "L1", "")});
        d.addOpenFile("/a.xml");
        d.addOpenFile("/b.xml");
        QSignalSpy busy(&d, &Dictionary::busyChanged);
        d.setJob(Dictionary::Job(job));
        const bool free = job == int(Dictionary::Job::None);
        QCOMPARE(busy.count(), free ? 0 : 1);
        QCOMPARE(d.isBusy(), !free);
        RunState run;
        WorkSettings work;
        ActionContext context;
        context.tab = MainTab::Dictionary;
        context.currentCardId = 1;
        ActionStates s = computeActionStates(d, run, work, context);
        const QList<std::pair<const char *, bool>> refused = {
            {"openFiles", s.openFiles}, {"saveAll", s.saveAll},
            {"saveAs", s.saveAs},       {"closeFiles", s.closeFiles},
            {"join", s.join},           {"addWord", s.addWord},
            {"addCopy", s.addCopy},     {"edit", s.edit},
            {"remove", s.remove},       {"toArchive", s.toArchive},
            {"find", s.find},           {"filter", s.filter},
            {"tools", s.tools}};
        for (const auto &[name, state] : refused)
            QVERIFY2(state == free, name);
        // The learning page's start is refused too.
        context.tab = MainTab::Learning;
        QCOMPARE(computeActionStates(d, run, work, context).start, free);
    }

    // The taken cards keep their ids; the dictionary finds none of them.
    void takeCardsLeavesNone()
    {
        Dictionary d;
        d.addCard(makeCard("a"));
        d.addCard(makeCard("b"));
        const CardStore taken = d.takeCards();
        QCOMPARE(taken.size(), 2);
        QCOMPARE(taken.record(1).id, 2);
        QCOMPARE(d.cardCount(), 0);
        QVERIFY(!d.cardById(1));
        QCOMPARE(d.addCard(makeCard("c")), 3);
        QCOMPARE(d.cardById(3)->foreignWords[0].word, QStringLiteral("c"));
    }

    // A copy changed elsewhere comes in whole: cards with their ids, order
    // and marks, files, lessons and the revision; the category list and the
    // modified flag stay; the copy keeps the old cards under a revision of
    // its own.
    void takeOverSwapsInTheStagedCopy()
    {
        Dictionary d;
        d.setCategoryList({"Дом"});
        d.addCard(makeCard("a", {}, "L1", "/a.xml"));
        d.addLesson("L1");
        d.addOpenFile("/a.xml");
        Dictionary staged;
        staged.assign(d);
        Dictionary file;
        file.addCard(makeCard("b", {}, "L2", "/b.xml"));
        file.addLesson("L2");
        staged.adoptFile("/b.xml", file);
        staged.reorder({1, 0});
        staged.updateMarks([](MarkedCard &c) { c.setInFilter(c.id() == 2); });
        const quint64 revision = staged.revision();
        QSignalSpy reset(&d, &Dictionary::cardsReset);
        QSignalSpy files(&d, &Dictionary::filesChanged);
        d.takeOver(staged);
        QCOMPARE(reset.count(), 1);
        QCOMPARE(files.count(), 1);
        QCOMPARE(d.revision(), revision);
        QVERIFY(staged.revision() != revision);
        QCOMPARE(d.cardCount(), 2);
        QCOMPARE(d.cardAt(0).id, 2);
        QCOMPARE(d.indexOfId(1), 1);
        QVERIFY(d.cardById(2)->inFilter && !d.cardById(1)->inFilter);
        QCOMPARE(d.openFiles(), (StringSet{"/a.xml", "/b.xml"}));
        QCOMPARE(d.lessons(), (StringSet{"L1", "L2"}));
        QCOMPARE(d.categoryList(), StringSet{"Дом"});
        QVERIFY(!d.isModified());
        QCOMPARE(d.addCard(makeCard("c")), 3);
        QCOMPARE(staged.cardCount(), 1);
        QCOMPARE(staged.cardAt(0).id, 1);
    }

    // Closing many cards frees them on another thread: the kept cards keep
    // their order and lookup, and copies held elsewhere stay whole.
    void closingManyCardsKeepsTheRest()
    {
        Dictionary d;
        for (int i = 0; i < 3000; ++i) {
            const QString file = i % 100 == 0 ? "/b.xml" : "/a.xml";
            d.addCard(makeCard(QString("w%1").arg(i), {"слово"}, "L1", file));
        }
        d.addOpenFile("/a.xml");
        d.addOpenFile("/b.xml");
        const Card held = *d.cardById(2);
        d.closeFiles({"/a.xml"});
        QThreadPool::globalInstance()->waitForDone();
        QCOMPARE(held.foreignWords[0].word, QStringLiteral("w1"));
        QCOMPARE(d.cardCount(), 30);
        for (int k = 0; k < 30; ++k) {
            QCOMPARE(d.cardAt(k).foreignWords[0].word, QString("w%1").arg(k * 100));
            QCOMPARE(d.indexOfId(d.cardAt(k).id), k);
        }
        QVERIFY(!d.cardById(2));
        d.clear();
        QThreadPool::globalInstance()->waitForDone();
        QCOMPARE(d.cardCount(), 0);
    }

    void idsStartOverAfterLastCardLeaves()
    {
        Dictionary d;
        QCOMPARE(d.addCard(makeCard("a", {}, "L1", "/f.xml")), 1);
        QCOMPARE(d.addCard(makeCard("b", {}, "L1", "/f.xml")), 2);
        d.addOpenFile("/f.xml");
        d.setModified(true);
        d.closeFiles({"/f.xml"});
        QCOMPARE(d.idCounter(), 0);
        QVERIFY(!d.isModified());
        QVERIFY(d.openFiles().empty());
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
        d.closeFiles({});
        QCOMPARE(d.lessons(), StringSet{"L3"});

        // The empty name stored as a lesson, or left from cards given a file
        // since, makes no card new.
        Dictionary e;
        e.addCard(makeCard("x", {}, "", "/f.xml"));
        QVERIFY(!e.hasNewCards());
        e.addCard(makeCard("y", {}, "L", ""));
        QVERIFY(e.hasNewCards());
        e.updateCard(2, [](Card &c) { c.filePath = QStringLiteral("/f.xml"); });
        QVERIFY(!e.hasNewCards());
    }

    void newCardsMarkChanged()
    {
        Dictionary d;
        QCOMPARE(d.addNewCards({}).size(), 0);
        QVERIFY(!d.isModified());
        QCOMPARE(d.addNewCards({makeCard("x"), makeCard("y")}), (QList<int>{1, 2}));
        QVERIFY(d.isModified());
        QCOMPARE(d.cardAt(1).id, 2);
    }

    void guardedOperationsAgainstReference_data()
    {
        QTest::addColumn<unsigned>("seed");
        for (unsigned seed : {1u, 7u, 2024u, 99991u})
            QTest::newRow(qPrintable(QString::number(seed))) << seed;
    }

    // A long random sequence of every operation that adds, removes, moves or
    // reorders cards; after each one the dictionary must agree with the
    // reference card for card and id for id.
    void guardedOperationsAgainstReference()
    {
        QFETCH(unsigned, seed);
        std::mt19937 rng(seed);
        const auto pick = [&rng](int n) {
            return int(std::uniform_int_distribution<int>(0, n - 1)(rng));
        };
        Dictionary d;
        Reference ref;
        int words = 0;
        const auto newCard = [&] {
            return makeCard(QStringLiteral("w%1").arg(++words), {QStringLiteral("слово")},
                            QStringLiteral("L%1").arg(pick(3)), kFiles[pick(kFiles.size())]);
        };
        // An id that is sometimes not (or no longer) in the dictionary.
        const auto someId = [&] {
            if (ref.cards.empty() || pick(5) == 0)
                return pick(ref.counter + 3) - 1;
            return ref.cards[pick(int(ref.cards.size()))].id;
        };

        QString last = QStringLiteral("start");
        for (int step = 0; step < 1500; ++step) {
            switch (pick(15)) {
            case 0:
            case 1:
            case 2: {
                const Card c = newCard();
                const int id = d.addCard(c);
                QCOMPARE(id, ++ref.counter);
                RefCard r = refOf(c);
                r.id = id;
                ref.cards.push_back(r);
                last = QStringLiteral("addCard");
                break;
            }
            case 3: {
                QList<Card> batch;
                for (int n = pick(4); n > 0; --n)
                    batch.append(newCard());
                d.setModified(false);
                const QList<int> ids = d.addNewCards(batch);
                QCOMPARE(ids.size(), batch.size());
                QCOMPARE(d.isModified(), !batch.isEmpty());
                for (int i = 0; i < batch.size(); ++i) {
                    QCOMPARE(ids[i], ++ref.counter);
                    RefCard r = refOf(batch[i]);
                    r.id = ids[i];
                    ref.cards.push_back(r);
                }
                last = QStringLiteral("addNewCards");
                break;
            }
            case 4: {
                const int id = someId();
                Card c = newCard();
                c.id = id;
                const int pos = ref.positionOf(id);
                QCOMPARE(d.setCard(c), pos >= 0);
                if (pos >= 0)
                    ref.cards[pos] = refOf(c);
                last = QStringLiteral("setCard %1").arg(id);
                break;
            }
            case 5: {
                const int id = someId();
                const int pos = ref.positionOf(id);
                QCOMPARE(d.removeCard(id), pos >= 0);
                if (pos >= 0)
                    ref.cards.erase(ref.cards.begin() + pos);
                last = QStringLiteral("removeCard %1").arg(id);
                break;
            }
            case 6: {
                QList<int> ids;
                for (int n = pick(6); n > 0; --n)
                    ids.append(someId());
                if (!ids.isEmpty() && pick(2))
                    ids.append(ids.first()); // named twice, erased once
                QList<int> expected;
                for (int id : ids)
                    if (ref.positionOf(id) >= 0 && !expected.contains(id))
                        expected.append(id);
                QCOMPARE(d.removeCards(ids), expected);
                ref.eraseIf([&](const RefCard &r) { return expected.contains(r.id); });
                last = QStringLiteral("removeCards");
                break;
            }
            case 7: {
                const QString from = kFiles[pick(kFiles.size())];
                const QString to = kFiles[pick(kFiles.size())];
                d.moveToFile(from, to);
                for (RefCard &r : ref.cards)
                    if (r.file == from)
                        r.file = to;
                last = QStringLiteral("moveToFile");
                break;
            }
            case 8: {
                const QString path = kFiles[1 + pick(kFiles.size() - 1)];
                d.addOpenFile(path);
                d.closeFiles({path});
                QVERIFY(!d.openFiles().count(path));
                ref.eraseIf([&](const RefCard &r) { return r.file == path; });
                if (ref.cards.empty())
                    ref.counter = 0;
                last = QStringLiteral("closeFiles");
                break;
            }
            case 9:
                d.removeNewCards();
                ref.eraseIf([](const RefCard &r) { return r.file.isEmpty(); });
                if (ref.cards.empty())
                    ref.counter = 0;
                QVERIFY(!d.hasNewCards());
                last = QStringLiteral("removeNewCards");
                break;
            case 10: {
                std::vector<int> order(ref.cards.size());
                std::iota(order.begin(), order.end(), 0);
                std::shuffle(order.begin(), order.end(), rng);
                d.reorder(order);
                std::vector<RefCard> moved;
                for (int from : order)
                    moved.push_back(ref.cards[from]);
                ref.cards = moved;
                last = QStringLiteral("reorder");
                break;
            }
            case 11: {
                // Saved as one file: the cards take the file order and path.
                std::vector<int> order(ref.cards.size());
                std::iota(order.rbegin(), order.rend(), 0);
                const QString path = kFiles[1 + pick(kFiles.size() - 1)];
                d.savedAs(order, path);
                std::reverse(ref.cards.begin(), ref.cards.end());
                for (RefCard &r : ref.cards)
                    r.file = path;
                last = QStringLiteral("savedAs");
                break;
            }
            case 12: {
                // The table's sort: only the order may change.
                TableSortOptions o;
                o.byFiles = pick(2);
                o.byLessons = pick(2);
                o.byForeign = pick(2);
                sortForTable(d, o);
                std::vector<RefCard> sorted;
                for (const Card &c : d.cards()) {
                    const int pos = ref.positionOf(c.id);
                    QVERIFY(pos >= 0);
                    sorted.push_back(ref.cards[pos]);
                }
                ref.cards = sorted;
                last = QStringLiteral("sortForTable");
                break;
            }
            case 13:
                d.closeFiles({});
                if (ref.cards.empty())
                    ref.counter = 0;
                last = QStringLiteral("closeFiles none");
                break;
            case 14:
                if (pick(8) == 0) {
                    d.clear();
                    ref.cards.clear();
                    ref.counter = 0;
                    last = QStringLiteral("clear");
                }
                break;
            }
            const QString error = mismatch(d, ref);
            QVERIFY2(
                error.isEmpty(),
                qPrintable(QStringLiteral("step %1, after %2: %3").arg(step).arg(last, error)));
        }
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
