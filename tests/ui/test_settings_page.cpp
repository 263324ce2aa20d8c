#include "core/settings/app_settings.h"
#include "core/settings/appearance_rules.h"
#include "core/settings/ini_reader.h"
#include "scripted_interaction.h"
#include "ui/common/app_style.h"
#include "ui/settings/appearance_apply.h"
#include "ui/settings/settings_page.h"

#include <QApplication>
#include <QFontDatabase>
#include <QSplitter>
#include <QTextBrowser>
#include <QTextEdit>
#include <QtTest>

namespace
{

// The fields that differ, by name; empty when the two records are the same.
QString differences(const AppearanceSettings &a, const AppearanceSettings &b)
{
    QStringList d;
    if (a.font != b.font)
        d << QStringLiteral("font ") + a.font.toString() + QStringLiteral(" / ") +
                 b.font.toString();
    if (a.fontColor != b.fontColor)
        d << QStringLiteral("fontColor");
    if (a.backgroundColor != b.backgroundColor)
        d << QStringLiteral("backgroundColor ") + a.backgroundColor.name() + QStringLiteral(" / ") +
                 b.backgroundColor.name();
    if (a.contentsBackgroundColor != b.contentsBackgroundColor)
        d << QStringLiteral("contentsBackgroundColor");
    if (a.showPartsNums != b.showPartsNums)
        d << QStringLiteral("showPartsNums");
    if (a.showSpeechParts != b.showSpeechParts)
        d << QStringLiteral("showSpeechParts");
    if (a.flashIfWrong != b.flashIfWrong)
        d << QStringLiteral("flashIfWrong");
    if (a.vertical != b.vertical)
        d << QStringLiteral("vertical");
    if (a.frameColor != b.frameColor)
        d << QStringLiteral("frameColor");
    if (a.numRightLearn != b.numRightLearn)
        d << QStringLiteral("numRightLearn");
    if (a.settingsPage != b.settingsPage)
        d << QStringLiteral("settingsPage");
    return d.join(QStringLiteral(", "));
}

// An applied record unlike the defaults in every field.
AppearanceSettings storedRecord()
{
    AppearanceSettings a;
    a.font = QFont(QStringLiteral("DejaVu Serif"), 11);
    a.font.setItalic(true);
    a.fontColor = QColor(1, 2, 3);
    a.backgroundColor = QColor(10, 20, 30);
    a.contentsBackgroundColor = QColor(200, 210, 220);
    a.showPartsNums = true;
    a.showSpeechParts = true;
    a.flashIfWrong = true;
    a.vertical = false;
    a.numRightLearn = 7;
    a.settingsPage = 1;
    return a;
}

const QColor kChosenBackground(90, 91, 92);
const QColor kInitialBackground(255, 255, 255);

QColor baseOf(const QWidget *w)
{
    return w->palette().color(QPalette::Base);
}

} // namespace

class TestSettingsPage : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void fillShowsTheRecord();
    void colourDialogs_data();
    void colourDialogs();
    void fontDialog_data();
    void fontDialog();
    void applyCancelDefaults_data();
    void applyCancelDefaults();
    void defaultsFromTheInstalledFonts();
    void spinBoxRange();
    void toolBoxPageKept_data();
    void toolBoxPageKept();
    void writtenAtExit_data();
    void writtenAtExit();
    void hostAppliesToTheWindow();
    void splitterFollowsVertical();

private:
    QPalette m_palette;
};

void TestSettingsPage::init()
{
    m_palette = QApplication::palette();
}

void TestSettingsPage::cleanup()
{
    QApplication::setPalette(m_palette);
}

void TestSettingsPage::fillShowsTheRecord()
{
    AppearanceSettings a = storedRecord();
    ScriptedInteraction ui;
    SettingsPage page(a, ui);

    QCOMPARE(page.lineEdit_FontLearning->font(), a.font);
    QCOMPARE(page.lineEdit_FontLearning->text(), fontDescription(a.font));
    QCOMPARE(page.lineEdit_FontLearning->palette().color(QPalette::Text), a.fontColor);
    QCOMPARE(baseOf(page.lineEdit_FontLearning), a.backgroundColor);
    QCOMPARE(baseOf(page.lineEdit_bkgColor), a.backgroundColor);
    QCOMPARE(page.toolButton_bkgColor->palette().color(QPalette::Button), a.backgroundColor);
    QCOMPARE(page.toolButton_fontLearning->palette().color(QPalette::Button), a.backgroundColor);
    QCOMPARE(baseOf(page.lineEdit_bkgContentsColor), a.contentsBackgroundColor);
    QCOMPARE(page.page_settings_common->palette().color(QPalette::Window),
             a.contentsBackgroundColor);
    QCOMPARE(page.page_settingsLearning->palette().color(QPalette::Window),
             a.contentsBackgroundColor);
    // The swatch text stays readable on a dark page colour.
    QCOMPARE(page.lineEdit_bkgColor->palette().color(QPalette::Text), QColor(Qt::white));
    QVERIFY(page.checkBox_showSpeechParts->isChecked());
    QVERIFY(page.checkBox_showNumbers->isChecked());
    QVERIFY(page.radioButton_Horizontal->isChecked());
    QVERIFY(!page.radioButton_Vertical->isChecked());
    QVERIFY(page.checkBox_flashOnError->isChecked());
    QCOMPARE(page.spinBox_ColorTurnOffCard->value(), 7);
    QCOMPARE(differences(page.workingRecord(), a), QString());
}

void TestSettingsPage::colourDialogs_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("field"); // 0 page, 1 contents, 2 font colour
    QTest::addColumn<bool>("chosen");
    const QStringList buttons{QStringLiteral("toolButton_bkgColor"),
                              QStringLiteral("toolButton_bkgContentsColor"),
                              QStringLiteral("toolButton_fontColorLearning")};
    for (int i = 0; i < buttons.size(); ++i) {
        QTest::addRow("%s chosen", qPrintable(buttons[i])) << buttons[i] << i << true;
        QTest::addRow("%s cancelled", qPrintable(buttons[i])) << buttons[i] << i << false;
    }
}

void TestSettingsPage::colourDialogs()
{
    QFETCH(QString, button);
    QFETCH(int, field);
    QFETCH(bool, chosen);
    AppearanceSettings a = storedRecord();
    const AppearanceSettings before = a;
    ScriptedInteraction ui;
    SettingsPage page(a, ui);
    const QColor picked(77, 88, 99);
    ui.answerColor(chosen ? picked : QColor());

    page.findChild<QToolButton *>(button)->click();
    QVERIFY(ui.done());

    const QColor initial[] = {a.backgroundColor, a.contentsBackgroundColor, a.fontColor};
    QCOMPARE(ui.lastColor, initial[field]); // the dialog starts from the working colour
    const QColor expected = chosen ? picked : initial[field];
    const AppearanceSettings w = page.workingRecord();
    const QColor working[] = {w.backgroundColor, w.contentsBackgroundColor, w.fontColor};
    QCOMPARE(working[field], expected);
    const QColor shown[] = {baseOf(page.lineEdit_bkgColor), baseOf(page.lineEdit_bkgContentsColor),
                            page.lineEdit_FontLearning->palette().color(QPalette::Text)};
    QCOMPARE(shown[field], expected);
    if (field == 1)
        QCOMPARE(page.page_settingsLearning->palette().color(QPalette::Window), expected);
    // Nothing is applied by the dialog itself.
    QCOMPARE(differences(a, before), QString());
}

void TestSettingsPage::fontDialog_data()
{
    QTest::addColumn<bool>("chosen");
    QTest::newRow("chosen") << true;
    QTest::newRow("cancelled") << false;
}

void TestSettingsPage::fontDialog()
{
    QFETCH(bool, chosen);
    AppearanceSettings a = storedRecord();
    ScriptedInteraction ui;
    SettingsPage page(a, ui);
    const QFont picked(QStringLiteral("DejaVu Sans Mono"), 17);
    if (chosen)
        ui.answerFont(picked);
    else
        ui.expect(ScriptedInteraction::Font);

    page.toolButton_fontLearning->click();
    QVERIFY(ui.done());
    QCOMPARE(ui.lastFont, storedRecord().font);
    const QFont expected = chosen ? picked : storedRecord().font;
    QCOMPARE(page.workingRecord().font, expected);
    QCOMPARE(page.lineEdit_FontLearning->font(), expected);
    QCOMPARE(page.lineEdit_FontLearning->text(), fontDescription(expected));
    QCOMPARE(a.font, storedRecord().font);
}

void TestSettingsPage::applyCancelDefaults_data()
{
    QTest::addColumn<QString>("actions");
    QTest::addColumn<QString>("pageShows"); // stored, changed, defaults, defaults+changed
    QTest::addColumn<QString>("applied");
    QTest::addColumn<int>("emitted");

    QTest::newRow("defaults, cancel") << "defaults cancel"
                                      << "stored"
                                      << "stored" << 0;
    QTest::newRow("defaults, apply") << "defaults apply"
                                     << "defaults"
                                     << "defaults" << 1;
    QTest::newRow("change, cancel") << "change cancel"
                                    << "stored"
                                    << "stored" << 0;
    QTest::newRow("change, apply") << "change apply"
                                   << "changed"
                                   << "changed" << 1;
    QTest::newRow("change, apply, defaults, cancel") << "change apply defaults cancel"
                                                     << "changed"
                                                     << "changed" << 1;
    QTest::newRow("change, defaults, apply") << "change defaults apply"
                                             << "defaults"
                                             << "defaults" << 1;
    QTest::newRow("defaults, change, apply") << "defaults change apply"
                                             << "defaults+changed"
                                             << "defaults+changed" << 1;
    QTest::newRow("defaults, change, cancel") << "defaults change cancel"
                                              << "stored"
                                              << "stored" << 0;
    QTest::newRow("apply unchanged") << "apply"
                                     << "stored"
                                     << "stored" << 1;
    QTest::newRow("change only") << "change"
                                 << "changed"
                                 << "stored" << 0;
    QTest::newRow("apply twice") << "change apply apply"
                                 << "changed"
                                 << "changed" << 2;
}

void TestSettingsPage::applyCancelDefaults()
{
    QFETCH(QString, actions);
    QFETCH(QString, pageShows);
    QFETCH(QString, applied);
    QFETCH(int, emitted);

    AppearanceSettings a = storedRecord();
    ScriptedInteraction ui;
    SettingsPage page(a, ui);
    page.setInitialBackground(kInitialBackground);
    QSignalSpy spy(&page, &SettingsPage::appearanceApplied);

    for (const QString &action : actions.split(QLatin1Char(' '))) {
        if (action == QLatin1String("change")) {
            // A colour through its dialog and three widgets by hand.
            ui.answerColor(kChosenBackground);
            page.toolButton_bkgColor->click();
            page.checkBox_showNumbers->click();
            page.radioButton_Vertical->click();
            page.spinBox_ColorTurnOffCard->setValue(50);
        } else if (action == QLatin1String("apply")) {
            page.pushButton_apply->click();
        } else if (action == QLatin1String("cancel")) {
            page.pushButton_cancel->click();
        } else {
            page.pushButton_byDefault->click();
        }
    }

    const auto record = [](const QString &name) {
        AppearanceSettings r = storedRecord();
        if (name.startsWith(QLatin1String("defaults")))
            r = defaultAppearance(r, QApplication::font(), QFontDatabase::families(),
                                  kInitialBackground);
        if (name.endsWith(QLatin1String("changed"))) {
            r.backgroundColor = kChosenBackground;
            r.showPartsNums = !r.showPartsNums;
            r.vertical = true;
            r.numRightLearn = 50;
        }
        return r;
    };
    QCOMPARE(differences(page.workingRecord(), record(pageShows)), QString());
    QCOMPARE(differences(a, record(applied)), QString());
    QCOMPARE(spy.count(), emitted);
    QVERIFY(ui.done());
}

void TestSettingsPage::defaultsFromTheInstalledFonts()
{
    AppearanceSettings a = storedRecord();
    ScriptedInteraction ui;
    SettingsPage page(a, ui);
    // Taken from the palette at construction, before anything is applied.
    QCOMPARE(page.initialBackground(), QApplication::palette().color(QPalette::Window));
    page.setInitialBackground(kInitialBackground);

    page.slot_byDefaultSettings();
    const AppearanceSettings d = page.workingRecord();
    const bool arial = QFontDatabase::families().contains(QStringLiteral("Arial Unicode MS"));
    QCOMPARE(d.font.family(),
             arial ? QStringLiteral("Arial Unicode MS") : QApplication::font().family());
    QCOMPARE(d.font.pointSize(), 14);
    QCOMPARE(d.font.weight(), QFont::Bold);
    QCOMPARE(d.fontColor, QColor(0, 0, 127));
    QCOMPARE(d.backgroundColor, kInitialBackground);
    QCOMPARE(d.contentsBackgroundColor, QColor(170, 212, 255));
    QVERIFY(page.radioButton_Vertical->isChecked());
    QVERIFY(!page.checkBox_showNumbers->isChecked() &&
            !page.checkBox_showSpeechParts->isChecked() &&
            !page.checkBox_flashOnError->isChecked());
    QCOMPARE(page.spinBox_ColorTurnOffCard->value(), 3);
    QCOMPARE(page.lineEdit_FontLearning->text(), fontDescription(d.font));
}

void TestSettingsPage::spinBoxRange()
{
    AppearanceSettings a;
    ScriptedInteraction ui;
    SettingsPage page(a, ui);
    page.spinBox_ColorTurnOffCard->setValue(150);
    QCOMPARE(page.spinBox_ColorTurnOffCard->value(), 100);
    page.spinBox_ColorTurnOffCard->setValue(-5);
    QCOMPARE(page.spinBox_ColorTurnOffCard->value(), 0);
    page.slot_ApplySettings();
    QCOMPARE(a.numRightLearn, 0);
}

void TestSettingsPage::toolBoxPageKept_data()
{
    QTest::addColumn<int>("stored");
    QTest::addColumn<int>("opened");
    QTest::newRow("first") << 0 << 0;
    QTest::newRow("second") << 1 << 1;
    QTest::newRow("beyond the pages") << 5 << 0;
    QTest::newRow("negative") << -1 << 0;
}

void TestSettingsPage::toolBoxPageKept()
{
    QFETCH(int, stored);
    QFETCH(int, opened);
    AppearanceSettings a;
    a.settingsPage = stored;
    ScriptedInteraction ui;
    SettingsPage page(a, ui);
    QCOMPARE(page.toolBox1->currentIndex(), opened);
    QCOMPARE(a.settingsPage, opened);

    // The open page is kept as it changes, without "Применить", and survives
    // "Отмена" and "По умолчанию".
    page.toolBox1->setCurrentIndex(1 - opened);
    QCOMPARE(a.settingsPage, 1 - opened);
    page.slot_byDefaultSettings();
    page.slot_CancelSettings();
    page.slot_ApplySettings();
    QCOMPARE(a.settingsPage, 1 - opened);
    QCOMPARE(page.toolBox1->currentIndex(), 1 - opened);
}

void TestSettingsPage::writtenAtExit_data()
{
    QTest::addColumn<bool>("apply");
    QTest::newRow("after apply") << true;
    QTest::newRow("without apply") << false;
}

void TestSettingsPage::writtenAtExit()
{
    QFETCH(bool, apply);
    AppearanceSettings a = storedRecord();
    ScriptedInteraction ui;
    SettingsPage page(a, ui);
    ui.answerColor(kChosenBackground);
    page.toolButton_bkgColor->click();
    page.checkBox_flashOnError->click();
    page.spinBox_ColorTurnOffCard->setValue(42);
    if (apply)
        page.pushButton_apply->click();

    // What the host does at exit, then reading the file back at the next start.
    iniReader ini;
    writeAppearance(ini, a);
    const QString r = ini.readEntry(QStringLiteral("SETTINGS_FONT:bckg_r"), QString());
    QCOMPARE(r, QString::number(apply ? kChosenBackground.red() : 10));
    QCOMPARE(ini.readEntry(QStringLiteral("ANOTHER_SETTINGS:num_right_learn"), QString()),
             apply ? QStringLiteral("42") : QStringLiteral("7"));
    QCOMPARE(ini.readEntry(QStringLiteral("ANOTHER_SETTINGS:flash_i_wrong"), QString()),
             apply ? QStringLiteral("false") : QStringLiteral("true"));

    // Read back at the next start (the record's own round trip is tested
    // with the settings store).
    const AppearanceSettings back = readAppearance(ini, QApplication::font());
    QCOMPARE(back.backgroundColor, apply ? kChosenBackground : storedRecord().backgroundColor);
    QCOMPARE(back.settingsPage, 1);
}

// The host's part: on appearanceApplied it shows the applied record on the
// rest of the window.
void TestSettingsPage::hostAppliesToTheWindow()
{
    AppearanceSettings a = storedRecord();
    a.vertical = true;
    ScriptedInteraction ui;
    SettingsPage page(a, ui);

    QWidget window;
    auto *splitter = new QSplitter(Qt::Vertical, &window);
    auto *question = new QTextEdit(splitter);
    auto *answer = new QTextEdit(splitter);
    auto *typed = new QTextEdit(&window);
    auto *browser = new QTextBrowser(&window);
    FrameColors frame;
    const AppearanceTargets targets{
        {question, answer, typed}, splitter, {browser}, &frame, &window};
    connect(&page, &SettingsPage::appearanceApplied, &page,
            [&] { applyAppearanceToWindow(a, targets); });

    const QColor black(0, 0, 0);
    const QColor contents(170, 212, 255);
    const QColor fontColor(0, 0, 127);
    ui.answerColor(black).answerColor(contents).answerColor(fontColor);
    ui.answerFont(QFont(QStringLiteral("DejaVu Sans"), 19));
    page.toolButton_bkgColor->click();
    page.toolButton_bkgContentsColor->click();
    page.toolButton_fontColorLearning->click();
    page.toolButton_fontLearning->click();
    page.radioButton_Horizontal->click();
    QCOMPARE(frame.outer, QColor(255, 200, 200)); // nothing shown before "Применить"
    page.pushButton_apply->click();

    for (QTextEdit *pane : {question, answer, typed}) {
        QCOMPARE(pane->font().family(), QStringLiteral("DejaVu Sans"));
        QCOMPARE(pane->font().pointSize(), 19);
        QCOMPARE(pane->palette().color(QPalette::Base), contents);
        QCOMPARE(pane->palette().color(QPalette::Text), fontColor);
        QCOMPARE(pane->textColor(), fontColor);
    }
    QCOMPARE(browser->palette().color(QPalette::Base), contents);
    QCOMPARE(splitter->orientation(), Qt::Horizontal);
    QCOMPARE(frame.outer, black);
    QCOMPARE(frame.inner, QColor(255, 255, 255)); // the run's colour is left alone
    const QPalette app = QApplication::palette();
    QCOMPARE(app.color(QPalette::Window), black);
    QCOMPARE(app.color(QPalette::Button), black);
    QCOMPARE(app.color(QPalette::Base), contents);
    QCOMPARE(app.color(QPalette::WindowText), QColor(Qt::white));
    // Widgets without a palette of their own follow it (through posted events).
    QTRY_COMPARE(window.palette().color(QPalette::Window), black);
    QTRY_COMPARE(page.pushButton_apply->palette().color(QPalette::Button), black);
}

void TestSettingsPage::splitterFollowsVertical()
{
    QSplitter splitter;
    AppearanceTargets t;
    t.cardSplitter = &splitter;
    AppearanceSettings a;
    for (bool vertical : {true, false, false, true}) {
        a.vertical = vertical;
        applyAppearanceToWindow(a, t);
        QCOMPARE(splitter.orientation(), vertical ? Qt::Vertical : Qt::Horizontal);
    }
}

QTEST_MAIN(TestSettingsPage)
#include "test_settings_page.moc"
