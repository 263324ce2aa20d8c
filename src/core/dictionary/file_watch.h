#pragma once

#include "core/dictionary/card.h"
#include "core/dictionary/card_store.h"
#include "core/dictionary/file_lock.h"
#include "core/dictionary/file_stamp.h"

#include <QFileSystemWatcher>
#include <QHash>
#include <QList>
#include <QObject>
#include <QString>

#include <map>
#include <vector>

class Dictionary;

// What the program knows of each open dictionary file beside its cards:
// its lock, the stamp of the bytes last read or written, and those cards
// as they were then (the base of a merge: a store that shares its text
// blocks with the dictionary's, so keeping it costs a record per card). A watcher on the files
// and their folders says when one may have changed on disk. A closed file
// is forgotten and its lock given back; all locks go with this object.
class FileWatch : public QObject
{
    Q_OBJECT
public:
    explicit FileWatch(Dictionary &dict, QObject *parent = nullptr);
    ~FileWatch() override;

    DictionaryLocks &locks() { return m_locks; }

    // The dictionary's cards `ids`, in file order, are what `path` held as
    // `stamp` (just read, or just written).
    void remember(const QString &path, const FileStamp &stamp, const QList<int> &ids);
    // The same when the file holds `base` and the dictionary's card ids[i]
    // stands for base[i] (after a merge, the cards differ from the file's).
    void rememberBase(const QString &path, const FileStamp &stamp, CardStore base,
                      const QList<int> &ids);
    bool knows(const QString &path) const { return m_records.count(path) > 0; }
    const CardStore &base(const QString &path) const;
    const FileStamp &stamp(const QString &path) const;

    // The bytes on disk are no longer those last read or written. Only size
    // and time are looked at unless they differ; a missing file is no
    // change (a synchronisation tool may be replacing it). `now` receives
    // the stamp on disk (without its hash when the size alone tells).
    bool changedOnDisk(const QString &path, FileStamp *now = nullptr);
    // The user kept the own cards over the version `now` on disk (known by
    // its size and time): the watcher does not ask about that version
    // again (a save still does).
    void decline(const QString &path, const FileStamp &now);
    bool wasDeclined(const QString &path, const FileStamp &now) const;

    // Some card of `path` differs from the base, or was added or deleted.
    bool hasUnsavedChanges(const QString &path) const;
    // The dictionary's cards of `path` and, for each, its index in the
    // base (-1: not in the base).
    void oursOf(const QString &path, CardStore *ours, std::vector<int> *oursBase) const;

signals:
    // `path` may have changed on disk (its size or time differ); the
    // receiver decides with changedOnDisk.
    void fileChanged(const QString &path);

private:
    struct Record {
        FileStamp stamp;
        FileStamp declined;
        CardStore base;
        // By the dictionary's card id: the index in the base, or -1.
        std::vector<int> baseIndexOfId;
        int baseIndex(int id) const
        {
            return id > 0 && size_t(id) < baseIndexOfId.size() ? baseIndexOfId[size_t(id)] : -1;
        }
    };
    void forgetClosed();
    void forget(const QString &path);
    void pathChanged(const QString &path);
    void folderChanged(const QString &folder);
    void watch(const QString &path);

    Dictionary &m_dict;
    DictionaryLocks m_locks;
    QFileSystemWatcher m_watcher;
    std::map<QString, Record> m_records;
};
