#include "app/main_window.h"
#include "app/session.h"
#include "core/convert/text_conversion.h"
#include "core/dictionary/dictionary.h"
#include "core/find/dictionary_search.h"
#include "core/find/filter_settings.h"
#include "core/run/work_settings.h"
#include "core/settings/ini_reader.h"
#include "scripted_interaction.h"
#include "test_cards.h"
#include "test_window.h"
#include "ui/convert/conversion_settings_dialog.h"
#include "ui/convert/tools_window.h"
#include "ui/dictionary/file_job_window.h"
#include "ui/dictionary/join_files_dialog.h"
#include "ui/editor/chast_rechi_select_dialog.h"
#include "ui/editor/choose_category_dialog.h"
#include "ui/editor/one_word_form_dialog.h"
#include "ui/editor/symbols_selector.h"
#include "ui/editor/v_button_symbol.h"
#include "ui/find/filter_dialog.h"
#include "ui/find/search_dialog.h"
#include "ui/run/learning_page.h"
#include "ui/run/settings_begin_work_dialog.h"
#include "ui/statistics/statistics_window.h"

#include <QAbstractItemView>
#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSet>
#include <QSpinBox>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>
#include <QThread>
#include <QToolButton>

#include <atomic>
#include <functional>
#include <memory>

// A screen reader names a control by its accessible name: every control a
// user can reach, in every window and dialog, must have a Russian one (a
// button showing "+" or "..." is no name).

namespace
{

bool isInteractive(const QWidget *w)
{
    return qobject_cast<const QAbstractButton *>(w) || qobject_cast<const QComboBox *>(w) ||
           qobject_cast<const QAbstractSpinBox *>(w) || qobject_cast<const QLineEdit *>(w) ||
           qobject_cast<const QTextEdit *>(w) || qobject_cast<const QPlainTextEdit *>(w) ||
           qobject_cast<const QAbstractItemView *>(w) || qobject_cast<const QAbstractSlider *>(w) ||
           qobject_cast<const VButtonSymbol *>(w);
}

// Parts Qt builds inside its own controls (the line edit of a spin box, the
// scroll buttons of a tab bar, the header of a table) are named by Qt.
bool isPartOfQtControl(const QWidget *w, const QWidget *window)
{
    if (w->objectName().startsWith(QLatin1String("qt_")) || qobject_cast<const QHeaderView *>(w))
        return true;
    for (const QObject *p = w->parent(); p && p != window; p = p->parent()) {
        if (qobject_cast<const QAbstractSpinBox *>(p) || qobject_cast<const QComboBox *>(p) ||
            qobject_cast<const QTabBar *>(p) || qobject_cast<const QAbstractItemView *>(p) ||
            p->objectName().startsWith(QLatin1String("qt_scrollarea")))
            return true;
    }
    return false;
}

QStringList unnamedControls(QWidget *window)
{
    QStringList out;
    const QList<QWidget *> all = window->findChildren<QWidget *>() << window;
    for (QWidget *w : all) {
        if (!isInteractive(w) || isPartOfQtControl(w, window))
            continue;
        QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(w);
        static const QRegularExpression russian(QStringLiteral("[А-Яа-яЁё]"));
        // On Linux Qt gives a combo box's value as its name and its own name
        // through relations, so the combo box is asked directly.
        const QString name = qobject_cast<QComboBox *>(w) ? w->accessibleName()
                             : iface                      ? iface->text(QAccessible::Name)
                                                          : QString();
        if (!name.contains(russian))
            out << QStringLiteral("%1 (%2 in %3)")
                       .arg(w->objectName(), QLatin1String(w->metaObject()->className()),
                            QLatin1String(window->metaObject()->className()));
    }
    return out;
}

} // namespace

class TestAccessibleNames : public QObject
{
    Q_OBJECT

private slots:
    void pictureOnlyButtonIsFound();
    void tabReachesEveryButton_data();
    void tabReachesEveryButton();
    void everyControlIsNamed_data();
    void everyControlIsNamed();
};

// The walk itself: a button with only a picture and a tooltip has no name,
// one with a Latin sign is not named in Russian.
void TestAccessibleNames::pictureOnlyButtonIsFound()
{
    QWidget window;
    auto *picture = new QToolButton(&window);
    picture->setObjectName(QStringLiteral("picture"));
    picture->setToolTip(QStringLiteral("Сохранить"));
    auto *plus = new QToolButton(&window);
    plus->setObjectName(QStringLiteral("plus"));
    plus->setText(QStringLiteral("+"));
    auto *named = new QToolButton(&window);
    named->setAccessibleName(QStringLiteral("Открыть"));
    auto *spin = new QSpinBox(&window);
    spin->setAccessibleName(QStringLiteral("Скорость"));
    const QStringList unnamed = unnamedControls(&window);
    QCOMPARE(unnamed.size(), 2);
    QVERIFY(unnamed.at(0).startsWith(QLatin1String("picture")));
    QVERIFY(unnamed.at(1).startsWith(QLatin1String("plus")));
}

void TestAccessibleNames::everyControlIsNamed_data()
{
    QTest::addColumn<QString>("window");
    for (const char *w : {"main", "tools", "conversion", "start", "filter", "search", "editor",
                          "speech part", "symbols", "join", "statistics", "progress"})
        QTest::newRow(w) << QString::fromLatin1(w);
}

void TestAccessibleNames::everyControlIsNamed()
{
    QFETCH(QString, window);
    const auto dir = makeWorkingDir();
    writeMinimalSettings(dir->path());
    FrameColors colors;
    QStringList unnamed;
    iniReader settings;
    auto *ui = new ScriptedInteraction;
    TestWindow main(dir->path(), &colors, ui);

    if (window == "main") {
        unnamed = unnamedControls(&main);
    } else if (window == "tools") {
        ScriptedInteraction toolsUi;
        VForm_tools tools(main.session(), &toolsUi);
        unnamed = unnamedControls(&tools);
    } else if (window == "conversion") {
        ConversionOptions options;
        VFormConvertionSettings d(nullptr, options, *ui);
        unnamed = unnamedControls(&d);
    } else if (window == "start") {
        WorkSettings s;
        VSettingsBeginWork d(nullptr, {"L1", "L2"}, &s, true);
        unnamed = unnamedControls(&d);
    } else if (window == "filter") {
        FilterSettings filter;
        VSet_Filter_Dialog d(nullptr, filter, {"L1"}, {"Дом"}, {"сущ."}, settings);
        unnamed = unnamedControls(&d);
    } else if (window == "search") {
        DictionarySearch search;
        VSearchDialog d(nullptr, search, *ui);
        unnamed = unnamedControls(&d);
    } else if (window == "editor") {
        Card card =
            makeCard("cat", {QStringLiteral("кошка"), QStringLiteral("кот")}, "L1", "/d/a.xml");
        _OneWord_Form f(nullptr, card, {"Дом", "Еда"}, {"L1"}, 5, settings);
        unnamed = unnamedControls(&f);
        QVERIFY(f.categoryWindow());
        unnamed += unnamedControls(f.categoryWindow());
    } else if (window == "speech part") {
        QString chosen;
        _chastRechiSelectForm d(nullptr, chosen, settings);
        unnamed = unnamedControls(&d);
    } else if (window == "symbols") {
        symbolsSelector d;
        unnamed = unnamedControls(&d);
    } else if (window == "join") {
        _join_files_Form d({"/d/a.xml", "/d/b.xml"}, true);
        unnamed = unnamedControls(&d);
    } else if (window == "statistics") {
        Dictionary d;
        d.addCard(makeCard("cat", {QStringLiteral("кошка")}, "L1", "/d/a.xml"));
        StatisticsWindow s(d, false, dir->filePath("journal.txt"), *ui, QDate(2024, 3, 10));
        unnamed = unnamedControls(&s);
    } else if (window == "progress") {
        FileJobWindow jobs(&main);
        jobs.setDelay(0);
        std::atomic<bool> release{false};
        bool shown = false;
        jobs.setShownHook([&](QProgressDialog *d) {
            shown = true;
            unnamed = unnamedControls(d);
            release = true;
        });
        FileProgress progress;
        progress.stage = FileProgress::Opening;
        progress.total = 1;
        progress.cancellable = true;
        jobs.run(progress, [&](const std::atomic<bool> &) {
            while (!release)
                QThread::msleep(1);
        });
        QVERIFY(shown);
    }
    QVERIFY2(unnamed.isEmpty(), qPrintable(unnamed.join(QStringLiteral("\n"))));
}

void TestAccessibleNames::tabReachesEveryButton_data()
{
    QTest::addColumn<int>("tab");
    QTest::newRow("learning") << int(MainTab::Learning);
    QTest::newRow("dictionary") << int(MainTab::Dictionary);
    QTest::newRow("settings") << int(MainTab::Settings);
}

// Keyboard only: Tab alone visits every shown button and field of the page
// and of the top row, and no text field keeps the focus.
void TestAccessibleNames::tabReachesEveryButton()
{
    QFETCH(int, tab);
    const auto dir = makeWorkingDir();
    writeMinimalSettings(dir->path());
    FrameColors colors;
    TestWindow w(dir->path(), &colors, new ScriptedInteraction);
    w.show();
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    w.tabWidget2->setCurrentIndex(tab);
    // The answer input as during a run, where typing starts.
    LearningPage *learning = w.learningPage();
    learning->textEdit3_type->setEnabled(true);
    if (tab == int(MainTab::Learning))
        learning->textEdit3_type->setFocus();
    else
        w.tabWidget2->tabBar()->setFocus();
    QSet<QWidget *> visited;
    for (int i = 0; i < 300; ++i) {
        QWidget *f = QApplication::focusWidget();
        QVERIFY(f);
        visited.insert(f);
        QTest::keyClick(f, Qt::Key_Tab);
    }
    QStringList missed;
    for (QWidget *c : w.findChildren<QWidget *>()) {
        const bool control = qobject_cast<QAbstractButton *>(c) || qobject_cast<QComboBox *>(c) ||
                             qobject_cast<QAbstractSpinBox *>(c) || qobject_cast<QTextEdit *>(c) ||
                             qobject_cast<QAbstractItemView *>(c);
        if (control && c->isVisible() && c->isEnabled() && (c->focusPolicy() & Qt::TabFocus) &&
            !isPartOfQtControl(c, &w) && !visited.contains(c))
            missed << c->objectName();
    }
    QVERIFY2(missed.isEmpty(), qPrintable(missed.join(QLatin1String(", "))));
}

QTEST_MAIN(TestAccessibleNames)
#include "test_accessible_names.moc"
