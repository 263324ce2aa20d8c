#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

#include <functional>

// Which step of a safe save failed, for callers whose messages name the step.
enum class SaveStep {
    None,   // nothing failed
    Open,   // the target cannot be replaced, or no temporary file could be made beside it
    Write,  // writing the bytes or getting them onto the disk failed
    Commit, // the temporary file could not take the target's place
};

struct SaveOptions {
    // Runs once the new bytes are on the disk beside the target and just
    // before they take its place: the old file is still there, and the save
    // can no longer fail for want of space or rights on the file.
    std::function<void()> beforeReplace;
    // Permission bits of the new file; -1: those of the file replaced, or
    // the usual ones (0666 less the umask) for a new file.
    int permissions = -1;
    // A target without write permission is refused unless this is set.
    bool replaceReadOnly = false;
    // False: the name itself is replaced, never the file a symbolic link
    // there names (the link goes, a regular file takes its place). For
    // files beside the user's own, such as a backup copy, where anyone who
    // may write the folder could have planted a link.
    bool followLink = true;
};

// The one way this program replaces a file the user owns: the bytes go to a
// temporary file in the same folder, which is flushed to the disk
// (fdatasync) and then renamed over the old file; the folder is synced after
// the rename, so a crash leaves the old file or the new one, whole. The
// temporary file is made and renamed within the folder, never through a
// link. A symbolic link at `path` is followed (unless the options say
// otherwise): the file it names is replaced. A target that is not writable
// is refused (for root too, when it has no write bit at all).
// Temporary files are named "<file name>.<six hex digits>". Before making
// its own, a save removes those of the same file that a run killed midway
// left behind: regular files of this user, with no second name, last
// written before this program started and not locked by a save going on.
// On any failure the old file stays whole (or absent), no temporary file is
// left behind, false is returned and `*error` (when given) holds the
// system's reason in Russian, never empty; `*failedStep` (when given) says
// which step failed.
bool saveFileAtomically(const QString &path, const QByteArray &bytes, QString *error,
                        SaveStep *failedStep = nullptr, const SaveOptions &options = {});
// The same for a file whose bytes come in pieces, written one after another.
bool saveFileAtomically(const QString &path, const QList<QByteArrayView> &pieces, QString *error,
                        SaveStep *failedStep = nullptr, const SaveOptions &options = {});

// The Russian text of a system error number (errno): no space left, quota,
// read-only file system, permission denied and the other usual ones; any
// other number gives the system's own text with the number.
QString systemErrorText(int errorNumber);

// The calls that get a save onto the disk. Tests replace them to trace the
// order of a save or to make a step fail; the program never changes them.
struct SaveSyncCalls {
    int (*syncData)(int fd);   // the temporary file's data, before the rename
    int (*syncFolder)(int fd); // the folder, after the rename
    // The random part of a temporary file's name (its low 24 bits); null:
    // the usual random numbers.
    quint32 (*randomSuffix)() = nullptr;
};
SaveSyncCalls &saveSyncCalls();
