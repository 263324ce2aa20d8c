#pragma once

#include "core/dictionary/card.h"
#include "core/exchange/card_exchange.h"
#include "core/exchange/delimited_text.h"
#include "core/exchange/kvtml.h"
#include "core/exchange/printable_list.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <atomic>

// Files of other programs, whole: which format a name says, the bytes an
// export writes, and what an import finds in a file before the user maps
// its columns.

enum class ExchangeFormat { Tsv, Csv, Kvtml, Html, Pdf, Unknown };

// By the name's ending, in any case: .tsv and .txt, .csv, .kvtml, .html and
// .htm, .pdf.
ExchangeFormat exchangeFormatForPath(const QString &path);
// The file dialog filters: export (every format) and import (the readable ones).
QString exportFileFilter();
QString importFileFilter();
// The ending a format's files get.
QString exchangeSuffix(ExchangeFormat format);

struct ExportOptions {
    ExchangeFormat format = ExchangeFormat::Tsv;
    QChar separator = QLatin1Char('\t'); // TSV/CSV
    ExchangeEncoding encoding = ExchangeEncoding::Utf8Bom;
    bool exact = true;                    // the columns that give every card back field for field
    HiddenSide hidden = HiddenSide::None; // printable lists
    QString title;                        // printable lists and KVTML
};

// The file's bytes. A PDF needs a QGuiApplication. `cancel` stops a
// delimited export (the bytes are then to be dropped).
QByteArray exportBytes(const QList<Card> &cards, const ExportOptions &options,
                       const std::atomic<bool> *cancel = nullptr);
// Writes them through the program's safe save; false with the reason.
bool writeExportFile(const QString &path, const QByteArray &bytes, QString *error);

// What an import file holds before its columns are mapped.
struct ImportFile {
    ExchangeFormat format = ExchangeFormat::Unknown;
    QByteArray bytes;
    // Delimited text:
    ExchangeEncoding encoding = ExchangeEncoding::Utf8;
    QString text;
    DelimitedLayout layout;
    // KVTML:
    KvtmlDocument kvtml;
    QString error; // Russian; the file cannot be imported
};

// Reads the file and finds its format (KVTML by its name or its <kvtml>
// root; anything else is delimited text), encoding and separator.
ImportFile loadImportFile(const QString &path);
// Decodes the bytes of a delimited file again in the encoding the user chose.
void redecodeImportFile(ImportFile &file, ExchangeEncoding encoding);

// The records of a delimited file with `separator`, and whether the first
// is a header, through `columns` (when empty, the suggested mapping).
struct DelimitedImport {
    QList<DelimitedRecord> records; // without the header
    QList<ExchangeColumn> columns;
    bool header = false;
    int columnCount = 0;
};
DelimitedImport delimitedRecords(const ImportFile &file, QChar separator, int headerChoice = -1,
                                 const std::atomic<bool> *cancel = nullptr);

// The first `rows` records after the header, with the suggested mapping
// (for the preview of the import dialog).
DelimitedImport previewRecords(const ImportFile &file, QChar separator, int rows,
                               int headerChoice = -1);
// Every card of a delimited file, read straight from its text: the header
// row decided as delimitedRecords does, the columns mapped by `columns`
// (null: the suggested mapping).
ImportSource importDelimitedCards(const ImportFile &file, QChar separator, int headerChoice,
                                  const QList<ExchangeColumn> *columns,
                                  const ImportDefaults &defaults,
                                  const std::atomic<bool> *cancel = nullptr);

namespace ExchangeText
{
QString unknownExportFormat(const QString &path);
QString readFailed(const QString &path, const QString &reason);
} // namespace ExchangeText
