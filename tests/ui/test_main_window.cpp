#include "app/main_window.h"
#include "core/common/window_fit.h"
#include "core/run/run_clock.h"
#include "core/run/run_session.h"
#include "core/settings/ini_reader.h"
#include "scripted_interaction.h"
#include "test_cards.h"
#include "test_window.h"
#include "ui/common/button_icons.h"
#include "ui/dictionary/dictionary_page.h"
#include "ui/dictionary/dictionary_table_model.h"
#include "ui/run/learning_page.h"

#include <QDir>
#include <QMenu>
#include <QScreen>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

class TestMainWindow : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    FrameColors m_colors;
    ScriptedInteraction *m_ui = nullptr;

    std::unique_ptr<Vmain_form> makeWindow(bool withSettings = true)
    {
        if (withSettings && !QFile::exists(m_dir->filePath("settings.ini")))
            writeMinimalSettings(m_dir->path());
        m_ui = new ScriptedInteraction;
        if (!withSettings)
            m_ui->expect(ScriptedInteraction::Warning,
                         QStringLiteral("Отсутствует список категорий"));
        return std::make_unique<TestWindow>(m_dir->path(), &m_colors, m_ui);
    }

    static void fill(Vmain_form &w)
    {
        Dictionary &d = w.session().dictionary;
        d.addCard(makeCard("cat", {QStringLiteral("кошка")}, "L1", "/d/a.xml"));
        Card withSound = makeCard("dog", {QStringLiteral("собака")}, "L1", "/d/a.xml");
        withSound.soundPath = "dog.wav";
        d.addCard(withSound);
        Card archived = makeCard("ant", {QStringLiteral("муравей")}, "L2", "/d/b.xml");
        archived.nAr = false;
        d.addCard(archived);
        d.addOpenFile("/d/a.xml");
        d.addOpenFile("/d/b.xml");
        w.dictionaryPage()->slot_refresh();
    }

    static QStringList menuTexts(QMenu *m)
    {
        QStringList out;
        for (QAction *a : m->actions())
            out << (a->isSeparator()
                        ? QStringLiteral("-")
                        : a->text() + (a->font().bold() ? QStringLiteral("*") : QString()));
        return out;
    }

private slots:
    void init() { m_dir = makeWorkingDir(); }

    void cleanup()
    {
        m_ui = nullptr; // checked by its destructor, with the window
    }

    void constructionShowsFormAsDesigned()
    {
        auto w = makeWindow();
        QCOMPARE(w->windowTitle(), QStringLiteral("Изучение слов"));
        QCOMPARE(w->tabWidget2->count(), 4);
        QCOMPARE(w->tabWidget2->tabText(0), QStringLiteral("Учеба"));
        QCOMPARE(w->tabWidget2->tabText(3), QStringLiteral("Справка"));
        QCOMPARE(w->dictionaryPage()->toolButton9_editWord->toolTip(),
                 QStringLiteral("Редактировать карточку (F2)"));
        // (40, 40), moved only as far as the test screen needs.
        QCOMPARE(w->pos(), fitIntoArea(QRect(QPoint(40, 40), w->frameGeometry().size()),
                                       QGuiApplication::primaryScreen()->availableGeometry())
                               .topLeft());
        QVERIFY(w->dictionaryPage()->groupBox1->isHidden());
        QVERIFY(w->learningPage()->progressBar1->isHidden());
        QVERIFY(w->dictionaryPage()->radioButton1->isChecked());
        QVERIFY(w->dictionaryPage()->table3->isColumnHidden(DictionaryTableModel::IdColumn));
        QCOMPARE(w->dictionaryPage()
                     ->tableModel()
                     ->headerData(0, Qt::Horizontal, Qt::DisplayRole)
                     .toString(),
                 QStringLiteral("Иностранные слова"));
        QCOMPARE(w->dictionaryPage()->tableModel()->rowCount(), 0);
        QCOMPARE(iconFileOf(w->dictionaryPage()->toolButton7), QStringLiteral("Check.png"));
        QCOMPARE(iconFileOf(w->learningPage()->toolButton_pause_start),
                 QStringLiteral("16_16_play.png"));
        QCOMPARE(w->statusBar()->currentMessage(),
                 QStringLiteral("Для начала работы откройте файл словаря или создайте словарь"));
    }

    void firstStartWithoutSettingsCreatesKeys()
    {
        int x = 0;
        {
            auto w = makeWindow(false);
            x = w->x();
            QCOMPARE(int(w->session().dictionary.categoryList().size()), 26);
            QCOMPARE(m_colors.outer, QColor(0, 0, 0));
            w->close();
        }
        iniReader ini;
        QVERIFY(ini.load(m_dir->filePath("settings.ini")));
        const QStringList keys = {"WORDS_CATEGORY:categs",     "MAIN_FORM:topX",
                                  "MAIN_FORM:splitter3Size1",  "SETTINGS_FONT:font_family",
                                  "SETTINGS_FONT:bckg_cont_b", "ANOTHER_SETTINGS:num_right_learn",
                                  "SORTING:by_foreign",        "HELP_PAGE:current"};
        for (const QString &k : keys)
            QVERIFY2(ini.readEntry(k, "--") != "--", qPrintable(k));
        QCOMPARE(ini.readEntry("MAIN_FORM:topX"), QString::number(x));
        QCOMPARE(ini.readEntry("WORK_SETTINGS:training", "--"), QStringLiteral("--"));
        QCOMPARE(ini.readEntry("PATHS:dict_dir", "--"), QStringLiteral("--"));
        QVERIFY(QFile::exists(m_dir->filePath("settings_filter.ini")));
    }

    void declinedCloseWritesNothing()
    {
        auto w = makeWindow();
        fill(*w);
        w->session().dictionary.setModified(true);
        const QByteArray before = [this] {
            QFile f(m_dir->filePath("settings.ini"));
            f.open(QIODevice::ReadOnly);
            return f.readAll();
        }();
        m_ui->answerYesNo(Interaction::No, QStringLiteral("Вы сохранили словарь?"));
        w->show();
        QVERIFY(!w->close());
        QVERIFY(w->isVisible());
        QFile f(m_dir->filePath("settings.ini"));
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), before);
        QVERIFY(!QFile::exists(m_dir->filePath("settings_filter.ini")));
        m_ui->answerYesNo(Interaction::Yes);
        QVERIFY(w->close());
    }

    // A setting the file cannot hold as it is is said once at close, and the
    // file keeps what it could read back.
    void closeSaysWhatSettingsCouldNotKeep()
    {
        const QString folder = QDir(m_dir->path()).absoluteFilePath("C#dicts");
        {
            auto w = makeWindow();
            w->session().settings.writeEntry("PATHS:dict_dir", folder);
            w->session().filter.filterLessons = {"Урок~1"};
            m_ui->expect(ScriptedInteraction::Warning,
                         "Файл настроек\n" + QDir(m_dir->path()).absoluteFilePath("settings.ini") +
                             "\nсохранён не полностью:\nЗначение «" + folder +
                             "» параметра PATHS:dict_dir не сохранено: знаки «#» и «;» "
                             "начинают в файле настроек комментарий")
                .expect(ScriptedInteraction::Warning,
                        "\nсохранён не полностью:\nФильтр: «Урок~1» не сохранён: знак «~» "
                        "разделяет элементы списка");
            QVERIFY(w->close());
        }
        iniReader ini;
        QVERIFY(ini.load(m_dir->filePath("settings.ini")));
        QCOMPARE(ini.readEntry("PATHS:dict_dir", "--"), QStringLiteral("--"));
    }

    void closeKeepsGeometryAndSorting()
    {
        {
            auto w = makeWindow();
            w->move(120, 90);
            w->resize(700, 500);
            w->dictionaryPage()->checkBox2->setChecked(true);
            w->dictionaryPage()->radioButton2->setChecked(true);
            w->dictionaryPage()->radioButton1->setChecked(false);
            w->tabWidget2->setCurrentIndex(1);
            w->close();
        }
        auto w = makeWindow();
        QCOMPARE(w->size(), QSize(700, 500));
        QCOMPARE(w->tabWidget2->currentIndex(), 1);
        QVERIFY(w->dictionaryPage()->checkBox2->isChecked());
        QVERIFY(w->dictionaryPage()->radioButton2->isChecked());
        QVERIFY(!w->dictionaryPage()->radioButton1->isChecked());
    }

    void radioButtonsWorkAsAPair()
    {
        auto w = makeWindow();
        w->dictionaryPage()->radioButton2->setChecked(true);
        w->dictionaryPage()->slot_rB2_clicked();
        QVERIFY(!w->dictionaryPage()->radioButton1->isChecked());
        w->dictionaryPage()->radioButton1->setChecked(true);
        w->dictionaryPage()->slot_rB1_clicked();
        QVERIFY(!w->dictionaryPage()->radioButton2->isChecked());
        w->dictionaryPage()->checkBox3->setChecked(true);
        w->dictionaryPage()->slot_checkBox3_clicked();
        QVERIFY(!w->dictionaryPage()->groupBox1->isHidden());
    }

    void tableShowsGroupsAndNumbers()
    {
        auto w = makeWindow();
        w->dictionaryPage()->checkBox1->setChecked(true);
        fill(*w);
        const QList<TableRow> &rows = w->dictionaryPage()->tableModel()->rows();
        QStringList kinds;
        for (const TableRow &r : rows)
            kinds << r.kindText();
        QCOMPARE(kinds, (QStringList{"file", "letter", "1", "letter", "2", "file", "letter", "3"}));
        QAbstractItemModel *m = w->dictionaryPage()->tableModel();
        QCOMPARE(m->data(m->index(0, 0)).toString(), QStringLiteral("/d/a.xml"));
        QCOMPARE(m->data(m->index(2, 0)).toString(), QStringLiteral("cat\t[cat]"));
        QCOMPARE(m->data(m->index(2, 1)).toString(), QStringLiteral("[N] кошка"));
        QCOMPARE(m->data(m->index(4, DictionaryTableModel::NumberColumn)).toString(),
                 QStringLiteral("2"));
        QCOMPARE(m->data(m->index(0, 0), DictionaryTableModel::RowKindRole).toInt(),
                 int(TableRow::FileHeader));
        QCOMPARE(w->dictionaryPage()->cardRowCount(), 3);
        QCOMPARE(w->dictionaryPage()->rowOfCard(3), 7);
        QCOMPARE(GroupHeaderDelegate::headerColor(TableRow::FileHeader), QColor(208, 167, 31));
    }

    void iconStatesFollowTheCurrentRow()
    {
        auto w = makeWindow();
        w->tabWidget2->setCurrentIndex(1);
        fill(*w);
        w->updateActionStates();
        QCOMPARE(iconFileOf(w->dictionaryPage()->toolButton9_editWord),
                 QStringLiteral("Card_edit_disabled.png"));
        QCOMPARE(iconFileOf(w->dictionaryPage()->toolButton10_findWord),
                 QStringLiteral("Card_find.png"));
        QCOMPARE(iconFileOf(w->dictionaryPage()->toolButton5_joinFiles),
                 QStringLiteral("Join_files.png"));
        QVERIFY(w->actionStates().join);
        QCOMPARE(iconFileOf(w->toolButton2_saveOneFile),
                 QStringLiteral("Save_one_file_disabled.png"));
        w->dictionaryPage()->selectTableRow(w->dictionaryPage()->rowOfCard(2)); // dog, with a sound
        QCOMPARE(iconFileOf(w->dictionaryPage()->toolButton9_editWord),
                 QStringLiteral("Card_edit.png"));
        QCOMPARE(iconFileOf(w->dictionaryPage()->pushButton_voice2),
                 QStringLiteral("Voice_small.png"));
        QCOMPARE(iconFileOf(w->dictionaryPage()->toolButton_toArchive),
                 QStringLiteral("Add_to_archive.png"));
        w->dictionaryPage()->slot_add_to_archive();
        QVERIFY(!w->session().dictionary.cardById(2)->nAr);
        QVERIFY(w->session().dictionary.isModified());
        QCOMPARE(iconFileOf(w->dictionaryPage()->toolButton_toArchive),
                 QStringLiteral("Add_to_archive_disabled.png"));
        QCOMPARE(iconFileOf(w->toolButton2_saveOneFile), QStringLiteral("Save_one_file.png"));
        QCOMPARE(w->statusBar()->currentMessage(), QStringLiteral("Работа со словарем"));
        // The start button is live only on the learning tab.
        QCOMPARE(iconFileOf(w->toolButton11_start), QStringLiteral("Turn_on_disabled.png"));
        w->tabWidget2->setCurrentIndex(0);
        QCOMPARE(iconFileOf(w->toolButton11_start), QStringLiteral("Turn_on.png"));
        QCOMPARE(w->statusBar()->currentMessage(),
                 QStringLiteral("Для начала работы нажмите \"Старт\""));
    }

    void contextMenuByRow()
    {
        auto w = makeWindow();
        std::unique_ptr<QMenu> empty(w->dictionaryPage()->buildContextMenu(-1));
        QCOMPARE(empty->objectName(), QStringLiteral("table3PopupM"));
        QCOMPARE(menuTexts(empty.get()),
                 (QStringList{"Отменить", "Повторить", "-", "Открыть файл(ы)*",
                              "Экспорт карточек...", "Импорт карточек...", "Статистика"}));
        fill(*w);
        std::unique_ptr<QMenu> onCard(
            w->dictionaryPage()->buildContextMenu(w->dictionaryPage()->rowOfCard(1)));
        QCOMPARE(menuTexts(onCard.get()),
                 (QStringList{"Отменить", "Повторить", "-", "Редактировать (F2)*", "Удалить (Del)",
                              "Добавить", "Добавить (копия)", "-", "Обновить (Ctrl+O)", "Инфо (F1)",
                              "Экспорт карточек...", "Импорт карточек...", "Статистика"}));
        std::unique_ptr<QMenu> onHeader(w->dictionaryPage()->buildContextMenu(0));
        QCOMPARE(menuTexts(onHeader.get()),
                 (QStringList{"Отменить", "Повторить", "-", "Обновить (Ctrl+O)",
                              "Экспорт карточек...", "Импорт карточек...", "Статистика"}));
    }

    void filterHidesCardsInTable()
    {
        auto w = makeWindow();
        fill(*w);
        w->session().filter.setArchiveChoice(2);
        w->dictionaryPage()->slot_refresh();
        QCOMPARE(w->dictionaryPage()->cardRowCount(), 2);
        QCOMPARE(w->dictionaryPage()->rowOfCard(3), -1);
    }
};

QTEST_MAIN(TestMainWindow)
#include "test_main_window.moc"
