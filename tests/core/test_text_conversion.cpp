#include "core/convert/text_conversion.h"
#include "core/dictionary/card_check.h"

#include <QtTest>

namespace
{

// A card in one line: foreign words "word/[tr]" joined by "|", then "=",
// then each section as code{variant(info),...}.
QString describe(const Card &c)
{
    QStringList foreign;
    for (const ForeignWord &fw : c.foreignWords)
        foreign << (fw.transcription.isEmpty() ? fw.word : fw.word + "/" + fw.transcription);
    QString s = foreign.join("|") + "=";
    for (const TranslationSection &section : c.translations) {
        QStringList groups;
        for (const TranslationGroup &g : section.groups) {
            QStringList variants;
            for (const TranslationVariant &v : g)
                variants << (v.info.isEmpty() ? v.word : v.word + "(" + v.info + ")");
            groups << variants.join(",");
        }
        s += section.code + "{" + groups.join("/") + "}";
    }
    return s;
}

// The cards a parser makes of the text, one description per card.
QStringList parseAll(const QString &text, bool simple)
{
    QList<Card> cards;
    int pos = 0;
    while (pos < text.size()) {
        const int before = pos;
        if (simple)
            parseLineSimple("L", cards, text, pos, int(text.size()));
        else
            parseLineNormal("L", cards, text, pos, int(text.size()));
        if (pos <= before)
            return {"<no progress>"};
    }
    QStringList out;
    for (const Card &c : cards)
        out << describe(c);
    return out;
}

} // namespace

class TestTextConversion : public QObject
{
    Q_OBJECT

private slots:
    void normalLine_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("card"); // empty: no card

        QTest::newRow("one word") << "translation = перевод"
                                  << "translation=*{перевод}";
        QTest::newRow("phrase makes SS") << "It's a sentence = это фраза"
                                         << "It's a sentence=SS{это фраза}";
        QTest::newRow("two variants") << "time = часы, раз"
                                      << "time=*{часы,раз}";
        QTest::newRow("sections, transcription, remark")
            << "word [wɜːd], vocable = [N] слово (единица речи), вокабула [V] говорить"
            << "word/[wɜːd]|vocable=N{слово(единица речи),вокабула}V{говорить}";
        QTest::newRow("blank first keeps the comma") << "house = большой дом, здание"
                                                     << "house=SS{большой дом, здание}";
        QTest::newRow("three foreign forms") << "go, went, gone = идти"
                                             << "go|went|gone=*{идти}";
        QTest::newRow("at most five foreign words") << "a, b, c, d, e, f = буквы"
                                                    << "a|b|c|d|e=*{буквы}";
        QTest::newRow("foreign remark") << "dog (informal) = пёс"
                                        << "dog/(informal)=*{пёс}";
        QTest::newRow("remark then word") << "word = слово (помета), другое"
                                          << "word=*{слово(помета),другое}";
        QTest::newRow("doubled blanks") << "word  =  слово  ,  другое"
                                        << "word=*{слово,другое}";
        QTest::newRow("tabs") << "word\t=\tслово"
                              << "word=*{слово}";
        QTest::newRow("open remark") << "word = слово (помета"
                                     << "word=*{слово(помета)}";
        QTest::newRow("text after a remark is left") << "word = слово (x) лишнее"
                                                     << "word=*{слово(x)}";
        QTest::newRow("unknown code") << "word = [xyz] слово"
                                      << "word=*{слово}";
        QTest::newRow("repeated code stops") << "word = [N] слово [N] другое"
                                             << "word=N{слово}";
        QTest::newRow("whole text first") << "word = [S] Целая фраза, с запятой"
                                          << "word=S{Целая фраза, с запятой}";
        QTest::newRow("code is case-sensitive") << "word = [n] слово"
                                                << "word=*{слово}";
        QTest::newRow("later empty section kept") << "word = [N] слово [V] , делать"
                                                  << "word=N{слово}V{}";

        QTest::newRow("no equals") << "no equals here"
                                   << "";
        QTest::newRow("blank line") << "   \t "
                                    << "";
        QTest::newRow("no foreign word") << "= только перевод"
                                         << "";
        QTest::newRow("nothing after equals") << "word =   "
                                              << "";
        QTest::newRow("code last on its line") << "word = [N]"
                                               << "";
        QTest::newRow("whole text after a section") << "word = [V] делать [S] фраза"
                                                    << "";
        QTest::newRow("empty first Russian word") << "word = , слово"
                                                  << "";
        QTest::newRow("unclosed code") << "word = [N слово"
                                       << "";
    }
    void normalLine()
    {
        QFETCH(QString, line);
        QFETCH(QString, card);
        QCOMPARE(parseAll(line, false), card.isEmpty() ? QStringList() : QStringList{card});
    }

    void simpleLine_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("card");

        QTest::newRow("list") << "time = часы, раз"
                              << "time=*{часы,раз}";
        QTest::newRow("phrase") << "time = часы раз"
                                << "time=SS{часы раз}";
        QTest::newRow("foreign list") << "go, went, gone = идти"
                                      << "go|went|gone=*{идти}";
        QTest::newRow("foreign phrase with comma") << "look after, take care = заботиться"
                                                   << "look after, take care=*{заботиться}";
        QTest::newRow("trailing blanks are no phrase") << "time = часы, раз   "
                                                       << "time=*{часы,раз}";
        QTest::newRow("tabs") << "a\t=\tb"
                              << "a=*{b}";
        QTest::newRow("empty piece ends the list") << "w = a,,b"
                                                   << "w=*{a}";
        QTest::newRow("five foreign words") << "a,b,c,d,e,f = x"
                                            << "a|b|c|d|e=*{x}";
        QStringList many;
        for (int i = 1; i <= 25; ++i)
            many << QString::number(i);
        QTest::newRow("twenty variants")
            << "w = " + many.join(", ") << "w=*{" + many.mid(0, 20).join(",") + "}";

        QTest::newRow("bracket on the Russian side") << "time = [N] часы"
                                                     << "";
        QTest::newRow("bracket on the foreign side") << "time [taɪm] = часы"
                                                     << "";
        QTest::newRow("no equals") << "no equals"
                                   << "";
        QTest::newRow("nothing after equals") << "word =   "
                                              << "";
        QTest::newRow("only commas") << "w = ,"
                                     << "";
        QTest::newRow("no foreign word") << ", = x"
                                         << "";
    }
    void simpleLine()
    {
        QFETCH(QString, line);
        QFETCH(QString, card);
        QCOMPARE(parseAll(line, true), card.isEmpty() ? QStringList() : QStringList{card});
    }

    // A line that makes no card costs only itself: neither a dropped card
    // nor a section code at a line's end takes the next line with it.
    void droppedLinesKeepTheNext_data()
    {
        QTest::addColumn<bool>("simple");
        QTest::newRow("normal") << false;
        QTest::newRow("simple") << true;
    }
    void droppedLinesKeepTheNext()
    {
        QFETCH(bool, simple);
        const QString text = "bad line\n"
                             "one = один\n"
                             "word = [V] делать [S] фраза\n"
                             "two = два\n"
                             "word = , слово\n"
                             "three = три\n"
                             "word = [N]\n"
                             "four = четыре\n"
                             "word = [N слово\n"
                             "five = пять\n"
                             "\n"
                             "six = шесть";
        QCOMPARE(parseAll(text, simple),
                 QStringList({"one=*{один}", "two=*{два}", "three=*{три}", "four=*{четыре}",
                              "five=*{пять}", "six=*{шесть}"}));
    }

    void lessonsAreNumbered_data()
    {
        QTest::addColumn<bool>("simple");
        QTest::addColumn<int>("perLesson");
        QTest::addColumn<QStringList>("lessons"); // "name:count"
        QTest::newRow("30 per lesson")
            << false << 30 << QStringList{"Урок_1:30", "Урок_2:30", "Урок_3:5"};
        QTest::newRow("simple, 30")
            << true << 30 << QStringList{"Урок_1:30", "Урок_2:30", "Урок_3:5"};
        QTest::newRow("65 in one lesson") << false << 200 << QStringList{"Урок_1:65"};
        QTest::newRow("exact multiple")
            << false << 13
            << QStringList{"Урок_1:13", "Урок_2:13", "Урок_3:13", "Урок_4:13", "Урок_5:13"};
    }
    void lessonsAreNumbered()
    {
        QFETCH(bool, simple);
        QFETCH(int, perLesson);
        QFETCH(QStringList, lessons);
        // Lines that make no card between the good ones do not count.
        QString text;
        for (int i = 1; i <= 65; ++i)
            text += QString("word%1 = слово%1\nno card here\n\n").arg(i);
        ConversionOptions options;
        options.cardsInLesson = perLesson;
        options.simpleParsing = simple;
        const QList<Card> cards = convertTextToCards(text, options);

        QStringList counted;
        for (const Card &c : cards) {
            const QString last = counted.isEmpty() ? QString() : counted.last().section(':', 0, 0);
            if (last == c.lesson)
                counted.last() =
                    c.lesson + ":" + QString::number(counted.last().section(':', 1).toInt() + 1);
            else
                counted << c.lesson + ":1";
        }
        QCOMPARE(counted, lessons);
        QCOMPARE(cards.first().foreignWords.first().word, QString("word1"));
        QCOMPARE(cards.last().foreignWords.first().word, QString("word65"));
    }

    void convertedCardsAreFresh()
    {
        ConversionOptions options;
        options.lessonNamePattern = "Глава ";
        const QList<Card> cards = convertTextToCards("a = б\r\nc = д\r\n", options);
        QCOMPARE(cards.size(), 2);
        const Card fresh;
        for (const Card &c : cards) {
            QCOMPARE(c.lesson, QString("Глава 1"));
            QCOMPARE(c.categories, QList<QString>{"Прочие"});
            QCOMPARE(c.id, 0);
            QVERIFY(c.filePath.isEmpty());
            QVERIFY(c.nAr);
            QCOMPARE(c.nPER, fresh.nPER);
            QCOMPARE(c.pRE, fresh.pRE);
            QCOMPARE(c.translations.size(), 1);
            QCOMPARE(c.translations.first().groups.size(), 1);
        }
        // CR LF ends leave nothing of the CR in the words.
        QCOMPARE(describe(cards.at(1)), QString("c=*{д}"));
    }

    // A list with a NUL character (a binary file pasted or opened) makes a
    // card the card check refuses, so it never reaches a file it would make
    // unreadable.
    void unsavableCharacterRefused()
    {
        const QList<Card> cards =
            convertTextToCards(QString("a") + QChar(0) + "b = слово\n", ConversionOptions());
        QCOMPARE(cards.size(), 1);
        QCOMPARE(cardFileProblem(cards[0], {ConversionText::categoryName()}),
                 QString("иностранное слово «a") + QChar(0) +
                     "b» содержит символ, недопустимый в файле словаря (код U+0000)");
    }

    void nothingConvertible()
    {
        QVERIFY(convertTextToCards("\nЛучше день потерять, потом за пять минут долететь!",
                                   ConversionOptions())
                    .isEmpty());
        QVERIFY(convertTextToCards(QString(), ConversionOptions()).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestTextConversion)
#include "test_text_conversion.moc"
