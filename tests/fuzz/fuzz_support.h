#pragma once

// Shared by the fuzz targets: how an input is cut into texts, and how a
// broken property stops the run (libFuzzer then keeps the input; the replay
// test fails).

#include "core/dictionary/card.h"

#include <QByteArray>
#include <QString>
#include <QStringDecoder>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

// Prints what broke, with the details, and aborts.
[[noreturn]] inline void fuzzFailure(const char *what, const QString &details = QString())
{
    std::fprintf(stderr, "fuzz property broken: %s\n%s\n", what, details.toUtf8().constData());
    std::fflush(stderr);
    std::abort();
}

inline void fuzzCheck(bool ok, const char *what, const QString &details = QString())
{
    if (!ok)
        fuzzFailure(what, details);
}

// Reads an input front to back: single bytes for choices, and texts up to a
// zero byte, decoded as UTF-8 or (when the byte before says so) as UTF-16,
// which lets lone surrogates through.
class FuzzInput
{
public:
    FuzzInput(const uint8_t *data, size_t size) : m_p(data), m_end(data + size) {}

    bool atEnd() const { return m_p >= m_end; }
    int byte() { return atEnd() ? 0 : *m_p++; }
    QString text()
    {
        const bool utf16 = byte() & 1;
        const uint8_t *start = m_p;
        while (m_p < m_end && *m_p != 0)
            ++m_p;
        const QByteArray bytes(reinterpret_cast<const char *>(start), m_p - start);
        if (m_p < m_end)
            ++m_p;
        return utf16 ? QStringDecoder(QStringConverter::Utf16LE).decode(bytes)
                     : QString::fromUtf8(bytes);
    }

private:
    const uint8_t *m_p;
    const uint8_t *m_end;
};

// Every field of a card, control characters shown, for the failure report.
inline QString describeCard(const Card &c)
{
    QStringList f = {c.lesson, c.soundPath};
    for (const ForeignWord &w : c.foreignWords)
        f << QStringLiteral("fw") << w.word << w.transcription;
    for (const TranslationSection &s : c.translations) {
        f << QStringLiteral("rw") << s.code;
        for (const TranslationGroup &g : s.groups) {
            f << QStringLiteral("ss");
            for (const TranslationVariant &v : g)
                f << v.word << v.info;
        }
    }
    f << QStringLiteral("c") << c.categories;
    QString out;
    for (const QChar ch : f.join(QLatin1Char('|'))) {
        if (ch.unicode() < 0x20 || (ch.unicode() >= 0xD800 && ch.unicode() < 0xE000))
            out += QStringLiteral("\\u%1").arg(ch.unicode(), 4, 16, QLatin1Char('0'));
        else
            out += ch;
    }
    return out;
}
