#include "core/editor/card_apply.h"
#include "core/editor/picker_geometry.h"
#include "core/editor/translation_parser.h"
#include "test_cards.h"

#include <QTest>

namespace
{

// "word|transcription|t;..." for the foreign lines.
QList<ForeignLineInput> lines(const QString &text)
{
    QList<ForeignLineInput> out;
    for (const QString &l : text.split(';')) {
        const QStringList f = l.split('|');
        ForeignLineInput in;
        in.word = f.value(0);
        in.transcription = f.value(1);
        in.autoCheck = f.value(2) == "t";
        out << in;
    }
    while (out.size() < kMinForeignLines)
        out << ForeignLineInput();
    return out;
}

QString words(const Card &c)
{
    QStringList out;
    for (const ForeignWord &w : c.foreignWords)
        out << w.word + '|' + w.transcription + (w.autoCheck ? "|t" : "");
    return out.join(';');
}

const StringSet kCategories = {"Дом", "Еда"};

CardEditorInput validInput()
{
    CardEditorInput in;
    in.lesson = "Урок 1";
    in.lines = lines("cat|kæt|t");
    in.translations = "[N] кот";
    in.priorityER = 2;
    in.priorityRE = 3;
    in.categories = QStringList{"Дом", "Еда"};
    in.soundFiles = "cat.wav";
    return in;
}

} // namespace

class TestCardApply : public QObject
{
    Q_OBJECT

private slots:
    // Each row changes one field of a valid input and names the outcome:
    // the stopping message, or the field of the card that results.
    void applySteps_data()
    {
        using namespace CardEditorText;
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QStringList>("warnings");
        QTest::addColumn<QString>("error");
        QTest::addColumn<QString>("result"); // "lesson=…", "words=…", "sound=…", ...
        const QStringList none;
        const QString alone = transcriptionAlone();
        const QString angle = TranslationText::angleBracketWarning();

        QTest::newRow("valid") << ""
                               << "" << none << ""
                               << "words=cat|kæt|t";
        QTest::newRow("empty lesson") << "lesson"
                                      << "" << none << lessonMissing() << "";
        QTest::newRow("blank lesson refused") << "lesson"
                                              << "   " << none << lessonMissing() << "";
        QTest::newRow("lesson simplified") << "lesson"
                                           << "  Урок \t 2 " << none << ""
                                           << "lesson=Урок 2";
        QTest::newRow("words and transcriptions simplified")
            << "lines"
            << " big   cat |  bɪg  kæt ;dog" << none << ""
            << "words=big cat|bɪg kæt;dog|";
        QTest::newRow("transcription without a word") << "lines"
                                                      << "|kæt;cat|kæt" << QStringList{alone} << ""
                                                      << "words=cat|kæt";
        QTest::newRow("word of signs dropped silently") << "lines"
                                                        << "???|;cat|" << none << ""
                                                        << "words=cat|";
        QTest::newRow("digits are a word") << "lines"
                                           << "42|" << none << ""
                                           << "words=42|";
        QTest::newRow("no foreign word") << "lines"
                                         << "|" << none << noForeignWord() << "";
        QTest::newRow("warning before the stop")
            << "lines"
            << "...|tr" << QStringList{alone} << noForeignWord() << "";
        QTest::newRow("seven words all kept") << "lines"
                                              << "a|;b|;c|;d|;e|;f|;g|" << none << ""
                                              << "words=a|;b|;c|;d|;e|;f|;g|";
        QTest::newRow("empty Russian text") << "translations"
                                            << "" << none << noRussianWord() << "";
        QTest::newRow("group number only") << "translations"
                                           << "  [N] 1.  " << none << noRussianWord() << "";
        QTest::newRow("parse error stops")
            << "translations"
            << "[N] a [N] b" << none << TranslationText::duplicateSectionError("N") << "";
        QTest::newRow("parse warnings kept in order") << "translations"
                                                      << "[N] a<" << QStringList{angle} << ""
                                                      << "russian=N{a}";
        QTest::newRow("foreign warnings before parse warnings")
            << "lines+translations"
            << "|x;cat|" << QStringList{alone, angle} << TranslationText::unknownSectionError("X")
            << "";
        QTest::newRow("no category") << "categories"
                                     << "" << none << noCategory() << "";
        QTest::newRow("categories in list order") << "categories"
                                                  << "Еда,Дом" << none << ""
                                                  << "categories=Еда,Дом";
        QTest::newRow("sound simplified") << "sound"
                                          << "  a.wav ;   b.wav " << none << ""
                                          << "sound=a.wav ; b.wav";
        // The card must come back from a file as it is.
        QTest::newRow("character a file cannot hold")
            << "lines"
            << "ca\x01t|" << none
            << notStorable("иностранное слово «ca\x01t» содержит символ, недопустимый в файле "
                           "словаря (код U+0001)")
            << "";
        QTest::newRow("phrase a file cannot hold")
            << "translations"
            << "[S] a\x01z" << none
            << notStorable("перевод «a\x01z» содержит символ, недопустимый в файле словаря "
                           "(код U+0001)")
            << "";
        QTest::newRow("section without a word dropped") << "translations"
                                                        << "[N] кот [V]" << none << ""
                                                        << "sections=N";
        QTest::newRow("category missing from the list")
            << "categories"
            << "Еда,Кот" << none << notStorable("категория «Кот» отсутствует в списке категорий")
            << "";
        QTest::newRow("archived") << "archived"
                                  << "1" << none << ""
                                  << "nAr=0";
        QTest::newRow("not archived") << "archived"
                                      << "0" << none << ""
                                      << "nAr=1";
    }
    void applySteps()
    {
        QFETCH(QString, field);
        QFETCH(QString, value);
        QFETCH(QStringList, warnings);
        QFETCH(QString, error);
        QFETCH(QString, result);

        CardEditorInput in = validInput();
        if (field == "lesson")
            in.lesson = value;
        else if (field == "lines")
            in.lines = lines(value);
        else if (field == "translations")
            in.translations = value;
        else if (field == "lines+translations") {
            in.lines = lines(value);
            in.translations = "[N] a< [X] b";
        } else if (field == "categories")
            in.categories = value.split(',', Qt::SkipEmptyParts);
        else if (field == "sound")
            in.soundFiles = value;
        else if (field == "archived")
            in.archived = value == "1";

        Card edited = makeCard("old", {"старый"}, "Старый урок", "/d/a.xml");
        const CardApplyResult r = applyCardEditor(edited, in, kCategories);
        QCOMPARE(r.warnings, warnings);
        QCOMPARE(r.error, error);
        if (!error.isEmpty())
            return;
        const Card &c = r.card;
        const QString key = result.section('=', 0, 0);
        const QString want = result.section('=', 1);
        if (key == "lesson")
            QCOMPARE(c.lesson, want);
        else if (key == "words")
            QCOMPARE(words(c), want);
        else if (key == "russian")
            QCOMPARE(c.translations.first().groups.first().first().word, want.mid(2, 1));
        else if (key == "categories")
            QCOMPARE(QStringList(c.categories.cbegin(), c.categories.cend()).join(','), want);
        else if (key == "sound")
            QCOMPARE(c.soundPath, want);
        else if (key == "sections") {
            QStringList codes;
            for (const TranslationSection &sec : c.translations)
                codes << sec.code;
            QCOMPARE(codes.join(','), want);
        } else if (key == "nAr")
            QCOMPARE(int(c.nAr), want.toInt());
    }

    void applyRestartsRepetitionAndKeepsIdentity()
    {
        Card edited = makeCard("cat", {"кот"}, "L", "/d/a.xml");
        edited.id = 17;
        edited.runMark = 4;
        edited.inFilter = false;
        edited.nPER = 3;
        edited.pER = 4;
        edited.rER = 3;
        edited.aER = 2;
        edited.nPRE = 2;
        edited.pRE = 5;
        edited.rRE = 1;
        edited.aRE = 1;
        CardEditorInput in = editorInputFromCard(edited);
        in.priorityER = 2;
        const CardApplyResult r = applyCardEditor(edited, in, kCategories);
        QVERIFY(r.ok());
        const Card &c = r.card;
        QCOMPARE(c.id, 17);
        QCOMPARE(c.filePath, QString("/d/a.xml"));
        QCOMPARE(c.runMark, 0);
        QVERIFY(c.inFilter);
        QCOMPARE(c.nPER, 2);
        QCOMPARE(c.pER, 2);
        QCOMPARE(c.nPRE, 2);
        QCOMPARE(c.pRE, 2);
        QCOMPARE(c.rER + c.aER + c.rRE + c.aRE, 0);
    }

    void loadedCardAppliesUnchanged()
    {
        Card card = makeCard("cat", {"кот", "кошка"}, "Урок 1", "/d/a.xml", {"Еда", "Дом"});
        card.foreignWords.append({"puss", "pʊs", true});
        card.translations.append(TranslationSection{{{{"мяукать", "о кошке"}}}, "V"});
        card.soundPath = "cat.wav";
        card.nAr = false;
        card.nPER = card.pER = 4;
        card.nPRE = card.pRE = 2;
        const CardEditorInput in = editorInputFromCard(card);
        QCOMPARE(in.lines.size(), kMinForeignLines);
        QCOMPARE(in.lines.at(1), (ForeignLineInput{"puss", "pʊs", true}));
        QVERIFY(in.archived);
        const CardApplyResult r = applyCardEditor(card, in, kCategories);
        QVERIFY(r.ok());
        QVERIFY(r.warnings.isEmpty());
        QVERIFY(r.card.sameContent(card));
    }

    void cardWithManyWordsGetsALineEach()
    {
        Card card = makeCard("w0");
        for (int i = 1; i < 8; ++i)
            card.foreignWords.append({QString("w%1").arg(i), QString(), false});
        const CardEditorInput in = editorInputFromCard(card);
        QCOMPARE(in.lines.size(), 8);
        const CardApplyResult r = applyCardEditor(card, in, kCategories);
        QVERIFY(r.ok());
        QCOMPARE(r.card.foreignWords, card.foreignWords);
    }

    void chosenCategories_data()
    {
        QTest::addColumn<QStringList>("card");
        QTest::addColumn<QStringList>("shown");
        QTest::newRow("sorted") << QStringList{"Еда", "Дом"} << QStringList{"Дом", "Еда"};
        QTest::newRow("first six of eight, repeats skipped")
            << QStringList{"h", "a", "h", "g", "b", "f", "c", "e", "d"}
            << QStringList{"a", "b", "c", "f", "g", "h"};
        QTest::newRow("none") << QStringList() << QStringList();
    }
    void chosenCategories()
    {
        QFETCH(QStringList, card);
        QFETCH(QStringList, shown);
        QCOMPARE(initialChosenCategories(QList<QString>(card.cbegin(), card.cend())), shown);
    }

    void categoryLimit_data()
    {
        QTest::addColumn<QStringList>("chosen");
        QTest::addColumn<QString>("candidate");
        QTest::addColumn<bool>("allowed");
        QTest::newRow("room left") << QStringList{"a"} << "b" << true;
        QTest::newRow("already there") << QStringList{"a", "b"} << "b" << false;
        QTest::newRow("nothing selected") << QStringList{"a"} << "" << false;
        QTest::newRow("five then one more") << QStringList{"a", "b", "c", "d", "e"} << "f" << true;
        QTest::newRow("six is the limit")
            << QStringList{"a", "b", "c", "d", "e", "f"} << "g" << false;
    }
    void categoryLimit()
    {
        QFETCH(QStringList, chosen);
        QFETCH(QString, candidate);
        QFETCH(bool, allowed);
        QCOMPARE(canChooseCategory(chosen, candidate), allowed);
    }

    void snapping_data()
    {
        QTest::addColumn<QRect>("categories");
        QTest::addColumn<bool>("editorMoved");
        QTest::addColumn<bool>("moves");
        QTest::addColumn<QPoint>("to");
        // The editor's frame is (100, 100) 400 x 300: right edge 500, bottom 400.
        QTest::newRow("15 px right, editor moved pulls the window")
            << QRect(515, 150, 200, 300) << true << true << QPoint(500, 100);
        QTest::newRow("15 px right, window moved pulls the editor")
            << QRect(515, 150, 200, 300) << false << true << QPoint(115, 150);
        QTest::newRow("overlapping the right edge by 20")
            << QRect(480, 50, 200, 100) << true << true << QPoint(500, 100);
        QTest::newRow("21 px right is too far")
            << QRect(521, 150, 200, 300) << true << false << QPoint();
        QTest::newRow("taller than the editor on both sides")
            << QRect(505, 50, 200, 500) << true << true << QPoint(500, 100);
        QTest::newRow("right but below the editor")
            << QRect(505, 450, 200, 100) << true << false << QPoint();
        QTest::newRow("below, editor moved")
            << QRect(200, 410, 200, 100) << true << true << QPoint(100, 400);
        QTest::newRow("below, window moved")
            << QRect(200, 410, 200, 100) << false << true << QPoint(200, 110);
        QTest::newRow("below but beside") << QRect(600, 395, 100, 100) << true << false << QPoint();
        QTest::newRow("wider than the editor below")
            << QRect(50, 390, 600, 100) << true << true << QPoint(100, 400);
    }
    void snapping()
    {
        QFETCH(QRect, categories);
        QFETCH(bool, editorMoved);
        QFETCH(bool, moves);
        QFETCH(QPoint, to);
        QPoint got;
        QCOMPARE(snapPosition(QRect(100, 100, 400, 300), categories, editorMoved, &got), moves);
        if (moves)
            QCOMPARE(got, to);
    }

    void symbolGrid_data()
    {
        QTest::addColumn<QSize>("view");
        QTest::addColumn<int>("cell");
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("columns");
        QTest::addColumn<int>("rows");
        QTest::addColumn<QSize>("contents");
        QTest::newRow("one row fits") << QSize(380, 80) << 24 << 14 << 15 << 1 << QSize(360, 23);
        QTest::newRow("room for the scroll bar")
            << QSize(100, 24) << 24 << 14 << 3 << 5 << QSize(72, 115);
        QTest::newRow("exactly fills") << QSize(96, 48) << 24 << 8 << 4 << 2 << QSize(96, 46);
        QTest::newRow("narrower than a cell")
            << QSize(10, 10) << 24 << 3 << 1 << 3 << QSize(24, 69);
    }
    void symbolGrid()
    {
        QFETCH(QSize, view);
        QFETCH(int, cell);
        QFETCH(int, count);
        QFETCH(int, columns);
        QFETCH(int, rows);
        QFETCH(QSize, contents);
        const SymbolGridLayout g = symbolGridLayout(view.width(), view.height(), cell, count);
        QCOMPARE(g.columns, columns);
        QCOMPARE(g.rows, rows);
        QCOMPARE(g.contents, contents);
        QCOMPARE(g.cellPos(count - 1),
                 QPoint(((count - 1) % columns) * cell, ((count - 1) / columns) * cell));
    }
};

QTEST_GUILESS_MAIN(TestCardApply)
#include "test_card_apply.moc"
