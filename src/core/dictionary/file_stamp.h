#pragma once

#include <QDateTime>
#include <QString>

// What a dictionary file was when it was read or written: its size, its time
// and a hash of its bytes. Size and time are cheap to look at again; the
// hash tells a real change from a file only touched or written again with
// the same bytes (a synchronisation tool does both).
struct FileStamp {
    qint64 size = -1; // -1: no file
    QDateTime modified;
    quint64 hash = 0;

    bool exists() const { return size >= 0; }
    // Size and time say nothing changed, without reading the file.
    bool sameLook(const FileStamp &o) const { return size == o.size && modified == o.modified; }
    bool sameBytes(const FileStamp &o) const { return size == o.size && hash == o.hash; }
};

// The hash of a file's bytes (not cryptographic: it only tells one version
// of a file from another; XXH3 reads at about memory speed).
quint64 hashFileBytes(const char *data, qsizetype size);

// The same hash of bytes given in pieces, as a file is read.
class FileHasher
{
public:
    FileHasher();
    ~FileHasher();
    FileHasher(const FileHasher &) = delete;
    FileHasher &operator=(const FileHasher &) = delete;
    void add(const char *data, qsizetype size);
    quint64 hash() const;

private:
    void *m_state;
};

// Size and time only (hash 0); size -1 when there is no regular file.
FileStamp lookAtFile(const QString &path);
// Size, time and the hash of the bytes, reading the whole file; size -1
// when it cannot be read.
FileStamp stampOfFile(const QString &path);
