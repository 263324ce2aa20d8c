#include "core/settings/appearance_rules.h"

#include <QtTest>

class TestAppearanceRules : public QObject
{
    Q_OBJECT

private slots:
    void derivedContents_data();
    void derivedContents();
    void defaultFont_data();
    void defaultFont();
    void defaultRecord();
    void fontDescriptionText();
    void hover_data();
    void hover();
    void palette();
    void paletteReadsOnEveryPage();
};

void TestAppearanceRules::derivedContents_data()
{
    QTest::addColumn<QColor>("page");
    QTest::addColumn<QColor>("contents");
    QTest::newRow("white") << QColor(255, 255, 255) << QColor(170, 212, 255);
    QTest::newRow("black") << QColor(0, 0, 0) << QColor(42, 85, 127);
    // Integer division rounds each half down.
    QTest::newRow("odd sums") << QColor(10, 21, 30) << QColor(47, 95, 142);
}

void TestAppearanceRules::derivedContents()
{
    QFETCH(QColor, page);
    QFETCH(QColor, contents);
    QCOMPARE(derivedContentsBackground(page), contents);
}

void TestAppearanceRules::defaultFont_data()
{
    QTest::addColumn<QStringList>("families");
    QTest::addColumn<QString>("family");
    const QString arial = QStringLiteral("Arial Unicode MS");
    QTest::newRow("installed") << QStringList{QStringLiteral("DejaVu Sans"), arial} << arial;
    QTest::newRow("missing") << QStringList{QStringLiteral("DejaVu Sans")}
                             << QStringLiteral("Liberation Serif");
    // The name must match exactly, as the font database lists it.
    QTest::newRow("similar name only")
        << QStringList{QStringLiteral("Arial Unicode")} << QStringLiteral("Liberation Serif");
    QTest::newRow("no families") << QStringList() << QStringLiteral("Liberation Serif");
}

void TestAppearanceRules::defaultFont()
{
    QFETCH(QStringList, families);
    QFETCH(QString, family);
    QFont app(QStringLiteral("Liberation Serif"), 9);
    app.setItalic(true);
    const QFont f = defaultLearningFont(app, families);
    QCOMPARE(f.family(), family);
    QCOMPARE(f.pointSize(), 14);
    QCOMPARE(f.weight(), QFont::Bold);
    QVERIFY(f.italic()); // everything else stays the application's
}

void TestAppearanceRules::defaultRecord()
{
    AppearanceSettings current;
    current.font = QFont(QStringLiteral("Liberation Serif"), 20);
    current.fontColor = QColor(1, 2, 3);
    current.showPartsNums = current.showSpeechParts = current.flashIfWrong = true;
    current.vertical = false;
    current.numRightLearn = 50;
    current.frameColor = QColor(9, 9, 9);
    current.settingsPage = 1;

    const AppearanceSettings d = defaultAppearance(
        current, QFont(QStringLiteral("DejaVu Sans"), 10), QStringList(), QColor(255, 255, 255));
    QCOMPARE(d.font.family(), QStringLiteral("DejaVu Sans"));
    QCOMPARE(d.font.pointSize(), 14);
    QCOMPARE(d.fontColor, QColor(0, 0, 127));
    QCOMPARE(d.backgroundColor, QColor(255, 255, 255));
    QCOMPARE(d.contentsBackgroundColor, QColor(170, 212, 255));
    QVERIFY(!d.showPartsNums && !d.showSpeechParts && !d.flashIfWrong);
    QVERIFY(d.vertical);
    QCOMPARE(d.numRightLearn, 3);
    // Not appearance values: they stay as they are.
    QCOMPARE(d.frameColor, QColor(9, 9, 9));
    QCOMPARE(d.settingsPage, 1);
}

void TestAppearanceRules::fontDescriptionText()
{
    const QFont f(QStringLiteral("DejaVu Sans"), 14);
    QCOMPARE(fontDescription(f), QStringLiteral("DejaVu Sans, 14 [æðŋɔθʒʧ]"));
    const QString d = fontDescription(f);
    const QList<uint> symbols{0x00E6, 0x00F0, 0x014B, 0x0254, 0x03B8, 0x0292, 0x02A7};
    QCOMPARE(d.right(9).mid(1, 7).toUcs4(), symbols);
}

void TestAppearanceRules::hover_data()
{
    QTest::addColumn<QColor>("contents");
    QTest::addColumn<QColor>("hover");
    QTest::newRow("light") << QColor(170, 212, 255) << QColor(155, 197, 240);
    QTest::newRow("clamped at 0") << QColor(10, 15, 16) << QColor(0, 0, 1);
}

void TestAppearanceRules::hover()
{
    QFETCH(QColor, contents);
    QFETCH(QColor, hover);
    QCOMPARE(hoverBackground(contents), hover);
}

void TestAppearanceRules::palette()
{
    QPalette current(QColor(200, 200, 200));
    current.setColor(QPalette::Highlight, QColor(1, 2, 3));
    AppearanceSettings a;
    a.backgroundColor = QColor(0, 0, 0);
    a.contentsBackgroundColor = QColor(170, 212, 255);

    const QPalette p = appearancePalette(current, a);
    for (QPalette::ColorGroup g : {QPalette::Active, QPalette::Inactive}) {
        QCOMPARE(p.color(g, QPalette::Window), QColor(0, 0, 0));
        QCOMPARE(p.color(g, QPalette::Button), QColor(0, 0, 0));
        QCOMPARE(p.color(g, QPalette::Base), QColor(170, 212, 255));
        // Labels on the black page are white, text in the light areas black.
        QCOMPARE(p.color(g, QPalette::WindowText), QColor(Qt::white));
        QCOMPARE(p.color(g, QPalette::ButtonText), QColor(Qt::white));
        QCOMPARE(p.color(g, QPalette::Text), QColor(Qt::black));
        QCOMPARE(p.color(g, QPalette::Highlight), QColor(1, 2, 3));
    }
    QCOMPARE(p.color(QPalette::Disabled, QPalette::Base), QColor(170, 212, 255));
}

void TestAppearanceRules::paletteReadsOnEveryPage()
{
    // Every page colour the settings page can take, in steps of 15 on each
    // component (0, 15, ..., 255), with the contents colour derived from it:
    // labels, button captions and text keep a contrast of 4.5.
    const QPalette current;
    QStringList faults;
    for (int r = 0; r <= 255; r += 15) {
        for (int g = 0; g <= 255; g += 15) {
            for (int b = 0; b <= 255; b += 15) {
                AppearanceSettings a;
                a.backgroundColor = QColor(r, g, b);
                a.contentsBackgroundColor = derivedContentsBackground(a.backgroundColor);
                const QPalette p = appearancePalette(current, a);
                for (const auto &[text, ground] :
                     {std::pair(QPalette::WindowText, QPalette::Window),
                      std::pair(QPalette::ButtonText, QPalette::Button),
                      std::pair(QPalette::Text, QPalette::Base)}) {
                    const double ratio = contrastRatio(p.color(text), p.color(ground));
                    if (ratio < minimumTextContrast)
                        faults << QStringLiteral("page %1, roles %2 on %3: %4")
                                      .arg(a.backgroundColor.name())
                                      .arg(int(text))
                                      .arg(int(ground))
                                      .arg(ratio);
                }
            }
        }
    }
    QVERIFY2(faults.isEmpty(), qPrintable(faults.mid(0, 5).join(QStringLiteral("; "))));
}

QTEST_GUILESS_MAIN(TestAppearanceRules)
#include "test_appearance_rules.moc"
