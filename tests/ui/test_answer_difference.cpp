#include "app/main_window.h"
#include "core/run/answer_check.h"
#include "core/run/answer_diff.h"
#include "scripted_interaction.h"
#include "test_cards.h"
#include "test_window.h"
#include "ui/dictionary/dictionary_page.h"
#include "ui/run/learning_page.h"
#include "ui/run/settings_begin_work_dialog.h"
#include "ui/settings/answer_options_box.h"
#include "ui/settings/settings_page.h"

#include <QCheckBox>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>

#include <memory>

// The explanation of a typed answer in the answer pane, and the typo option
// of the settings page; what the explanation says is the core's concern.

namespace
{

class SilentPlayer : public SoundPlayer
{
public:
    bool isAvailable() const override { return false; }
    void play(const QString &) override {}
};

// One line of a pane as the reader sees it without colour: a wavy underline
// {wrong}, bold underlined [missing], struck out <extra>.
QString marksOf(const QTextBlock &block)
{
    QString out;
    for (auto it = block.begin(); !it.atEnd(); ++it) {
        const QTextFragment f = it.fragment();
        const QTextCharFormat c = f.charFormat();
        if (c.fontStrikeOut())
            out += '<' + f.text() + '>';
        else if (c.underlineStyle() == QTextCharFormat::WaveUnderline)
            out += '{' + f.text() + '}';
        else if (c.fontUnderline() && c.fontWeight() == QFont::Bold)
            out += '[' + f.text() + ']';
        else
            out += f.text();
    }
    return out;
}

} // namespace

class TestAnswerDifference : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    FrameColors m_colors;
    ScriptedInteraction *m_ui = nullptr;
    const QColor white{255, 255, 255};

    // Ten checked cards, "apple" first in the table and in the run.
    std::unique_ptr<TestWindow> makeWindow()
    {
        m_dir = makeWorkingDir();
        writeMinimalSettings(m_dir->path());
        m_colors = FrameColors();
        m_ui = new ScriptedInteraction;
        auto w = std::make_unique<TestWindow>(m_dir->path(), &m_colors, m_ui);
        w->session().setSoundPlayer(new SilentPlayer);
        w->session().run.setRandomSource([] { return 0; });
        const QStringList foreign = {"apple", "bee",  "cat", "dog",  "eel",
                                     "fox",   "goat", "hen", "ibis", "jay"};
        for (const QString &word : foreign) {
            Card c = makeCard(word, {QStringLiteral("слово")}, "L1", "/d/a.xml");
            c.foreignWords[0].autoCheck = true;
            w->session().dictionary.addOpenFile("/d/a.xml");
            w->session().dictionary.addLesson("L1");
            w->session().dictionary.addCard(c);
        }
        w->dictionaryPage()->slot_refresh();
        return w;
    }

    // A repetition run from Russian with autocheck, as the dialog proposes.
    void start(TestWindow &w)
    {
        m_ui->answerDialog([](QDialog *d) {
            auto *dialog = qobject_cast<VSettingsBeginWork *>(d);
            if (!dialog)
                return int(QDialog::Rejected);
            dialog->slot_accept();
            return dialog->result();
        });
        w.learningPage()->slot_start();
        QVERIFY(w.session().run.running);
        QVERIFY(w.session().work.use_autocheck);
    }

    static void answer(TestWindow &w, const QString &typed)
    {
        w.learningPage()->textEdit3_type->setPlainText(typed);
        w.learningPage()->slot_continue();
    }

    static QTextDocument *answerPane(TestWindow &w)
    {
        return w.learningPage()->textEdit2_answer->document();
    }

    static Card apple(TestWindow &w) { return w.session().dictionary.cardAt(0); }

private slots:
    void cleanup() { m_ui = nullptr; }

    void markedUnderTheAnswerOptionOff()
    {
        auto w = makeWindow();
        start(*w);
        w->learningPage()->slot_continue();
        answer(*w, "aple");
        QCOMPARE(w->learningPage()->textEdit2_answer->toPlainText(),
                 QStringLiteral("apple\t[apple]\napple\nОпечатка: пропущена буква"));
        QCOMPARE(marksOf(answerPane(*w)->findBlockByNumber(1)), QStringLiteral("ap[p]le"));
        // Judged as ever: a mistake, the frame not green, the priority up.
        QVERIFY(w->session().run.mistakeMade);
        QCOMPARE(m_colors.inner, white);
        w->learningPage()->slot_continue();
        QCOMPARE(apple(*w).pRE, 2);
        QCOMPARE(apple(*w).rRE, 0);

        // Right as typed: green, and nothing to explain.
        answer(*w, "apple");
        QCOMPARE(m_colors.inner, acceptedColor());
        QCOMPARE(w->learningPage()->textEdit2_answer->toPlainText(),
                 QStringLiteral("apple\t[apple]\n"));
        m_ui->verifyAllUsed();
    }

    void typoCountsWhenTheLearnerAsks()
    {
        auto w = makeWindow();
        auto *box = w->findChild<AnswerOptionsBox *>(QStringLiteral("groupBox_answerCheck"));
        QVERIFY(box);
        QCOMPARE(box->title(), QStringLiteral("Проверка ответа"));
        QCheckBox *check = box->acceptTyposBox();
        QCOMPARE(check->text(), QStringLiteral("Считать опечатку в одну букву верным ответом"));
        QVERIFY(!check->accessibleName().isEmpty());
        QVERIFY(!check->isChecked());
        // One more group on the settings page; the window still fits 1024x768.
        const QSize least = w->minimumSizeHint();
        QVERIFY2(least.width() <= 1024 && least.height() <= 768,
                 qPrintable(QStringLiteral("%1x%2").arg(least.width()).arg(least.height())));
        check->setChecked(true);
        QVERIFY(!w->session().answerOptions.acceptOneLetterTypos);
        w->settingsPage()->slot_ApplySettings();
        QVERIFY(w->session().answerOptions.acceptOneLetterTypos);
        QSettings stored(m_dir->filePath(QStringLiteral("user/options.ini")), QSettings::IniFormat);
        AnswerOptions read;
        read.read(stored);
        QVERIFY(read.acceptOneLetterTypos);

        start(*w);
        w->learningPage()->slot_continue();
        answer(*w, "aple");
        QVERIFY(!w->session().run.mistakeMade);
        QCOMPARE(m_colors.inner, typoAcceptedColor());
        QCOMPARE(marksOf(answerPane(*w)->findBlockByNumber(1)), QStringLiteral("ap[p]le"));
        QCOMPARE(answerPane(*w)->lastBlock().text(),
                 QStringLiteral("Опечатка: пропущена буква (засчитано)"));
        w->learningPage()->slot_continue();
        QCOMPARE(apple(*w).pRE, 1);
        QCOMPARE(apple(*w).rRE, 1);

        m_ui->verifyAllUsed();
    }
};

QTEST_MAIN(TestAnswerDifference)
#include "test_answer_difference.moc"
