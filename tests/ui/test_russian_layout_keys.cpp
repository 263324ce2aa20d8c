#include "app/main_window.h"
#include "core/run/run_clock.h"
#include "scripted_interaction.h"
#include "test_cards.h"
#include "test_window.h"
#include "ui/dictionary/dictionary_page.h"
#include "ui/dictionary/dictionary_table_model.h"
#include "ui/run/learning_page.h"
#include "ui/run/settings_begin_work_dialog.h"
#include "ui/run/sound_player.h"

#include <QApplication>
#include <QDialog>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <X11/XKBlib.h>
#include <X11/keysym.h>
// Xlib names that Qt uses as enum values.
#undef KeyPress
#undef KeyRelease
#undef FocusIn
#undef FocusOut

#include <memory>

// The real window under an X server with the layouts "us,ru" and the Russian
// group active, keys pressed through the server: letter shortcuts must work
// by the physical key, and Russian typing must stay typing.

namespace
{

// An Xvfb of the test's own, on a display number the server picks as free.
class OwnXServer
{
public:
    bool start()
    {
        m_server.setProgram(QStringLiteral("Xvfb"));
        m_server.setArguments({QStringLiteral("-displayfd"), QStringLiteral("1"),
                               QStringLiteral("-nolisten"), QStringLiteral("tcp"),
                               // Without it the server forgets the layout
                               // whenever its last client disconnects.
                               QStringLiteral("-noreset"), QStringLiteral("-screen"),
                               QStringLiteral("0"), QStringLiteral("1024x768x24")});
        m_server.setProcessChannelMode(QProcess::SeparateChannels);
        m_server.start();
        if (!m_server.waitForStarted(5000))
            return false;
        while (!m_server.canReadLine()) {
            if (!m_server.waitForReadyRead(10000))
                return false;
        }
        bool ok = false;
        const int number = m_server.readLine().trimmed().toInt(&ok);
        if (!ok)
            return false;
        display = QStringLiteral(":%1").arg(number);
        return true;
    }
    ~OwnXServer()
    {
        if (m_server.state() != QProcess::NotRunning) {
            m_server.terminate();
            m_server.waitForFinished(5000);
        }
    }

    QString display;

private:
    QProcess m_server;
};

bool run(const QString &program, const QStringList &arguments)
{
    QProcess p;
    p.start(program, arguments);
    return p.waitForFinished(10000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

// The X key code of the key labelled F (evdev plus 8).
constexpr unsigned keyCodeF = 41;

// "us,ru" as a user sets it, with the Russian group locked.
QString prepareRussianLayout()
{
    if (!run(QStringLiteral("setxkbmap"), {QStringLiteral("-layout"), QStringLiteral("us,ru")}))
        return QStringLiteral("setxkbmap -layout us,ru failed");
    Display *d = XOpenDisplay(nullptr);
    if (!d)
        return QStringLiteral("cannot open the display");
    XkbLockGroup(d, XkbUseCoreKbd, 1);
    XSync(d, False);
    XkbStateRec state;
    XkbGetState(d, XkbUseCoreKbd, &state);
    const KeySym sym = XkbKeycodeToKeysym(d, keyCodeF, state.group, 0);
    XCloseDisplay(d);
    if (state.group != 1 || sym != XK_Cyrillic_a)
        return QStringLiteral("the Russian group is not active");
    return QString();
}

QString g_skipReason;
QString g_layoutError;

class SilentPlayer : public SoundPlayer
{
public:
    bool isAvailable() const override { return false; }
    void play(const QString &) override {}
};

// Presses keys through the X server, as a keyboard does. The Cyrillic key
// symbols are found in the Russian group only, so xdotool presses the
// physical key (F, Z) without leaving that group.
bool press(const QString &keys)
{
    if (!run(QStringLiteral("xdotool"), {QStringLiteral("key"), keys}))
        return false;
    Display *d = XOpenDisplay(nullptr);
    if (!d)
        return false;
    XkbStateRec state;
    XkbGetState(d, XkbUseCoreKbd, &state);
    XCloseDisplay(d);
    return state.group == 1; // still the Russian group
}

} // namespace

class TestRussianLayoutKeys : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    FrameColors m_colors;
    ScriptedInteraction *m_ui = nullptr;

    std::unique_ptr<Vmain_form> makeWindow()
    {
        m_dir = makeWorkingDir();
        writeMinimalSettings(m_dir->path());
        m_ui = new ScriptedInteraction;
        auto w = std::make_unique<TestWindow>(m_dir->path(), &m_colors, m_ui);
        w->session().setSoundPlayer(new SilentPlayer);
        w->session().run.setRandomSource([] { return 0; });
        const QStringList foreign = {"ant", "bee",  "cat", "dog",  "eel",
                                     "fox", "goat", "hen", "ibis", "jay"};
        const QStringList russian = {"муравей", "пчела", "кошка",  "собака", "угорь",
                                     "лиса",    "коза",  "курица", "ибис",   "сойка"};
        w->session().dictionary.addOpenFile("/d/a.xml");
        for (int i = 0; i < foreign.size(); ++i) {
            Card c = makeCard(foreign[i], {russian[i]}, "L1", "/d/a.xml");
            c.foreignWords[0].autoCheck = true;
            w->session().dictionary.addCard(c);
        }
        w->dictionaryPage()->slot_refresh();
        w->show();
        w->activateWindow();
        return w;
    }

private slots:
    void initTestCase()
    {
        if (!g_skipReason.isEmpty())
            QSKIP(qPrintable(g_skipReason));
        if (!g_layoutError.isEmpty())
            QFAIL(qPrintable(g_layoutError));
    }

    void ctrlFOnTheTableOpensTheSearch()
    {
        auto w = makeWindow();
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
        w->tabWidget2->setCurrentIndex(int(MainTab::Dictionary));
        auto *table = w->dictionaryPage()->table3;
        table->setFocus();
        QTRY_VERIFY(table->hasFocus());
        QString title;
        m_ui->answerDialog([&title](QDialog *d) {
            title = d->windowTitle();
            return int(QDialog::Rejected);
        });
        QVERIFY(press(QStringLiteral("ctrl+Cyrillic_a")));
        QTRY_COMPARE(title, QStringLiteral("Поиск в словаре"));
    }

    // Bare letter keys come as Cyrillic even where Qt gives Ctrl+letter in
    // Latin: the key labelled L held with Up jumps back to the lesson row.
    void heldJumpKeyOnTheTable()
    {
        auto w = makeWindow();
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
        w->tabWidget2->setCurrentIndex(int(MainTab::Dictionary));
        DictionaryPage *page = w->dictionaryPage();
        page->checkBox2->setChecked(true);
        page->slot_refresh();
        const int last = page->tableModel()->rowCount() - 1;
        page->selectTableRow(last);
        page->table3->setFocus();
        QTRY_VERIFY(page->table3->hasFocus());
        QVERIFY(run(QStringLiteral("xdotool"),
                    {QStringLiteral("keydown"), QStringLiteral("Cyrillic_de"),
                     QStringLiteral("key"), QStringLiteral("Up")}));
        QTRY_COMPARE(page->jumpKind(), QStringLiteral("lesson"));
        QVERIFY(run(QStringLiteral("xdotool"),
                    {QStringLiteral("keyup"), QStringLiteral("Cyrillic_de")}));
        QTRY_VERIFY(page->jumpKind().isEmpty());
        const int row = page->table3->currentIndex().row();
        QVERIFY(row < last);
        QCOMPARE(page->tableModel()->rows().at(row).kindText(), QStringLiteral("lesson"));
    }

    void ctrlZInARunGoesBack()
    {
        auto w = makeWindow();
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
        m_ui->answerDialog([](QDialog *d) {
            auto *dialog = qobject_cast<VSettingsBeginWork *>(d);
            if (!dialog)
                return int(QDialog::Rejected);
            dialog->radioButton3->setChecked(true);
            dialog->slot_EN_RU();
            dialog->slot_accept();
            return dialog->result();
        });
        LearningPage *page = w->learningPage();
        page->slot_start();
        page->slot_continue();
        page->slot_continue();
        page->slot_continue();
        QCOMPARE(page->textEdit1_question->toPlainText(), QStringLiteral("bee\t[bee]\n"));

        page->textEdit3_type->setFocus();
        QTRY_VERIFY(page->textEdit3_type->hasFocus());
        // The key labelled F types "а" and does nothing else.
        QVERIFY(press(QStringLiteral("Cyrillic_a")));
        QTRY_COMPARE(page->textEdit3_type->toPlainText(), QStringLiteral("а"));
        QCOMPARE(page->textEdit1_question->toPlainText(), QStringLiteral("bee\t[bee]\n"));

        QVERIFY(press(QStringLiteral("ctrl+Cyrillic_ya")));
        QTRY_COMPARE(page->textEdit1_question->toPlainText(), QStringLiteral("ant\t[ant]\n"));
    }
};

int main(int argc, char **argv)
{
    OwnXServer server;
    if (server.start()) {
        qputenv("DISPLAY", server.display.toLocal8Bit());
        qputenv("QT_QPA_PLATFORM", "xcb");
        g_layoutError = prepareRussianLayout();
    } else {
        g_skipReason = QStringLiteral("Xvfb could not be started: no X server for the layout test");
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    TestRussianLayoutKeys test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_russian_layout_keys.moc"
