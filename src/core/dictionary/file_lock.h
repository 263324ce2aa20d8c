#pragma once

#include <QString>
#include <QStringList>

#include <map>
#include <memory>

class QLockFile;

// One lock per open dictionary file, so that a second copy of the program,
// here or on another computer sharing the folder, learns that the file is
// in use: a hidden ".name.xml.lock" beside it (QLockFile). A lock left by a
// process that no longer runs on this computer is taken over. Locks are
// given back when their file is closed and when this object goes away.
class DictionaryLocks
{
public:
    enum class Outcome {
        Taken,       // this program holds the lock
        HeldByOther, // a running copy holds it (see Holder)
        Unavailable, // no lock can be made here (read-only folder, a folder
                     // that refuses the file): the file opens without one
    };
    struct Holder {
        QString host;
        qint64 pid = 0;
        QString application;
    };

    DictionaryLocks();
    ~DictionaryLocks();
    DictionaryLocks(const DictionaryLocks &) = delete;
    DictionaryLocks &operator=(const DictionaryLocks &) = delete;

    static QString lockPathFor(const QString &path);

    // Takes the lock of `path` unless this object holds it already.
    Outcome lock(const QString &path, Holder *holder = nullptr);
    bool holds(const QString &path) const;
    void release(const QString &path);
    void releaseAll();
    QStringList held() const;

private:
    std::map<QString, std::unique_ptr<QLockFile>> m_locks;
};

// "Словарь … уже открыт другой копией программы …": the question whether to
// open a file that a running copy holds; "Да" opens it anyway.
QString lockedFileQuestion(const QString &path, const DictionaryLocks::Holder &holder);
