#include "app/main_window.h"
#include "core/run/answer_check.h"
#include "core/run/run_clock.h"
#include "core/run/run_session.h"
#include "core/settings/ini_reader.h"
#include "scripted_interaction.h"
#include "test_cards.h"
#include "test_window.h"
#include "ui/common/button_icons.h"
#include "ui/dictionary/dictionary_page.h"
#include "ui/run/learning_page.h"
#include "ui/run/settings_begin_work_dialog.h"

#include <QDir>
#include <QEnterEvent>
#include <QMenu>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <memory>

// Plays nothing; runs must not depend on a sound device.
class SilentPlayer : public SoundPlayer
{
public:
    bool isAvailable() const override { return false; }
    void play(const QString &) override {}
};

using DialogSetup = std::function<void(VSettingsBeginWork *)>;

class TestRunFlow : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    FrameColors m_colors;
    ScriptedInteraction *m_ui = nullptr;

    const QColor white{255, 255, 255};

    // settings.ini: the category list plus `extra` lines (Windows-1251).
    void writeSettings(const QByteArray &extra)
    {
        writeMinimalSettings(m_dir->path());
        QFile f(m_dir->filePath("settings.ini"));
        QVERIFY(f.open(QIODevice::Append));
        f.write(extra);
    }

    std::unique_ptr<Vmain_form> makeWindow(const QByteArray &settings = QByteArray())
    {
        if (!QFile::exists(m_dir->filePath("settings.ini")))
            writeSettings(settings);
        m_colors = FrameColors();
        m_ui = new ScriptedInteraction;
        auto w = std::make_unique<TestWindow>(m_dir->path(), &m_colors, m_ui);
        w->session().setSoundPlayer(new SilentPlayer);
        // Always the first due card: the order of a run is the table's order.
        w->session().run.setRandomSource([] { return 0; });
        return w;
    }

    // Ten cards ant..jay of lesson L1, each with a checked foreign form.
    static void fillTen(Vmain_form &w)
    {
        const QStringList foreign = {"ant", "bee",  "cat", "dog",  "eel",
                                     "fox", "goat", "hen", "ibis", "jay"};
        const QStringList russian = {"муравей", "пчела", "кошка",  "собака", "угорь",
                                     "лиса",    "коза",  "курица", "ибис",   "сойка"};
        for (int i = 0; i < foreign.size(); ++i)
            addCard(w, foreign[i], russian[i]);
        w.dictionaryPage()->slot_refresh();
    }

    static int addCard(Vmain_form &w, const QString &foreign, const QString &russian,
                       const QString &lesson = QStringLiteral("L1"), bool autoCheck = true,
                       bool active = true)
    {
        Card c = makeCard(foreign, {russian}, lesson, "/d/a.xml");
        c.foreignWords[0].autoCheck = autoCheck;
        c.nAr = active;
        w.session().dictionary.addOpenFile("/d/a.xml");
        return w.session().dictionary.addCard(c);
    }

    static Card card(Vmain_form &w, const QString &foreign)
    {
        for (const Card &c : w.session().dictionary.cards())
            if (c.foreignWords.value(0).word == foreign)
                return *w.session().dictionary.cardById(c.id);
        qFatal("no card %s", qPrintable(foreign));
    }

    // Answers the start dialog: `setup` changes its widgets, then "Начать".
    void answerStartDialog(const DialogSetup &setup = DialogSetup())
    {
        m_ui->answerDialog([setup](QDialog *d) {
            auto *dialog = qobject_cast<VSettingsBeginWork *>(d);
            if (!dialog)
                return int(QDialog::Rejected);
            if (setup)
                setup(dialog);
            dialog->slot_accept();
            return dialog->result();
        });
    }

    void start(Vmain_form &w, const DialogSetup &setup = DialogSetup())
    {
        answerStartDialog(setup);
        w.learningPage()->slot_start();
    }

    static DialogSetup learning(const QString &lesson)
    {
        return [lesson](VSettingsBeginWork *d) {
            d->radioButton2_lerning->setChecked(true);
            d->slot_lerning();
            d->comboBox1_lesson->setCurrentText(lesson);
        };
    }

    static DialogSetup foreignToRussian(const DialogSetup &more = DialogSetup())
    {
        return [more](VSettingsBeginWork *d) {
            if (more)
                more(d);
            d->radioButton3->setChecked(true);
            d->slot_EN_RU();
        };
    }

    static DialogSetup timed(int speedValue)
    {
        return [speedValue](VSettingsBeginWork *d) {
            d->checkBox3_by_tyme->setChecked(true);
            d->spinBox1->setValue(speedValue);
        };
    }

    static QString status(Vmain_form &w) { return w.statusBar()->currentMessage(); }
    static QString icon(const QAbstractButton *b) { return iconFileOf(b); }
    static QString question(Vmain_form &w)
    {
        return w.learningPage()->textEdit1_question->toPlainText();
    }
    static QString answer(Vmain_form &w)
    {
        return w.learningPage()->textEdit2_answer->toPlainText();
    }

    // One of the run's timers on the window's stepped clock.
    struct Timer {
        SteppedRunClock &clock;
        RunTimer which;
        bool isActive() const { return clock.isActive(which); }
        bool isSingleShot() const { return RunClock::isSingleShot(which); }
        int interval() const { return clock.interval(which); }
        // One timeout, as the event loop would deliver it; none while stopped.
        void fire() { clock.fire(which); }
    };
    static Timer timer(Vmain_form &w, RunTimer which) { return {steppedClock(w), which}; }

private slots:
    void init() { m_dir = makeWorkingDir(); }

    void cleanup()
    {
        m_ui = nullptr; // checked by its destructor, with the window
    }

    // ------------------------------------------------------------ the dialog

    void dialogDefaultsWhenSettingsAreNotConsistent()
    {
        WorkSettings s;
        s.training = false;
        s.lesson = "L2";
        s.use_autocheck = true; // a learning run cannot check answers
        s.en_ru = true;
        s.speed = 30;
        const WorkSettings before = s;
        QVERIFY(!s.isConsistent());
        VSettingsBeginWork d(nullptr, {"L2", "A", "b"}, &s, s.isConsistent());
        QCOMPARE(d.objectName(), QStringLiteral("SETTINGS_BEGIN_WORK"));
        QCOMPARE(d.windowTitle(), QStringLiteral("Начало работы"));
        QVERIFY(d.radioButton1_training->isChecked());
        QVERIFY(!d.radioButton2_lerning->isChecked());
        QVERIFY(d.radioButton4->isChecked());
        QVERIFY(!d.radioButton3->isChecked());
        QVERIFY(d.checkBox3->isChecked());
        QVERIFY(d.checkBox3->isEnabled());
        QVERIFY(!d.checkBox5->isChecked());
        QVERIFY(!d.checkBox3_by_tyme->isChecked());
        QVERIFY(!d.checkBox_useArchive->isChecked());
        QVERIFY(d.comboBox1_lesson->isHidden());
        QVERIFY(d.textLabel1->isHidden());
        QVERIFY(d.spinBox1->isHidden());
        QVERIFY(d.textLabel1_2->isHidden());
        QCOMPARE(d.spinBox1->value(), 10);
        QCOMPARE(d.spinBox1->minimum(), 1);
        QCOMPARE(d.spinBox1->maximum(), 15);
        // Lessons in their sorted order.
        QStringList items;
        for (int i = 0; i < d.comboBox1_lesson->count(); ++i)
            items << d.comboBox1_lesson->itemText(i);
        QCOMPARE(items, (QStringList{"A", "L2", "b"}));
        QCOMPARE(d.buttonOk->text(), QStringLiteral("Начать"));
        QCOMPARE(d.buttonCancel->text(), QStringLiteral("Отмена"));
        QCOMPARE(d.checkBox_useArchive->text(), QStringLiteral("Включая архивные"));
        QCOMPARE(d.textLabel1_2->text(), QStringLiteral("Скорость (10- норма)"));
        d.slot_cancel();
        QCOMPARE(d.result(), int(QDialog::Rejected));
        QCOMPARE(s, before);
    }

    void dialogShowsConsistentSettings()
    {
        WorkSettings s;
        s.training = true;
        s.use_filter = true;
        s.by_time = true;
        s.speed = 30;
        s.use_autocheck = false;
        s.use_archive = true;
        VSettingsBeginWork d(nullptr, {"L1"}, &s, s.isConsistent());
        QVERIFY(d.checkBox5->isChecked());
        QVERIFY(d.checkBox3_by_tyme->isChecked());
        QVERIFY(!d.spinBox1->isHidden());
        QVERIFY(!d.textLabel1_2->isHidden());
        QCOMPARE(d.spinBox1->value(), 10);
        QVERIFY(d.checkBox_useArchive->isChecked());
        // The repetition mode checks autocheck again as it sets enabled states.
        QVERIFY(d.checkBox3->isChecked());

        WorkSettings l;
        l.training = false;
        l.lesson = "L2";
        l.use_autocheck = false;
        l.en_ru = true;
        VSettingsBeginWork dl(nullptr, {"L1", "L2", "L3"}, &l, l.isConsistent());
        QVERIFY(dl.radioButton2_lerning->isChecked());
        QVERIFY(dl.radioButton3->isChecked());
        QCOMPARE(dl.comboBox1_lesson->currentText(), QStringLiteral("L2"));
        QVERIFY(!dl.comboBox1_lesson->isHidden());
        QVERIFY(!dl.textLabel1->isHidden());
        for (QCheckBox *b :
             {dl.checkBox3_by_tyme, dl.checkBox5, dl.checkBox3, dl.checkBox_useArchive}) {
            QVERIFY2(!b->isEnabled(), qPrintable(b->objectName()));
            QVERIFY2(!b->isChecked(), qPrintable(b->objectName()));
        }
    }

    void dialogSpeedFromStored_data()
    {
        QTest::addColumn<int>("stored");
        QTest::addColumn<int>("shown");
        QTest::newRow("30 is normal") << 30 << 10;
        QTest::newRow("default 50") << 50 << 6;
        QTest::newRow("5 fastest") << 5 << 15;
        QTest::newRow("75 slowest") << 75 << 1;
        QTest::newRow("80 gives 0") << 80 << 6;
        QTest::newRow("above 15") << -10 << 6;
    }

    void dialogSpeedFromStored()
    {
        QFETCH(int, stored);
        QFETCH(int, shown);
        WorkSettings s;
        s.by_time = true;
        s.speed = stored;
        VSettingsBeginWork d(nullptr, {}, &s, true);
        QCOMPARE(d.spinBox1->value(), shown);
    }

    void dialogSpeedToStored_data()
    {
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("stored");
        QTest::newRow("1") << 1 << 75;
        QTest::newRow("10") << 10 << 30;
        QTest::newRow("15") << 15 << 5;
        QTest::newRow("16 cannot be entered") << 16 << 5;
    }

    void dialogSpeedToStored()
    {
        QFETCH(int, value);
        QFETCH(int, stored);
        WorkSettings s;
        VSettingsBeginWork d(nullptr, {}, &s, true);
        d.spinBox1->setValue(value);
        d.slot_accept();
        QCOMPARE(d.result(), int(QDialog::Accepted));
        QCOMPARE(s.speed, stored);
    }

    void dialogDirectionControlsAutocheck()
    {
        WorkSettings s;
        VSettingsBeginWork d(nullptr, {"L1"}, &s, true);
        d.radioButton3->setChecked(true);
        d.slot_EN_RU();
        QVERIFY(!d.checkBox3->isChecked());
        QVERIFY(!d.checkBox3->isEnabled());
        d.radioButton4->setChecked(true);
        d.slot_RU_EN();
        QVERIFY(d.checkBox3->isChecked());
        QVERIFY(d.checkBox3->isEnabled());

        // In a learning run the way back does not bring autocheck back.
        d.radioButton2_lerning->setChecked(true);
        d.slot_lerning();
        d.radioButton3->setChecked(true);
        d.slot_EN_RU();
        d.radioButton4->setChecked(true);
        d.slot_RU_EN();
        QVERIFY(!d.checkBox3->isChecked());
        QVERIFY(!d.checkBox3->isEnabled());

        // Back to repetition: every option is offered again.
        d.radioButton1_training->setChecked(true);
        d.slot_training();
        QVERIFY(d.comboBox1_lesson->isHidden());
        QVERIFY(d.checkBox3->isChecked());
        for (QCheckBox *b : {d.checkBox3_by_tyme, d.checkBox5, d.checkBox3, d.checkBox_useArchive})
            QVERIFY2(b->isEnabled(), qPrintable(b->objectName()));

        d.slot_by_time(2);
        QVERIFY(!d.spinBox1->isHidden());
        d.slot_by_time(0);
        QVERIFY(d.spinBox1->isHidden());
        // Ticking the box itself does the same.
        d.checkBox3_by_tyme->setChecked(true);
        QVERIFY(!d.textLabel1_2->isHidden());
    }

    void dialogAcceptWritesSettings()
    {
        WorkSettings s;
        s.speed = 45;
        {
            VSettingsBeginWork d(nullptr, {"L1", "L2"}, &s, true);
            d.checkBox5->setChecked(true);
            d.checkBox_useArchive->setChecked(true);
            d.radioButton3->setChecked(true);
            d.slot_EN_RU();
            d.checkBox3->setChecked(true); // cannot outlive foreign to Russian
            d.slot_accept();
            QCOMPARE(d.result(), int(QDialog::Accepted));
        }
        QVERIFY(s.training);
        QVERIFY(s.use_filter);
        QVERIFY(s.use_archive);
        QVERIFY(s.en_ru);
        QVERIFY(!s.use_autocheck);
        QVERIFY(!s.by_time);
        QCOMPARE(s.speed, 45); // shown as 7, which gives 45 back
        QVERIFY(s.lesson.isEmpty());

        s.speed = 45;
        {
            VSettingsBeginWork d(nullptr, {"L1", "L2"}, &s, true);
            learning("L2")(&d);
            d.slot_accept();
            QCOMPARE(d.result(), int(QDialog::Accepted));
        }
        QVERIFY(!s.training);
        QVERIFY(!s.use_filter);
        QVERIFY(!s.use_archive);
        QVERIFY(!s.by_time);
        QVERIFY(!s.use_autocheck);
        QVERIFY(s.en_ru); // kept from the last run
        QCOMPARE(s.lesson, QStringLiteral("L2"));
        QCOMPARE(s.speed, 45); // a learning run leaves the speed alone
        QVERIFY(s.isConsistent());
    }

    // ------------------------------------------------------------ start checks

    void startDoesNothingOffTheLearningTabOrWithoutCards()
    {
        auto w = makeWindow();
        w->learningPage()->slot_start(); // empty dictionary: no dialog
        fillTen(*w);
        w->tabWidget2->setCurrentIndex(1);
        w->learningPage()->slot_start(); // not the learning tab: no dialog
        w->tabWidget2->setCurrentIndex(2);
        w->learningPage()->slot_start();
        QVERIFY(!w->session().run.running);
        QCOMPARE(icon(w->toolButton11_start), QStringLiteral("Turn_on_disabled.png"));
        w->tabWidget2->setCurrentIndex(0);
        QCOMPARE(icon(w->toolButton11_start), QStringLiteral("Turn_on.png"));
        m_ui->answerDialog([](QDialog *d) {
            d->reject();
            return int(QDialog::Rejected);
        });
        w->learningPage()->slot_start();
        QVERIFY(!w->session().run.running);
        QCOMPARE(m_ui->texts(ScriptedInteraction::Dialog), QStringList{"SETTINGS_BEGIN_WORK"});
    }

    void missingLessonWarnsAndSavesNoSettings()
    {
        {
            auto w = makeWindow();
            fillTen(*w);
            w->session().dictionary.addLesson("L9"); // a lesson whose cards are gone
            answerStartDialog(learning("L9"));
            m_ui->expect(ScriptedInteraction::Warning, QStringLiteral("В словаре нет урока L9"));
            w->learningPage()->slot_start();
            QVERIFY(!w->session().run.running);
            QCOMPARE(m_ui->texts(ScriptedInteraction::Warning),
                     QStringList{"В словаре нет урока L9"});
            QCOMPARE(w->session().work.lesson, QStringLiteral("L9"));
            w->close();
        }
        iniReader ini;
        QVERIFY(ini.load(m_dir->filePath("settings.ini")));
        QCOMPARE(ini.readEntry("WORK_SETTINGS:training", "--"), QStringLiteral("--"));
    }

    void archivedLessonWarnsButSavesSettings()
    {
        {
            auto w = makeWindow();
            fillTen(*w);
            addCard(*w, "old", "старый", "L3", true, false);
            w->dictionaryPage()->slot_refresh();
            answerStartDialog(learning("L3"));
            m_ui->expect(ScriptedInteraction::Warning);
            w->learningPage()->slot_start();
            QVERIFY(!w->session().run.running);
            QCOMPARE(m_ui->texts(ScriptedInteraction::Warning),
                     QStringList{"<nobr>Все слова выбранного урока архивные</nobr><br>"
                                 "<nobr>Выберите другой урок для изучения</nobr>"});
            w->close();
        }
        iniReader ini;
        QVERIFY(ini.load(m_dir->filePath("settings.ini")));
        QCOMPARE(ini.readEntry("WORK_SETTINGS:training"), QStringLiteral("false"));
        QCOMPARE(ini.readEntry("WORK_SETTINGS:lesson"), QStringLiteral("L3"));
    }

    void noCardToStart()
    {
        auto w = makeWindow();
        addCard(*w, "old", "старый", "L1", true, false);
        w->dictionaryPage()->slot_refresh();
        answerStartDialog();
        m_ui->expect(ScriptedInteraction::Warning,
                     QStringLiteral("<nobr>Нет ни одной карточки для начала работы</nobr><br>"
                                    "<nobr>Используйте менее строгий фильтр или проверьте "
                                    "наличие карточек в выбранном уроке</nobr>"));
        w->learningPage()->slot_start();
        QVERIFY(!w->session().run.running);
    }

    void fewCardsAsk_data()
    {
        QTest::addColumn<int>("cards");
        QTest::addColumn<bool>("asks");
        QTest::addColumn<int>("reply");
        QTest::newRow("1, yes") << 1 << true << int(Interaction::Yes);
        QTest::newRow("9, no") << 9 << true << int(Interaction::No);
        QTest::newRow("10 do not ask") << 10 << false << 0;
    }

    void fewCardsAsk()
    {
        QFETCH(int, cards);
        QFETCH(bool, asks);
        QFETCH(int, reply);
        auto w = makeWindow();
        for (int i = 0; i < cards; ++i) {
            const int id = addCard(*w, QStringLiteral("w%1").arg(i, 2, 10, QLatin1Char('0')), "с");
            // Cards that already finished their cycle count too.
            w->session().dictionary.updateCard(id, [](Card &c) { c.rRE = 1; });
        }
        w->session().dictionary.setModified(false); // as read from a file
        w->dictionaryPage()->slot_refresh();
        answerStartDialog();
        if (asks)
            m_ui->answerYesNo(
                reply,
                QStringLiteral("<nobr>Для работы имеется менее 10 карточек</nobr><br>Начать?"));
        w->learningPage()->slot_start();
        QCOMPARE(w->session().run.running, !asks || reply == Interaction::Yes);
        QCOMPARE(w->session().dictionary.isModified(), w->session().run.running);
    }

    void filterQuestion_data()
    {
        QTest::addColumn<int>("reply");
        QTest::newRow("reset") << int(Interaction::Yes);
        QTest::newRow("keep") << int(Interaction::No);
    }

    void filterQuestion()
    {
        QFETCH(int, reply);
        auto w = makeWindow();
        fillTen(*w);
        w->session().filter.filterLessons.insert("L1");
        w->dictionaryPage()->slot_refresh();
        QVERIFY(w->session().filter.isActive());
        answerStartDialog();
        m_ui->answerYesNo(reply,
                          QStringLiteral("Выбран режим работы без фильтра, но фильтр установлен\n"
                                         "Переход к карточке в словаре будет доступен только для "
                                         "карточек, соответствующих фильтру\n\nСбросить фильтр?"));
        w->learningPage()->slot_start();
        QVERIFY(w->session().run.running);
        QCOMPARE(w->session().filter.isActive(), reply == Interaction::No);
        QCOMPARE(icon(w->toolButton6_filter), reply == Interaction::No
                                                  ? QStringLiteral("Filter_on_disabled.png")
                                                  : QStringLiteral("Filter_off_disabled.png"));

        // A filtered run is not asked.
        m_ui->answerYesNo(Interaction::Yes, QStringLiteral("Завершить повторение слов?"));
        w->learningPage()->slot_start();
        w->session().filter.filterLessons.insert("L1");
        answerStartDialog([](VSettingsBeginWork *d) { d->checkBox5->setChecked(true); });
        w->learningPage()->slot_start();
        QVERIFY(w->session().run.running);
    }

    // ------------------------------------------------------------ run flow

    void repetitionWithAutocheck()
    {
        auto w = makeWindow();
        fillTen(*w);
        QVERIFY(!w->learningPage()->textEdit3_type->isEnabled());
        start(*w);
        QVERIFY(w->session().run.running);
        QVERIFY(w->session().dictionary.isModified());
        QVERIFY(w->learningPage()->textEdit3_type->isEnabled());
        QVERIFY(w->learningPage()->progressBar1->isHidden());
        QVERIFY(w->learningPage()->toolButton_pause_start->isHidden());
        QVERIFY(w->learningPage()->frame4_lerning->isHidden());
        QCOMPARE(icon(w->toolButton11_start), QStringLiteral("Turn_off.png"));
        QCOMPARE(icon(w->learningPage()->toolButton_findInDict),
                 QStringLiteral("Go_to_dict_disabled.png"));
        QCOMPARE(icon(w->learningPage()->pushButton_Mistake), QStringLiteral("IForgot.png"));
        QCOMPARE(icon(w->toolButton1_openFiles), QStringLiteral("Open_files_disabled.png"));
        QCOMPARE(status(*w), QStringLiteral("Повторение слов, с русского на иностранный. Повторено "
                                            "слов: 0. (Автопроверка включена) Приоритет: "));

        w->learningPage()->slot_continue();
        QCOMPARE(question(*w), QStringLiteral("муравей\n"));
        QVERIFY(answer(*w).isEmpty());
        QCOMPARE(icon(w->learningPage()->toolButton_findInDict), QStringLiteral("Go_to_dict.png"));
        QCOMPARE(icon(w->learningPage()->pushButton_previous),
                 QStringLiteral("Previous_word_disabled.png"));
        QCOMPARE(status(*w), QStringLiteral("Повторение слов, с русского на иностранный. Повторено "
                                            "слов: 1. (Автопроверка включена) Приоритет: 1/1"));
        QCOMPARE(m_colors.inner, white);

        // Right answer, any case, extra words do not matter.
        w->learningPage()->textEdit3_type->setPlainText("the ANT");
        w->learningPage()->slot_continue();
        QCOMPARE(answer(*w), QStringLiteral("ant\t[ant]\n"));
        QCOMPARE(m_colors.inner, acceptedColor());
        QVERIFY(!w->session().run.mistakeMade);

        w->learningPage()->slot_continue();
        QCOMPARE(question(*w), QStringLiteral("пчела\n"));
        QVERIFY(w->learningPage()->textEdit3_type->toPlainText().isEmpty());
        QCOMPARE(m_colors.inner, white);
        QCOMPARE(card(*w, "ant").rRE, 1);
        QCOMPARE(card(*w, "ant").pRE, 1);
        QCOMPARE(icon(w->learningPage()->pushButton_previous), QStringLiteral("Previous_word.png"));

        // Wrong answer: counted as forgotten, the priority goes up.
        w->learningPage()->textEdit3_type->setPlainText("bees");
        w->learningPage()->slot_continue();
        QVERIFY(w->session().run.mistakeMade);
        // Explained under the answer.
        QCOMPARE(answer(*w), QStringLiteral("bee\t[bee]\nbees\nОпечатка: лишняя буква"));
        w->learningPage()->slot_continue();
        const Card &bee = card(*w, "bee");
        QCOMPARE(bee.pRE, 2);
        QCOMPARE(bee.rRE, 0);
        QCOMPARE(bee.nPRE, 1);
        // The ER side is untouched by a Russian-to-foreign run.
        QCOMPARE(bee.pER, 1);
        QCOMPARE(bee.rER, 0);
        QCOMPARE(question(*w), QStringLiteral("пчела\n")); // still due, first again
        QCOMPARE(status(*w).right(14), QStringLiteral("Приоритет: 1/2"));

        // An empty answer on a checkable card is wrong too.
        w->learningPage()->slot_continue();
        QVERIFY(w->session().run.mistakeMade);
    }

    void foreignToRussianNeverChecks()
    {
        auto w = makeWindow();
        fillTen(*w);
        start(*w, foreignToRussian());
        QVERIFY(!w->session().work.use_autocheck);
        w->learningPage()->slot_continue();
        QCOMPARE(question(*w), QStringLiteral("ant\t[ant]\n"));
        QCOMPARE(status(*w), QStringLiteral("Повторение слов, с иностранного на русский. Повторено "
                                            "слов: 1. Приоритет: 1/1"));
        w->learningPage()->textEdit3_type->setPlainText("nonsense");
        w->learningPage()->slot_continue();
        QCOMPARE(answer(*w), QStringLiteral("муравей\n"));
        QVERIFY(!w->session().run.mistakeMade);
        QCOMPARE(m_colors.inner, white);
        w->learningPage()->slot_continue();
        QCOMPARE(card(*w, "ant").rER, 1);
        QCOMPARE(card(*w, "ant").rRE, 0);
        QCOMPARE(w->session().run.shownER, 2);
        QCOMPARE(w->session().run.shownRE, 0);
    }

    void speechPartsShownBySettings()
    {
        auto w = makeWindow("[ANOTHER_SETTINGS]\nshow_speech_parts=true\nshow_parts_nums=true\n");
        fillTen(*w);
        start(*w);
        w->learningPage()->slot_continue();
        const TranslationDisplay display{true, true};
        const QString expected = runQuestionText(card(*w, "ant"), false, display).text;
        QVERIFY2(expected.contains("[N]"), qPrintable(expected));
        QCOMPARE(question(*w), expected);
    }

    void cardWithoutCheckedFormIsOlive()
    {
        auto w = makeWindow();
        addCard(*w, "aaa", "ааа", "L1", false);
        fillTen(*w);
        start(*w);
        w->learningPage()->slot_continue();
        QCOMPARE(question(*w), QStringLiteral("ааа\n"));
        QCOMPARE(m_colors.inner, uncheckableColor());
        QVERIFY(!w->learningPage()->run().autocheckPossible());
        QVERIFY(!status(*w).contains("Автопроверка"));
        w->learningPage()->textEdit3_type->setPlainText("wrong");
        w->learningPage()->slot_continue();
        QVERIFY(!w->session().run.mistakeMade);
        QCOMPARE(m_colors.inner, uncheckableColor());
        w->learningPage()->slot_continue();
        QCOMPARE(card(*w, "aaa").pRE, 1);
        QCOMPARE(card(*w, "aaa").rRE, 1);
        QVERIFY(w->learningPage()->run().autocheckPossible());
        QCOMPARE(m_colors.inner, white);
    }

    void forgettingTwiceCountsOnce()
    {
        auto w = makeWindow();
        fillTen(*w);
        start(*w);
        w->learningPage()->slot_continue();
        QTest::keyClick(w->learningPage()->textEdit3_type, Qt::Key_F12);
        QTest::keyClick(w->learningPage()->textEdit3_type, Qt::Key_F12);
        QVERIFY(w->session().run.mistakeMade);
        QVERIFY(!timer(*w, RunTimer::Flash).isActive()); // flashing is off by default
        QVERIFY(answer(*w).isEmpty());                   // the answer waits for next
        w->learningPage()->slot_continue();
        QCOMPARE(answer(*w), QStringLiteral("ant\t[ant]\n"));
        w->learningPage()->slot_continue();
        QCOMPARE(card(*w, "ant").pRE, 2);
        QCOMPARE(card(*w, "ant").rRE, 0);
    }

    void flashOnMistake()
    {
        auto w = makeWindow("[ANOTHER_SETTINGS]\nflash_i_wrong=true\n");
        fillTen(*w);
        start(*w);
        w->learningPage()->slot_continue();
        QTest::keyClick(w->learningPage()->textEdit3_type, Qt::Key_F12);
        Timer t = timer(*w, RunTimer::Flash);
        QVERIFY(t.isActive());
        QVERIFY(t.isSingleShot());
        QCOMPARE(t.interval(), 10);
        QCOMPARE(m_colors.inner, white);
        // A second mistake does not start the flash over.
        w->learningPage()->slot_make_mistake();
        QCOMPARE(t.interval(), 10);

        const QList<QPair<QColor, int>> steps = {
            {QColor(255, 0, 0), 110}, {white, 160}, {QColor(255, 0, 0), 110}};
        for (const auto &step : steps) {
            t.fire();
            QCOMPARE(m_colors.inner, step.first);
            QVERIFY(t.isActive());
            QCOMPARE(t.interval(), step.second);
        }
        t.fire();
        QCOMPARE(m_colors.inner, white);
        QVERIFY(!t.isActive());
        // A late firing changes nothing.
        t.fire();
        QCOMPARE(m_colors.inner, white);

        // A wrong typed answer flashes as well.
        w->learningPage()->slot_continue();
        w->learningPage()->slot_continue();
        w->learningPage()->textEdit3_type->setPlainText("wrong");
        w->learningPage()->slot_continue();
        QVERIFY(t.isActive());
    }

    // Ctrl+Я is the key of Ctrl+Z in the Russian layout; Я typed alone is
    // part of the answer.
    void previousCardInRussianLayout()
    {
        auto w = makeWindow();
        fillTen(*w);
        start(*w, foreignToRussian());
        LearningPage *page = w->learningPage();
        page->slot_continue();
        page->slot_continue();
        page->slot_continue();
        QCOMPARE(question(*w), QStringLiteral("bee\t[bee]\n"));
        QTest::sendKeyEvent(QTest::Click, page->textEdit3_type, Qt::Key(0x42f), QStringLiteral("я"),
                            Qt::NoModifier);
        QCOMPARE(question(*w), QStringLiteral("bee\t[bee]\n"));
        QCOMPARE(page->textEdit3_type->toPlainText(), QStringLiteral("я"));
        QTest::sendKeyEvent(QTest::Click, page->textEdit3_type, Qt::Key(0x42f), QString(),
                            Qt::ControlModifier);
        QCOMPARE(question(*w), QStringLiteral("ant\t[ant]\n"));
    }

    void previousCard()
    {
        auto w = makeWindow();
        fillTen(*w);
        start(*w, foreignToRussian());
        w->learningPage()->slot_continue();
        // Nothing to go back to yet.
        QTest::keyClick(w->learningPage()->textEdit3_type, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(question(*w), QStringLiteral("ant\t[ant]\n"));
        QVERIFY(!w->session().run.answerShown);

        w->learningPage()->slot_continue();
        w->learningPage()->slot_continue();
        QCOMPARE(question(*w), QStringLiteral("bee\t[bee]\n"));
        QTest::keyClick(w->learningPage()->textEdit3_type, Qt::Key_Z,
                        Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(question(*w), QStringLiteral("bee\t[bee]\n"));
        QTest::keyClick(w->learningPage()->textEdit3_type, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(question(*w), QStringLiteral("ant\t[ant]\n"));
        QVERIFY(!w->session().run.answerShown);
        // Going back does not count the card being left.
        QCOMPARE(card(*w, "bee").rER, 0);
        QCOMPARE(card(*w, "ant").rER, 1);
        QVERIFY(w->session().run.recentCards().isEmpty());
        QCOMPARE(icon(w->learningPage()->pushButton_previous),
                 QStringLiteral("Previous_word_disabled.png"));
        QCOMPARE(w->session().run.shownER, 3);
    }

    void timedRunGivesUpAtTheLastStep()
    {
        auto w = makeWindow();
        addCard(*w, "go", "идти");
        w->dictionaryPage()->slot_refresh();
        answerStartDialog(timed(10));
        m_ui->answerYesNo(Interaction::Yes, QStringLiteral("менее 10"));
        w->learningPage()->slot_start();
        QCOMPARE(w->session().work.speed, 30);
        QVERIFY(!w->learningPage()->progressBar1->isHidden());
        QVERIFY(!w->learningPage()->toolButton_pause_start->isHidden());

        w->learningPage()->slot_continue();
        Timer t = timer(*w, RunTimer::Run);
        QVERIFY(t.isActive());
        QVERIFY(!t.isSingleShot());
        QCOMPARE(t.interval(), 150);
        // "go": int(2 * 1.2) = 2, raised to 4 units of 16 steps.
        QCOMPARE(w->learningPage()->run().timedSteps(), 64);
        QCOMPARE(w->learningPage()->run().timedProgress(), 0);
        QCOMPARE(w->learningPage()->progressBar1->maximum(), 64);
        QCOMPARE(icon(w->learningPage()->toolButton_pause_start),
                 QStringLiteral("16_16_pause.png"));

        for (int i = 0; i < 63; ++i)
            timer(*w, RunTimer::Run).fire();
        QCOMPARE(w->learningPage()->run().timedProgress(), 63);
        QCOMPARE(w->learningPage()->progressBar1->value(), 63);
        QVERIFY(t.isActive());
        QVERIFY(answer(*w).isEmpty());

        timer(*w, RunTimer::Run).fire();
        QVERIFY(!t.isActive());
        QVERIFY(w->session().run.mistakeMade);
        QVERIFY(w->session().run.answerShown);
        QCOMPARE(answer(*w), QStringLiteral("go\t[go]\n"));
        QCOMPARE(w->learningPage()->run().timedProgress(), 0);
        QCOMPARE(w->learningPage()->run().timedSteps(), 0);
        QCOMPARE(icon(w->learningPage()->toolButton_pause_start), QStringLiteral("16_16_play.png"));
        // A tick after the stop does nothing.
        timer(*w, RunTimer::Run).fire();
        QCOMPARE(w->learningPage()->run().timedProgress(), 0);

        w->learningPage()->slot_continue();
        QCOMPARE(card(*w, "go").pRE, 2);
        QVERIFY(t.isActive());

        // A right typed answer is taken at the next tick.
        w->learningPage()->textEdit3_type->setPlainText("go");
        timer(*w, RunTimer::Run).fire();
        QVERIFY(w->session().run.answerShown);
        QVERIFY(!w->session().run.mistakeMade);
        QVERIFY(!t.isActive());
        QCOMPARE(m_colors.inner, acceptedColor());
        QCOMPARE(w->learningPage()->run().timedProgress(), 0);
    }

    void timedRunPausesAndResumes()
    {
        auto w = makeWindow();
        fillTen(*w);
        start(*w, timed(6));
        QCOMPARE(w->session().work.speed, 50);
        w->learningPage()->slot_continue();
        Timer t = timer(*w, RunTimer::Run);
        QCOMPARE(t.interval(), 250);
        timer(*w, RunTimer::Run).fire();
        timer(*w, RunTimer::Run).fire();

        w->learningPage()->slot_pause_resume();
        QVERIFY(!t.isActive());
        QCOMPARE(icon(w->learningPage()->toolButton_pause_start), QStringLiteral("16_16_play.png"));
        timer(*w, RunTimer::Run).fire(); // paused: nothing
        QCOMPARE(w->learningPage()->run().timedProgress(), 2);
        w->learningPage()->slot_pause_resume();
        QVERIFY(t.isActive());
        QCOMPARE(t.interval(), 250);
        QCOMPARE(icon(w->learningPage()->toolButton_pause_start),
                 QStringLiteral("16_16_pause.png"));
        QCOMPARE(w->learningPage()->run().timedProgress(), 2);

        // Other tabs let the time run; the learning tab pauses it.
        w->tabWidget2->setCurrentIndex(2);
        QVERIFY(t.isActive());
        w->tabWidget2->setCurrentIndex(0);
        QVERIFY(!t.isActive());
        QCOMPARE(w->learningPage()->run().timedProgress(), 2);

        // Ending declined: a paused timer stays paused, a running one runs on.
        m_ui->answerYesNo(Interaction::No, QStringLiteral("Завершить повторение слов?"));
        w->learningPage()->slot_start();
        QVERIFY(!t.isActive());
        w->learningPage()->slot_pause_resume();
        m_ui->answerYesNo(Interaction::No);
        w->learningPage()->slot_start();
        QVERIFY(t.isActive());
        QVERIFY(w->session().run.running);

        // With the answer on screen the button moves on.
        w->learningPage()->slot_continue();
        QVERIFY(w->session().run.answerShown);
        w->learningPage()->slot_pause_resume();
        QVERIFY(!w->session().run.answerShown);
        QVERIFY(t.isActive());
    }

    void untimedCardInTimedRun()
    {
        auto w = makeWindow();
        addCard(*w, "I", "я");
        w->dictionaryPage()->slot_refresh();
        answerStartDialog(foreignToRussian(timed(10)));
        m_ui->answerYesNo(Interaction::Yes);
        w->learningPage()->slot_start();
        w->learningPage()->slot_continue();
        QCOMPARE(question(*w), QStringLiteral("I\t[I]\n"));
        // int(1 * 0.6) = 0: no time limit for this card.
        QCOMPARE(w->learningPage()->run().timedSteps(), 0);
        QVERIFY(!timer(*w, RunTimer::Run).isActive());
        // The pause button cannot start a limit the card does not have.
        w->learningPage()->slot_pause_resume();
        QVERIFY(!timer(*w, RunTimer::Run).isActive());
        QVERIFY(w->session().run.answerShown);
        QVERIFY(!w->session().run.mistakeMade);
        QCOMPARE(answer(*w), QStringLiteral("я\n"));
    }

    void goToTheCardInTheDictionary()
    {
        auto w = makeWindow();
        fillTen(*w);
        start(*w, timed(10));
        w->learningPage()->slot_continue();
        w->learningPage()->slot_pause_resume();
        QVERIFY(!timer(*w, RunTimer::Run).isActive());

        QTest::keyClick(w->learningPage()->textEdit3_type, Qt::Key_F5);
        QCOMPARE(w->tabWidget2->currentIndex(), 1);
        QCOMPARE(w->dictionaryPage()->currentCardId(), card(*w, "ant").id);
        // The paused question's time runs again.
        QVERIFY(timer(*w, RunTimer::Run).isActive());
        QCOMPARE(status(*w), QStringLiteral("Работа со словарем"));

        // F5 on another tab comes back to the run, which pauses the timer.
        QTest::keyClick(w->dictionaryPage()->table3, Qt::Key_F5);
        QCOMPARE(w->tabWidget2->currentIndex(), 0);
        QVERIFY(!timer(*w, RunTimer::Run).isActive());
        w->tabWidget2->setCurrentIndex(2);
        QTest::keyClick(w->tabWidget2, Qt::Key_F5);
        QCOMPARE(w->tabWidget2->currentIndex(), 0);
    }

    void cardHiddenByFilterIsNotFound()
    {
        auto w = makeWindow();
        addCard(*w, "aaa", "ааа", "L1", true, false); // archived, hidden from the table
        fillTen(*w);
        w->session().filter.setArchiveChoice(2);
        w->dictionaryPage()->slot_refresh();
        QCOMPARE(w->dictionaryPage()->rowOfCard(card(*w, "aaa").id), -1);
        // Hidden cards are sorted last: draw the last due card.
        w->session().run.setRandomSource([] { return RunState::randomMax; });
        start(*w, [](VSettingsBeginWork *d) { d->checkBox_useArchive->setChecked(true); });
        w->learningPage()->slot_continue();
        QCOMPARE(question(*w), QStringLiteral("ааа\n"));
        m_ui->expect(ScriptedInteraction::Warning,
                     QStringLiteral("Не удалось найти карточку в словаре\n"
                                    "Возможно необходимо отключить фильтр"));
        w->learningPage()->slot_search_in_dict();
        QCOMPARE(w->tabWidget2->currentIndex(), 0);
        QVERIFY(w->session().run.running);
    }

    void answerInputKeys_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<bool>("movesOn");
        QTest::newRow("Ctrl+Return") << int(Qt::Key_Return) << int(Qt::ControlModifier) << true;
        QTest::newRow("Alt+Return") << int(Qt::Key_Return) << int(Qt::AltModifier) << true;
        QTest::newRow("Ctrl+Enter")
            << int(Qt::Key_Enter) << int(Qt::ControlModifier | Qt::KeypadModifier) << true;
        QTest::newRow("Alt+Right") << int(Qt::Key_Right) << int(Qt::AltModifier) << true;
        QTest::newRow("Ctrl+Right") << int(Qt::Key_Right) << int(Qt::ControlModifier) << true;
        QTest::newRow("F9") << int(Qt::Key_F9) << int(Qt::NoModifier) << true;
        QTest::newRow("Return") << int(Qt::Key_Return) << int(Qt::NoModifier) << false;
        QTest::newRow("Ctrl+Alt+Return")
            << int(Qt::Key_Return) << int(Qt::ControlModifier | Qt::AltModifier) << false;
        QTest::newRow("Right") << int(Qt::Key_Right) << int(Qt::NoModifier) << false;
    }

    void answerInputKeys()
    {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(bool, movesOn);
        auto w = makeWindow();
        fillTen(*w);
        start(*w);
        w->learningPage()->slot_continue();
        QTest::keyClick(w->learningPage()->textEdit3_type, Qt::Key(key),
                        Qt::KeyboardModifiers(modifiers));
        QCOMPARE(w->session().run.answerShown, movesOn);
        QCOMPARE(answer(*w).isEmpty(), !movesOn);
    }

    void runKeysOnlyOnTheLearningTab()
    {
        auto w = makeWindow();
        fillTen(*w);
        start(*w);
        w->learningPage()->slot_continue();
        w->tabWidget2->setCurrentIndex(2);
        QTest::keyClick(w->tabWidget2, Qt::Key_F9);
        QTest::keyClick(w->tabWidget2, Qt::Key_F12);
        QVERIFY(!w->session().run.answerShown);
        QVERIFY(!w->session().run.mistakeMade);
        w->tabWidget2->setCurrentIndex(0);
        QTest::keyClick(w->learningPage()->pushButton_voice, Qt::Key_F9);
        QVERIFY(w->session().run.answerShown);
    }

    void panesUnderTheMouse()
    {
        auto w = makeWindow("[SETTINGS_FONT]\nbckg_cont_r=100\nbckg_cont_g=10\nbckg_cont_b=200\n");
        fillTen(*w);
        start(*w);
        w->learningPage()->slot_continue();
        QTextEdit *pane = w->learningPage()->textEdit1_question;
        // Not hovered: a click does nothing.
        QTest::mouseClick(pane->viewport(), Qt::LeftButton);
        QVERIFY(!w->session().run.answerShown);

        QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
        QApplication::sendEvent(pane, &enter);
        QVERIFY(w->learningPage()->paneHovered());
        QCOMPARE(pane->palette().color(QPalette::Base), QColor(85, 0, 185));
        QTest::mouseClick(pane->viewport(), Qt::RightButton);
        QVERIFY(!w->session().run.answerShown);
        w->learningPage()->textEdit3_type->setPlainText("ant");
        QTest::mouseClick(pane->viewport(), Qt::LeftButton);
        QVERIFY(w->session().run.answerShown);
        QVERIFY(!answer(*w).isEmpty());

        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(pane, &leave);
        QVERIFY(!w->learningPage()->paneHovered());
        QCOMPARE(pane->palette().color(QPalette::Base), QColor(100, 10, 200));

        QEnterEvent enter2(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
        QApplication::sendEvent(w->learningPage()->textEdit2_answer, &enter2);
        QTest::mouseClick(w->learningPage()->textEdit2_answer->viewport(), Qt::LeftButton);
        QVERIFY(!w->session().run.answerShown);
        QCOMPARE(question(*w), QStringLiteral("пчела\n"));
    }

    void learningRunTurnsCardsOffAndOn()
    {
        auto w = makeWindow("[SETTINGS_FONT]\nbckg_r=10\nbckg_g=20\nbckg_b=30\n");
        fillTen(*w);
        addCard(*w, "kiwi", "киви", "L2");
        addCard(*w, "lark", "жаворонок", "L2");
        addCard(*w, "mole", "крот", "L2");
        w->dictionaryPage()->slot_refresh();
        answerStartDialog(learning("L2"));
        m_ui->answerYesNo(Interaction::Yes, QStringLiteral("менее 10"));
        w->learningPage()->slot_start();
        QVERIFY(w->session().run.running);
        QVERIFY(!w->learningPage()->frame4_lerning->isHidden());
        QVERIFY(w->learningPage()->progressBar1->isHidden());
        const QColor normal(10, 20, 30);
        QCOMPARE(w->learningPage()->pushButton1_off_word->palette().color(QPalette::Button),
                 normal);
        QCOMPARE(status(*w),
                 QStringLiteral("Изучение слов урока \"L2\", с русского на иностранный. "
                                "(Все карточки урока включены) Приоритет: "));

        w->learningPage()->slot_continue();
        QCOMPARE(question(*w), QStringLiteral("киви\n"));
        // Not learned yet (runMark 0 < 3).
        QCOMPARE(w->learningPage()->pushButton1_off_word->palette().color(QPalette::Button),
                 QColor(255, 60, 60));
        QCOMPARE(icon(w->learningPage()->pushButton_Mistake), QStringLiteral("IForgot.png"));

        w->learningPage()->slot_turn_off_word();
        QCOMPARE(status(*w),
                 QStringLiteral("Изучение слов урока \"L2\", с русского на иностранный. "
                                "(Выключена 1 карточка урока) Приоритет: 1/1"));
        QCOMPARE(icon(w->learningPage()->toolButton_findInDict),
                 QStringLiteral("Go_to_dict_disabled.png"));
        QCOMPARE(question(*w), QStringLiteral("киви\n")); // stays until next
        w->learningPage()->slot_continue();
        QCOMPARE(question(*w), QStringLiteral("жаворонок\n"));
        QCOMPARE(card(*w, "kiwi").runMark, 0);

        w->learningPage()->slot_turn_on_all_words();
        QVERIFY(w->session().run.offCards().isEmpty());
        QVERIFY(status(*w).contains("(Все карточки урока включены)"));
        m_ui->expect(ScriptedInteraction::Warning, QStringLiteral("Все карточки уже включены"));
        w->learningPage()->slot_turn_on_all_words();

        // Right showing: runMark counts up; a mistake clears it at once.
        w->learningPage()->slot_continue();
        w->learningPage()->slot_continue();
        QCOMPARE(card(*w, "lark").runMark, 1);
        QCOMPARE(question(*w), QStringLiteral("крот\n"));
        w->session().dictionary.updateMarksOf(card(*w, "mole").id,
                                              [](MarkedCard &c) { c.setRunMark(2); });
        w->learningPage()->slot_make_mistake();
        QCOMPARE(card(*w, "mole").runMark, 0);

        // Everything off: nothing left to draw.
        for (int i = 0; i < 3; ++i) {
            w->learningPage()->slot_turn_off_word();
            if (i < 2)
                w->learningPage()->slot_continue();
        }
        m_ui->expect(ScriptedInteraction::Warning, QStringLiteral("Все карточки выключены"));
        w->learningPage()->slot_continue();
        QVERIFY(w->session().run.answerShown);
        QVERIFY(question(*w).isEmpty());
        QVERIFY(status(*w).contains("(Выключено 3 карточки урока)"));
    }

    void learningRunWithoutForgetting()
    {
        auto w = makeWindow("[ANOTHER_SETTINGS]\nnum_right_learn=0\nflash_i_wrong=true\n");
        fillTen(*w);
        start(*w, learning("L1"));
        w->learningPage()->slot_continue();
        QCOMPARE(icon(w->learningPage()->pushButton_Mistake),
                 QStringLiteral("IForgot_disabled.png"));
        w->learningPage()->slot_make_mistake();
        QVERIFY(!timer(*w, RunTimer::Flash).isActive());
    }

    void closingDuringRunAsksToEnd()
    {
        {
            auto w = makeWindow();
            fillTen(*w);
            w->show();
            start(*w, foreignToRussian());
            w->learningPage()->slot_continue();
            w->learningPage()->slot_continue();
            w->learningPage()->slot_continue(); // ant was answered, bee is on screen

            // No deleting while a run is going, not even from the menu.
            std::unique_ptr<QMenu> menu(
                w->dictionaryPage()->buildContextMenu(w->dictionaryPage()->rowOfCard(1)));
            for (QAction *a : menu->actions())
                QVERIFY(a->text() != QStringLiteral("Удалить (Del)"));
            QVERIFY(!menu->actions().isEmpty());
            // Closing a file during a run asks to end the run instead.
            m_ui->answerYesNo(Interaction::No, QStringLiteral("Завершить повторение слов?"));
            w->dictionaryPage()->slot_close();
            QVERIFY(w->session().run.running);
            QCOMPARE(w->session().dictionary.cardCount(), 10);

            m_ui->answerYesNo(Interaction::No, QStringLiteral("Завершить повторение слов?"));
            QVERIFY(!w->close());
            QVERIFY(w->session().run.running);
            QVERIFY(w->isVisible());

            m_ui->answerYesNo(Interaction::Yes, QStringLiteral("Завершить повторение слов?"));
            QVERIFY(!w->close());
            QVERIFY(!w->session().run.running);
            QVERIFY(w->isVisible());
            QVERIFY(question(*w).isEmpty());
            QVERIFY(w->learningPage()->progressBar1->isHidden());
            QVERIFY(!w->learningPage()->textEdit3_type->isEnabled());
            QVERIFY(w->learningPage()->run().soundList().isEmpty());
            QCOMPARE(status(*w), QStringLiteral("Для начала работы нажмите \"Старт\""));
            QCOMPARE(icon(w->toolButton11_start), QStringLiteral("Turn_on.png"));
            QCOMPARE(icon(w->learningPage()->pushButton_Mistake),
                     QStringLiteral("IForgot_disabled.png"));

            // The counters stay in the cards after the run.
            QCOMPARE(card(*w, "ant").rER, 1);
            QCOMPARE(card(*w, "bee").rER, 0);

            m_ui->answerYesNo(Interaction::Yes, QStringLiteral("Вы сохранили словарь?"));
            QVERIFY(w->close());
        }
        iniReader ini;
        QVERIFY(ini.load(m_dir->filePath("settings.ini")));
        QCOMPARE(ini.readEntry("WORK_SETTINGS:training"), QStringLiteral("true"));
        QCOMPARE(ini.readEntry("WORK_SETTINGS:en_ru"), QStringLiteral("true"));
        QCOMPARE(ini.readEntry("WORK_SETTINGS:use_autocheck"), QStringLiteral("false"));
    }

    void learningRunEndsWithItsOwnQuestion()
    {
        auto w = makeWindow();
        fillTen(*w);
        start(*w, learning("L1"));
        // From any tab.
        w->tabWidget2->setCurrentIndex(3);
        m_ui->answerYesNo(Interaction::Yes, QStringLiteral("Завершить изучение слов?"));
        w->learningPage()->slot_start();
        QVERIFY(!w->session().run.running);
        QVERIFY(w->learningPage()->frame4_lerning->isHidden());
    }
};

QTEST_MAIN(TestRunFlow)
#include "test_run_flow.moc"
