#include "app/main_window.h"
#include "core/run/run_clock.h"
#include "core/run/run_session.h"
#include "scripted_interaction.h"
#include "test_cards.h"
#include "test_window.h"
#include "ui/common/button_icons.h"
#include "ui/dictionary/dictionary_page.h"
#include "ui/dictionary/dictionary_table_model.h"
#include "ui/run/learning_page.h"

#include <QDialog>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

// The dictionary table's key map: F/L/C held down with Up/Down jumps between
// header rows of that kind.
class TestTableKeys : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    FrameColors m_colors;
    std::unique_ptr<Vmain_form> w;
    ScriptedInteraction *m_ui = nullptr;

    int currentRow() const { return w->dictionaryPage()->table3->currentIndex().row(); }
    QString kindAt(int row) const
    {
        return w->dictionaryPage()->tableModel()->rows().at(row).kindText();
    }

private slots:
    void init()
    {
        m_dir = makeWorkingDir();
        writeMinimalSettings(m_dir->path());
        m_ui = new ScriptedInteraction;
        w = std::make_unique<TestWindow>(m_dir->path(), &m_colors, m_ui);
        w->tabWidget2->setCurrentIndex(1);
        w->dictionaryPage()->checkBox1->setChecked(true);
        w->dictionaryPage()->checkBox2->setChecked(true);
        Dictionary &d = w->session().dictionary;
        d.addCard(makeCard("apple", {}, "L1", "/a.xml"));
        d.addCard(makeCard("bird", {}, "L1", "/a.xml"));
        d.addCard(makeCard("cat", {}, "L2", "/a.xml"));
        d.addCard(makeCard("dog", {}, "L1", "/b.xml"));
        w->dictionaryPage()->slot_refresh();
        w->show();
        w->dictionaryPage()->table3->setFocus();
        // file a, lesson L1, letter A, apple, letter B, bird, lesson L2, letter C, cat,
        // file b, lesson L1, letter D, dog
        QCOMPARE(w->dictionaryPage()->tableModel()->rowCount(), 13);
    }

    void cleanup() { w.reset(); }

    void jumpsToHeadersOfTheHeldKind()
    {
        w->dictionaryPage()->selectTableRow(0);
        QTest::keyPress(w->dictionaryPage()->table3, Qt::Key_L);
        QCOMPARE(w->dictionaryPage()->jumpKind(), QStringLiteral("lesson"));
        QTest::keyClick(w->dictionaryPage()->table3, Qt::Key_Down);
        QCOMPARE(currentRow(), 1);
        QTest::keyClick(w->dictionaryPage()->table3, Qt::Key_Down);
        QCOMPARE(currentRow(), 6);
        QTest::keyClick(w->dictionaryPage()->table3, Qt::Key_Down);
        QCOMPARE(currentRow(), 10);
        QTest::keyClick(w->dictionaryPage()->table3, Qt::Key_Up);
        QCOMPARE(currentRow(), 6);
        QTest::keyRelease(w->dictionaryPage()->table3, Qt::Key_L);
        QVERIFY(w->dictionaryPage()->jumpKind().isEmpty());
        // Without a held key, Down moves one row as usual.
        QTest::keyClick(w->dictionaryPage()->table3, Qt::Key_Down);
        QCOMPARE(currentRow(), 7);
    }

    void downOnLastFileHeaderStays()
    {
        w->dictionaryPage()->selectTableRow(9);
        QCOMPARE(kindAt(9), QStringLiteral("file"));
        QTest::keyPress(w->dictionaryPage()->table3, Qt::Key_F);
        QTest::keyClick(w->dictionaryPage()->table3, Qt::Key_Down);
        QCOMPARE(currentRow(), 9);
        QTest::keyClick(w->dictionaryPage()->table3, Qt::Key_Up);
        QCOMPARE(currentRow(), 0);
        QTest::keyRelease(w->dictionaryPage()->table3, Qt::Key_F);
    }

    void letterJumpFromCardRow()
    {
        w->dictionaryPage()->selectTableRow(w->dictionaryPage()->rowOfCard(1));
        QTest::keyPress(w->dictionaryPage()->table3, Qt::Key_C);
        QTest::keyClick(w->dictionaryPage()->table3, Qt::Key_Down);
        QCOMPARE(kindAt(currentRow()), QStringLiteral("letter"));
        QCOMPARE(w->dictionaryPage()->tableModel()->rows().at(currentRow()).label,
                 QStringLiteral("B"));
        QTest::keyRelease(w->dictionaryPage()->table3, Qt::Key_C);
    }

    // With the Russian layout active the keys give Cyrillic codes; the keys
    // labelled F, L and C still jump.
    void russianLayoutJumpKeys_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("kind");
        QTest::newRow("А on F") << 0x410 << QStringLiteral("file");
        QTest::newRow("Д on L") << 0x414 << QStringLiteral("lesson");
        QTest::newRow("С on C") << 0x421 << QStringLiteral("letter");
    }
    void russianLayoutJumpKeys()
    {
        QFETCH(int, key);
        QFETCH(QString, kind);
        auto *table = w->dictionaryPage()->table3;
        w->dictionaryPage()->selectTableRow(0);
        QTest::sendKeyEvent(QTest::Press, table, Qt::Key(key), QString(QChar(key).toLower()),
                            Qt::NoModifier);
        QCOMPARE(w->dictionaryPage()->jumpKind(), kind);
        QTest::keyClick(table, Qt::Key_Down);
        QCOMPARE(kindAt(currentRow()), kind);
        QTest::sendKeyEvent(QTest::Release, table, Qt::Key(key), QString(QChar(key).toLower()),
                            Qt::NoModifier);
        QVERIFY(w->dictionaryPage()->jumpKind().isEmpty());
        // Other Cyrillic letters are no jump keys.
        QTest::sendKeyEvent(QTest::Press, table, Qt::Key(0x411), QStringLiteral("б"),
                            Qt::NoModifier);
        QVERIFY(w->dictionaryPage()->jumpKind().isEmpty());
    }

    void russianLayoutCtrlFOpensTheSearch()
    {
        QString title;
        m_ui->answerDialog([&title](QDialog *d) {
            title = d->windowTitle();
            return int(QDialog::Rejected);
        });
        QTest::sendKeyEvent(QTest::Click, w->dictionaryPage()->table3, Qt::Key(0x410), QString(),
                            Qt::ControlModifier);
        QCOMPARE(title, QStringLiteral("Поиск в словаре"));
    }

    void ctrlORefreshes()
    {
        w->session().dictionary.addCard(makeCard("egg", {}, "L1", "/b.xml"));
        QTest::keyClick(w->dictionaryPage()->table3, Qt::Key_O, Qt::ControlModifier);
        QCOMPARE(w->dictionaryPage()->cardRowCount(), 5);
    }
};

QTEST_MAIN(TestTableKeys)
#include "test_table_keys.moc"
