#include "core/dictionary/safe_save.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
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

// The time the program started: a temporary file of a save older than that
// was left by an earlier run that died before its rename.
const struct timespec kProgramStart = [] {
    struct timespec t {
    };
    ::clock_gettime(CLOCK_REALTIME, &t);
    return t;
}();

bool startedBeforeProgram(const struct timespec &t)
{
    return t.tv_sec < kProgramStart.tv_sec ||
           (t.tv_sec == kProgramStart.tv_sec && t.tv_nsec < kProgramStart.tv_nsec);
}

// The temporary files of a save of `base`: "<base>.<six hex digits>".
constexpr int kSuffixDigits = 6;

bool isTemporaryName(const char *name, const QByteArray &base)
{
    if (std::strncmp(name, base.constData(), size_t(base.size())) != 0 || name[base.size()] != '.')
        return false;
    const char *suffix = name + base.size() + 1;
    for (int i = 0; i < kSuffixDigits; ++i)
        if (!std::isxdigit(uchar(suffix[i])) || std::isupper(uchar(suffix[i])))
            return false;
    return suffix[kSuffixDigits] == '\0';
}

// Removes what a save of `base` killed before its rename left behind: its
// temporary files in the folder, as large as the file. Only a regular file
// of ours, with no other name, last written before this program started
// and not locked by a save still going on is taken; a link is never
// followed or removed.
void removeStaleTemporaries(int dirFd, const QByteArray &base)
{
    const int listFd = ::dup(dirFd);
    if (listFd < 0)
        return;
    DIR *dir = ::fdopendir(listFd);
    if (!dir) {
        ::close(listFd);
        return;
    }
    while (const struct dirent *entry = ::readdir(dir)) {
        if (!isTemporaryName(entry->d_name, base))
            continue;
        const int fd = ::openat(dirFd, entry->d_name,
                                O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        if (fd < 0)
            continue;
        struct stat st;
        if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid() &&
            st.st_nlink == 1 && startedBeforeProgram(st.st_mtim) &&
            ::flock(fd, LOCK_EX | LOCK_NB) == 0)
            (void)::unlinkat(dirFd, entry->d_name, 0);
        ::close(fd);
    }
    ::closedir(dir);
}

quint32 randomSuffixDefault()
{
    return QRandomGenerator::global()->generate();
}

// A fresh file beside the target that no one else has opened, created in
// the folder itself and never through a link: a name someone else planted
// only makes the next one be tried. It stays locked while the save goes on,
// so that another run's clean-up leaves it alone.
int createTemporary(int dirFd, const QByteArray &base, QByteArray *name)
{
    quint32 (*random)() = saveSyncCalls().randomSuffix;
    if (!random)
        random = randomSuffixDefault;
    for (int attempt = 0; attempt < 100; ++attempt) {
        char suffix[16];
        std::snprintf(suffix, sizeof suffix, ".%06x", unsigned(random() & 0xFFFFFF));
        *name = base + suffix;
        const int fd = ::openat(dirFd, name->constData(),
                                O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd >= 0) {
            (void)::flock(fd, LOCK_EX | LOCK_NB);
            return fd;
        }
        if (errno != EEXIST)
            return -1;
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
    static SaveSyncCalls calls{syncDataDefault, syncFolderDefault, randomSuffixDefault};
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
    const QString target = options.followLink ? finalTarget(path) : path;
    const QFileInfo targetInfo(target);
    const QByteArray base = QFile::encodeName(targetInfo.fileName());
    if (base.isEmpty())
        return fail(EISDIR, SaveStep::Open, error, failedStep);

    // Everything happens within the folder, named once: the temporary file
    // is made there and renamed there, so a folder swapped by a link midway
    // cannot send the bytes elsewhere.
    const QByteArray folder = QFile::encodeName(targetInfo.absolutePath());
    const int dirFd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd < 0)
        return fail(errno, SaveStep::Open, error, failedStep);
    struct FolderCloser {
        int fd;
        ~FolderCloser() { ::close(fd); }
    } folderCloser{dirFd};

    // The old file's rights carry over; one the user made read-only is not
    // replaced behind their back (root passes access(), not the bits). A
    // link where the file should be, when links are not followed, has
    // nothing to carry over: it is replaced like a missing file.
    int mode = -1;
    struct stat old;
    if (::fstatat(dirFd, base.constData(), &old, AT_SYMLINK_NOFOLLOW) == 0) {
        if (S_ISDIR(old.st_mode))
            return fail(EISDIR, SaveStep::Open, error, failedStep);
        if (!S_ISLNK(old.st_mode)) {
            if (!options.replaceReadOnly) {
                if (::faccessat(dirFd, base.constData(), W_OK, 0) != 0)
                    return fail(errno, SaveStep::Open, error, failedStep);
                if (::geteuid() == 0 && (old.st_mode & 0222) == 0)
                    return fail(EACCES, SaveStep::Open, error, failedStep);
            }
            mode = int(old.st_mode & 07777);
        }
    } else if (errno != ENOENT) {
        return fail(errno, SaveStep::Open, error, failedStep);
    }
    if (options.permissions >= 0)
        mode = options.permissions;

    removeStaleTemporaries(dirFd, base);

    QByteArray tempName;
    const int fd = createTemporary(dirFd, base, &tempName);
    if (fd < 0)
        return fail(errno, SaveStep::Open, error, failedStep);
    // The lock lives as long as any descriptor of the file: this one keeps
    // it up to the rename, after the writing one is closed.
    const int lockFd = ::dup(fd);
    struct LockCloser {
        int fd;
        ~LockCloser()
        {
            if (fd >= 0)
                ::close(fd);
        }
    } lockCloser{lockFd};
    // Lost when the file system has no such bits; the data matters more.
    if (mode >= 0)
        (void)::fchmod(fd, mode_t(mode));

    auto abandon = [&](SaveStep step) {
        const int why = errno;
        ::unlinkat(dirFd, tempName.constData(), 0);
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

    // Replaces the name itself: a link there is replaced, not followed.
    if (::renameat(dirFd, tempName.constData(), dirFd, base.constData()) != 0)
        return abandon(SaveStep::Commit);

    // The rename itself lives in the folder. The new file is in place by
    // now, so a folder that cannot be synced does not undo the save.
    (void)saveSyncCalls().syncFolder(dirFd);
    return true;
}
