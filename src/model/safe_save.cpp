#include "model/safe_save.h"

#include <QSaveFile>

#include <cerrno>
#include <cstring>

namespace
{

bool fail(const QSaveFile &file, SaveStep step, QString *error, SaveStep *failedStep,
          int systemError = 0)
{
    if (error) {
        // A failed flush leaves Qt with no reason of its own ("Unknown
        // error"); the system's is the one the user can act on.
        *error =
            systemError ? QString::fromLocal8Bit(std::strerror(systemError)) : file.errorString();
        // A caller shows this text to the user; an empty reason explains nothing.
        if (error->isEmpty())
            *error = QStringLiteral("Неизвестная ошибка записи");
    }
    if (failedStep)
        *failedStep = step;
    return false;
}

} // namespace

bool saveFileAtomically(const QString &path, const QByteArray &bytes, QString *error,
                        SaveStep *failedStep)
{
    if (failedStep)
        *failedStep = SaveStep::None;
    QSaveFile file(path);
    // Writing in place when no temporary file can be made would put the old
    // file at risk, which is what this function exists to avoid.
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly))
        return fail(file, SaveStep::Open, error, failedStep);
    // Qt 6.4's commit() does not notice a failed flush of the last buffered
    // bytes and would rename a truncated file over the old one, so the flush
    // is done and checked here.
    errno = 0;
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        fail(file, SaveStep::Write, error, failedStep, errno);
        file.cancelWriting();
        return false;
    }
    if (!file.commit())
        return fail(file, SaveStep::Commit, error, failedStep);
    return true;
}
