#include "core/dictionary/file_watch.h"

#include "core/dictionary/dictionary.h"

#include <QFileInfo>

FileWatch::FileWatch(Dictionary &dict, QObject *parent) : QObject(parent), m_dict(dict)
{
    connect(&m_dict, &Dictionary::filesChanged, this, &FileWatch::forgetClosed);
    connect(&m_watcher, &QFileSystemWatcher::fileChanged, this, &FileWatch::pathChanged);
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, &FileWatch::folderChanged);
}

FileWatch::~FileWatch() = default;

void FileWatch::remember(const QString &path, const FileStamp &stamp, const QList<int> &ids)
{
    std::vector<int> positions;
    QList<int> found;
    positions.reserve(size_t(ids.size()));
    found.reserve(ids.size());
    for (int id : ids) {
        const int p = m_dict.indexOfId(id);
        if (p >= 0) {
            positions.push_back(p);
            found.append(id);
        }
    }
    rememberBase(path, stamp, m_dict.store().select(positions), found);
}

void FileWatch::rememberBase(const QString &path, const FileStamp &stamp, CardStore base,
                             const QList<int> &ids)
{
    Record &r = m_records[path];
    r.stamp = stamp;
    r.declined = FileStamp();
    r.base = std::move(base);
    int top = 0;
    for (int id : ids)
        top = std::max(top, id);
    r.baseIndexOfId.assign(size_t(top) + 1, -1);
    for (int i = 0; i < ids.size() && i < r.base.size(); ++i)
        if (ids[i] > 0)
            r.baseIndexOfId[size_t(ids[i])] = i;
    watch(path);
}

const CardStore &FileWatch::base(const QString &path) const
{
    static const CardStore none;
    const auto it = m_records.find(path);
    return it == m_records.end() ? none : it->second.base;
}

const FileStamp &FileWatch::stamp(const QString &path) const
{
    static const FileStamp none;
    const auto it = m_records.find(path);
    return it == m_records.end() ? none : it->second.stamp;
}

bool FileWatch::changedOnDisk(const QString &path, FileStamp *now)
{
    const auto it = m_records.find(path);
    if (it == m_records.end())
        return false;
    Record &r = it->second;
    const FileStamp look = lookAtFile(path);
    if (!look.exists() || look.sameLook(r.stamp))
        return false;
    if (look.size != r.stamp.size) {
        // Other bytes for certain: no need to read them here.
        if (now)
            *now = look;
        return true;
    }
    const FileStamp disk = stampOfFile(path);
    if (!disk.exists())
        return false;
    if (now)
        *now = disk;
    if (disk.sameBytes(r.stamp)) {
        // Touched or written again with the same bytes: remember the new
        // time, so the next look is cheap again.
        r.stamp = disk;
        return false;
    }
    return true;
}

void FileWatch::decline(const QString &path, const FileStamp &now)
{
    const auto it = m_records.find(path);
    if (it != m_records.end())
        it->second.declined = now;
}

bool FileWatch::wasDeclined(const QString &path, const FileStamp &now) const
{
    const auto it = m_records.find(path);
    return it != m_records.end() && it->second.declined.exists() &&
           it->second.declined.sameLook(now);
}

bool FileWatch::hasUnsavedChanges(const QString &path) const
{
    const auto it = m_records.find(path);
    if (it == m_records.end() || !m_dict.isModified())
        return false;
    const Record &r = it->second;
    const std::vector<int> positions = m_dict.positionsOfFile(path);
    if (positions.size() != size_t(r.base.size()))
        return true;
    for (int p : positions) {
        const CardView c = m_dict.view(p);
        const int b = r.baseIndex(c.id());
        if (b < 0 || !sameContent(c, r.base.view(b)))
            return true;
    }
    return false;
}

void FileWatch::oursOf(const QString &path, CardStore *ours, std::vector<int> *oursBase) const
{
    oursBase->clear();
    const auto it = m_records.find(path);
    const std::vector<int> positions = m_dict.positionsOfFile(path);
    *ours = m_dict.store().select(positions);
    oursBase->reserve(positions.size());
    for (int i = 0; i < ours->size(); ++i)
        oursBase->push_back(it == m_records.end() ? -1 : it->second.baseIndex(ours->record(i).id));
}

void FileWatch::forgetClosed()
{
    QStringList closed;
    for (const auto &entry : m_records) {
        if (!m_dict.openFiles().count(entry.first))
            closed << entry.first;
    }
    for (const QString &path : closed)
        forget(path);
}

void FileWatch::forget(const QString &path)
{
    m_records.erase(path);
    m_locks.release(path);
    m_watcher.removePath(path);
    // The folder stays watched while another open file lives in it.
    const QString folder = QFileInfo(path).absolutePath();
    for (const auto &entry : m_records) {
        if (QFileInfo(entry.first).absolutePath() == folder)
            return;
    }
    m_watcher.removePath(folder);
}

void FileWatch::watch(const QString &path)
{
    // A file replaced by a rename (a safe save, a synchronisation tool) is
    // a new file: the watcher loses it, and its folder says it came back.
    if (!m_watcher.files().contains(path) && QFileInfo::exists(path))
        m_watcher.addPath(path);
    const QString folder = QFileInfo(path).absolutePath();
    if (!m_watcher.directories().contains(folder))
        m_watcher.addPath(folder);
}

void FileWatch::pathChanged(const QString &path)
{
    const auto it = m_records.find(path);
    if (it == m_records.end())
        return;
    watch(path);
    if (!lookAtFile(path).sameLook(it->second.stamp))
        emit fileChanged(path);
}

void FileWatch::folderChanged(const QString &folder)
{
    QStringList changed;
    for (const auto &entry : m_records) {
        if (QFileInfo(entry.first).absolutePath() != folder)
            continue;
        const FileStamp look = lookAtFile(entry.first);
        if (look.exists() && !look.sameLook(entry.second.stamp))
            changed << entry.first;
    }
    for (const QString &path : changed) {
        watch(path);
        emit fileChanged(path);
    }
}
