#include "core/dictionary/dictionary_file.h"
#include "core/editor/translation_parser.h"
#include "core/markup/markup.h"

#include <QFile>
#include <QTest>

namespace
{

// "N{кот,кошка(разг.)}{киска} V{идти}": code, then each group's variants.
QString describe(const QList<TranslationSection> &sections)
{
    QStringList out;
    for (const TranslationSection &s : sections) {
        QString t = s.code;
        for (const TranslationGroup &g : s.groups) {
            QStringList vs;
            for (const TranslationVariant &v : g)
                vs << (v.info.isEmpty() ? v.word : v.word + '(' + v.info + ')');
            t += '{' + vs.join(',') + '}';
        }
        out << t;
    }
    return out.join(' ');
}

TranslationSection section(const QString &code, const QList<QStringList> &groups)
{
    TranslationSection s;
    s.code = code;
    for (const QStringList &g : groups) {
        TranslationGroup group;
        for (const QString &v : g) {
            const int open = int(v.indexOf('|'));
            if (open < 0)
                group.append({v, QString()});
            else
                group.append({v.left(open), v.mid(open + 1)});
        }
        s.groups.append(group);
    }
    return s;
}

QList<Card> exampleCards(const QString &name)
{
    QFile f(QStringLiteral(LEXITOR_SOURCE_DIR "/examples/") + name);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    StringSet categories;
    // Every category the examples use is allowed here.
    const QString text = decodeDictionaryBytes(f.readAll());
    static const QRegularExpression cat(QStringLiteral("<c n=\"([^\"]*)\""));
    for (auto it = cat.globalMatch(text); it.hasNext();)
        for (const QString &c : it.next().captured(1).split(';', Qt::SkipEmptyParts))
            categories.insert(c);
    return parseDictionaryText(text, name, categories).cards;
}

// A variant the editor's text keeps as it is: a single word of letters,
// digits and ! " ' - (no dash at its ends) with an optional plain remark.
bool survivesAsText(const TranslationSection &s)
{
    for (const TranslationGroup &g : s.groups)
        for (const TranslationVariant &v : g) {
            if (isWholeTextCode(s.code)) {
                if (g.size() != 1 || s.groups.size() != 1 || v.word != v.word.trimmed() ||
                    v.word.startsWith('-') || v.word.contains('<') || v.word.contains('>') ||
                    v.word.contains('['))
                    return false;
                continue;
            }
            if (v.word.isEmpty() || v.word.startsWith('-') || v.word.endsWith('-'))
                return false;
            for (QChar c : v.word)
                if (!c.isLetterOrNumber() && !QStringLiteral("!\"'-").contains(c))
                    return false;
            if (v.info.contains(')') || v.info.contains('<') || v.info.contains('>') ||
                v.info != v.info.trimmed() ||
                (!v.info.isEmpty() && isTranslationSeparator(v.info[0])))
                return false;
        }
    return true;
}

} // namespace

class TestTranslationParser : public QObject
{
    Q_OBJECT

private slots:
    void parse_data()
    {
        using namespace TranslationText;
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("sections");
        QTest::addColumn<QStringList>("warnings");
        QTest::addColumn<QString>("error");
        const QStringList none;
        const QString angle = angleBracketWarning();

        QTest::newRow("empty text") << ""
                                    << "" << none << "";
        QTest::newRow("numbered groups") << "[N] 1. - кот, - кошка 2. - киска"
                                         << "N{кот,кошка}{киска}" << none << "";
        QTest::newRow("remark and plain word") << "[N] кот (животное) собака"
                                               << "N{кот(животное),собака}" << none << "";
        QTest::newRow("number only separates") << "[N] 5. кот"
                                               << "N{кот}" << none << "";
        QTest::newRow("question mark ends the section") << "[N] кот ? собака"
                                                        << "N{кот}" << none << "";
        QTest::newRow("blank splits words") << "[N] домашняя кошка"
                                            << "N{домашняя,кошка}" << none << "";
        QTest::newRow("inner dash kept") << "[N] всего-навсего"
                                         << "N{всего-навсего}" << none << "";
        QTest::newRow("trailing dash dropped") << "[N] кот- пёс"
                                               << "N{кот,пёс}" << none << "";
        QTest::newRow("brackets glued to a word are the word")
            << "[N] кот(серый) мышь"
            << "N{кот(серый),мышь}" << none << "";
        QTest::newRow("open bracket closed at the end") << "[N] (a b"
                                                        << "N{(a b)}" << none << "";
        QTest::newRow("stray closing bracket dropped") << "[N] a) b"
                                                       << "N{a,b}" << none << "";
        QTest::newRow("remark without its bracket") << "[N] кот (серый"
                                                    << "N{кот}" << none << "";
        QTest::newRow("remark stripped past separators") << "[N] кот ( - серый  )"
                                                         << "N{кот(серый)}" << none << "";
        QTest::newRow("quotes and apostrophes") << "[N] \"ок\" it's"
                                                << "N{\"ок\",it's}" << none << "";
        QTest::newRow("all separators") << "[A] кот; пёс: мышь.\n рыба"
                                        << "A{кот,пёс,мышь,рыба}" << none << "";
        QTest::newRow("digits without dot are a word") << "[NUM] 1 2"
                                                       << "NUM{1,2}" << none << "";
        QTest::newRow("number glued to a word") << "[N] 1.кот 2.пёс"
                                                << "N{кот}{пёс}" << none << "";
        QTest::newRow("empty group skipped") << "[N] 1. 2. кот"
                                             << "N{кот}" << none << "";
        QTest::newRow("number only gives an empty section") << "[N] 1."
                                                            << "N" << none << "";
        QTest::newRow("label only") << "[V]"
                                    << "V" << none << "";
        QTest::newRow("two sections") << "[N] 1. - a\n\n[V] 1. - b (c)"
                                      << "N{a} V{b(c)}" << none << "";
        QTest::newRow("groups with remarks") << "[V] идти (пешком) 2. ехать"
                                             << "V{идти(пешком)}{ехать}" << none << "";
        QTest::newRow("unknown code star") << "[*] x"
                                           << "*{x}" << none << "";

        QTest::newRow("phrase kept whole") << "[S] It is a phrase, isn't it"
                                           << "S{It is a phrase, isn't it}" << none << "";
        QTest::newRow("phrase of digits") << "[S] 123"
                                          << "S{123}" << none << "";
        QTest::newRow("phrase leading separators skipped") << "[SS] - a, b"
                                                           << "SS{a, b}" << none << "";
        QTest::newRow("usage section") << "[Применено] в быту"
                                       << "Применено{в быту}" << none << "";
        QTest::newRow("phrase without a letter") << "[S] ..."
                                                 << "" << none << emptySectionError();
        QTest::newRow("phrase angle brackets warned once") << "[S] a<b>c"
                                                           << "S{abc}" << QStringList{angle} << "";
        QTest::newRow("phrase of angle brackets only")
            << "[S] <>"
            << "" << QStringList{angle} << emptySectionError();

        QTest::newRow("angle brackets in a word") << "[N] кот<>"
                                                  << "N{кот}" << QStringList{angle, angle} << "";
        QTest::newRow("angle bracket in a remark") << "[N] кот (a<b)"
                                                   << "N{кот(ab)}" << QStringList{angle} << "";

        QTest::newRow("phrase with another section") << "[S] a [N] b"
                                                     << "S{a}" << none << wholeTextNotAloneError();
        QTest::newRow("section before a phrase") << "[N] a [SS] b"
                                                 << "N{a}" << none << wholeTextNotAloneError();
        QTest::newRow("duplicate section") << "[N] a [N] b"
                                           << "N{a}" << none << duplicateSectionError("N");
        QTest::newRow("unknown section") << "[X] a"
                                         << "" << none << unknownSectionError("X");
        QTest::newRow("codes are case-sensitive") << "[n] a"
                                                  << "" << none << unknownSectionError("n");
        QTest::newRow("empty code") << "[] a"
                                    << "" << none << unknownSectionError("");
        QTest::newRow("unclosed label") << "[N] a [V b"
                                        << "N{a}" << none << strayTextError("[V b");
        QTest::newRow("no label at all") << "кот"
                                         << "" << none << strayTextError("кот");
        QTest::newRow("text before the first label") << "кот [N] кошка"
                                                     << "" << none << strayTextError("кот");
        QTest::newRow("closing bracket before a label") << "a] [N] b"
                                                        << "" << none << strayTextError("a]");
        QTest::newRow("warnings come before the error")
            << "[N] a<b [X] c"
            << "N{ab}" << QStringList{angle} << unknownSectionError("X");
    }
    void parse()
    {
        QFETCH(QString, text);
        QFETCH(QString, sections);
        QFETCH(QStringList, warnings);
        QFETCH(QString, error);
        const TranslationParse r = parseTranslations(text);
        QCOMPARE(r.error, error);
        QCOMPARE(r.warnings, warnings);
        QCOMPARE(describe(r.sections), sections);
    }

    void pieces_data()
    {
        QTest::addColumn<QString>("piece");
        QTest::addColumn<QString>("content");
        QTest::addColumn<int>("start");
        QTest::addColumn<QString>("result");
        QTest::addColumn<int>("end");

        QTest::newRow("number") << "number"
                                << "12. x" << 0 << "1" << 2;
        QTest::newRow("number at end without dot") << "number"
                                                   << "12" << 0 << "0" << 0;
        QTest::newRow("number followed by blank") << "number"
                                                  << "3 ." << 0 << "0" << 0;
        QTest::newRow("dot without digits") << "number"
                                            << ". x" << 0 << "0" << 0;
        QTest::newRow("word stops at blank") << "word"
                                             << "кот пёс" << 0 << "кот" << 3;
        QTest::newRow("word keeps bracketed blanks") << "word"
                                                     << "a(b c) d" << 0 << "a(b c)" << 6;
        QTest::newRow("word closes open brackets") << "word"
                                                   << "a(b(c" << 0 << "a(b(c))" << 5;
        QTest::newRow("word drops dash before separator") << "word"
                                                          << "ab-, c" << 0 << "ab" << 2;
        QTest::newRow("word at a separator is empty") << "word"
                                                      << ", a" << 0 << "" << 0;
        QTest::newRow("info") << "info"
                              << "( x y ) z" << 0 << "x y" << 7;
        QTest::newRow("info absent") << "info"
                                     << "x (y)" << 0 << "" << 0;
        QTest::newRow("info unclosed runs to the end") << "info"
                                                       << "(abc" << 0 << "" << 4;
        QTest::newRow("info does not nest") << "info"
                                            << "(a(b)c)" << 0 << "a(b" << 5;
    }
    void pieces()
    {
        QFETCH(QString, piece);
        QFETCH(QString, content);
        QFETCH(int, start);
        QFETCH(QString, result);
        QFETCH(int, end);
        int p = start;
        QString got;
        if (piece == "number")
            got = readGroupNumber(content, p) ? "1" : "0";
        else if (piece == "word")
            got = readWord(content, p, nullptr);
        else
            got = readInfo(content, p, nullptr);
        QCOMPARE(got, result);
        QCOMPARE(p, end);
    }

    void render_data()
    {
        QTest::addColumn<QList<TranslationSection>>("sections");
        QTest::addColumn<QString>("text");
        QTest::newRow("none") << QList<TranslationSection>() << "";
        QTest::newRow("one group still numbered")
            << QList<TranslationSection>{section("N", {{"кот", "кошка"}})}
            << "[N] 1. - кот, - кошка";
        QTest::newRow("groups on their own lines")
            << QList<TranslationSection>{section(
                   "N", {{"индустрия", "промышленность"}, {"отрасль|промышленности"}})}
            << "[N] 1. - индустрия, - промышленность\n2. - отрасль (промышленности)";
        QTest::newRow("sections apart by a blank line")
            << QList<TranslationSection>{section("N", {{"a"}}), section("V", {{"b|c"}})}
            << "[N] 1. - a\n\n[V] 1. - b (c)";
        QTest::newRow("phrase right after its label")
            << QList<TranslationSection>{section("S", {{"It is, isn't it"}})}
            << "[S] It is, isn't it";
        QTest::newRow("phrase of several variants kept apart")
            << QList<TranslationSection>{section("SS", {{"a", "b"}})} << "[SS] a, b";
    }
    void render()
    {
        QFETCH(QList<TranslationSection>, sections);
        QFETCH(QString, text);
        QCOMPARE(renderTranslations(sections), text);
    }

    void renderedTextParsesBack()
    {
        const QList<TranslationSection> s = {section("N", {{"кот|животное", "кошка"}, {"киска"}}),
                                             section("V", {{"всего-навсего", "it's"}}),
                                             section("A", {{"(a b)"}})};
        const TranslationParse r = parseTranslations(renderTranslations(s));
        QVERIFY(r.ok());
        QVERIFY(r.warnings.isEmpty());
        QCOMPARE(r.sections, s);
    }

    // Opening a card in the editor and applying it unchanged must give the
    // same translations back for every card of the example dictionaries,
    // except variants that are not single words (the text form cannot hold
    // them: a blank separates variants) and mixed whole-text sections.
    void exampleCardsRoundTrip_data()
    {
        QTest::addColumn<QString>("file");
        QTest::newRow("basics") << "english_basics.xml";
        QTest::newRow("verbs and phrases") << "english_verbs_phrases.xml";
    }
    void exampleCardsRoundTrip()
    {
        QFETCH(QString, file);
        const QList<Card> cards = exampleCards(file);
        QVERIFY(cards.size() > 10);
        int checked = 0;
        for (const Card &c : cards) {
            bool plain = true;
            for (const TranslationSection &s : c.translations)
                plain = plain && survivesAsText(s);
            const QString text = renderTranslations(c.translations);
            const TranslationParse r = parseTranslations(text);
            // A file may pair usage notes with other sections; the editor
            // asks for them to be put apart before it applies the card.
            bool mixed = false;
            for (const TranslationSection &s : c.translations)
                mixed = mixed || (isWholeTextCode(s.code) && c.translations.size() > 1);
            if (mixed) {
                QCOMPARE(r.error, TranslationText::wholeTextNotAloneError());
                continue;
            }
            QVERIFY2(r.ok(), qPrintable(text + " -> " + r.error));
            if (!plain)
                continue;
            ++checked;
            QVERIFY2(r.warnings.isEmpty(), qPrintable(text));
            QCOMPARE(describe(r.sections), describe(c.translations));
            // The text of the parsed card is the text shown.
            QCOMPARE(renderTranslations(r.sections), text);
        }
        QVERIFY(checked >= cards.size() * 3 / 4);
    }
};

QTEST_GUILESS_MAIN(TestTranslationParser)
#include "test_translation_parser.moc"
