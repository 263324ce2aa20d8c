#include "core/dictionary/dictionary.h"
#include "core/settings/app_settings.h"
#include "core/settings/ini_reader.h"
#include "scripted_interaction.h"
#include "test_cards.h"
#include "ui/editor/card_edit_actions.h"
#include "ui/editor/choose_category_dialog.h"
#include "ui/editor/line_for_word.h"
#include "ui/editor/one_word_form_dialog.h"

#include <QTest>

#include <functional>
#include <memory>

namespace
{

using Fill = std::function<void(_OneWord_Form &)>;

// What the scripted editor saw when it opened.
struct Seen {
    QString caption;
    QString lesson;
    QString word;
};

// The host's side: a dictionary, a settings store, the window's prompts and
// the operations; the editor's own prompts are scripted separately.
struct Host {
    Dictionary dict;
    iniReader settings;
    ScriptedInteraction ui;
    ScriptedInteraction editorPrompts;
    CardEditActions actions{dict, settings, ui, nullptr};
    Seen seen;

    Host()
    {
        dict.setCategoryList({"Дом", "Еда"});
        // What the table hears from the dictionary, as "added 1", "changed 2",
        // "removed 3" or "" for nothing.
        QObject::connect(&dict, &Dictionary::cardsAdded, &dict, [this](const QList<int> &ids) {
            heard << QString("added %1").arg(ids.value(0));
        });
        QObject::connect(&dict, &Dictionary::cardsChanged, &dict, [this](const QList<int> &ids) {
            heard << QString("changed %1").arg(ids.value(0));
        });
        QObject::connect(&dict, &Dictionary::cardsRemoved, &dict, [this](const QList<int> &ids) {
            heard << QString("removed %1").arg(ids.value(0));
        });
    }
    QStringList heard;
    // What the dictionary told since the last call.
    QString told() { return heard.join(QLatin1Char(',')); }
    QString takeTold()
    {
        const QString t = told();
        heard.clear();
        return t;
    }

    int addFileCard(const QString &word, const QString &lesson = "L1")
    {
        dict.addOpenFile("/d/a.xml");
        dict.addLesson(lesson);
        Card c = makeCard(word, {"слово"}, lesson, "/d/a.xml");
        c.rER = 2;
        c.pER = 3;
        return dict.addCard(c);
    }

    // Answers the next editor: fills it in with `fill`, then presses
    // "Применить" (once, or again after each fix in `retries`).
    void applyEditor(const Fill &fill, const QList<Fill> &retries = {})
    {
        ui.answerDialog([this, fill, retries](QDialog *d) {
            auto *f = qobject_cast<_OneWord_Form *>(d);
            if (!f)
                return int(QDialog::Rejected);
            f->setPrompts(&editorPrompts);
            seen = {f->windowTitle(), f->lineEdit1->text(), f->line(0)->lineEdit1->text()};
            fill(*f);
            f->slot_pushButton1_clicked();
            for (const Fill &retry : retries) {
                retry(*f);
                f->slot_pushButton1_clicked();
            }
            return f->result();
        });
    }
    void cancelEditor()
    {
        ui.answerDialog([this](QDialog *d) {
            auto *f = qobject_cast<_OneWord_Form *>(d);
            if (!f)
                return int(QDialog::Rejected);
            seen = {f->windowTitle(), f->lineEdit1->text(), f->line(0)->lineEdit1->text()};
            f->slot_cancel_clicked();
            return f->result();
        });
    }
};

// Picks a category in the editor's category window, as the user would.
void chooseCategory(_OneWord_Form &f, const QString &name)
{
    _choose_aCategoryForm *cats = f.categoryWindow();
    cats->activateWindow();
    if (!QTest::qWaitForWindowActive(cats))
        return;
    cats->dDListBox1->setCurrentItem(cats->dDListBox1->findItems(name, Qt::MatchExactly)[0]);
    cats->pushButton1->click();
}

Fill newCard(const QString &lesson, const QString &word, const QString &russian)
{
    return [=](_OneWord_Form &f) {
        f.lineEdit1->setText(lesson);
        f.line(0)->lineEdit1->setText(word);
        f.textEdit2->setPlainText(russian);
        chooseCategory(f, "Еда");
    };
}

} // namespace

class TestCardEditActions : public QObject
{
    Q_OBJECT

private slots:
    void addToAnEmptyDictionary()
    {
        Host h;
        h.applyEditor(newCard("Урок 1", "cat", "[N] кот"));
        QCOMPARE(h.actions.addWord(0), 1);
        QCOMPARE(h.takeTold(), QString("added 1"));
        QCOMPARE(h.seen.caption, QString("Добавление карточки"));
        QCOMPARE(h.seen.lesson, QString());
        QCOMPARE(h.ui.texts(ScriptedInteraction::Dialog), QStringList{"OneWord_Form"});
        QCOMPARE(h.dict.cardCount(), 1);
        const Card c = *h.dict.cardById(1);
        QCOMPARE(c.lesson, QString("Урок 1"));
        QVERIFY(c.filePath.isEmpty());
        QCOMPARE(c.categories, QList<QString>{"Еда"});
        QVERIFY(h.dict.lessons().count("Урок 1"));
        QVERIFY(h.dict.isModified());
        QCOMPARE(h.actions.lastLesson(), QString("Урок 1"));
        QVERIFY(readWindowGeometry(h.settings, "ONE_WORD_FORM").width > 0);

        // The next new card starts in the last lesson.
        h.applyEditor(newCard("Урок 1", "dog", "[N] пёс"));
        QCOMPARE(h.actions.addWord(1), 2);
        QCOMPARE(h.seen.lesson, QString("Урок 1"));
        QVERIFY(h.seen.word.isEmpty());
    }

    void cancelledAddChangesNothing()
    {
        Host h;
        h.cancelEditor();
        QCOMPARE(h.actions.addWord(0), 0);
        QCOMPARE(h.takeTold(), QString());
        QCOMPARE(h.dict.cardCount(), 0);
        QCOMPARE(h.dict.idCounter(), 0);
        QVERIFY(!h.dict.isModified());
        QVERIFY(h.actions.lastLesson().isEmpty());
    }

    void copyGetsANewIdInTheSameFile()
    {
        Host h;
        const int source = h.addFileCard("cat");
        h.applyEditor([](_OneWord_Form &f) { f.line(1)->lineEdit1->setText("kitty"); });
        QCOMPARE(h.actions.addCopy(source), 2);
        QCOMPARE(h.takeTold(), QString("added 2"));
        QCOMPARE(h.seen.caption, QString("Добавление карточки"));
        QCOMPARE(h.seen.word, QString("cat"));
        QCOMPARE(h.seen.lesson, QString("L1"));
        const Card copy = *h.dict.cardById(2);
        QCOMPARE(copy.filePath, QString("/d/a.xml"));
        QCOMPARE(copy.lesson, QString("L1"));
        QCOMPARE(copy.foreignWords.size(), 2);
        QCOMPARE(copy.rER, 0);
        const Card original = *h.dict.cardById(source);
        QCOMPARE(original.foreignWords.size(), 1);
        QCOMPARE(original.rER, 2);
        QCOMPARE(h.dict.cardAt(1).id, 2); // appended
    }

    void editReplacesTheCardInPlace()
    {
        Host h;
        h.addFileCard("ant");
        const int id = h.addFileCard("bee");
        h.addFileCard("cat");
        h.applyEditor([](_OneWord_Form &f) {
            f.lineEdit1->setText("L2");
            f.line(0)->lineEdit1->setText("wasp");
        });
        QVERIFY(h.actions.edit(id));
        QCOMPARE(h.takeTold(), QString("changed %1").arg(id));
        QCOMPARE(h.seen.caption, QString("Редактирование карточки"));
        QCOMPARE(h.dict.cardCount(), 3);
        QCOMPARE(h.dict.indexOfId(id), 1);
        const Card c = *h.dict.cardById(id);
        QCOMPARE(c.foreignWords[0].word, QString("wasp"));
        QCOMPARE(c.lesson, QString("L2"));
        QCOMPARE(c.filePath, QString("/d/a.xml"));
        QCOMPARE(c.rER, 0);
        QVERIFY(h.dict.lessons().count("L2"));
        QVERIFY(h.dict.isModified());
        QCOMPARE(h.actions.lastLesson(), QString("L2"));
    }

    void editStaysOpenUntilTheInputIsRight()
    {
        Host h;
        const int id = h.addFileCard("bee");
        h.editorPrompts.expect(ScriptedInteraction::Warning,
                               "Нет ни одной записи для русских слов");
        h.applyEditor([](_OneWord_Form &f) { f.textEdit2->setPlainText("  "); },
                      {[](_OneWord_Form &f) { f.textEdit2->setPlainText("[V] жужжать"); }});
        QVERIFY(h.actions.edit(id));
        QCOMPARE(h.takeTold(), QString("changed %1").arg(id));
        QCOMPARE(h.dict.cardById(id)->translations.first().code, QString("V"));
    }

    void cancelledEditChangesNothing()
    {
        Host h;
        const int id = h.addFileCard("bee");
        const Card before = *h.dict.cardById(id);
        h.cancelEditor();
        QVERIFY(!h.actions.edit(id));
        QCOMPARE(h.takeTold(), QString());
        QVERIFY(h.dict.cardById(id)->sameContent(before));
        QCOMPARE(h.dict.cardById(id)->rER, 2);
        QVERIFY(!h.dict.isModified());
    }

    void noCardRow_data()
    {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<int>("id");
        QTest::addColumn<QString>("critical");
        for (const char *op : {"copy", "edit", "remove", "archive"}) {
            QTest::addRow("%s on a header row", op) << op << 0 << "";
            QTest::addRow("%s on a vanished card", op)
                << op << 99
                << (QString(op) == "archive" ? "" : "Ошибка программы\nНет карточки с id == 99");
        }
    }
    void noCardRow()
    {
        QFETCH(QString, operation);
        QFETCH(int, id);
        QFETCH(QString, critical);
        Host h;
        h.addFileCard("bee");
        if (!critical.isEmpty())
            h.ui.expect(ScriptedInteraction::Critical, critical);
        bool acted = false;
        if (operation == "copy")
            acted = h.actions.addCopy(id) != 0;
        else if (operation == "edit")
            acted = h.actions.edit(id);
        else if (operation == "remove")
            acted = h.actions.remove(id, false);
        else
            acted = h.actions.toArchive(id);
        QVERIFY(!acted);
        QCOMPARE(h.takeTold(), QString());
        QCOMPARE(h.dict.cardCount(), 1);
        QVERIFY(!h.dict.isModified());
        QCOMPARE(h.ui.texts(ScriptedInteraction::Critical),
                 critical.isEmpty() ? QStringList() : QStringList{critical});
    }

    void remove_data()
    {
        QTest::addColumn<bool>("running");
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("removed");
        QTest::newRow("yes") << false << int(Interaction::Yes) << true;
        QTest::newRow("no") << false << int(Interaction::No) << false;
        QTest::newRow("during a run, not even asked") << true << -1 << false;
    }
    void remove()
    {
        QFETCH(bool, running);
        QFETCH(int, answer);
        QFETCH(bool, removed);
        Host h;
        h.addFileCard("ant");
        const int id = h.addFileCard("bee");
        if (answer >= 0)
            h.ui.answerYesNo(answer, "Удалить выделенную карточку?");
        QCOMPARE(h.actions.remove(id, running), removed);
        QCOMPARE(h.takeTold(), removed ? QString("removed %1").arg(id) : QString());
        QCOMPARE(!h.dict.cardById(id), removed);
        QCOMPARE(h.dict.cardCount(), removed ? 1 : 2);
        QCOMPARE(h.dict.isModified(), removed);
    }

    void archive()
    {
        Host h;
        const int id = h.addFileCard("bee");
        QVERIFY(h.actions.toArchive(id));
        QCOMPARE(h.takeTold(), QString("changed %1").arg(id));
        QVERIFY(!h.dict.cardById(id)->nAr);
        QVERIFY(h.dict.isModified());
        h.dict.setModified(false);
        QVERIFY(!h.actions.toArchive(id));
        QCOMPARE(h.takeTold(), QString());
        QVERIFY(!h.dict.cardById(id)->nAr);
        QVERIFY(!h.dict.isModified());
    }
};

QTEST_MAIN(TestCardEditActions)
#include "test_card_edit_actions.moc"
