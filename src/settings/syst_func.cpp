#include "settings/syst_func.h"

#include "model/safe_save.h"

#include <QByteArray>
#include <QDebug>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QStringEncoder>

#include <cstdio>

namespace
{

const char *const codePage = "windows-1251";

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

} // namespace

bool SYST_FUNC::openTxtFile(const QString &fileName, QString &text, QStringList *facts, bool quiet)
{
    Q_UNUSED(quiet); // no notice can be shown without widgets
    qDebug("SYST_FUNC::openTxtFile() %s", fileName.toLocal8Bit().constData());
    fillFacts(fileName, facts);

    QFile file(fileName);
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
                            bool quiet)
{
    Q_UNUSED(quiet);
    qDebug("SYST_FUNC::saveTxtFile() %s", fileName.toLocal8Bit().constData());
    fillFacts(fileName, facts);

    bool encoded = false;
    const QByteArray bytes = encodeWithSubstitutes(text, &encoded);
    if (!encoded) {
        reportUnknown("saveTxtFile");
        return false;
    }

    // The text goes to a temporary file beside the old one, which is renamed
    // over it only after everything was written.
    QString error;
    SaveStep step = SaveStep::None;
    if (saveFileAtomically(fileName, bytes, &error, &step))
        return true;
    const char *name = step == SaveStep::Open    ? "fopen"
                       : step == SaveStep::Write ? "fprintf"
                                                 : "fclose";
    reportMistake("saveTxtFile", name, error);
    return false;
}
