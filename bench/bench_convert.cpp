#include "bench.h"

#include "core/convert/text_conversion.h"

#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>

namespace
{

// A word list of about `bytes` bytes (as UTF-16) made of `line` repeated.
QString list(const QString &line, qsizetype bytes)
{
    const qsizetype lines = std::max<qsizetype>(1, bytes / 2 / line.size());
    QString text;
    text.reserve(lines * line.size());
    for (qsizetype i = 0; i < lines; ++i)
        text += line;
    return text;
}

// The best of three conversions of the text, in milliseconds.
double timeConversion(const QString &text, bool simple, qsizetype *cards)
{
    ConversionOptions options;
    options.simpleParsing = simple;
    double best = 1e9;
    for (int i = 0; i < 3; ++i) {
        QElapsedTimer t;
        t.start();
        *cards = convertTextToCards(text, options).size();
        best = std::min(best, msSince(t));
    }
    return best;
}

} // namespace

// Word lists of 1 and 2 MB: ordinary lines (the baseline) and lines whose
// Russian side opens a "[" that no "]" closes, which once made every line
// search the rest of the text.
void benchConvert()
{
    const QString plain = QStringLiteral("word [wɜːd], vocable = [N] слово (речь), вокабула\n");
    const QString hostile = QStringLiteral("word = [N слово, дело\n");
    for (const qsizetype mb : {1, 2}) {
        const qsizetype bytes = mb << 20;
        qsizetype plainCards = 0, hostileCards = 0;
        const double plainMs = timeConversion(list(plain, bytes), false, &plainCards);
        const double hostileMs = timeConversion(list(hostile, bytes), false, &hostileCards);
        std::printf("convert %lld MB: ordinary lines %.1f ms (%lld cards), lines with an "
                    "unclosed \"[\" %.1f ms (%lld cards), ratio %.2f\n",
                    static_cast<long long>(mb), plainMs, static_cast<long long>(plainCards),
                    hostileMs, static_cast<long long>(hostileCards), hostileMs / plainMs);
        std::fflush(stdout);
    }
}
