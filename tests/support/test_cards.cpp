#include "test_cards.h"

#include "core/dictionary/dictionary_file.h"

#include <QDebug>
#include <QTest>

#include <QDir>
#include <QFile>

Card makeCard(const QString &foreign, const QStringList &russian, const QString &lesson,
              const QString &file, const QStringList &categories)
{
    Card c;
    c.filePath = file;
    c.lesson = lesson;
    ForeignWord w;
    w.word = foreign;
    w.transcription = QStringLiteral("[") + foreign + QStringLiteral("]");
    c.foreignWords.append(w);
    if (!russian.isEmpty()) {
        TranslationSection s;
        s.code = QStringLiteral("N");
        TranslationGroup g;
        for (const QString &r : russian)
            g.append({r, QString()});
        s.groups.append(g);
        c.translations.append(s);
    }
    for (const QString &cat : categories)
        c.categories.append(cat);
    return c;
}

void writeMinimalSettings(const QString &dir)
{
    QFile f(dir + QStringLiteral("/settings.ini"));
    if (f.open(QIODevice::WriteOnly))
        f.write("\n[WORDS_CATEGORY]\ncategs=\xc5\xe4\xe0,\xc4\xee\xec\n");
}

std::unique_ptr<QTemporaryDir> makeWorkingDir()
{
    auto dir = std::make_unique<QTemporaryDir>();
    if (!dir->isValid())
        qFatal("cannot make a temporary working directory");
    return dir;
}

QString testDataPath(const QString &relative)
{
    QString dir = qEnvironmentVariable("LEXITOR_TEST_DATA");
    if (dir.isEmpty())
        dir = QStringLiteral(LEXITOR_SOURCE_DIR "/tests/data");
    return dir + QLatin1Char('/') + relative;
}

QString visibleText(const QString &text)
{
    QString out;
    for (const QChar c : text) {
        if (c.unicode() < 0x20 || c.unicode() > 0x7e)
            out += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
        else
            out += c;
    }
    return out;
}

QString writeFixtureFile(const QString &path, QList<Card> cards)
{
    StringSet categories;
    for (const Card &c : cards)
        categories.insert(c.categories.cbegin(), c.categories.cend());
    const WriteOutcome out = writeDictionaryFile(cards, path, categories, nullptr);
    if (!out.ok)
        qWarning() << out.message;
    return path;
}

void addSoundSequenceRows()
{
    QTest::addColumn<QString>("soundPath");
    QTest::addColumn<QStringList>("played");
    QTest::newRow("blanks around")
        << QStringLiteral("  hello.wav  ") << QStringList{QStringLiteral("./sounds/hello.wav")};
    QTest::newRow("three, 2 s apart")
        << QStringLiteral("a.wav;b.wav;c.wav")
        << QStringList{QStringLiteral("./sounds/a.wav"), QStringLiteral("|"),
                       QStringLiteral("./sounds/b.wav"), QStringLiteral("|"),
                       QStringLiteral("./sounds/c.wav")};
    QTest::newRow("trailing separator")
        << QStringLiteral("a.wav;")
        << QStringList{QStringLiteral("./sounds/a.wav"), QStringLiteral("|")};
    QTest::newRow("empty middle name")
        << QStringLiteral("a.wav;;b.wav")
        << QStringList{QStringLiteral("./sounds/a.wav"), QStringLiteral("|"),
                       QStringLiteral("./sounds/"), QStringLiteral("|"),
                       QStringLiteral("./sounds/b.wav")};
    QTest::newRow("no sound") << QString() << QStringList{};
}
