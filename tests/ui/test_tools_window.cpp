#include "app/session.h"
#include "core/convert/text_conversion.h"
#include "scripted_interaction.h"
#include "test_cards.h"
#include "test_window.h"
#include "ui/convert/conversion_settings_dialog.h"
#include "ui/convert/tools_window.h"
#include "ui/dictionary/dictionary_page.h"
#include "ui/dictionary/dictionary_table_model.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTest>

#include <csignal>
#include <memory>
#include <sys/resource.h>

using SI = ScriptedInteraction;

namespace
{

const QString kSymbols = QString::fromUtf8("æðŋɔəɛʃʌʒʤʧθ\n[wɜːd] слово");

QByteArray bytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

// Every write past `limit` bytes fails while it lives, as on a full disk
// (root is bound by it too).
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t limit)
    {
        m_oldSignal = std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &m_old);
        rlimit lower = m_old;
        lower.rlim_cur = limit;
        m_ok = setrlimit(RLIMIT_FSIZE, &lower) == 0;
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldSignal);
    }
    bool ok() const { return m_ok; }

private:
    rlimit m_old{};
    void (*m_oldSignal)(int) = nullptr;
    bool m_ok = false;
};

// Answers the conversion dialog: the pattern and count given, then
// "Конвертировать".
std::function<int(QDialog *)> acceptConversion(const QString &pattern = QString(),
                                               int perLesson = 0, bool simple = false)
{
    return [=](QDialog *d) {
        auto *f = qobject_cast<VFormConvertionSettings *>(d);
        if (!f)
            return int(QDialog::Rejected);
        if (!pattern.isNull())
            f->lineEdit_lessonNamePattern->setText(pattern);
        if (perLesson)
            f->spinBox_CardsInLesson->setValue(perLesson);
        f->radioButton_simpleParsing->setChecked(simple);
        f->slot_accept_clicked();
        return f->result();
    };
}

// A tools window on its own session, its prompts scripted.
struct Tools {
    std::unique_ptr<QTemporaryDir> dir = makeWorkingDir();
    FrameColors colors;
    SI *ui = new SI;
    Session session{dir->path(), &colors, ui};
    VForm_tools w{session, ui};

    // Converted cards go to "Прочие", which the default list holds.
    Tools() { session.dictionary.setCategoryList({QStringLiteral("Прочие")}); }

    QString path(const QString &name) const { return dir->filePath(name); }
    void run(VForm_tools::Action action)
    {
        w.comboBox_selectWork->setCurrentIndex(action);
        w.pushButton_apply->click();
    }
    void saveAs(const QString &name)
    {
        ui->answerSaveFile(path(name));
        run(VForm_tools::SaveAs);
    }
    void open(const QString &file)
    {
        ui->answerOpenFiles({file});
        run(VForm_tools::Open);
    }
    QString text() const { return w.textEdit7->toPlainText(); }
    QTextCursor cursor() const { return w.textEdit7->textCursor(); }
    bool searchFailed() const
    {
        return w.lineEdit9->palette().color(QPalette::Base) == VForm_tools::notFoundColor();
    }
    void findNext() { QTest::keyClick(w.lineEdit9, Qt::Key_F3); }
};

} // namespace

class TestToolsWindow : public QObject
{
    Q_OBJECT

private slots:
    void startsAsItIsDescribed()
    {
        Tools t;
        QVERIFY(!t.w.isVisible());
        QCOMPARE(t.w.windowTitle(), QString("Инструменты"));
        QCOMPARE(t.text(), QString("\nЛучше день потерять, потом за пять минут долететь!"));
        QCOMPARE(t.w.comboBox_selectWork->count(), 7);
        QCOMPARE(t.w.comboBox_selectWork->itemText(VForm_tools::ResetState),
                 QString("Сброс состояния словаря"));
        // The described names stay the values, each with a readable label.
        QCOMPARE(t.w.comboBox_encoding->currentData().toString(), QString("Unicode"));
        QCOMPARE(t.w.comboBox_encoding->itemText(0), QString("Locale — Системная (UTF-8)"));
        QCOMPARE(t.w.comboBox_encoding->itemText(1), QString("Unicode — UTF-16"));
        QCOMPARE(t.w.comboBox_encoding->itemText(2), QString("UnicodeUTF8 — UTF-8"));
        QCOMPARE(t.w.encoding(), TextEncoding::Unicode);
        QVERIFY(t.w.frame_keyboard->isHidden());
        QString keys;
        for (const VButtonSymbol *key : t.w.symbolKeys())
            keys += key->symbol();
        QCOMPARE(keys, QString::fromUtf8("æðŋɔəɛʃʌʒʤʧθ"));

        // Without scripted prompts the window has boxes of its own.
        VForm_tools real(t.session, nullptr);
        QCOMPARE(real.interaction().caption(), QString("Инструменты"));
    }

    void saveAsNamesTheFile_data()
    {
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("saved");
        QTest::newRow("no extension") << "notes"
                                      << "notes.txt";
        QTest::newRow("final dot") << "notes."
                                   << "notes.txt";
        QTest::newRow("xml in capitals") << "list.XML"
                                         << "list.XML";
    }
    void saveAsNamesTheFile()
    {
        QFETCH(QString, chosen);
        QFETCH(QString, saved);
        Tools t;
        t.saveAs(chosen);
        QCOMPARE(t.w.currentFile(), t.path(saved));
        QCOMPARE(QDir(t.dir->path()).entryList({"notes*", "list*"}), QStringList{saved});
        // "Сохранить файл" now writes there, after asking.
        t.w.textEdit7->setPlainText("новый текст");
        t.ui->answerYesNo(SI::Yes, "Сохранить текст в файл " + t.path(saved) + "?");
        t.run(VForm_tools::Save);
        QCOMPARE(bytes(t.path(saved)).size(), 2 + 11 * 2);
    }

    void filesHaveCrLf_data()
    {
        QTest::addColumn<int>("encoding");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("Locale") << 0 << QByteArray("one\r\ntwo");
        QTest::newRow("Unicode") << 1
                                 << QByteArray::fromHex("fffe6f006e0065000d000a00740077006f00");
        QTest::newRow("UnicodeUTF8") << 2 << QByteArray("one\r\ntwo");
    }
    void filesHaveCrLf()
    {
        QFETCH(int, encoding);
        QFETCH(QByteArray, expected);
        Tools t;
        t.w.comboBox_encoding->setCurrentIndex(encoding);
        t.w.textEdit7->setPlainText("one\ntwo");
        t.saveAs("two.txt");
        QCOMPARE(bytes(t.path("two.txt")), expected);
    }

    void encodingsKeepTheSymbols_data()
    {
        QTest::addColumn<int>("encoding");
        QTest::newRow("Locale") << 0;
        QTest::newRow("Unicode") << 1;
        QTest::newRow("UnicodeUTF8") << 2;
    }
    void encodingsKeepTheSymbols()
    {
        QFETCH(int, encoding);
        Tools t;
        t.w.comboBox_encoding->setCurrentIndex(encoding);
        t.w.textEdit7->setPlainText(kSymbols);
        t.saveAs("symbols.txt");
        t.w.textEdit7->setPlainText("что-то другое");
        t.open(t.path("symbols.txt"));
        QCOMPARE(t.text(), kSymbols);
        QCOMPARE(t.w.currentFile(), t.path("symbols.txt"));
        QCOMPARE(t.w.lastDirectory(), QDir(t.dir->path()).absolutePath());
    }

    void saveRefusals()
    {
        Tools t;
        t.ui->expect(SI::Warning, "Файл не сохранялся и не был открыт.\nВыберите "
                                  "\"Сохранить файл указав имя\"");
        t.run(VForm_tools::Save);

        t.w.textEdit7->clear();
        t.ui->expect(SI::Warning, "Окно просмотра пустое")
            .expect(SI::Warning, "Окно просмотра пустое");
        t.run(VForm_tools::Save);
        t.run(VForm_tools::SaveAs);

        // "Нет" leaves the file as it was; a cancelled name saves nothing.
        t.w.textEdit7->setPlainText("первый");
        t.saveAs("a.txt");
        const QByteArray first = bytes(t.path("a.txt"));
        t.w.textEdit7->setPlainText("второй");
        t.ui->answerYesNo(SI::No);
        t.run(VForm_tools::Save);
        QCOMPARE(bytes(t.path("a.txt")), first);
        t.ui->answerSaveFile(QString());
        t.run(VForm_tools::SaveAs);
        QCOMPARE(t.w.currentFile(), t.path("a.txt"));
        QCOMPARE(t.ui->lastLabel,
                 "Сохранить как|" + t.path("a.txt") + "|Файлы (*.xml *.txt);;Все(*.*)");
    }

    void saveAsAsksBeforeReplacingAnotherFile()
    {
        Tools t;
        QFile other(t.path("other.txt"));
        QVERIFY(other.open(QIODevice::WriteOnly));
        other.write("keep me");
        other.close();
        t.ui->answerSaveFile(t.path("other")).answerYesNo(SI::No, "other.txt уже существует");
        t.run(VForm_tools::SaveAs);
        QCOMPARE(bytes(t.path("other.txt")), QByteArray("keep me"));
        QVERIFY(t.w.currentFile().isEmpty());

        t.ui->answerSaveFile(t.path("other.txt")).answerYesNo(SI::Yes, "Заменить его?");
        t.run(VForm_tools::SaveAs);
        QCOMPARE(t.w.currentFile(), t.path("other.txt"));
        QVERIFY(bytes(t.path("other.txt")) != "keep me");
    }

    void failedSaveKeepsTheOldFile()
    {
        Tools t;
        t.w.textEdit7->setPlainText("old text");
        t.saveAs("kept.txt");
        const QByteArray old = bytes(t.path("kept.txt"));

        t.w.textEdit7->setPlainText(QString(20000, u'x'));
        t.ui->answerYesNo(SI::Yes).expect(SI::Warning,
                                          "Не удалось сохранить файл (" + t.path("kept.txt") + ")");
        {
            FileSizeLimit limit(4096);
            QVERIFY(limit.ok());
            t.run(VForm_tools::Save);
        }
        QCOMPARE(bytes(t.path("kept.txt")), old);
        QCOMPARE(QDir(t.dir->path()).entryList(QDir::Files), QStringList{"kept.txt"});
        QCOMPARE(t.text().size(), 20000);

        // Save as a new name fails the same way and keeps the old current file.
        t.ui->answerSaveFile(t.path("new.txt")).expect(SI::Warning, "new.txt)");
        {
            FileSizeLimit limit(4096);
            t.run(VForm_tools::SaveAs);
        }
        QCOMPARE(t.w.currentFile(), t.path("kept.txt"));
        QVERIFY(!QFile::exists(t.path("new.txt")));
    }

    void openingReportsWhatItCannotRead()
    {
        Tools t;
        const QString before = t.text();
        t.ui->answerOpenFiles({t.path("missing.txt")})
            .expect(SI::Warning, "Не удалось открыть файл (" + t.path("missing.txt") + ")");
        t.run(VForm_tools::Open);
        QCOMPARE(t.text(), before);
        QVERIFY(t.w.currentFile().isEmpty());
        QCOMPARE(t.ui->lastLabel, "Какой файл открыть||Файлы (*.xml *.txt);;Все(*.*)");

        // A last folder that has gone is forgotten.
        const QString gone = t.path("gone");
        QVERIFY(QDir().mkpath(gone));
        t.ui->answerOpenFiles({gone + "/x.txt"}).expect(SI::Warning);
        t.run(VForm_tools::Open);
        QCOMPARE(t.w.lastDirectory(), gone);
        QVERIFY(QDir(gone).removeRecursively());
        t.ui->answerOpenFiles({});
        t.run(VForm_tools::Open);
        QCOMPARE(t.ui->lastLabel, "Какой файл открыть||Файлы (*.xml *.txt);;Все(*.*)");
    }

    void clearAsks()
    {
        Tools t;
        t.ui->answerYesNo(SI::No, "<nobr>Удалить текст из редактора?</nobr>");
        t.run(VForm_tools::Clear);
        QVERIFY(!t.text().isEmpty());
        t.ui->answerYesNo(SI::Yes);
        t.run(VForm_tools::Clear);
        QVERIFY(t.text().isEmpty());
    }

    void incrementalSearch()
    {
        Tools t;
        t.w.textEdit7->setPlainText("ab xab\nAB");
        // Typing on extends the match where it stands.
        QTest::keyClicks(t.w.lineEdit9, "a");
        QCOMPARE(t.cursor().selectionStart(), 0);
        QTest::keyClicks(t.w.lineEdit9, "b");
        QCOMPARE(t.cursor().selectionStart(), 0);
        QCOMPARE(t.cursor().selectedText(), QString("ab"));
        // F3 goes on; case does not matter; at the end it asks to start over.
        t.findNext();
        QCOMPARE(t.cursor().selectionStart(), 4);
        t.findNext();
        QCOMPARE(t.cursor().selectedText(), QString("AB"));
        t.ui->answerYesNo(SI::Yes, "Продолжить поиск с начала?");
        t.findNext();
        QCOMPARE(t.cursor().selectionStart(), 0);
        QVERIFY(!t.searchFailed());
        // Backwards there is no question.
        t.w.toolButton_previos->click();
        QVERIFY(t.searchFailed());
        t.w.toolButton_next->click();
        QCOMPARE(t.cursor().selectionStart(), 4);
        t.w.toolButton_previos->click();
        QCOMPARE(t.cursor().selectionStart(), 0);

        // A text that does not begin with the found one starts from the top.
        t.findNext(); // at 4
        t.w.lineEdit9->setText("b");
        QCOMPARE(t.cursor().selectionStart(), 1);
        // Extending from 1: "bx" is not there, nor anywhere.
        QTest::keyClicks(t.w.lineEdit9, "x");
        QVERIFY(t.searchFailed());
        QVERIFY(!t.cursor().hasSelection());
        // Emptied: back to the top, normal colour.
        t.w.lineEdit9->clear();
        QVERIFY(!t.searchFailed());
        QCOMPARE(t.cursor().position(), 0);

        // An edit of the text forgets the match: the next search starts at
        // the top, and a match at the very top is found.
        t.w.lineEdit9->setText("AB");
        t.findNext();
        QCOMPARE(t.cursor().selectionStart(), 4);
        t.w.textEdit7->insertPlainText("ab ");
        t.findNext();
        QCOMPARE(t.cursor().selectionStart(), 0);
    }

    void searchWithoutAnyMatchAsksNothing()
    {
        Tools t;
        t.w.textEdit7->setPlainText("abc");
        t.w.lineEdit9->setText("zz");
        QVERIFY(t.searchFailed());
        t.findNext();
        QVERIFY(t.searchFailed());
    }

    void keyboardAndZoom()
    {
        Tools t;
        t.w.radioButton1->click();
        QVERIFY(!t.w.frame_keyboard->isHidden());
        t.w.textEdit7->setPlainText("[w d]");
        QTextCursor c = t.cursor();
        c.setPosition(2);
        c.setPosition(3, QTextCursor::KeepAnchor);
        t.w.textEdit7->setTextCursor(c);
        QTest::mouseClick(t.w.symbolKeys().at(10), Qt::LeftButton);
        QCOMPARE(t.text(), QString::fromUtf8("[wʧd]"));
        t.w.radioButton1->click();
        QVERIFY(t.w.frame_keyboard->isHidden());

        const int size = t.w.textEdit7->font().pointSize();
        t.w.toolButton_plus->click();
        QCOMPARE(t.w.textEdit7->font().pointSize(), size + 2);
        t.w.toolButton_minus->click();
        t.w.toolButton_minus->click();
        QCOMPARE(t.w.textEdit7->font().pointSize(), size - 2);
    }

    void conversion()
    {
        Tools t;
        QSignalSpy converted(&t.w, &VForm_tools::cardsConverted);
        t.w.textEdit7->setPlainText("cat = кот\nno card\ndog = собака");
        t.ui->answerDialog(acceptConversion("Тема ", 10))
            .expect(
                SI::Information,
                "<nobr>Добавлено 2 карточки</nobr><br><nobr>Не забудьте сохранить в файл</nobr>");
        t.run(VForm_tools::Convert);
        QCOMPARE(converted.size(), 1);
        const auto cards = converted.at(0).at(0).value<QList<Card>>();
        QCOMPARE(cards.size(), 2);
        QCOMPARE(cards.at(1).lesson, QString("Тема 1"));
        QCOMPARE(t.text(), QString("cat = кот\nno card\ndog = собака"));

        // Nothing convertible; a cancelled dialog; a run going.
        t.w.textEdit7->setPlainText("nothing here");
        t.ui->answerDialog(acceptConversion())
            .expect(SI::Warning, "Ни одной карточки не добавлено");
        t.run(VForm_tools::Convert);
        t.ui->answerDialog([](QDialog *) { return int(QDialog::Rejected); });
        t.run(VForm_tools::Convert);
        t.session.run.running = true;
        t.ui->expect(SI::Warning, "<nobr>Сначала завершите учебу</nobr>");
        t.run(VForm_tools::Convert);
        QCOMPARE(converted.size(), 1);
    }

    // A card the dictionary file could not give back is not made: here the
    // user's category list lacks "Прочие", so every card is named instead.
    void conversionRefusesCardsAFileWouldLose()
    {
        Tools t;
        t.session.dictionary.setCategoryList({QStringLiteral("Еда")});
        QSignalSpy converted(&t.w, &VForm_tools::cardsConverted);
        t.w.textEdit7->setPlainText("cat = кот\ndog = собака");
        t.ui->answerDialog(acceptConversion())
            .expect(SI::Warning, "Ни одной карточки не добавлено")
            .expect(SI::Warning, "Не добавлено карточек: 2");
        t.run(VForm_tools::Convert);
        QCOMPARE(converted.size(), 0);
        QVERIFY(t.ui->log().last().text.contains(QString::fromUtf8("«cat»")));
        QVERIFY(t.ui->log().last().text.contains(QString::fromUtf8("Прочие")));
    }

    void conversionDialog()
    {
        Tools t;
        ConversionOptions options;
        VFormConvertionSettings d(&t.w, options, *t.ui);
        QCOMPARE(d.lineEdit_lessonNamePattern->text(), QString("Урок_"));
        QCOMPARE(d.spinBox_CardsInLesson->value(), 30);
        d.spinBox_CardsInLesson->setValue(500);
        QCOMPARE(d.spinBox_CardsInLesson->value(), 200);
        d.spinBox_CardsInLesson->setValue(1);
        QCOMPARE(d.spinBox_CardsInLesson->value(), 10);

        // An empty pattern keeps the dialog open and the options unchanged.
        d.lineEdit_lessonNamePattern->setText("  ");
        t.ui->expect(SI::Warning, "шаблон");
        d.slot_accept_clicked();
        QCOMPARE(d.result(), int(QDialog::Rejected));
        QCOMPARE(options.lessonNamePattern, QString("Урок_"));

        d.lineEdit_lessonNamePattern->setText("L");
        d.radioButton_simpleParsing->click();
        d.slot_accept_clicked();
        QCOMPARE(d.result(), int(QDialog::Accepted));
        QCOMPARE(options.lessonNamePattern, QString("L"));
        QCOMPARE(options.cardsInLesson, 10);
        QVERIFY(options.simpleParsing);
    }

    void resetOfTheLearningState()
    {
        Tools t;
        QSignalSpy changed(&t.w, &VForm_tools::dictionaryStateChanged);
        t.ui->expect(SI::Warning, "<nobr>Словарь пуст</nobr>");
        t.run(VForm_tools::ResetState);

        Dictionary &dict = t.session.dictionary;
        Card raisedEr = makeCard("a");
        raisedEr.pER = 4;
        raisedEr.rER = 2;
        raisedEr.aER = 3;
        Card raisedRe = makeCard("b");
        raisedRe.nPRE = 2;
        raisedRe.pRE = 5;
        raisedRe.aRE = 1;
        Card plain = makeCard("c");
        plain.rRE = 1;
        dict.addNewCards({raisedEr, raisedRe, plain});
        dict.setModified(false);

        t.ui->answerYesNo(SI::No, "Приоритеты второго уровня всех карточек");
        t.run(VForm_tools::ResetState);
        QCOMPARE(dict.cardAt(0).pER, 4);
        QVERIFY(!dict.isModified());

        t.ui->answerYesNo(SI::Yes).expect(SI::Information, "<nobr>У 2 карточек снижен приоритет");
        t.run(VForm_tools::ResetState);
        QVERIFY(dict.isModified());
        QCOMPARE(changed.size(), 1);
        for (const Card &c : dict.cards()) {
            QCOMPARE(c.pER, c.nPER);
            QCOMPARE(c.pRE, c.nPRE);
            QCOMPARE(c.rER + c.aER + c.rRE + c.aRE, 0);
        }
        QCOMPARE(dict.cardAt(1).pRE, 2);

        t.session.run.running = true;
        t.ui->expect(SI::Warning, "<nobr>Сначала завершите учебу</nobr>");
        t.run(VForm_tools::ResetState);
    }

    // The whole road: the tools button of the dictionary tab, a short list
    // converted, its cards in the table.
    void convertFromTheRealWindow()
    {
        auto dir = makeWorkingDir();
        writeMinimalSettings(dir->path());
        FrameColors colors;
        auto *ui = new SI;
        TestWindow w(dir->path(), &colors, ui);
        StringSet categories = w.session().dictionary.categoryList();
        categories.insert(QStringLiteral("Прочие"));
        w.session().dictionary.setCategoryList(categories);
        w.tabWidget2->setCurrentIndex(1);
        DictionaryPage *page = w.dictionaryPage();

        page->toolButton_tools->click();
        auto *tools = page->findChild<VForm_tools *>();
        QVERIFY(tools);
        QVERIFY(tools->isVisible());
        QCOMPARE(tools->palette().color(QPalette::Window), w.session().appearance.backgroundColor);
        page->toolButton_tools->click();
        QCOMPARE(page->findChildren<VForm_tools *>().size(), 1);

        tools->textEdit7->setPlainText("cat = кот\ndog [dɒg] = [N] собака, пёс\n");
        tools->comboBox_selectWork->setCurrentIndex(VForm_tools::Convert);
        ui->answerDialog(acceptConversion()).expect(SI::Information, "Добавлено 2 карточки");
        tools->pushButton_apply->click();

        QCOMPARE(page->cardRowCount(), 2);
        QStringList foreign;
        DictionaryTableModel *model = page->tableModel();
        for (int row = 0; row < model->rowCount(); ++row)
            if (!model->rows().at(row).isHeader())
                foreign << model->index(row, DictionaryTableModel::ForeignColumn).data().toString();
        QCOMPARE(foreign, QStringList({"cat\t", "dog\t[dɒg]"}));
        QVERIFY(w.session().dictionary.isModified());
        QVERIFY(w.session().dictionary.lessons().count("Урок_1"));

        tools->close();
        QVERIFY(!tools->isVisible());
    }
};

QTEST_MAIN(TestToolsWindow)
#include "test_tools_window.moc"
