#include "ui/editor/phonetic_font.h"

#include <QFontDatabase>
#include <QGuiApplication>
#include <QRawFont>

const QStringList &transcriptionSymbols()
{
    static const QStringList symbols = [] {
        static const char16_t codes[] = {0x00E6, 0x00F0, 0x014B, 0x0254, 0x0259, 0x025B, 0x0283,
                                         0x028C, 0x0292, 0x02A4, 0x02A7, 0x03B8, 0x2197, 0x2198};
        QStringList l;
        for (char16_t c : codes)
            l << QString(QChar(c));
        return l;
    }();
    return symbols;
}

bool familyHasTranscriptionSymbols(const QString &family)
{
    // A raw font is one physical font: no fallback fonts fill its gaps.
    const QRawFont raw = QRawFont::fromFont(QFont(family, 12));
    if (!raw.isValid() || raw.familyName().compare(family, Qt::CaseInsensitive) != 0)
        return false;
    for (const QString &s : transcriptionSymbols())
        if (!raw.supportsCharacter(s.at(0)))
            return false;
    return true;
}

QString phoneticFontFamily()
{
    static const QString family = [] {
        const QStringList installed = QFontDatabase::families();
        const QString preferred = QStringLiteral("Arial Unicode MS");
        if (installed.contains(preferred))
            return preferred;
        static const char *const likely[] = {"DejaVu Sans", "Noto Sans", "FreeSans",
                                             "Lucida Sans Unicode", "Liberation Sans"};
        for (const char *name : likely) {
            const QString f = QString::fromLatin1(name);
            if (installed.contains(f) && familyHasTranscriptionSymbols(f))
                return f;
        }
        for (const QString &f : installed)
            if (familyHasTranscriptionSymbols(f))
                return f;
        return QGuiApplication::font().family();
    }();
    return family;
}

QFont phoneticFont(int pointSize, int weight)
{
    QFont f(phoneticFontFamily(), pointSize);
    f.setWeight(QFont::Weight(weight));
    return f;
}
