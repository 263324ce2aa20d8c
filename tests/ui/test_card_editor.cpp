#include "core/editor/card_apply.h"
#include "core/editor/translation_parser.h"
#include "core/markup/markup.h"
#include "core/settings/app_settings.h"
#include "core/settings/ini_reader.h"
#include "scripted_interaction.h"
#include "test_cards.h"
#include "ui/editor/chast_rechi_select_dialog.h"
#include "ui/editor/choose_category_dialog.h"
#include "ui/editor/line_for_word.h"
#include "ui/editor/one_word_form_dialog.h"
#include "ui/editor/symbols_selector.h"

#include <QMenu>
#include <QSplitterHandle>
#include <QTest>

#include <memory>

namespace
{

// One editor over one card, with scripted prompts and an in-memory store.
struct Editor {
    Card card;
    StringSet categories{"Дом", "Еда", "Животные"};
    StringSet lessons;
    iniReader settings;
    ScriptedInteraction prompts;
    std::unique_ptr<_OneWord_Form> form;

    explicit Editor(const Card &c, const StringSet &lessonSet = {}) : card(c), lessons(lessonSet)
    {
        form = std::make_unique<_OneWord_Form>(nullptr, card, categories, lessons, 5, settings);
        form->setPrompts(&prompts);
    }
    ~Editor() { form.reset(); }

    bool activate()
    {
        form->show();
        form->activateWindow();
        return QTest::qWaitForWindowActive(form.get());
    }
    QLineEdit *field(int line, int column) const
    {
        _line_ForWordForm *l = form->line(line);
        return column == 0 ? l->lineEdit1 : l->lineEdit2;
    }
};

Card sampleCard()
{
    Card c = makeCard("cat", {"кот", "кошка"}, "Урок 1", "/d/a.xml", {"Еда", "Дом"});
    c.id = 7;
    c.foreignWords[0].transcription = "kæt";
    c.foreignWords[0].autoCheck = true;
    c.foreignWords.append({"puss", "pʊs", false});
    c.soundPath = "cat.wav";
    c.nPER = c.pER = 3;
    c.nPRE = c.pRE = 2;
    c.rER = 4;
    return c;
}

// Picks `entry` in the part-of-speech picker and presses "Вставить".
std::function<int(QDialog *)> pickSpeechPart(const QString &entry)
{
    return [entry](QDialog *d) {
        auto *picker = qobject_cast<_chastRechiSelectForm *>(d);
        if (!picker)
            return int(QDialog::Rejected);
        const auto items = picker->listBox1->findItems(entry, Qt::MatchExactly);
        if (items.isEmpty())
            return int(QDialog::Rejected);
        picker->listBox1->setCurrentItem(items.first());
        picker->slot_pushButton1_clicked();
        return picker->result();
    };
}

// Clicks the given symbols in the selector and presses "Вставить".
std::function<int(QDialog *)> pickSymbols(const QStringList &symbols)
{
    return [symbols](QDialog *d) {
        auto *selector = qobject_cast<symbolsSelector *>(d);
        if (!selector)
            return int(QDialog::Rejected);
        for (const QString &s : symbols)
            selector->form()->hasText(s);
        selector->form()->pushButton1_clicked();
        return selector->result().isEmpty() ? int(QDialog::Rejected) : selector->QDialog::result();
    };
}

} // namespace

class TestCardEditor : public QObject
{
    Q_OBJECT

private slots:
    void loadsTheCard()
    {
        Card c = sampleCard();
        c.nAr = false;
        Editor e(c);
        _OneWord_Form &f = *e.form;
        QCOMPARE(f.windowTitle(), QString("Редактирование карточки"));
        QCOMPARE(f.lineEdit1->text(), QString("Урок 1"));
        QVERIFY(f.checkBox_Archive->isChecked());
        QCOMPARE(f.textLabel_Archive->palette().color(QPalette::WindowText), QColor(0, 0, 255));
        QCOMPARE(f.spinBox3->value(), 3);
        QCOMPARE(f.spinBox4->value(), 2);
        QCOMPARE(f.spinBox3->maximum(), 5);
        QCOMPARE(f.lineCount(), 5);
        QVERIFY(f.line(0)->checkBox1->isChecked());
        QCOMPARE(e.field(0, 0)->text(), QString("cat"));
        QCOMPARE(e.field(0, 1)->text(), QString("kæt"));
        QCOMPARE(e.field(1, 0)->text(), QString("puss"));
        QVERIFY(!f.line(1)->checkBox1->isChecked());
        QVERIFY(e.field(2, 0)->text().isEmpty());
        QCOMPARE(f.textEdit2->toPlainText(), QString("[N] 1. - кот, - кошка"));
        QCOMPARE(f.lineEdit2_voiceFile->text(), QString("cat.wav"));
        QVERIFY(f.categoryWindow()->isVisible());
        QCOMPARE(f.categoryWindow()->chosenCategories(), QStringList({"Дом", "Еда"}));
        f.setPrompts(nullptr);
        QCOMPARE(f.prompts().caption(), QString("Редактирование \"слова\""));
        f.setPrompts(&e.prompts);
        // The lines stand above the sound row, in order.
        QCOMPARE(f.linesLayout->indexOf(f.line(0)), 0);
        QCOMPARE(f.linesLayout->indexOf(f.line(4)), 4);
    }

    void cardWithManyWordsShowsThemAll()
    {
        Card c = sampleCard();
        for (int i = 2; i < 7; ++i)
            c.foreignWords.append({QString("w%1").arg(i), QString(), false});
        Editor e(c);
        QCOMPARE(e.form->lineCount(), 7);
        QCOMPARE(e.field(6, 0)->text(), QString("w6"));
        e.form->slot_pushButton1_clicked();
        QCOMPARE(e.form->result(), int(QDialog::Accepted));
        QCOMPARE(e.card.foreignWords.size(), 7);
    }

    void archiveLabelFollowsTheBox()
    {
        Editor e(sampleCard());
        QLabel *label = e.form->textLabel_Archive;
        QCOMPARE(label->palette().color(QPalette::WindowText), QColor(0, 0, 0));
        e.form->checkBox_Archive->click();
        QCOMPARE(label->palette().color(QPalette::WindowText), QColor(0, 0, 255));
        e.form->checkBox_Archive->click();
        QCOMPARE(label->palette().color(QPalette::WindowText), QColor(0, 0, 0));
    }

    void geometryFromTheStore_data()
    {
        QTest::addColumn<QString>("ini");
        QTest::addColumn<QPoint>("pos");
        QTest::addColumn<QSize>("size");
        // (40, 40), moved as far as the 800 pixels of the test screen need
        // for the frame of 789.
        QTest::newRow("defaults") << "" << QPoint(11, 40) << QSize(785, 248);
        QTest::newRow("stored") << "[ONE_WORD_FORM]\ntopX=120\ntopY=90\nwidth=600\nheight=400\n"
                                << QPoint(120, 90) << QSize(600, 400);
        QTest::newRow("size ignored unless both above 0")
            << "[ONE_WORD_FORM]\ntopX=5\ntopY=6\nwidth=600\nheight=0\n"
            << QPoint(5, 6) << QSize(785, 248);
    }
    void geometryFromTheStore()
    {
        QFETCH(QString, ini);
        QFETCH(QPoint, pos);
        QFETCH(QSize, size);
        Card c = sampleCard();
        StringSet cats{"Еда"}, lessons;
        iniReader settings;
        settings.loadText(ini);
        _OneWord_Form f(nullptr, c, cats, lessons, 5, settings);
        QCOMPARE(f.pos(), pos);
        QCOMPARE(f.size(), size);
    }

    void applyReplacesTheWholeCard()
    {
        Editor e(sampleCard());
        _OneWord_Form &f = *e.form;
        e.settings.loadText("[CATEGORY_FORM]\ntopX=700\ntopY=50\nwidth=300\nheight=200\n");
        QVERIFY(e.activate());
        f.move(30, 20);
        f.lineEdit1->setText("  Урок   2 ");
        e.field(1, 0)->clear();
        e.field(1, 1)->clear();
        e.field(3, 0)->setText("kitty");
        f.line(3)->checkBox1->setChecked(true);
        f.textEdit2->setPlainText("[N] 1. - кот 2. - киска (ласк.)");
        f.spinBox3->setValue(2);
        f.checkBox_Archive->click();
        f.lineEdit2_voiceFile->setText(" a.wav ;  b.wav ");
        _choose_aCategoryForm *cats = f.categoryWindow();
        // Stored as the toolkit reports a window: frame position, inner size.
        const QRect catGeometry(cats->pos(), cats->size());
        // Stored at 700: kept on the test screen.
        QCOMPARE(catGeometry.topLeft(), QPoint(800 - cats->frameGeometry().width(), 50));
        QTest::mouseClick(f.pushButton1, Qt::LeftButton);

        QCOMPARE(f.result(), int(QDialog::Accepted));
        QVERIFY(!f.categoryWindow());
        const Card &c = e.card;
        QCOMPARE(c.id, 7);
        QCOMPARE(c.filePath, QString("/d/a.xml"));
        QCOMPARE(c.lesson, QString("Урок 2"));
        QCOMPARE(c.foreignWords.size(), 2);
        QCOMPARE(c.foreignWords[1], (ForeignWord{"kitty", "", true}));
        QCOMPARE(renderTranslations(c.translations), QString("[N] 1. - кот\n2. - киска (ласк.)"));
        QCOMPARE(c.nPER, 2);
        QCOMPARE(c.pER, 2);
        QCOMPARE(c.rER, 0);
        QVERIFY(!c.nAr);
        QCOMPARE(c.categories, QList<QString>({"Дом", "Еда"}));
        QCOMPARE(c.soundPath, QString("a.wav ; b.wav"));

        const WindowGeometry eg = readWindowGeometry(e.settings, "ONE_WORD_FORM");
        QCOMPARE(QRect(eg.topX, eg.topY, eg.width, eg.height), QRect(f.pos(), f.size()));
        const WindowGeometry cg = readWindowGeometry(e.settings, "CATEGORY_FORM");
        QCOMPARE(QRect(cg.topX, cg.topY, cg.width, cg.height), catGeometry);
    }

    void failedApplyChangesNothing_data()
    {
        QTest::addColumn<QString>("russian");
        QTest::addColumn<QString>("transcriptionOnly");
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("no Russian word") << ""
                                         << "" << QStringList{CardEditorText::noRussianWord()};
        QTest::newRow("warnings first, then the stop")
            << "[N] a< [V b"
            << "tr"
            << QStringList{CardEditorText::transcriptionAlone(),
                           TranslationText::angleBracketWarning(),
                           TranslationText::strayTextError("[V b")};
    }
    void failedApplyChangesNothing()
    {
        QFETCH(QString, russian);
        QFETCH(QString, transcriptionOnly);
        QFETCH(QStringList, messages);
        Editor e(sampleCard());
        const Card before = e.card;
        e.form->textEdit2->setPlainText(russian);
        e.field(4, 1)->setText(transcriptionOnly);
        for (const QString &m : messages)
            e.prompts.expect(ScriptedInteraction::Warning, m);
        e.form->slot_pushButton1_clicked();
        QCOMPARE(e.prompts.texts(ScriptedInteraction::Warning), messages);
        QCOMPARE(e.form->result(), 0);
        QVERIFY(e.card.sameContent(before));
        QCOMPARE(e.card.rER, 4);
        QCOMPARE(e.form->textEdit2->toPlainText(), russian);
        QCOMPARE(e.field(4, 1)->text(), transcriptionOnly);
        QVERIFY(e.form->categoryWindow());
    }

    void categoriesAreRequired()
    {
        Editor e(sampleCard());
        _choose_aCategoryForm *cats = e.form->categoryWindow();
        for (int i = 0; i < 2; ++i) {
            cats->dDListBox2->setCurrentRow(0);
            cats->pushButton2->click();
        }
        QCOMPARE(cats->dDListBox2->count(), 0);
        e.prompts.expect(ScriptedInteraction::Warning, CardEditorText::noCategory());
        e.form->slot_pushButton1_clicked();
        QCOMPARE(e.form->result(), 0);
        QCOMPARE(e.card.categories.size(), 2);
    }

    void cancelStoresGeometryAndKeepsTheCard()
    {
        Editor e(sampleCard());
        const Card before = e.card;
        e.form->lineEdit1->setText("другое");
        e.form->move(77, 66);
        e.form->pushButton1_2_cancel->click();
        QCOMPARE(e.form->result(), int(QDialog::Rejected));
        QVERIFY(e.card.sameContent(before));
        QCOMPARE(readWindowGeometry(e.settings, "ONE_WORD_FORM").topX, 77);
        QVERIFY(readWindowGeometry(e.settings, "CATEGORY_FORM").width > 0);
        QVERIFY(!e.form->categoryWindow());
    }

    // Tab goes down the form: the lesson, each line's word and
    // transcription, then categories, priorities, sound, translation, buttons.
    void tabFollowsTheForm()
    {
        Editor e(sampleCard());
        _OneWord_Form &f = *e.form;
        QList<QWidget *> expected{f.lineEdit1, f.toolButton4};
        for (int i = 0; i < f.lineCount(); ++i)
            expected << f.line(i)->lineEdit1 << f.line(i)->lineEdit2 << f.line(i)->checkBox1;
        expected << f.toolButton1 << f.toolButton2 << f.toolButton3 << f.checkBox_Archive
                 << f.spinBox3 << f.spinBox4 << f.lineEdit2_voiceFile << f.textEdit2
                 << f.pushButton1 << f.pushButton1_2_cancel;
        QList<QWidget *> chain;
        QWidget *w = f.lineEdit1;
        do {
            if (expected.contains(w) && !chain.contains(w))
                chain << w;
            w = w->nextInFocusChain();
        } while (w != f.lineEdit1);
        QCOMPARE(chain, expected);
    }

    void categoryWindowShownAgain()
    {
        Editor e(sampleCard());
        e.form->categoryWindow()->close();
        QVERIFY(e.form->categoryWindow()->isHidden());
        e.form->toolButton1->click();
        QVERIFY(e.form->categoryWindow()->isVisible());
    }

    // From (line, column, cursor) a key lands in (line, column, cursor).
    void fieldNavigation_data()
    {
        QTest::addColumn<int>("lines");
        QTest::addColumn<int>("line");
        QTest::addColumn<int>("column");
        QTest::addColumn<int>("cursor");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("toLine");
        QTest::addColumn<int>("toColumn");
        QTest::addColumn<int>("toCursor");
        // Every word field holds "abcdef" except line 0's word "ab".
        QTest::newRow("down keeps column and cursor")
            << 5 << 1 << 0 << 3 << int(Qt::Key_Down) << 2 << 0 << 3;
        QTest::newRow("down from the last line wraps, cursor clamped")
            << 5 << 4 << 0 << 5 << int(Qt::Key_Down) << 0 << 0 << 2;
        QTest::newRow("up from the first line wraps")
            << 5 << 0 << 1 << 2 << int(Qt::Key_Up) << 4 << 1 << 2;
        QTest::newRow("up in transcriptions") << 5 << 3 << 1 << 4 << int(Qt::Key_Up) << 2 << 1 << 4;
        QTest::newRow("left at start of first word goes to last transcription")
            << 5 << 0 << 0 << 0 << int(Qt::Key_Left) << 4 << 1 << -1;
        QTest::newRow("left at start of a transcription goes to its word")
            << 5 << 2 << 1 << 0 << int(Qt::Key_Left) << 2 << 0 << -1;
        QTest::newRow("left inside a field moves the cursor")
            << 5 << 2 << 0 << 3 << int(Qt::Key_Left) << 2 << 0 << 2;
        QTest::newRow("right at end of a word goes to its transcription")
            << 5 << 2 << 0 << 6 << int(Qt::Key_Right) << 2 << 1 << 0;
        QTest::newRow("right at end of the last transcription wraps")
            << 5 << 4 << 1 << 6 << int(Qt::Key_Right) << 0 << 0 << 0;
        QTest::newRow("right inside a field moves the cursor")
            << 5 << 4 << 1 << 1 << int(Qt::Key_Right) << 4 << 1 << 2;
        QTest::newRow("enter in a word goes to its transcription")
            << 5 << 1 << 0 << 2 << int(Qt::Key_Return) << 1 << 1 << -1;
        QTest::newRow("enter in the last transcription wraps")
            << 5 << 4 << 1 << 2 << int(Qt::Key_Return) << 0 << 0 << -1;
        QTest::newRow("seven lines: down from the last")
            << 7 << 6 << 1 << 1 << int(Qt::Key_Down) << 0 << 1 << 1;
        QTest::newRow("seven lines: up into the sixth")
            << 7 << 0 << 0 << 1 << int(Qt::Key_Up) << 6 << 0 << 1;
    }
    void fieldNavigation()
    {
        QFETCH(int, lines);
        QFETCH(int, line);
        QFETCH(int, column);
        QFETCH(int, cursor);
        QFETCH(int, key);
        QFETCH(int, toLine);
        QFETCH(int, toColumn);
        QFETCH(int, toCursor);
        Card c = sampleCard();
        c.foreignWords.clear();
        for (int i = 0; i < lines; ++i)
            c.foreignWords.append({i == 0 ? "ab" : "abcdef", "abcdef", false});
        Editor e(c);
        QCOMPARE(e.form->lineCount(), std::max(lines, 5));
        QVERIFY(e.activate());
        QLineEdit *from = e.field(line, column);
        from->setFocus();
        from->setCursorPosition(cursor);
        QTest::keyClick(from, Qt::Key(key));
        QLineEdit *to = e.field(toLine, toColumn);
        QVERIFY2(to->hasFocus(),
                 qPrintable(QApplication::focusWidget() ? QApplication::focusWidget()->objectName()
                                                        : QString("nothing")));
        if (toCursor >= 0)
            QCOMPARE(to->cursorPosition(), toCursor);
        QCOMPARE(e.form->result(), 0); // Enter never applies the card
        QVERIFY(e.form->isVisible());
    }

    void splitterDragReachesEveryLine()
    {
        Editor e(sampleCard());
        QVERIFY(e.activate());
        QSplitter *dragged = e.form->line(2)->splitter3;
        const QList<int> before = dragged->sizes();
        QSplitterHandle *handle = dragged->handle(1);
        const QPoint start(handle->width() / 2, handle->height() / 2);
        QTest::mousePress(handle, Qt::LeftButton, {}, start);
        QTest::mouseMove(handle, start - QPoint(60, 0));
        QTest::mouseRelease(handle, Qt::LeftButton, {}, start - QPoint(60, 0));
        const QList<int> after = dragged->sizes();
        QVERIFY(after != before);
        for (int i = 0; i < e.form->lineCount(); ++i)
            QCOMPARE(e.form->line(i)->splitter3->sizes(), after);
    }

    void lessonPicker()
    {
        {
            Editor e(sampleCard());
            e.prompts.expect(ScriptedInteraction::Warning, CardEditorText::noLessonsYet());
            e.form->toolButton4->click();
            QCOMPARE(e.form->lineEdit1->text(), QString("Урок 1"));
        }
        {
            Editor e(sampleCard(), StringSet{"Б", "А", "В"});
            e.prompts.answerItem("В");
            e.form->toolButton4->click();
            QCOMPARE(e.prompts.lastItems, QStringList({"А", "Б", "В"}));
            QCOMPARE(e.prompts.lastLabel, QString("Выберите наименование урока"));
            QCOMPARE(e.form->lineEdit1->text(), QString("В"));
            e.prompts.answerItem(""); // cancelled
            e.form->toolButton4->click();
            QCOMPARE(e.form->lineEdit1->text(), QString("В"));
        }
    }

    void sectionLabelInsertion_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("selStart");
        QTest::addColumn<int>("selEnd");
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("result");
        QTest::addColumn<QString>("selected");
        QTest::newRow("inserted at the cursor") << "[N] кот " << 8 << 8 << "[V] Глагол"
                                                << "[N] кот [V]"
                                                << "";
        QTest::newRow("replaces the selection") << "[N] кот XX" << 8 << 10 << "[V] Глагол"
                                                << "[N] кот [V]"
                                                << "";
        QTest::newRow("existing label selected, nothing inserted")
            << "[V] идти\n\n[N] кот" << 14 << 14 << "[V] Глагол"
            << "[V] идти\n\n[N] кот"
            << "[V]";
        QTest::newRow("case matters") << "[s] x" << 5 << 5 << "[S] Фраза"
                                      << "[s] x[S]"
                                      << "";
    }
    void sectionLabelInsertion()
    {
        QFETCH(QString, text);
        QFETCH(int, selStart);
        QFETCH(int, selEnd);
        QFETCH(QString, entry);
        QFETCH(QString, result);
        QFETCH(QString, selected);
        Editor e(sampleCard());
        QPlainTextEdit *t = e.form->textEdit2;
        t->setPlainText(text);
        QTextCursor cur = t->textCursor();
        cur.setPosition(selStart);
        cur.setPosition(selEnd, QTextCursor::KeepAnchor);
        t->setTextCursor(cur);
        e.prompts.answerDialog(pickSpeechPart(entry));
        e.form->toolButton2->click();
        QCOMPARE(t->toPlainText(), result);
        QCOMPARE(t->textCursor().selectedText(), selected);
    }

    void keysOpenThePickers()
    {
        Editor e(sampleCard());
        QVERIFY(e.activate());
        QPlainTextEdit *t = e.form->textEdit2;
        t->setPlainText("[N] кот");
        t->setFocus();
        t->moveCursor(QTextCursor::End);
        e.prompts.answerDialog(pickSpeechPart("[A] Прилагательное"));
        QTest::keyClick(t, Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(t->toPlainText(), QString("[N] кот[A]"));
        QCOMPARE(e.prompts.texts(ScriptedInteraction::Dialog), QStringList{"chastRechiSelectForm"});

        e.prompts.answerDialog(pickSymbols({"ə"}));
        QTest::keyClick(t, Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(t->toPlainText(), QString("[N] кот[A]ə"));

        // Ctrl+S in a transcription reaches the editor through the line.
        QLineEdit *tr = e.field(1, 1);
        tr->setFocus();
        tr->setCursorPosition(1);
        e.prompts.answerDialog(pickSymbols({"ʃ", "θ"}));
        QTest::keyClick(tr, Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(tr->text(), QString("pʃθʊs"));
        QVERIFY(tr->hasFocus());

        // Not from the lesson or the priorities.
        e.form->lineEdit1->setFocus();
        QTest::keyClick(e.form->lineEdit1, Qt::Key_S, Qt::ControlModifier);
        e.form->spinBox3->setFocus();
        QTest::keyClick(e.form->spinBox3, Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(e.prompts.texts(ScriptedInteraction::Dialog).size(), 3);
    }

    void symbolMenuOfATranscription()
    {
        Editor e(sampleCard());
        QVERIFY(e.activate());
        auto *tr = static_cast<MyQLineEdit *>(e.field(0, 1));
        tr->setFocus();
        tr->setCursorPosition(0);
        std::unique_ptr<QMenu> menu(tr->buildContextMenu());
        QCOMPARE(menu->actions().first()->text(), QString("Вставить символ (ы)"));
        e.prompts.answerDialog(pickSymbols({"ŋ"}));
        menu->actions().first()->trigger();
        QCOMPARE(tr->text(), QString("ŋkæt"));
    }

    void symbolWithoutTargetInsertsNothing()
    {
        Editor e(sampleCard());
        QVERIFY(e.activate());
        e.form->pushButton1->setFocus();
        const CardEditorInput before = e.form->input();
        e.prompts.answerDialog(pickSymbols({"ə"}));
        e.form->toolButton3->click();
        const CardEditorInput after = e.form->input();
        QCOMPARE(after.lines, before.lines);
        QCOMPARE(after.translations, before.translations);
        QCOMPARE(after.lesson, before.lesson);
    }

    void categoryWindowSticksToTheEditor()
    {
        Editor e(sampleCard());
        QVERIFY(e.activate());
        _OneWord_Form &f = *e.form;
        _choose_aCategoryForm *cats = f.categoryWindow();
        f.move(100, 100);
        const QRect a = f.frameGeometry();
        // Put 15 px right of the editor's edge, the window pulls the editor
        // against itself, tops aligned.
        cats->move(a.right() + 1 + 15, a.y() + 30);
        QCOMPARE(f.frameGeometry().topLeft(),
                 QPoint(cats->frameGeometry().x() - a.width(), cats->frameGeometry().y()));
        // Moving the editor by small steps (as a drag does) takes the window along.
        f.move(f.x() + 10, f.y() + 12);
        f.move(f.x() + 10, f.y() - 30);
        QCOMPARE(cats->frameGeometry().topLeft(),
                 QPoint(f.frameGeometry().right() + 1, f.frameGeometry().y()));
        // Moved far off, it stays where it was put.
        cats->move(f.frameGeometry().right() + 200, 600);
        const QPoint away = cats->pos();
        f.move(f.x() + 5, f.y() + 5);
        QCOMPARE(cats->pos(), away);
    }
};

QTEST_MAIN(TestCardEditor)
#include "test_card_editor.moc"
