#include "app/main_window.h"
#include "core/dictionary/dictionary_file.h"
#include "core/run/run_clock.h"
#include "core/run/run_session.h"
#include "scripted_interaction.h"
#include "test_cards.h"
#include "test_window.h"
#include "ui/common/button_icons.h"
#include "ui/dictionary/dictionary_page.h"
#include "ui/dictionary/dictionary_table_model.h"
#include "ui/dictionary/join_files_dialog.h"
#include "ui/run/learning_page.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using SI = ScriptedInteraction;

// Opening, saving, saving as, closing and joining files, driven through the
// real main window with scripted answers.
class TestFileOperations : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    FrameColors m_colors;
    ScriptedInteraction *ui = nullptr;
    std::unique_ptr<Vmain_form> w;

    QString path(const QString &name) const { return m_dir->path() + QLatin1Char('/') + name; }

    // Writes a dictionary file of the given cards (their filePath is ignored).
    QString makeFile(const QString &name, QList<Card> cards)
    {
        return writeFixtureFile(path(name), std::move(cards));
    }

    static QByteArray bytes(const QString &p)
    {
        QFile f(p);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    void open(const QStringList &files)
    {
        ui->answerOpenFiles(files);
        w->dictionaryPage()->slot_addFile();
    }

    Dictionary &dict() { return w->session().dictionary; }

    QStringList openFiles() const
    {
        QStringList out;
        for (const QString &p : w->session().dictionary.openFiles())
            out << p;
        return out;
    }

private slots:
    void init()
    {
        m_dir = makeWorkingDir();
        writeMinimalSettings(m_dir->path());
        ui = new ScriptedInteraction;
        w = std::make_unique<TestWindow>(m_dir->path(), &m_colors, ui);
        w->tabWidget2->setCurrentIndex(1);
        makeFile("a.xml",
                 {makeCard("apple", {"яблоко"}, "L1"), makeCard("ant", {"муравей"}, "L2")});
        makeFile("b.xml", {makeCard("bee", {"пчела"}, "L3", QString(), {"Дом"})});
    }

    void cleanup()
    {
        dict().setModified(false);
        w.reset();
    }

    void openingChecksEachPath()
    {
        QFile bad(path("notes.XML"));
        QVERIFY(bad.open(QIODevice::WriteOnly));
        bad.close();
        ui->answerOpenFiles(
              {path("a.xml"), path("a.xml"), path("notes.XML"), path("missing.xml"), path("b.xml")})
            .expect(SI::Warning, "\nУже открыт")
            .expect(SI::Warning, "notes.XML\nНе является файлом словаря")
            .expect(SI::Warning, "missing.xml\nНе может быть открыт\n");
        w->dictionaryPage()->slot_addFile();
        QCOMPARE(openFiles(), (QStringList{path("a.xml"), path("b.xml")}));
        QCOMPARE(dict().cardCount(), 3);
        QCOMPARE(dict().lessons(), (StringSet{"L1", "L2", "L3"}));
        QVERIFY(!dict().isModified());
        QCOMPARE(w->dictionaryPage()->cardRowCount(), 3);
        QCOMPARE(w->session().settings.readEntry("PATHS:dict_dir"), m_dir->path());
        QVERIFY(ui->lastLabel.startsWith("Выберите файлы для открытия|"));
        QVERIFY(ui->lastLabel.endsWith("|Словари (*.xml);;Все(*.*)"));
        // A second open starts in the directory just used.
        open({});
        QCOMPARE(ui->lastLabel.section('|', 1, 1), m_dir->path());
    }

    // The watcher's report reaches the file operations, but not during a run.
    void changeOnDiskAskedByTheWindow()
    {
        open({path("a.xml")});
        makeFile("a.xml", {makeCard("apple", {"яблоко"}, "L1"), makeCard("ant", {"муравей"}, "L2"),
                           makeCard("axe", {"топор"}, "L1")});
        w->session().run.running = true;
        emit w->session().fileWatch.fileChanged(path("a.xml"));
        w->session().run.running = false;
        QCOMPARE(dict().cardCount(), 2);
        ui->answerYesNo(SI::Yes, " изменён другой программой. Открыть заново?");
        emit w->session().fileWatch.fileChanged(path("a.xml"));
        QCOMPARE(dict().cardCount(), 3);
        QCOMPARE(w->dictionaryPage()->cardRowCount(), 3);
        QVERIFY(!dict().isModified());
    }

    void filesNamedAtStartOpenLikeChosenOnes()
    {
        ui->expect(SI::Warning, "missing.xml\nНе может быть открыт\n");
        w->dictionaryPage()->openFiles({path("missing.xml"), path("a.xml")});
        QCOMPARE(openFiles(), QStringList{path("a.xml")});
        QCOMPARE(w->dictionaryPage()->cardRowCount(), 2);
        QCOMPARE(w->session().settings.readEntry("PATHS:dict_dir"), m_dir->path());
        // Refused during a run, like the open button.
        w->session().run.running = true;
        w->dictionaryPage()->openFiles({path("b.xml")});
        w->session().run.running = false;
        QCOMPARE(openFiles(), QStringList{path("a.xml")});
    }

    void fileWithoutCardsIsNotOpened()
    {
        // Every card names a category that is not allowed.
        makeFile("c.xml", {makeCard("cow", {"корова"}, "L9", QString(), {"Нет"})});
        ui->answerOpenFiles({path("c.xml")})
            .expect(SI::Warning, "Найдена категория карточки отсутствующая в списке категорий: Нет")
            .expect(SI::Warning, "Не было добавлено ни одной карточки");
        w->dictionaryPage()->slot_addFile();
        QVERIFY(openFiles().isEmpty());
        QCOMPARE(dict().cardCount(), 0);
        QVERIFY(dict().lessons().empty());
    }

    void saveAllWritesEachFileAndClearsChanged()
    {
        open({path("a.xml"), path("b.xml")});
        dict().updateCard(dict().cardAt(0).id, [](Card &c) { c.pER = 4; });
        dict().setModified(true);
        ui->answerYesNo(Interaction::Yes, "Сохранить изменения во всех открытых файлах?")
            .expect(SI::Information,
                    "Было сохранено:\n" + path("a.xml") + "\n" + path("b.xml") + "\n");
        w->dictionaryPage()->slot_save_all();
        QVERIFY(!dict().isModified());
        // The previous version is kept once per run.
        QVERIFY(QFile::exists(path("a.xml.bak")));
        Dictionary reread;
        reread.setCategoryList({"Еда", "Дом"});
        QVERIFY(readDictionaryFile(reread, path("a.xml")).added);
        QCOMPARE(reread.cardCount(), 2);
        QCOMPARE(reread.cardAt(0).pER + reread.cardAt(1).pER, 5);
    }

    void saveAllDeclinedOrNothingToDo()
    {
        open({path("a.xml")});
        w->dictionaryPage()->slot_save_all(); // not changed: no question
        dict().setModified(true);
        ui->answerYesNo(Interaction::No, "Сохранить изменения?");
        const QByteArray before = bytes(path("a.xml"));
        w->dictionaryPage()->slot_save_all();
        QVERIFY(dict().isModified());
        QCOMPARE(bytes(path("a.xml")), before);
    }

    void saveAllNeverClaimsAnEmptiedFile()
    {
        open({path("a.xml"), path("b.xml")});
        const QByteArray before = bytes(path("b.xml"));
        QVERIFY(dict().removeCard(dict().cardsOfFile(path("b.xml")).first().id));
        dict().setModified(true);
        ui->answerYesNo(Interaction::Yes)
            .expect(SI::Warning, path("b.xml") + "\nне был сохранен")
            .expect(SI::Information, "Было сохранено:\n" + path("a.xml") + "\n");
        w->dictionaryPage()->slot_save_all();
        QVERIFY(dict().isModified());
        QCOMPARE(bytes(path("b.xml")), before);
        QVERIFY(!ui->texts(SI::Information).first().contains("b.xml"));
    }

    void saveAllFailureKeepsChangedAndFile()
    {
        open({path("a.xml")});
        dict().setModified(true);
        // The file's place is taken by a directory: the write must fail.
        QVERIFY(QFile::remove(path("a.xml")));
        QVERIFY(QDir().mkdir(path("a.xml")));
        ui->answerYesNo(Interaction::Yes).expect(SI::Critical, path("a.xml"));
        w->dictionaryPage()->slot_save_all();
        QVERIFY(dict().isModified());
        QVERIFY(QFileInfo(path("a.xml")).isDir());
    }

    void saveAllRemindsOfNewCards()
    {
        open({path("a.xml")});
        dict().addNewCards({makeCard("new", {"новый"}, "L1")});
        ui->answerYesNo(Interaction::Yes)
            .expect(SI::Information, "Было сохранено:")
            .expect(SI::Information, "Словарь имеет новые карточки, которые не были сохранены");
        w->dictionaryPage()->slot_save_all();
        QVERIFY(!dict().isModified());
    }

    void saveAsWholeDictionary()
    {
        open({path("a.xml")});
        dict().setModified(true);
        ui->answerSaveFile(path("b.xml"))
            .expect(SI::Warning, "Сохранение в существующий файл запрещено.\nВыберите другой файл")
            .answerSaveFile(path("copy."));
        w->dictionaryPage()->slot_save_as();
        QCOMPARE(openFiles(), QStringList{path("copy.xml")});
        QVERIFY(!dict().isModified());
        for (const Card &c : dict().cards())
            QCOMPARE(c.filePath, path("copy.xml"));
        QCOMPARE(dict().cardById(1)->id, 1);
        QVERIFY(QFile::exists(path("a.xml")));
    }

    void saveAsChoiceLoop()
    {
        open({path("a.xml"), path("b.xml")});
        dict().addNewCards({makeCard("new", {"новый"}, "L5")});
        ui->answerItem("Новые карточки")
            .answerSaveFile(path("fresh"))
            .answerItem(path("b.xml"))
            .answerSaveFile(QString()) // cancelled name: back to the choice
            .answerItem(QString());    // cancel ends the loop
        w->dictionaryPage()->slot_save_as();
        QCOMPARE(ui->lastItems, (QStringList{path("a.xml"), path("b.xml")}));
        QCOMPARE(openFiles(), (QStringList{path("a.xml"), path("b.xml"), path("fresh.xml")}));
        QVERIFY(!dict().hasNewCards());
        QVERIFY(dict().isModified()); // left as it was
        Dictionary reread;
        reread.setCategoryList({"Еда"});
        QVERIFY(readDictionaryFile(reread, path("fresh.xml")).added);
        QCOMPARE(reread.cardAt(0).foreignWords.first().word, QStringLiteral("new"));
    }

    void closeOneFileKeepsNewCards()
    {
        open({path("a.xml")});
        dict().addNewCards({makeCard("new", {"новый"}, "L5")});
        dict().setModified(false);
        ui->answerYesNo(Interaction::Yes, "Закрыть файл\n" + path("a.xml") + "?");
        w->dictionaryPage()->slot_close();
        QVERIFY(openFiles().isEmpty());
        QCOMPARE(dict().cardCount(), 1);
        QCOMPARE(dict().lessons(), StringSet{"L5"});
        QCOMPARE(w->dictionaryPage()->cardRowCount(), 1);
    }

    void closeAskedFirstWhenChanged()
    {
        open({path("a.xml")});
        dict().setModified(true);
        ui->answerYesNo(Interaction::Yes, "Закрыть файл")
            .answerYesNo(Interaction::No, "Закрыть без сохранения?");
        w->dictionaryPage()->slot_close();
        QCOMPARE(dict().cardCount(), 2);
        QCOMPARE(openFiles(), QStringList{path("a.xml")});
    }

    void closeLastCardResetsCounters()
    {
        open({path("a.xml"), path("b.xml")});
        ui->answerItem("Всё (кроме несохраненных карточек)");
        w->dictionaryPage()->slot_close();
        QCOMPARE(ui->lastItems.last(), QStringLiteral("Удалить новые слова"));
        QCOMPARE(dict().cardCount(), 0);
        QCOMPARE(dict().idCounter(), 0);
        QVERIFY(!dict().isModified());
        QCOMPARE(w->dictionaryPage()->tableModel()->rowCount(), 0);
        // Opening again numbers cards from 1.
        open({path("b.xml")});
        QCOMPARE(dict().cardAt(0).id, 1);
    }

    void deleteNewWordsAsksAgain()
    {
        dict().addNewCards({makeCard("new", {"новый"}, "L5")});
        ui->answerYesNo(Interaction::No, "Новые слова не были сохранены");
        w->dictionaryPage()->slot_close();
        QCOMPARE(dict().cardCount(), 1);
        ui->answerYesNo(Interaction::Yes, "Действительно хотите удалить новые слова");
        w->dictionaryPage()->slot_close();
        QCOMPARE(dict().cardCount(), 0);
        QVERIFY(!dict().isModified());
    }

    void joinNewCardsIntoFile()
    {
        open({path("a.xml")});
        dict().addNewCards({makeCard("new", {"новый"}, "L5")});
        w->updateActionStates();
        QVERIFY(w->actionStates().join);
        ui->answerDialog([](QDialog *d) {
            auto *j = static_cast<_join_files_Form *>(d);
            if (j->comboBox1->currentText() != "Новые слова" || j->comboBox2->count() != 1 ||
                !j->pushButton1->isEnabled()) {
                j->slot_cancel();
                return int(QDialog::Rejected);
            }
            j->slot_accept();
            return j->result();
        });
        w->dictionaryPage()->slot_join();
        QVERIFY(!dict().hasNewCards());
        QCOMPARE(openFiles(), QStringList{path("a.xml")});
        QCOMPARE(dict().cardsOfFile(path("a.xml")).size(), 3);
        QVERIFY(dict().isModified());
    }

    void joinFileIntoFileAndCancel()
    {
        open({path("a.xml"), path("b.xml")});
        const QByteArray before = bytes(path("a.xml"));
        ui->answerDialog([this](QDialog *d) {
            auto *j = static_cast<_join_files_Form *>(d);
            j->comboBox1->setCurrentIndex(0);
            j->comboBox2->setCurrentIndex(0);
            j->slot_acceptBtn_enable();
            const bool sameRefused = !j->pushButton1->isEnabled();
            j->comboBox2->setCurrentIndex(1);
            j->slot_acceptBtn_enable();
            if (!sameRefused || j->textLabel1->text() != "Слова из файла:\t(файл будет закрыт)" ||
                j->comboBox1->currentText() != path("a.xml")) {
                j->slot_cancel();
                return int(QDialog::Rejected);
            }
            j->slot_accept();
            return j->result();
        });
        w->dictionaryPage()->slot_join();
        QCOMPARE(openFiles(), QStringList{path("b.xml")});
        QCOMPARE(dict().cardsOfFile(path("b.xml")).size(), 3);
        QCOMPARE(bytes(path("a.xml")), before);
        dict().setModified(false);
        w->updateActionStates();
        w->session().dictionary.addNewCards({makeCard("x", {}, "L1")});
        dict().setModified(false);
        w->updateActionStates();
        ui->answerDialog([](QDialog *d) {
            static_cast<_join_files_Form *>(d)->slot_cancel();
            return int(QDialog::Rejected);
        });
        w->dictionaryPage()->slot_join();
        QVERIFY(dict().isModified()); // even a cancelled join marks the dictionary
    }

    void joinRefusedWithOneFile()
    {
        open({path("a.xml")});
        w->updateActionStates();
        QVERIFY(!w->actionStates().join);
        w->dictionaryPage()->slot_join(); // the button does nothing
    }

    void examplesReadBackByteForByte_data()
    {
        QTest::addColumn<QString>("file");
        QTest::newRow("basics") << "english_basics.xml";
        QTest::newRow("verbs") << "english_verbs_phrases.xml";
    }
    void examplesReadBackByteForByte()
    {
        QFETCH(QString, file);
        const QString src = QStringLiteral(LEXITOR_SOURCE_DIR "/examples/") + file;
        Dictionary d;
        StringSet categories;
        for (const QString &c :
             QString("Ощущения,Торговля,Одежда,Числа,Общение,Еда,Родственники,Учеба,"
                     "Животные,Растительность,Природа,Работа,Дом,Транспорт,СМИ,"
                     "Искусство,Человек,Медицина,Досуг,Служебные,Неправильные "
                     "глаголы,Прочие,Названия,Город,Время,Техника")
                 .split(','))
            categories.insert(c);
        d.setCategoryList(categories);
        const ReadOutcome r = readDictionaryFile(d, src);
        QVERIFY(r.added);
        QVERIFY2(r.warnings.isEmpty(), qPrintable(r.warnings.join("\n")));
        QVERIFY(d.cardCount() >= 20);
        QCOMPARE(dictionaryFileBytes(d.cards()), bytes(src));
    }
};

QTEST_MAIN(TestFileOperations)
#include "test_file_operations.moc"
