#include "test_cards.h"

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
