#include "core/editor/picker_geometry.h"
#include "core/markup/markup.h"
#include "core/settings/app_settings.h"
#include "core/settings/ini_reader.h"
#include "ui/editor/chast_rechi_select_dialog.h"
#include "ui/editor/choose_category_dialog.h"
#include "ui/editor/dd_list_box.h"
#include "ui/editor/my_q_line_edit.h"
#include "ui/editor/phonetic_font.h"
#include "ui/editor/symbols_selector.h"
#include "ui/editor/v_button_symbol.h"
#include "ui/editor/vertical_text_edits.h"

#include <QFontDatabase>
#include <QMenu>
#include <QMimeData>
#include <QSignalSpy>
#include <QTest>
#include <QTextEdit>

#include <memory>

namespace
{

QStringList texts(const QListWidget *list)
{
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        out << list->item(i)->text();
    return out;
}

void pressOn(DDListBox *list, int row)
{
    list->scrollToItem(list->item(row));
    QTest::mousePress(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(list->item(row)).center());
    QTest::mouseRelease(list->viewport(), Qt::LeftButton, {},
                        list->visualItemRect(list->item(row)).center());
}

void dropOn(DDListBox *list, const QString *text = nullptr)
{
    QMimeData mime;
    if (text)
        mime.setText(*text);
    else
        mime.setData("application/x-other", "x");
    // The application hands a drop to the widget that accepted the drag's entry.
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(list->viewport(), &enter);
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(list->viewport(), &drop);
}

void dropTextOn(DDListBox *list)
{
    const QString empty;
    dropOn(list, &empty);
}

// Records drags instead of running the platform's drag loop.
class RecordingList : public DDListBox
{
public:
    int drags = 0;

protected:
    void startTextDrag() override { ++drags; }
};

struct Receiver : SymbolReceiver {
    QString got;
    void receiveSymbol(QChar c) override { got += c; }
};

const StringSet kAllowed{"Еда",   "Дом",      "Время",     "Город",
                         "Досуг", "Животные", "Искусство", "Работа"};

std::unique_ptr<_choose_aCategoryForm> categoryWindow(const QList<QString> &card, bool active)
{
    auto w = std::make_unique<_choose_aCategoryForm>(nullptr, kAllowed, card);
    if (active) {
        w->show();
        w->activateWindow();
        if (!QTest::qWaitForWindowActive(w.get()))
            return nullptr;
    }
    return w;
}

} // namespace

class TestPickers : public QObject
{
    Q_OBJECT

private slots:
    void categoryWindowFilling()
    {
        auto w = categoryWindow(
            {"Работа", "Еда", "Работа", "Дом", "Свое", "Время", "Город", "Досуг", "Искусство"},
            false);
        QCOMPARE(w->windowTitle(), QString("Выбор категории"));
        QStringList all(kAllowed.begin(), kAllowed.end());
        QCOMPARE(texts(w->dDListBox1), all);
        // First six distinct names in card order (a name outside the allowed
        // list included), sorted.
        QCOMPARE(texts(w->dDListBox2),
                 QStringList({"Время", "Город", "Дом", "Еда", "Работа", "Свое"}));
        QCOMPARE(w->chosenCategories(), texts(w->dDListBox2));
        QVERIFY(w->dDListBox2->minimumWidth() >= w->dDListBox1->sizeHint().width());
    }

    void addingAndRemoving_data()
    {
        QTest::addColumn<QStringList>("card");
        QTest::addColumn<bool>("active");
        QTest::addColumn<QString>("pick");
        QTest::addColumn<QStringList>("after");
        QTest::newRow("added and sorted")
            << QStringList{"Еда"} << true << "Дом" << QStringList{"Дом", "Еда"};
        QTest::newRow("already chosen")
            << QStringList{"Еда"} << true << "Еда" << QStringList{"Еда"};
        QTest::newRow("six is the limit")
            << QStringList{"Время", "Город", "Дом", "Досуг", "Еда", "Работа"} << true << "Искусство"
            << QStringList{"Время", "Город", "Дом", "Досуг", "Еда", "Работа"};
        QTest::newRow("inactive window adds nothing")
            << QStringList{"Еда"} << false << "Дом" << QStringList{"Еда"};
        QTest::newRow("nothing current adds nothing")
            << QStringList{"Еда"} << true << "" << QStringList{"Еда"};
    }
    void addingAndRemoving()
    {
        QFETCH(QStringList, card);
        QFETCH(bool, active);
        QFETCH(QString, pick);
        QFETCH(QStringList, after);
        auto w = categoryWindow(QList<QString>(card.cbegin(), card.cend()), active);
        QVERIFY(w);
        w->dDListBox1->setCurrentItem(
            pick.isEmpty() ? nullptr : w->dDListBox1->findItems(pick, Qt::MatchExactly)[0]);
        w->pushButton1->click();
        QCOMPARE(texts(w->dDListBox2), after);
    }

    void removingNeedsASelection()
    {
        auto w = categoryWindow({"Дом", "Еда"}, false);
        DDListBox *right = w->dDListBox2;
        right->setCurrentRow(1);
        right->clearSelection();
        w->pushButton2->click();
        QCOMPARE(texts(right), QStringList({"Дом", "Еда"}));
        right->setCurrentRow(1);
        w->pushButton2->click();
        QCOMPARE(texts(right), QStringList({"Дом"}));
    }

    void dragAndDropBothWays()
    {
        auto w = categoryWindow({"Еда"}, true);
        QVERIFY(w);
        DDListBox *left = w->dDListBox1;
        DDListBox *right = w->dDListBox2;
        QCOMPARE(left->side(), 0);
        QCOMPARE(right->side(), 1);

        // Left to right adds the left list's current category.
        pressOn(left, int(texts(left).indexOf("Дом")));
        QCOMPARE(DDListBox::lastPressed(), left);
        dropTextOn(right);
        QCOMPARE(texts(right), QStringList({"Дом", "Еда"}));

        // A drop on the list the drag came from does nothing.
        pressOn(left, int(texts(left).indexOf("Работа")));
        dropTextOn(left);
        QCOMPARE(texts(right), QStringList({"Дом", "Еда"}));

        // Right to left removes the right list's selected category.
        pressOn(right, 1);
        QCOMPARE(DDListBox::lastPressed(), right);
        dropTextOn(left);
        QCOMPARE(texts(right), QStringList({"Дом"}));
        dropTextOn(right);
        QCOMPARE(texts(right), QStringList({"Дом"}));

        // Only drags that carry text count.
        pressOn(left, int(texts(left).indexOf("Работа")));
        QSignalSpy drops(right, &DDListBox::ready_drop);
        dropOn(right);
        QCOMPARE(drops.count(), 0);
    }

    void dragStartsOnMoveAfterPress()
    {
        RecordingList list;
        list.addItems({"a", "b"});
        list.resize(120, 80);
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        const QPoint at = list.visualItemRect(list.item(0)).center();
        QTest::mouseMove(list.viewport(), at + QPoint(40, 0));
        QCOMPARE(list.drags, 0); // no press, no drag
        QTest::mousePress(list.viewport(), Qt::LeftButton, {}, at);
        QVERIFY(list.isPressed());
        QCOMPARE(DDListBox::lastPressed(), &list);
        QTest::mouseMove(list.viewport(), at + QPoint(1, 0));
        QCOMPARE(list.drags, 0); // a tremble is still a click
        QTest::mouseMove(list.viewport(), at + QPoint(30, 0));
        QCOMPARE(list.drags, 1);
        QVERIFY(!list.isPressed());
        QTest::mouseMove(list.viewport(), at + QPoint(60, 0));
        QCOMPARE(list.drags, 1);
        QTest::mouseRelease(list.viewport(), Qt::LeftButton, {}, at + QPoint(60, 0));
    }

    void lastPressedForgetsADestroyedList()
    {
        {
            DDListBox list;
            list.addItem("a");
            list.resize(100, 60);
            list.show();
            QVERIFY(QTest::qWaitForWindowExposed(&list));
            pressOn(&list, 0);
            QCOMPARE(DDListBox::lastPressed(), &list);
        }
        QVERIFY(!DDListBox::lastPressed());
    }

    void sectionLabels_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("label");
        QTest::newRow("noun") << "[N] Существительное"
                              << "[N]";
        QTest::newRow("usage") << "[Применено] Особенности применения"
                               << "[Применено]";
        QTest::newRow("no bracket") << "Существительное"
                                    << "";
    }
    void sectionLabels()
    {
        QFETCH(QString, entry);
        QFETCH(QString, label);
        QCOMPARE(sectionLabelOf(entry), label);
    }

    void speechPartPicker_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("entry");
        QTest::addColumn<int>("result");
        QTest::addColumn<QString>("label");
        QTest::newRow("double click") << "double click"
                                      << "[SS] Словосочетание" << int(QDialog::Accepted) << "[SS]";
        QTest::newRow("return key") << "return"
                                    << "[V] Глагол" << int(QDialog::Accepted) << "[V]";
        QTest::newRow("insert button")
            << "insert"
            << "[Применено] Особенности применения" << int(QDialog::Accepted) << "[Применено]";
        QTest::newRow("cancel button") << "cancel"
                                       << "[V] Глагол" << int(QDialog::Rejected) << "untouched";
        QTest::newRow("escape") << "escape"
                                << "[V] Глагол" << int(QDialog::Rejected) << "untouched";
    }
    void speechPartPicker()
    {
        QFETCH(QString, how);
        QFETCH(QString, entry);
        QFETCH(int, result);
        QFETCH(QString, label);
        iniReader settings;
        QString chosen = "untouched";
        _chastRechiSelectForm picker(nullptr, chosen, settings);
        QCOMPARE(picker.windowTitle(), QString("Часть речи"));
        QCOMPARE(texts(picker.listBox1), speechParts());
        QCOMPARE(picker.listBox1->currentRow(), 0);
        picker.show();
        picker.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&picker));
        picker.move(33, 44);
        QListWidgetItem *item = picker.listBox1->findItems(entry, Qt::MatchExactly).value(0);
        QVERIFY(item);
        if (how == "double click")
            picker.listBox1->setCurrentRow(0); // the click makes it current
        else
            picker.listBox1->setCurrentItem(item);
        picker.listBox1->scrollToItem(item);
        const QPoint at = picker.listBox1->visualItemRect(item).center();
        if (how == "double click") {
            QTest::mouseClick(picker.listBox1->viewport(), Qt::LeftButton, {}, at);
            QCOMPARE(picker.result(), 0); // one click only selects
            QTest::mouseDClick(picker.listBox1->viewport(), Qt::LeftButton, {}, at);
        } else if (how == "return") {
            QTest::keyClick(picker.listBox1, Qt::Key_Return);
        } else if (how == "insert") {
            picker.pushButton1->click();
        } else if (how == "cancel") {
            picker.pushButton2->click();
        } else {
            QTest::keyClick(picker.listBox1, Qt::Key_Escape);
        }
        QCOMPARE(picker.result(), result);
        QCOMPARE(chosen, label);
        const WindowGeometry g = readWindowGeometry(settings, "SPEECH_PART_FORM");
        QCOMPARE(QPoint(g.topX, g.topY), QPoint(33, 44));
        QCOMPARE(QSize(g.width, g.height), picker.size());
    }

    void speechPartPickerGeometry()
    {
        QString chosen;
        iniReader fresh;
        _chastRechiSelectForm first(nullptr, chosen, fresh);
        QCOMPARE(first.pos(), QPoint(40, 40));
        QCOMPARE(first.size(), QSize(260, 315));
        iniReader stored;
        stored.loadText("[SPEECH_PART_FORM]\ntopX=300\ntopY=200\nwidth=250\nheight=400\n");
        _chastRechiSelectForm second(nullptr, chosen, stored);
        QCOMPARE(second.pos(), QPoint(300, 200));
        QCOMPARE(second.size(), QSize(250, 400));
    }

    void symbolSelectorCollectsClicks()
    {
        symbolsSelector selector;
        selector.setWindowTitle("Выбор символа");
        QCOMPARE(selector.size(), QSize(380, 110));
        selector.show();
        QVERIFY(QTest::qWaitForWindowExposed(&selector));
        verticalTextEdits *grid = selector.form()->verticalTextEdits2;
        const QList<QTextEdit *> &cells = grid->cells();
        QCOMPARE(cells.size(), 14);
        QStringList shown;
        for (QTextEdit *c : cells)
            shown << c->toPlainText();
        QCOMPARE(shown, transcriptionSymbols());

        const int schwa = int(transcriptionSymbols().indexOf("ə"));
        const int esh = int(transcriptionSymbols().indexOf("ʃ"));
        QTest::mouseClick(cells[schwa]->viewport(), Qt::LeftButton);
        QTest::mouseClick(cells[esh]->viewport(), Qt::LeftButton);
        QTest::mouseDClick(cells[esh]->viewport(), Qt::LeftButton);
        QCOMPARE(selector.form()->lineEdit1->text(), QString("əʃʃ"));
        // The cells never take the click themselves.
        QVERIFY(!cells[esh]->textCursor().hasSelection());

        selector.form()->pushButton1->click();
        QCOMPARE(selector.result(), QString("əʃʃ"));
        QCOMPARE(selector.QDialog::result(), int(QDialog::Accepted));
        QVERIFY(selector.form()->lineEdit1->text().isEmpty());

        selector.show();
        QTest::mouseClick(cells[0]->viewport(), Qt::LeftButton);
        selector.form()->pushButton2->click();
        QCOMPARE(selector.QDialog::result(), int(QDialog::Rejected));
        QVERIFY(selector.form()->lineEdit1->text().isEmpty());

        selector.show();
        QTest::mouseClick(cells[0]->viewport(), Qt::LeftButton);
        selector.reject(); // Escape or the title bar
        QVERIFY(selector.form()->lineEdit1->text().isEmpty());
    }

    void gridRightClickShowsTheCode()
    {
        verticalTextEdits grid;
        grid.resize(200, 80);
        grid.addCells(transcriptionSymbols());
        grid.show();
        QVERIFY(QTest::qWaitForWindowExposed(&grid));
        QSignalSpy entered(&grid, &verticalTextEdits::OneObjectEnter);
        QSignalSpy clicked(&grid, &verticalTextEdits::OneObjectClicked);
        QTextEdit *schwa = grid.cells()[int(transcriptionSymbols().indexOf("ə"))];
        QTest::mouseClick(schwa->viewport(), Qt::RightButton);
        QCOMPARE(entered.count(), 1);
        QCOMPARE(entered[0][0].toString(), QString("ə"));
        QCOMPARE(clicked.count(), 0);
        auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        QVERIFY(menu);
        QCOMPARE(menu->actions().size(), 1);
        QCOMPARE(menu->actions()[0]->text(), QString("601"));
        menu->close();
        QCOMPARE(verticalTextEdits::codeText("↗"), QString("8599"));
    }

    void gridLaysCellsOutByWidth()
    {
        verticalTextEdits grid;
        const QFont font = phoneticFont(12);
        grid.addCells(transcriptionSymbols(), &font);
        grid.show();
        QVERIFY(QTest::qWaitForWindowExposed(&grid));
        const QFontMetrics fm(font);
        QVERIFY(grid.cellSize() >= fm.lineSpacing() + 4);
        for (const QString &s : transcriptionSymbols())
            QVERIFY(grid.cellSize() >= fm.horizontalAdvance(s) + 4);
        for (const QSize &size : {QSize(380, 80), QSize(90, 60)}) {
            grid.resize(size);
            const QSize view = grid.contentsRect().size();
            const SymbolGridLayout g =
                symbolGridLayout(view.width(), view.height(), grid.cellSize(), 14);
            for (int i = 0; i < 14; ++i)
                QCOMPARE(grid.cells()[i]->geometry(),
                         QRect(g.cellPos(i), QSize(grid.cellSize(), grid.cellSize())));
            QCOMPARE(grid.widget()->size(), g.contents);
        }
        QCOMPARE(grid.horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    }

    void symbolsHaveAFont()
    {
        const QString family = phoneticFontFamily();
        if (familyHasTranscriptionSymbols(family))
            return;
        // Only acceptable when no installed font has them all.
        for (const QString &f : QFontDatabase::families())
            QVERIFY2(!familyHasTranscriptionSymbols(f), qPrintable(f));
    }

    void symbolKey()
    {
        VButtonSymbol key;
        key.resize(30, 30);
        key.show();
        QVERIFY(QTest::qWaitForWindowExposed(&key));
        QCOMPARE(key.cursor().shape(), Qt::PointingHandCursor);
        QVERIFY(key.hasMouseTracking());
        QVERIFY(key.font().bold());
        const QImage blank = key.grab().toImage();

        // Without a receiver a click gives nothing to anyone.
        QTest::mouseClick(&key, Qt::LeftButton, {}, QPoint(10, 10));

        Receiver r;
        key.setSymbol(QChar(0x0259), &r);
        QVERIFY(key.grab().toImage() != blank); // the character is drawn
        QTest::mouseClick(&key, Qt::LeftButton, {}, QPoint(10, 10));
        QCOMPARE(r.got, QString("ə"));
        QVERIFY(!key.isPressed());
        QVERIFY(!key.isInside());

        // Pressed, dragged out and released outside: nothing.
        QTest::mousePress(&key, Qt::LeftButton, {}, QPoint(10, 10));
        QVERIFY(key.isPressed());
        QVERIFY(key.isInside());
        QTest::mouseMove(&key, QPoint(50, 10));
        QVERIFY(!key.isInside());
        QTest::mouseMove(&key, QPoint(12, 12));
        QVERIFY(key.isInside());
        QTest::mouseMove(&key, QPoint(-5, 10));
        QTest::mouseRelease(&key, Qt::LeftButton, {}, QPoint(-5, 10));
        QCOMPARE(r.got, QString("ə"));
        QVERIFY(!key.isPressed());
    }

    void symbolMenuItem()
    {
        MyQLineEdit plain;
        std::unique_ptr<QMenu> plainMenu(plain.buildContextMenu());
        for (QAction *a : plainMenu->actions())
            QVERIFY(a->text() != "Вставить символ (ы)");

        MyQLineEdit edit;
        edit.setSymbolMenu(true);
        QSignalSpy spy(&edit, &MyQLineEdit::sel_symbolActivated);
        std::unique_ptr<QMenu> menu(edit.buildContextMenu());
        QCOMPARE(menu->actions()[0]->text(), QString("Вставить символ (ы)"));
        QCOMPARE(menu->actions()[0]->data().toInt(), 0);
        QVERIFY(menu->actions()[1]->isSeparator());
        QCOMPARE(menu->actions().size(), plainMenu->actions().size() + 2);
        edit.ppm_activated(1);
        QCOMPARE(spy.count(), 0);
        menu->actions()[0]->trigger();
        QCOMPARE(spy.count(), 1);
    }
};

QTEST_MAIN(TestPickers)
#include "test_pickers.moc"
