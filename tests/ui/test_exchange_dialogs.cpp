#include "app/session.h"
#include "core/dictionary/dictionary_history.h"
#include "scripted_interaction.h"
#include "test_cards.h"
#include "test_window.h"
#include "ui/convert/tools_window.h"
#include "ui/dictionary/dictionary_page.h"
#include "ui/dictionary/dictionary_table_model.h"
#include "ui/exchange/export_dialog.h"
#include "ui/exchange/import_dialog.h"

#include <QComboBox>
#include <QFile>
#include <QMenu>
#include <QTest>
#include <QToolButton>

#include <memory>

using SI = ScriptedInteraction;

// The wiring of the export and import dialogs: where they are reached from,
// and that their choices reach the files and the dictionary. What the
// exchange itself decides is tested in the core.
class TestExchangeDialogs : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    FrameColors m_colors;
    SI *m_ui = nullptr;

    std::unique_ptr<Vmain_form> makeWindow()
    {
        m_dir = makeWorkingDir();
        writeMinimalSettings(m_dir->path());
        m_ui = new SI;
        auto w = std::make_unique<TestWindow>(m_dir->path(), &m_colors, m_ui);
        w->resize(1024, 768);
        w->tabWidget2->setCurrentIndex(int(MainTab::Dictionary));
        Dictionary &d = w->session().dictionary;
        for (const char *word : {"cat", "ant", "bee"})
            d.addCard(makeCard(QString::fromLatin1(word), {QStringLiteral("слово")},
                               QStringLiteral("L1"), QStringLiteral("/d/a.xml")));
        d.addOpenFile(QStringLiteral("/d/a.xml"));
        w->dictionaryPage()->slot_refresh();
        return w;
    }

    static void checkFits(QDialog *d)
    {
        const QSize size = d->sizeHint().expandedTo(d->minimumSizeHint());
        QVERIFY2(size.width() <= 1024 && size.height() <= 740,
                 qPrintable(QStringLiteral("%1x%2").arg(size.width()).arg(size.height())));
        for (QWidget *child : d->findChildren<QWidget *>()) {
            const bool control =
                qobject_cast<QAbstractButton *>(child) || qobject_cast<QComboBox *>(child) ||
                qobject_cast<QLineEdit *>(child) || qobject_cast<QAbstractItemView *>(child);
            // Qt's own parts (scroll bars, headers, a combo box's list) are unnamed.
            if (control && !child->objectName().isEmpty() &&
                !child->objectName().startsWith(QLatin1String("qt_")))
                QVERIFY2(!child->accessibleName().isEmpty(), qPrintable(child->objectName()));
        }
    }

private slots:
    void exportFromTableMenu();
    void importFromToolsWindow();
};

void TestExchangeDialogs::exportFromTableMenu()
{
    auto w = makeWindow();
    DictionaryPage *page = w->dictionaryPage();
    // The page's own button holds both entries.
    auto *button = page->findChild<QToolButton *>(QStringLiteral("toolButton_exchange"));
    QVERIFY(button && button->menu());
    QVERIFY(button->menu()->findChild<QAction *>(QStringLiteral("exportAction")));
    QVERIFY(button->menu()->findChild<QAction *>(QStringLiteral("importAction")));

    const QString path = m_dir->path() + QStringLiteral("/cards.csv");
    m_ui->answerDialog([this](QDialog *d) {
            auto *dialog = qobject_cast<ExportDialog *>(d);
            if (!dialog)
                return int(QDialog::Rejected);
            checkFits(dialog);
            dialog->radioButton_table->setChecked(true);
            dialog->comboBox_format->setCurrentIndex(1); // CSV: ";" is chosen with it
            dialog->pushButton_export->click();
            return dialog->result();
        })
        .answerSaveFile(path)
        .expect(SI::Information, QStringLiteral("Карточек сохранено: 3"));
    std::unique_ptr<QMenu> menu(page->buildContextMenu(-1));
    QAction *action = menu->findChild<QAction *>(QStringLiteral("exportAction"));
    QVERIFY(action && action->isEnabled());
    action->trigger();
    QVERIFY(m_ui->done());
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    QVERIFY(bytes.startsWith("\xEF\xBB\xBF"));
    QVERIFY(bytes.contains(QStringLiteral("Иностранное слово;Транскрипция").toUtf8()));
    QCOMPARE(bytes.count('\n'), 4);
}

void TestExchangeDialogs::importFromToolsWindow()
{
    auto w = makeWindow();
    const QString path = m_dir->path() + QStringLiteral("/words.txt");
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QStringLiteral("dog;собака\ncat;кошка\nowl;сова\n").toUtf8());
    }
    m_ui->answerDialog([&](QDialog *d) {
            auto *dialog = qobject_cast<ImportDialog *>(d);
            if (!dialog)
                return int(QDialog::Rejected);
            dialog->show();
            checkFits(dialog);
            // The file as chosen with the button.
            dialog->pushButton_browse->click();
            if (dialog->lineEdit_file->text() != path || dialog->separator() != QLatin1Char(';') ||
                dialog->headerRow())
                return int(QDialog::Rejected);
            // The mapping suggested for a plain list, shown above the rows.
            auto *second =
                dialog->tableWidget_preview->findChild<QComboBox *>(QStringLiteral("columnRole2"));
            if (!second ||
                ExchangeColumn(second->currentData().toInt()) != ExchangeColumn::Translation)
                return int(QDialog::Rejected);
            if (dialog->tableWidget_preview->rowCount() != 4)
                return int(QDialog::Rejected);
            dialog->comboBox_target->setCurrentIndex(
                dialog->comboBox_target->findData(QStringLiteral("/d/a.xml")));
            dialog->comboBox_lesson->setEditText(QStringLiteral("L1"));
            dialog->comboBox_duplicates->setCurrentIndex(0); // skip "cat"
            dialog->pushButton_import->click();
            return dialog->result();
        })
        .answerOpenFiles({path})
        .expect(SI::Information, QStringLiteral("Добавлено 2 карточки; пропущено повторов: 1"));
    VForm_tools *tools = w->dictionaryPage()->toolsWindow();
    tools->comboBox_selectWork->setCurrentIndex(VForm_tools::Import);
    tools->pushButton_apply->click();
    QVERIFY(m_ui->done());

    Session &s = w->session();
    QCOMPARE(s.dictionary.cardCount(), 5);
    QCOMPARE(s.dictionary.positionsOfFile(QStringLiteral("/d/a.xml")).size(), size_t(5));
    QCOMPARE(w->dictionaryPage()->cardRowCount(), 5);
    QVERIFY(s.dictionary.isModified());
    // One command takes the whole import back.
    QCOMPARE(s.history.undoText(), QStringLiteral("импорт 2 карточек"));
    w->dictionaryPage()->slot_undo();
    QCOMPARE(s.dictionary.cardCount(), 3);
}

QTEST_MAIN(TestExchangeDialogs)
#include "test_exchange_dialogs.moc"
