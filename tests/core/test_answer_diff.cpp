#include "core/run/answer_check.h"
#include "core/run/answer_diff.h"

#include <QtTest>

namespace
{

QString kindName(MistakeKind kind)
{
    switch (kind) {
    case MistakeKind::None:
        return "none";
    case MistakeKind::WrongLetter:
        return "wrong letter";
    case MistakeKind::MissingLetter:
        return "missing letter";
    case MistakeKind::ExtraLetter:
        return "extra letter";
    case MistakeKind::SwappedLetters:
        return "swapped letters";
    case MistakeKind::CloseWord:
        return "close word";
    case MistakeKind::MissingItem:
        return "missing item";
    case MistakeKind::ExtraWord:
        return "extra word";
    case MistakeKind::NothingClose:
        return "nothing close";
    case MistakeKind::NoAnswer:
        return "no answer";
    }
    return "?";
}

// The marked text in one line: {wrong}, [missing], <extra>, the rest as typed.
QString marked(const QList<DiffSegment> &segments)
{
    QString out;
    for (const DiffSegment &s : segments) {
        switch (s.mark) {
        case DiffMark::Same:
            out += s.text;
            break;
        case DiffMark::Wrong:
            out += '{' + s.text + '}';
            break;
        case DiffMark::Missing:
            out += '[' + s.text + ']';
            break;
        case DiffMark::Extra:
            out += '<' + s.text + '>';
            break;
        }
    }
    return out;
}

constexpr bool on = true;
constexpr bool off = false;
constexpr bool yes = true;
constexpr bool no = false;

// Items separated by "|"; `missing` likewise.
void row(const char *name, const QString &items, const QString &typed, bool acceptTypos,
         bool accepted, MistakeKind kind, const QString &marks, const QString &missing = QString())
{
    QTest::newRow(name) << items.split('|') << typed << acceptTypos << accepted << kindName(kind)
                        << marks << (missing.isEmpty() ? QStringList() : missing.split('|'));
}

} // namespace

class TestAnswerDiff : public QObject
{
    Q_OBJECT

private slots:
    // What a typed answer is judged, what kind of mistake it holds, and how it
    // is marked against the expected items.
    void review_data()
    {
        QTest::addColumn<QStringList>("items");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("acceptTypos");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("marked");
        QTest::addColumn<QStringList>("missing");
        using K = MistakeKind;

        // Right as typed: nothing to explain, whatever the option.
        row("right", "cat", "cat", off, yes, K::None, "");
        row("right, other case", "cat", "CAT", on, yes, K::None, "");
        row("right, any order", "to look|after", "after, to look", off, yes, K::None, "");
        row("right, extra words", "house", "the house is", on, yes, K::None, "");

        // The four typos, not forgiven by default.
        row("wrong letter", "house", "hoose", off, no, K::WrongLetter, "ho{o}se");
        row("missing letter", "house", "huse", off, no, K::MissingLetter, "h[o]use");
        row("extra letter", "house", "houuse", off, no, K::ExtraLetter, "hou<u>se");
        row("swapped letters", "house", "hosue", off, no, K::SwappedLetters, "ho{su}e");
        // Forgiven on request, marked all the same.
        row("wrong letter forgiven", "house", "hoose", on, yes, K::WrongLetter, "ho{o}se");
        row("missing letter forgiven", "house", "huse", on, yes, K::MissingLetter, "h[o]use");
        row("extra letter forgiven", "house", "houuse", on, yes, K::ExtraLetter, "hou<u>se");
        row("swapped letters forgiven", "house", "hosue", on, yes, K::SwappedLetters, "ho{su}e");
        row("missing last letter", "horse", "hors", on, yes, K::MissingLetter, "hors[e]");
        row("extra first letter", "house", "xhouse", on, yes, K::ExtraLetter, "<x>house");
        row("extra last letter", "beautiful", "beautifull", on, yes, K::ExtraLetter,
            "beautiful<l>");
        row("swapped at the start", "hello", "ehllo", on, yes, K::SwappedLetters, "{eh}llo");

        // Short items: one letter makes another word, so it is never forgiven.
        row("short, wrong letter", "cat", "cot", on, no, K::WrongLetter, "c{o}t");
        row("short, missing letter", "cat", "ct", on, no, K::MissingLetter, "c[a]t");
        row("short, extra letter", "cat", "cats", on, no, K::ExtraLetter, "cat<s>");
        row("short, swapped letters", "cat", "act", on, no, K::SwappedLetters, "{ac}t");
        row("four letters", "four", "fuor", on, no, K::SwappedLetters, "f{uo}r");
        row("apostrophe is no letter", "don't", "dont", on, no, K::MissingLetter, "don[']t");

        // Letter case: compared without it, shown as typed and as expected.
        row("typo in capitals", "house", "HOOSE", on, yes, K::WrongLetter, "HO{O}SE");
        row("missing capital shown", "House", "Huse", off, no, K::MissingLetter, "H[o]use");
        row("Cyrillic", "привет", "привт", on, yes, K::MissingLetter, "прив[е]т");
        row("Cyrillic capitals", "Привет", "ПРИВЕТТ", on, yes, K::ExtraLetter, "ПРИВЕТ<Т>");

        // Typed among other words and marks.
        row("typo among words", "house", "the hoose is", on, yes, K::WrongLetter, "the ho{o}se is");
        row("typo before a mark", "house", "hoose!", on, yes, K::WrongLetter, "ho{o}se!");
        row("missing blank", "ice cream", "icecream", on, yes, K::MissingLetter, "ice[ ]cream");
        row("extra blank", "house", "hou se", on, yes, K::ExtraLetter, "hou< >se");
        row("mark inside an item", "to look", "to, look", on, yes, K::ExtraLetter, "to<,> look");

        // Several items.
        row("typo in an item of two words", "to look|after", "to lok after", on, yes,
            K::MissingLetter, "to lo[o]k after");
        row("typos in two items", "house|garden", "hoose gardn", on, yes, K::WrongLetter,
            "ho{o}se gard[e]n");
        row("typos in two items, not forgiven", "house|garden", "hoose gardn", off, no,
            K::WrongLetter, "ho{o}se gard[e]n");
        row("typo in a short item spoils it", "house|cat", "hoose cot", on, no, K::WrongLetter,
            "ho{o}se c{o}t");
        row("items in any order", "house|garden", "garden hoose", on, yes, K::WrongLetter,
            "garden ho{o}se");
        row("phrase", "How are you", "How ar you", on, yes, K::MissingLetter, "How ar[e] you");

        // Close, but further than one letter.
        row("two letters wrong", "house", "haose", on, no, K::CloseWord, "h{ao}se");
        row("two letters too many", "house", "hoosee", on, no, K::CloseWord, "ho{o}se<e>");
        row("two letters left out", "garden", "grdn", off, no, K::CloseWord, "g[a]rd[e]n");
        row("close and typo", "house|garden", "hoose grdn", on, no, K::CloseWord,
            "ho{o}se g[a]rd[e]n");
        row("word left out of a phrase", "How are you", "How you", off, no, K::NothingClose,
            "How you", "How are you");

        // Items not there.
        row("one of two missing", "house|garden", "house", on, no, K::MissingItem, "house",
            "garden");
        row("missing beats typo", "house|garden", "hoose", on, no, K::MissingItem, "ho{o}se",
            "garden");
        row("item typed exactly keeps its word", "cat|cut", "cut", off, no, K::MissingItem, "cut",
            "cat");
        row("same item twice", "cat|cat", "cat", on, no, K::MissingItem, "cat", "cat");
        row("nothing close", "house", "garden", off, no, K::NothingClose, "garden", "house");
        row("too far", "house", "hxxxe", on, no, K::NothingClose, "hxxxe", "house");
        row("nothing close to two", "house|garden", "tree", on, no, K::NothingClose, "tree",
            "house|garden");
        row("only marks", "house", "...", on, no, K::NothingClose, "...", "house");
        row("no answer", "house", "", off, no, K::NoAnswer, "", "house");
        row("only blanks", "house|garden", "  \t ", on, no, K::NoAnswer, "", "house|garden");

        // Extra words.
        row("word inside an item", "to look", "to quickly look", on, no, K::ExtraWord,
            "to <quickly> look");
        row("two words inside", "look after", "look very much after", off, no, K::ExtraWord,
            "look <very> <much> after");
        row("three words inside", "look after", "look one two three after", on, no, K::ExtraWord,
            "look <one> <two> <three> after");
        row("four words inside are too many", "look after", "look one two three five after", on, no,
            K::NothingClose, "look one two three five after", "look after");
        row("word hiding the item", "cat", "concat cat", off, no, K::ExtraWord, "<concat> cat");
        row("word hiding the item, typos on", "cat", "concat cat", on, no, K::ExtraWord,
            "<concat> cat");
    }

    void review()
    {
        QFETCH(QStringList, items);
        QFETCH(QString, typed);
        QFETCH(bool, acceptTypos);
        QFETCH(bool, accepted);
        QFETCH(QString, kind);
        QFETCH(QString, marked);
        QFETCH(QStringList, missing);

        const AnswerReview r = reviewAnswer(items, typed, acceptTypos);
        QVERIFY(r.checkable());
        QCOMPARE(r.accepted(), accepted);
        QCOMPARE(kindName(r.difference.kind), kind);
        QCOMPARE(::marked(r.difference.segments), marked);
        QCOMPARE(r.difference.missingItems, missing);
        // An answer accepted as typed needs no explaining; any other is shown.
        const bool asTyped = checkAnswerItems(items, typed).accepted();
        QCOMPARE(r.showsDifference(), !asTyped);
        QCOMPARE(r.verdict == AnswerVerdict::AcceptedWithTypo, accepted && !asTyped);
        QCOMPARE(r.difference.accepted, accepted && !asTyped);
        // Without the option the verdict is the plain check's, always.
        if (!acceptTypos)
            QCOMPARE(r.accepted(), asTyped);
        QCOMPARE(r.difference.line().isEmpty(), asTyped);
    }

    void nothingToCheck()
    {
        const AnswerReview r = reviewAnswer({}, QStringLiteral("anything"), true);
        QVERIFY(!r.checkable());
        QVERIFY(!r.accepted());
        QVERIFY(!r.showsDifference());
    }
};

QTEST_GUILESS_MAIN(TestAnswerDiff)
#include "test_answer_diff.moc"
