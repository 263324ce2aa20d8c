// A dictionary shared by two copies of the program or two computers: the
// merge rules, a whole day of work on both sides merged, the locks, and a
// change on disk noticed by the watcher and before a save.
#include "core/dictionary/card_merge.h"
#include "core/dictionary/dictionary_file.h"
#include "core/dictionary/dictionary_files.h"
#include "core/dictionary/file_lock.h"
#include "core/dictionary/file_watch.h"
#include "core/find/filter_settings.h"
#include "core/settings/ini_reader.h"

#include "scripted_prompts.h"
#include "test_cards.h"

#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QSignalSpy>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/wait.h>
#include <unistd.h>

using SP = ScriptedPrompts;

namespace
{

// "cat=кот" is a card of lesson L1 with the word cat translated кот;
// " r3" / " R3" set its repetitions ин-ру / ру-ин, " L:L2" its lesson.
// In ours, a leading "#i " makes it the card of base[i].
Card cardOf(QString text, int *baseIndex = nullptr)
{
    if (baseIndex)
        *baseIndex = -1;
    if (text.startsWith(QLatin1Char('#'))) {
        const qsizetype blank = text.indexOf(QLatin1Char(' '));
        if (baseIndex)
            *baseIndex = text.mid(1, blank - 1).toInt();
        text = text.mid(blank + 1);
    }
    const QStringList parts = text.split(QLatin1Char(' '));
    const QStringList words = parts[0].split(QLatin1Char('='));
    QString lesson = QStringLiteral("L1");
    for (const QString &p : parts.mid(1)) {
        if (p.startsWith(QLatin1String("L:")))
            lesson = p.mid(2);
    }
    Card c = makeCard(words[0], {words.value(1)}, lesson);
    for (const QString &p : parts.mid(1)) {
        if (p.startsWith(QLatin1Char('r')))
            c.rER = p.mid(1).toInt();
        else if (p.startsWith(QLatin1Char('R')))
            c.rRE = p.mid(1).toInt();
    }
    return c;
}

QString textOf(const Card &c)
{
    QString t = c.foreignWords.value(0).word + QLatin1Char('=') +
                c.translations.value(0).groups.value(0).value(0).word;
    if (c.rER)
        t += QStringLiteral(" r") + QString::number(c.rER);
    if (c.rRE)
        t += QStringLiteral(" R") + QString::number(c.rRE);
    if (c.lesson != QLatin1String("L1"))
        t += QStringLiteral(" L:") + c.lesson;
    return t;
}

QStringList sorted(QStringList l)
{
    l.sort();
    return l;
}

// Everything a DictionaryFiles works on, with the locks and the watcher.
struct Files {
    Dictionary dict;
    iniReader settings;
    iniReader filterStore;
    FilterSettings filter;
    ScriptedPrompts prompts;
    FileWatch watch{dict};
    DictionaryFiles files{dict, settings, filterStore, filter, prompts};

    Files()
    {
        dict.setCategoryList({QStringLiteral("Еда")});
        files.setFileWatch(&watch);
    }
    QStringList cardTexts() const
    {
        QStringList l;
        for (const Card &c : dict.cards())
            l << textOf(c);
        return sorted(l);
    }
};

QList<Card> readBack(const QString &path)
{
    Dictionary d;
    d.setCategoryList({QStringLiteral("Еда")});
    readDictionaryFile(d, path);
    return d.cards();
}

} // namespace

class TestFileSharing : public QObject
{
    Q_OBJECT

private slots:
    void mergeRules_data();
    void mergeRules();
    void dayOfWorkOnTwoComputers_data();
    void dayOfWorkOnTwoComputers();
    void locks_data();
    void locks();
    void lockFollowsTheFile();
    void changeOnDisk_data();
    void changeOnDisk();
    void watcherSeesAChange();
    void syncCopiesOfferedAtOpen();
};

void TestFileSharing::mergeRules_data()
{
    QTest::addColumn<QStringList>("base");
    QTest::addColumn<QStringList>("ours");
    QTest::addColumn<QStringList>("theirs");
    QTest::addColumn<QStringList>("result");
    QTest::addColumn<QString>("message");

    const QString cat = QStringLiteral("cat=кот");
    const QString dog = QStringLiteral("dog=пёс");
    QTest::newRow("nothing changed")
        << QStringList{cat} << QStringList{"#0 " + cat} << QStringList{cat} << QStringList{cat}
        << QStringLiteral("изменено по файлу: 0");
    QTest::newRow("changed there")
        << QStringList{cat} << QStringList{"#0 " + cat} << QStringList{"cat=кошка"}
        << QStringList{"cat=кошка"} << QStringLiteral("изменено по файлу: 1");
    QTest::newRow("changed here") << QStringList{cat} << QStringList{"#0 cat=кошка"}
                                  << QStringList{cat} << QStringList{"cat=кошка"}
                                  << QStringLiteral("изменено по файлу: 0");
    QTest::newRow("changed the same on both sides")
        << QStringList{cat} << QStringList{"#0 cat=кошка"} << QStringList{"cat=кошка"}
        << QStringList{"cat=кошка"} << QStringLiteral("изменено по файлу: 0");
    QTest::newRow("answered on both sides: here further")
        << QStringList{cat + " r1"} << QStringList{"#0 " + cat + " r3"} << QStringList{cat + " r2"}
        << QStringList{cat + " r3"} << QStringLiteral("изменено по файлу: 0");
    QTest::newRow("answered on both sides: there further")
        << QStringList{cat + " r1"} << QStringList{"#0 " + cat + " r2"} << QStringList{cat + " r4"}
        << QStringList{cat + " r4"} << QStringLiteral("изменено по файлу: 1");
    QTest::newRow("answered in each direction on one side")
        << QStringList{cat} << QStringList{"#0 " + cat + " r2"} << QStringList{cat + " R5"}
        << QStringList{cat + " r2 R5"} << QStringLiteral("изменено по файлу: 1");
    QTest::newRow("edited there, answered here")
        << QStringList{cat} << QStringList{"#0 " + cat + " r2"} << QStringList{"cat=кошка"}
        << QStringList{"cat=кошка r2"} << QStringLiteral("изменено по файлу: 1");
    QTest::newRow("foreign word edited there, answered here")
        << QStringList{cat} << QStringList{"#0 " + cat + " r2"} << QStringList{"kitty=кот"}
        << QStringList{"kitty=кот r2"} << QStringLiteral("добавлено из файла: 0");
    QTest::newRow("words changed differently: both kept, named")
        << QStringList{cat} << QStringList{"#0 cat=кошка"} << QStringList{"cat=котик"}
        << QStringList{"cat=кошка", "cat=котик"}
        << QStringLiteral("в двух вариантах:\nКарточка «cat» (урок «L1»)");
    QTest::newRow("added there") << QStringList{cat} << QStringList{"#0 " + cat}
                                 << QStringList{cat, dog} << QStringList{cat, dog}
                                 << QStringLiteral("добавлено из файла: 1");
    QTest::newRow("added here") << QStringList{cat} << QStringList{"#0 " + cat, dog}
                                << QStringList{cat} << QStringList{cat, dog}
                                << QStringLiteral("добавлено из файла: 0");
    QTest::newRow("the same card added on both sides")
        << QStringList{cat} << QStringList{"#0 " + cat, dog} << QStringList{cat, dog}
        << QStringList{cat, dog} << QStringLiteral("добавлено из файла: 0");
    QTest::newRow("deleted there, unchanged here")
        << QStringList{cat, dog} << QStringList{"#0 " + cat, "#1 " + dog} << QStringList{cat}
        << QStringList{cat} << QStringLiteral("удалено, как в файле: 1");
    QTest::newRow("deleted here, unchanged there")
        << QStringList{cat, dog} << QStringList{"#0 " + cat} << QStringList{cat, dog}
        << QStringList{cat} << QStringLiteral("удалено, как в файле: 0");
    QTest::newRow("deleted there, changed here: kept")
        << QStringList{cat, dog} << QStringList{"#0 " + cat, "#1 " + dog + " r2"}
        << QStringList{cat} << QStringList{cat, dog + " r2"}
        << QStringLiteral("изменённые с другой, сохранены:\nКарточка «dog»");
    QTest::newRow("deleted here, changed there: kept")
        << QStringList{cat, dog} << QStringList{"#0 " + cat} << QStringList{cat, "dog=собака"}
        << QStringList{cat, "dog=собака"}
        << QStringLiteral("изменённые с другой, сохранены:\nКарточка «dog»");
    QTest::newRow("equal words and lesson: the position decides")
        << QStringList{"cat=кот", "cat=кошка"} << QStringList{"#0 cat=кот", "#1 cat=кошка r1"}
        << QStringList{"cat=кот", "cat=котёнок"} << QStringList{"cat=кот", "cat=котёнок r1"}
        << QStringLiteral("изменено по файлу: 1");
    QTest::newRow("another lesson is another card")
        << QStringList{cat} << QStringList{"#0 " + cat} << QStringList{cat, cat + " L:L2"}
        << QStringList{cat, cat + " L:L2"} << QStringLiteral("добавлено из файла: 1");
    QTest::newRow("sync copy without base: nothing deleted")
        << QStringList{} << QStringList{cat + " r1", "owl=сова"} << QStringList{cat + " r3", dog}
        << QStringList{cat + " r3", dog, "owl=сова"} << QStringLiteral("удалено, как в файле: 0");
}

void TestFileSharing::mergeRules()
{
    QFETCH(QStringList, base);
    QFETCH(QStringList, ours);
    QFETCH(QStringList, theirs);
    QFETCH(QStringList, result);
    QFETCH(QString, message);

    QList<Card> baseCards, oursCards, theirsCards;
    for (const QString &t : base)
        baseCards << cardOf(t);
    std::vector<int> oursBase;
    for (const QString &t : ours) {
        int b = -1;
        oursCards << cardOf(t, &b);
        oursCards.last().id = int(oursCards.size());
        oursBase.push_back(b);
    }
    for (const QString &t : theirs)
        theirsCards << cardOf(t);
    QList<const Card *> oursPtr;
    for (const Card &c : oursCards)
        oursPtr << &c;

    const MergeResult r = mergeCards(baseCards, oursPtr, oursBase, theirsCards);

    QStringList got;
    for (int i = 0; i < oursCards.size(); ++i) {
        if (std::find(r.removed.begin(), r.removed.end(), i) != r.removed.end())
            continue;
        const Card *c = &oursCards[i];
        for (const Card &changed : r.changed) {
            if (changed.id == c->id)
                c = &changed;
        }
        got << textOf(*c);
    }
    for (const Card &c : r.added)
        got << textOf(c);
    QCOMPARE(sorted(got), sorted(result));
    const QString report = mergeReport(QStringLiteral("/d/words.xml"), r);
    QVERIFY2(report.contains(message), qPrintable(report));
}

void TestFileSharing::dayOfWorkOnTwoComputers_data()
{
    QTest::addColumn<QString>("choice");
    QTest::addColumn<int>("lostChanges");
    QTest::newRow("merged: nothing lost") << DictionaryFiles::mergeChoice() << 0;
    // Without the merge the other computer's 7 changes are gone, and the
    // check below sees it.
    QTest::newRow("saved over: theirs lost") << DictionaryFiles::replaceChoice() << 7;
}

void TestFileSharing::dayOfWorkOnTwoComputers()
{
    QFETCH(QString, choice);
    QFETCH(int, lostChanges);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("words.xml"));
    QList<Card> original;
    for (int i = 0; i < 100; ++i)
        original << makeCard(QStringLiteral("w%1").arg(i), {QStringLiteral("с%1").arg(i)},
                             QStringLiteral("L%1").arg(i % 4));
    writeFixtureFile(path, original);

    Files a;
    QVERIFY(a.files.openPaths({path}));
    // Computer A answers 50 cards in runs (every other card): a run's
    // counters change the cards directly.
    QStringList answered;
    for (int pos = 0; pos < a.dict.cardCount(); pos += 2) {
        answered << a.dict.cardAt(pos).foreignWords[0].word;
        a.dict.updateCard(a.dict.cardAt(pos).id, [](Card &c) {
            c.rER += 1;
            c.aER = 1;
        });
    }
    QCOMPARE(answered.size(), 50);
    a.dict.setModified(true);

    // Computer B edits 5 cards (three of them answered on A, one by its
    // foreign word) and adds 2.
    QList<Card> onB = readBack(path);
    for (int i : {1, 2, 4, 5, 6}) {
        Card &c = onB[i];
        if (i == 6)
            c.foreignWords[0].word += QStringLiteral("-b");
        else
            c.translations[0].groups[0][0].word += QStringLiteral(" (B)");
    }
    onB << makeCard(QStringLiteral("newB1"), {QStringLiteral("новое1")}, QStringLiteral("L1"))
        << makeCard(QStringLiteral("newB2"), {QStringLiteral("новое2")}, QStringLiteral("L9"));
    writeFixtureFile(path, onB);

    a.prompts.answerYesNo(SP::Yes, QStringLiteral("Сохранить изменения?"));
    a.prompts.answerItem(choice);
    if (choice == DictionaryFiles::mergeChoice())
        a.prompts.expect(SP::Information, QStringLiteral("добавлено из файла: 2"));
    a.prompts.expect(SP::Information, QStringLiteral("Было сохранено:"));
    a.files.saveAll();
    QVERIFY(a.prompts.lastLabel.contains(QStringLiteral("изменён другой программой")));

    // The file must hold the original with A's answers and B's edits and
    // additions, and nothing else.
    QHash<QString, Card> expected;
    for (const Card &c : onB) {
        const QString w = c.foreignWords[0].word;
        Card e = c;
        if (answered.contains(w.endsWith(QLatin1String("-b")) ? w.chopped(2) : w)) {
            e.rER += 1;
            e.aER = 1;
        }
        expected.insert(w, e);
    }
    const QList<Card> saved = readBack(path);
    QHash<QString, Card> savedByWord;
    for (const Card &c : saved)
        savedByWord.insert(c.foreignWords[0].word, c);
    auto sameIn = [](const QHash<QString, Card> &in, const QString &w, const Card &c) {
        return in.contains(w) && in.value(w).sameContent(c);
    };
    int lost = 0;
    for (auto it = expected.cbegin(); it != expected.cend(); ++it)
        lost += sameIn(savedByWord, it.key(), it.value()) ? 0 : 1;
    QCOMPARE(lost, lostChanges);
    if (lostChanges == 0) {
        int extra = 0;
        for (auto it = savedByWord.cbegin(); it != savedByWord.cend(); ++it)
            extra += sameIn(expected, it.key(), it.value()) ? 0 : 1;
        QCOMPARE(extra, 0);
        QCOMPARE(saved.size(), 102);
    }
}

void TestFileSharing::locks_data()
{
    QTest::addColumn<QString>("lock");
    QTest::addColumn<int>("answer"); // -1: no question
    QTest::addColumn<bool>("opened");
    QTest::addColumn<bool>("held");

    QTest::newRow("free: taken") << "none" << -1 << true << true;
    QTest::newRow("running copy, do not open") << "other host" << int(SP::No) << false << false;
    QTest::newRow("running copy, open anyway") << "other host" << int(SP::Yes) << true << false;
    QTest::newRow("this computer, running") << "this process" << int(SP::No) << false << false;
    QTest::newRow("dead process: taken over") << "dead process" << -1 << true << true;
    QTest::newRow("cannot be made: opens without") << "unwritable" << -1 << true << false;
}

void TestFileSharing::locks()
{
    QFETCH(QString, lock);
    QFETCH(int, answer);
    QFETCH(bool, opened);
    QFETCH(bool, held);

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("words.xml"));
    writeFixtureFile(path, {makeCard(QStringLiteral("cat"))});
    const QString lockPath = DictionaryLocks::lockPathFor(path);
    QCOMPARE(lockPath, dir.filePath(QStringLiteral(".words.xml.lock")));
    auto writeLock = [&](qint64 pid, const QString &host) {
        QFile f(lockPath);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QByteArray::number(pid) + "\nlexitor\n" + host.toUtf8() + "\n");
    };
    std::unique_ptr<QLockFile> other;
    if (lock == QLatin1String("other host")) {
        writeLock(4242, QStringLiteral("laptop"));
    } else if (lock == QLatin1String("this process")) {
        other = std::make_unique<QLockFile>(lockPath);
        QVERIFY(other->tryLock(0));
    } else if (lock == QLatin1String("dead process")) {
        // A child that has ended: its pid names no running process.
        const pid_t child = fork();
        if (child == 0)
            _exit(0);
        waitpid(child, nullptr, 0);
        writeLock(child, QSysInfo::machineHostName());
    } else if (lock == QLatin1String("unwritable")) {
        // Where the lock would go stands a folder: no lock can be made
        // (a read-only folder does the same, but not for root).
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral(".words.xml.lock")));
    }

    Files f;
    if (answer >= 0)
        f.prompts.answerYesNo(answer, QStringLiteral("уже открыт другой копией программы"));
    QCOMPARE(f.files.openPaths({path}), opened);
    QCOMPARE(f.dict.openFiles().count(path) > 0, opened);
    QCOMPARE(f.watch.locks().holds(path), held);
    if (lock == QLatin1String("other host"))
        QVERIFY(f.prompts.texts(SP::Question)
                    .value(0)
                    .contains(QStringLiteral("компьютер «laptop», процесс 4242")));
    if (held) {
        QLockFile second(lockPath);
        QVERIFY(!second.tryLock(0));
    }
    // Closing gives the lock back.
    f.dict.closeFiles({path});
    QVERIFY(!f.watch.locks().holds(path));
    if (held)
        QVERIFY(!QFile::exists(lockPath));
}

void TestFileSharing::lockFollowsTheFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("words.xml"));
    const QString renamed = dir.filePath(QStringLiteral("other.xml"));
    writeFixtureFile(path, {makeCard(QStringLiteral("cat"))});
    {
        Files f;
        QVERIFY(f.files.openPaths({path}));
        f.prompts.answerSaveFile(renamed);
        f.files.saveAs();
        QVERIFY(f.watch.locks().holds(renamed));
        QVERIFY(!f.watch.locks().holds(path));
        QVERIFY(!QFile::exists(DictionaryLocks::lockPathFor(path)));
        QVERIFY(QFile::exists(DictionaryLocks::lockPathFor(renamed)));
    }
    // And goes when the program ends.
    QVERIFY(!QFile::exists(DictionaryLocks::lockPathFor(renamed)));
}

void TestFileSharing::changeOnDisk_data()
{
    QTest::addColumn<bool>("unsaved");
    QTest::addColumn<QString>("choice");
    QTest::addColumn<QStringList>("cards");
    QTest::addColumn<bool>("modified");

    QTest::newRow("nothing unsaved: read again")
        << false << QStringLiteral("yes") << QStringList{"cat=кошка", "dog=пёс"} << false;
    QTest::newRow("nothing unsaved: keep")
        << false << QStringLiteral("no") << QStringList{"cat=кот"} << false;
    QTest::newRow("unsaved: merge")
        << true << DictionaryFiles::mergeChoice() << QStringList{"cat=кошка r5", "dog=пёс"} << true;
    QTest::newRow("unsaved: save over")
        << true << DictionaryFiles::replaceChoice() << QStringList{"cat=кот r5"} << true;
    QTest::newRow("unsaved: leave")
        << true << DictionaryFiles::cancelChoice() << QStringList{"cat=кот r5"} << true;
}

void TestFileSharing::changeOnDisk()
{
    QFETCH(bool, unsaved);
    QFETCH(QString, choice);
    QFETCH(QStringList, cards);
    QFETCH(bool, modified);

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("words.xml"));
    writeFixtureFile(path, {cardOf(QStringLiteral("cat=кот"))});
    Files f;
    QVERIFY(f.files.openPaths({path}));
    // Written again with the same bytes: no change.
    writeFixtureFile(path, {cardOf(QStringLiteral("cat=кот"))});
    f.files.checkOutsideChange(path);

    if (unsaved) {
        f.dict.updateCard(f.dict.cardAt(0).id, [](Card &c) { c.rER = 5; });
        f.dict.setModified(true);
    }
    writeFixtureFile(path,
                     {cardOf(QStringLiteral("cat=кошка")), cardOf(QStringLiteral("dog=пёс"))});
    if (!unsaved) {
        f.prompts.answerYesNo(choice == QLatin1String("yes") ? SP::Yes : SP::No,
                              QStringLiteral(" изменён другой программой. Открыть заново?"));
    } else {
        f.prompts.answerItem(choice);
        if (choice == DictionaryFiles::mergeChoice())
            f.prompts.expect(SP::Information, QStringLiteral("объединены с вашими"));
        if (choice == DictionaryFiles::replaceChoice())
            f.prompts.expect(SP::Information, QStringLiteral("Было сохранено"));
    }
    f.files.checkOutsideChange(path);
    QCOMPARE(f.cardTexts(), cards);
    QCOMPARE(f.dict.isModified(), modified);
    // Asked once per version on disk.
    f.files.checkOutsideChange(path);

    // A save still asks about a version the watcher's question left alone.
    if (choice == DictionaryFiles::cancelChoice() || choice == QLatin1String("no")) {
        f.dict.setModified(true);
        f.prompts.answerYesNo(SP::Yes, QStringLiteral("Сохранить изменения?"));
        f.prompts.answerItem(DictionaryFiles::cancelChoice());
        f.files.saveAll();
        QCOMPARE(readBack(path).size(), 2);
    }
}

void TestFileSharing::watcherSeesAChange()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("words.xml"));
    writeFixtureFile(path, {makeCard(QStringLiteral("cat"))});
    Files f;
    QVERIFY(f.files.openPaths({path}));
    QSignalSpy spy(&f.watch, &FileWatch::fileChanged);
    // Replaced by a rename, as safe saves and synchronisation tools do.
    writeFixtureFile(dir.filePath(QStringLiteral("tmp.xml")),
                     {makeCard(QStringLiteral("cat")), makeCard(QStringLiteral("dog"))});
    QVERIFY(QFile::remove(path));
    QVERIFY(QFile::rename(dir.filePath(QStringLiteral("tmp.xml")), path));
    QVERIFY(spy.wait());
    QCOMPARE(spy.first().first().toString(), path);
    QVERIFY(f.watch.changedOnDisk(path));
}

void TestFileSharing::syncCopiesOfferedAtOpen()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("words.xml"));
    writeFixtureFile(path, {cardOf(QStringLiteral("cat=кот r1"))});
    const QString copy =
        dir.filePath(QStringLiteral("words.sync-conflict-20240101-120000-ABC.xml"));
    writeFixtureFile(copy,
                     {cardOf(QStringLiteral("cat=кот r4")), cardOf(QStringLiteral("dog=пёс"))});
    // Copies of another dictionary are not offered.
    writeFixtureFile(dir.filePath(QStringLiteral("words2 (conflicted copy 2024-01-01).xml")),
                     {makeCard(QStringLiteral("owl"))});

    Files f;
    f.prompts.answerYesNo(SP::Yes, QStringLiteral("words.sync-conflict-20240101-120000-ABC.xml"));
    f.prompts.expect(SP::Information, QStringLiteral("добавлено из файла: 1"));
    QVERIFY(f.files.openPaths({path}));
    QVERIFY(!f.prompts.texts(SP::Question).value(0).contains(QStringLiteral("words2")));
    QCOMPARE(f.cardTexts(), (QStringList{"cat=кот r4", "dog=пёс"}));
    QVERIFY(f.dict.isModified());
    QVERIFY(QFile::exists(copy));
}

QTEST_GUILESS_MAIN(TestFileSharing)
#include "test_file_sharing.moc"
