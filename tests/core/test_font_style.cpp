#include "core/settings/font_style.h"

#include <QTest>

Q_DECLARE_METATYPE(FontStyleInfo)

// The font chooser opens on the font's own style, and OK without a change
// gives the font back as it was.
class TestFontStyle : public QObject
{
    Q_OBJECT

    static QList<FontStyleInfo> dejaVuSans()
    {
        return {{"Book", QFont::Normal, false},
                {"Oblique", QFont::Normal, true},
                {"Bold", QFont::Bold, false},
                {"Bold Oblique", QFont::Bold, true},
                {"ExtraLight", QFont::ExtraLight, false}};
    }

private slots:
    void matchingStyle_data()
    {
        QTest::addColumn<int>("weight");
        QTest::addColumn<bool>("italic");
        QTest::addColumn<QList<FontStyleInfo>>("styles");
        QTest::addColumn<QString>("style");
        const auto dejaVu = dejaVuSans();
        QTest::newRow("plain: Book, not Oblique")
            << int(QFont::Normal) << false << dejaVu << "Book";
        QTest::newRow("italic") << int(QFont::Normal) << true << dejaVu << "Oblique";
        QTest::newRow("bold") << int(QFont::Bold) << false << dejaVu << "Bold";
        QTest::newRow("bold italic") << int(QFont::Bold) << true << dejaVu << "Bold Oblique";
        QTest::newRow("semi-bold: nearest") << int(QFont::DemiBold) << false << dejaVu << "Bold";
        QTest::newRow("thin: nearest") << int(QFont::Thin) << false << dejaVu << "ExtraLight";
        QTest::newRow("italic wanted, none there")
            << int(QFont::Normal) << true
            << QList<FontStyleInfo>{{"Regular", QFont::Normal, false}, {"Bold", QFont::Bold, false}}
            << "Regular";
        QTest::newRow("no styles")
            << int(QFont::Normal) << false << QList<FontStyleInfo>() << QString();
    }
    void matchingStyle()
    {
        QFETCH(int, weight);
        QFETCH(bool, italic);
        QFETCH(QList<FontStyleInfo>, styles);
        QFETCH(QString, style);
        QCOMPARE(::matchingStyle(weight, italic, styles), style);
    }

    void chosenFont()
    {
        QFont opened("DejaVu Sans", 14, QFont::Medium, false);
        // Unchanged: the font as it was, even with a weight the family lacks.
        QFont same("DejaVu Sans", 14);
        same.setStyleName("Book");
        QCOMPARE(::chosenFont(opened, "Book", same), opened);
        // Another style or size: the chooser's font, without the style name.
        QFont bold("DejaVu Sans", 14, QFont::Bold);
        bold.setStyleName("Bold");
        const QFont chosen = ::chosenFont(opened, "Book", bold);
        QCOMPARE(chosen.weight(), int(QFont::Bold));
        QVERIFY(chosen.styleName().isEmpty());
        QFont bigger(same);
        bigger.setPointSize(16);
        QCOMPARE(::chosenFont(opened, "Book", bigger).pointSize(), 16);
    }
};

QTEST_GUILESS_MAIN(TestFontStyle)
#include "test_font_style.moc"
