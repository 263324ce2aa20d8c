#include "core/exchange/exchange_file.h"

#include "core/dictionary/safe_save.h"

#include <QFile>
#include <QFileInfo>

ExchangeFormat exchangeFormatForPath(const QString &path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("tsv") || suffix == QLatin1String("txt"))
        return ExchangeFormat::Tsv;
    if (suffix == QLatin1String("csv"))
        return ExchangeFormat::Csv;
    if (suffix == QLatin1String("kvtml"))
        return ExchangeFormat::Kvtml;
    if (suffix == QLatin1String("html") || suffix == QLatin1String("htm"))
        return ExchangeFormat::Html;
    if (suffix == QLatin1String("pdf"))
        return ExchangeFormat::Pdf;
    return ExchangeFormat::Unknown;
}

QString exportFileFilter()
{
    return QStringLiteral("Таблица с табуляцией (*.tsv *.txt);;Таблица CSV (*.csv);;"
                          "KVTML (*.kvtml);;Страница для печати (*.html);;PDF (*.pdf)");
}

QString importFileFilter()
{
    return QStringLiteral("Таблицы и словари (*.tsv *.txt *.csv *.kvtml);;Все (*)");
}

QString exchangeSuffix(ExchangeFormat format)
{
    switch (format) {
    case ExchangeFormat::Tsv:
        return QStringLiteral("tsv");
    case ExchangeFormat::Csv:
        return QStringLiteral("csv");
    case ExchangeFormat::Kvtml:
        return QStringLiteral("kvtml");
    case ExchangeFormat::Html:
        return QStringLiteral("html");
    case ExchangeFormat::Pdf:
        return QStringLiteral("pdf");
    case ExchangeFormat::Unknown:
        break;
    }
    return QString();
}

QByteArray exportBytes(const QList<Card> &cards, const ExportOptions &options,
                       const std::atomic<bool> *cancel)
{
    switch (options.format) {
    case ExchangeFormat::Tsv:
    case ExchangeFormat::Csv:
        return encodeExchangeText(
            delimitedCardsText(cards, options.separator, options.exact, cancel), options.encoding);
    case ExchangeFormat::Kvtml:
        return kvtmlBytes(cards, options.title);
    case ExchangeFormat::Html:
        return printableHtml(cards, options.title, options.hidden).toUtf8();
    case ExchangeFormat::Pdf:
        return printablePdf(printableHtml(cards, options.title, options.hidden), options.title);
    case ExchangeFormat::Unknown:
        break;
    }
    return QByteArray();
}

bool writeExportFile(const QString &path, const QByteArray &bytes, QString *error)
{
    return saveFileAtomically(path, bytes, error);
}

ImportFile loadImportFile(const QString &path)
{
    ImportFile file;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        file.error = ExchangeText::readFailed(path, f.errorString());
        return file;
    }
    file.bytes = f.readAll();
    if (f.error() != QFileDevice::NoError) {
        file.error = ExchangeText::readFailed(path, f.errorString());
        return file;
    }
    const bool kvtmlName = exchangeFormatForPath(path) == ExchangeFormat::Kvtml;
    const bool kvtmlRoot = file.bytes.left(4096).contains("<kvtml");
    if (kvtmlName || kvtmlRoot) {
        file.format = ExchangeFormat::Kvtml;
        file.kvtml = readKvtml(file.bytes);
        file.error = file.kvtml.error;
        return file;
    }
    file.format = exchangeFormatForPath(path) == ExchangeFormat::Csv ? ExchangeFormat::Csv
                                                                     : ExchangeFormat::Tsv;
    file.text = decodeExchangeBytes(file.bytes, &file.encoding);
    file.layout = readDelimitedLayout(file.text);
    return file;
}

void redecodeImportFile(ImportFile &file, ExchangeEncoding encoding)
{
    file.encoding = encoding;
    file.text = decodeExchangeBytesAs(file.bytes, encoding);
    const QChar separator = file.layout.separator;
    const bool fromHeader = file.layout.separatorFromHeader;
    file.layout = readDelimitedLayout(file.text);
    if (!fromHeader)
        file.layout.separator = separator;
}

namespace
{

// The mapping and header the first records suggest (Anki's header lines
// first); `out.records` is left as given.
void suggestMapping(const ImportFile &file, const QList<DelimitedRecord> &first,
                    DelimitedImport &out, int headerChoice)
{
    for (const DelimitedRecord &r : first)
        out.columnCount = std::max(out.columnCount, int(r.fields.size()));
    bool header = false;
    QStringList names = file.layout.columnNames;
    if (names.isEmpty() && !first.isEmpty())
        names = first.first().fields;
    out.columns = suggestColumns(names, out.columnCount, &header);
    if (!file.layout.columnNames.isEmpty())
        header = false; // Anki names its columns in the header line, not in a row
    if (file.layout.deckColumn >= 0 && file.layout.deckColumn < out.columnCount &&
        !out.columns.contains(ExchangeColumn::Lesson))
        out.columns[file.layout.deckColumn] = ExchangeColumn::Lesson;
    for (int c : {file.layout.tagsColumn, file.layout.notetypeColumn, file.layout.guidColumn})
        if (c >= 0 && c < out.columnCount)
            out.columns[c] = ExchangeColumn::None;
    out.header = headerChoice < 0 ? header : headerChoice == 1;
}

} // namespace

DelimitedImport delimitedRecords(const ImportFile &file, QChar separator, int headerChoice,
                                 const std::atomic<bool> *cancel)
{
    DelimitedImport out;
    out.records = parseDelimited(file.text, separator, file.layout.bodyStart, file.layout.bodyLine,
                                 0, cancel);
    suggestMapping(file, out.records, out, headerChoice);
    if (out.header && !out.records.isEmpty())
        out.records.removeFirst();
    return out;
}

DelimitedImport previewRecords(const ImportFile &file, QChar separator, int rows, int headerChoice)
{
    DelimitedImport out;
    out.records =
        parseDelimited(file.text, separator, file.layout.bodyStart, file.layout.bodyLine, rows + 1);
    suggestMapping(file, out.records, out, headerChoice);
    if (out.header && !out.records.isEmpty())
        out.records.removeFirst();
    else if (out.records.size() > rows)
        out.records.removeLast();
    return out;
}

ImportSource importDelimitedCards(const ImportFile &file, QChar separator, int headerChoice,
                                  const QList<ExchangeColumn> *columns,
                                  const ImportDefaults &defaults, const std::atomic<bool> *cancel)
{
    const DelimitedImport first = previewRecords(file, separator, 20, headerChoice);
    return cardsFromDelimitedText(file.text, separator, file.layout.bodyStart, file.layout.bodyLine,
                                  first.header, columns ? *columns : first.columns, defaults,
                                  file.layout.html, cancel);
}

namespace ExchangeText
{

QString unknownExportFormat(const QString &path)
{
    return QStringLiteral("Не понятно, в каком виде сохранить «%1»: имя должно кончаться на "
                          ".tsv, .csv, .kvtml, .html или .pdf")
        .arg(path);
}

QString readFailed(const QString &path, const QString &reason)
{
    return QStringLiteral("Файл\n%1\nНе может быть прочитан: %2").arg(path, reason);
}

} // namespace ExchangeText
