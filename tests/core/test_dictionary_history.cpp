#include "core/dictionary/dictionary_history.h"

#include "core/dictionary/dictionary.h"
#include "core/dictionary/dictionary_file.h"
#include "core/dictionary/dictionary_files.h"
#include "core/find/filter_settings.h"
#include "core/settings/ini_reader.h"
#include "scripted_prompts.h"
#include "test_cards.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <map>
#include <random>

namespace
{

using SP = ScriptedPrompts;

QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// What a save would write for each open file, and for the new cards under
// "": the cards of each, stably sorted by lesson, as the writer does.
std::map<QString, QByteArray> savedBytes(const Dictionary &dict)
{
    std::map<QString, QByteArray> out;
    QStringList paths(dict.openFiles().cbegin(), dict.openFiles().cend());
    paths << QString();
    for (const QString &path : paths) {
        std::vector<int> pos = dict.positionsOfFile(path);
        if (pos.empty() && path.isEmpty())
            continue;
        std::stable_sort(pos.begin(), pos.end(), [&](int a, int b) {
            return dict.cardAt(a).lesson < dict.cardAt(b).lesson;
        });
        QList<Card> cards;
        for (int p : pos)
            cards.append(dict.cardAt(p));
        out[path] = dictionaryFileBytes(cards);
    }
    return out;
}

// Every field of every card, in vector order, with the open files.
QString fullState(const Dictionary &dict)
{
    QString s;
    for (const QString &f : dict.openFiles())
        s += QStringLiteral("file ") + f + QLatin1Char('\n');
    for (const Card &c : dict.cards()) {
        s += QStringLiteral("%1|%2|%3|%4|%5|%6|%7|%8|%9|%10|%11|%12|")
                 .arg(c.id)
                 .arg(c.filePath, c.lesson, c.soundPath)
                 .arg(c.nPER)
                 .arg(c.pER)
                 .arg(c.rER)
                 .arg(c.aER)
                 .arg(c.nPRE)
                 .arg(c.pRE)
                 .arg(c.rRE)
                 .arg(c.aRE);
        s += QString::number(c.nAr) + QLatin1Char('|') + c.categories.join(QLatin1Char(','));
        for (const ForeignWord &w : c.foreignWords)
            s += QLatin1Char('|') + w.word + QLatin1Char('/') + w.transcription +
                 QString::number(w.autoCheck);
        s += QString::number(c.translations.size()) + QLatin1Char('\n');
    }
    return s;
}

QString randomWord(std::mt19937 &rng)
{
    static const QStringList words{"cat", "dog", "house", "tree", "sun", "moon", "sea"};
    return words[int(rng() % words.size())] + QString::number(rng() % 100);
}

// Changes a few of a card's fields at random, each of them now and then.
void changeCard(Card &c, std::mt19937 &rng)
{
    switch (rng() % 9) {
    case 0:
        c.lesson = QStringLiteral("L%1").arg(rng() % 4);
        break;
    case 1:
        c.soundPath = randomWord(rng) + QStringLiteral(".wav");
        break;
    case 2:
        c.foreignWords = {ForeignWord{randomWord(rng), QStringLiteral("[x]"), bool(rng() % 2)}};
        break;
    case 3:
        c.translations = {TranslationSection{
            {{TranslationVariant{QStringLiteral("слово"), QString()}}}, QStringLiteral("N")}};
        break;
    case 4:
        c.categories = {rng() % 2 ? QStringLiteral("Еда") : QStringLiteral("Дом")};
        break;
    case 5:
        c.nPER = int(rng() % 5) + 1;
        c.pER = c.nPER + int(rng() % 3);
        c.rER = int(rng() % 4);
        c.aER = int(rng() % 3);
        break;
    case 6:
        c.nPRE = int(rng() % 5) + 1;
        c.pRE = c.nPRE + int(rng() % 3);
        c.rRE = int(rng() % 4);
        c.aRE = int(rng() % 3);
        break;
    case 7:
        // Taken out of the archive (or put in) through the editor.
        c.nAr = !c.nAr;
        break;
    default:
        c.categories.append(QStringLiteral("Дом"));
        break;
    }
}

int randomId(const Dictionary &dict, std::mt19937 &rng)
{
    return dict.cardCount() ? dict.cardAt(int(rng() % dict.cardCount())).id : 0;
}

// One random operation of the window's through the history.
void randomOperation(DictionaryHistory &h, std::mt19937 &rng)
{
    Dictionary &dict = h.dictionary();
    switch (rng() % 9) {
    case 0: {
        Card c = makeCard(randomWord(rng), {"новое"}, QStringLiteral("L%1").arg(rng() % 4));
        h.addCards({c}, HistoryText::addCard());
        break;
    }
    case 1:
        if (const std::optional<Card> c = dict.cardById(randomId(dict, rng)))
            h.addCards({*c}, HistoryText::addCopy());
        break;
    case 2:
    case 3:
        if (const std::optional<Card> c = dict.cardById(randomId(dict, rng))) {
            Card edited = *c;
            changeCard(edited, rng);
            changeCard(edited, rng);
            h.editCard(edited);
        }
        break;
    case 4: {
        QList<int> ids;
        const int n = 1 + int(rng() % 3);
        for (int i = 0; i < n; ++i)
            ids.append(randomId(dict, rng));
        h.removeCards(ids);
        break;
    }
    case 5:
        h.toArchive(randomId(dict, rng));
        break;
    case 6: {
        QList<Card> cards;
        for (int i = int(rng() % 3); i >= 0; --i)
            cards.append(makeCard(randomWord(rng), {"из", "текста"}, QStringLiteral("L9")));
        h.addCards(cards, HistoryText::convertCards(int(cards.size())));
        break;
    }
    case 7:
        if (rng() % 4 == 0)
            h.resetLearningState();
        break;
    default: {
        // A join: the second file or the new cards into an open file.
        const QStringList files(dict.openFiles().cbegin(), dict.openFiles().cend());
        if (files.isEmpty())
            break;
        QString source;
        if (files.size() > 1)
            source = files.last();
        else if (!dict.hasNewCards())
            break;
        const QString target = files.first();
        h.join(source, target, [&] { dict.moveToFile(source, target); });
        break;
    }
    }
}

Card fixtureCard(int i)
{
    Card c = makeCard(QStringLiteral("word%1").arg(i), {"слово", "ещё"},
                      QStringLiteral("L%1").arg(i % 3));
    c.pER = 1 + i % 3;
    c.rER = i % 2;
    c.aRE = i % 4;
    c.pRE = 2;
    c.nAr = i % 5 != 0;
    c.soundPath = i % 2 ? QStringLiteral("s%1.wav").arg(i) : QString();
    return c;
}

// Two small files opened the way the program opens them.
struct Fixture {
    QTemporaryDir dir;
    Dictionary dict;
    DictionaryHistory history{dict};
    QString a, b;

    Fixture()
    {
        QList<Card> first, second;
        for (int i = 0; i < 8; ++i)
            first.append(fixtureCard(i));
        for (int i = 8; i < 14; ++i)
            second.append(fixtureCard(i));
        a = writeFixtureFile(dir.filePath("a.xml"), first);
        b = writeFixtureFile(dir.filePath("b.xml"), second);
        dict.setCategoryList({QStringLiteral("Еда"), QStringLiteral("Дом")});
        for (const QString &path : {a, b}) {
            Dictionary loaded;
            loaded.setCategoryList(dict.categoryList());
            readDictionaryFile(loaded, path);
            dict.adoptFile(path, loaded);
        }
    }
};

void undoAll(DictionaryHistory &h)
{
    while (h.undo() >= 0) {
    }
}

void redoAll(DictionaryHistory &h)
{
    while (h.redo() >= 0) {
    }
}

} // namespace

class TestDictionaryHistory : public QObject
{
    Q_OBJECT

private slots:
    // Undo of all gives the bytes as opened; redo of all the bytes after.
    void randomOperationsUndoneAndRedone_data()
    {
        QTest::addColumn<unsigned>("seed");
        for (unsigned seed = 1; seed <= 100; ++seed)
            QTest::newRow(qPrintable(QStringLiteral("seed %1").arg(seed))) << seed;
    }
    void randomOperationsUndoneAndRedone()
    {
        QFETCH(unsigned, seed);
        Fixture f;
        const QByteArray fileA = fileBytes(f.a);
        const QByteArray fileB = fileBytes(f.b);
        const QString opened = fullState(f.dict);
        QCOMPARE(savedBytes(f.dict)[f.a], fileA);
        QVERIFY(!f.dict.isModified());

        std::mt19937 rng(seed);
        for (int i = 0; i < 200; ++i)
            randomOperation(f.history, rng);
        const std::map<QString, QByteArray> after = savedBytes(f.dict);
        const QString afterState = fullState(f.dict);

        undoAll(f.history);
        QCOMPARE(f.history.stack().index(), 0);
        const std::map<QString, QByteArray> undone = savedBytes(f.dict);
        QCOMPARE(undone.size(), size_t(2));
        QVERIFY(undone.at(f.a) == fileA);
        QVERIFY(undone.at(f.b) == fileB);
        QCOMPARE(fullState(f.dict), opened);
        QVERIFY(!f.dict.isModified());

        redoAll(f.history);
        QVERIFY(savedBytes(f.dict) == after);
        QCOMPARE(fullState(f.dict), afterState);
        QCOMPARE(f.dict.isModified(), f.history.count() > 0);
    }

    void restorePutsCardsBackAtTheirPositions_data()
    {
        QTest::addColumn<QList<int>>("removed"); // positions among 0..5
        QTest::newRow("first") << QList<int>{0};
        QTest::newRow("last") << QList<int>{5};
        QTest::newRow("middle two") << QList<int>{2, 3};
        QTest::newRow("apart") << QList<int>{0, 2, 5};
        QTest::newRow("all") << QList<int>{0, 1, 2, 3, 4, 5};
    }
    void restorePutsCardsBackAtTheirPositions()
    {
        QFETCH(QList<int>, removed);
        Dictionary dict;
        for (int i = 0; i < 6; ++i)
            dict.addCard(makeCard(QString::number(i)));
        DictionaryHistory h(dict);
        const QString before = fullState(dict);
        QList<int> ids;
        for (int p : removed)
            ids.append(dict.cardAt(p).id);
        // Named in reverse and twice: still one command for the cards.
        QList<int> asked = ids;
        std::reverse(asked.begin(), asked.end());
        asked.append(ids.first());
        QCOMPARE(h.removeCards(asked).size(), ids.size());
        QCOMPARE(h.undoText(), HistoryText::removeCards(int(ids.size())));
        QCOMPARE(dict.cardCount(), 6 - int(ids.size()));
        QSignalSpy added(&dict, &Dictionary::cardsAdded);
        QCOMPARE(h.undo(), ids.first());
        QCOMPARE(fullState(dict), before);
        QCOMPARE(added.count(), 1);
        for (int i = 0; i < dict.cardCount(); ++i)
            QCOMPARE(dict.indexOfId(dict.cardAt(i).id), i);
        // A card held already is not put back twice.
        QVERIFY(dict.restoreCards({{0, dict.cardAt(0)}}).isEmpty());
        QCOMPARE(dict.cardCount(), 6);
    }

    // The store packs itself anew under many edits; a delete's undo still
    // has its cards, and undoing everything gives the cards as they were.
    void undoAfterTheStorePacksItself()
    {
        Dictionary dict;
        for (int i = 0; i < 600; ++i) {
            Card c = fixtureCard(i);
            c.foreignWords[0].word += QString(100, QLatin1Char('x'));
            dict.addCard(c);
        }
        DictionaryHistory h(dict);
        const QString before = fullState(dict);
        const qint64 unitsBefore = dict.store().textUnits();
        QList<int> doomed;
        for (int i = 0; i < 600; i += 7)
            doomed.append(dict.cardAt(i).id);
        h.removeCards(doomed);
        // Within the undo limit of a thousand steps.
        for (int k = 0; k < 900; ++k) {
            Card c = dict.cardAt(k % dict.cardCount());
            c.foreignWords[0].word += QStringLiteral("+");
            h.editCard(c);
        }
        // Packed anew: the garbage of the edits did not pile up.
        QVERIFY(dict.store().textUnits() < 2 * unitsBefore);
        undoAll(h);
        QCOMPARE(fullState(dict), before);
    }

    void cardsGenitive_data()
    {
        QTest::addColumn<int>("n");
        QTest::addColumn<QString>("text");
        QTest::newRow("1") << 1 << "удаление 1 карточки";
        QTest::newRow("3") << 3 << "удаление 3 карточек";
        QTest::newRow("5") << 5 << "удаление 5 карточек";
        QTest::newRow("11") << 11 << "удаление 11 карточек";
        QTest::newRow("21") << 21 << "удаление 21 карточки";
        QTest::newRow("111") << 111 << "удаление 111 карточек";
    }
    void cardsGenitive()
    {
        QFETCH(int, n);
        QFETCH(QString, text);
        QCOMPARE(HistoryText::removeCards(n), text);
    }

    void keys_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("mods");
        QTest::addColumn<int>("action");
        const int ctrl = Qt::ControlModifier;
        const int shift = Qt::ShiftModifier;
        QTest::newRow("Ctrl+Z") << int(Qt::Key_Z) << ctrl << int(HistoryKey::Undo);
        QTest::newRow("Ctrl+Я") << 0x042F << ctrl << int(HistoryKey::Undo);
        QTest::newRow("Ctrl+Shift+Z") << int(Qt::Key_Z) << (ctrl | shift) << int(HistoryKey::Redo);
        QTest::newRow("Ctrl+Shift+Я") << 0x042F << (ctrl | shift) << int(HistoryKey::Redo);
        QTest::newRow("Ctrl+Y") << int(Qt::Key_Y) << ctrl << int(HistoryKey::Redo);
        QTest::newRow("Ctrl+Н") << 0x041D << ctrl << int(HistoryKey::Redo);
        QTest::newRow("Z alone") << int(Qt::Key_Z) << 0 << int(HistoryKey::None);
        QTest::newRow("Alt+Z") << int(Qt::Key_Z) << int(Qt::AltModifier) << int(HistoryKey::None);
        QTest::newRow("Ctrl+Shift+Y") << int(Qt::Key_Y) << (ctrl | shift) << int(HistoryKey::None);
    }
    void keys()
    {
        QFETCH(int, key);
        QFETCH(int, mods);
        QFETCH(int, action);
        QCOMPARE(int(historyKey(key, Qt::KeyboardModifiers(mods))), action);
    }

    // Whether the dictionary counts as changed, which the close questions
    // ask about, after a script of steps:
    // e edit, u undo, r redo, s save, c run counters change (no command),
    // x a run starts (the stack is emptied), j a cancelled join.
    void cleanState_data()
    {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<bool>("modified");
        QTest::addColumn<bool>("canUndo");
        QTest::newRow("nothing") << "" << false << false;
        QTest::newRow("edit") << "e" << true << true;
        QTest::newRow("edit undone") << "eu" << false << false;
        QTest::newRow("edit undone, redone") << "eur" << true << true;
        QTest::newRow("two edits, one undone") << "eeu" << true << true;
        QTest::newRow("edit saved") << "es" << false << true;
        QTest::newRow("edit saved, undone") << "esu" << true << false;
        QTest::newRow("saved, undone, redone") << "esur" << false << true;
        QTest::newRow("undone past the save, new edit") << "esue" << true << true;
        QTest::newRow("run counters, edit undone") << "ceu" << true << false;
        QTest::newRow("edit, run starts") << "ex" << true << false;
        QTest::newRow("saved, run starts") << "esx" << true << false;
        QTest::newRow("cancelled join, edit undone") << "jeu" << true << false;
        QTest::newRow("edit, cancelled join, undone") << "eju" << true << false;
    }
    void cleanState()
    {
        QFETCH(QString, steps);
        QFETCH(bool, modified);
        QFETCH(bool, canUndo);
        QTemporaryDir dir;
        Dictionary dict;
        DictionaryHistory h(dict);
        bool running = false;
        h.setRunningCheck([&] { return running; });
        const QString path =
            writeFixtureFile(dir.filePath("a.xml"), {fixtureCard(1), fixtureCard(2)});
        dict.setCategoryList({QStringLiteral("Еда"), QStringLiteral("Дом")});
        Dictionary loaded;
        loaded.setCategoryList(dict.categoryList());
        readDictionaryFile(loaded, path);
        dict.adoptFile(path, loaded);
        QCOMPARE(dict.cardCount(), 2);
        const int id = dict.cardAt(0).id;
        int n = 0;
        for (const QChar step : steps) {
            Card c = *dict.cardById(id);
            switch (step.toLatin1()) {
            case 'e':
                c.lesson = QStringLiteral("E%1").arg(++n);
                h.editCard(c);
                break;
            case 'u':
                h.undo();
                break;
            case 'r':
                h.redo();
                break;
            case 's':
                dict.setModified(false);
                break;
            case 'c':
                dict.updateCard(id, [](Card &card) { ++card.rER; });
                break;
            case 'x':
                h.clear();
                dict.setModified(true);
                break;
            case 'j':
                dict.setModified(true);
                h.markChanged();
                break;
            }
        }
        QCOMPARE(dict.isModified(), modified);
        QCOMPARE(h.canUndo(), canUndo);

        // The close question of the files follows the same flag.
        iniReader settings, filterStore;
        FilterSettings filter;
        ScriptedPrompts prompts;
        DictionaryFiles files(dict, settings, filterStore, filter, prompts);
        prompts.answerYesNo(SP::No, "Закрыть файл\n");
        files.close();
        prompts.verifyAllUsed();
        prompts.answerYesNo(SP::Yes, "Закрыть файл\n");
        if (modified)
            prompts.answerYesNo(SP::No, "несохраненные изменения");
        files.close();
        prompts.verifyAllUsed();
        QCOMPARE(dict.cardCount(), modified ? 2 : 0);
    }

    // Undo is refused while a run goes; the run's changes are no commands.
    void runsAreNotUndone()
    {
        Dictionary dict;
        dict.addCard(makeCard("a"));
        DictionaryHistory h(dict);
        bool running = false;
        h.setRunningCheck([&] { return running; });
        Card c = dict.cardAt(0);
        c.lesson = "X";
        h.editCard(c);
        QVERIFY(h.canUndo());
        running = true;
        QVERIFY(!h.canUndo());
        QCOMPARE(h.undo(), -1);
        // A card edited during the run is changed, not recorded.
        c.lesson = "Y";
        QVERIFY(h.editCard(c));
        QCOMPARE(dict.cardAt(0).lesson, QString("Y"));
        QCOMPARE(h.count(), 1);
    }

    // The stack is emptied when the card list or the files change outside it.
    void emptiedByFileJobs_data()
    {
        QTest::addColumn<QString>("job");
        QTest::newRow("file opened") << "open";
        QTest::newRow("new cards deleted") << "removeNew";
        QTest::newRow("save as") << "savedAs";
        QTest::newRow("save as of a part") << "moveToFile";
    }
    void emptiedByFileJobs()
    {
        QFETCH(QString, job);
        Dictionary dict;
        DictionaryHistory h(dict);
        h.addCards({makeCard("a")}, HistoryText::addCard());
        QCOMPARE(h.count(), 1);
        if (job == "open") {
            Dictionary loaded;
            loaded.addCard(makeCard("b"));
            dict.adoptFile("/x/b.xml", loaded);
        } else if (job == "removeNew") {
            dict.removeNewCards();
        } else if (job == "savedAs") {
            dict.savedAs({0}, "/x/c.xml");
        } else {
            dict.moveToFile(QString(), "/x/c.xml");
        }
        QCOMPARE(h.count(), 0);
        QVERIFY(!h.canUndo());
    }

    void undoOfJoinReopensTheSource()
    {
        Fixture f;
        const QString before = fullState(f.dict);
        f.history.join(f.b, f.a, [&] { f.dict.moveToFile(f.b, f.a); });
        QCOMPARE(f.dict.openFiles().size(), size_t(1));
        QCOMPARE(f.history.undoText(), HistoryText::join());
        f.history.undo();
        QCOMPARE(fullState(f.dict), before);
        QVERIFY(!f.dict.isModified());
    }
};

QTEST_GUILESS_MAIN(TestDictionaryHistory)
#include "test_dictionary_history.moc"
