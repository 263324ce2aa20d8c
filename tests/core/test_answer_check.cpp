#include "core/run/answer_check.h"

#include <QRandomGenerator>
#include <QRegularExpression>
#include <QtTest>

namespace
{

// Forms "word" are checked, "-word" are not.
Card cardWithForms(const QStringList &forms, const QString &code = QStringLiteral("N"))
{
    Card c;
    for (const QString &f : forms) {
        const bool checked = !f.startsWith(QLatin1Char('-'));
        c.foreignWords.append(ForeignWord{checked ? f : f.mid(1), QString(), checked});
    }
    c.translations.append(TranslationSection{{{TranslationVariant{"слово", QString()}}}, code});
    return c;
}

// The cleaning and the check as first written, visit by visit: slow (it
// starts again from the first item after every split) but plainly the rule.
// The program's own versions must give the same items and verdicts.
QStringList referenceItems(QStringList items)
{
    static const QRegularExpression punctuation(QStringLiteral("[,.:;!?\")(]"));
    qsizetype i = 0;
    while (i < items.size()) {
        const QString item = items[i].simplified();
        items[i] = item;
        if (item.isEmpty()) {
            items.removeAt(i);
            i = 0;
            continue;
        }
        const qsizetype p = item.indexOf(punctuation);
        if (p < 0) {
            ++i;
        } else if (p == 0 && item.size() == 1) {
            items.removeAt(i);
            i = 0;
        } else if (p == 0) {
            items[i] = item.mid(1);
        } else if (p == item.size() - 1) {
            items[i] = item.left(p);
        } else {
            const QString before = item.left(p), after = item.mid(p + 1);
            items.removeAt(i);
            items << before << after;
            i = 0;
        }
    }
    return items;
}

bool referenceWrong(const QStringList &items, const QString &typed)
{
    static const QString boundaries = QStringLiteral(" \t,.:;!?\")(");
    QString answer = typed.simplified();
    if (answer.isEmpty())
        return true;
    auto whole = [&](qsizetype pos, qsizetype n) {
        return (pos == 0 || boundaries.contains(answer[pos - 1])) &&
               (pos + n == answer.size() || boundaries.contains(answer[pos + n]));
    };
    for (const QString &item : items) {
        qsizetype pos = answer.indexOf(item, 0, Qt::CaseInsensitive);
        if (pos >= 0 && !whole(pos, item.size())) {
            pos = answer.indexOf(item, 0, Qt::CaseSensitive);
            if (pos >= 0 && !whole(pos, item.size()))
                pos = -1;
        }
        if (pos < 0)
            return true;
        answer.remove(pos, item.size());
        answer = answer.simplified();
    }
    return false;
}

// Text from few symbols, so that punctuation, blanks and repeats meet often.
QString randomText(QRandomGenerator &rng, int maxLength)
{
    static const QString alphabet = QStringLiteral("aAbB  \t,.:;!?\"()ёЁ'-\n\u00A0");
    QString s;
    for (int n = rng.bounded(maxLength + 1); n > 0; --n)
        s += alphabet[rng.bounded(int(alphabet.size()))];
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
    void runTexts();
    void timing_data();
    void timing();
    void sameAsVisitByVisit();
    void longPhrase();
};

void TestAnswerCheck::items_data()
{
    QTest::addColumn<QStringList>("forms");
    QTest::addColumn<QString>("code");
    QTest::addColumn<QStringList>("items");

    const QString n = QStringLiteral("N");
    QTest::newRow("brackets split")
        << QStringList{"to look (after)"} << n << QStringList{"to look", "after"};
    QTest::newRow("split goes last") << QStringList{"x.y", "z"} << n << QStringList{"z", "x", "y"};
    QTest::newRow("ends in tab") << QStringList{"cat\t", "dog"} << n << QStringList{"dog"};
    QTest::newRow("enclosed") << QStringList{"(hello)"} << n << QStringList{"hello"};
    QTest::newRow("optional particle")
        << QStringList{"(to) look"} << n << QStringList{"to", "look"};
    QTest::newRow("several marks") << QStringList{"a, b; c"} << n << QStringList{"a", "b", "c"};
    QTest::newRow("blank before mark") << QStringList{"Ça va ?"} << n << QStringList{"Ça va"};
    QTest::newRow("unchecked, empty")
        << QStringList{"-dog", "", "CAT", "Кот"} << n << QStringList{"CAT", "Кот"};
    QTest::newRow("no letter") << QStringList{"123", "?!"} << n << QStringList{};
    QTest::newRow("sentence") << QStringList{"123", "Hi, you!"} << "SS"
                              << QStringList{"123", "Hi", "you"};
    QTest::newRow("sentence, a mark") << QStringList{"."} << "S" << QStringList{};
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
    QTest::addColumn<QStringList>("forms");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<bool>("checkable");
    QTest::addColumn<bool>("wrong");

    QTest::newRow("case blind") << QStringList{"Кот"} << "кОТ" << true << false;
    QTest::newRow("any order") << QStringList{"to look (after)"} << "After; to LOOK" << true
                               << false;
    QTest::newRow("missing item") << QStringList{"to look (after)"} << "to look" << true << true;
    QTest::newRow("not a whole word") << QStringList{"concat"} << "concatenate" << true << true;
    QTest::newRow("first occurrence inside") << QStringList{"cat"} << "concat cat" << true << true;
    QTest::newRow("exact case second") << QStringList{"cat"} << "xCAT cat" << true << false;
    QTest::newRow("punctuation bounds") << QStringList{"cat"} << "(cat)." << true << false;
    QTest::newRow("extra words, blanks")
        << QStringList{"to look"} << " I  to   look " << true << false;
    QTest::newRow("re-simplified") << QStringList{"b", "a c"} << "a b c" << true << false;
    QTest::newRow("empty answer") << QStringList{"cat"} << " \t " << true << true;
    QTest::newRow("nothing to check") << QStringList{"-cat"} << "" << false << false;
}

void TestAnswerCheck::check()
{
    QFETCH(QStringList, forms);
    QFETCH(QString, answer);
    QFETCH(bool, checkable);
    QFETCH(bool, wrong);
    const Card card = cardWithForms(forms);
    const AutocheckResult r = checkAnswer(card, answer);
    QCOMPARE(r.checkable, checkable);
    QCOMPARE(r.wrong, wrong);
    QCOMPARE(hasAutocheckForm(card), checkable);
}

void TestAnswerCheck::runTexts()
{
    // What decides "Почему то \"слово\" пустое".
    const TranslationDisplay plain;
    Card c;
    QVERIFY(!canShowQuestion(runQuestionText(c, true, plain)));
    QVERIFY(!canShowAnswer(runAnswerText(c, false, plain)));
    c.translations.append(TranslationSection{{{TranslationVariant{"", ""}}}, "S"});
    QCOMPARE(runQuestionText(c, false, plain).lineCount, 1); // a line, but no text
    QVERIFY(!canShowQuestion(runQuestionText(c, false, plain)));
    c.translations = {TranslationSection{{TranslationGroup()}, "N"}};
    QVERIFY(canShowQuestion(runQuestionText(c, false, plain))); // an empty group is a line
    c.foreignWords = {ForeignWord{"go", "gəʊ", true}};
    QCOMPARE(runQuestionText(c, true, plain).text, QStringLiteral("go\tgəʊ\n"));
    QCOMPARE(runAnswerText(c, false, plain).text, QStringLiteral("go\tgəʊ\n"));
}

void TestAnswerCheck::timing_data()
{
    QTest::addColumn<QStringList>("words"); // foreign forms, or variants "word|remark"
    QTest::addColumn<bool>("enRu");
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("steps");

    QTest::newRow("go") << QStringList{"go"} << false << 2 << 64;
    QTest::newRow("1 makes 3") << QStringList{"a"} << false << 1 << 48;
    QTest::newRow("4 makes 6") << QStringList{"abc", "a"} << false << 4 << 96;
    QTest::newRow("5 makes 6") << QStringList{"abc", "ab"} << false << 5 << 96;
    QTest::newRow("6 kept") << QStringList{"abcde"} << false << 6 << 96;
    QTest::newRow("untimed") << QStringList{""} << false << 0 << 0;
    QTest::newRow("variant") << QStringList{"кошка"} << true << 3 << 80;
    QTest::newRow("terms apart") << QStringList{"abcd|abcd"} << true << 3 << 80; // not int(4.0)
}

void TestAnswerCheck::timing()
{
    QFETCH(QStringList, words);
    QFETCH(bool, enRu);
    QFETCH(int, size);
    QFETCH(int, steps);
    Card c;
    TranslationGroup g;
    for (const QString &w : words) {
        const QStringList parts = w.split(QLatin1Char('|'));
        if (enRu)
            g.append(TranslationVariant{parts.value(0), parts.value(1)});
        else
            c.foreignWords.append(ForeignWord{w, "transcription", false});
    }
    c.translations.append(TranslationSection{{g}, "N"});
    if (enRu)
        c.foreignWords.append(ForeignWord{"ignored", "", false});
    QCOMPARE(timedCardSize(c, enRu), size);
    QCOMPARE(timedCardSteps(c, enRu), steps);
    QCOMPARE(runTimerInterval(50), 250); // so "go" takes 16 s at the default speed
}

// Thousands of random forms and answers: the same items in the same order,
// and the same verdict, as the rule applied visit by visit.
void TestAnswerCheck::sameAsVisitByVisit()
{
    QRandomGenerator rng(515);
    for (int round = 0; round < 3000; ++round) {
        QStringList forms;
        for (int n = 1 + rng.bounded(3); n > 0; --n)
            forms << randomText(rng, 24);
        Card c = cardWithForms({}, rng.bounded(4) ? QStringLiteral("S") : QStringLiteral("N"));
        for (const QString &f : forms)
            c.foreignWords.append(ForeignWord{f, QString(), true});
        const QStringList items = autocheckItems(c);
        // Sentence cards take every form whole, as the reference does here.
        if (c.translations[0].code == QLatin1String("S"))
            QCOMPARE(items, referenceItems(forms));
        // The answer is often made of the items themselves, shuffled and
        // joined by random text, so that right answers are common.
        QStringList parts = items;
        for (int i = int(parts.size()) - 1; i > 0; --i)
            std::swap(parts[i], parts[rng.bounded(i + 1)]);
        const QString typed = rng.bounded(3) ? parts.join(randomText(rng, 3) + QLatin1Char(' '))
                                             : randomText(rng, 30);
        const AutocheckResult r = checkAnswerItems(items, typed);
        QCOMPARE(r.checkable, !items.isEmpty());
        if (r.checkable)
            QVERIFY2(r.wrong == referenceWrong(items, typed),
                     qPrintable(items.join(QLatin1Char('|')) + QStringLiteral(" / ") + typed));
        // Items given as they are, not cleaned, are checked by the same rule.
        const QStringList raw = forms.mid(0, 1) + QStringList{randomText(rng, 5)};
        QVERIFY2(checkAnswerItems(raw, typed).wrong == referenceWrong(raw, typed),
                 qPrintable(raw.join(QLatin1Char('|')) + QStringLiteral(" / ") + typed));
    }
}

// A 16,000-character phrase is checked on every tick of a timed run: the
// cleaning splits it into its words in order, and typing it back is right.
void TestAnswerCheck::longPhrase()
{
    QString phrase;
    QStringList words;
    for (int i = 0; phrase.size() < 16000; ++i) {
        const QString w = QStringLiteral("слово%1").arg(i);
        words << w;
        phrase += w + (i % 3 ? QStringLiteral(", ") : QStringLiteral(". "));
    }
    Card c = cardWithForms({phrase}, QStringLiteral("S"));
    QElapsedTimer t;
    t.start();
    QCOMPARE(autocheckItems(c), words);
    QVERIFY(checkAnswer(c, phrase).accepted());
    QVERIFY(checkAnswer(c, QString()).wrong);
    // Far below the seconds the repeated restarts took at this length.
    QVERIFY2(t.elapsed() < 2000, qPrintable(QString::number(t.elapsed())));
}

QTEST_GUILESS_MAIN(TestAnswerCheck)
#include "test_answer_check.moc"
