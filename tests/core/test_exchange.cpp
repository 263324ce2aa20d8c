#include "core/dictionary/dictionary.h"
#include "core/dictionary/dictionary_history.h"
#include "core/exchange/card_exchange.h"
#include "core/exchange/delimited_text.h"
#include "core/exchange/exchange_file.h"
#include "core/exchange/kvtml.h"
#include "core/exchange/printable_list.h"

#include "random_cards.h"
#include "test_cards.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTest>

namespace
{

StringSet categoryList()
{
    return {QStringLiteral("Еда"),
            QStringLiteral("Дом"),
            QStringLiteral("Прочие"),
            QStringLiteral("Город"),
            QStringLiteral("Общение"),
            QStringLiteral("<Кухня & \"бар\">"),
            QStringLiteral("Два\nряда\tи\r😀"),
            QStringLiteral("с, запятой (и) [скобками]")};
}

QString describe(const Card &c)
{
    QStringList f = {c.lesson, c.soundPath};
    for (int n : {c.nPER, c.pER, c.rER, c.aER, c.nPRE, c.pRE, c.rRE, c.aRE, int(c.nAr)})
        f << QString::number(n);
    for (const ForeignWord &w : c.foreignWords)
        f << QStringLiteral("fw") << w.word << w.transcription << QString::number(w.autoCheck);
    f << QStringLiteral("r") << translationMarkup(c.translations);
    f << QStringLiteral("c") << c.categories;
    return visibleText(f.join(QLatin1Char('|')));
}

ImportFile fileOf(const QByteArray &bytes)
{
    ImportFile file;
    file.format = ExchangeFormat::Tsv;
    file.bytes = bytes;
    file.text = decodeExchangeBytes(bytes, &file.encoding);
    file.layout = readDelimitedLayout(file.text);
    return file;
}

ImportPlan importInto(Dictionary &dict, const QByteArray &bytes, DuplicatePolicy policy,
                      const QString &target = QString())
{
    const ImportFile file = fileOf(bytes);
    ImportDefaults defaults{QStringLiteral("Импорт"), QStringLiteral("Прочие")};
    ImportSource source = importDelimitedCards(file, file.layout.separator, -1, nullptr, defaults);
    return planImport(std::move(source), dict, {target, policy});
}

} // namespace

class TestExchange : public QObject
{
    Q_OBJECT
private slots:
    void roundTripThroughTsv();
    void quoting_data();
    void quoting();
    void separatorDetection_data();
    void separatorDetection();
    void encodingDetection_data();
    void encodingDetection();
    void ankiHeader();
    void markupForm_data();
    void markupForm();
    void duplicatePolicy_data();
    void duplicatePolicy();
    void refusedCardsNamedWithLines();
    void importIsOneUndoableCommand();
    void kvtmlFixture();
    void kvtmlExportReadBack();
    void gradeRule_data();
    void gradeRule();
    void printableList();
};

// 1,000 random dictionaries exported with the exact columns and imported
// into an empty dictionary give every card back field for field.
void TestExchange::roundTripThroughTsv()
{
    const StringSet cats = categoryList();
    const QChar separators[] = {QLatin1Char('\t'), QLatin1Char(';'), QLatin1Char(',')};
    const ExchangeEncoding encodings[] = {ExchangeEncoding::Utf8Bom, ExchangeEncoding::Utf8,
                                          ExchangeEncoding::Utf16LE, ExchangeEncoding::Utf16BE};
    for (quint32 seed = 1; seed <= 1000; ++seed) {
        const QList<Card> cards = randomHostileCards(1 + int(seed % 7), seed, cats);
        const QChar sep = separators[seed % 3];
        const QByteArray bytes =
            encodeExchangeText(delimitedCardsText(cards, sep, true), encodings[seed % 4]);
        Dictionary dict;
        dict.setCategoryList(cats);
        const ImportPlan plan = importInto(dict, bytes, DuplicatePolicy::Add);
        QVERIFY2(plan.refused.isEmpty(), qPrintable(plan.refused.join(QLatin1Char('\n'))));
        QCOMPARE(plan.added.size(), cards.size());
        for (int i = 0; i < cards.size(); ++i) {
            if (!plan.added[i].sameContent(cards[i]))
                QFAIL(qPrintable(QStringLiteral("seed %1 card %2:\n%3\n%4")
                                     .arg(seed)
                                     .arg(i)
                                     .arg(describe(plan.added[i]), describe(cards[i]))));
        }
    }
}

void TestExchange::quoting_data()
{
    QTest::addColumn<QStringList>("fields");
    QTest::addColumn<QString>("separator");
    QTest::addColumn<QString>("written");
    const QString tab = QStringLiteral("\t");
    QTest::newRow("plain") << QStringList{QStringLiteral("a"), QStringLiteral("b c")} << tab
                           << QStringLiteral("a\tb c\r\n");
    QTest::newRow("separator inside") << QStringList{QStringLiteral("a;b"), QStringLiteral("c")}
                                      << QStringLiteral(";") << QStringLiteral("\"a;b\";c\r\n");
    QTest::newRow("comma only quoted in CSV")
        << QStringList{QStringLiteral("a,b"), QStringLiteral("c")} << tab
        << QStringLiteral("a,b\tc\r\n");
    QTest::newRow("quotes doubled") << QStringList{QStringLiteral("say \"hi\""), QString()} << tab
                                    << QStringLiteral("\"say \"\"hi\"\"\"\t\r\n");
    QTest::newRow("line breaks") << QStringList{QStringLiteral("one\ntwo"),
                                                QStringLiteral("x\r\ny"), QStringLiteral("\r")}
                                 << QStringLiteral(",")
                                 << QStringLiteral("\"one\ntwo\",\"x\r\ny\",\"\r\"\r\n");
    QTest::newRow("leading #") << QStringList{QStringLiteral("#tag"), QStringLiteral("b")} << tab
                               << QStringLiteral("\"#tag\"\tb\r\n");
    QTest::newRow("empty fields") << QStringList{QString(), QString(), QString()} << tab
                                  << QStringLiteral("\t\t\r\n");
}

void TestExchange::quoting()
{
    QFETCH(QStringList, fields);
    QFETCH(QString, separator);
    QFETCH(QString, written);
    QString out;
    appendRecord(out, fields, separator.at(0));
    QCOMPARE(visibleText(out), visibleText(written));
    // Two records in a row read back as they were, with their first lines.
    const QList<DelimitedRecord> back = parseDelimited(out + out, separator.at(0));
    QCOMPARE(back.size(), 2);
    QCOMPARE(back[0].fields, fields);
    QCOMPARE(back[1].fields, fields);
    QCOMPARE(back[0].line, 1);
    QCOMPARE(back[1].line, 1 + int(written.count(QLatin1Char('\n'))) +
                               int(written.count(QStringLiteral("\r"))) -
                               int(written.count(QStringLiteral("\r\n"))));
}

void TestExchange::separatorDetection_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("separator");
    QTest::newRow("tab") << QStringLiteral("a\tb\nc\td\n") << QStringLiteral("\t");
    QTest::newRow("semicolon with commas in fields")
        << QStringLiteral("run, ran;бежать\ngo, went;идти\n") << QStringLiteral(";");
    QTest::newRow("comma") << QStringLiteral("a,b,c\nd,e,f\n") << QStringLiteral(",");
    QTest::newRow("quoted separators do not count")
        << QStringLiteral("\"a;b;c\",x\n\"d;e\",y\n") << QStringLiteral(",");
    QTest::newRow("tab wins a tie") << QStringLiteral("a\tb;c\n") << QStringLiteral("\t");
    QTest::newRow("one column") << QStringLiteral("word\nother\n") << QStringLiteral("\t");
    QTest::newRow("consistent beats many")
        << QStringLiteral("a;b,c,d,e\nf;g\nh;i,j\n") << QStringLiteral(";");
}

void TestExchange::separatorDetection()
{
    QFETCH(QString, text);
    QFETCH(QString, separator);
    QCOMPARE(QString(detectSeparator(text)), separator);
}

void TestExchange::encodingDetection_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("encoding");
    const QString text = QStringLiteral("дом\thouse");
    QTest::newRow("utf-8 with mark")
        << encodeExchangeText(text, ExchangeEncoding::Utf8Bom) << int(ExchangeEncoding::Utf8Bom);
    QTest::newRow("utf-8") << text.toUtf8() << int(ExchangeEncoding::Utf8);
    QTest::newRow("utf-16 le") << encodeExchangeText(text, ExchangeEncoding::Utf16LE)
                               << int(ExchangeEncoding::Utf16LE);
    QTest::newRow("utf-16 be") << encodeExchangeText(text, ExchangeEncoding::Utf16BE)
                               << int(ExchangeEncoding::Utf16BE);
    QTest::newRow("windows-1251") << encodeExchangeText(text, ExchangeEncoding::Windows1251)
                                  << int(ExchangeEncoding::Windows1251);
}

void TestExchange::encodingDetection()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, encoding);
    ExchangeEncoding found = ExchangeEncoding::Utf8;
    QCOMPARE(decodeExchangeBytes(bytes, &found), QStringLiteral("дом\thouse"));
    QCOMPARE(int(found), encoding);
    // A character Windows-1251 lacks is written as "?", not dropped.
    QCOMPARE(encodeExchangeText(QStringLiteral("æ"), ExchangeEncoding::Windows1251),
             QByteArray("?"));
}

void TestExchange::ankiHeader()
{
    const QString text = QStringLiteral("#separator:Pipe\n#html:true\n#columns:Front|Back|Deck\n"
                                        "#deck column:3\n#tags column:4\n"
                                        "cat|<b>кот</b><br>кошка &amp; котёнок|Animals|tag1\n");
    ImportFile file = fileOf(text.toUtf8());
    QCOMPARE(file.layout.separator, QLatin1Char('|'));
    QVERIFY(file.layout.html);
    QCOMPARE(file.layout.bodyLine, 6);
    const DelimitedImport records = delimitedRecords(file, file.layout.separator);
    QVERIFY(!records.header);
    QCOMPARE(records.records.size(), 1);
    QCOMPARE(records.records[0].line, 6);
    QCOMPARE(records.columns,
             (QList<ExchangeColumn>{ExchangeColumn::Foreign, ExchangeColumn::Translation,
                                    ExchangeColumn::Lesson, ExchangeColumn::None}));
    const ImportSource source =
        cardsFromRecords(records.records, records.columns, {}, file.layout.html);
    QCOMPARE(source.cards.size(), 1);
    const Card &c = source.cards[0].card;
    QCOMPARE(c.lesson, QStringLiteral("Animals"));
    QCOMPARE(c.foreignWords.value(0).word, QStringLiteral("cat"));
    // "<br>" became a line break, and the text was read as a word list's side.
    QCOMPARE(htmlFieldToText(QStringLiteral("<b>кот</b><br>кошка &amp; котёнок")),
             QStringLiteral("кот\nкошка & котёнок"));
    QVERIFY(!c.translations.isEmpty());
}

void TestExchange::markupForm_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("canonical"); // empty: the text itself
    QTest::addColumn<bool>("ok");
    QTest::newRow("sections, groups, remarks")
        << QStringLiteral("[N] дом (устар.), здание; жилище [V] есть") << QString() << true;
    QTest::newRow("escapes") << QStringLiteral("[SS] a\\, b\\; c \\(d\\) \\[e\\] \\\\ f")
                             << QString() << true;
    QTest::newRow("blanks at the ends kept")
        << QStringLiteral("[*] \\ x\\ , y") << QString() << true;
    QTest::newRow("loose blanks read the same")
        << QStringLiteral("  [N]дом ,здание;  жилище  ")
        << QStringLiteral("[N] дом, здание; жилище") << true;
    QTest::newRow("line break in a whole text")
        << QStringLiteral("[Применено] две\nстроки") << QString() << true;
    QTest::newRow("no code") << QStringLiteral("дом") << QString() << false;
    QTest::newRow("open bracket") << QStringLiteral("[N дом") << QString() << false;
    QTest::newRow("open remark") << QStringLiteral("[N] дом (старое") << QString() << false;
}

void TestExchange::markupForm()
{
    QFETCH(QString, text);
    QFETCH(QString, canonical);
    QFETCH(bool, ok);
    QList<TranslationSection> sections;
    QString error;
    QCOMPARE(parseTranslationMarkup(text, &sections, &error), ok);
    if (!ok) {
        QVERIFY(!error.isEmpty());
        return;
    }
    QCOMPARE(::translationMarkup(sections), canonical.isEmpty() ? text : canonical);
    // The list form shares the escapes.
    const QStringList items = {QStringLiteral(" a,b "), QStringLiteral("(c)"), QString()};
    QCOMPARE(splitExchangeList(joinExchangeList(items)), items);
}

void TestExchange::duplicatePolicy_data()
{
    QTest::addColumn<int>("policy");
    QTest::addColumn<int>("added");
    QTest::addColumn<int>("updated");
    QTest::addColumn<int>("skipped");
    QTest::addColumn<QString>("translation"); // of the held card "cat" afterwards
    QTest::newRow("skip") << int(DuplicatePolicy::Skip) << 1 << 0 << 2 << QStringLiteral("кот");
    QTest::newRow("add") << int(DuplicatePolicy::Add) << 3 << 0 << 0 << QStringLiteral("кот");
    QTest::newRow("update") << int(DuplicatePolicy::Update) << 1 << 1 << 0
                            << QStringLiteral("кошка");
}

void TestExchange::duplicatePolicy()
{
    QFETCH(int, policy);
    QFETCH(int, added);
    QFETCH(int, updated);
    QFETCH(int, skipped);
    QFETCH(QString, translation);
    Dictionary dict;
    dict.setCategoryList(categoryList());
    const QString file = QStringLiteral("/d/a.xml");
    Card held =
        makeCard(QStringLiteral("cat"), {QStringLiteral("кот")}, QStringLiteral("L1"), file);
    held.nPER = held.pER = 4;
    dict.addOpenFile(file);
    dict.addCard(held);
    // The same word in another file is no duplicate; the same word and
    // lesson twice in the import is.
    dict.addCard(makeCard(QStringLiteral("dog"), {QStringLiteral("пёс")}, QStringLiteral("L1")));
    const QByteArray tsv = QStringLiteral("Иностранное слово\tПеревод\tУрок\n"
                                          "cat\tкошка\tL1\ndog\tсобака\tL1\ncat\tкиса\tL1\n")
                               .toUtf8();
    const ImportPlan plan = importInto(dict, tsv, DuplicatePolicy(policy), file);
    QCOMPARE(plan.added.size(), added);
    QCOMPARE(plan.updated.size(), updated);
    QCOMPARE(plan.skipped, skipped);
    for (const Card &c : plan.added)
        QCOMPARE(c.filePath, file);
    Card after = held;
    if (!plan.updated.isEmpty()) {
        after = plan.updated.first();
        // Only the columns the file has change; the priority stays.
        QCOMPARE(after.nPER, 4);
        // The later row of the import updates the same card again.
        QCOMPARE(after.translations[0].groups[0][0].word, QStringLiteral("киса"));
        return;
    }
    QCOMPARE(after.translations[0].groups[0][0].word, translation);
}

void TestExchange::refusedCardsNamedWithLines()
{
    Dictionary dict;
    dict.setCategoryList(categoryList());
    const QByteArray csv = QStringLiteral("Иностранное слово;Перевод;Категории;Приоритет ин-ру\n"
                                          "good;хорошо;Еда;2\n"
                                          "\"multi\nline\";x;Нет такой;1\n"
                                          ";только перевод;Еда;1\n"
                                          "num;число;Еда;пять\n")
                               .toUtf8();
    const ImportPlan plan = importInto(dict, csv, DuplicatePolicy::Add);
    QCOMPARE(plan.added.size(), 1);
    QCOMPARE(plan.added[0].nPER, 2);
    QCOMPARE(plan.refused.size(), 3);
    QVERIFY2(plan.refused[0].startsWith(QStringLiteral("строка 3: ")), qPrintable(plan.refused[0]));
    QVERIFY(plan.refused[1].startsWith(QStringLiteral("строка 5: ")));
    QVERIFY(plan.refused[2].startsWith(QStringLiteral("строка 6: ")));
    QVERIFY(plan.refused[2].contains(QStringLiteral("«пять»")));
    const QString message = ExchangeText::refusedCards(plan.refused);
    QVERIFY(message.contains(plan.refused[0]) && message.contains(plan.refused[2]));
}

void TestExchange::importIsOneUndoableCommand()
{
    Dictionary dict;
    dict.setCategoryList(categoryList());
    DictionaryHistory history(dict);
    const QString file = QStringLiteral("/d/a.xml");
    dict.addOpenFile(file);
    const int heldId = dict.addCard(
        makeCard(QStringLiteral("cat"), {QStringLiteral("кот")}, QStringLiteral("L1"), file));
    const QByteArray tsv = QStringLiteral("Иностранное слово\tПеревод\tУрок\n"
                                          "cat\tкошка\tL1\nnew\tновый\tL2\n")
                               .toUtf8();
    const ImportPlan plan = importInto(dict, tsv, DuplicatePolicy::Update, file);
    const QList<int> ids =
        history.importCards(plan.added, plan.updated, ExchangeText::historyText(2));
    QCOMPARE(ids.size(), 1);
    QCOMPARE(history.count(), 1);
    QCOMPARE(history.undoText(), QStringLiteral("импорт 2 карточек"));
    QCOMPARE(dict.cardCount(), 2);
    QCOMPARE(dict.cardById(heldId)->translations[0].groups[0][0].word, QStringLiteral("кошка"));
    QVERIFY(dict.lessons().count(QStringLiteral("L2")));
    QVERIFY(dict.isModified());
    history.undo();
    QCOMPARE(dict.cardCount(), 1);
    QCOMPARE(dict.cardById(heldId)->translations[0].groups[0][0].word, QStringLiteral("кот"));
    history.redo();
    QCOMPARE(dict.cardCount(), 2);
    QCOMPARE(dict.cardById(ids[0])->foreignWords[0].word, QStringLiteral("new"));
    QCOMPARE(dict.cardById(heldId)->translations[0].groups[0][0].word, QStringLiteral("кошка"));
}

void TestExchange::kvtmlFixture()
{
    QFile f(testDataPath(QStringLiteral("exchange/parley_sample.kvtml")));
    QVERIFY(f.open(QIODevice::ReadOnly));
    const KvtmlDocument doc = readKvtml(f.readAll());
    QVERIFY2(doc.error.isEmpty(), qPrintable(doc.error));
    QCOMPARE(doc.title, QStringLiteral("Пробный набор"));
    QCOMPARE(doc.identifiers.size(), 3);
    QCOMPARE(doc.identifiers[2].name, QStringLiteral("Deutsch"));
    QCOMPARE(doc.entries.size(), 5);
    QCOMPARE(doc.lessons.size(), 3);

    const ImportSource source =
        cardsFromKvtml(doc, 0, 1, {QStringLiteral("Без урока"), QStringLiteral("Прочие")});
    QCOMPARE(source.cards.size(), 4); // the German-only entry has neither side
    const Card &house = source.cards[0].card;
    QCOMPARE(house.foreignWords.size(), 1);
    QCOMPARE(house.foreignWords[0].word, QStringLiteral("house"));
    QCOMPARE(house.foreignWords[0].transcription, QStringLiteral("[haʊs]"));
    QCOMPARE(house.lesson, QStringLiteral("Unit 1")); // the first container naming it
    QCOMPARE(translationMarkup(house.translations), QStringLiteral("[*] дом"));
    QCOMPARE(house.categories, QList<QString>{QStringLiteral("Прочие")});
    QCOMPARE(house.nPER, 5); // grade 2 of the Russian side
    QCOMPARE(house.pER, 5);
    QCOMPARE(house.nPRE, 1); // grade 7: learned
    const Card &run = source.cards[1].card;
    QCOMPARE(run.foreignWords[0].transcription, QStringLiteral("[rʌn]"));
    QCOMPARE(run.lesson, QStringLiteral("Unit 1 / Verbs"));
    QCOMPARE(translationMarkup(run.translations), QStringLiteral("[V] бежать, бегать"));
    QCOMPARE(run.nPER, 3);
    const Card &apple = source.cards[2].card;
    QCOMPARE(apple.foreignWords[0].word, QStringLiteral("apple & pear"));
    QCOMPARE(apple.lesson, QStringLiteral("Food"));
    QCOMPARE(translationMarkup(apple.translations), QStringLiteral("[SS] яблоко и груша"));
    QCOMPARE(source.cards[3].card.lesson, QStringLiteral("Без урока"));
    QVERIFY(source.cards[3].line > source.cards[2].line);

    // The other identifiers: German as the foreign side.
    const ImportSource german = cardsFromKvtml(doc, 2, 1, {QStringLiteral("x"), QString()});
    QCOMPARE(german.cards.size(), 5);
    QCOMPARE(german.cards[0].card.foreignWords[0].word, QStringLiteral("Haus"));

    QVERIFY(!readKvtml("<kvtml version=\"1.0\"/>").error.isEmpty());
    QVERIFY(!readKvtml("<words/>").error.isEmpty());
    QVERIFY(!readKvtml("<kvtml version=\"2.0\"><entries>").error.isEmpty());
}

void TestExchange::kvtmlExportReadBack()
{
    QList<Card> cards;
    Card a = makeCard(QStringLiteral("house"), {QStringLiteral("дом"), QStringLiteral("здание")},
                      QStringLiteral("Урок 2"));
    a.foreignWords[0].transcription = QStringLiteral("[haʊs]");
    a.pER = 4;
    a.pRE = 2;
    cards << a << makeCard(QStringLiteral("go"), {QStringLiteral("идти")}, QStringLiteral("Урок 1"))
          << makeCard(QStringLiteral("<&>"), {QStringLiteral("знаки")}, QStringLiteral("Урок 2"));
    const KvtmlDocument doc = readKvtml(kvtmlBytes(cards, QStringLiteral("Мой словарь")));
    QVERIFY2(doc.error.isEmpty(), qPrintable(doc.error));
    QCOMPARE(doc.title, QStringLiteral("Мой словарь"));
    QCOMPARE(doc.entries.size(), 3);
    QCOMPARE(doc.lessons, (QStringList{QStringLiteral("Урок 2"), QStringLiteral("Урок 1")}));
    const ImportSource back =
        cardsFromKvtml(doc, 0, 1, {QStringLiteral("-"), QStringLiteral("Еда")});
    QCOMPARE(back.cards.size(), 3);
    for (int i = 0; i < 3; ++i) {
        const Card &c = back.cards[i].card;
        QCOMPARE(c.foreignWords[0].word, cards[i].foreignWords[0].word);
        QCOMPARE(c.foreignWords[0].transcription, cards[i].foreignWords[0].transcription);
        QCOMPARE(c.lesson, cards[i].lesson);
        QCOMPARE(translationMarkup(c.translations), translationMarkup(cards[i].translations));
        QCOMPARE(c.nPER, cards[i].pER);
        QCOMPARE(c.nPRE, cards[i].pRE);
    }
}

void TestExchange::gradeRule_data()
{
    QTest::addColumn<int>("grade");
    QTest::addColumn<int>("priority");
    const int table[][2] = {{-1, 1}, {0, 1}, {1, 5}, {2, 5}, {3, 4},
                            {4, 3},  {5, 3}, {6, 2}, {7, 1}, {9, 1}};
    for (const auto &row : table)
        QTest::addRow("grade %d", row[0]) << row[0] << row[1];
}

void TestExchange::gradeRule()
{
    QFETCH(int, grade);
    QFETCH(int, priority);
    QCOMPARE(priorityForGrade(grade), priority);
    // Every priority a card may have comes back from its own grade.
    if (priority >= 1 && priority <= 5)
        QCOMPARE(priorityForGrade(gradeForPriority(priority)), priority);
}

void TestExchange::printableList()
{
    QList<Card> cards = {
        makeCard(QStringLiteral("b-word"), {QStringLiteral("бэ")}, QStringLiteral("Урок 2")),
        makeCard(QStringLiteral("a<word>"), {QStringLiteral("а & я")}, QStringLiteral("Урок 1")),
        makeCard(QStringLiteral("c-word"), {QStringLiteral("цэ")}, QStringLiteral("Урок 2"))};
    const QString html = printableHtml(cards, QStringLiteral("Список"), HiddenSide::None);
    // Grouped by lesson in order, escaped, the cards of a lesson in their order.
    const qsizetype l1 = html.indexOf(QStringLiteral("<h2>Урок 1</h2>"));
    const qsizetype l2 = html.indexOf(QStringLiteral("<h2>Урок 2</h2>"));
    QVERIFY(l1 > 0 && l2 > l1);
    QVERIFY(html.indexOf(QStringLiteral("a&lt;word&gt;")) > l1);
    QVERIFY(html.indexOf(QStringLiteral("b-word")) > l2);
    QVERIFY(html.indexOf(QStringLiteral("c-word")) > html.indexOf(QStringLiteral("b-word")));
    QVERIFY(html.contains(QStringLiteral("а &amp; я")));

    const QString sheet = printableHtml(cards, QStringLiteral("Список"), HiddenSide::Russian);
    QVERIFY(sheet.contains(QStringLiteral("b-word")));
    QVERIFY(!sheet.contains(QStringLiteral("бэ")));
    const QString other = printableHtml(cards, QStringLiteral("Список"), HiddenSide::Foreign);
    QVERIFY(!other.contains(QStringLiteral("b-word")));
    QVERIFY(other.contains(QStringLiteral("бэ")));

    const QByteArray pdf = printablePdf(html, QStringLiteral("Список"));
    QVERIFY(pdf.startsWith("%PDF"));
    QVERIFY(pdf.contains("%%EOF"));
}

QTEST_MAIN(TestExchange)
#include "test_exchange.moc"
