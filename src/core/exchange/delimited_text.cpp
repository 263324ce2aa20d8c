#include "core/exchange/delimited_text.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <array>

namespace
{

const char *const kCodePage = "windows-1251";

bool startsWith(const QByteArray &bytes, const char *mark, int n)
{
    return bytes.size() >= n && memcmp(bytes.constData(), mark, size_t(n)) == 0;
}

} // namespace

QString exchangeEncodingName(ExchangeEncoding encoding)
{
    switch (encoding) {
    case ExchangeEncoding::Utf8Bom:
        return QStringLiteral("UTF-8 (с меткой)");
    case ExchangeEncoding::Utf8:
        return QStringLiteral("UTF-8");
    case ExchangeEncoding::Utf16LE:
        return QStringLiteral("UTF-16 LE");
    case ExchangeEncoding::Utf16BE:
        return QStringLiteral("UTF-16 BE");
    case ExchangeEncoding::Windows1251:
        break;
    }
    return QStringLiteral("Windows-1251");
}

QString decodeExchangeBytes(const QByteArray &bytes, ExchangeEncoding *found)
{
    ExchangeEncoding enc = ExchangeEncoding::Windows1251;
    if (startsWith(bytes, "\xEF\xBB\xBF", 3))
        enc = ExchangeEncoding::Utf8Bom;
    else if (startsWith(bytes, "\xFF\xFE", 2))
        enc = ExchangeEncoding::Utf16LE;
    else if (startsWith(bytes, "\xFE\xFF", 2))
        enc = ExchangeEncoding::Utf16BE;
    else {
        // Windows-1251 text of any length is almost never valid UTF-8; plain
        // ASCII reads the same either way.
        QStringDecoder utf8(QStringConverter::Utf8);
        QString text = utf8.decode(bytes);
        if (!utf8.hasError()) {
            if (found)
                *found = ExchangeEncoding::Utf8;
            return text;
        }
    }
    if (found)
        *found = enc;
    return decodeExchangeBytesAs(bytes, enc);
}

QString decodeExchangeBytesAs(const QByteArray &bytes, ExchangeEncoding encoding)
{
    switch (encoding) {
    case ExchangeEncoding::Utf8Bom:
    case ExchangeEncoding::Utf8:
        // The decoder drops a leading mark itself.
        return QStringDecoder(QStringConverter::Utf8).decode(bytes);
    case ExchangeEncoding::Utf16LE:
        return QStringDecoder(QStringConverter::Utf16LE).decode(bytes);
    case ExchangeEncoding::Utf16BE:
        return QStringDecoder(QStringConverter::Utf16BE).decode(bytes);
    case ExchangeEncoding::Windows1251:
        break;
    }
    QStringDecoder decoder(kCodePage);
    if (!decoder.isValid())
        return QString::fromLatin1(bytes);
    return decoder.decode(bytes);
}

QByteArray encodeExchangeText(const QString &text, ExchangeEncoding encoding)
{
    switch (encoding) {
    case ExchangeEncoding::Utf8Bom:
        return QStringEncoder(QStringConverter::Utf8, QStringConverter::Flag::WriteBom)
            .encode(text);
    case ExchangeEncoding::Utf8:
        return text.toUtf8();
    case ExchangeEncoding::Utf16LE:
        return QStringEncoder(QStringConverter::Utf16LE, QStringConverter::Flag::WriteBom)
            .encode(text);
    case ExchangeEncoding::Utf16BE:
        return QStringEncoder(QStringConverter::Utf16BE, QStringConverter::Flag::WriteBom)
            .encode(text);
    case ExchangeEncoding::Windows1251:
        break;
    }
    QStringEncoder encoder(kCodePage, QStringConverter::Flag::ConvertInvalidToNull);
    if (!encoder.isValid())
        return text.toLatin1();
    QByteArray bytes = encoder.encode(text);
    // The code page has no byte for it: a visible "?" instead of a NUL.
    bytes.replace('\0', '?');
    return bytes;
}

QString separatorName(QChar separator)
{
    if (separator == QLatin1Char('\t'))
        return QStringLiteral("Табуляция");
    if (separator == QLatin1Char(';'))
        return QStringLiteral("Точка с запятой");
    if (separator == QLatin1Char(','))
        return QStringLiteral("Запятая");
    if (separator == QLatin1Char(' '))
        return QStringLiteral("Пробел");
    return QString(separator);
}

QString quoteField(const QString &field, QChar separator)
{
    bool quote = false;
    for (const QChar c : field) {
        if (c == separator || c == QLatin1Char('"') || c == QLatin1Char('\n') ||
            c == QLatin1Char('\r')) {
            quote = true;
            break;
        }
    }
    // A field that starts with "#" would be taken for a header line by a
    // reader of Anki's files when it stands first in the file.
    if (!quote && field.startsWith(QLatin1Char('#')))
        quote = true;
    if (!quote)
        return field;
    QString out;
    out.reserve(field.size() + 2);
    out += QLatin1Char('"');
    for (const QChar c : field) {
        if (c == QLatin1Char('"'))
            out += QLatin1Char('"');
        out += c;
    }
    out += QLatin1Char('"');
    return out;
}

void appendRecord(QString &out, const QStringList &fields, QChar separator)
{
    for (qsizetype i = 0; i < fields.size(); ++i) {
        if (i > 0)
            out += separator;
        out += quoteField(fields[i], separator);
    }
    out += QLatin1String("\r\n");
}

void forEachDelimitedRecord(const QString &text, QChar separator, int from, int firstLine,
                            const std::function<bool(const QList<QStringView> &, int)> &visit)
{
    const QChar *const data = text.constData();
    const qsizetype end = text.size();
    const char16_t sep = separator.unicode();
    qsizetype p = from;
    int line = firstLine;
    QList<QStringView> fields;
    // Fields that are no plain piece of the text (a doubled quote inside,
    // or text after the closing quote) are put together here, one slot per
    // field of the record, reused from record to record.
    std::vector<QString> built;
    while (p < end) {
        const int recordLine = line;
        fields.clear();
        bool blank = true;
        for (;;) {
            const int index = int(fields.size());
            QStringView field;
            bool own = false;
            if (p < end && data[p].unicode() == u'"') {
                blank = false;
                ++p;
                const qsizetype start = p;
                for (;;) {
                    if (p >= end)
                        break;
                    const char16_t c = data[p].unicode();
                    if (c == u'"') {
                        if (p + 1 < end && data[p + 1].unicode() == u'"') {
                            if (!own) {
                                if (built.size() <= size_t(index))
                                    built.resize(size_t(index) + 1);
                                built[index].clear();
                                built[index].append(data + start, p - start);
                                own = true;
                            }
                            built[index] += QLatin1Char('"');
                            p += 2;
                            continue;
                        }
                        break;
                    }
                    if (c == u'\n' || (c == u'\r' && !(p + 1 < end && data[p + 1] == u'\n')))
                        ++line;
                    if (own)
                        built[index] += data[p];
                    ++p;
                }
                if (!own)
                    field = QStringView(data + start, p - start);
                if (p < end)
                    ++p; // the closing quote
            }
            // The unquoted rest (or the whole field).
            const qsizetype start = p;
            while (p < end) {
                const char16_t c = data[p].unicode();
                if (c == sep || c == u'\n' || c == u'\r')
                    break;
                ++p;
            }
            if (p > start) {
                blank = false;
                if (field.isNull() && !own) {
                    field = QStringView(data + start, p - start);
                } else {
                    if (!own) {
                        if (built.size() <= size_t(index))
                            built.resize(size_t(index) + 1);
                        built[index] = field.toString();
                        own = true;
                    }
                    built[index].append(data + start, p - start);
                }
            }
            fields.append(own ? QStringView(built[index]) : field);
            if (p < end && data[p].unicode() == sep) {
                blank = false;
                ++p;
                continue;
            }
            // The end of the record.
            if (p < end) {
                if (data[p].unicode() == u'\r' && p + 1 < end && data[p + 1].unicode() == u'\n')
                    ++p;
                ++p;
                ++line;
            }
            break;
        }
        if (!blank && !visit(fields, recordLine))
            break;
    }
}

QList<DelimitedRecord> parseDelimited(const QString &text, QChar separator, int from, int firstLine,
                                      int limit, const std::atomic<bool> *cancel)
{
    QList<DelimitedRecord> records;
    forEachDelimitedRecord(text, separator, from, firstLine,
                           [&](const QList<QStringView> &fields, int line) {
                               DelimitedRecord r;
                               r.line = line;
                               r.fields.reserve(fields.size());
                               for (QStringView f : fields)
                                   r.fields.append(f.toString());
                               records.append(std::move(r));
                               if (limit > 0 && records.size() >= limit)
                                   return false;
                               return !(cancel && (records.size() & 1023) == 0 && cancel->load());
                           });
    return records;
}

QChar detectSeparator(const QString &text, int from)
{
    const std::array<QChar, 3> candidates = {QLatin1Char('\t'), QLatin1Char(';'), QLatin1Char(',')};
    QChar best = candidates[0];
    int bestScore = -1;
    for (const QChar sep : candidates) {
        const QList<DelimitedRecord> records = parseDelimited(text, sep, from, 1, 20);
        if (records.isEmpty())
            continue;
        // The most common field count among the first records, and how often.
        QList<int> counts;
        for (const DelimitedRecord &r : records)
            counts.append(int(r.fields.size()));
        int mode = 1, modeTimes = 0;
        for (int c : counts) {
            const int times = int(counts.count(c));
            if (times > modeTimes || (times == modeTimes && c > mode)) {
                mode = c;
                modeTimes = times;
            }
        }
        if (mode < 2)
            continue;
        // Consistency first, then the number of fields; ties keep the
        // earlier candidate (tab before ";" before ",").
        const int score = modeTimes * 1000 / int(records.size()) * 100 + std::min(mode, 99);
        if (score > bestScore) {
            bestScore = score;
            best = sep;
        }
    }
    return best;
}

namespace
{

QChar ankiSeparator(const QString &value)
{
    const QString v = value.trimmed();
    const QString lower = v.toLower();
    if (lower == QLatin1String("tab"))
        return QLatin1Char('\t');
    if (lower == QLatin1String("comma"))
        return QLatin1Char(',');
    if (lower == QLatin1String("semicolon"))
        return QLatin1Char(';');
    if (lower == QLatin1String("space"))
        return QLatin1Char(' ');
    if (lower == QLatin1String("pipe"))
        return QLatin1Char('|');
    if (lower == QLatin1String("colon"))
        return QLatin1Char(':');
    if (value.size() == 1)
        return value.at(0);
    return QChar();
}

int ankiColumn(const QString &value)
{
    bool ok = false;
    const int n = value.trimmed().toInt(&ok);
    return ok && n > 0 ? n - 1 : -1;
}

} // namespace

DelimitedLayout readDelimitedLayout(const QString &text)
{
    DelimitedLayout layout;
    int p = 0;
    int line = 1;
    QString columns;
    while (p < text.size() && text.at(p) == QLatin1Char('#')) {
        int e = int(text.indexOf(QLatin1Char('\n'), p));
        if (e < 0)
            e = int(text.size());
        QString header = text.mid(p + 1, e - p - 1);
        if (header.endsWith(QLatin1Char('\r')))
            header.chop(1);
        const int colon = int(header.indexOf(QLatin1Char(':')));
        // Only "#key:value" lines are a header; a "#" field is data.
        if (colon < 0)
            break;
        const QString key = header.left(colon).trimmed().toLower();
        const QString value = header.mid(colon + 1);
        if (key == QLatin1String("separator")) {
            const QChar sep = ankiSeparator(value);
            if (!sep.isNull()) {
                layout.separator = sep;
                layout.separatorFromHeader = true;
            }
        } else if (key == QLatin1String("html")) {
            layout.html = value.trimmed().compare(QLatin1String("true"), Qt::CaseInsensitive) == 0;
        } else if (key == QLatin1String("columns")) {
            columns = value;
        } else if (key == QLatin1String("deck column")) {
            layout.deckColumn = ankiColumn(value);
        } else if (key == QLatin1String("tags column")) {
            layout.tagsColumn = ankiColumn(value);
        } else if (key == QLatin1String("notetype column")) {
            layout.notetypeColumn = ankiColumn(value);
        } else if (key == QLatin1String("guid column")) {
            layout.guidColumn = ankiColumn(value);
        }
        p = e + 1;
        ++line;
    }
    layout.bodyStart = std::min(p, int(text.size()));
    layout.bodyLine = line;
    if (!layout.separatorFromHeader)
        layout.separator = detectSeparator(text, layout.bodyStart);
    if (!columns.isEmpty()) {
        const QList<DelimitedRecord> names = parseDelimited(columns, layout.separator, 0, 1, 1);
        if (!names.isEmpty())
            layout.columnNames = names.first().fields;
    }
    return layout;
}

QString htmlFieldToText(const QString &html)
{
    if (!html.contains(QLatin1Char('<')) && !html.contains(QLatin1Char('&')))
        return html;
    QString out;
    out.reserve(html.size());
    qsizetype p = 0;
    const qsizetype end = html.size();
    while (p < end) {
        const QChar c = html.at(p);
        if (c == QLatin1Char('<')) {
            const qsizetype close = html.indexOf(QLatin1Char('>'), p);
            if (close < 0) {
                out += html.mid(p);
                break;
            }
            QString tag = html.mid(p + 1, close - p - 1).trimmed().toLower();
            if (tag.startsWith(QLatin1Char('/')))
                tag = tag.mid(1);
            const QString name = tag.section(QLatin1Char(' '), 0, 0).remove(QLatin1Char('/'));
            if (name == QLatin1String("br") ||
                (html.at(p + 1) == QLatin1Char('/') &&
                 (name == QLatin1String("div") || name == QLatin1String("p") ||
                  name == QLatin1String("li"))))
                out += QLatin1Char('\n');
            p = close + 1;
            continue;
        }
        if (c == QLatin1Char('&')) {
            const qsizetype semi = html.indexOf(QLatin1Char(';'), p);
            if (semi > p && semi - p <= 10) {
                const QString entity = html.mid(p + 1, semi - p - 1);
                QString decoded;
                if (entity == QLatin1String("amp"))
                    decoded = QStringLiteral("&");
                else if (entity == QLatin1String("lt"))
                    decoded = QStringLiteral("<");
                else if (entity == QLatin1String("gt"))
                    decoded = QStringLiteral(">");
                else if (entity == QLatin1String("quot"))
                    decoded = QStringLiteral("\"");
                else if (entity == QLatin1String("apos"))
                    decoded = QStringLiteral("'");
                else if (entity == QLatin1String("nbsp"))
                    decoded = QStringLiteral(" ");
                else if (entity.startsWith(QLatin1Char('#'))) {
                    bool ok = false;
                    const uint code = entity.startsWith(QLatin1String("#x"), Qt::CaseInsensitive)
                                          ? entity.mid(2).toUInt(&ok, 16)
                                          : entity.mid(1).toUInt(&ok, 10);
                    if (ok && code > 0 && code <= 0x10FFFF) {
                        const char32_t ch = code;
                        decoded = QString::fromUcs4(&ch, 1);
                    }
                }
                if (!decoded.isEmpty()) {
                    out += decoded;
                    p = semi + 1;
                    continue;
                }
            }
        }
        out += c;
        ++p;
    }
    return out;
}
