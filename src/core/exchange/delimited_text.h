#pragma once

#include <QByteArray>
#include <QChar>
#include <QList>
#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>

// Delimited text as spreadsheets and other trainers write it: fields
// quoted as RFC 4180 says (a field holding the separator, a quote or a line
// break is put in double quotes, a quote inside doubled), records ending in
// CR LF, and the encodings those programs use.

// The encodings a delimited file is written in or was found to be in.
enum class ExchangeEncoding {
    Utf8Bom, // UTF-8 with a byte-order mark: what spreadsheets expect
    Utf8,    // UTF-8 without one
    Utf16LE, // UTF-16 with a mark, either order
    Utf16BE,
    Windows1251, // the Russian 8-bit code page of older programs
};

// "UTF-8 (с меткой)", "UTF-8", "UTF-16 LE", "UTF-16 BE", "Windows-1251".
QString exchangeEncodingName(ExchangeEncoding encoding);

// The text of a file: a byte-order mark decides (UTF-8, UTF-16 in either
// order); without one, valid UTF-8 is UTF-8, anything else Windows-1251.
// The mark is not part of the text.
QString decodeExchangeBytes(const QByteArray &bytes, ExchangeEncoding *found = nullptr);
// The bytes in `encoding` (UTF-8 with a mark gets it; in Windows-1251 a
// character the code page lacks becomes "?").
QByteArray encodeExchangeText(const QString &text, ExchangeEncoding encoding);
// The same bytes decoded with an encoding the user chose instead.
QString decodeExchangeBytesAs(const QByteArray &bytes, ExchangeEncoding encoding);

// "Табуляция", "Точка с запятой", "Запятая", or the character itself.
QString separatorName(QChar separator);

// One field as written between separators.
QString quoteField(const QString &field, QChar separator);
// A record: the quoted fields joined by the separator, then CR LF.
void appendRecord(QString &out, const QStringList &fields, QChar separator);

struct DelimitedRecord {
    QStringList fields;
    int line = 0; // the line of the file the record starts on, from 1
};

// The records of `text` from position `from` (whose line number is
// `firstLine`). LF, CR LF and a lone CR end a record outside quotes;
// inside quotes every character is kept as it is. A quote inside an
// unquoted field is an ordinary character, and a quoted field may go on
// unquoted after its closing quote (as spreadsheets read it). Blank lines
// give no record. `limit` > 0 stops after that many records. With `cancel`
// set the reading stops and returns what it had.
QList<DelimitedRecord> parseDelimited(const QString &text, QChar separator, int from = 0,
                                      int firstLine = 1, int limit = 0,
                                      const std::atomic<bool> *cancel = nullptr);
// The same reading, one record at a time without copies: `visit` gets the
// record's fields (views into `text`, or into storage of this reading that
// is reused for the next record) and its first line; returning false
// stops the reading.
void forEachDelimitedRecord(const QString &text, QChar separator, int from, int firstLine,
                            const std::function<bool(const QList<QStringView> &, int)> &visit);

// The separator among tab, ";" and "," that splits the first records of
// `text` (from `from`) into the same number of fields most often, with the
// most fields; tab when none splits anything.
QChar detectSeparator(const QString &text, int from = 0);

// What stands at the top of an exported Anki deck and what was found out
// about a delimited file before its records are read.
struct DelimitedLayout {
    QChar separator = QLatin1Char('\t');
    bool separatorFromHeader = false; // "#separator:" named it
    bool html = false;                // "#html:true": fields hold HTML
    QStringList columnNames;          // "#columns:"
    int deckColumn = -1;              // "#deck column:" (from 0)
    int tagsColumn = -1;              // "#tags column:"
    int notetypeColumn = -1;          // "#notetype column:"
    int guidColumn = -1;              // "#guid column:"
    int bodyStart = 0;                // where the records begin
    int bodyLine = 1;                 // their first line's number
};

// Reads the "#key:value" lines at the top of the text (Anki's plain-text
// export) and detects the separator when none is named.
DelimitedLayout readDelimitedLayout(const QString &text);

// Anki's HTML in a field as plain text: <br> and block ends become line
// breaks, other tags go, entities are decoded.
QString htmlFieldToText(const QString &html);
