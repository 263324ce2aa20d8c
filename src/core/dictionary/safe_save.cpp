#include "core/dictionary/safe_save.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

int syncDataDefault(int fd)
{
    return ::fdatasync(fd);
}

int syncFolderDefault(int fd)
{
    return ::fsync(fd);
}

bool fail(int errorNumber, SaveStep step, QString *error, SaveStep *failedStep)
{
    if (error)
        *error = systemErrorText(errorNumber);
    if (failedStep)
        *failedStep = step;
    return false;
}

// The file a save replaces: a symbolic link is followed to the file it
// names, so the link stays a link.
QString finalTarget(const QString &path)
{
    QFileInfo info(path);
    for (int depth = 0; depth < 40 && info.isSymLink(); ++depth)
        info.setFile(info.symLinkTarget());
    return info.isSymLink() ? path : info.filePath();
}

// A fresh file beside the target that no one else has opened.
int createTemporary(const QString &target, QByteArray *name)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QString candidate =
            target + QStringLiteral(".%1").arg(QRandomGenerator::global()->generate() & 0xFFFFFF, 6,
                                               16, QLatin1Char('0'));
        *name = QFile::encodeName(candidate);
        const int fd = ::open(name->constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    errno = EEXIST;
    return -1;
}

// Large files go out in slices, and the disk is told to start on each one
// at once: it writes while the next slice is copied, and the final sync
// has less left to wait for.
bool writeAll(int fd, QByteArrayView bytes, off_t *offset)
{
    constexpr qsizetype kSlice = qsizetype(8) << 20;
    const char *p = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, size_t(std::min(left, kSlice)));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (n == 0) { // no progress and no reason: as a full disk would
            errno = ENOSPC;
            return false;
        }
        p += n;
        left -= n;
#ifdef SYNC_FILE_RANGE_WRITE
        // Only a hint: the sync before the rename is what counts.
        (void)::sync_file_range(fd, *offset, n, SYNC_FILE_RANGE_WRITE);
#endif
        *offset += n;
    }
    return true;
}

} // namespace

SaveSyncCalls &saveSyncCalls()
{
    static SaveSyncCalls calls{syncDataDefault, syncFolderDefault};
    return calls;
}

QString systemErrorText(int errorNumber)
{
    switch (errorNumber) {
    case ENOSPC:
        return QStringLiteral("Нет свободного места на диске");
    case EDQUOT:
        return QStringLiteral("Превышена дисковая квота");
    case EROFS:
        return QStringLiteral("Файловая система доступна только для чтения");
    case EACCES:
    case EPERM:
        return QStringLiteral("Нет прав на запись (доступ запрещён)");
    case EFBIG:
        return QStringLiteral("Превышен допустимый размер файла");
    case EIO:
        return QStringLiteral("Ошибка ввода-вывода на диске");
    case ENOENT:
        return QStringLiteral("Папка не существует");
    case ENOTDIR:
        return QStringLiteral("Часть пути не является папкой");
    case EISDIR:
        return QStringLiteral("По этому пути находится папка, а не файл");
    case ENAMETOOLONG:
        return QStringLiteral("Слишком длинное имя файла");
    case EMFILE:
    case ENFILE:
        return QStringLiteral("Открыто слишком много файлов");
    case EBUSY:
    case ETXTBSY:
        return QStringLiteral("Файл занят другой программой");
    case ELOOP:
        return QStringLiteral("Слишком много символических ссылок в пути");
    case EEXIST:
        return QStringLiteral("Не удалось создать временный файл: имя занято");
    default:
        break;
    }
    const QString system =
        errorNumber ? QString::fromLocal8Bit(std::strerror(errorNumber)) : QString();
    if (system.isEmpty())
        return QStringLiteral("Неизвестная ошибка записи");
    return QStringLiteral("Системная ошибка %1: %2").arg(errorNumber).arg(system);
}

bool saveFileAtomically(const QString &path, const QByteArray &bytes, QString *error,
                        SaveStep *failedStep, const SaveOptions &options)
{
    return saveFileAtomically(path, QList<QByteArrayView>{bytes}, error, failedStep, options);
}

bool saveFileAtomically(const QString &path, const QList<QByteArrayView> &pieces, QString *error,
                        SaveStep *failedStep, const SaveOptions &options)
{
    if (failedStep)
        *failedStep = SaveStep::None;
    if (path.isEmpty())
        return fail(ENOENT, SaveStep::Open, error, failedStep);
    const QString target = finalTarget(path);
    const QByteArray targetName = QFile::encodeName(target);

    // The old file's rights carry over; one the user made read-only is not
    // replaced behind their back (root passes access(), not the bits).
    int mode = -1;
    struct stat old;
    if (::stat(targetName.constData(), &old) == 0) {
        if (S_ISDIR(old.st_mode))
            return fail(EISDIR, SaveStep::Open, error, failedStep);
        if (!options.replaceReadOnly) {
            if (::access(targetName.constData(), W_OK) != 0)
                return fail(errno, SaveStep::Open, error, failedStep);
            if (::geteuid() == 0 && (old.st_mode & 0222) == 0)
                return fail(EACCES, SaveStep::Open, error, failedStep);
        }
        mode = int(old.st_mode & 07777);
    } else if (errno != ENOENT) {
        return fail(errno, SaveStep::Open, error, failedStep);
    }
    if (options.permissions >= 0)
        mode = options.permissions;

    QByteArray tempName;
    const int fd = createTemporary(target, &tempName);
    if (fd < 0)
        return fail(errno, SaveStep::Open, error, failedStep);
    // Lost when the file system has no such bits; the data matters more.
    if (mode >= 0)
        (void)::fchmod(fd, mode_t(mode));

    auto abandon = [&](SaveStep step) {
        const int why = errno;
        ::unlink(tempName.constData());
        return fail(why, step, error, failedStep);
    };
    // Every byte on the disk before the name changes: otherwise a crash
    // right after the rename could leave an empty or partial file.
    bool written = true;
    off_t offset = 0;
    for (QByteArrayView piece : pieces)
        written = written && writeAll(fd, piece, &offset);
    if (!written || saveSyncCalls().syncData(fd) != 0) {
        const int why = errno;
        ::close(fd);
        errno = why;
        return abandon(SaveStep::Write);
    }
    // Network file systems report some write errors only here.
    if (::close(fd) != 0)
        return abandon(SaveStep::Write);

    if (options.beforeReplace)
        options.beforeReplace();

    if (::rename(tempName.constData(), targetName.constData()) != 0)
        return abandon(SaveStep::Commit);

    // The rename itself lives in the folder. The new file is in place by
    // now, so a folder that cannot be synced does not undo the save.
    const QByteArray folder = QFile::encodeName(QFileInfo(target).absolutePath());
    const int dirFd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        (void)saveSyncCalls().syncFolder(dirFd);
        ::close(dirFd);
    }
    return true;
}
