#include "run/answer_check.h"

#include <QtTest>

namespace
{

// Forms given as "word" (checked) or "-word" (not checked).
Card cardWithForms(const QStringList &forms, const QString &sectionCode = QStringLiteral("N"))
{
    Card c;
    for (const QString &f : forms) {
        const bool checked = !f.startsWith(QLatin1Char('-'));
        c.foreignWords.append(ForeignWord{checked ? f : f.mid(1), QString(), checked});
    }
    TranslationSection s;
    s.code = sectionCode;
    s.groups.append(TranslationGroup{TranslationVariant{QStringLiteral("слово"), QString()}});
    c.translations.append(s);
    return c;
}

TranslationSection section(const QString &code, const QList<QStringList> &groups)
{
    TranslationSection s;
    s.code = code;
    for (const QStringList &g : groups) {
        TranslationGroup group;
        for (const QString &w : g)
            group.append(TranslationVariant{w, QString()});
        s.groups.append(group);
    }
    return s;
}

} // namespace

class TestAnswerCheck : public QObject
{
    Q_OBJECT

private slots:
    void items_data();
    void items();
    void check_data();
    void check();
    void checkThroughCard();
    void runTexts();
    void showable_data();
    void showable();
    void timing_data();
    void timing();
};

void TestAnswerCheck::items_data()
{
    QTest::addColumn<QStringList>("forms");
    QTest::addColumn<QString>("code");
    QTest::addColumn<QStringList>("items");

    const QString n = QStringLiteral("N");
    QTest::newRow("plain") << QStringList{"cat"} << n << QStringList{"cat"};
    QTest::newRow("brackets split")
        << QStringList{"to look (after)"} << n << QStringList{"to look", "after"};
    QTest::newRow("white space") << QStringList{"  a \t  b  "} << n << QStringList{"a b"};
    QTest::newRow("enclosed") << QStringList{"(hello)"} << n << QStringList{"hello"};
    QTest::newRow("optional particle")
        << QStringList{"(to) look"} << n << QStringList{"to", "look"};
    QTest::newRow("marks at both ends") << QStringList{"...wow!?"} << n << QStringList{"wow"};
    QTest::newRow("several marks") << QStringList{"a, b; c"} << n << QStringList{"a", "b", "c"};
    QTest::newRow("split goes last") << QStringList{"x.y", "z"} << n << QStringList{"z", "x", "y"};
    QTest::newRow("blank before mark")
        << QStringList{"Comment allez-vous ?"} << n << QStringList{"Comment allez-vous"};
    QTest::newRow("blank after mark") << QStringList{"( a b"} << n << QStringList{"a b"};
    QTest::newRow("unchecked and empty")
        << QStringList{"-dog", "", "cat"} << n << QStringList{"cat"};
    QTest::newRow("capitals and Cyrillic")
        << QStringList{"CAT", "Кот"} << n << QStringList{"CAT", "Кот"};
    QTest::newRow("digits only") << QStringList{"123"} << n << QStringList{};
    QTest::newRow("ends in tab") << QStringList{"cat\t"} << n << QStringList{};
    QTest::newRow("only marks") << QStringList{"?!"} << n << QStringList{};
    QTest::newRow("sentence keeps digits")
        << QStringList{"123"} << QStringLiteral("S") << QStringList{"123"};
    QTest::newRow("sentence still cleaned")
        << QStringList{"Hello, world!"} << QStringLiteral("SS") << QStringList{"Hello", "world"};
    QTest::newRow("sentence, single mark")
        << QStringList{"."} << QStringLiteral("S") << QStringList{};
}

void TestAnswerCheck::items()
{
    QFETCH(QStringList, forms);
    QFETCH(QString, code);
    QFETCH(QStringList, items);
    QCOMPARE(autocheckItems(cardWithForms(forms, code)), items);
}

void TestAnswerCheck::check_data()
{
    QTest::addColumn<QStringList>("items");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<bool>("checkable");
    QTest::addColumn<bool>("wrong");

    QTest::newRow("case blind") << QStringList{"cat"} << "Cat" << true << false;
    QTest::newRow("Cyrillic case") << QStringList{"Кот"} << "кОТ" << true << false;
    QTest::newRow("any order") << QStringList{"to look", "after"} << "after, to look" << true
                               << false;
    QTest::newRow("missing item") << QStringList{"to look", "after"} << "to look" << true << true;
    QTest::newRow("not a whole word") << QStringList{"concat"} << "concatenate" << true << true;
    QTest::newRow("first occurrence inside a word")
        << QStringList{"cat"} << "concat cat" << true << true;
    QTest::newRow("exact case second chance") << QStringList{"cat"} << "xCAT cat" << true << false;
    QTest::newRow("exact case also inside") << QStringList{"cat"} << "xCAT xcat" << true << true;
    QTest::newRow("punctuation bounds") << QStringList{"cat"} << "(cat)." << true << false;
    QTest::newRow("hyphen does not") << QStringList{"cat"} << "cat-like" << true << true;
    QTest::newRow("extra words") << QStringList{"go"} << "I go home" << true << false;
    QTest::newRow("blanks squeezed") << QStringList{"to look"} << "  to   look " << true << false;
    QTest::newRow("each found once") << QStringList{"go", "go"} << "go" << true << true;
    QTest::newRow("twice found twice") << QStringList{"go", "go"} << "go, go" << true << false;
    QTest::newRow("re-simplified after removal")
        << QStringList{"b", "a c"} << "a b c" << true << false;
    QTest::newRow("empty answer") << QStringList{"cat"} << "" << true << true;
    QTest::newRow("blank answer") << QStringList{"cat"} << " \t " << true << true;
    QTest::newRow("nothing to check") << QStringList{} << "anything" << false << false;
    QTest::newRow("nothing to check, empty") << QStringList{} << "" << false << false;
}

void TestAnswerCheck::check()
{
    QFETCH(QStringList, items);
    QFETCH(QString, answer);
    QFETCH(bool, checkable);
    QFETCH(bool, wrong);
    const AutocheckResult r = checkAnswerItems(items, answer);
    QCOMPARE(r.checkable, checkable);
    QCOMPARE(r.wrong, wrong);
    QCOMPARE(r.accepted(), checkable && !wrong);
}

void TestAnswerCheck::checkThroughCard()
{
    const Card c = cardWithForms({"to look (after)", "-ignored"});
    QVERIFY(hasAutocheckForm(c));
    QVERIFY(checkAnswer(c, QStringLiteral("After; to LOOK")).accepted());
    QVERIFY(checkAnswer(c, QStringLiteral("to look")).wrong);

    const Card unchecked = cardWithForms({"-cat"});
    QVERIFY(!hasAutocheckForm(unchecked));
    QVERIFY(!checkAnswer(unchecked, QString()).checkable);
    QVERIFY(!isSentenceCard(unchecked));
    QVERIFY(isSentenceCard(cardWithForms({"x"}, QStringLiteral("SS"))));
    QVERIFY(!isSentenceCard(cardWithForms({"x"}, QStringLiteral("Применено"))));
}

void TestAnswerCheck::runTexts()
{
    Card c;
    c.foreignWords.append(ForeignWord{QStringLiteral("go"), QStringLiteral("gəʊ"), true});
    c.foreignWords.append(ForeignWord{QStringLiteral("went"), QString(), false});
    c.translations.append(section(QStringLiteral("V"), {{"идти", "ехать"}, {"уходить"}}));

    TranslationDisplay plain;
    const RenderedText foreign = runQuestionText(c, true, plain);
    QCOMPARE(foreign.text, QStringLiteral("go\tgəʊ\nwent\t\n"));
    QCOMPARE(foreign.lineCount, 2);
    QCOMPARE(runAnswerText(c, false, plain).text, foreign.text);

    const RenderedText russian = runQuestionText(c, false, plain);
    QCOMPARE(russian.text, QStringLiteral("идти, ехать\nуходить\n"));
    TranslationDisplay full;
    full.showSpeechParts = true;
    full.showPartsNums = true;
    QCOMPARE(runAnswerText(c, true, full).text, QStringLiteral("[V] 1. идти, ехать\n2. уходить\n"));
    QCOMPARE(emptyWordMessage(), QStringLiteral("Почему то \"слово\" пустое"));
}

void TestAnswerCheck::showable_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("enRu");
    QTest::addColumn<bool>("question");
    QTest::addColumn<bool>("answer");

    QTest::newRow("no foreign forms") << "noForeign" << true << false << true;
    QTest::newRow("no sections") << "noSections" << false << false << true;
    QTest::newRow("empty whole text") << "emptyPhrase" << false << false << true;
    QTest::newRow("empty group still a line") << "emptyGroup" << false << true << true;
}

void TestAnswerCheck::showable()
{
    QFETCH(QString, kind);
    QFETCH(bool, enRu);
    QFETCH(bool, question);
    QFETCH(bool, answer);

    Card c;
    if (kind != QLatin1String("noForeign"))
        c.foreignWords.append(ForeignWord{QStringLiteral("go"), QString(), true});
    if (kind == QLatin1String("noForeign"))
        c.translations.append(section(QStringLiteral("V"), {{"идти"}}));
    if (kind == QLatin1String("emptyPhrase"))
        c.translations.append(section(QStringLiteral("S"), {{""}}));
    if (kind == QLatin1String("emptyGroup"))
        c.translations.append(section(QStringLiteral("N"), {{}}));

    const TranslationDisplay display;
    QCOMPARE(canShowQuestion(runQuestionText(c, enRu, display)), question);
    QCOMPARE(canShowAnswer(runAnswerText(c, enRu, display)), answer);
}

void TestAnswerCheck::timing_data()
{
    QTest::addColumn<QStringList>("words"); // foreign forms, or variants "word|info"
    QTest::addColumn<bool>("enRu");
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("steps");

    QTest::newRow("go") << QStringList{"go"} << false << 2 << 64;
    QTest::newRow("each form truncated") << QStringList{"a", "b", "c"} << false << 3 << 80;
    QTest::newRow("one letter") << QStringList{"a"} << false << 1 << 48;
    QTest::newRow("size 4") << QStringList{"abc", "a"} << false << 4 << 96;
    QTest::newRow("size 5") << QStringList{"abc", "ab"} << false << 5 << 96;
    QTest::newRow("size 6 kept") << QStringList{"abcde"} << false << 6 << 96;
    QTest::newRow("large") << QStringList{"abcdefghij"} << false << 12 << 192;
    QTest::newRow("empty form") << QStringList{""} << false << 0 << 0;
    QTest::newRow("variant") << QStringList{"кошка"} << true << 3 << 80;
    QTest::newRow("short variants") << QStringList{"a", "b"} << true << 0 << 0;
    QTest::newRow("with remark") << QStringList{"кошка|домашняя"} << true << 6 << 96;
    // 2.4 + 1.6 would make 4; each term is truncated by itself.
    QTest::newRow("terms truncated apart") << QStringList{"abcd|abcd"} << true << 3 << 80;
}

void TestAnswerCheck::timing()
{
    QFETCH(QStringList, words);
    QFETCH(bool, enRu);
    QFETCH(int, size);
    QFETCH(int, steps);

    Card c;
    TranslationSection s;
    s.code = QStringLiteral("N");
    TranslationGroup g;
    for (const QString &w : words) {
        if (enRu) {
            const QStringList parts = w.split(QLatin1Char('|'));
            g.append(TranslationVariant{parts.value(0), parts.value(1)});
        } else {
            c.foreignWords.append(ForeignWord{w, QStringLiteral("transcription"), false});
        }
    }
    s.groups.append(g);
    c.translations.append(s);
    if (enRu)
        c.foreignWords.append(ForeignWord{QStringLiteral("ignored"), QString(), false});

    QCOMPARE(timedCardSize(c, enRu), size);
    QCOMPARE(timedCardSteps(c, enRu), steps);
    // At the default speed a step is 250 ms.
    QCOMPARE(runTimerInterval(50), 250);
}

QTEST_GUILESS_MAIN(TestAnswerCheck)
#include "test_answer_check.moc"
