#include "core/settings/text_contrast.h"

#include <QImage>
#include <QtTest>

namespace
{

// A key face of `size` pixels: a frame of `border` two pixels wide round a
// vertical gradient from `top` to `bottom`, as the key pictures draw it.
QImage keyFace(const QColor &border, const QColor &top, const QColor &bottom, int size = 30)
{
    QImage image(size, size, QImage::Format_RGB32);
    image.fill(border);
    for (int y = 2; y < size - 2; ++y) {
        const int t = y - 2, span = size - 5;
        const auto mix = [&](int a, int b) { return a + (b - a) * t / span; };
        const QColor c(mix(top.red(), bottom.red()), mix(top.green(), bottom.green()),
                       mix(top.blue(), bottom.blue()));
        for (int x = 2; x < size - 2; ++x)
            image.setPixelColor(x, y, c);
    }
    return image;
}

// Where a sign stands on a 30-pixel key: its line box and a pixel round it.
const QRect kSignArea(8, 5, 14, 20);

} // namespace

class TestTextContrast : public QObject
{
    Q_OBJECT

private slots:
    void ratio_data();
    void ratio();
    void readableText_data();
    void readableText();
    void everyColourHasReadableText();
    void textOverPicture_data();
    void textOverPicture();
    void variant_data();
    void variant();
    void variantReadsOnEveryPage();
};

void TestTextContrast::ratio_data()
{
    QTest::addColumn<QColor>("a");
    QTest::addColumn<QColor>("b");
    QTest::addColumn<double>("ratio");
    QTest::newRow("black on white") << QColor(0, 0, 0) << QColor(255, 255, 255) << 21.0;
    QTest::newRow("either order") << QColor(255, 255, 255) << QColor(0, 0, 0) << 21.0;
    QTest::newRow("the same") << QColor(12, 200, 99) << QColor(12, 200, 99) << 1.0;
    // The grey that just misses level AA on white, and the one that passes.
    QTest::newRow("#777777 on white") << QColor(0x77, 0x77, 0x77) << QColor(Qt::white) << 4.48;
    QTest::newRow("#767676 on white") << QColor(0x76, 0x76, 0x76) << QColor(Qt::white) << 4.54;
    // What the phonetic keys showed on the default dark page: the white
    // button text on the lightest and the darkest part of the raised face.
    QTest::newRow("white sign, face top") << QColor(Qt::white) << QColor(255, 255, 255) << 1.0;
    QTest::newRow("white sign, face bottom") << QColor(Qt::white) << QColor(230, 235, 241) << 1.20;
    QTest::newRow("pure blue on black") << QColor(0, 0, 255) << QColor(0, 0, 0) << 2.44;
}

void TestTextContrast::ratio()
{
    QFETCH(QColor, a);
    QFETCH(QColor, b);
    QFETCH(double, ratio);
    QVERIFY2(qAbs(contrastRatio(a, b) - ratio) < 0.01,
             qPrintable(QString::number(contrastRatio(a, b))));
}

void TestTextContrast::readableText_data()
{
    QTest::addColumn<QColor>("background");
    QTest::addColumn<QColor>("text");
    QTest::newRow("black page") << QColor(0, 0, 0) << QColor(Qt::white);
    QTest::newRow("dark derived contents") << QColor(42, 85, 127) << QColor(Qt::white);
    QTest::newRow("light contents") << QColor(170, 212, 255) << QColor(Qt::black);
    QTest::newRow("first start page") << QColor(236, 236, 236) << QColor(Qt::black);
    QTest::newRow("white") << QColor(255, 255, 255) << QColor(Qt::black);
    QTest::newRow("yellow") << QColor(255, 255, 0) << QColor(Qt::black);
    // Pure blue is dark although one component is at its maximum.
    QTest::newRow("blue") << QColor(0, 0, 255) << QColor(Qt::white);
    // Pure red is light enough for black: white on it reads at 4.0 only (a
    // rule of perceived brightness, 76 of 255, chose white).
    QTest::newRow("red") << QColor(255, 0, 0) << QColor(Qt::black);
    QTest::newRow("alert red") << QColor(255, 60, 60) << QColor(Qt::black);
    QTest::newRow("not found pink") << QColor(255, 85, 127) << QColor(Qt::black);
    // Greys meet at the luminance where black and white read alike.
    QTest::newRow("grey 117") << QColor(117, 117, 117) << QColor(Qt::white);
    QTest::newRow("grey 118") << QColor(118, 118, 118) << QColor(Qt::black);
    QTest::newRow("table file header") << QColor(208, 167, 31) << QColor(Qt::black);
    QTest::newRow("table lesson header") << QColor(178, 236, 43) << QColor(Qt::black);
    QTest::newRow("table letter header") << QColor(142, 236, 233) << QColor(Qt::black);
}

void TestTextContrast::readableText()
{
    QFETCH(QColor, background);
    QFETCH(QColor, text);
    QCOMPARE(readableTextColor(background), text);
    QVERIFY(contrastRatio(text, background) >= minimumTextContrast);
}

void TestTextContrast::everyColourHasReadableText()
{
    // All 16.7 million colours a colour dialog can give.
    int faults = 0;
    QColor first;
    for (int r = 0; r < 256; ++r)
        for (int g = 0; g < 256; ++g)
            for (int b = 0; b < 256; ++b) {
                const QColor c(r, g, b);
                if (contrastRatio(readableTextColor(c), c) < 4.58 && !faults++)
                    first = c;
            }
    QVERIFY2(faults == 0,
             qPrintable(QStringLiteral("%1 colours, first %2").arg(faults).arg(first.name())));
}

void TestTextContrast::textOverPicture_data()
{
    QTest::addColumn<QImage>("picture");
    QTest::addColumn<QRect>("area");
    QTest::addColumn<QColor>("text");
    // The raised and the pressed key pictures (Button30_30*.svg); their dark
    // frames stand outside the sign and do not count.
    const QImage raised =
        keyFace(QColor(0x9a, 0xa8, 0xb7), QColor(0xff, 0xff, 0xff), QColor(0xe2, 0xe8, 0xef));
    const QImage pressed =
        keyFace(QColor(0x7d, 0x8b, 0x9a), QColor(0xc3, 0xcd, 0xd8), QColor(0xd9, 0xe0, 0xe8));
    QTest::newRow("raised key") << raised << kSignArea << QColor(Qt::black);
    QTest::newRow("pressed key") << pressed << kSignArea << QColor(Qt::black);
    QTest::newRow("dark face") << keyFace(QColor(0xc0, 0xc0, 0xc0), QColor(0x1e, 0x26, 0x30),
                                          QColor(0x3a, 0x46, 0x54))
                               << kSignArea << QColor(Qt::white);
    // A face that runs from mid grey to white: black reads on all of it.
    QTest::newRow("grey to white")
        << keyFace(QColor(0, 0, 0), QColor(118, 118, 118), QColor(255, 255, 255)) << kSignArea
        << QColor(Qt::black);
    // The sign's area alone decides; where it misses the picture, the
    // whole picture does (here its dark frame tips it to white).
    const QImage framed = keyFace(QColor(40, 40, 40), QColor(200, 200, 200), QColor(200, 200, 200));
    QTest::newRow("light centre") << framed << kSignArea << QColor(Qt::black);
    QTest::newRow("area off the picture") << framed << QRect(100, 100, 10, 10) << QColor(Qt::white);
}

void TestTextContrast::textOverPicture()
{
    QFETCH(QImage, picture);
    QFETCH(QRect, area);
    QFETCH(QColor, text);
    QCOMPARE(readableTextColorOver(picture, area), text);
    if (area.intersects(picture.rect()))
        QVERIFY2(worstContrastOver(picture, area, text) >= minimumTextContrast,
                 qPrintable(QString::number(worstContrastOver(picture, area, text))));
}

void TestTextContrast::variant_data()
{
    QTest::addColumn<QColor>("wanted");
    QTest::addColumn<QColor>("background");
    QTest::addColumn<bool>("kept");
    QTest::newRow("blue on white") << QColor(0, 0, 255) << QColor(255, 255, 255) << true;
    QTest::newRow("blue on the first start page")
        << QColor(0, 0, 255) << QColor(236, 236, 236) << true;
    QTest::newRow("blue on black") << QColor(0, 0, 255) << QColor(0, 0, 0) << false;
    QTest::newRow("blue on blue") << QColor(0, 0, 255) << QColor(0, 0, 255) << false;
    QTest::newRow("black on black") << QColor(0, 0, 0) << QColor(0, 0, 0) << false;
    QTest::newRow("navy on dark contents") << QColor(0, 0, 127) << QColor(42, 85, 127) << false;
}

void TestTextContrast::variant()
{
    QFETCH(QColor, wanted);
    QFETCH(QColor, background);
    QFETCH(bool, kept);
    const QColor got = readableVariant(wanted, background);
    QVERIFY2(contrastRatio(got, background) >= minimumTextContrast, qPrintable(got.name()));
    QCOMPARE(got == wanted, kept);
    // A blue stays blue where it moves at all, unless it is black.
    if (wanted.blue() > wanted.red() && got != QColor(Qt::white))
        QVERIFY2(got.blue() > got.red(), qPrintable(got.name()));
}

void TestTextContrast::variantReadsOnEveryPage()
{
    QStringList faults;
    for (int r = 0; r <= 255; r += 15)
        for (int g = 0; g <= 255; g += 15)
            for (int b = 0; b <= 255; b += 15) {
                const QColor page(r, g, b);
                const QColor got = readableVariant(QColor(0, 0, 255), page);
                if (contrastRatio(got, page) < minimumTextContrast)
                    faults << page.name();
            }
    QVERIFY2(faults.isEmpty(), qPrintable(faults.mid(0, 5).join(QLatin1Char(' '))));
}

QTEST_GUILESS_MAIN(TestTextContrast)
#include "test_text_contrast.moc"
