#include "core/dictionary/dictionary_file.h"
#include "core/dictionary/dictionary_files.h"
#include "core/find/filter_settings.h"
#include "core/markup/markup.h"
#include "core/settings/app_settings.h"
#include "core/settings/ini_reader.h"

#include "scripted_prompts.h"
#include "test_cards.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <atomic>
#include <functional>
#include <sys/stat.h>

#include <memory>

using SP = ScriptedPrompts;

namespace
{

const QString kNewCards = QStringLiteral("Новые карточки");
const QString kCloseAll = QStringLiteral("Всё (кроме несохраненных карточек)");
const QString kDeleteNew = QStringLiteral("Удалить новые слова");

QByteArray bytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

QStringList listOf(const StringSet &set)
{
    return QStringList(set.begin(), set.end());
}

// Everything a DictionaryFiles works on, made afresh for each test.
struct Session {
    Dictionary dict;
    iniReader settings;
    iniReader filterStore;
    FilterSettings filter;
    ScriptedPrompts prompts;
    DictionaryFiles files{dict, settings, filterStore, filter, prompts};
    bool busy = false;
    int busyStarts = 0;

    Session()
    {
        dict.setCategoryList({QStringLiteral("Еда"), QStringLiteral("Дом")});
        files.setBusyHook([this](bool on) {
            QVERIFY2(on != busy, "busy state set twice");
            busy = on;
            busyStarts += on ? 1 : 0;
        });
        // A wait cursor must never stand over a box.
        prompts.onPrompt = [this](SP::Kind, const QString &text) {
            QVERIFY2(!busy, qPrintable("prompt while busy: " + text));
        };
    }
};

// What the page does to its table after a file job, learnt from the
// dictionary's signals: it rebuilds and fits the columns after a reset of the
// cards, and refreshes after a change of files when it groups by files.
enum class Table { Keep, Refresh, RefreshAndFit };

struct TableWatch {
    QSignalSpy reset;
    QSignalSpy files;

    explicit TableWatch(Dictionary &dict)
        : reset(&dict, &Dictionary::cardsReset), files(&dict, &Dictionary::filesChanged)
    {
    }

    Table table(bool byFiles = true) const
    {
        if (reset.count() > 0)
            return Table::RefreshAndFit;
        if (byFiles && files.count() > 0)
            return Table::Refresh;
        return Table::Keep;
    }
};

// Runs each step in place and records its progress; the step at
// `cancelAt` (its index among the records) answers "cancel", and so does every
// step when `cancelEvery` is set. Only a cancellable step can be cancelled: it
// sees the cancel at once and counts as cancelled.
struct RecordingRunner : FileJobRunner {
    std::function<QString(const FileProgress &)> describe;
    int cancelAt = -1;
    bool cancelEvery = false;
    QStringList seen;

    explicit RecordingRunner(std::function<QString(const FileProgress &)> d)
        : describe(std::move(d))
    {
    }

    bool run(const FileProgress &progress, const Work &work) override
    {
        const int index = int(seen.size());
        seen << describe(progress);
        const bool cancel = (cancelEvery || index == cancelAt) && progress.cancellable;
        const std::atomic<bool> flag{cancel};
        work(flag);
        seen << QStringLiteral("Finished");
        return !cancel;
    }
};

} // namespace

// Opening, saving, saving as, closing and joining files, with scripted
// answers and real files in a temporary folder.
class TestDictionaryFiles : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<Session> s;

    QString path(const QString &name) const { return m_dir->filePath(name); }
    Dictionary &dict() { return s->dict; }
    SP &ui() { return s->prompts; }
    DictionaryFiles &files() { return s->files; }

    QString makeFile(const QString &name, QList<Card> cards)
    {
        return writeFixtureFile(path(name), std::move(cards));
    }

    void open(const QStringList &paths)
    {
        ui().answerOpenFiles(paths);
        files().open();
    }

    QStringList openFiles() const { return listOf(s->dict.openFiles()); }

    // Reads a written file back on its own.
    static std::unique_ptr<Dictionary> reread(const QString &p)
    {
        auto d = std::make_unique<Dictionary>();
        d->setCategoryList({QStringLiteral("Еда"), QStringLiteral("Дом")});
        if (!readDictionaryFile(*d, p).added)
            qWarning() << "cannot read back" << p;
        return d;
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        s = std::make_unique<Session>();
        makeFile("a.xml",
                 {makeCard("apple", {"яблоко"}, "L1"), makeCard("ant", {"муравей"}, "L2")});
        makeFile("b.xml", {makeCard("bee", {"пчела"}, "L3", QString(), {"Дом"})});
    }

    void cleanup()
    {
        const bool busyLeft = s->busy;
        // Fails the test when scripted answers were left unused.
        s.reset();
        QVERIFY2(!busyLeft, "busy left on");
        m_dir.reset();
    }

    // ------------------------------------------------------------ open

    void openingChecksEachPath()
    {
        QFile bad(path("notes.XML"));
        QVERIFY(bad.open(QIODevice::WriteOnly));
        bad.close();
        QFile twice(path("a.xml.txt"));
        QVERIFY(twice.open(QIODevice::WriteOnly));
        twice.close();
        ui().answerOpenFiles({path("a.xml"), path("a.xml"), path("notes.XML"), path("a.xml.txt"),
                              path("missing.xml"), path("b.xml")})
            .expect(SP::Warning, "Файл " + path("a.xml") + "\nУже открыт")
            .expect(SP::Warning, "Файл " + path("notes.XML") + "\nНе является файлом словаря")
            .expect(SP::Warning, "a.xml.txt\nНе является файлом словаря")
            .expect(SP::Warning, "Файл " + path("missing.xml") + "\nНе может быть открыт\n");
        const bool filterWasActive = s->filter.isActive();
        {
            const TableWatch watch(dict());
            files().open();
            QCOMPARE(watch.table(), Table::RefreshAndFit);
            QCOMPARE(watch.reset.count(), 1); // once, for all the files that gave cards
        }
        QCOMPARE(s->filter.isActive(), filterWasActive);
        QCOMPARE(openFiles(), (QStringList{path("a.xml"), path("b.xml")}));
        QCOMPARE(dict().cardCount(), 3);
        QCOMPARE(listOf(dict().lessons()), (QStringList{"L1", "L2", "L3"}));
        QVERIFY(!dict().isModified());
        QVERIFY(s->busyStarts > 0);
        QCOMPARE(readDictDir(s->settings), m_dir->path());
        QCOMPARE(ui().lastLabel, "Выберите файлы для открытия||Словари (*.xml);;Все(*.*)");
        // The next open starts in the folder just used; cancelling it does nothing.
        ui().answerOpenFiles({});
        const TableWatch watch(dict());
        files().open();
        QCOMPARE(watch.table(), Table::Keep);
        QCOMPARE(ui().lastLabel.section('|', 1, 1), m_dir->path());
    }

    void xmlNameRules_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("plain") << "/d/a.xml" << true;
        QTest::newRow("folder with the ending") << "/d/backup.xml.d/a.xml" << true;
        QTest::newRow("ending inside the name") << "/d/a.xml.txt" << false;
        QTest::newRow("upper-case ending") << "/d/notes.XML" << false;
        QTest::newRow("ending twice") << "/d/a.xml.xml" << false;
        QTest::newRow("only the ending") << "/d/.xml" << true;
    }
    void xmlNameRules()
    {
        QFETCH(QString, path);
        QFETCH(bool, accepted);
        QCOMPARE(isDictionaryFileName(path), accepted);
    }

    void openingAcceptsXmlInFolderNames()
    {
        QVERIFY(QDir().mkdir(path("backup.xml.d")));
        makeFile("backup.xml.d/a.xml", {makeCard("apple", {"яблоко"}, "L1")});
        open({path("backup.xml.d/a.xml")});
        QCOMPARE(openFiles(), QStringList{path("backup.xml.d/a.xml")});
        QCOMPARE(dict().cardCount(), 1);
    }

    void openingNamedPathsChecksWithoutAsking()
    {
        // The files named on the command line: no dialog, the same checks.
        // A named pipe no one writes to is refused at once, not waited on.
        QVERIFY(::mkfifo(QFile::encodeName(path("pipe.xml")).constData(), 0600) == 0);
        ui().expect(SP::Warning,
                    "Файл " + path("missing.xml") + "\nНе может быть открыт\nФайл не существует")
            .expect(SP::Warning, "Файл " + path("pipe.xml") +
                                     "\nНе может быть открыт\nЭто именованный канал, а не файл")
            .expect(SP::Warning, "Файл " + path("b.xml") + "\nУже открыт");
        {
            const TableWatch watch(dict());
            QVERIFY(files().openPaths(
                {path("missing.xml"), path("pipe.xml"), path("b.xml"), path("b.xml")}));
            QCOMPARE(watch.table(), Table::RefreshAndFit);
            QCOMPARE(watch.reset.count(), 1);
        }
        QCOMPARE(openFiles(), QStringList{path("b.xml")});
        QCOMPARE(readDictDir(s->settings), m_dir->path());
        // Nothing named: nothing happens, not even the wait cursor.
        const int busyStarts = s->busyStarts;
        const TableWatch watch(dict());
        QVERIFY(!files().openPaths({}));
        QCOMPARE(watch.table(), Table::Keep);
        QCOMPARE(s->busyStarts, busyStarts);
    }

    void openStartsNowhereWhenFolderIsGone()
    {
        writeDictDir(s->settings, path("gone"));
        ui().answerOpenFiles({});
        const TableWatch watch(dict());
        files().open();
        QCOMPARE(watch.table(), Table::Keep);
        QCOMPARE(ui().lastLabel.section('|', 1, 1), QString());
        QCOMPARE(s->busyStarts, 0);
    }

    void openWithEveryPathRefusedChangesNothing()
    {
        ui().answerOpenFiles({path("missing.xml")}).expect(SP::Warning, "Не может быть открыт");
        const TableWatch watch(dict());
        files().open();
        QCOMPARE(watch.table(), Table::Keep);
        QVERIFY(readDictDir(s->settings).isEmpty());
        QCOMPARE(dict().cardCount(), 0);
    }

    void fileWithoutCardsIsNotOpenedButTableRebuilt()
    {
        // Every card names a category that is not allowed.
        makeFile("c.xml", {makeCard("cow", {"корова"}, "L9", QString(), {"Нет"})});
        ui().answerOpenFiles({path("c.xml")})
            .expect(SP::Warning, "Найдена категория карточки отсутствующая в списке категорий: Нет")
            .expect(SP::Warning,
                    "Из файла\n" + path("c.xml") + "\nНе было добавлено ни одной карточки");
        // No card came in, so the cards were not reset; the page rebuilds the
        // table all the same because a file was read.
        const TableWatch watch(dict());
        QVERIFY(files().openPaths(files().askOpenPaths()));
        QCOMPARE(watch.reset.count(), 0);
        QVERIFY(openFiles().isEmpty());
        QCOMPARE(dict().cardCount(), 0);
        QVERIFY(dict().lessons().empty());
    }

    void openTakesBackSavedFilterLessons()
    {
        s->filterStore.writeEntry("LESSONS", "L3");
        ui().answerOpenFiles({path("b.xml")});
        QVERIFY(!s->filter.isActive());
        {
            const TableWatch watch(dict());
            files().open();
            QVERIFY(s->filter.isActive());
            QCOMPARE(watch.table(), Table::RefreshAndFit);
        }
        QCOMPARE(listOf(s->filter.filterLessons), QStringList{"L3"});
        // The filter was already on: its button keeps its picture.
        ui().answerOpenFiles({path("a.xml")});
        files().open();
        QVERIFY(s->filter.isActive());
        QCOMPARE(listOf(s->filter.filterLessons), QStringList{"L3"});
    }

    void openWithProgress_data()
    {
        QTest::addColumn<int>("cancelAt"); // report that answers "cancel"; -1: none
        QTest::addColumn<QStringList>("reports");
        const QString a = "Opening a.xml 0/2 x", b = "Opening b.xml 1/2 x";
        QTest::newRow("not cancelled") << -1 << QStringList{a, "Finished", b, "Finished"};
        QTest::newRow("cancelled in the first file") << 0 << QStringList{a, "Finished"};
        QTest::newRow("cancelled in the second file")
            << 2 << QStringList{a, "Finished", b, "Finished"};
    }

    // Reading on the worker gives what reading in place gives; a cancel
    // leaves no card, lesson, open file or folder behind, even of a file
    // already read in the same open.
    void openWithProgress()
    {
        QFETCH(int, cancelAt);
        QFETCH(QStringList, reports);
        dict().addNewCards({makeCard("new", {"новый"}, "L0")});
        dict().setLessons({"L0"});
        dict().setModified(false);
        RecordingRunner runner([](const FileProgress &p) {
            return QString("%1 %2 %3/%4 %5")
                .arg(p.stage == FileProgress::Opening ? "Opening" : "Saving",
                     QFileInfo(p.path).fileName())
                .arg(p.done)
                .arg(p.total)
                .arg(p.cancellable ? "x" : "-");
        });
        runner.cancelAt = cancelAt;
        files().setJobRunner(&runner);
        ui().answerOpenFiles({path("a.xml"), path("b.xml")});
        const TableWatch watch(dict());
        files().open();
        QCOMPARE(runner.seen, reports);
        if (cancelAt < 0) {
            QCOMPARE(watch.table(), Table::RefreshAndFit);
            QCOMPARE(watch.reset.count(), 1);
            QCOMPARE(openFiles(), (QStringList{path("a.xml"), path("b.xml")}));
            QCOMPARE(dict().cardCount(), 4);
            QCOMPARE(listOf(dict().lessons()), (QStringList{"L0", "L1", "L2", "L3"}));
            QCOMPARE(dict().cardById(4)->foreignWords[0].word, QString("bee"));
            QCOMPARE(dict().cardsOfFile(path("b.xml")).first().categories, QStringList{"Дом"});
            return;
        }
        QCOMPARE(watch.table(), Table::Keep);
        QVERIFY(openFiles().isEmpty());
        QCOMPARE(dict().cardCount(), 1);
        QCOMPARE(dict().idCounter(), 1);
        QCOMPARE(listOf(dict().lessons()), QStringList{"L0"});
        QVERIFY(readDictDir(s->settings).isEmpty());
        QVERIFY(!dict().isModified());
        // The next open numbers its cards right after the kept one.
        files().setJobRunner(nullptr);
        open({path("b.xml")});
        QCOMPARE(dict().cardById(2)->foreignWords[0].word, QString("bee"));
    }

    void openPreparesTheCopyItSwapsIn_data()
    {
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QStringList>("reports");
        const QString a = "Opening a.xml 0/2 x", b = "Opening b.xml 1/2 x";
        QTest::newRow("with the last file's read")
            << QStringList{"a.xml", "b.xml"} << QStringList{a, "Finished", b, "Finished"};
        // The cards already read still enter, in a step of their own.
        QTest::newRow("last path refused before its read")
            << QStringList{"a.xml", "missing.xml"}
            << QStringList{a, "Finished", "Opening a.xml 1/2 x", "Finished"};
    }

    // The opened cards enter a copy of the dictionary, which the views may
    // change (order, marks) before it replaces the dictionary whole: what
    // they computed of it holds for the dictionary afterwards.
    void openPreparesTheCopyItSwapsIn()
    {
        QFETCH(QStringList, names);
        QFETCH(QStringList, reports);
        dict().addNewCards({makeCard("new", {"новый"}, "L0")});
        RecordingRunner runner([](const FileProgress &p) {
            return QString("Opening %1 %2/%3 %4")
                .arg(QFileInfo(p.path).fileName())
                .arg(p.done)
                .arg(p.total)
                .arg(p.cancellable ? "x" : "-");
        });
        files().setJobRunner(&runner);
        const int expected = names.contains("b.xml") ? 4 : 3;
        int prepared = 0;
        int cardsBefore = -1;
        quint64 preparedRevision = 0;
        files().setOpenPreparer([&](Dictionary &staged) {
            ++prepared;
            cardsBefore = dict().cardCount();
            QCOMPARE(staged.cardCount(), expected);
            std::vector<int> reversed;
            for (int i = staged.cardCount() - 1; i >= 0; --i)
                reversed.push_back(i);
            staged.reorder(reversed);
            staged.updateMarks([](MarkedCard &c) { c.setInFilter(c.id() != 1); });
            preparedRevision = staged.revision();
        });
        QStringList paths;
        for (const QString &n : names)
            paths << path(n);
        ui().answerOpenFiles(paths);
        if (names.contains("missing.xml"))
            ui().expect(SP::Warning, "Файл " + path("missing.xml") + "\nНе может быть открыт\n");
        files().open();
        QCOMPARE(runner.seen, reports);
        QCOMPARE(prepared, 1);
        QCOMPARE(cardsBefore, 1); // the dictionary itself waited for the swap
        QCOMPARE(dict().cardCount(), expected);
        QCOMPARE(dict().revision(), preparedRevision);
        QCOMPARE(dict().cardAt(expected - 1).id, 1);
        QVERIFY(!dict().cardById(1)->inFilter);
        QCOMPARE(dict().indexOfId(1), expected - 1);
        QVERIFY(dict().openFiles().count(path("a.xml")));
    }

    // Saving reports each file and cannot be cancelled.
    void saveWithProgressIgnoresCancel()
    {
        open({path("a.xml"), path("b.xml")});
        dict().setModified(true);
        RecordingRunner runner([](const FileProgress &p) {
            return p.stage == FileProgress::Saving
                       ? QFileInfo(p.path).fileName() + (p.cancellable ? " x" : " -")
                       : QString("Finished");
        });
        runner.cancelEvery = true;
        files().setJobRunner(&runner);
        ui().answerYesNo(SP::Yes, "Сохранить изменения во всех открытых файлах?")
            .expect(SP::Information, "Было сохранено:");
        files().saveAll();
        QCOMPARE(runner.seen, (QStringList{"a.xml -", "Finished", "b.xml -", "Finished"}));
        QVERIFY(!dict().isModified());
        QCOMPARE(reread(path("a.xml"))->cardCount(), 2);
    }

    // ------------------------------------------------------------ save all

    void saveAllWritesEachFileAndClearsChanged()
    {
        open({path("a.xml"), path("b.xml")});
        const QByteArray oldA = bytes(path("a.xml"));
        dict().updateCard(dict().cardAt(0).id, [](Card &c) { c.pER = 4; });
        dict().setModified(true);
        ui().answerYesNo(SP::Yes, "Сохранить изменения во всех открытых файлах?")
            .expect(SP::Information,
                    "Было сохранено:\n" + path("a.xml") + "\n" + path("b.xml") + "\n");
        {
            const TableWatch watch(dict());
            files().saveAll();
            QCOMPARE(watch.table(), Table::Keep);
        }
        QVERIFY(!dict().isModified());
        QCOMPARE(ui().texts(SP::Information).first(),
                 "Было сохранено:\n" + path("a.xml") + "\n" + path("b.xml") + "\n");
        // The version found on disk is kept once per run.
        QCOMPARE(bytes(path("a.xml.bak")), oldA);
        QVERIFY(files().backedUp().contains(path("a.xml")));
        const std::unique_ptr<Dictionary> back = reread(path("a.xml"));
        QCOMPARE(back->cardCount(), 2);
        QCOMPARE(back->cardAt(0).pER + back->cardAt(1).pER, 5);
    }

    void saveAllDoesNothing_data()
    {
        QTest::addColumn<QString>("state");
        QTest::newRow("not changed") << "clean";
        QTest::newRow("no card") << "no cards";
        QTest::newRow("no open file") << "no files";
        QTest::newRow("declined") << "declined";
    }
    void saveAllDoesNothing()
    {
        QFETCH(QString, state);
        open({path("a.xml")});
        const QByteArray before = bytes(path("a.xml"));
        dict().setModified(state != "clean");
        if (state == "no cards") {
            dict().removeCards({1, 2});
        } else if (state == "no files") {
            // The same cards, but no file counts as open.
            Dictionary withoutFiles;
            withoutFiles.setCategoryList(dict().categoryList());
            for (const Card &c : dict().cards())
                withoutFiles.addCard(c);
            withoutFiles.setLessons(dict().lessons());
            dict().assign(withoutFiles);
            dict().setModified(true);
            QCOMPARE(dict().cardCount(), 2);
            QVERIFY(dict().openFiles().empty());
        } else if (state == "declined") {
            ui().answerYesNo(SP::No, "Сохранить изменения?");
        }
        const TableWatch watch(dict());
        files().saveAll();
        QCOMPARE(watch.table(), Table::Keep);
        QCOMPARE(dict().isModified(), state != "clean");
        QCOMPARE(bytes(path("a.xml")), before);
        QVERIFY(!QFile::exists(path("a.xml.bak")));
    }

    void saveAllNeverClaimsAnEmptiedFile()
    {
        open({path("a.xml"), path("b.xml")});
        const QByteArray before = bytes(path("b.xml"));
        QVERIFY(dict().removeCard(dict().cardsOfFile(path("b.xml")).first().id));
        dict().setModified(true);
        ui().answerYesNo(SP::Yes)
            .expect(SP::Warning, "Файл\n" + path("b.xml") +
                                     "\nне был сохранен: в нем не осталось ни одной "
                                     "карточки.\nФайл на диске остался прежним")
            .expect(SP::Information, "Было сохранено:\n" + path("a.xml") + "\n");
        files().saveAll();
        QVERIFY(dict().isModified());
        QCOMPARE(bytes(path("b.xml")), before);
        QVERIFY(!ui().texts(SP::Information).first().contains("b.xml"));
    }

    void saveAllPartialFailureKeepsChanged()
    {
        open({path("a.xml"), path("b.xml")});
        dict().setModified(true);
        // The place of a.xml is taken by a folder: that write must fail.
        QVERIFY(QFile::remove(path("a.xml")));
        QVERIFY(QDir().mkdir(path("a.xml")));
        ui().answerYesNo(SP::Yes)
            .expect(SP::Critical, path("a.xml"))
            .expect(SP::Information, "Было сохранено:\n" + path("b.xml") + "\n");
        files().saveAll();
        QVERIFY(dict().isModified());
        QVERIFY(QFileInfo(path("a.xml")).isDir());
        QCOMPARE(reread(path("b.xml"))->cardCount(), 1);
    }

    // A copy that cannot be kept is said, and the save goes on all the same.
    void saveAllWithBlockedBackupStillSaves()
    {
        open({path("a.xml")});
        QVERIFY(QDir().mkdir(path("a.xml.bak")));
        dict().updateCard(dict().cardAt(0).id, [](Card &c) { c.pER = 4; });
        dict().setModified(true);
        ui().answerYesNo(SP::Yes)
            .expect(SP::Warning, "Файл\n" + path("a.xml") + "\nсохранён, но его резервную копию\n" +
                                     path("a.xml.bak") + "\nсохранить не удалось:\n")
            .expect(SP::Information, "Было сохранено:\n" + path("a.xml") + "\n");
        files().saveAll();
        QVERIFY(!dict().isModified());
        QCOMPARE(reread(path("a.xml"))->cardAt(0).pER + reread(path("a.xml"))->cardAt(1).pER, 5);
    }

    // A card the file would not give back stops the save of its file with a
    // message naming it; the other files are saved and the file on disk stays.
    void saveAllRefusesAnUnsavableCard()
    {
        open({path("a.xml"), path("b.xml")});
        const QByteArray before = bytes(path("a.xml"));
        Card changed = dict().cardAt(0);
        QCOMPARE(changed.filePath, path("a.xml"));
        changed.categories = {"Еда;Дом"};
        dict().setCard(changed);
        dict().setModified(true);
        ui().answerYesNo(SP::Yes)
            .expect(SP::Critical, "Невозможно сохранить файл\n" + path("a.xml") + "\nКарточка «" +
                                      firstForeignWord(changed) + "» (урок «" + changed.lesson +
                                      "»):\nкатегория «Еда;Дом» содержит знак «;»")
            .expect(SP::Information, "Было сохранено:\n" + path("b.xml") + "\n");
        files().saveAll();
        QVERIFY(dict().isModified());
        QCOMPARE(bytes(path("a.xml")), before);
    }

    void saveAllRemindsOfNewCards()
    {
        open({path("a.xml")});
        dict().addNewCards({makeCard("new", {"новый"}, "L1")});
        ui().answerYesNo(SP::Yes, "Сохранить изменения?")
            .expect(SP::Information, "Было сохранено:\n" + path("a.xml") + "\n")
            .expect(SP::Information,
                    "Словарь имеет новые карточки, которые не были сохранены\nНе забудьте "
                    "сохранить их вызвав \"Сохранить как\" или объедините с открытым файлом");
        files().saveAll();
        QVERIFY(!dict().isModified());
        QCOMPARE(reread(path("a.xml"))->cardCount(), 2);
    }

    // ------------------------------------------------------------ save as

    void saveFileNameEndings_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("result");
        QTest::newRow("plain") << "d"
                               << "d.xml";
        QTest::newRow("trailing dot") << "d."
                                      << "d.xml";
        QTest::newRow("with ending") << "d.xml"
                                     << "d.xml";
        QTest::newRow("upper-case ending") << "d.XML"
                                           << "d.XML.xml";
        QTest::newRow("other ending") << "d.txt"
                                      << "d.txt.xml";
        // Refused: the dialog comes back, and the next name is taken.
        QTest::newRow("ending inside the name") << "a.xml.txt" << QString();
        QTest::newRow("ending in a folder name") << "backup.xml.d/d"
                                                 << "backup.xml.d/d.xml";
    }
    void saveFileNameEndings()
    {
        QFETCH(QString, typed);
        QFETCH(QString, result);
        writeDictDir(s->settings, m_dir->path());
        ui().answerSaveFile(path(typed));
        if (result.isEmpty()) {
            ui().expect(SP::Warning, "Имя файла словаря может содержать \".xml\" только в "
                                     "конце.\nВыберите другое имя")
                .answerSaveFile(path("d"));
            result = "d.xml";
        }
        QCOMPARE(files().askSaveFileName(true), path(result));
        QCOMPARE(ui().lastLabel,
                 "Выберите файл для сохранения|" + m_dir->path() + "|Словари (*.xml)");
    }

    void saveFileNameRefusesExistingUntilCancel()
    {
        ui().answerSaveFile(path("a"))
            .expect(SP::Warning, "Сохранение в существующий файл запрещено.\nВыберите другой файл")
            .answerSaveFile(path("b.xml"))
            .expect(SP::Warning, "Сохранение в существующий файл запрещено")
            .answerSaveFile(QString());
        QCOMPARE(files().askSaveFileName(true), QString());
        // Without the ban an existing name is returned as it is.
        ui().answerSaveFile(path("a"));
        QCOMPARE(files().askSaveFileName(false), path("a.xml"));
    }

    void saveAsWholeDictionary_data()
    {
        QTest::addColumn<bool>("byFiles");
        QTest::addColumn<bool>("onlyNew");
        QTest::newRow("one file") << false << false;
        QTest::newRow("one file, grouped by files") << true << false;
        QTest::newRow("only new cards") << true << true;
    }
    void saveAsWholeDictionary()
    {
        QFETCH(bool, byFiles);
        QFETCH(bool, onlyNew);
        if (onlyNew)
            dict().addNewCards({makeCard("zoo", {"зоопарк"}, "L9"), makeCard("cat", {"кот"})});
        else
            open({path("a.xml")});
        const QByteArray before = bytes(path("a.xml"));
        dict().setModified(true);
        ui().answerSaveFile(path("b.xml"))
            .expect(SP::Warning, "Сохранение в существующий файл запрещено.\nВыберите другой файл")
            .answerSaveFile(path("copy."));
        {
            const TableWatch watch(dict());
            files().saveAs();
            QCOMPARE(watch.table(byFiles), byFiles ? Table::Refresh : Table::Keep);
        }
        QCOMPARE(openFiles(), QStringList{path("copy.xml")});
        QVERIFY(!dict().isModified());
        // The dictionary's own vector was written: sorted by lesson, new path.
        QStringList lessons;
        for (const Card &c : dict().cards()) {
            QCOMPARE(c.filePath, path("copy.xml"));
            QCOMPARE(dict().cardById(c.id)->lesson, c.lesson);
            lessons << c.lesson;
        }
        QStringList sorted = lessons;
        sorted.sort();
        QCOMPARE(lessons, sorted);
        QCOMPARE(bytes(path("a.xml")), before);
        QCOMPARE(reread(path("copy.xml"))->cardCount(), 2);
    }

    void saveAsWholeDictionaryFailureKeepsEverything()
    {
        open({path("a.xml")});
        dict().setModified(true);
        const QList<Card> before = dict().cards();
        ui().answerSaveFile(path("gone/copy.xml")).expect(SP::Critical, "gone/copy.xml");
        {
            const TableWatch watch(dict());
            files().saveAs();
            QCOMPARE(watch.table(), Table::Keep);
        }
        QCOMPARE(openFiles(), QStringList{path("a.xml")});
        QVERIFY(dict().isModified());
        QCOMPARE(dict().cards().size(), before.size());
        for (int i = 0; i < before.size(); ++i) {
            QCOMPARE(dict().cardAt(i).id, before[i].id);
            QCOMPARE(dict().cardAt(i).filePath, path("a.xml"));
        }
    }

    void saveAsChoiceLoop()
    {
        open({path("a.xml"), path("b.xml")});
        dict().addNewCards({makeCard("new", {"новый"}, "L5")});
        ui().answerItem(kNewCards)
            .answerSaveFile(path("fresh"))
            .answerItem(path("b.xml"))
            .answerSaveFile(QString()) // cancelled name: back to the choice
            .answerItem(QString());    // cancel ends the loop
        {
            const TableWatch watch(dict());
            files().saveAs();
            QCOMPARE(watch.table(), Table::Refresh);
        }
        QCOMPARE(ui().lastLabel, QStringLiteral("Какой из открытых файлов \"Сохранить как\"?"));
        QCOMPARE(ui().lastItems, (QStringList{path("a.xml"), path("b.xml")}));
        QCOMPARE(openFiles(), (QStringList{path("a.xml"), path("b.xml"), path("fresh.xml")}));
        QVERIFY(!dict().hasNewCards());
        QVERIFY(dict().isModified()); // left as it was
        const std::unique_ptr<Dictionary> back = reread(path("fresh.xml"));
        QCOMPARE(back->cardCount(), 1);
        QCOMPARE(back->cardAt(0).foreignWords.first().word, QStringLiteral("new"));
    }

    void saveAsChoiceMovesAnOpenFile()
    {
        open({path("a.xml"), path("b.xml")});
        dict().setModified(false);
        const QByteArray before = bytes(path("b.xml"));
        ui().answerItem(path("b.xml")).answerSaveFile(path("c.xml")).answerItem(path("a.xml"));
        ui().answerSaveFile(path("gone/d.xml"))
            .expect(SP::Critical, "gone/d.xml")
            .answerItem(QString());
        {
            const TableWatch watch(dict());
            files().saveAs();
            QCOMPARE(watch.table(false), Table::Keep);
        }
        // The failed entry stayed on offer; the saved one left the list.
        QCOMPARE(ui().lastItems, QStringList{path("a.xml")});
        QCOMPARE(openFiles(), (QStringList{path("a.xml"), path("c.xml")}));
        QCOMPARE(dict().cardsOfFile(path("c.xml")).size(), 1);
        QCOMPARE(dict().cardsOfFile(path("a.xml")).size(), 2);
        QCOMPARE(bytes(path("b.xml")), before);
        QVERIFY(!dict().isModified());
    }

    // ------------------------------------------------------------ close

    void closeOneFileKeepsNewCards()
    {
        open({path("a.xml")});
        const QByteArray before = bytes(path("a.xml"));
        dict().addNewCards({makeCard("new", {"новый"}, "L5")});
        dict().setModified(false);
        ui().answerYesNo(SP::Yes, "Закрыть файл\n" + path("a.xml") + "?");
        {
            const TableWatch watch(dict());
            files().close();
            QCOMPARE(watch.table(), Table::RefreshAndFit);
            QCOMPARE(watch.reset.count(), 1);
        }
        QVERIFY(openFiles().isEmpty());
        QCOMPARE(dict().cardCount(), 1);
        QCOMPARE(listOf(dict().lessons()), QStringList{"L5"});
        QVERIFY(!dict().isModified());
        QCOMPARE(bytes(path("a.xml")), before); // never written
        QVERIFY(!QFile::exists(path("a.xml.bak")));
    }

    void closeStopsOnEveryNo_data()
    {
        QTest::addColumn<int>("files");
        QTest::addColumn<QString>("step");
        QTest::newRow("one file, no") << 1 << "file";
        QTest::newRow("one file, unsaved changes kept") << 1 << "changes";
        QTest::newRow("choice cancelled") << 2 << "cancel";
        QTest::newRow("all, unsaved changes kept") << 2 << "changes";
    }
    void closeStopsOnEveryNo()
    {
        QFETCH(int, files);
        QFETCH(QString, step);
        open(files == 1 ? QStringList{path("a.xml")} : QStringList{path("a.xml"), path("b.xml")});
        dict().setModified(step == "changes");
        s->filter.filterLessons = {"L2"};
        if (files == 1)
            ui().answerYesNo(step == "file" ? SP::No : SP::Yes, "Закрыть файл\n");
        else
            ui().answerItem(step == "cancel" ? QString() : kCloseAll);
        if (step == "changes")
            ui().answerYesNo(SP::No, "<nobr>В словаре есть несохраненные изменения</nobr><br>"
                                     "<nobr>Изменения в закрываемых файлах будут "
                                     "потеряны</nobr><br>Закрыть без сохранения?");
        {
            const TableWatch watch(dict());
            this->files().close();
            QCOMPARE(watch.table(), Table::Keep);
        }
        QCOMPARE(dict().cardCount(), files == 1 ? 2 : 3);
        QCOMPARE(openFiles().size(), files);
        QVERIFY(s->filterStore.readEntry("LESSONS").isEmpty());
    }

    void closeAllResetsCounters()
    {
        open({path("a.xml"), path("b.xml")});
        dict().setModified(true);
        s->filter.filterLessons = {"L3"};
        ui().answerItem(kCloseAll).answerYesNo(SP::Yes, "Закрыть без сохранения?");
        {
            const TableWatch watch(dict());
            files().close();
            QCOMPARE(watch.table(), Table::RefreshAndFit);
            QCOMPARE(watch.reset.count(), 1);
        }
        QCOMPARE(ui().lastLabel, QStringLiteral("Какой из открытых файлов \"Закрыть\"?"));
        QCOMPARE(ui().lastItems,
                 (QStringList{path("a.xml"), path("b.xml"), kCloseAll, kDeleteNew}));
        QCOMPARE(dict().cardCount(), 0);
        QCOMPARE(dict().idCounter(), 0);
        QVERIFY(!dict().isModified());
        QVERIFY(dict().lessons().empty());
        QVERIFY(openFiles().isEmpty());
        // The lesson choice went to the store before the cards went away.
        QCOMPARE(s->filterStore.readEntry("LESSONS"), QStringLiteral("L3"));
        // Opening again numbers cards from 1.
        open({path("b.xml")});
        QCOMPARE(dict().cardAt(0).id, 1);
    }

    // With two files and new cards, each choice takes away only its own
    // cards. Unsaved changes are not asked about when only new cards go.
    void closeChoice_data()
    {
        QTest::addColumn<QString>("choice");
        QTest::addColumn<QStringList>("filesLeft");
        QTest::addColumn<QStringList>("lessonsLeft");
        QTest::addColumn<bool>("newLeft");
        QTest::newRow("one file") << "a.xml" << QStringList{"b.xml"} << QStringList{"L3", "L5"}
                                  << true;
        QTest::newRow("all files") << kCloseAll << QStringList() << QStringList{"L5"} << true;
        QTest::newRow("new cards") << kDeleteNew << QStringList{"a.xml", "b.xml"}
                                   << QStringList{"L1", "L2", "L3"} << false;
    }
    void closeChoice()
    {
        QFETCH(QString, choice);
        QFETCH(QStringList, filesLeft);
        QFETCH(QStringList, lessonsLeft);
        QFETCH(bool, newLeft);
        open({path("a.xml"), path("b.xml")});
        dict().addNewCards({makeCard("new", {"новый"}, "L5")});
        ui().answerItem(choice.endsWith(".xml") ? path(choice) : choice);
        if (choice == kDeleteNew)
            ui().answerYesNo(SP::Yes, "Новые слова не были сохранены");
        else
            ui().answerYesNo(SP::Yes, "Закрыть без сохранения?");
        {
            const TableWatch watch(dict());
            files().close();
            QCOMPARE(watch.table(), Table::RefreshAndFit);
            QCOMPARE(watch.reset.count(), 1);
        }
        QStringList expectedFiles;
        for (const QString &f : filesLeft)
            expectedFiles << path(f);
        QCOMPARE(openFiles(), expectedFiles);
        QCOMPARE(listOf(dict().lessons()), lessonsLeft);
        QCOMPARE(dict().hasNewCards(), newLeft);
        int cardsLeft = newLeft ? 1 : 0;
        for (const QString &f : expectedFiles)
            cardsLeft += int(dict().cardsOfFile(f).size());
        QCOMPARE(dict().cardCount(), cardsLeft);
        QVERIFY(dict().isModified());
    }

    // Enter answers a question with its default button: "Нет" wherever
    // "Да" throws unsaved cards away.
    void questionDefaults_data()
    {
        QTest::addColumn<QString>("question");
        QTest::addColumn<int>("expected");
        QTest::newRow("save") << "Сохранить изменения?" << int(SP::Yes);
        QTest::newRow("close the file") << "Закрыть файл\n" << int(SP::Yes);
        QTest::newRow("close without saving") << "Закрыть без сохранения?" << int(SP::No);
        QTest::newRow("delete the new cards") << "Новые слова не были сохранены" << int(SP::No);
    }
    void questionDefaults()
    {
        QFETCH(QString, question);
        QFETCH(int, expected);
        if (question.startsWith("Новые")) {
            dict().addNewCards({makeCard("new", {"новый"}, "L5")});
            ui().answerYesNo(SP::No, question);
            files().close();
        } else {
            open({path("a.xml")});
            dict().setModified(true);
            if (question.startsWith("Сохранить")) {
                ui().answerYesNo(SP::No, question);
                files().saveAll();
            } else {
                ui().answerYesNo(question.endsWith('\n') ? SP::No : SP::Yes, "Закрыть файл\n");
                if (!question.endsWith('\n'))
                    ui().answerYesNo(SP::No, question);
                files().close();
            }
        }
        QVERIFY(!ui().defaultAnswers.isEmpty());
        QCOMPARE(ui().lastDefaultAnswer, expected);
    }

    void deleteNewWordsAsksAgain()
    {
        dict().addNewCards({makeCard("new", {"новый"}, "L5")});
        ui().answerYesNo(SP::No,
                         "<nobr><font color=blue>Новые слова не были сохранены</font></nobr><br>"
                         "<nobr>Действительно хотите удалить новые слова из словаря?</nobr>");
        {
            const TableWatch watch(dict());
            files().close();
            QCOMPARE(watch.table(), Table::Keep);
        }
        QCOMPARE(dict().cardCount(), 1);
        QVERIFY(dict().isModified());
        ui().answerYesNo(SP::Yes, "Действительно хотите удалить новые слова");
        {
            const TableWatch watch(dict());
            files().close();
            QCOMPARE(watch.table(), Table::RefreshAndFit);
            QCOMPARE(watch.reset.count(), 1);
        }
        QCOMPARE(dict().cardCount(), 0);
        QVERIFY(!dict().isModified());
    }

    void closeWithoutCardsForgetsFiles()
    {
        open({path("a.xml")});
        dict().removeCards({1, 2});
        {
            const TableWatch watch(dict());
            files().close();
            // The files are forgotten, so a table grouped by files hears of it.
            QCOMPARE(watch.table(), Table::Refresh);
        }
        QVERIFY(openFiles().isEmpty());
        QVERIFY(ui().log().size() == 1); // only the open dialog
    }

    // ------------------------------------------------------------ join

    void joinPossible_data()
    {
        QTest::addColumn<int>("files");
        QTest::addColumn<bool>("withNew");
        QTest::addColumn<bool>("possible");
        QTest::newRow("nothing") << 0 << false << false;
        QTest::newRow("only new cards") << 0 << true << false;
        QTest::newRow("one file") << 1 << false << false;
        QTest::newRow("one file and new cards") << 1 << true << true;
        QTest::newRow("two files") << 2 << false << true;
    }
    void joinPossible()
    {
        QFETCH(int, files);
        QFETCH(bool, withNew);
        QFETCH(bool, possible);
        if (files > 0)
            open(files == 1 ? QStringList{path("a.xml")}
                            : QStringList{path("a.xml"), path("b.xml")});
        if (withNew)
            dict().addNewCards({makeCard("new", {"новый"}, "L5")});
        QCOMPARE(this->files().joinPossible(), possible);
        if (!possible)
            ui().expect(SP::Warning, "Открыт один файл или в словаре только новые "
                                     "карточки.\nОбъединять нечего");
        QCOMPARE(this->files().checkJoin(), possible);
    }

    void joinNewCardsIntoFile()
    {
        open({path("a.xml")});
        dict().addNewCards({makeCard("new", {"новый"}, "L5")});
        dict().setModified(false);
        const QByteArray before = bytes(path("a.xml"));
        {
            const TableWatch watch(dict());
            files().join(QString(), path("a.xml"));
            QCOMPARE(watch.table(), Table::Refresh);
        }
        QVERIFY(!dict().hasNewCards());
        QCOMPARE(openFiles(), QStringList{path("a.xml")});
        QCOMPARE(dict().cardsOfFile(path("a.xml")).size(), 3);
        QVERIFY(dict().isModified());
        QCOMPARE(bytes(path("a.xml")), before);
    }

    // The join names a card that its new file could not give back, before
    // the user meets it at the next save, and moves nothing.
    void joinRefusesAnUnsavableCard()
    {
        open({path("a.xml")});
        Card bad = makeCard("new", {"новый"}, "L5");
        bad.categories = {"Кот"};
        dict().addNewCards({bad});
        dict().setModified(false);
        ui().expect(SP::Warning, "Объединение невозможно\nКарточка «new» (урок «L5»):\n"
                                 "категория «Кот» отсутствует в списке категорий\n"
                                 "Исправьте карточку и повторите объединение");
        {
            const TableWatch watch(dict());
            files().join(QString(), path("a.xml"));
            QCOMPARE(watch.table(), Table::Keep);
        }
        QVERIFY(dict().hasNewCards());
        QCOMPARE(dict().cardsOfFile(path("a.xml")).size(), 2);
        QVERIFY(dict().isModified());
    }

    void joinFileIntoFile()
    {
        open({path("a.xml"), path("b.xml")});
        dict().setModified(false);
        const QByteArray before = bytes(path("a.xml"));
        {
            const TableWatch watch(dict());
            files().join(path("a.xml"), path("b.xml"));
            QCOMPARE(watch.table(), Table::Refresh);
        }
        QCOMPARE(openFiles(), QStringList{path("b.xml")});
        QCOMPARE(dict().cardsOfFile(path("b.xml")).size(), 3);
        QVERIFY(dict().isModified());
        QCOMPARE(bytes(path("a.xml")), before);
    }

    void joinCancelledOrImpossibleMovesNothing_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("target");
        QTest::newRow("cancelled") << "-"
                                   << "-";
        QTest::newRow("same file") << "a.xml"
                                   << "a.xml";
        QTest::newRow("target not open") << "a.xml"
                                         << "c.xml";
        QTest::newRow("source not open") << "c.xml"
                                         << "a.xml";
        QTest::newRow("no new cards") << ""
                                      << "a.xml";
    }
    void joinCancelledOrImpossibleMovesNothing()
    {
        QFETCH(QString, source);
        QFETCH(QString, target);
        open({path("a.xml"), path("b.xml")});
        dict().setModified(false);
        {
            const TableWatch watch(dict());
            if (source == "-")
                files().joinCancelled();
            else
                files().join(source.isEmpty() ? QString() : path(source), path(target));
            QCOMPARE(watch.table(), Table::Keep);
        }
        QCOMPARE(openFiles(), (QStringList{path("a.xml"), path("b.xml")}));
        QCOMPARE(dict().cardsOfFile(path("a.xml")).size(), 2);
        QCOMPARE(dict().cardsOfFile(path("b.xml")).size(), 1);
        // Closing the join dialog marks the dictionary even when nothing moved.
        QVERIFY(dict().isModified());
    }
};

QTEST_GUILESS_MAIN(TestDictionaryFiles)
#include "test_dictionary_files.moc"
