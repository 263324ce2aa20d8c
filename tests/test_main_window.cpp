#include "app/dictionary_table_model.h"
#include "app/main_window.h"
#include "scripted_interaction.h"
#include "settings/ini_reader.h"
#include "test_cards.h"

#include <QDir>
#include <QMenu>
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
        if (withSettings && !QFile::exists("settings.ini"))
            writeMinimalSettings(m_dir->path());
        m_ui = new ScriptedInteraction;
        if (!withSettings)
            m_ui->expect(ScriptedInteraction::Warning,
                         QStringLiteral("Отсутствует список категорий"));
        return std::make_unique<Vmain_form>(&m_colors, m_ui);
    }

    static void fill(Vmain_form &w)
    {
        Dictionary &d = w.dictionary();
        d.addCard(makeCard("cat", {QStringLiteral("кошка")}, "L1", "/d/a.xml"));
        Card withSound = makeCard("dog", {QStringLiteral("собака")}, "L1", "/d/a.xml");
        withSound.soundPath = "dog.wav";
        d.addCard(withSound);
        Card archived = makeCard("ant", {QStringLiteral("муравей")}, "L2", "/d/b.xml");
        archived.nAr = false;
        d.addCard(archived);
        d.openFiles = {"/d/a.xml", "/d/b.xml"};
        w.slot_refresh();
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
    void init() { m_dir = enterTemporaryWorkingDir(); }

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
        QCOMPARE(w->toolButton9_editWord->toolTip(), QStringLiteral("Редактировать карточку (F2)"));
        QCOMPARE(w->pos(), QPoint(40, 40));
        QVERIFY(w->groupBox1->isHidden());
        QVERIFY(w->progressBar1->isHidden());
        QVERIFY(w->radioButton1->isChecked());
        QVERIFY(w->table3->isColumnHidden(DictionaryTableModel::IdColumn));
        QCOMPARE(w->tableModel()->headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(),
                 QStringLiteral("Иностранные слова"));
        QCOMPARE(w->tableModel()->rowCount(), 0);
        QCOMPARE(Vmain_form::iconFileOf(w->toolButton7), QStringLiteral("Check.png"));
        QCOMPARE(Vmain_form::iconFileOf(w->toolButton_pause_start),
                 QStringLiteral("16_16_play.png"));
        QCOMPARE(w->statusBar()->currentMessage(),
                 QStringLiteral("Для начала работы откройте файл словаря или создайте словарь"));
    }

    void firstStartWithoutSettingsCreatesKeys()
    {
        {
            auto w = makeWindow(false);
            QCOMPARE(int(w->dictionary().categoryList.size()), 26);
            QCOMPARE(m_colors.outer, QColor(0, 0, 0));
            w->close();
        }
        iniReader ini;
        QVERIFY(ini.load("settings.ini"));
        const QStringList keys = {"WORDS_CATEGORY:categs",     "MAIN_FORM:topX",
                                  "MAIN_FORM:splitter3Size1",  "SETTINGS_FONT:font_family",
                                  "SETTINGS_FONT:bckg_cont_b", "ANOTHER_SETTINGS:num_right_learn",
                                  "SORTING:by_foreign",        "HELP_PAGE:current"};
        for (const QString &k : keys)
            QVERIFY2(ini.readEntry(k, "--") != "--", qPrintable(k));
        QCOMPARE(ini.readEntry("MAIN_FORM:topX"), QStringLiteral("40"));
        QCOMPARE(ini.readEntry("WORK_SETTINGS:training", "--"), QStringLiteral("--"));
        QCOMPARE(ini.readEntry("PATHS:dict_dir", "--"), QStringLiteral("--"));
        QVERIFY(QFile::exists("settings_filter.ini"));
    }

    void declinedCloseWritesNothing()
    {
        auto w = makeWindow();
        fill(*w);
        w->dictionary().changed = true;
        const QByteArray before = [] {
            QFile f("settings.ini");
            f.open(QIODevice::ReadOnly);
            return f.readAll();
        }();
        m_ui->answerYesNo(Interaction::No, QStringLiteral("Вы сохранили словарь?"));
        w->show();
        QVERIFY(!w->close());
        QVERIFY(w->isVisible());
        QFile f("settings.ini");
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), before);
        QVERIFY(!QFile::exists("settings_filter.ini"));
        m_ui->answerYesNo(Interaction::Yes);
        QVERIFY(w->close());
    }

    void closeKeepsGeometryAndSorting()
    {
        {
            auto w = makeWindow();
            w->move(120, 90);
            w->resize(700, 500);
            w->checkBox2->setChecked(true);
            w->radioButton2->setChecked(true);
            w->radioButton1->setChecked(false);
            w->tabWidget2->setCurrentIndex(1);
            w->close();
        }
        auto w = makeWindow();
        QCOMPARE(w->size(), QSize(700, 500));
        QCOMPARE(w->tabWidget2->currentIndex(), 1);
        QVERIFY(w->checkBox2->isChecked());
        QVERIFY(w->radioButton2->isChecked());
        QVERIFY(!w->radioButton1->isChecked());
    }

    void radioButtonsWorkAsAPair()
    {
        auto w = makeWindow();
        w->radioButton2->setChecked(true);
        w->slot_rB2_clicked();
        QVERIFY(!w->radioButton1->isChecked());
        w->radioButton1->setChecked(true);
        w->slot_rB1_clicked();
        QVERIFY(!w->radioButton2->isChecked());
        w->checkBox3->setChecked(true);
        w->slot_checkBox3_clicked();
        QVERIFY(!w->groupBox1->isHidden());
    }

    void tableShowsGroupsAndNumbers()
    {
        auto w = makeWindow();
        w->checkBox1->setChecked(true);
        fill(*w);
        const QList<TableRow> &rows = w->tableModel()->rows();
        QStringList kinds;
        for (const TableRow &r : rows)
            kinds << r.kindText();
        QCOMPARE(kinds, (QStringList{"file", "letter", "1", "letter", "2", "file", "letter", "3"}));
        QAbstractItemModel *m = w->tableModel();
        QCOMPARE(m->data(m->index(0, 0)).toString(), QStringLiteral("/d/a.xml"));
        QCOMPARE(m->data(m->index(2, 0)).toString(), QStringLiteral("cat\t[cat]"));
        QCOMPARE(m->data(m->index(2, 1)).toString(), QStringLiteral("[N] кошка"));
        QCOMPARE(m->data(m->index(4, DictionaryTableModel::NumberColumn)).toString(),
                 QStringLiteral("2"));
        QCOMPARE(m->data(m->index(0, 0), DictionaryTableModel::RowKindRole).toInt(),
                 int(TableRow::FileHeader));
        QCOMPARE(w->cardRowCount(), 3);
        QCOMPARE(w->rowOfCard(3), 7);
        QCOMPARE(GroupHeaderDelegate::headerColor(TableRow::FileHeader), QColor(208, 167, 31));
    }

    void iconStatesFollowTheCurrentRow()
    {
        auto w = makeWindow();
        w->tabWidget2->setCurrentIndex(1);
        fill(*w);
        w->updateActionStates();
        QCOMPARE(Vmain_form::iconFileOf(w->toolButton9_editWord),
                 QStringLiteral("Card_edit_disabled.png"));
        QCOMPARE(Vmain_form::iconFileOf(w->toolButton10_findWord), QStringLiteral("Card_find.png"));
        QCOMPARE(Vmain_form::iconFileOf(w->toolButton5_joinFiles),
                 QStringLiteral("Join_files.png"));
        QVERIFY(w->joinAllowed());
        QCOMPARE(Vmain_form::iconFileOf(w->toolButton2_saveOneFile),
                 QStringLiteral("Save_one_file_disabled.png"));
        w->selectTableRow(w->rowOfCard(2)); // dog, with a sound
        QCOMPARE(Vmain_form::iconFileOf(w->toolButton9_editWord), QStringLiteral("Card_edit.png"));
        QCOMPARE(Vmain_form::iconFileOf(w->pushButton_voice2), QStringLiteral("Voice_small.png"));
        QCOMPARE(Vmain_form::iconFileOf(w->toolButton_toArchive),
                 QStringLiteral("Add_to_archive.png"));
        w->slot_add_to_archive();
        QVERIFY(!w->dictionary().cardById(2)->nAr);
        QVERIFY(w->dictionary().changed);
        QCOMPARE(Vmain_form::iconFileOf(w->toolButton_toArchive),
                 QStringLiteral("Add_to_archive_disabled.png"));
        QCOMPARE(Vmain_form::iconFileOf(w->toolButton2_saveOneFile),
                 QStringLiteral("Save_one_file.png"));
        QCOMPARE(w->statusBar()->currentMessage(), QStringLiteral("Работа со словарем"));
        // The start button is live only on the learning tab.
        QCOMPARE(Vmain_form::iconFileOf(w->toolButton11_start),
                 QStringLiteral("Turn_on_disabled.png"));
        w->tabWidget2->setCurrentIndex(0);
        QCOMPARE(Vmain_form::iconFileOf(w->toolButton11_start), QStringLiteral("Turn_on.png"));
        QCOMPARE(w->statusBar()->currentMessage(),
                 QStringLiteral("Для начала работы нажмите \"Старт\""));
    }

    void contextMenuByRow()
    {
        auto w = makeWindow();
        std::unique_ptr<QMenu> empty(w->buildContextMenu(-1));
        QCOMPARE(empty->objectName(), QStringLiteral("table3PopupM"));
        QCOMPARE(menuTexts(empty.get()), QStringList{"Открыть файл(ы)*"});
        fill(*w);
        std::unique_ptr<QMenu> onCard(w->buildContextMenu(w->rowOfCard(1)));
        QCOMPARE(menuTexts(onCard.get()),
                 (QStringList{"Редактировать (F2)*", "Удалить (Del)", "Добавить",
                              "Добавить (копия)", "-", "Обновить (Ctrl+O)", "Инфо (F1)"}));
        std::unique_ptr<QMenu> onHeader(w->buildContextMenu(0));
        QCOMPARE(menuTexts(onHeader.get()), QStringList{"Обновить (Ctrl+O)"});
    }

    void filterHidesCardsInTable()
    {
        auto w = makeWindow();
        fill(*w);
        w->filter().setArchiveChoice(2);
        w->slot_refresh();
        QCOMPARE(w->cardRowCount(), 2);
        QCOMPARE(w->rowOfCard(3), -1);
    }
};

QTEST_MAIN(TestMainWindow)
#include "test_main_window.moc"
