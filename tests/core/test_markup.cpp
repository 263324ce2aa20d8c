#include "core/markup/markup.h"

#include <QTest>

class TestMarkup : public QObject
{
    Q_OBJECT

    static Card twoSectionCard()
    {
        Card c;
        TranslationSection n;
        n.code = QStringLiteral("N");
        n.groups.append({{QStringLiteral("кот"), QString()},
                         {QStringLiteral("кошка"), QStringLiteral("разг.")}});
        TranslationSection v;
        v.code = QStringLiteral("V");
        v.groups.append({{QStringLiteral("ловить"), QString()}});
        v.groups.append(
            {{QStringLiteral("бить"), QString()}, {QStringLiteral("хлестать"), QString()}});
        c.translations = {n, v};
        return c;
    }

private slots:
    void speechPartsAreSortedAndComplete()
    {
        const QStringList &l = speechParts();
        QCOMPARE(l.size(), 18);
        QStringList sorted = l;
        std::sort(sorted.begin(), sorted.end());
        QCOMPARE(l, sorted);
        QCOMPARE(l.first(), QStringLiteral("[*] Неизвестно"));
        QCOMPARE(l.last(), QStringLiteral("[Применено] Особенности применения"));
    }

    void knownCodes_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<bool>("known");
        QTest::newRow("usage") << QStringLiteral("Применено") << true;
        QTest::newRow("S") << "S" << true;
        QTest::newRow("SS") << "SS" << true;
        QTest::newRow("A") << "A" << true;
        QTest::newRow("star") << "*" << true;
        QTest::newRow("lower n") << "n" << false;
        QTest::newRow("empty") << "" << false;
        QTest::newRow("prefix only") << "AB" << false;
        QTest::newRow("bracketed") << "[N]" << false;
    }
    void knownCodes()
    {
        QFETCH(QString, code);
        QFETCH(bool, known);
        QCOMPARE(isKnownSectionCode(code), known);
    }

    void firstLetter_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("letter");
        QTest::newRow("blanks then yo") << QStringLiteral("  ёлка") << QStringLiteral("Ё");
        QTest::newRow("dots only") << "..."
                                   << "";
        QTest::newRow("digit") << "7up"
                               << "7";
        QTest::newRow("latin") << "(the) cat"
                               << "T";
        QTest::newRow("accented latin skipped") << QStringLiteral("étude") << "T";
        QTest::newRow("ukrainian i skipped") << QStringLiteral("їжак") << QStringLiteral("Ж");
        QTest::newRow("empty") << ""
                               << "";
    }
    void firstLetter()
    {
        QFETCH(QString, text);
        QFETCH(QString, letter);
        QCOMPARE(::firstLetter(text), letter);
        QCOMPARE(hasLetterOrDigit(text), !letter.isEmpty());
    }

    void foreignTextLines()
    {
        Card c;
        c.foreignWords = {{"go", "gou", true}, {"went", "went", false}};
        const RenderedText r = foreignText(c);
        QCOMPARE(r.text, QStringLiteral("go\tgou\nwent\twent\n"));
        QCOMPARE(r.lineCount, 2);
    }

    void tableRendering()
    {
        const RenderedText r = translationText(twoSectionCard());
        QCOMPARE(r.text,
                 QStringLiteral("[N] кот,\nкошка (разг.)\n[V] 1. ловить\n2. бить,\nхлестать\n"));
        QCOMPARE(r.lineCount, 5);
    }

    void runRendering_data()
    {
        QTest::addColumn<bool>("codes");
        QTest::addColumn<bool>("nums");
        QTest::addColumn<QString>("text");
        QTest::newRow("both off") << false << false
                                  << QStringLiteral("кот, кошка (разг.)\nловить\nбить, хлестать\n");
        QTest::newRow("codes") << true << false
                               << QStringLiteral(
                                      "[N] кот, кошка (разг.)\n[V] ловить\nбить, хлестать\n");
        QTest::newRow("both on")
            << true << true
            << QStringLiteral("[N] кот, кошка (разг.)\n[V] 1. ловить\n2. бить, хлестать\n");
    }
    void runRendering()
    {
        QFETCH(bool, codes);
        QFETCH(bool, nums);
        QFETCH(QString, text);
        TranslationDisplay d;
        d.showSpeechParts = codes;
        d.showPartsNums = nums;
        QCOMPARE(translationText(twoSectionCard(), d, true).text, text);
    }

    void wholeTextSectionCountsItsLines()
    {
        Card c;
        TranslationSection s;
        s.code = QStringLiteral("S");
        s.groups.append({{QStringLiteral("раз\nдва\nтри"), QString()}});
        c.translations = {s};
        const RenderedText r = translationText(c);
        QCOMPARE(r.text, QStringLiteral("[S] раз\nдва\nтри"));
        QCOMPARE(r.lineCount, 3);
    }

    void emptyGroupTakesALine()
    {
        Card c;
        TranslationSection s;
        s.code = QStringLiteral("N");
        s.groups.append(TranslationGroup());
        s.groups.append({{QStringLiteral("дом"), QString()}});
        c.translations = {s};
        const RenderedText r = translationText(c);
        QCOMPARE(r.text, QStringLiteral("[N] 1. \n2. дом\n"));
        QCOMPARE(r.lineCount, 2);
    }
};

QTEST_GUILESS_MAIN(TestMarkup)
#include "test_markup.moc"
