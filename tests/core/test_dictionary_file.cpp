#include "core/dictionary/dictionary_file.h"
#include "core/markup/markup.h"

#include "random_cards.h"
#include "test_cards.h"
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QTemporaryDir>

#include <QtTest>

#include <climits>
#include <sys/stat.h>
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

// Cards whose every text holds what XML must escape or normalize (the
// generator the exchange tests share).
QList<Card> hostileCards(int count, quint32 seed)
{
    return randomHostileCards(count, seed, categories());
}

QString shown(const QString &text)
{
    return visibleText(text);
}

QString shown(const Card &c)
{
    QStringList f = {QString::number(c.id), c.filePath, c.lesson, c.soundPath};
    for (int n : {c.nPER, c.pER, c.rER, c.aER, c.nPRE, c.pRE, c.rRE, c.aRE, int(c.nAr),
                  int(c.inFilter), c.runMark})
        f << QString::number(n);
    for (const ForeignWord &w : c.foreignWords)
        f << QStringLiteral("fw") << w.word << w.transcription << QString::number(w.autoCheck);
    for (const TranslationSection &sec : c.translations) {
        f << QStringLiteral("rw") << sec.code;
        for (const TranslationGroup &g : sec.groups) {
            f << QStringLiteral("ss");
            for (const TranslationVariant &v : g)
                f << v.word << v.info;
        }
    }
    f << QStringLiteral("c") << c.categories;
    return shown(f.join(QLatin1Char('|')));
}

// Empty when the results agree in everything, the cards field by field.
QString difference(const DictionaryReadResult &a, const DictionaryReadResult &b)
{
    if (a.refused != b.refused || a.warnings != b.warnings)
        return QStringLiteral("warnings:\n%1\n---- but ----\n%2")
            .arg(a.warnings.join(QStringLiteral("\n--\n")),
                 b.warnings.join(QStringLiteral("\n--\n")));
    if (a.lessons != b.lessons)
        return QStringLiteral("lessons");
    if (a.cards.size() != b.cards.size())
        return QStringLiteral("%1 cards, but %2").arg(a.cards.size()).arg(b.cards.size());
    for (int i = 0; i < a.cards.size(); ++i) {
        const QString x = shown(a.cards[i]), y = shown(b.cards[i]);
        if (x != y)
            return QStringLiteral("card %1:\n%2\n---- but ----\n%3").arg(i).arg(x, y);
    }
    return QString();
}

// Reads the text with the fast reader, with QXmlStreamReader and through the
// public entry point. Empty when all agree (a fast reader that gives up
// agrees); `fast` tells whether the fast reader read it.
QString disagreement(const QString &text, bool *fast)
{
    const StringSet cats = categories();
    const DictionaryReadResult general = parseDictionaryTextGeneral(text, kPath, cats);
    DictionaryReadResult quick;
    *fast = parseDictionaryTextFast(text, kPath, cats, &quick);
    QString why;
    if (*fast)
        why = difference(quick, general);
    // Cut into pieces read at once, each lesson one or a few lessons to a
    // piece: the same answer, whether the pieces hold or not.
    for (const qsizetype pieceUnits : {0, 40, 400}) {
        DictionaryReadResult parts;
        if (why.isEmpty() &&
            parseDictionaryTextFast(text, kPath, cats, &parts, pieceUnits) != *fast)
            why = QStringLiteral("read in pieces of %1: fast %2, whole: fast %3")
                      .arg(pieceUnits)
                      .arg(!*fast)
                      .arg(*fast);
        if (why.isEmpty() && *fast)
            why = difference(parts, general);
    }
    if (why.isEmpty())
        why = difference(parseDictionaryText(text, kPath, cats), general);
    return why.isEmpty() ? why : why + QStringLiteral("\nin: ") + shown(text);
}

// What the program reads of the file at `path` holding `bytes`, in pieces
// of `pieceBytes`, against what QXmlStreamReader reads of its whole text:
// empty when they agree in every card, message, lesson and the stamp.
QString readAsWhole(const QString &path, const QByteArray &bytes, qsizetype pieceBytes)
{
    const StringSet cats = categories();
    DictionaryReadResult expected =
        parseDictionaryTextGeneral(decodeDictionaryBytes(bytes), path, cats);
    if (!expected.refused && expected.cards.isEmpty())
        expected.warnings.append(QStringLiteral("Из файла\n") + path +
                                 QStringLiteral("\nНе было добавлено ни одной карточки"));
    Dictionary dict;
    dict.setCategoryList(cats);
    const ReadOutcome r = readDictionaryFile(dict, path, nullptr, pieceBytes);
    if (!r.opened)
        return QStringLiteral("not opened: ") + r.openError;
    if (r.stamp.size != bytes.size() ||
        r.stamp.hash != hashFileBytes(bytes.constData(), bytes.size()))
        return QStringLiteral("stamp");
    if (r.added == expected.cards.isEmpty())
        return QStringLiteral("added: %1").arg(r.added);
    if (r.warnings != expected.warnings)
        return QStringLiteral("warnings:\n") + r.warnings.join(u'\n') +
               QStringLiteral("\nexpected:\n") + expected.warnings.join(u'\n');
    if (dict.cardCount() != expected.cards.size())
        return QStringLiteral("%1 cards, expected %2")
            .arg(dict.cardCount())
            .arg(expected.cards.size());
    // The document keeps the records: little room to spare however read.
    if (dict.store().capacity() > dict.cardCount() + dict.cardCount() / 8)
        return QStringLiteral("room for %1 records").arg(dict.store().capacity());
    for (int i = 0; i < dict.cardCount(); ++i) {
        Card c = expected.cards[i];
        c.id = dict.cardAt(i).id;
        if (shown(dict.cardAt(i)) != shown(c))
            return QStringLiteral("card %1: ").arg(i) + shown(dict.cardAt(i));
    }
    if (!expected.cards.isEmpty() && dict.lessons() != expected.lessons)
        return QStringLiteral("lessons");
    return QString();
}

QString golden(const QString &name)
{
    return testDataPath(QStringLiteral("dict/") + name);
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
    void backupNeverBlocks_data();
    void backupNeverBlocks();
    void hostileRoundTrip();

    // Reading
    void warnings_data();
    void warnings();
    void refusedFile_data();
    void refusedFile();
    void numbers_data();
    void numbers();
    void elementRules();
    void longListsRead_data();
    void longListsRead();
    void readFileAddsCards();
    void fileWithoutCardsNotOpened();
    void onlyRegularFilesOfBoundedSizeOpened_data();
    void onlyRegularFilesOfBoundedSizeOpened();
    void encodings_data();
    void encodings();

    // The fast reader against QXmlStreamReader
    void fastReaderReadsWrittenFiles_data();
    void fastReaderReadsWrittenFiles();
    void fastReaderSubset_data();
    void fastReaderSubset();
    void attributeValues_data();
    void attributeValues();
    void mutatedFilesReadAlike();
    void fileOutsideSubsetStillRead();
    void readInPieces_data();
    void readInPieces();
    void writerLayoutVariants_data();
    void writerLayoutVariants();
    void largeFileReadInPlace();
    void filesReadInPiecesOfAnySize_data();
    void filesReadInPiecesOfAnySize();
    void largeSaveBuiltInParts();
    void savedCardsOnlyRead_data();
    void savedCardsOnlyRead();
    void cancelledReadAddsNothing();
    void hashInPieces();
};

void TestDictionaryFile::writtenBytesMatchGolden()
{
    const QByteArray expected = fileBytes(golden(QStringLiteral("small.xml")));
    QList<Card> cards = smallDictionary();
    // The text form as such, sorted by lesson: each lesson once, and an empty
    // <f> for the card without a foreign word.
    QCOMPARE(dictionaryFileBytes({cards[1], cards[3], cards[0], cards[2]}), expected);

    // A save refuses that card, which the file would lose, and writes nothing.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("small.xml"));
    WriteOutcome w = writeDictionaryFile(cards, path, categories(), nullptr);
    QVERIFY(!w.ok);
    QVERIFY2(w.message.contains(QStringLiteral("\nКарточка «есть» (урок «Урок 2»):\nнет ни "
                                               "одного иностранного слова\n")),
             qPrintable(w.message));
    QVERIFY(!QFile::exists(path));

    cards.removeAt(2);
    const QList<Card> original = cards;
    w = writeDictionaryFile(cards, path, categories(), nullptr);
    QVERIFY2(w.ok, qPrintable(w.message));
    QVERIFY(w.warnings.isEmpty());
    // Stable by lesson: say before go, house after them; every card now in the file.
    const QList<int> order = {1, 2, 0};
    for (int i = 0; i < cards.size(); ++i) {
        QVERIFY(cards[i].sameContent(original[order[i]]));
        QCOMPARE(cards[i].filePath, path);
    }
    QCOMPARE(fileBytes(path), dictionaryFileBytes(cards));
}

void TestDictionaryFile::programErrors()
{
    QList<Card> cards = smallDictionary();
    QCOMPARE(writeDictionaryFile(cards, QString(), categories(), nullptr).message,
             QStringLiteral("Ошибка программы\nВ функцию сохранения передано пустое имя файла"));
    QList<Card> none;
    QTemporaryDir dir;
    const WriteOutcome w =
        writeDictionaryFile(none, dir.filePath(QStringLiteral("a.xml")), categories(), nullptr);
    QVERIFY(!w.ok);
    QCOMPARE(
        w.message,
        QStringLiteral("Ошибка программы\nВ функцию сохранения передан пустой контейнер карточек"));
    // No position chosen is no card to save either.
    const std::vector<int> noPositions;
    const WriteOutcome chosen = writeDictionaryCards(
        cards, &noPositions, dir.filePath(QStringLiteral("b.xml")), categories(), nullptr);
    QVERIFY(!chosen.ok);
    QCOMPARE(chosen.message, w.message);
    QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("b.xml"))));
}

void TestDictionaryFile::unreadableCardsRefused_data()
{
    QTest::addColumn<QString>("lesson");
    QTest::addColumn<QString>("remark");
    QTest::addColumn<QString>("category");
    QTest::addColumn<QString>("problem");
    const QString b = QStringLiteral("Б");
    const QString food = QStringLiteral("Еда");
    QTest::newRow("empty lesson") << QString() << QString() << food
                                  << QStringLiteral(
                                         "Карточка «кот» (урок не указан):\nне указан урок");
    QTest::newRow("lesson of tabs and line breaks")
        << QStringLiteral(" \t\n") << QString() << food
        << QStringLiteral("Карточка «кот» (урок не указан):\nне указан урок");
    QTest::newRow("lesson with a tab")
        << QStringLiteral("a\tb") << QString() << food
        << QStringLiteral("Карточка «кот» (урок «a\tb»):\nв названии урока «a\tb» лишние "
                          "пробелы, табуляции или переводы строк");
    QTest::newRow("control character")
        << b << QStringLiteral("a\x01") << food
        << QStringLiteral("Карточка «кот» (урок «Б»):\nпояснение к переводу «a\x01» содержит "
                          "символ, недопустимый в файле словаря (код U+0001)");
    QTest::newRow("lone surrogate")
        << b << QString(QChar(0xD83D)) << food << QStringLiteral("(код U+D83D)");
    QTest::newRow("U+FFFF") << b << QString(QChar(0xFFFF)) << food
                            << QStringLiteral("(код U+FFFF)");
    QTest::newRow("category with a semicolon")
        << b << QString() << QStringLiteral("Еда;Дом")
        << QStringLiteral("Карточка «кот» (урок «Б»):\nкатегория «Еда;Дом» содержит знак «;», "
                          "который разделяет категории в файле");
}

// The message names the file, the card and the fault; nothing is written
// and the cards keep their order and paths.
void TestDictionaryFile::unreadableCardsRefused()
{
    QFETCH(QString, lesson);
    QFETCH(QString, remark);
    QFETCH(QString, category);
    QFETCH(QString, problem);
    Card bad = card(lesson, QStringLiteral("кот"), category);
    bad.translations.append({{{{QStringLiteral("кот"), remark}}}, QStringLiteral("N")});
    QList<Card> cards = {card(QStringLiteral("Я"), QStringLiteral("b"), QStringLiteral("Еда")),
                         bad};
    const QStringList before = identity(cards);

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("d.xml"));
    const WriteOutcome w = writeDictionaryFile(cards, path, categories(), nullptr);
    QVERIFY(!w.ok);
    QVERIFY2(w.message.startsWith(QStringLiteral("Невозможно сохранить файл\n") + path + "\n"),
             qPrintable(w.message));
    QVERIFY2(w.message.contains(problem), qPrintable(w.message));
    QVERIFY2(w.message.endsWith(QStringLiteral(
                 "\nИсправьте карточку и сохраните снова\nФайл на диске не изменён")),
             qPrintable(w.message));
    QVERIFY(!QFile::exists(path));
    QCOMPARE(identity(cards), before);
}

void TestDictionaryFile::failedSaveKeepsFileAndCards_data()
{
    QTest::addColumn<QString>("setup");
    QTest::addColumn<QString>("reason");
    QTest::newRow("path is a folder")
        << "folder" << QStringLiteral("По этому пути находится папка, а не файл");
    QTest::newRow("folder missing") << "missing" << QStringLiteral("Папка не существует");
    QTest::newRow("read-only file")
        << "readonly file" << QStringLiteral("Нет прав на запись (доступ запрещён)");
    QTest::newRow("read-only folder")
        << "readonly folder" << QStringLiteral("Нет прав на запись (доступ запрещён)");
}

// A save that cannot go on says why, and leaves no copy and no temporary
// file behind.
void TestDictionaryFile::failedSaveKeepsFileAndCards()
{
    QFETCH(QString, setup);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("d.xml"));
    const QByteArray old = "old bytes";
    if (setup == "folder") {
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("d.xml")));
    } else if (setup == "missing") {
        path = dir.filePath(QStringLiteral("gone/d.xml"));
    } else if (setup == "readonly file") {
        QVERIFY(putBytes(path, old));
        QVERIFY(QFile::setPermissions(path, QFile::ReadOwner));
    } else {
        if (geteuid() == 0)
            QSKIP("root writes into read-only folders");
        QVERIFY(putBytes(path, old));
        QVERIFY(QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner));
    }
    QList<Card> cards = smallDictionary();
    cards.removeAt(2);
    const QStringList before = identity(cards);
    QSet<QString> backedUp;
    const WriteOutcome w = writeDictionaryFile(cards, path, categories(), &backedUp);
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    QVERIFY(!w.ok);
    QCOMPARE(w.message, QStringLiteral("Невозможно открыть файл\n") + path + "\n" + reason);
    QCOMPARE(identity(cards), before);
    QVERIFY(backedUp.isEmpty());
    if (setup.startsWith("readonly")) {
        QCOMPARE(fileBytes(path), old);
        QCOMPARE(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden),
                 QStringList{"d.xml"});
    }
}

void TestDictionaryFile::backupOncePerRun()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("d.xml"));
    const QString bak = path + QStringLiteral(".bak");
    QVERIFY(putBytes(path, "version 0"));
    QList<Card> cards = smallDictionary();
    cards.removeAt(2);

    QSet<QString> run1;
    QVERIFY(writeDictionaryFile(cards, path, categories(), &run1).ok);
    QCOMPARE(fileBytes(bak), QByteArray("version 0"));
    const QByteArray version1 = fileBytes(path);

    cards.removeLast();
    QVERIFY(writeDictionaryFile(cards, path, categories(), &run1).ok);
    QCOMPARE(fileBytes(bak), QByteArray("version 0"));
    QVERIFY(fileBytes(path) != version1);

    // The next run keeps what it found.
    const QByteArray version2 = fileBytes(path);
    QSet<QString> run2;
    QVERIFY(writeDictionaryFile(cards, path, categories(), &run2).ok);
    QCOMPARE(fileBytes(bak), version2);

    // A file made in this run has no older version to keep.
    const QString fresh = dir.filePath(QStringLiteral("new.xml"));
    QVERIFY(writeDictionaryFile(cards, fresh, categories(), &run2).ok);
    QVERIFY(writeDictionaryFile(cards, fresh, categories(), &run2).ok);
    QVERIFY(!QFile::exists(fresh + QStringLiteral(".bak")));
    QVERIFY(writeDictionaryFile(cards, path, categories(), nullptr).ok);
    QCOMPARE(fileBytes(bak), version2);
}

void TestDictionaryFile::backupNeverBlocks_data()
{
    QTest::addColumn<QString>("setup");
    QTest::addColumn<int>("fileMode");   // octal rights of the dictionary
    QTest::addColumn<int>("backupMode"); // expected rights of the copy; 0: no copy
    QTest::newRow("old copy read-only") << "readonly bak" << 0644 << 0644;
    QTest::newRow("old copy read-only, no rights at all") << "no rights bak" << 0640 << 0640;
    QTest::newRow("copy writable by its owner") << "" << 0444 << 0;
    QTest::newRow("group and others keep their rights") << "" << 0604 << 0604;
    QTest::newRow("owner could only read and write") << "" << 0600 << 0600;
    QTest::newRow("copy blocked by a folder") << "bak folder" << 0644 << 0;
    QTest::newRow("dictionary replaced by a named pipe") << "fifo" << 0644 << 0;
}

// The copy never stands in the way of a save: an old read-only one is
// replaced, a new one is writable by its owner, and one that cannot be made
// is reported while the file is saved all the same. A read-only dictionary
// is refused before any copy is made.
void TestDictionaryFile::backupNeverBlocks()
{
    QFETCH(QString, setup);
    QFETCH(int, fileMode);
    QFETCH(int, backupMode);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("d.xml"));
    const QString bak = path + QStringLiteral(".bak");
    if (setup == "fifo") // the old file cannot be read for the copy, nor waited on
        QVERIFY(::mkfifo(QFile::encodeName(path).constData(), 0644) == 0);
    else
        QVERIFY(putBytes(path, "version 0"));
    QVERIFY(::chmod(QFile::encodeName(path).constData(), mode_t(fileMode)) == 0);
    if (setup.endsWith("bak")) {
        QVERIFY(putBytes(bak, "older copy"));
        QVERIFY(::chmod(QFile::encodeName(bak).constData(), setup == "readonly bak" ? 0444 : 0) ==
                0);
    } else if (setup == "bak folder") {
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("d.xml.bak")));
    }
    QList<Card> cards = smallDictionary();
    cards.removeAt(2);
    QSet<QString> backedUp;
    const WriteOutcome w = writeDictionaryFile(cards, path, categories(), &backedUp);

    if (fileMode == 0444) {
        // The user's own read-only file: no save and no copy.
        QVERIFY(!w.ok);
        QVERIFY(!QFile::exists(bak));
        QCOMPARE(fileBytes(path), QByteArray("version 0"));
        return;
    }
    QVERIFY2(w.ok, qPrintable(w.message));
    QCOMPARE(fileBytes(path), dictionaryFileBytes(cards));
    QVERIFY(backedUp.contains(path));
    if (setup == "bak folder" || setup == "fifo") {
        QCOMPARE(w.warnings.size(), 1);
        QVERIFY2(w.warnings[0].startsWith(QStringLiteral("Файл\n") + path +
                                          QStringLiteral("\nсохранён, но его резервную копию\n") +
                                          bak + QStringLiteral("\nсохранить не удалось:\n")),
                 qPrintable(w.warnings[0]));
        QCOMPARE(QFileInfo(bak).isDir(), setup == "bak folder");
        QCOMPARE(QFileInfo::exists(bak), setup == "bak folder");
        return;
    }
    QVERIFY(w.warnings.isEmpty());
    QCOMPARE(fileBytes(bak), QByteArray("version 0"));
    struct stat st;
    QVERIFY(::stat(QFile::encodeName(bak).constData(), &st) == 0);
    QCOMPARE(int(st.st_mode & 0777), backupMode);
    // Nothing else is left in the folder.
    QCOMPARE(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden),
             (QStringList{"d.xml", "d.xml.bak"}));
}

void TestDictionaryFile::hostileRoundTrip()
{
    QList<Card> cards = hostileCards(300, 2024);
    const StringSet cats = categories();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("hostile.xml"));
    const WriteOutcome w = writeDictionaryFile(cards, path, categories(), nullptr);
    QVERIFY2(w.ok, qPrintable(w.message));
    Dictionary dict;
    dict.setCategoryList(cats);
    const ReadOutcome r = readDictionaryFile(dict, path);
    QVERIFY2(r.warnings.isEmpty(), qPrintable(r.warnings.join("\n---\n")));
    for (int i = 1; i < cards.size(); ++i) {
        const Card &a = cards[i - 1], &b = cards[i];
        QVERIFY(a.lesson < b.lesson || (a.lesson == b.lesson && a.id < b.id));
    }
    QCOMPARE(dict.cards().size(), cards.size());
    for (int i = 0; i < cards.size(); ++i)
        QVERIFY2(dict.cardAt(i).sameContent(cards[i]), qPrintable(QString::number(i)));
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
    // The fast reader gives every message itself, as the general one does.
    bool fast = false;
    const QString why = disagreement(doc(body), &fast);
    QVERIFY2(why.isEmpty(), qPrintable(why));
    QVERIFY(fast);
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
    bool fast = false;
    const QString why = disagreement(text, &fast);
    QVERIFY2(why.isEmpty(), qPrintable(why));
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
    QTest::newRow("int limits, leading zeros")
        << "rER=\"2147483647\" aER=\"2147483648\" rRE=\"-2147483648\" aRE=\"0012\""
        << QList<int>{1, 1, INT_MAX, 0, 1, 1, INT_MIN, 12, 1};
    QTest::newRow("sign, blanks, lone minus")
        << "nPER=\"+4\" pER=\" 5 \" rER=\"-\" aER=\"1 2\" nAr=\"-0\""
        << QList<int>{4, 5, 0, 0, 1, 1, 0, 0, 0};
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
    bool fast = false;
    const QString why = disagreement(doc("<lesson n=\"L\">" + w + "</lesson>"), &fast);
    QVERIFY2(why.isEmpty(), qPrintable(why));
    QVERIFY(fast);
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
    bool fast = false;
    const QString why = disagreement(doc(body), &fast);
    QVERIFY2(why.isEmpty(), qPrintable(why));
}

// Lists longer than one code unit can count: every item is read, in order.
void TestDictionaryFile::longListsRead_data()
{
    QTest::addColumn<QString>("body");
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("what");
    const int n = 40000;
    const auto repeat = [n](const QString &piece) {
        QString out;
        for (int i = 0; i < n; ++i)
            out += piece.arg(i);
        return out;
    };
    const QString card =
        QStringLiteral("<lesson n=\"L\"><w><f>%1</f><r>%2</r><c n=\"%3\"/></w></lesson>");
    const QString fw = QStringLiteral("<fw w=\"a\"/>");
    const QString rw = QStringLiteral("<rw c=\"N\"><ss><wv w=\"b\"/></ss></rw>");
    QTest::newRow("foreign words")
        << card.arg(repeat(QStringLiteral("<fw w=\"w%1\"/>")), rw, QStringLiteral("Еда;")) << n
        << "foreign";
    QTest::newRow("sections")
        << card.arg(fw, repeat(QStringLiteral("<rw c=\"V\"><ss><wv w=\"w%1\"/></ss></rw>")),
                    QStringLiteral("Еда;"))
        << n << "sections";
    QTest::newRow("groups") << card.arg(fw,
                                        QStringLiteral("<rw c=\"V\">") +
                                            repeat(QStringLiteral("<ss><wv w=\"w%1\"/></ss>")) +
                                            QStringLiteral("</rw>"),
                                        QStringLiteral("Еда;"))
                            << n << "groups";
    QTest::newRow("variants") << card.arg(fw,
                                          QStringLiteral("<rw c=\"V\"><ss>") +
                                              repeat(QStringLiteral("<wv w=\"w%1\"/>")) +
                                              QStringLiteral("</ss></rw>"),
                                          QStringLiteral("Еда;"))
                              << n << "variants";
    QTest::newRow("categories") << card.arg(fw, rw, QStringLiteral("Дом;").repeated(n)) << n
                                << "categories";
}

void TestDictionaryFile::longListsRead()
{
    QFETCH(QString, body);
    QFETCH(int, count);
    QFETCH(QString, what);
    const DictionaryReadResult r = parseDictionaryText(doc(body), kPath, categories());
    QCOMPARE(r.cards.size(), 1);
    const Card &c = r.cards[0];
    QStringList words;
    if (what == QLatin1String("foreign")) {
        for (const ForeignWord &w : c.foreignWords)
            words << w.word;
    } else if (what == QLatin1String("sections")) {
        for (const TranslationSection &s : c.translations)
            words << s.groups[0][0].word;
    } else if (what == QLatin1String("groups")) {
        for (const TranslationGroup &g : c.translations[0].groups)
            words << g[0].word;
    } else if (what == QLatin1String("variants")) {
        for (const TranslationVariant &v : c.translations[0].groups[0])
            words << v.word;
    } else {
        QCOMPARE(c.categories.size(), count);
        QCOMPARE(c.categories.last(), QStringLiteral("Дом"));
        return;
    }
    QCOMPARE(words.size(), count);
    QCOMPARE(words.first(), QStringLiteral("w0"));
    QCOMPARE(words.last(), QStringLiteral("w%1").arg(count - 1));
    QCOMPARE(words[20000], QStringLiteral("w20000"));
}

void TestDictionaryFile::readFileAddsCards()
{
    Dictionary dict;
    dict.setCategoryList(categories());
    // Five ids already given out (their cards gone since).
    for (int i = 0; i < 5; ++i)
        dict.addCard(Card());
    dict.removeCards({1, 2, 3, 4, 5});
    QCOMPARE(dict.idCounter(), 5);
    dict.addLesson(QStringLiteral("Старый"));
    const QString path = golden(QStringLiteral("small.xml"));
    const ReadOutcome r = readDictionaryFile(dict, path);
    QVERIFY(r.opened && r.added);
    QVERIFY(r.warnings.isEmpty());
    // The golden file reads back; its card without a foreign word is dropped silently.
    const QList<Card> all = smallDictionary();
    const QList<Card> expected = {all[1], all[3], all[0]};
    QCOMPARE(dict.cards().size(), expected.size());
    for (int i = 0; i < expected.size(); ++i) {
        QVERIFY(dict.cardAt(i).sameContent(expected[i]));
        QCOMPARE(dict.cardAt(i).id, 6 + i);
        QCOMPARE(dict.cardAt(i).filePath, path);
    }
    QCOMPARE(dict.cardById(7)->foreignWords[0].word, QStringLiteral("go"));
    QCOMPARE(dict.lessons(), (StringSet{QStringLiteral("Старый"), QStringLiteral("Урок 1"),
                                        QStringLiteral("Урок 2")}));
    QVERIFY(dict.openFiles().empty());
}

void TestDictionaryFile::fileWithoutCardsNotOpened()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("empty.xml"));
    QStringEncoder enc(QStringConverter::Utf16LE, QStringConverter::Flag::WriteBom);
    QVERIFY(putBytes(path, enc.encode(doc("<lesson n=\"L\"><w><f><fw w=\"a\"/></f></w><x/>"
                                          "</lesson>"))));
    Dictionary dict;
    dict.setCategoryList(categories());
    ReadOutcome r = readDictionaryFile(dict, path);
    QVERIFY(r.opened && !r.added);
    QCOMPARE(r.warnings.size(), 2);
    QCOMPARE(r.warnings.last(), "Из файла\n" + path + "\nНе было добавлено ни одной карточки");
    QVERIFY(dict.cards().isEmpty());
    QVERIFY(dict.lessons().empty()); // the file is not opened, so its lessons stay out
    QCOMPARE(dict.idCounter(), 0);

    QVERIFY(putBytes(path, "<words>"));
    r = readDictionaryFile(dict, path);
    QCOMPARE(r.warnings.size(), 1); // the parse error says it all
    QVERIFY(r.warnings[0].contains(QStringLiteral("Premature end of document.")));

    r = readDictionaryFile(dict, dir.filePath(QStringLiteral("none.xml")));
    QVERIFY(!r.opened && !r.added);
    QVERIFY(!r.openError.isEmpty());
}

// Only a regular file of at most the stated size is read; anything else is
// refused at once, with a reason the user can read: a link to a device that
// never ends, a named pipe no one writes to (which would block the open
// itself), a file whose text would not fit in memory.
void TestDictionaryFile::onlyRegularFilesOfBoundedSizeOpened_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("reason");
    QTest::newRow("regular file") << "regular"
                                  << "";
    QTest::newRow("link to a regular file") << "link to regular"
                                            << "";
    QTest::newRow("file of exactly the limit") << "at limit"
                                               << "";
    QTest::newRow("link to /dev/zero")
        << "link to /dev/zero"
        << "Это устройство, а не файл: его чтение могло бы не закончиться никогда";
    QTest::newRow("named pipe")
        << "fifo"
        << "Это именованный канал, а не файл: его чтение могло бы не закончиться никогда";
    QTest::newRow("folder") << "folder"
                            << "Это папка, а не файл";
    QTest::newRow("sparse file one byte over the limit")
        << "over limit"
        << "Файл слишком велик: 2561 МБ, а файл словаря может занимать не больше 2560 МБ";
    QTest::newRow("missing") << "missing"
                             << "Файл не существует";
}

void TestDictionaryFile::onlyRegularFilesOfBoundedSizeOpened()
{
    QFETCH(QString, kind);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("d.xml"));
    const QString regular = dir.filePath(QStringLiteral("regular.xml"));
    writeFixtureFile(regular, {makeCard(QStringLiteral("cat"))});
    const QByteArray name = QFile::encodeName(path);
    if (kind == "regular")
        QVERIFY(QFile::copy(regular, path));
    else if (kind == "link to regular")
        QVERIFY(QFile::link(regular, path));
    else if (kind == "link to /dev/zero")
        QVERIFY(QFile::link(QStringLiteral("/dev/zero"), path));
    else if (kind == "fifo")
        QVERIFY(::mkfifo(name.constData(), 0600) == 0);
    else if (kind == "folder")
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("d.xml")));
    else if (kind == "at limit" || kind == "over limit") {
        // Sparse: no disk space is taken. A file of the limit is not
        // refused by the check (and read as the zero bytes it holds).
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        QVERIFY(f.resize(kMaxDictionaryFileBytes + (kind == "over limit" ? 1 : 0)));
    }

    QCOMPARE(dictionaryOpenProblem(path), reason);
    QString error;
    const int fd = openDictionaryForReading(path, &error);
    QCOMPARE(fd >= 0, reason.isEmpty());
    QCOMPARE(error, reason);
    if (fd >= 0)
        ::close(fd);
    if (kind == "at limit")
        return; // reading 2.5 GB of zero bytes proves nothing more

    Dictionary dict;
    dict.setCategoryList(categories());
    const ReadOutcome r = readDictionaryFile(dict, path);
    QCOMPARE(r.opened, reason.isEmpty());
    QCOMPARE(r.added, reason.isEmpty());
    QCOMPARE(r.openError, reason);
    QCOMPARE(dict.cardCount(), reason.isEmpty() ? 1 : 0);
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
    // Cut short: inside the pair of 😀, inside a tag, half a code unit.
    const QString toPair = text.left(text.indexOf(QStringLiteral("😀")) + 1);
    const QString toTag = text.left(text.indexOf(QStringLiteral("<c ")) + 2);
    QTest::newRow("UTF-16 LE, ends inside a pair")
        << QByteArray(QStringEncoder(QStringConverter::Utf16LE, QStringConverter::Flag::WriteBom)
                          .encode(toPair))
        << false;
    QTest::newRow("UTF-16 BE, ends inside a pair")
        << QByteArray(QStringEncoder(QStringConverter::Utf16BE, QStringConverter::Flag::WriteBom)
                          .encode(toPair))
        << false;
    QTest::newRow("UTF-16 LE, ends inside a tag")
        << QByteArray(QStringEncoder(QStringConverter::Utf16LE, QStringConverter::Flag::WriteBom)
                          .encode(toTag))
        << false;
    QTest::newRow("UTF-16 LE, odd byte at the end")
        << QByteArray(enc(QStringConverter::Utf16LE, true) + '>') << true;
    QTest::newRow("UTF-8, ends inside a character")
        << QByteArray(enc(QStringConverter::Utf8, false)
                          .left(enc(QStringConverter::Utf8, false).indexOf("\xF0\x9F") + 2))
        << false;
    QTest::newRow("UTF-8 with mark, ends inside a tag")
        << QByteArray(QStringEncoder(QStringConverter::Utf8, QStringConverter::Flag::WriteBom)
                          .encode(toTag))
        << false;
    QByteArray cp1251 = QStringEncoder("windows-1251").encode(text.left(text.indexOf("дом")));
    cp1251 += "\xe4\xee\xec\"/></f></w></lesson></words>";
    QTest::newRow("neither") << cp1251 << false;
}

void TestDictionaryFile::encodings()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, readable);
    const QString text = decodeDictionaryBytes(bytes);
    const DictionaryReadResult r = parseDictionaryText(text, kPath, categories());
    QCOMPARE(r.refused, !readable);
    bool fast = false;
    const QString why = disagreement(text, &fast);
    QVERIFY2(why.isEmpty(), qPrintable(why));
    QCOMPARE(fast, readable);
    if (readable) {
        QCOMPARE(r.cards.size(), 1);
        QCOMPARE(r.cards[0].foreignWords[0].word, QStringLiteral("дом😀"));
    }

    // From a file, where UTF-16 LE with its mark is read in place without
    // the decoder: the same cards and messages as the decoded text gives.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("enc.xml"));
    QVERIFY(putBytes(path, bytes));
    Dictionary dict;
    dict.setCategoryList(categories());
    const ReadOutcome read = readDictionaryFile(dict, path);
    const DictionaryReadResult expected = parseDictionaryText(text, path, categories());
    QVERIFY(read.opened);
    QCOMPARE(read.added, readable);
    if (expected.refused)
        QCOMPARE(read.warnings, expected.warnings);
    QCOMPARE(dict.cardCount(), int(expected.cards.size()));
    for (int i = 0; i < dict.cardCount(); ++i)
        QVERIFY(dict.cardAt(i).sameContent(expected.cards[i]));
}

void TestDictionaryFile::fastReaderReadsWrittenFiles_data()
{
    QTest::addColumn<QByteArray>("bytes");
    const QString examples = QStringLiteral(LEXITOR_SOURCE_DIR "/examples/");
    QTest::newRow("golden") << fileBytes(golden(QStringLiteral("small.xml")));
    QTest::newRow("example basics") << fileBytes(examples + QStringLiteral("english_basics.xml"));
    QTest::newRow("example verbs")
        << fileBytes(examples + QStringLiteral("english_verbs_phrases.xml"));
    QTest::newRow("1000 hostile cards") << dictionaryFileBytes(hostileCards(1000, 7));
}

// What the program writes never needs the slow reader.
void TestDictionaryFile::fastReaderReadsWrittenFiles()
{
    QFETCH(QByteArray, bytes);
    const QString text = decodeDictionaryBytes(bytes);
    bool fast = false;
    const QString why = disagreement(text, &fast);
    QVERIFY2(why.isEmpty(), qPrintable(why));
    QVERIFY(fast);
    QVERIFY(!parseDictionaryText(text, kPath, categories()).cards.isEmpty());
}

void TestDictionaryFile::fastReaderSubset_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("fast"); // read by the fast reader, not handed on
    const QString body = "<lesson n=\"L\">" + kCard + "</lesson>";
    const QString words = "<words>" + body + "</words>";
    auto withDtd = [&](const QString &subset) {
        return "<!DOCTYPE words [" + subset + "]>" + words;
    };
    auto withValue = [&](const QString &value) {
        return doc("<lesson n=\"L\"><w><f><fw w=\"" + value +
                   "\"/></f><c n=\"Еда;\"/></w></lesson>");
    };

    // Read alike by both.
    QTest::newRow("writer's prolog") << doc(body) << true;
    QTest::newRow("no prolog") << words << true;
    QTest::newRow("declaration, single quotes")
        << "<?xml version='1.0' encoding='utf-8' standalone='no'?>" + words << true;
    QTest::newRow("declaration, blanks")
        << "<?xml\tversion = \"1.0\"  encoding=\"UTF-16\" ?>\r\n" + words << true;
    QTest::newRow("doctype without subset") << "<!DOCTYPE words>\n" + words << true;
    QTest::newRow("doctype, all content forms")
        << "<!DOCTYPE words[ <!ELEMENT a EMPTY><!ELEMENT b ANY ><!ELEMENT  c ( d | e )* >"
           "\r\n<!ELEMENT f ((g,h)+,i?)>] >" +
               words
        << true;
    QTest::newRow("blanks in tags")
        << "<words ><lesson\tn = 'L' ><w\r\n><f><fw w=\"a\" /></f ><c n=\"Еда;\"/></w></lesson >"
           "</words \r\n>\r\n\t "
        << true;
    QTest::newRow("names with _ . - :")
        << doc("<lesson n=\"L\" x.y-z_1=\"1\" a:b=\"2\"><w><_x/><a:b-c.d/>" + kCard.mid(3) +
               "</lesson>")
        << true;
    QTest::newRow("names ending in . and -")
        << doc("<lesson n=\"L\"><a-/><b. c-.=\"\"/>" + kCard + "</lesson>") << true;
    QTest::newRow("prolog without blanks")
        << "<?xml version=\"1.0\"?><!DOCTYPE words[<!ELEMENT w(f)>]><words/>" << false;
    QTest::newRow("prolog, fewest blanks")
        << "<?xml version=\"1.0\"?><!DOCTYPE words[<!ELEMENT w (f)>]><words/>" << true;
    QTest::newRow("xmlns is an attribute")
        << "<words xmlns=\"urn:x\" xmlns:a=\"urn:y\">" + body + "</words>" << true;
    QTest::newRow("text with > ]] and references")
        << doc("<lesson n=\"L\">text > ]] &amp; &#x41; ]" + kCard + "</lesson>") << true;
    QTest::newRow("empty root") << QStringLiteral("<words/>") << true;
    QTest::newRow("wrong root") << "<lessons>" + body + "</lessons>" << true;
    QTest::newRow("non-BMP and private use") << withValue("😀\uE000\uFFFD") << true;

    // Handed on to QXmlStreamReader: outside the subset, or not well-formed.
    QTest::newRow("comment") << doc("<!-- c -->" + body) << false;
    QTest::newRow("processing instruction") << doc("<?pi x?>" + body) << false;
    QTest::newRow("CDATA") << doc("<lesson n=\"L\"><![CDATA[x]]>" + kCard + "</lesson>") << false;
    QTest::newRow("comment after root") << words + "<!-- c -->" << false;
    QTest::newRow("doctype after root") << words + "<!DOCTYPE words>" << false;
    QTest::newRow("text after root") << words + "x" << false;
    QTest::newRow("byte-order mark") << QChar(0xFEFF) + words << false;
    QTest::newRow("lone surrogate") << withValue(QString(QChar(0xD800))) << false;
    QTest::newRow("attribute default") << withDtd("<!ATTLIST w nAr CDATA \"0\">") << false;
    QTest::newRow("entity declaration")
        << "<!DOCTYPE words [<!ENTITY e \"Еда;\">]><words><lesson n=\"L\"><w><f><fw w=\"a\"/>"
           "</f><c n=\"&e;\"/></w></lesson></words>"
        << false;
    QTest::newRow("mixed content") << withDtd("<!ELEMENT a (#PCDATA|b)*>") << false;
    QTest::newRow("external subset") << "<!DOCTYPE words SYSTEM \"w.dtd\">" + words << false;
    QTest::newRow("quantifier after blank") << withDtd("<!ELEMENT w (f +)>") << false;
    QTest::newRow("mixed separators") << withDtd("<!ELEMENT w (f,r|c)>") << false;
    QTest::newRow("deep groups") << withDtd("<!ELEMENT w " + QString(20, QLatin1Char('(')) + "f" +
                                            QString(20, QLatin1Char(')')) + ">")
                                 << false;
    QTest::newRow("unknown encoding")
        << "<?xml version=\"1.0\" encoding=\"windows-1251\"?>" + words << false;
    QTest::newRow("XML 1.1") << "<?xml version=\"1.1\"?>" + words << false;
    QTest::newRow("declaration not first") << " <?xml version=\"1.0\"?>" + words << false;
    QTest::newRow("standalone before encoding")
        << "<?xml version=\"1.0\" standalone=\"yes\" encoding=\"UTF-8\"?>" + words << false;
    QTest::newRow("duplicate attribute")
        << doc("<lesson n=\"L\" n=\"M\">" + kCard + "</lesson>") << false;
    QTest::newRow("no blank between attributes") << withValue("a\"tr=\"b") << false;
    QTest::newRow("mismatched tags") << doc("<lesson n=\"L\">" + kCard + "</lessons>") << false;
    QTest::newRow("unclosed root") << "<words>" + body << false;
    QTest::newRow("lone &") << withValue("a & b") << false;
    QTest::newRow("< in value") << withValue("a<b") << false;
    QTest::newRow("unknown entity") << withValue("&nbsp;") << false;
    QTest::newRow("reference to 0") << withValue("&#0;") << false;
    QTest::newRow("reference to FFFE") << withValue("&#xFFFE;") << false;
    QTest::newRow("reference to a surrogate") << withValue("&#xD800;") << false;
    QTest::newRow("reference beyond Unicode") << withValue("&#x110000;") << false;
    QTest::newRow("reference 0x41") << withValue("&#x0x41;") << false; // Qt reads "A"
    QTest::newRow("reference &#X41;") << withValue("&#X41;") << false;
    QTest::newRow("empty reference") << withValue("&#;") << false;
    QTest::newRow("]]> in text") << doc("<lesson n=\"L\">]]]>" + kCard + "</lesson>") << false;
    QTest::newRow("control character") << withValue("a\x01") << false;
    QTest::newRow("U+FFFF") << withValue(QString(QChar(0xFFFF))) << false;
    QTest::newRow("Cyrillic element name") << doc(body + "<урок/>") << false;
    QTest::newRow("Cyrillic attribute name") << doc("<lesson n=\"L\" ё=\"1\"/>") << false;
    QTest::newRow("two colons") << doc(body + "<a:b:c/>") << false;
    QTest::newRow("name starting with a digit") << doc(body + "<1a/>") << false;
}

void TestDictionaryFile::fastReaderSubset()
{
    QFETCH(QString, text);
    QFETCH(bool, fast);
    bool read = false;
    const QString why = disagreement(text, &read);
    QVERIFY2(why.isEmpty(), qPrintable(why));
    QCOMPARE(read, fast);
}

void TestDictionaryFile::attributeValues_data()
{
    QTest::addColumn<QString>("written");
    QTest::addColumn<QString>("read");
    QTest::newRow("tab") << "a\tb"
                         << "a b";
    QTest::newRow("LF") << "a\nb"
                        << "a b";
    QTest::newRow("CR") << "a\rb"
                        << "a b";
    QTest::newRow("CR LF is one break") << "a\r\nb"
                                        << "a b";
    QTest::newRow("CR CR LF") << "a\r\r\nb"
                              << "a  b";
    QTest::newRow("LF CR") << "a\n\rb"
                           << "a  b";
    QTest::newRow("CR last") << "a\r"
                             << "a ";
    QTest::newRow("references stay") << "&#9;&#10;&#13;&#x20;"
                                     << "\t\n\r ";
    QTest::newRow("entities") << "&amp;&lt;&gt;&quot;&apos;"
                              << "&<>\"'";
    QTest::newRow("non-BMP references") << "&#x1F600;&#128512;"
                                        << "😀😀";
    QTest::newRow("leading zeros") << "&#x0041;&#00065;"
                                   << "AA";
    QTest::newRow("other quote") << "it's"
                                 << "it's";
    QTest::newRow("all together") << "ё\r\n&#10;ж\t&amp;😀"
                                  << "ё \nж &😀";
}

// XML 1.0 attribute-value normalization, read the same by both readers.
void TestDictionaryFile::attributeValues()
{
    QFETCH(QString, written);
    QFETCH(QString, read);
    const QString text =
        doc("<lesson n=\"L\"><w><f><fw w=\"" + written + "\"/></f><c n=\"Еда;\"/></w></lesson>");
    DictionaryReadResult fast;
    QVERIFY(parseDictionaryTextFast(text, kPath, categories(), &fast));
    const DictionaryReadResult general = parseDictionaryTextGeneral(text, kPath, categories());
    QCOMPARE(general.cards.size(), 1);
    QCOMPARE(general.cards[0].foreignWords[0].word, read);
    QCOMPARE(difference(fast, general), QString());
}

// Broken, odd and still well-formed variants of small valid files: whatever
// the fast reader accepts, it must read exactly as QXmlStreamReader does.
// Two of them are laid out as the writer writes, which is read without an
// element parse until a change makes it give up.
void TestDictionaryFile::mutatedFilesReadAlike()
{
    QList<Card> hostile = hostileCards(4, 99);
    std::stable_sort(hostile.begin(), hostile.end(),
                     [](const Card &a, const Card &b) { return a.lesson < b.lesson; });
    const QStringList bases = {
        decodeDictionaryBytes(dictionaryFileBytes(hostile)),
        decodeDictionaryBytes(fileBytes(golden(QStringLiteral("small.xml")))),
        "<?xml version='1.0' encoding=\"Unicode\"?>\n<!DOCTYPE words [<!ELEMENT w (f?,r?,c)>]>" +
            QStringLiteral("<words><x/><lesson n=\" a\tb \"><w nPER=\"2\" pER=\"x\" nAr=\"0\">"
                           "<f><fw w=\"&quot;q&amp;&#x1F600;\" tr=\"[t]&#10;\" aChk=\"t\"/>"
                           "<fw w=\"\"/><y/></f><r><rw c=\"N\"><ss><wv w=\"дом\" i=\"a\r\nb\"/>"
                           "</ss><z/></rw><rw c=\"Q\"/></r><c n=\"Еда;Кот;Дом\"/><v p='s.wav'/>"
                           "<c/></w><w/></lesson><lesson><w/></lesson></words>\r\n")};
    const QString alphabet = QStringLiteral("<>&;#x\"'=/![]?- \t\r\nAaZz09_:.éЖ😀") + QChar(0) +
                             QChar(0x1F) + QChar(0x85) + QChar(0xD800) + QChar(0xDC00) +
                             QChar(0xE000) + QChar(0xFEFF) + QChar(0xFFFE) + QChar(0xFFFF);
    const QStringList snippets =
        QStringLiteral("<!--c-->|<![CDATA[x]]>|&amp;|&#x41;|&#65;|&#0;|&#xD800;|&#x110000;|&foo;|"
                       "<?pi x?>|</w>|<x/>|<w>|]]>| a=\"1\"| n=\"\"|&#x1F600;|\r\n|<!DOCTYPE a>|"
                       "<!ELEMENT a (b)>|&e;| encoding=\"UTF-8\"| standalone=\"no\"|?>|"
                       "<!ATTLIST w nAr CDATA \"0\">|<!ENTITY e \"x\">")
            .split(QLatin1Char('|'));
    QRandomGenerator rng(77);
    int fastCount = 0, total = 0;
    for (int round = 0; round < 2000; ++round) {
        for (const QString &base : bases) {
            QString t = base;
            // A third of the changes fall into the prolog, where the rules are densest.
            const int pos = rng.bounded(3) == 0 ? rng.bounded(std::min<int>(130, t.size()))
                                                : rng.bounded(int(t.size()));
            auto some = [&](const QString &from) {
                const int i = rng.bounded(int(from.size()));
                // Keep surrogate pairs together; lone halves are in the alphabet.
                if (from[i].isHighSurrogate() && i + 1 < from.size())
                    return from.mid(i, 2);
                return from.mid(from[i].isLowSurrogate() && i > 0 ? i - 1 : i, 1);
            };
            switch (rng.bounded(8)) {
            case 0:
                t.remove(pos, 1 + rng.bounded(3));
                break;
            case 1:
                t.insert(pos, some(alphabet));
                break;
            case 2:
                t.replace(pos, 1, some(alphabet));
                break;
            case 3:
                t.truncate(pos);
                break;
            case 4:
                t.insert(pos, snippets[rng.bounded(snippets.size())]);
                break;
            case 5: { // repeat an attribute right after itself
                const qsizetype eq = t.indexOf(QLatin1Char('='), pos);
                const qsizetype start = t.lastIndexOf(QLatin1Char(' '), eq);
                const qsizetype end = eq < 0 ? -1 : t.indexOf(t.mid(eq + 1, 1), eq + 2);
                if (start >= 0 && end > eq)
                    t.insert(end + 1, t.mid(start, end + 1 - start));
                break;
            }
            case 6: { // into a value, most often still well-formed
                const qsizetype quote = t.indexOf(QLatin1Char('"'), pos);
                if (quote >= 0)
                    t.insert(quote + 1, rng.bounded(2) ? some(alphabet)
                                                       : snippets[rng.bounded(snippets.size())]);
                break;
            }
            default:
                if (pos + 1 < t.size())
                    std::swap(t[pos], t[pos + 1]);
            }
            bool fast = false;
            const QString why = disagreement(t, &fast);
            QVERIFY2(why.isEmpty(), qPrintable(why));
            fastCount += fast;
            ++total;
        }
    }
    // Both ways were taken often, or the comparison proved little.
    QVERIFY2(fastCount > total / 10 && fastCount < total * 9 / 10,
             qPrintable(QStringLiteral("%1 of %2 read fast").arg(fastCount).arg(total)));
}

// A file the fast reader hands on is read in full by QXmlStreamReader.
void TestDictionaryFile::fileOutsideSubsetStillRead()
{
    QString text = decodeDictionaryBytes(fileBytes(golden(QStringLiteral("small.xml"))));
    text.insert(text.indexOf(QStringLiteral("<lesson")), QStringLiteral("<!-- note -->"));
    DictionaryReadResult unused;
    QVERIFY(!parseDictionaryTextFast(text, kPath, categories(), &unused));
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("note.xml"));
    QVERIFY(putBytes(
        path,
        QStringEncoder(QStringConverter::Utf16LE, QStringConverter::Flag::WriteBom).encode(text)));
    Dictionary dict;
    dict.setCategoryList(categories());
    const ReadOutcome r = readDictionaryFile(dict, path);
    QVERIFY(r.added);
    QVERIFY(r.warnings.isEmpty());
    QCOMPARE(dict.cards().size(), 3);
    QCOMPARE(dict.cardAt(2).foreignWords[1].word, QStringLiteral("home"));
}

// Texts that a cut before a <lesson> tag could misread: read in pieces (every
// lesson one) or whole, fast or by QXmlStreamReader, all must agree.
void TestDictionaryFile::readInPieces_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("fast");
    const QString lessonA =
        QStringLiteral("<lesson n=\"a\">") + kCard + kCard + QStringLiteral("</lesson>");
    const QString lessonB =
        QStringLiteral("<lesson n=\"b\">") + kCard + QStringLiteral("</lesson>");
    QTest::newRow("split between lessons")
        << doc(lessonA + QStringLiteral("\r\n") + lessonB) << true;
    QTest::newRow("root closed before the split")
        << kHeader + QStringLiteral("<words>") + lessonA + QStringLiteral("</words>\n") + lessonB +
               QStringLiteral("</words>")
        << false;
    QTest::newRow("lesson nested in a card")
        << doc(lessonA + QStringLiteral("<lesson n=\"c\"><w><f><fw w=\"x\"/></f><lesson n=\"d\"/>"
                                        "<c n=\"Дом;\"/></w></lesson>"))
        << true;
    QTest::newRow("a longer name at the split")
        << doc(lessonA + QStringLiteral("<lessons/>") + lessonB) << true;
    QTest::newRow("an empty lesson at the split")
        << doc(lessonA + QStringLiteral("<lesson/>")) << true;
    QTest::newRow("lesson in a comment")
        << doc(lessonA + QStringLiteral("<!-- <lesson n=\"x\"> -->") + lessonB) << false;
    QTest::newRow("root closed at once")
        << kHeader + QStringLiteral("<words/>") + lessonA + lessonB + QStringLiteral("</words>")
        << false;
    QTest::newRow("another root") << kHeader + QStringLiteral("<other>") + lessonA + lessonB +
                                         QStringLiteral("</other>")
                                  << true;
    QTest::newRow("text after the root")
        << doc(lessonA + lessonB) + QStringLiteral("<lesson n=\"z\"/>") << false;
    QTest::newRow("reference cut at the split")
        << doc(lessonA + QStringLiteral("&#12") + lessonB) << false;
    QTest::newRow("unclosed lesson before the split")
        << doc(QStringLiteral("<lesson n=\"a\">") + kCard + lessonB) << false;
}

void TestDictionaryFile::readInPieces()
{
    QFETCH(QString, text);
    QFETCH(bool, fast);
    bool readFast = false;
    const QString why = disagreement(text, &readFast);
    QVERIFY2(why.isEmpty(), qPrintable(why));
    QCOMPARE(readFast, fast);
}

// Files as the writer lays them out, changed a little: read as it is or
// handed on, each reads as QXmlStreamReader reads it, whole or in pieces.
void TestDictionaryFile::writerLayoutVariants_data()
{
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("to");
    QTest::addColumn<bool>("everywhere");
    QTest::addColumn<bool>("fast");
    QTest::newRow("as written") << QString() << QString() << false << true;
    QTest::newRow("line feeds only") << "\r\n"
                                     << "\n"
                                     << true << true;
    QTest::newRow("blanks between tags") << ">\r\n<"
                                         << "> \t\r\n  <" << true << true;
    QTest::newRow("a counter by reference") << "nPER=\""
                                            << "nPER=\"&#x31;" << false << true;
    QTest::newRow("a tab in a word") << "<fw w=\""
                                     << "<fw w=\"\t" << false << true;
    QTest::newRow("a reference in every word") << "<wv w=\""
                                               << "<wv w=\"&lt;&#x1F600;" << true << true;
    QTest::newRow("an unknown category") << "<c n=\""
                                         << "<c n=\"Кот;" << false << true;
    QTest::newRow("an empty variant") << "<wv w=\""
                                      << "<wv w=\"\" i=\"\"/><wv w=\"" << true << true;
    QTest::newRow("an empty foreign word")
        << "<fw w=\""
        << "<fw w=\"\" tr=\"\" aChk=\"t\"/><fw w=\"" << false << true;
    QTest::newRow("attributes in another order") << " aChk=\"t\"/>"
                                                 << " aChk=\"t\" />" << false << true;
    QTest::newRow("a repeated attribute") << "<fw w=\""
                                          << "<fw aChk=\"t\" w=\"" << false << false;
    QTest::newRow("an end tag with a blank") << "</lesson>"
                                             << "</lesson >" << false << true;
    QTest::newRow("a lesson without cards")
        << "<lesson n=\""
        << "<lesson n=\"пусто\"></lesson><lesson n=\"" << false << true;
    QTest::newRow("a lesson name to simplify") << "<lesson n=\""
                                               << "<lesson n=\"  " << true << true;
    QTest::newRow("no translations") << "<r>"
                                     << "<x/><r>" << false << true;
    QTest::newRow("a second sound") << "</w>"
                                    << "<v p=\"b.wav\"/></w>" << false << true;
}

void TestDictionaryFile::writerLayoutVariants()
{
    QFETCH(QString, from);
    QFETCH(QString, to);
    QFETCH(bool, everywhere);
    QFETCH(bool, fast);
    QList<Card> cards = hostileCards(60, 26);
    std::stable_sort(cards.begin(), cards.end(),
                     [](const Card &a, const Card &b) { return a.lesson < b.lesson; });
    QString text = decodeDictionaryBytes(dictionaryFileBytes(cards));
    if (!from.isEmpty()) {
        QVERIFY(text.contains(from));
        if (everywhere)
            text.replace(from, to);
        else
            text.replace(text.indexOf(from), from.size(), to);
    }
    bool readFast = false;
    const QString why = disagreement(text, &readFast);
    QVERIFY2(why.isEmpty(), qPrintable(why));
    QCOMPARE(readFast, fast);
}

// A file large enough to be read in pieces on two threads, through the
// path the window takes: lessons longer than a piece, one lesson making the
// whole file (its pages given back behind the parse), cuts that land inside
// cards, and a file spoilt late, where the fast reader gives up after the
// text read so far is gone and the file must be read again for
// QXmlStreamReader. The stamp hashes every byte as read.
void TestDictionaryFile::largeFileReadInPlace()
{
    QList<Card> cards = hostileCards(24000, 5);
    std::stable_sort(cards.begin(), cards.end(),
                     [](const Card &a, const Card &b) { return a.lesson < b.lesson; });
    const QByteArray good = dictionaryFileBytes(cards);
    QVERIFY2(good.size() > (qsizetype(20) << 20), qPrintable(QString::number(good.size())));
    for (Card &c : cards)
        c.lesson = QStringLiteral("одна");
    const QByteArray oneLesson = dictionaryFileBytes(cards);
    // A lesson inside every card: wherever the reader cuts, it lands in one.
    QByteArray nested = QStringEncoder(QStringConverter::Utf16LE, QStringConverter::Flag::WriteBom)
                            .encode(decodeDictionaryBytes(good).replace(
                                QStringLiteral("</w>"), QStringLiteral("<lesson n=\"in\"/></w>")));
    QByteArray spoilt = good;
    spoilt.insert(
        spoilt.size() - 16,
        QStringEncoder(QStringConverter::Utf16LE).encode(QStringLiteral("<!-- late -->")));
    QByteArray oddSize = good;
    oddSize.append('\n');
    // Not what the program writes: decoded whole, then read in pieces.
    const QByteArray utf8 = decodeDictionaryBytes(good).toUtf8();

    QTemporaryDir dir;
    const StringSet cats = categories();
    int round = 0;
    for (const QByteArray &bytes : {good, oneLesson, nested, spoilt, oddSize, utf8}) {
        const QString path = dir.filePath(QStringLiteral("big%1.xml").arg(round++));
        QVERIFY(putBytes(path, bytes));
        const QString why = readAsWhole(path, bytes, kReadPieceUnits * 2);
        QVERIFY2(why.isEmpty(), qPrintable(why));
    }
}

// The file's text in pieces of any size, down to a single character, ends
// and starts of pieces falling anywhere, reads as QXmlStreamReader reads it
// whole: fast, handed on after some pieces or at once.
void TestDictionaryFile::filesReadInPiecesOfAnySize_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QList<Card> cards = hostileCards(40, 8);
    std::stable_sort(cards.begin(), cards.end(),
                     [](const Card &a, const Card &b) { return a.lesson < b.lesson; });
    const QByteArray written = dictionaryFileBytes(cards);
    const QString text = decodeDictionaryBytes(written);
    auto utf16 = [](const QString &t) {
        return QByteArray(
            QStringEncoder(QStringConverter::Utf16LE, QStringConverter::Flag::WriteBom).encode(t));
    };
    QTest::newRow("written") << written;
    QTest::newRow("golden") << fileBytes(golden(QStringLiteral("small.xml")));
    QTest::newRow("one lesson") << utf16(QString(text).replace(
        QRegularExpression(QStringLiteral("</lesson>\\s*<lesson n=\"[^\"]*\">")), QString()));
    QTest::newRow("a lesson inside each card") << utf16(
        QString(text).replace(QStringLiteral("</w>"), QStringLiteral("<lesson n=\"in\"/></w>")));
    QTest::newRow("a comment at the end") << utf16(text + QStringLiteral("<!-- -->"));
    QTest::newRow("root closed at once")
        << utf16(QString(text).replace(QStringLiteral("<words>"), QStringLiteral("<words/>")));
    QTest::newRow("an odd last byte") << written + QByteArray("\n");
    QTest::newRow("only the prolog") << utf16(text.left(text.indexOf(QStringLiteral("<words>"))));
}

void TestDictionaryFile::filesReadInPiecesOfAnySize()
{
    QFETCH(QByteArray, bytes);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("pieces.xml"));
    QVERIFY(putBytes(path, bytes));
    for (const qsizetype pieceBytes : {2, 33, 64, 1000, 4096, 1 << 20}) {
        const QString why = readAsWhole(path, bytes, pieceBytes);
        QVERIFY2(why.isEmpty(), qPrintable(QStringLiteral("pieces of %1: ").arg(pieceBytes) + why));
    }
}

// A large save builds its text in two halves on two threads while checking
// the cards: the bytes are those of the whole text built at once, where the
// lesson changes right at the middle or runs across it, and a bad card
// anywhere still stops the save before a byte is written.
void TestDictionaryFile::largeSaveBuiltInParts()
{
    QTemporaryDir dir;
    const StringSet cats = categories();
    QList<Card> base;
    for (int i = 0; i < 24000; ++i)
        base.append(card(i < 12000 ? QStringLiteral("A") : QStringLiteral("B"),
                         QStringLiteral("w%1").arg(i), QStringLiteral("Дом")));
    QList<Card> across = base;
    for (int i = 11990; i < 12010; ++i)
        across[i].lesson = QStringLiteral("AB"); // sorts between, across the middle
    for (const QList<Card> &cards : {base, across, hostileCards(24000, 9)}) {
        QList<Card> sorted = cards;
        std::stable_sort(sorted.begin(), sorted.end(),
                         [](const Card &a, const Card &b) { return a.lesson < b.lesson; });
        QList<Card> saved = cards;
        const QString path = dir.filePath(QStringLiteral("large.xml"));
        const WriteOutcome w = writeDictionaryFile(saved, path, cats, nullptr);
        QVERIFY2(w.ok, qPrintable(w.message));
        QVERIFY(fileBytes(path) == dictionaryFileBytes(sorted));
    }

    const QString path = dir.filePath(QStringLiteral("refused.xml"));
    QVERIFY(putBytes(path, "old"));
    for (int bad : {0, 11999, 12000, 23999}) {
        QList<Card> cards = base;
        cards[bad].categories = {QStringLiteral("Кот")};
        const WriteOutcome w = writeDictionaryFile(cards, path, cats, nullptr);
        QVERIFY(!w.ok);
        QVERIFY2(w.message.contains(QStringLiteral("«w%1»").arg(bad)), qPrintable(w.message));
        QCOMPARE(fileBytes(path), QByteArray("old"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 2);
    }
}

void TestDictionaryFile::savedCardsOnlyRead_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<bool>("every");
    QTest::addColumn<QList<int>>("positions");
    QTest::addColumn<int>("bad"); // a card the save must refuse; -1: none
    QTest::addColumn<bool>("ok");
    QTest::newRow("every card, no positions") << 9 << true << QList<int>() << -1 << true;
    QTest::newRow("some, out of list order")
        << 9 << false << QList<int>{7, 2, 5, 0, 3} << -1 << true;
    QTest::newRow("one") << 9 << false << QList<int>{4} << -1 << true;
    QTest::newRow("a bad card left out") << 9 << false << QList<int>{0, 1, 2} << 5 << true;
    QTest::newRow("a bad card written") << 9 << false << QList<int>{0, 5, 2} << 5 << false;
    QTest::newRow("a bad card, no positions") << 9 << true << QList<int>() << 8 << false;
    // At least as many as a save builds on two threads.
    QList<int> most;
    for (int i = 0; i < 30000; ++i)
        if (i % 5 != 0)
            most.append(i);
    QTest::newRow("large, on two threads") << 30000 << false << most << -1 << true;
    QTest::newRow("large, every card") << 30000 << true << QList<int>() << -1 << true;
    QTest::newRow("large, a bad card late") << 30000 << false << most << 29999 << false;
}

// The save reads a list shared with the dictionary's own and leaves it
// shared and untouched, whichever cards it writes and whether or not it
// succeeds; the order it gives back is the file's, stable by lesson.
void TestDictionaryFile::savedCardsOnlyRead()
{
    QFETCH(int, count);
    QFETCH(bool, every);
    QFETCH(QList<int>, positions);
    QFETCH(int, bad);
    QFETCH(bool, ok);
    const QString lessons[] = {QStringLiteral("B"), QStringLiteral("A"), QStringLiteral("AB"),
                               QStringLiteral("C")};
    QList<Card> dictionary;
    for (int i = 0; i < count; ++i) {
        Card c = card(lessons[i % 4], QStringLiteral("w%1").arg(i), QStringLiteral("Дом"));
        c.filePath = QStringLiteral("/old.xml");
        if (i == bad)
            c.categories = {QStringLiteral("Кот")};
        dictionary.append(c);
    }
    const QList<Card> before = dictionary;
    const QList<Card> shared = dictionary;
    if (every)
        for (int i = 0; i < count; ++i)
            positions.append(i);
    const std::vector<int> chosen(positions.cbegin(), positions.cend());
    // The file's order: the chosen cards of each lesson in turn, as chosen.
    std::vector<int> expected;
    for (const QString &lesson : {lessons[1], lessons[2], lessons[0], lessons[3]})
        for (int p : chosen)
            if (dictionary.at(p).lesson == lesson)
                expected.push_back(p);

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("part.xml"));
    const WriteOutcome w =
        writeDictionaryCards(shared, every ? nullptr : &chosen, path, categories(), nullptr);
    QVERIFY(shared.isSharedWith(dictionary));
    for (int i = 0; i < count; ++i) {
        QVERIFY(shared[i].sameContent(before[i]));
        QCOMPARE(shared[i].filePath, QStringLiteral("/old.xml"));
    }
    QCOMPARE(w.ok, ok);
    if (!ok) {
        QVERIFY2(w.message.contains(QStringLiteral("«w%1»").arg(bad)), qPrintable(w.message));
        QVERIFY(w.order.empty());
        QVERIFY(!QFile::exists(path));
        return;
    }
    QVERIFY2(w.order == expected, "not the order of the file");
    QList<Card> written;
    for (int p : expected)
        written.append(shared[p]);
    QVERIFY(fileBytes(path) == dictionaryFileBytes(written));
}

// A cancel stops the read, whichever reader has the file, and nothing of it
// enters the dictionary.
void TestDictionaryFile::cancelledReadAddsNothing()
{
    QTemporaryDir dir;
    QList<Card> cards = hostileCards(10000, 3);
    std::stable_sort(cards.begin(), cards.end(),
                     [](const Card &a, const Card &b) { return a.lesson < b.lesson; });
    const QByteArray large = dictionaryFileBytes(cards); // read in pieces
    QByteArray note = fileBytes(golden(QStringLiteral("small.xml")));
    note.insert(note.indexOf(QByteArray("<\0l\0e\0s\0s\0o\0n\0", 14)),
                QStringEncoder(QStringConverter::Utf16LE).encode(QStringLiteral("<!-- n -->")));
    int round = 0;
    for (const QByteArray &bytes : {fileBytes(golden(QStringLiteral("small.xml"))), note, large}) {
        const QString path = dir.filePath(QStringLiteral("c%1.xml").arg(round++));
        QVERIFY(putBytes(path, bytes));
        Dictionary dict;
        dict.setCategoryList(categories());
        const std::atomic<bool> cancel{true};
        const ReadOutcome r = readDictionaryFile(dict, path, &cancel);
        QVERIFY(r.opened);
        QVERIFY(!r.added);
        QVERIFY(r.warnings.isEmpty());
        QCOMPARE(dict.cardCount(), 0);
        QVERIFY(dict.lessons().empty());
        // Not cancelled, the same file gives its cards.
        const std::atomic<bool> go{false};
        QVERIFY(readDictionaryFile(dict, path, &go).added);
    }
}

// A file is hashed as its bytes arrive: in any pieces, the hash of the
// whole, which a later look at the file compares with.
void TestDictionaryFile::hashInPieces()
{
    QByteArray random(300000, Qt::Uninitialized);
    QRandomGenerator rng(26);
    for (char &c : random)
        c = char(rng.bounded(256));
    for (const QByteArray &bytes :
         {QByteArray(), QByteArray("x"), fileBytes(golden(QStringLiteral("small.xml"))), random}) {
        const quint64 whole = hashFileBytes(bytes.constData(), bytes.size());
        for (const qsizetype piece : {qsizetype(1), qsizetype(7), qsizetype(240), qsizetype(4096),
                                      qMax<qsizetype>(bytes.size(), 1)}) {
            FileHasher hasher;
            for (qsizetype at = 0; at < bytes.size(); at += piece)
                hasher.add(bytes.constData() + at, qMin(piece, bytes.size() - at));
            hasher.add(bytes.constData(), 0); // an empty read changes nothing
            QCOMPARE(hasher.hash(), whole);
        }
    }
}

QTEST_GUILESS_MAIN(TestDictionaryFile)
#include "test_dictionary_file.moc"
