#include "model/dictionary_file.h"
#include "model/markup.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QtTest>

#include <climits>
#include <unistd.h>

namespace
{

const QString kPath = QStringLiteral("/d/слова.xml");

const QString kHeader = QStringLiteral(
    "<?xml version=\"1.0\" encoding=\"Unicode\" standalone = \"yes\"?>\r\n<!DOCTYPE words [\r\n"
    "<!ELEMENT lesson (w+)>\r\n<!ELEMENT w (f?,r?,c)>\r\n]>\r\n\r\n");

// A card the reader accepts.
const QString kCard = QStringLiteral("<w><f><fw w=\"a\"/></f><c n=\"Еда;\"/></w>");

QString doc(const QString &body)
{
    return kHeader + QStringLiteral("<words>") + body + QStringLiteral("</words>");
}

StringSet categories()
{
    return {QStringLiteral("Еда"),
            QStringLiteral("Дом"),
            QStringLiteral("Город"),
            QStringLiteral("Общение"),
            QStringLiteral("Прочие"),
            QStringLiteral("<Кухня & \"бар\">"),
            QStringLiteral("Два\nряда\tи\r😀")};
}

QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

bool putBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

Card card(const QString &lesson, const QString &word, const QString &category)
{
    Card c;
    c.lesson = lesson;
    if (!word.isEmpty())
        c.foreignWords.append({word, QString(), false});
    c.categories.append(category);
    return c;
}

// The dictionary of the golden file, in an order the save has to sort.
QList<Card> smallDictionary()
{
    Card house = card(QStringLiteral("Урок 2"), QStringLiteral("house"), QStringLiteral("Дом"));
    house.foreignWords[0] = {QStringLiteral("house"), QStringLiteral("[haus]"), true};
    house.foreignWords.append({QStringLiteral("home"), QString(), false});
    house.translations.append({{{{QStringLiteral("дом"), QString()},
                                 {QStringLiteral("здание"), QStringLiteral("устар.")}},
                                {{QStringLiteral("жилище"), QString()}}},
                               QStringLiteral("N")});
    house.categories.append(QStringLiteral("Город"));
    house.nPER = 2, house.pER = 4, house.rER = 1, house.aER = 3, house.aRE = 2;
    house.soundPath = QStringLiteral("house.wav");

    Card say =
        card(QStringLiteral("Урок 1"), QStringLiteral("say \"hi\""), QStringLiteral("Общение"));
    say.foreignWords[0].transcription = QStringLiteral("[seɪ]");
    say.translations.append(
        {{{{QStringLiteral("сказать \"привет\""), QString()}}}, QStringLiteral("S")});
    say.nAr = false;

    Card eat = card(QStringLiteral("Урок 2"), QString(), QStringLiteral("Еда"));
    eat.translations.append({{{{QStringLiteral("есть"), QString()}},
                              {{QStringLiteral("кушать"), QStringLiteral("разг.")}}},
                             QStringLiteral("V")});

    Card go = card(QStringLiteral("Урок 1"), QStringLiteral("go"), QStringLiteral("Прочие"));
    go.foreignWords[0].autoCheck = true;
    go.nPER = go.pER = 3, go.nPRE = 2, go.pRE = 5, go.rRE = 4;
    return {house, say, eat, go};
}

QString golden(const QString &name)
{
    return qEnvironmentVariable("LEXITOR_TEST_DATA") + QStringLiteral("/dict/") + name;
}

// Order and path of every card: what a failed save must leave alone.
QStringList identity(const QList<Card> &cards)
{
    QStringList out;
    for (const Card &c : cards)
        out.append(firstForeignWord(c) + QLatin1Char('|') + c.filePath);
    return out;
}

} // namespace

class TestDictionaryFile : public QObject
{
    Q_OBJECT

private slots:
    // Writing
    void writtenBytesMatchGolden();
    void programErrors();
    void unreadableCardsRefused_data();
    void unreadableCardsRefused();
    void failedSaveKeepsFileAndCards_data();
    void failedSaveKeepsFileAndCards();
    void backupOncePerRun();
    void hostileRoundTrip();

    // Reading
    void warnings_data();
    void warnings();
    void refusedFile_data();
    void refusedFile();
    void numbers_data();
    void numbers();
    void elementRules();
    void readFileAddsCards();
    void fileWithoutCardsNotOpened();
    void encodings_data();
    void encodings();
};

void TestDictionaryFile::writtenBytesMatchGolden()
{
    const QByteArray expected = fileBytes(golden(QStringLiteral("small.xml")));
    QList<Card> cards = smallDictionary();
    const QList<Card> original = cards;

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("small.xml"));
    const WriteOutcome w = writeDictionaryFile(cards, path, nullptr);
    QVERIFY2(w.ok, qPrintable(w.message));
    QCOMPARE(fileBytes(path), expected);

    // Stable by lesson: say before go, house before eat; every card now in the file.
    const QList<int> order = {1, 3, 0, 2};
    for (int i = 0; i < cards.size(); ++i) {
        QVERIFY(cards[i].sameContent(original[order[i]]));
        QCOMPARE(cards[i].filePath, path);
    }
    QCOMPARE(dictionaryFileBytes(cards), expected);
}

void TestDictionaryFile::programErrors()
{
    QList<Card> cards = smallDictionary();
    QCOMPARE(writeDictionaryFile(cards, QString(), nullptr).message,
             QStringLiteral("Ошибка программы\nВ функцию сохранения передано пустое имя файла"));
    QList<Card> none;
    QTemporaryDir dir;
    const WriteOutcome w =
        writeDictionaryFile(none, dir.filePath(QStringLiteral("a.xml")), nullptr);
    QVERIFY(!w.ok);
    QCOMPARE(
        w.message,
        QStringLiteral("Ошибка программы\nВ функцию сохранения передан пустой контейнер карточек"));
}

void TestDictionaryFile::unreadableCardsRefused_data()
{
    QTest::addColumn<QString>("lesson");
    QTest::addColumn<QString>("remark");
    QTest::addColumn<QString>("fragment");
    const QString noLesson = QStringLiteral("» не указан урок");
    QTest::newRow("empty lesson") << QString() << QString() << noLesson;
    QTest::newRow("blank lesson") << QStringLiteral(" \t\n") << QString() << noLesson;
    QTest::newRow("control character")
        << QStringLiteral("Б") << QStringLiteral("a\x01") << QStringLiteral("(код U+0001)");
    QTest::newRow("form feed") << QStringLiteral("Б") << QStringLiteral("\x0c")
                               << QStringLiteral("(код U+000C)");
    QTest::newRow("lone surrogate")
        << QStringLiteral("Б") << QString(QChar(0xD83D)) << QStringLiteral("(код U+D83D)");
    QTest::newRow("U+FFFF") << QStringLiteral("Б") << QString(QChar(0xFFFF))
                            << QStringLiteral("(код U+FFFF)");
}

void TestDictionaryFile::unreadableCardsRefused()
{
    QFETCH(QString, lesson);
    QFETCH(QString, remark);
    QFETCH(QString, fragment);
    Card bad = card(lesson, QStringLiteral("кот"), QStringLiteral("Дом"));
    bad.translations.append({{{{QStringLiteral("кот"), remark}}}, QStringLiteral("N")});
    QList<Card> cards = {card(QStringLiteral("Я"), QStringLiteral("b"), QStringLiteral("Еда")),
                         bad};
    const QStringList before = identity(cards);

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("d.xml"));
    const WriteOutcome w = writeDictionaryFile(cards, path, nullptr);
    QVERIFY(!w.ok);
    QVERIFY2(w.message.startsWith(QStringLiteral("Невозможно сохранить файл\n") + path + "\n"),
             qPrintable(w.message));
    QVERIFY2(w.message.contains(QStringLiteral("«кот")) && w.message.contains(fragment),
             qPrintable(w.message));
    QVERIFY(!QFile::exists(path));
    QCOMPARE(identity(cards), before);
}

void TestDictionaryFile::failedSaveKeepsFileAndCards_data()
{
    QTest::addColumn<QString>("setup");
    QTest::addColumn<QString>("prefix");
    QTest::newRow("path is a folder") << "folder" << QStringLiteral("Невозможно открыть файл\n");
    QTest::newRow("folder missing") << "missing" << QStringLiteral("Невозможно открыть файл\n");
    QTest::newRow("backup blocked")
        << "bak" << QStringLiteral("Невозможно сохранить резервную копию\n");
    QTest::newRow("read-only folder")
        << "readonly" << QStringLiteral("Невозможно сохранить резервную копию\n");
    QTest::newRow("read-only folder, copy kept before")
        << "readonly kept" << QStringLiteral("Невозможно открыть файл\n");
}

void TestDictionaryFile::failedSaveKeepsFileAndCards()
{
    QFETCH(QString, setup);
    QFETCH(QString, prefix);
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("d.xml"));
    const QByteArray old = "old bytes";
    if (setup == "folder") {
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("d.xml")));
    } else if (setup == "missing") {
        path = dir.filePath(QStringLiteral("gone/d.xml"));
    } else if (setup == "bak") {
        QVERIFY(putBytes(path, old));
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("d.xml.bak")));
    } else {
        if (geteuid() == 0)
            QSKIP("root writes into read-only folders");
        QVERIFY(putBytes(path, old));
        QVERIFY(QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner));
    }
    QList<Card> cards = smallDictionary();
    const QStringList before = identity(cards);
    QSet<QString> backedUp;
    if (setup == "readonly kept")
        backedUp.insert(path);
    const WriteOutcome w = writeDictionaryFile(cards, path, &backedUp);
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    QVERIFY(!w.ok);
    QVERIFY2(w.message.startsWith(prefix), qPrintable(w.message));
    QVERIFY2(w.message.contains(path + "\n"), qPrintable(w.message));
    QCOMPARE(identity(cards), before);
    if (setup == "bak" || setup.startsWith("readonly")) {
        QCOMPARE(fileBytes(path), old);
        // Nothing but the old file and what the setup made.
        QCOMPARE(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).size(),
                 setup == "bak" ? 2 : 1);
    }
}

void TestDictionaryFile::backupOncePerRun()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("d.xml"));
    const QString bak = path + QStringLiteral(".bak");
    QVERIFY(putBytes(path, "version 0"));
    QList<Card> cards = smallDictionary();

    QSet<QString> run1;
    QVERIFY(writeDictionaryFile(cards, path, &run1).ok);
    QCOMPARE(fileBytes(bak), QByteArray("version 0"));
    const QByteArray version1 = fileBytes(path);

    cards.removeLast();
    QVERIFY(writeDictionaryFile(cards, path, &run1).ok);
    QCOMPARE(fileBytes(bak), QByteArray("version 0"));
    QVERIFY(fileBytes(path) != version1);

    // The next run keeps what it found.
    const QByteArray version2 = fileBytes(path);
    QSet<QString> run2;
    QVERIFY(writeDictionaryFile(cards, path, &run2).ok);
    QCOMPARE(fileBytes(bak), version2);

    // A file made in this run has no older version to keep.
    const QString fresh = dir.filePath(QStringLiteral("new.xml"));
    QVERIFY(writeDictionaryFile(cards, fresh, &run2).ok);
    QVERIFY(writeDictionaryFile(cards, fresh, &run2).ok);
    QVERIFY(!QFile::exists(fresh + QStringLiteral(".bak")));
    QVERIFY(writeDictionaryFile(cards, path, nullptr).ok);
    QCOMPARE(fileBytes(bak), version2);
}

void TestDictionaryFile::hostileRoundTrip()
{
    const QStringList pieces = {
        QStringLiteral("\""),   QStringLiteral("&"),     QStringLiteral("<"),
        QStringLiteral(">"),    QStringLiteral("\n"),    QStringLiteral("\r"),
        QStringLiteral("\r\n"), QStringLiteral("\t"),    QStringLiteral(" "),
        QStringLiteral("'"),    QStringLiteral("ёЖ"),    QStringLiteral("😀"),
        QStringLiteral("]]>"),  QStringLiteral("&amp;"), QStringLiteral("&#10;"),
        QStringLiteral("%1"),   QStringLiteral("word"),  QStringLiteral(";")};
    const QStringList codes = {QStringLiteral("N"), QStringLiteral("Применено"),
                               QStringLiteral("*"), QStringLiteral("SS")};
    const StringSet cats = categories();
    const QList<QString> catList(cats.begin(), cats.end());
    const QList<int> numbers = {0, 1, 7, -5, INT_MAX, INT_MIN};
    QRandomGenerator rng(2024);
    auto text = [&](int minPieces) {
        QString s;
        for (int n = minPieces + rng.bounded(5); n > 0; --n)
            s += pieces[rng.bounded(pieces.size())];
        return s;
    };
    auto num = [&] { return numbers[rng.bounded(numbers.size())]; };

    // Few lessons, so that the sort has long runs to keep in order. The reader
    // simplifies lesson names: only simplified ones come back as they were.
    QStringList lessons;
    while (lessons.size() < 5) {
        const QString l = text(1).simplified();
        if (!l.isEmpty())
            lessons.append(l);
    }
    QList<Card> cards;
    for (int i = 0; i < 300; ++i) {
        Card c;
        c.id = i;
        c.lesson = lessons[rng.bounded(lessons.size())];
        for (int n = 1 + rng.bounded(3); n > 0; --n)
            c.foreignWords.append({text(1), text(0), rng.bounded(2) == 1});
        for (int s = rng.bounded(3); s > 0; --s) {
            TranslationSection sec;
            sec.code = codes[rng.bounded(codes.size())];
            for (int g = 1 + rng.bounded(3); g > 0; --g) {
                TranslationGroup group;
                for (int v = 1 + rng.bounded(3); v > 0; --v)
                    group.append({text(1), text(0)});
                sec.groups.append(group);
            }
            c.translations.append(sec);
        }
        for (int n = 1 + rng.bounded(3); n > 0; --n)
            c.categories.append(catList[rng.bounded(catList.size())]);
        if (rng.bounded(2))
            c.soundPath = text(1);
        c.nPER = num(), c.pER = num(), c.rER = num(), c.aER = num();
        c.nPRE = num(), c.pRE = num(), c.rRE = num(), c.aRE = num();
        c.nAr = rng.bounded(2);
        cards.append(c);
    }

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("hostile.xml"));
    const WriteOutcome w = writeDictionaryFile(cards, path, nullptr);
    QVERIFY2(w.ok, qPrintable(w.message));
    Dictionary dict;
    dict.categoryList = cats;
    const ReadOutcome r = readDictionaryFile(dict, path);
    QVERIFY2(r.warnings.isEmpty(), qPrintable(r.warnings.join("\n---\n")));
    for (int i = 1; i < cards.size(); ++i) {
        const Card &a = cards[i - 1], &b = cards[i];
        QVERIFY(a.lesson < b.lesson || (a.lesson == b.lesson && a.id < b.id));
    }
    QCOMPARE(dict.cards.size(), cards.size());
    for (int i = 0; i < cards.size(); ++i)
        QVERIFY2(dict.cards[i].sameContent(cards[i]), qPrintable(QString::number(i)));
}

void TestDictionaryFile::warnings_data()
{
    QTest::addColumn<QString>("body");
    QTest::addColumn<QStringList>("expected"); // "P" stands for the path
    QTest::addColumn<int>("cards");
    const QString s = QStringLiteral("Ошибка разбора структуры файла\nP\n");
    const QString f = QStringLiteral("В файле\nP\n");
    const QString c = QStringLiteral("<c n=\"Еда;\"/>");
    const QString fw = QStringLiteral("<f><fw w=\"a\"/></f>");
    const QString noName = s + QStringLiteral("У элемента <lesson> отсутствует атрибут \"n\" или "
                                              "его значение пусто");
    auto lesson = [](const QString &inner) { return "<lesson n=\"L\">" + inner + "</lesson>"; };
    auto w = [&](const QString &inner) { return lesson("<w>" + inner + "</w>"); };
    auto code = [&](const QString &x) {
        return f + "В элементе <rw> указано имя раздела отсутствующее в списке: [" + x +
               "]\nИли это имя пустое";
    };
    auto cat = [&](const QString &x) {
        return f + "Найдена категория карточки отсутствующая в списке категорий: " + x +
               "\nИли строка категории пуста";
    };

    QTest::newRow("not a lesson") << "<x/>" + lesson(kCard)
                                  << QStringList{s + "Встречен не элемент <lesson>"} << 1;
    QTest::newRow("lesson without n: one warning, rest skipped")
        << "<lesson>" + kCard + "<x/>" + kCard + "</lesson>" + lesson(kCard) << QStringList{noName}
        << 1;
    QTest::newRow("blank n") << "<lesson n=\" \t \">" + kCard + "</lesson>" << QStringList{noName}
                             << 0;
    QTest::newRow("nameless lesson without children") << "<lesson/>" << QStringList{} << 0;
    QTest::newRow("not a w") << lesson("<x/>" + kCard)
                             << QStringList{s + "Внутри элемента <lesson> встречен не элемент <w>"}
                             << 1;
    const QString inW = f + "Внутри элемента <w> встречен неизвестный элемент <";
    QTest::newRow("unknown and repeated in w")
        << w(fw + "<x/>" + c + "<f/><r/><r/><c n=\"Дом;\"/><a:b/>")
        << QStringList{inW + "x>", inW + "f>", inW + "r>", inW + "c>", inW + "a:b>"} << 1;
    QTest::newRow("unknown in f")
        << w("<f><x/><fw w=\"a\"/></f>" + c)
        << QStringList{f + "Внутри элемента <f> встречен неизвестный элемент <x>"} << 1;
    QTest::newRow("unknown codes, section not looked into")
        << w(fw +
             "<r><rw c=\"n\"><ss><x/></ss></rw><rw><ss/></rw><rw c=\"[N]\"/>"
             "<rw c=\"N\"><ss><wv w=\"дом\"/></ss></rw></r>" +
             c)
        << QStringList{code("n"), code(""), code("[N]")} << 1;
    QTest::newRow("unknown in r, rw, ss")
        << w(fw + "<r><x/><rw c=\"N\"><y/><ss><z/><wv w=\"дом\"/></ss></rw></r>" + c)
        << QStringList{f + "Внутри элемента <r> встречен неизвестный элемент <x>",
                       f + "В элементе <rw> встречен неизвестный элемент <y>",
                       f + "В элементе <ss> встречен неизвестный элемент <z>"}
        << 1;
    QTest::newRow("empty category list")
        << w(fw + "<c n=\"\"/>")
        << QStringList{f + "Для элемента <c> атрибут \"список категорий\" пуст"} << 0;
    QTest::newRow("unknown and empty categories")
        << w(fw + "<c n=\"Еда;Кот;; Дом;Дом\"/>") << QStringList{cat("Кот"), cat(""), cat(" Дом")}
        << 1;
    QTest::newRow("categories all unknown")
        << w(fw + "<c n=\"Кот;\"/>") << QStringList{cat("Кот")} << 0;
    QTest::newRow("no closing semicolon: silent drop")
        << w(fw + "<c n=\"Еда\"/>") << QStringList{} << 0;
    QTest::newRow("document order across levels")
        << "<x/>" + w("<f><y/></f><z/><c n=\"Кот;\"/>")
        << QStringList{s + "Встречен не элемент <lesson>",
                       f + "Внутри элемента <f> встречен неизвестный элемент <y>", inW + "z>",
                       cat("Кот")}
        << 0;
}

void TestDictionaryFile::warnings()
{
    QFETCH(QString, body);
    QFETCH(QStringList, expected);
    QFETCH(int, cards);
    const DictionaryReadResult r = parseDictionaryText(doc(body), kPath, categories());
    expected.replaceInStrings(QStringLiteral("\nP\n"), "\n" + kPath + "\n");
    QCOMPARE(r.warnings, expected);
    QCOMPARE(r.cards.size(), cards);
    QVERIFY(!r.refused);
}

void TestDictionaryFile::refusedFile_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    const QString parse = QStringLiteral("Ошибка разбора структуры файла P\n");
    QTest::newRow("mismatch after good cards and warnings")
        << "<words><x/><lesson n=\"L\">" + kCard + "</words>"
        << parse + "Opening and ending tag mismatch.\nСтрока: 1\nСимвол: " +
               QString::number(33 + kCard.size());
    QTest::newRow("empty") << QString()
                           << parse + "Premature end of document.\nСтрока: 1\nСимвол: 0";
    QTest::newRow("extra content")
        << "<words/>\r\n<words/>"
        << parse + "Extra content at end of document.\nСтрока: 2\nСимвол: 8";
    QTest::newRow("wrong root")
        << "<lessons><lesson n=\"L\">" + kCard + "</lesson></lessons>"
        << QStringLiteral("Ошибка разбора структуры файла\nP\nКорневой элемент не имеет имя words");
    QTest::newRow("wrong root, broken later")
        << "<dict><x></dict>" << parse + "Opening and ending tag mismatch.\nСтрока: 1\nСимвол: 16";
}

void TestDictionaryFile::refusedFile()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    const DictionaryReadResult r = parseDictionaryText(text, kPath, categories());
    QVERIFY(r.refused);
    QCOMPARE(r.warnings, QStringList{expected.replace(QStringLiteral("P\n"), kPath + "\n")});
    QVERIFY(r.cards.isEmpty());
    QVERIFY(r.lessons.empty());
}

void TestDictionaryFile::numbers_data()
{
    QTest::addColumn<QString>("attrs");
    QTest::addColumn<QList<int>>("expected"); // nPER pER rER aER nPRE pRE rRE aRE nAr
    QTest::newRow("missing") << "" << QList<int>{1, 1, 0, 0, 1, 1, 0, 0, 1};
    QTest::newRow("all distinct") << "nPER=\"2\" pER=\"5\" rER=\"7\" aER=\"8\" nPRE=\"3\" "
                                     "pRE=\"6\" rRE=\"9\" aRE=\"10\" nAr=\"1\""
                                  << QList<int>{2, 5, 7, 8, 3, 6, 9, 10, 1};
    QTest::newRow("p follows n") << "nPER=\"3\" nPRE=\"4\""
                                 << QList<int>{3, 3, 0, 0, 4, 4, 0, 0, 1};
    QTest::newRow("bad p follows n")
        << "nPER=\"3\" pER=\"x\" nPRE=\"4\" pRE=\"\"" << QList<int>{3, 3, 0, 0, 4, 4, 0, 0, 1};
    QTest::newRow("bad n") << "nPER=\"x\" pER=\"2\"" << QList<int>{1, 2, 0, 0, 1, 1, 0, 0, 1};
    QTest::newRow("negative, overflow")
        << "rER=\"-3\" aER=\"99999999999\"" << QList<int>{1, 1, -3, 0, 1, 1, 0, 0, 1};
    QTest::newRow("archived") << "nAr=\"0\"" << QList<int>{1, 1, 0, 0, 1, 1, 0, 0, 0};
    QTest::newRow("nAr not a number") << "nAr=\"no\"" << QList<int>{1, 1, 0, 0, 1, 1, 0, 0, 1};
    QTest::newRow("nAr other number") << "nAr=\"-2\"" << QList<int>{1, 1, 0, 0, 1, 1, 0, 0, 1};
}

void TestDictionaryFile::numbers()
{
    QFETCH(QString, attrs);
    QFETCH(QList<int>, expected);
    QString w = kCard;
    w.insert(2, QLatin1Char(' ') + attrs);
    const DictionaryReadResult r =
        parseDictionaryText(doc("<lesson n=\"L\">" + w + "</lesson>"), kPath, categories());
    QCOMPARE(r.cards.size(), 1);
    const Card &c = r.cards[0];
    QCOMPARE((QList<int>{c.nPER, c.pER, c.rER, c.aER, c.nPRE, c.pRE, c.rRE, c.aRE, int(c.nAr)}),
             expected);
}

void TestDictionaryFile::elementRules()
{
    const QString body = QStringLiteral(
        "<!-- note --><lesson n=\"  Урок \t  один \">text<?pi x?>"
        "<w><v p=\"a.wav\"/>"
        "<f><fw w=\"\" tr=\"[x]\"/><fw w=\"t\" aChk=\"t\"><fw w=\"inner\"/></fw><fw w=\"T\" "
        "aChk=\"T\"/><fw w=\"m\"/></f>"
        "<r><rw c=\"N\"><ss/><ss><wv w=\"\" i=\"lost\"/></ss></rw>"
        "<rw c=\"V\"><ss><wv w=\"идти\"/><wv w=\"\"/></ss><ss/><ss><wv w=\"ехать\" "
        "i=\"на\"/></ss></rw></r>"
        "<c n=\"Дом;Еда;\"/><c n=\"Город;\"/><f><fw w=\"second\"/></f>"
        "<v p=\"b.wav\"/></w>"
        "<w><f><fw w=\"x\"/></f><c n=\"Еда;\"/><v p=\"c.wav\"/><v/></w>"
        "</lesson>");
    const DictionaryReadResult r = parseDictionaryText(doc(body), kPath, categories());
    QCOMPARE(r.warnings.size(), 2); // the second <c> and <f>
    QCOMPARE(r.lessons, StringSet{QStringLiteral("Урок один")});
    QCOMPARE(r.cards.size(), 2);
    const Card &c = r.cards[0];
    QCOMPARE(c.lesson, QStringLiteral("Урок один"));
    QCOMPARE(c.foreignWords,
             (QList<ForeignWord>{{"t", "", true}, {"T", "", false}, {"m", "", false}}));
    QCOMPARE(c.translations.size(), 1);
    QCOMPARE(c.translations[0].code, QStringLiteral("V"));
    QCOMPARE(c.translations[0].groups,
             (QList<TranslationGroup>{{{QStringLiteral("идти"), QString()}},
                                      {{QStringLiteral("ехать"), QStringLiteral("на")}}}));
    QCOMPARE(c.categories, (QList<QString>{QStringLiteral("Дом"), QStringLiteral("Еда")}));
    QCOMPARE(c.soundPath, QStringLiteral("b.wav"));
    QCOMPARE(r.cards[1].soundPath, QString()); // the last <v> wins, even without p
}

void TestDictionaryFile::readFileAddsCards()
{
    Dictionary dict;
    dict.categoryList = categories();
    dict.idCounter = 5;
    dict.lessons.insert(QStringLiteral("Старый"));
    const QString path = golden(QStringLiteral("small.xml"));
    const ReadOutcome r = readDictionaryFile(dict, path);
    QVERIFY(r.opened && r.added);
    QVERIFY(r.warnings.isEmpty());
    // The golden file reads back; its card without a foreign word is dropped silently.
    const QList<Card> all = smallDictionary();
    const QList<Card> expected = {all[1], all[3], all[0]};
    QCOMPARE(dict.cards.size(), expected.size());
    for (int i = 0; i < expected.size(); ++i) {
        QVERIFY(dict.cards[i].sameContent(expected[i]));
        QCOMPARE(dict.cards[i].id, 6 + i);
        QCOMPARE(dict.cards[i].filePath, path);
    }
    QCOMPARE(dict.cardById(7)->foreignWords[0].word, QStringLiteral("go"));
    QCOMPARE(dict.lessons, (StringSet{QStringLiteral("Старый"), QStringLiteral("Урок 1"),
                                      QStringLiteral("Урок 2")}));
    QVERIFY(dict.openFiles.empty());
}

void TestDictionaryFile::fileWithoutCardsNotOpened()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("empty.xml"));
    QStringEncoder enc(QStringConverter::Utf16LE, QStringConverter::Flag::WriteBom);
    QVERIFY(putBytes(path, enc.encode(doc("<lesson n=\"L\"><w><f><fw w=\"a\"/></f></w><x/>"
                                          "</lesson>"))));
    Dictionary dict;
    dict.categoryList = categories();
    ReadOutcome r = readDictionaryFile(dict, path);
    QVERIFY(r.opened && !r.added);
    QCOMPARE(r.warnings.size(), 2);
    QCOMPARE(r.warnings.last(), "Из файла\n" + path + "\nНе было добавлено ни одной карточки");
    QVERIFY(dict.cards.isEmpty());
    QVERIFY(dict.lessons.empty()); // the file is not opened, so its lessons stay out
    QCOMPARE(dict.idCounter, 0);

    QVERIFY(putBytes(path, "<words>"));
    r = readDictionaryFile(dict, path);
    QCOMPARE(r.warnings.size(), 1); // the parse error says it all
    QVERIFY(r.warnings[0].contains(QStringLiteral("Premature end of document.")));

    r = readDictionaryFile(dict, dir.filePath(QStringLiteral("none.xml")));
    QVERIFY(!r.opened && !r.added);
    QVERIFY(!r.openError.isEmpty());
}

void TestDictionaryFile::encodings_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("readable");
    const QString text =
        doc("<lesson n=\"L\"><w><f><fw w=\"дом😀\"/></f><c n=\"Еда;\"/></w></lesson>");
    auto enc = [&](QStringConverter::Encoding e, bool bom) -> QByteArray {
        return QStringEncoder(e, bom ? QStringConverter::Flag::WriteBom
                                     : QStringConverter::Flag::Default)
            .encode(text);
    };
    QTest::newRow("UTF-16 LE") << QByteArray(enc(QStringConverter::Utf16LE, true)) << true;
    QTest::newRow("UTF-16 BE") << QByteArray(enc(QStringConverter::Utf16BE, true)) << true;
    QTest::newRow("UTF-16 LE, no mark")
        << QByteArray(enc(QStringConverter::Utf16LE, false)) << true;
    QTest::newRow("UTF-16 BE, no mark")
        << QByteArray(enc(QStringConverter::Utf16BE, false)) << true;
    QTest::newRow("UTF-8 with mark") << QByteArray(enc(QStringConverter::Utf8, true)) << true;
    QTest::newRow("UTF-8") << QByteArray(enc(QStringConverter::Utf8, false)) << true;
    QByteArray cp1251 = QStringEncoder("windows-1251").encode(text.left(text.indexOf("дом")));
    cp1251 += "\xe4\xee\xec\"/></f></w></lesson></words>";
    QTest::newRow("neither") << cp1251 << false;
}

void TestDictionaryFile::encodings()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, readable);
    const DictionaryReadResult r =
        parseDictionaryText(decodeDictionaryBytes(bytes), kPath, categories());
    QCOMPARE(r.refused, !readable);
    if (readable) {
        QCOMPARE(r.cards.size(), 1);
        QCOMPARE(r.cards[0].foreignWords[0].word, QStringLiteral("дом😀"));
    }
}

QTEST_GUILESS_MAIN(TestDictionaryFile)
#include "test_dictionary_file.moc"
