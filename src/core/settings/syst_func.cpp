#include "core/settings/syst_func.h"

#include "core/dictionary/safe_save.h"

#include <QByteArray>
#include <QDebug>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QStringDecoder>
#include <QStringEncoder>

#include <cstdio>

namespace
{

const char *const codePage = "windows-1251";

// The file traces are for whoever debugs the program
// (QT_LOGGING_RULES="lexitor.files.debug=true"); a learner's terminal stays
// quiet.
Q_LOGGING_CATEGORY(fileTraces, "lexitor.files", QtInfoMsg)

void fillFacts(const QString &fileName, QStringList *facts)
{
    if (!facts)
        return;
    const QFileInfo info(fileName);
    *facts = QStringList{fileName, info.absoluteFilePath(), info.absolutePath(), info.fileName(),
                         info.completeSuffix()};
}

// The failure line goes to standard output; the system's reason follows on
// standard error, as perror would print it.
void reportMistake(const char *function, const char *step, const QString &reason)
{
    std::printf("SYST_FUNC::%s() mistake: %s\n", function, step);
    std::fflush(stdout);
    std::fprintf(stderr, "%s: %s\n", step, reason.toLocal8Bit().constData());
}

void reportUnknown(const char *function)
{
    std::printf("SYST_FUNC::%s() UNKNOWN EXCEPTION\n", function);
    std::fflush(stdout);
}

// The code page has no byte for some characters; the encoder then marks an
// error and puts a control byte in their place. Those characters are written
// as "?", one code point at a time, so the rest of the text is unchanged.
QByteArray encodeWithSubstitutes(const QString &text, bool *ok)
{
    QStringEncoder encoder(codePage);
    if (!encoder.isValid()) {
        *ok = false;
        return {};
    }
    *ok = true;
    QByteArray bytes = encoder.encode(text);
    if (!encoder.hasError())
        return bytes;

    bytes.clear();
    bytes.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        qsizetype len = 1;
        if (text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            len = 2;
        QStringEncoder one(codePage);
        const QByteArray piece = one.encode(QStringView(text).mid(i, len));
        bytes += one.hasError() ? QByteArray("?") : piece;
        i += len - 1;
    }
    return bytes;
}

bool hasHighByte(const QByteArray &bytes)
{
    for (const char c : bytes)
        if (uchar(c) >= 0x80)
            return true;
    return false;
}

// Qt's UTF-16 decoder lets a half of a surrogate pair through; no encoding
// can write one back, so it reads as the replacement character instead.
void replaceLoneSurrogates(QString &text)
{
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        if (!c.isSurrogate())
            continue;
        if (c.isHighSurrogate() && i + 1 < n && text.at(i + 1).isLowSurrogate())
            ++i;
        else
            text[i] = QChar(QChar::ReplacementCharacter);
    }
}

} // namespace

QString SYST_FUNC::decodeSettingsBytes(const QByteArray &bytes, TextEncoding *found)
{
    TextEncoding enc = TextEncoding::Windows1251;
    QString text;
    // The decoders drop a leading byte-order mark themselves.
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        enc = TextEncoding::Utf8;
        text = QStringDecoder(QStringConverter::Utf8).decode(bytes);
    } else if (bytes.startsWith("\xFF\xFE")) {
        enc = TextEncoding::Utf16LE;
        text = QStringDecoder(QStringConverter::Utf16LE).decode(bytes);
    } else if (bytes.startsWith("\xFE\xFF")) {
        enc = TextEncoding::Utf16BE;
        text = QStringDecoder(QStringConverter::Utf16BE).decode(bytes);
    } else {
        // Windows-1251 text of any length is almost never valid UTF-8, and
        // pure ASCII reads the same either way.
        if (hasHighByte(bytes)) {
            QStringDecoder utf8(QStringConverter::Utf8);
            text = utf8.decode(bytes);
            if (!utf8.hasError())
                enc = TextEncoding::Utf8;
        }
        if (enc == TextEncoding::Windows1251) {
            QStringDecoder decoder(codePage);
            text = decoder.isValid() ? decoder.decode(bytes) : QString::fromLatin1(bytes);
        }
    }
    if (enc == TextEncoding::Utf16LE || enc == TextEncoding::Utf16BE)
        replaceLoneSurrogates(text);
    if (found)
        *found = enc;
    return text;
}

QByteArray SYST_FUNC::encodeSettingsText(const QString &text, TextEncoding encoding)
{
    switch (encoding) {
    case TextEncoding::Utf8:
        return QStringEncoder(QStringConverter::Utf8, QStringConverter::Flag::WriteBom)
            .encode(text);
    case TextEncoding::Utf16LE:
        return QStringEncoder(QStringConverter::Utf16LE, QStringConverter::Flag::WriteBom)
            .encode(text);
    case TextEncoding::Utf16BE:
        return QStringEncoder(QStringConverter::Utf16BE, QStringConverter::Flag::WriteBom)
            .encode(text);
    case TextEncoding::Windows1251:
        break;
    }
    bool ok = false;
    const QByteArray bytes = encodeWithSubstitutes(text, &ok);
    return ok ? bytes : text.toLatin1();
}

bool SYST_FUNC::fitsWindows1251(const QString &text)
{
    QStringEncoder encoder(codePage);
    // The encoder works only when its result is taken.
    const QByteArray bytes = encoder.encode(text);
    return encoder.isValid() && !encoder.hasError();
}

bool SYST_FUNC::openTxtFile(const QString &fileName, QString &text, QStringList *facts, bool quiet,
                            TextEncoding *detected)
{
    Q_UNUSED(quiet); // no notice can be shown without widgets
    qCDebug(fileTraces, "SYST_FUNC::openTxtFile() %s", fileName.toLocal8Bit().constData());
    fillFacts(fileName, facts);

    QFile file(fileName);
    // A settings file that does not exist yet is no mistake: the store
    // starts empty and the file is written at exit.
    if (!QFileInfo::exists(fileName)) {
        text.clear();
        return false;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        reportMistake("openTxtFile", "fopen", file.errorString());
        text.clear();
        return false;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        reportMistake("openTxtFile", "getc", file.errorString());
        text.clear();
        return false;
    }
    file.close();

    if (detected) {
        text = decodeSettingsBytes(bytes, detected);
        return true;
    }
    QStringDecoder decoder(codePage);
    if (!decoder.isValid()) {
        reportUnknown("openTxtFile");
        text.clear();
        return false;
    }
    text = decoder.decode(bytes);
    return true;
}

bool SYST_FUNC::saveTxtFile(const QString &fileName, const QString &text, QStringList *facts,
                            bool quiet, QString *error, TextEncoding encoding)
{
    Q_UNUSED(quiet);
    qCDebug(fileTraces, "SYST_FUNC::saveTxtFile() %s", fileName.toLocal8Bit().constData());
    fillFacts(fileName, facts);

    QByteArray bytes;
    if (encoding == TextEncoding::Windows1251) {
        bool encoded = false;
        bytes = encodeWithSubstitutes(text, &encoded);
        if (!encoded) {
            reportUnknown("saveTxtFile");
            if (error)
                *error = QStringLiteral("Кодировка Windows-1251 недоступна");
            return false;
        }
    } else {
        bytes = encodeSettingsText(text, encoding);
    }

    // The text goes to a temporary file beside the old one, which is renamed
    // over it only after everything was written.
    QString reason;
    SaveStep step = SaveStep::None;
    if (saveFileAtomically(fileName, bytes, &reason, &step))
        return true;
    const char *name = step == SaveStep::Open    ? "fopen"
                       : step == SaveStep::Write ? "fprintf"
                                                 : "fclose";
    reportMistake("saveTxtFile", name, reason);
    if (error)
        *error = reason;
    return false;
}
