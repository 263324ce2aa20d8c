#include "core/dictionary/card_store.h"
#include "random_cards.h"
#include "test_cards.h"

#include <QRandomGenerator>
#include <QtTest>

#include <algorithm>
#include <numeric>
#include <random>

#include <thread>

namespace
{

StringSet categories()
{
    return {QStringLiteral("Еда"), QStringLiteral("Дом"), QStringLiteral("<Кухня & \"бар\">")};
}

// Every field, marks and path included.
QString difference(const Card &a, const Card &b)
{
    if (!a.sameContent(b))
        return QStringLiteral("content of card %1").arg(a.id);
    if (a.id != b.id || a.runMark != b.runMark || a.inFilter != b.inFilter ||
        a.filePath != b.filePath)
        return QStringLiteral("id, marks or path of card %1").arg(a.id);
    return QString();
}

// What the views read of a card, as one text, against the same text of
// the card made from it.
struct Text {
    QString out;
    Text &operator<<(QStringView v)
    {
        out += v;
        out += QChar(u'\x1F');
        return *this;
    }
    Text &operator<<(int n) { return *this << QString::number(n); }
};

QString viewText(const CardView &v)
{
    Text t;
    t << v.soundPath() << v.lesson() << v.filePath();
    v.forEachForeign([&](QStringView w, QStringView tr, bool check) { t << w << tr << check; });
    t << u"|";
    v.forEachSectionCode([&](QStringView code) { t << code; });
    t << u"|";
    v.forEachVariant([&](QStringView w, QStringView i) { t << w << i; });
    t << u"|";
    v.forEachCategory([&](QStringView c) { t << c; });
    bool hasForeign = false, hasRussian = false;
    t << v.firstForeignWord(&hasForeign) << v.firstTranslationWord(&hasRussian);
    t << hasForeign << hasRussian << v.foreignCount() << v.sectionCount();
    return t.out;
}

QString cardText(const Card &c)
{
    Text t;
    t << c.soundPath << c.lesson << c.filePath;
    for (const ForeignWord &w : c.foreignWords)
        t << w.word << w.transcription << w.autoCheck;
    t << u"|";
    for (const TranslationSection &s : c.translations)
        t << s.code;
    t << u"|";
    for (const TranslationSection &s : c.translations)
        for (const TranslationGroup &g : s.groups)
            for (const TranslationVariant &v : g)
                t << v.word << v.info;
    t << u"|";
    for (const QString &cat : c.categories)
        t << cat;
    const bool hasForeign = !c.foreignWords.isEmpty();
    const bool hasRussian = !c.translations.isEmpty() && !c.translations[0].groups.isEmpty() &&
                            !c.translations[0].groups[0].isEmpty();
    t << (hasForeign ? c.foreignWords[0].word : QString())
      << (hasRussian ? c.translations[0].groups[0][0].word : QString());
    t << hasForeign << hasRussian << int(c.foreignWords.size()) << int(c.translations.size());
    return t.out;
}

// Cards of every shape the store must pack: none of a part, empty words,
// lists and words longer than one unit can count, a card larger than a block.
QList<Card> oddCards()
{
    QList<Card> out;
    Card bare;
    bare.lesson = QStringLiteral("L");
    out << bare;
    Card empties = makeCard(QString(), {QString()}, QStringLiteral("L"));
    empties.foreignWords[0].transcription = QStringLiteral("[t]");
    empties.translations.append(TranslationSection{{}, QString()});
    empties.translations.append(TranslationSection{{TranslationGroup()}, QStringLiteral("V")});
    out << empties;
    Card many = makeCard(QStringLiteral("many"));
    for (int i = 0; i < 40000; ++i)
        many.categories.append(QString::number(i % 7));
    many.foreignWords[0].word = QString(70000, QLatin1Char('w'));
    many.soundPath = QStringLiteral("a.wav");
    many.runMark = 3;
    many.inFilter = false;
    many.nAr = false;
    many.rRE = -5;
    out << many;
    return out;
}

} // namespace

class TestCardStore : public QObject
{
    Q_OBJECT
private slots:
    void cardsComeBackWhole_data()
    {
        QTest::addColumn<QList<Card>>("cards");
        QTest::newRow("hostile") << randomHostileCards(300, 7, categories());
        QTest::newRow("odd shapes") << oddCards();
    }
    void cardsComeBackWhole()
    {
        QFETCH(QList<Card>, cards);
        CardStore store;
        int id = 0;
        for (Card &c : cards) {
            c.id = ++id;
            c.filePath = id % 3 ? QStringLiteral("/d/a.xml") : QString();
            store.append(c, c.id);
        }
        QCOMPARE(store.size(), cards.size());
        for (int i = 0; i < store.size(); ++i) {
            const Card back = store.card(i);
            const QString why = difference(back, cards[i]);
            QVERIFY2(why.isEmpty(), qPrintable(why));
            QCOMPARE(viewText(store.view(i)), cardText(cards[i]));
            QVERIFY(sameContent(store.view(i), store.view(i)));
            if (i > 0)
                QCOMPARE(sameContent(store.view(i), store.view(i - 1)),
                         cards[i].sameContent(cards[i - 1]));
        }
        // A copy, a selection and a store taken whole read the same.
        const CardStore copy = store;
        std::vector<int> odd;
        for (int i = 1; i < store.size(); i += 2)
            odd.push_back(i);
        const CardStore selected = store.select(odd);
        CardStore taken;
        taken.append(cards[0], 1000);
        CardStore moved = store;
        taken.take(std::move(moved), 2000);
        QCOMPARE(moved.size(), 0);
        QCOMPARE(taken.size(), store.size() + 1);
        for (int i = 0; i < store.size(); ++i) {
            QVERIFY(difference(copy.card(i), cards[i]).isEmpty());
            Card renumbered = cards[i];
            renumbered.id = 2000 + i;
            QVERIFY(difference(taken.card(i + 1), renumbered).isEmpty());
        }
        for (size_t k = 0; k < odd.size(); ++k)
            QVERIFY(difference(selected.card(int(k)), cards[odd[k]]).isEmpty());
        // Taken into an empty store, the cards are renumbered where they
        // lie, and the store grows on.
        CardStore empty;
        CardStore whole = store;
        empty.take(std::move(whole), 5000);
        QCOMPARE(whole.size(), 0);
        empty.append(cards[0], 9000);
        QCOMPARE(empty.size(), store.size() + 1);
        for (int i = 0; i < store.size(); ++i) {
            Card renumbered = cards[i];
            renumbered.id = 5000 + i;
            QVERIFY(difference(empty.card(i), renumbered).isEmpty());
        }
        Card appended = cards[0];
        appended.id = 9000;
        QVERIFY(difference(empty.card(store.size()), appended).isEmpty());
        for (int i = 0; i < store.size(); ++i)
            QVERIFY(difference(copy.card(i), cards[i]).isEmpty());
    }

    // Whether a file has cards is told by the records' name index, so it
    // must agree with the cards' paths however the store came to be: names
    // stored only as lessons, names no card uses any more, names of joined
    // stores.
    void fileLookupFollowsEveryChange()
    {
        const QStringList paths{QString(), QStringLiteral("/a.xml"), QStringLiteral("/b.xml"),
                                QStringLiteral("L1"), QStringLiteral("/never.xml")};
        QList<Card> cards = randomHostileCards(60, 31, categories());
        for (int i = 0; i < cards.size(); ++i) {
            cards[i].filePath = paths[i % 3];
            cards[i].lesson = i % 4 ? QStringLiteral("L1") : QString();
        }
        auto wrong = [&](const CardStore &s) -> QString {
            for (const QString &p : paths) {
                bool any = false;
                for (int i = 0; i < s.size(); ++i)
                    any = any || s.view(i).filePath() == p;
                if (s.hasFile(p) != any)
                    return QStringLiteral("«%1»: %2").arg(p).arg(any);
            }
            return QString();
        };
        const CardStore built = CardStore::fromCards(cards);
        std::vector<int> some;
        for (int i = 1; i < built.size(); i += 3) // the /a.xml cards
            some.push_back(i);
        CardStore aOnly = built;
        aOnly.keepIf([](int pos) { return pos % 3 == 1; });
        CardStore joined;
        joined.take(CardStore(aOnly));
        joined.take(CardStore::fromCards(cards.mid(0, 5)), 100);
        CardStore moved = built;
        for (int i = 0; i < moved.size(); ++i)
            moved.setFile(i, QStringLiteral("/b.xml"));
        CardStore replaced = aOnly;
        replaced.replace(0, cards[0]); // back to a new card
        CardStore emptied = built;
        while (!emptied.isEmpty())
            emptied.removeAt(0);
        const CardStore selected = built.select(some);
        const std::pair<const char *, const CardStore *> stores[] = {
            {"built", &built}, {"selected", &selected}, {"kept", &aOnly},      {"joined", &joined},
            {"moved", &moved}, {"replaced", &replaced}, {"emptied", &emptied},
        };
        for (const auto &[how, store] : stores) {
            const QString why = wrong(*store);
            QVERIFY2(why.isEmpty(),
                     qPrintable(QString::fromLatin1(how) + QStringLiteral(": ") + why));
        }
        QVERIFY(!aOnly.hasFile(QString()) && built.hasFile(QString()) &&
                replaced.hasFile(QString()));
    }

    // A file read in pieces joins hundreds of stores, each with names of its
    // own in its own order: the joined store is the one built at once.
    void manyStoresJoinInOrder()
    {
        QList<Card> cards = randomHostileCards(900, 26, categories());
        for (int i = 0; i < cards.size(); ++i) {
            cards[i].filePath = QStringLiteral("/d/%1.xml").arg(i % 3);
            cards[i].lesson = QStringLiteral("урок %1").arg((i * 7) % 11);
        }
        CardStore whole;
        for (const Card &c : cards)
            whole.append(c, c.id);
        CardStore joined;
        for (int from = 0, piece = 1; from < cards.size(); from += piece, piece = piece % 5 + 1) {
            CardStore part;
            // Names met in another order than the whole store meets them.
            part.internName(QStringLiteral("урок %1").arg(piece));
            for (int i = std::min<int>(from + piece, cards.size()) - 1; i >= from; --i)
                part.internName(cards[i].filePath);
            for (int i = from; i < std::min<int>(from + piece, cards.size()); ++i)
                part.append(cards[i], cards[i].id);
            joined.take(std::move(part));
        }
        QCOMPARE(joined.size(), whole.size());
        for (int i = 0; i < whole.size(); ++i) {
            const QString why = difference(joined.card(i), whole.card(i));
            QVERIFY2(why.isEmpty(), qPrintable(why));
            QCOMPARE(viewText(joined.view(i)), viewText(whole.view(i)));
        }
    }

    // A store squeezed when done growing reads the same and grows on in a
    // new block; a block a made card shares stays where it is.
    void squeezedStoreKeepsItsCards()
    {
        const QList<Card> cards = randomHostileCards(300, 3, categories());
        CardStore store;
        for (int i = 0; i < 200; ++i)
            store.append(cards[i], cards[i].id);
        const Card made = store.card(199); // shares the block being filled
        store.squeeze();
        store.squeeze();
        QVERIFY(difference(made, cards[199]).isEmpty());
        CardStore alone;
        for (int i = 0; i < 200; ++i)
            alone.append(cards[i], cards[i].id);
        alone.squeeze();
        for (CardStore *s : {&store, &alone}) {
            for (int i = 200; i < cards.size(); ++i)
                s->append(cards[i], cards[i].id);
            s->squeeze();
            QCOMPARE(s->size(), int(cards.size()));
            for (int i = 0; i < cards.size(); ++i) {
                const QString why = difference(s->card(i), cards[i]);
                QVERIFY2(why.isEmpty(), qPrintable(why));
            }
        }
        QVERIFY(difference(made, cards[199]).isEmpty());
    }

    // Written over, removed, reordered and packed anew: every card stays
    // itself, and text given out before stays as it was.
    void changesKeepTheOtherCards()
    {
        QList<Card> cards = randomHostileCards(400, 11, categories());
        CardStore store;
        for (int i = 0; i < cards.size(); ++i) {
            cards[i].id = i + 1;
            store.append(cards[i], i + 1);
        }
        const Card original = cards[0];
        const Card firstBefore = store.card(0);
        const CardStore snapshot = store;
        // Enough rewrites that the store packs itself anew several times.
        for (int round = 0; round < 6; ++round) {
            for (int i = 0; i < cards.size(); ++i) {
                cards[i].foreignWords[0].word += QString::number(round);
                cards[i].rER = round;
                store.replace(i, cards[i]);
            }
        }
        store.removeAt(5);
        cards.removeAt(5);
        store.keepIf([](int pos) { return pos % 4 != 0; });
        QList<Card> kept;
        for (int i = 0; i < cards.size(); ++i)
            if (i % 4 != 0)
                kept << cards[i];
        std::vector<int> reversed(size_t(kept.size()));
        for (int i = 0; i < kept.size(); ++i)
            reversed[size_t(i)] = kept.size() - 1 - i;
        store.permute(reversed);
        QCOMPARE(store.size(), kept.size());
        for (int i = 0; i < kept.size(); ++i) {
            const QString why = difference(store.card(i), kept[kept.size() - 1 - i]);
            QVERIFY2(why.isEmpty(), qPrintable(why));
        }
        QVERIFY(store.textUnits() < 3 * snapshot.textUnits());
        // Made or copied before: untouched.
        QVERIFY(difference(snapshot.card(0), original).isEmpty());
        QVERIFY(difference(firstBefore, original).isEmpty());
    }

    // A random run of every change against a list of values doing the same:
    // after each step the store holds exactly the list's cards.
    void agreesWithAListOfValues_data()
    {
        QTest::addColumn<quint32>("seed");
        for (quint32 seed : {1u, 2u, 3u, 4u})
            QTest::newRow(qPrintable(QString::number(seed))) << seed;
    }
    void agreesWithAListOfValues()
    {
        QFETCH(quint32, seed);
        QRandomGenerator rng(seed);
        const QList<Card> pool = randomHostileCards(200, seed, categories());
        const QStringList files = {QStringLiteral("/d/a.xml"), QStringLiteral("/d/b.xml"),
                                   QString()};
        int nextId = 0;
        auto fresh = [&] {
            Card c = pool[int(rng.bounded(quint32(pool.size())))];
            c.id = ++nextId;
            c.filePath = files[int(rng.bounded(3u))];
            c.runMark = int(rng.bounded(5u));
            c.inFilter = rng.bounded(2u) == 0;
            return c;
        };
        CardStore store;
        QList<Card> model;
        for (int step = 0; step < 300; ++step) {
            const int n = int(model.size());
            const quint32 op = n == 0 ? 0 : rng.bounded(8u);
            if (op <= 1) {
                const Card c = fresh();
                store.append(c, c.id);
                model.append(c);
            } else if (op == 2) {
                const int at = int(rng.bounded(quint32(n)));
                Card c = fresh();
                c.id = model[at].id;
                store.replace(at, c);
                model[at] = c;
            } else if (op == 3) {
                const int at = int(rng.bounded(quint32(n)));
                store.removeAt(at);
                model.removeAt(at);
            } else if (op == 4) {
                const int k = 2 + int(rng.bounded(4u));
                store.keepIf([k](int pos) { return pos % k != 0; });
                QList<Card> kept;
                for (int i = 0; i < n; ++i)
                    if (i % k != 0)
                        kept << model[i];
                model = kept;
            } else if (op == 5) {
                std::vector<int> order(static_cast<size_t>(n));
                std::iota(order.begin(), order.end(), 0);
                std::shuffle(order.begin(), order.end(), std::mt19937(rng.generate()));
                store.permute(order);
                QList<Card> moved;
                for (int from : order)
                    moved << model[from];
                model = moved;
            } else if (op == 6) {
                CardStore more;
                const int k = 1 + int(rng.bounded(5u));
                for (int i = 0; i < k; ++i) {
                    const Card c = fresh();
                    more.append(c, c.id);
                    model.append(c);
                }
                store.take(std::move(more));
            } else {
                const int at = int(rng.bounded(quint32(n)));
                store.setFile(at, files[int(rng.bounded(3u))]);
                model[at].filePath = store.view(at).filePath();
            }
            QCOMPARE(store.size(), model.size());
            const CardStore copy = store;
            std::vector<int> some;
            for (int i = 0; i < model.size(); i += 3)
                some.push_back(i);
            const CardStore selected = store.select(some);
            for (int i = 0; i < model.size(); ++i) {
                const QString why = difference(store.card(i), model[i]);
                QVERIFY2(why.isEmpty(), qPrintable(QStringLiteral("step %1: ").arg(step) + why));
                QCOMPARE(viewText(copy.view(i)), cardText(model[i]));
            }
            for (size_t k = 0; k < some.size(); ++k)
                QVERIFY(difference(selected.card(int(k)), model[some[k]]).isEmpty());
        }
    }

    // Strings of a card made from the store share its text: they live on
    // after it, and a change to one never reaches another.
    void madeCardsOutliveTheStore()
    {
        Card a = makeCard(QStringLiteral("alpha"), {QStringLiteral("один")});
        Card b = makeCard(QStringLiteral("beta"), {QStringLiteral("два")});
        Card outA, outB;
        {
            CardStore store;
            store.append(a, 1);
            store.append(b, 2);
            outA = store.card(0);
            outB = store.card(1);
        }
        outA.foreignWords[0].word.append(QStringLiteral(" and more text than fits in place"));
        outA.translations[0].groups[0][0].word[0] = QChar(u'О');
        QCOMPARE(outB.foreignWords[0].word, QStringLiteral("beta"));
        QCOMPARE(outB.translations[0].groups[0][0].word, QStringLiteral("два"));
        QCOMPARE(outA.translations[0].groups[0][0].word, QStringLiteral("Один"));
        // The last holder of the text may grow and shrink it in place.
        outB = Card();
        QString &last = outA.foreignWords[0].word;
        last.prepend(QStringLiteral(">>"));
        last.truncate(5);
        last.squeeze();
        QCOMPARE(last, QStringLiteral(">>alp"));
        QCOMPARE(last.utf16()[last.size()], char16_t(0));

        // Copies of one store let go on two threads at once.
        auto store = std::make_unique<CardStore>();
        for (int i = 0; i < 5000; ++i)
            store->append(a, i + 1);
        CardStore copy = *store;
        QList<Card> made = copy.cards();
        std::thread other([&copy] { copy.clear(); });
        store.reset();
        other.join();
        QCOMPARE(made.last().foreignWords[0].word, QStringLiteral("alpha"));
    }
};

QTEST_GUILESS_MAIN(TestCardStore)
#include "test_card_store.moc"
