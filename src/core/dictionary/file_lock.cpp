#include "core/dictionary/file_lock.h"

#include <QDir>
#include <QFileInfo>
#include <QLockFile>

DictionaryLocks::DictionaryLocks() = default;

DictionaryLocks::~DictionaryLocks() = default;

QString DictionaryLocks::lockPathFor(const QString &path)
{
    const QFileInfo info(path);
    return info.dir().filePath(QLatin1Char('.') + info.fileName() + QStringLiteral(".lock"));
}

DictionaryLocks::Outcome DictionaryLocks::lock(const QString &path, Holder *holder)
{
    if (holds(path))
        return Outcome::Taken;
    auto file = std::make_unique<QLockFile>(lockPathFor(path));
    // Never stale by age: a copy on another computer may keep a file open
    // for days. A lock of a process that is gone from this computer is
    // still taken over (QLockFile checks that on every try).
    file->setStaleLockTime(0);
    if (file->tryLock(0)) {
        m_locks[path] = std::move(file);
        return Outcome::Taken;
    }
    if (file->error() != QLockFile::LockFailedError)
        return Outcome::Unavailable;
    Holder h;
    // A lock whose holder cannot be read (being written, or not a lock at
    // all) names nobody to ask about.
    if (!file->getLockInfo(&h.pid, &h.host, &h.application))
        return Outcome::Unavailable;
    if (holder)
        *holder = h;
    return Outcome::HeldByOther;
}

bool DictionaryLocks::holds(const QString &path) const
{
    return m_locks.count(path) > 0;
}

void DictionaryLocks::release(const QString &path)
{
    m_locks.erase(path);
}

void DictionaryLocks::releaseAll()
{
    m_locks.clear();
}

QStringList DictionaryLocks::held() const
{
    QStringList paths;
    for (const auto &entry : m_locks)
        paths << entry.first;
    return paths;
}

QString lockedFileQuestion(const QString &path, const DictionaryLocks::Holder &holder)
{
    QString who = QStringLiteral("компьютер «") + holder.host + QStringLiteral("», процесс ") +
                  QString::number(holder.pid);
    if (!holder.application.isEmpty())
        who += QStringLiteral(" (") + holder.application + QLatin1Char(')');
    return QStringLiteral("Словарь\n") + path +
           QStringLiteral("\nуже открыт другой копией программы:\n") + who +
           QStringLiteral("\n\nЕсли открыть его и здесь, изменения одной копии могут затереть "
                          "изменения другой.\nОткрыть всё равно?");
}
