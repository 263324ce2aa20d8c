#include "core/dictionary/card_check.h"
#include "core/dictionary/dictionary_file.h"
#include "core/dictionary/safe_save.h"

#include "test_cards.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <climits>

namespace
{

const StringSet kCategories = {"Еда", "Дом", "<Кухня & \"бар\">", "Два\nряда\tи\r😀"};

// A card that passes every rule; rows change one thing in it.
Card goodCard()
{
    Card c;
    c.lesson = "Урок 1";
    c.foreignWords = {{"cat", "kæt", true}};
    c.translations = {{{{{"кот", ""}, {"кошка", "ж."}}}, "N"}};
    c.categories = {"Еда"};
    return c;
}

// Pauses the disk syncs: a thousand saves need not wait for the disk.
class NoSync
{
public:
    NoSync() : m_old(saveSyncCalls())
    {
        saveSyncCalls() = SaveSyncCalls{[](int) { return 0; }, [](int) { return 0; }};
    }
    ~NoSync() { saveSyncCalls() = m_old; }

private:
    SaveSyncCalls m_old;
};

QString shown(const QString &text)
{
    return visibleText(text);
}

QString shown(const Card &c)
{
    QStringList f = {c.lesson, c.soundPath};
    for (const ForeignWord &w : c.foreignWords)
        f << "fw" << w.word << w.transcription;
    for (const TranslationSection &s : c.translations) {
        f << "rw" << s.code;
        for (const TranslationGroup &g : s.groups) {
            f << "ss";
            for (const TranslationVariant &v : g)
                f << v.word << v.info;
        }
    }
    f << "c" << c.categories;
    return shown(f.join('|'));
}

// Random dictionaries with hostile text in every field: markup characters,
// line breaks, tabs, blanks at the ends and inside, emoji, combining marks,
// very long words, characters XML cannot hold, ";" in categories, empty
// parts, unknown sections and categories.
class HostileDictionaries
{
public:
    explicit HostileDictionaries(quint32 seed) : m_rng(seed) {}

    QList<Card> next()
    {
        QList<Card> cards;
        const QStringList lessons = {lesson(), lesson()};
        for (int n = 1 + bounded(4); n > 0; --n) {
            Card c;
            c.lesson = lessons[bounded(2)];
            for (int w = chance(5) ? 0 : 1 + bounded(3); w > 0; --w)
                c.foreignWords.append({text(chance(3) ? 0 : 1), text(0), chance(50)});
            for (int s = bounded(3); s > 0; --s)
                c.translations.append(section());
            for (int k = chance(5) ? 0 : 1 + bounded(3); k > 0; --k)
                c.categories.append(category());
            if (chance(40))
                c.soundPath = text(1);
            c.nPER = number(), c.pER = number(), c.rER = number(), c.aER = number();
            c.nPRE = number(), c.pRE = number(), c.rRE = number(), c.aRE = number();
            c.nAr = chance(50);
            cards.append(c);
        }
        return cards;
    }

private:
    int bounded(int n) { return int(m_rng.bounded(n)); }
    bool chance(int percent) { return bounded(100) < percent; }
    int number()
    {
        static const QList<int> numbers = {0, 1, 5, -3, INT_MAX, INT_MIN};
        return numbers[bounded(int(numbers.size()))];
    }

    QString piece()
    {
        // Mostly harmless text with what XML and the reader treat specially.
        static const QStringList common = {
            "кот", "word", "ёЖ", " ",  "\"", "&",       "<",      ">",      "'",
            "\n",  "\r",   "\t", "😀",  ";",  "e\u0301", "\u00A0", "]]>",    "&amp;",
            "~",   "#",    "%1", "  ", ")(", "\r\n",    "a b",    "\u2028", "x"};
        static const QStringList forbidden = {
            QString(QChar(0)),     "\x01", "\x1f", QString(QChar(0xFFFF)), QString(QChar(0xD800)),
            QString(QChar(0xDC00))};
        if (bounded(400) == 0)
            return forbidden[bounded(int(forbidden.size()))];
        if (chance(2))
            return QString(300 + bounded(3000), QChar(u'ж'));
        return common[bounded(int(common.size()))];
    }
    QString text(int minPieces)
    {
        QString s;
        for (int n = minPieces + bounded(4); n > 0; --n)
            s += piece();
        return s;
    }
    QString lesson()
    {
        // Mostly names as the reader gives them, sometimes raw text.
        return chance(88) ? text(1).simplified() : text(0);
    }
    TranslationSection section()
    {
        static const QStringList codes = {"N", "V", "S", "Применено", "*", "ABBR"};
        static const QStringList unknown = {"", "n", "X", "[N]", "N "};
        TranslationSection s;
        s.code =
            chance(3) ? unknown[bounded(int(unknown.size()))] : codes[bounded(int(codes.size()))];
        for (int g = chance(3) ? 0 : 1 + bounded(3); g > 0; --g) {
            TranslationGroup group;
            for (int v = chance(3) ? 0 : 1 + bounded(3); v > 0; --v)
                group.append({text(chance(3) ? 0 : 1), text(0)});
            s.groups.append(group);
        }
        return s;
    }
    QString category()
    {
        if (chance(2))
            return "Кот"; // not allowed
        if (chance(2))
            return "Еда;Дом";
        if (chance(1))
            return QString();
        const QList<QString> all(kCategories.begin(), kCategories.end());
        return all[bounded(int(all.size()))];
    }

    QRandomGenerator m_rng;
};

QList<Card> sortedByLesson(QList<Card> cards)
{
    std::stable_sort(cards.begin(), cards.end(),
                     [](const Card &a, const Card &b) { return a.lesson < b.lesson; });
    return cards;
}

// True when the reader gives back exactly these cards from their file text,
// without a word of warning.
bool readsBackExactly(const QList<Card> &sorted, const QString &path)
{
    const DictionaryReadResult r =
        parseDictionaryText(decodeDictionaryBytes(dictionaryFileBytes(sorted)), path, kCategories);
    if (r.refused || !r.warnings.isEmpty() || r.cards.size() != sorted.size())
        return false;
    for (int i = 0; i < sorted.size(); ++i)
        if (!r.cards[i].sameContent(sorted[i]))
            return false;
    return true;
}

} // namespace

class TestCardCheck : public QObject
{
    Q_OBJECT

private slots:
    // Each row breaks one rule of a good card; the text says which, in the
    // words the user reads.
    void problems_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<QString>("problem");
        QTest::newRow("good card") << ""
                                   << "";
        QTest::newRow("no lesson") << "lesson="
                                   << "не указан урок";
        QTest::newRow("lesson of blanks") << "lesson=  "
                                          << "не указан урок";
        QTest::newRow("lesson with two blanks")
            << "lesson=Урок  1"
            << "в названии урока «Урок  1» лишние пробелы, табуляции или переводы строк";
        QTest::newRow("lesson with a trailing blank")
            << "lesson=Урок "
            << "в названии урока «Урок » лишние пробелы, табуляции или переводы строк";
        QTest::newRow("lesson with a tab inside")
            << "lesson=Урок\t1"
            << "в названии урока «Урок\t1» лишние пробелы, табуляции или переводы строк";
        QTest::newRow("lesson with a no-break space")
            << "lesson=Урок\u00A01"
            << "в названии урока «Урок\u00A01» лишние пробелы, табуляции или переводы строк";
        QTest::newRow("lesson of line breaks") << "lesson=\n\t"
                                               << "не указан урок";
        QTest::newRow("lesson with a control character")
            << "lesson=Урок\x02"
            << "название урока «Урок\x02» содержит символ, недопустимый в файле словаря (код "
               "U+0002)";
        QTest::newRow("no foreign word") << "no words"
                                         << "нет ни одного иностранного слова";
        QTest::newRow("empty foreign word") << "word="
                                            << "пустое иностранное слово (с транскрипцией «kæt»)";
        QTest::newRow("transcription with U+FFFF")
            << "transcription=\uFFFF"
            << "транскрипция «\uFFFF» содержит символ, недопустимый в файле словаря (код U+FFFF)";
        QTest::newRow("unknown section") << "code=n"
                                         << "неизвестный раздел переводов [n]";
        QTest::newRow("section without a name") << "code="
                                                << "раздел переводов без названия";
        QTest::newRow("empty section") << "no groups"
                                       << "пустой раздел [N]";
        QTest::newRow("empty group") << "empty group"
                                     << "пустая группа переводов в разделе [N]";
        QTest::newRow("variant without a word")
            << "variant="
            << "перевод без слова в разделе [N] (есть только пояснение «ж.»)";
        QTest::newRow("no category") << "no categories"
                                     << "не указана ни одна категория";
        QTest::newRow("empty category") << "category="
                                        << "пустая категория";
        QTest::newRow("category with ;")
            << "category=Еда;Дом"
            << "категория «Еда;Дом» содержит знак «;», который разделяет категории в файле";
        QTest::newRow("unknown category") << "category=Кот"
                                          << "категория «Кот» отсутствует в списке категорий";
        QTest::newRow("hostile but fine") << "word=\"&<>'\t\n\r😀 "
                                          << "";
    }
    void problems()
    {
        QFETCH(QString, change);
        QFETCH(QString, problem);
        Card c = goodCard();
        const QString key = change.section('=', 0, 0);
        const QString value = change.section('=', 1);
        if (key == "lesson")
            c.lesson = value;
        else if (key == "no words")
            c.foreignWords.clear();
        else if (key == "word")
            c.foreignWords[0].word = value;
        else if (key == "transcription")
            c.foreignWords[0].transcription = value;
        else if (key == "code")
            c.translations[0].code = value;
        else if (key == "no groups")
            c.translations[0].groups.clear();
        else if (key == "empty group")
            c.translations[0].groups.append(TranslationGroup());
        else if (key == "variant")
            c.translations[0].groups[0][1].word = value;
        else if (key == "no categories")
            c.categories.clear();
        else if (key == "category")
            c.categories.append(value);
        else if (key == "sound")
            c.soundPath = value;
        QCOMPARE(cardFileProblem(c, kCategories), problem);
        // A save checks its cards with one checker, which remembers the
        // lesson, codes and categories of the good cards before: they must
        // not let a changed one through.
        CardFileChecker checker(kCategories);
        QCOMPARE(checker.problem(goodCard()), QString());
        QCOMPARE(checker.problem(c), problem);
        QCOMPARE(checker.problem(goodCard()), QString());
    }

    void lonePairHalves()
    {
        Card c = goodCard();
        c.soundPath = "a" + QString(QChar(0xDC00));
        QCOMPARE(cardFileProblem(c, kCategories),
                 "имя звукового файла «" + c.soundPath +
                     "» содержит символ, недопустимый в файле словаря (код U+DC00)");
        c.soundPath = QString(QChar(0xD83D)) + "x"; // a high half without its low one
        QVERIFY(cardFileProblem(c, kCategories).endsWith("(код U+D83D)"));
        c.soundPath = "😀"; // a whole pair is fine
        QCOMPARE(cardFileProblem(c, kCategories), QString());
    }

    // Every character XML 1.0 cannot hold, in every kind of field: the one
    // check refuses it, and so does the save, before a byte is written. A
    // file holding one of them could not be opened again at all.
    void forbiddenCharacters_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("code");
        const QList<char16_t> characters = {0x0000, 0x0001, 0x0008, 0x000B, 0x000C,
                                            0x001F, 0xFFFE, 0xFFFF, 0xD800, 0xDFFF};
        const QStringList fields = {"lesson", "word",     "transcription", "translation",
                                    "remark", "category", "sound"};
        for (const char16_t ch : characters) {
            const QString code =
                QString::number(uint(ch), 16).toUpper().rightJustified(4, QLatin1Char('0'));
            for (const QString &field : fields)
                QTest::addRow("U+%s in %s", qPrintable(code), qPrintable(field))
                    << field << QString("a") + QChar(ch) + QString("b") << code;
        }
    }
    void forbiddenCharacters()
    {
        QFETCH(QString, field);
        QFETCH(QString, text);
        QFETCH(QString, code);
        Card c = goodCard();
        StringSet categories = kCategories;
        QString what;
        if (field == "lesson") {
            c.lesson = text;
            what = "название урока";
        } else if (field == "word") {
            c.foreignWords[0].word = text;
            what = "иностранное слово";
        } else if (field == "transcription") {
            c.foreignWords[0].transcription = text;
            what = "транскрипция";
        } else if (field == "translation") {
            c.translations[0].groups[0][0].word = text;
            what = "перевод";
        } else if (field == "remark") {
            c.translations[0].groups[0][1].info = text;
            what = "пояснение к переводу";
        } else if (field == "category") {
            c.categories.append(text);
            categories.insert(text); // even a listed name
            what = "категория";
        } else {
            c.soundPath = text;
            what = "имя звукового файла";
        }
        QString problem = what + " «" + text +
                          "» содержит символ, недопустимый в файле словаря (код U+" + code + ")";
        // Line and page feeds are white space, which a lesson name must not
        // hold either; that rule comes first.
        if (field == "lesson" && text.at(1).isSpace())
            problem =
                "в названии урока «" + text + "» лишние пробелы, табуляции или переводы строк";
        QCOMPARE(cardFileProblem(c, categories), problem);

        QTemporaryDir dir;
        const QString path = dir.filePath("d.xml");
        QList<Card> cards = {goodCard(), c};
        const WriteOutcome w = writeDictionaryFile(cards, path, categories, nullptr);
        QVERIFY(!w.ok);
        QVERIFY2(w.message.contains(problem), qPrintable(w.message));
        QVERIFY(!QFile::exists(path));
    }

    void titles_data()
    {
        QTest::addColumn<QString>("word");
        QTest::addColumn<QString>("russian");
        QTest::addColumn<QString>("lesson");
        QTest::addColumn<QString>("title");
        QTest::newRow("foreign word") << "cat"
                                      << "кот"
                                      << "Урок 1"
                                      << "Карточка «cat» (урок «Урок 1»)";
        QTest::newRow("Russian word when no foreign one") << ""
                                                          << "кот"
                                                          << "Урок 1"
                                                          << "Карточка «кот» (урок «Урок 1»)";
        QTest::newRow("no lesson") << "cat"
                                   << ""
                                   << "  "
                                   << "Карточка «cat» (урок не указан)";
        QTest::newRow("no words") << ""
                                  << ""
                                  << "L"
                                  << "Карточка без слов (урок «L»)";
    }
    void titles()
    {
        QFETCH(QString, word);
        QFETCH(QString, russian);
        QFETCH(QString, lesson);
        QFETCH(QString, title);
        Card c;
        c.lesson = lesson;
        if (!word.isEmpty())
            c.foreignWords.append({word, "", false});
        if (!russian.isEmpty())
            c.translations.append({{{{russian, ""}}}, "N"});
        QCOMPARE(cardTitle(c), title);
    }

    // Only what the user could not miss goes; the rest stays for the check.
    void normalization()
    {
        Card c = goodCard();
        QVERIFY(!normalizeCardForFile(c));
        QVERIFY(c.sameContent(goodCard()));

        c.lesson = " Урок \t 1 ";
        c.foreignWords.append({"", "", false});   // nothing at all: goes
        c.foreignWords.append({"", "tr", false}); // a transcription: stays
        c.translations[0].groups[0].append(TranslationVariant{"", ""});
        c.translations[0].groups[0].append(TranslationVariant{"", "пояснение"});
        c.translations[0].groups.append(TranslationGroup());
        c.translations.append({{TranslationGroup{{"", ""}}}, "V"});
        QVERIFY(normalizeCardForFile(c));
        QCOMPARE(c.lesson, QString("Урок 1"));
        QCOMPARE(c.foreignWords.size(), 2);
        QCOMPARE(c.foreignWords[1].transcription, QString("tr"));
        QCOMPARE(c.translations.size(), 1);
        QCOMPARE(c.translations[0].groups.size(), 1);
        QCOMPARE(c.translations[0].groups[0].size(), 3);
        QCOMPARE(cardFileProblem(c, kCategories), QString("пустое иностранное слово (с "
                                                          "транскрипцией «tr»)"));
    }

    // A thousand random dictionaries: each save is either read back exactly,
    // or refused with a message before anything is written. The check is
    // neither too strict nor too lax: a refusal happens exactly when the
    // unchecked file would read back changed.
    void saveReadsBackOrIsRefused()
    {
        QTemporaryDir dir;
        NoSync fast;
        HostileDictionaries gen(20240611);
        int saved = 0, refused = 0;
        for (int round = 0; round < 1000; ++round) {
            const QList<Card> original = gen.next();
            QList<Card> cards = original;
            const QString path = dir.filePath(QString("d%1.xml").arg(round));
            const QList<Card> sorted = sortedByLesson(original);
            const bool exact = readsBackExactly(sorted, path);
            const WriteOutcome w = writeDictionaryFile(cards, path, kCategories, nullptr);
            QString cardsShown;
            for (const Card &c : original)
                cardsShown += "\n" + shown(c);
            QVERIFY2(w.ok == exact, qPrintable(QString("round %1: saved %2, exact %3, %4%5")
                                                   .arg(round)
                                                   .arg(w.ok)
                                                   .arg(exact)
                                                   .arg(w.message, cardsShown)));
            if (!w.ok) {
                ++refused;
                QVERIFY(w.message.startsWith("Невозможно сохранить файл\n" + path + "\nКарточка"));
                QVERIFY(!QFile::exists(path));
                for (int i = 0; i < cards.size(); ++i)
                    QVERIFY(cards[i].sameContent(original[i]) && cards[i].filePath.isEmpty());
                continue;
            }
            ++saved;
            Dictionary dict;
            dict.setCategoryList(kCategories);
            const ReadOutcome r = readDictionaryFile(dict, path);
            QVERIFY(r.added && r.warnings.isEmpty());
            QCOMPARE(dict.cardCount(), int(cards.size()));
            for (int i = 0; i < cards.size(); ++i) {
                QVERIFY(dict.cardAt(i).sameContent(cards[i]));
                QVERIFY(cards[i].sameContent(sorted[i]));
            }
        }
        // Both ways were taken often, or the comparison proved little.
        QVERIFY2(saved > 200 && refused > 200,
                 qPrintable(QString("%1 saved, %2 refused").arg(saved).arg(refused)));
    }
};

QTEST_GUILESS_MAIN(TestCardCheck)
#include "test_card_check.moc"
