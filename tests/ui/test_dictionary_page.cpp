// The dictionary tab as the user meets it in the real window: the card
// editor, the filter, the search and the information box reached through the
// buttons, keys and context menu, and the table updated row by row.
#include "app/main_window.h"
#include "core/settings/ini_reader.h"
#include "scripted_interaction.h"
#include "test_cards.h"
#include "test_window.h"
#include "ui/common/button_icons.h"
#include "ui/dictionary/dictionary_page.h"
#include "ui/dictionary/dictionary_table_model.h"
#include "ui/editor/choose_category_dialog.h"
#include "ui/editor/line_for_word.h"
#include "ui/editor/one_word_form_dialog.h"
#include "ui/find/filter_dialog.h"
#include "ui/find/search_dialog.h"
#include "ui/help/help_page.h"
#include "ui/run/learning_page.h"
#include "ui/settings/settings_page.h"

#include <QComboBox>
#include <QMenu>
#include <QRadioButton>
#include <QTest>
#include <QTextEdit>
#include <QToolButton>
#include <QTreeView>
#include <QTreeWidget>

#include <memory>

using SI = ScriptedInteraction;

class TestDictionaryPage : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    FrameColors m_colors;
    SI *m_ui = nullptr;
    // The editor's own boxes; none is expected.
    SI m_editorPrompts;

    std::unique_ptr<Vmain_form> makeWindow()
    {
        writeMinimalSettings(m_dir->path());
        m_ui = new SI;
        auto w = std::make_unique<TestWindow>(m_dir->path(), &m_colors, m_ui);
        w->resize(800, 600);
        w->tabWidget2->setCurrentIndex(int(MainTab::Dictionary));
        return w;
    }

    // ant, bee, cat in lesson L1 of one open file, shown in the table.
    static void fill(Vmain_form &w)
    {
        Dictionary &d = w.session().dictionary;
        for (const char *word : {"cat", "ant", "bee"})
            d.addCard(
                makeCard(QString::fromLatin1(word), {QStringLiteral("слово")}, "L1", "/d/a.xml"));
        d.addOpenFile("/d/a.xml");
        d.setLessons({"L1"});
        table(w)->setFocus();
        clickTool(w, "toolButton7"); // "Обновить слова"
    }

    template <class T = QWidget> static T *child(Vmain_form &w, const char *name)
    {
        T *found = w.findChild<T *>(QString::fromLatin1(name));
        if (!found)
            qFatal("no widget %s", name);
        return found;
    }
    static QTreeView *table(Vmain_form &w) { return child<QTreeView>(w, "table3"); }
    static void clickTool(Vmain_form &w, const char *name)
    {
        child<QAbstractButton>(w, name)->click();
    }
    static const DictionaryTableModel *model(Vmain_form &w)
    {
        return static_cast<const DictionaryTableModel *>(table(w)->model());
    }
    // The first foreign words of the card rows, top to bottom.
    static QStringList cardRows(Vmain_form &w)
    {
        QStringList out;
        for (int r = 0; r < model(w)->rowCount(); ++r)
            if (!model(w)->rows().at(r).isHeader())
                out << model(w)
                           ->index(r, DictionaryTableModel::ForeignColumn)
                           .data()
                           .toString()
                           .section(QLatin1Char('\t'), 0, 0);
        return out;
    }
    static int rowOf(Vmain_form &w, const QString &foreign)
    {
        for (int r = 0; r < model(w)->rowCount(); ++r)
            if (model(w)
                    ->index(r, DictionaryTableModel::ForeignColumn)
                    .data()
                    .toString()
                    .startsWith(foreign + QLatin1Char('\t')))
                return r;
        return -1;
    }
    static void select(Vmain_form &w, const QString &foreign)
    {
        const int row = rowOf(w, foreign);
        QVERIFY(row >= 0);
        table(w)->setCurrentIndex(model(w)->index(row, DictionaryTableModel::ForeignColumn));
    }
    static int currentRow(Vmain_form &w) { return table(w)->currentIndex().row(); }

    // Answers the next editor: the first foreign word becomes `word`, then "Применить".
    void applyEditor(const QString &word, QString *caption = nullptr)
    {
        m_ui->answerDialog([this, word, caption](QDialog *d) {
            auto *f = qobject_cast<_OneWord_Form *>(d);
            if (!f)
                return int(QDialog::Rejected);
            f->setPrompts(&m_editorPrompts);
            if (f->categoryWindow()->dDListBox2->count() == 0) {
                // A new card: a category is picked as the user would.
                _choose_aCategoryForm *cats = f->categoryWindow();
                cats->activateWindow();
                if (!QTest::qWaitForWindowActive(cats))
                    return int(QDialog::Rejected);
                cats->dDListBox1->setCurrentRow(0);
                cats->pushButton1->click();
            }
            if (caption)
                *caption = f->windowTitle();
            if (f->lineEdit1->text().isEmpty())
                f->lineEdit1->setText(QStringLiteral("L1"));
            f->line(0)->lineEdit1->setText(word);
            f->line(0)->lineEdit2->setText(word);
            f->textEdit2->setPlainText(QStringLiteral("[N] слово"));
            f->slot_pushButton1_clicked();
            return f->result();
        });
    }

private slots:
    void init() { m_dir = makeWorkingDir(); }
    void cleanup() { m_ui = nullptr; }

    void addedCardGetsOneRowAtTheEnd()
    {
        auto w = makeWindow();
        fill(*w);
        select(*w, "bee");
        const int rowsBefore = model(*w)->rowCount();
        QString caption;
        applyEditor(QStringLiteral("aardvark"), &caption);
        clickTool(*w, "toolButton8_addWord");
        QCOMPARE(caption, QStringLiteral("Добавление карточки"));
        // Appended, not sorted in: the table is not rebuilt.
        QCOMPARE(model(*w)->rowCount(), rowsBefore + 1);
        QCOMPARE(cardRows(*w).last(), QStringLiteral("aardvark"));
        QCOMPARE(currentRow(*w), rowsBefore);
        QCOMPARE(model(*w)->rows().last().number, 4);
        QVERIFY(w->session().dictionary.isModified());
        QCOMPARE(iconFileOf(child<QAbstractButton>(*w, "toolButton2_saveOneFile")),
                 QStringLiteral("Save_one_file.png"));

        // A copy keeps the file and gets its own id and row.
        select(*w, "ant");
        applyEditor(QStringLiteral("ants"));
        clickTool(*w, "toolButton_addCopyWord");
        const Card copy = w->session().dictionary.cards().last();
        QCOMPARE(copy.filePath, QStringLiteral("/d/a.xml"));
        QCOMPARE(copy.id, 5);
        QCOMPARE(model(*w)->rows().last().cardId, 5);
    }

    void editedCardIsRepaintedInPlace()
    {
        auto w = makeWindow();
        fill(*w);
        select(*w, "bee");
        const int row = currentRow(*w);
        QString caption;
        applyEditor(QStringLiteral("wasp"), &caption);
        QTest::keyClick(table(*w), Qt::Key_Return);
        QCOMPARE(caption, QStringLiteral("Редактирование карточки"));
        // Same row, new text, until the next rebuild sorts it.
        QCOMPARE(rowOf(*w, "wasp"), row);
        QCOMPARE(cardRows(*w), (QStringList{"ant", "wasp", "cat"}));

        // F2 and a double click edit too; a cancelled editor changes nothing.
        m_ui->answerDialog([](QDialog *d) {
            d->reject();
            return int(QDialog::Rejected);
        });
        QTest::keyClick(table(*w), Qt::Key_F2);
        QCOMPARE(rowOf(*w, "wasp"), row);
        QVERIFY(m_ui->done());
    }

    void deletedCardLeavesTheRowAbove()
    {
        auto w = makeWindow();
        fill(*w);
        select(*w, "bee");
        const int row = currentRow(*w);
        m_ui->answerYesNo(Interaction::No, QStringLiteral("Удалить выделенную карточку?"));
        QTest::keyClick(table(*w), Qt::Key_Delete);
        QCOMPARE(w->session().dictionary.cardCount(), 3);

        m_ui->answerYesNo(Interaction::Yes, QStringLiteral("Удалить выделенную карточку?"));
        QTest::keyClick(table(*w), Qt::Key_Delete);
        QCOMPARE(w->session().dictionary.cardCount(), 2);
        QCOMPARE(cardRows(*w), (QStringList{"ant", "cat"}));
        QCOMPARE(currentRow(*w), row - 1);
        // The other rows keep their numbers until the next rebuild.
        QCOMPARE(model(*w)->rows().last().number, 3);
    }

    void contextMenuItemsAct()
    {
        auto w = makeWindow();
        fill(*w);
        select(*w, "ant");
        std::unique_ptr<QMenu> menu(w->dictionaryPage()->buildContextMenu(currentRow(*w)));
        QStringList texts;
        for (QAction *a : menu->actions()) {
            // Nothing was changed yet: only undo and redo have nothing to do.
            if (!a->isSeparator())
                QVERIFY2(a->isEnabled() != (texts.size() < 2), qPrintable(a->text()));
            texts << a->text();
        }
        QCOMPARE(texts,
                 (QStringList{"Отменить", "Повторить", "", "Редактировать (F2)", "Удалить (Del)",
                              "Добавить", "Добавить (копия)", "", "Обновить (Ctrl+O)", "Инфо (F1)",
                              "Экспорт карточек...", "Импорт карточек...", "Статистика"}));
        m_ui->expect(SI::Information, QStringLiteral("Урок: <b>L1</b>"));
        menu->actions().at(9)->trigger();
        QVERIFY(m_ui->done());
    }

    // Ctrl+Z on the table brings a deleted card back, its row selected;
    // Ctrl+Shift+Z deletes it again. The menu names the command.
    void undoOfDeleteOnTheTable_data()
    {
        QTest::addColumn<QString>("word");
        QTest::newRow("first row") << "ant";
        QTest::newRow("middle row") << "bee";
        QTest::newRow("last row") << "cat";
    }
    void undoOfDeleteOnTheTable()
    {
        QFETCH(QString, word);
        auto w = makeWindow();
        fill(*w);
        w->session().dictionary.setModified(false);
        select(*w, word);
        const int id = w->dictionaryPage()->currentCardId();
        const int row = currentRow(*w);
        m_ui->answerYesNo(Interaction::Yes, QStringLiteral("Удалить выделенную карточку?"));
        QTest::keyClick(table(*w), Qt::Key_Delete);
        QCOMPARE(w->session().dictionary.cardCount(), 2);
        QVERIFY(w->session().dictionary.isModified());
        {
            std::unique_ptr<QMenu> menu(w->dictionaryPage()->buildContextMenu(0));
            QCOMPARE(menu->actions().at(0)->text(),
                     QStringLiteral("Отменить: удаление 1 карточки"));
            QVERIFY(menu->actions().at(0)->isEnabled());
            QCOMPARE(menu->actions().at(1)->text(), QStringLiteral("Повторить"));
            QVERIFY(!menu->actions().at(1)->isEnabled());
        }

        QTest::keyClick(table(*w), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(cardRows(*w), (QStringList{"ant", "bee", "cat"}));
        QCOMPARE(currentRow(*w), row);
        QCOMPARE(w->dictionaryPage()->currentCardId(), id);
        QVERIFY(!w->session().dictionary.isModified());

        QTest::keyClick(table(*w), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(w->session().dictionary.cardCount(), 2);
        QVERIFY(!w->session().dictionary.cardById(id));
        QTest::keyClick(table(*w), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(w->dictionaryPage()->currentCardId(), id);
        QVERIFY(m_ui->done());
    }

    void archiveButtonArchivesTheRowCard()
    {
        auto w = makeWindow();
        fill(*w);
        select(*w, "cat");
        auto *archive = child<QAbstractButton>(*w, "toolButton_toArchive");
        QCOMPARE(iconFileOf(archive), QStringLiteral("Add_to_archive.png"));
        archive->click();
        QVERIFY(!w->session().dictionary.cardById(1)->nAr);
        QCOMPARE(iconFileOf(archive), QStringLiteral("Add_to_archive_disabled.png"));
        // F1 shows it as archived.
        m_ui->expect(SI::Information, QStringLiteral("Архивная карточка"));
        QTest::keyClick(table(*w), Qt::Key_F1);
        QVERIFY(m_ui->done());
    }

    void searchSelectsTheMatchAndF3GoesOn()
    {
        auto w = makeWindow();
        fill(*w);
        w->tabWidget2->setCurrentIndex(int(MainTab::Learning));
        m_ui->answerDialog([](QDialog *d) {
            auto *s = qobject_cast<VSearchDialog *>(d);
            if (!s)
                return int(QDialog::Rejected);
            s->comboBox1->setEditText(QStringLiteral("  be  "));
            s->checkBox1->setChecked(false); // parts of words too
            s->slot_accept();
            return s->result();
        });
        QTest::keyClick(table(*w), Qt::Key_F, Qt::ControlModifier);
        QCOMPARE(w->tabWidget2->currentIndex(), int(MainTab::Dictionary));
        QCOMPARE(currentRow(*w), rowOf(*w, "bee"));
        m_ui->expect(SI::Warning, QStringLiteral("Совпадений не найдено"));
        QTest::keyClick(table(*w), Qt::Key_F3);
        QVERIFY(m_ui->done());
    }

    void filterButtonRefillsTheTable()
    {
        auto w = makeWindow();
        fill(*w);
        Card other = makeCard("dog", {QStringLiteral("собака")}, "L2", "/d/a.xml");
        w->session().dictionary.addCard(other);
        w->session().dictionary.addLesson("L2");
        w->dictionaryPage()->slot_refresh();
        m_ui->answerDialog([](QDialog *d) {
            auto *f = qobject_cast<VSet_Filter_Dialog *>(d);
            if (!f)
                return int(QDialog::Rejected);
            f->listBox->setCurrentRow(VSet_Filter_Dialog::Lessons);
            for (int i = 0; i < f->listView1->topLevelItemCount(); ++i) {
                QTreeWidgetItem *item = f->listView1->topLevelItem(i);
                if (item->text(0) == QStringLiteral("L2"))
                    item->setCheckState(0, Qt::Checked);
            }
            f->slot_accept();
            return f->result();
        });
        clickTool(*w, "toolButton6_filter");
        QCOMPARE(cardRows(*w), QStringList{"dog"});
        QCOMPARE(iconFileOf(child<QAbstractButton>(*w, "toolButton6_filter")),
                 QStringLiteral("Filter_on.png"));
    }

    void appliedAppearanceAndHelpTopicAreWrittenAtClose()
    {
        {
            auto w = makeWindow();
            auto *page = child<SettingsPage>(*w, "SettingsPage_Form");
            page->checkBox_showSpeechParts->setChecked(true);
            page->radioButton_Horizontal->setChecked(true);
            page->slot_ApplySettings();
            QCOMPARE(w->learningPage()->splitter2->orientation(), Qt::Horizontal);
            w->helpPage()->buttonGroup_clicked(1);
            w->show();
            QVERIFY(w->close());
        }
        iniReader ini;
        QVERIFY(ini.load(m_dir->filePath("settings.ini")));
        QCOMPARE(ini.readEntry("ANOTHER_SETTINGS:show_speech_parts"), QStringLiteral("true"));
        QCOMPARE(ini.readEntry("ANOTHER_SETTINGS:vertical"), QStringLiteral("false"));
        QCOMPARE(ini.readEntry("HELP_PAGE:current"), QStringLiteral("1"));
    }
};

QTEST_MAIN(TestDictionaryPage)
#include "test_dictionary_page.moc"
