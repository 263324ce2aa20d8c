#include "core/dictionary/dictionary_file.h"
#include "core/dictionary/safe_save.h"
#include "core/settings/ini_reader.h"
#include "core/settings/syst_func.h"

#include "test_cards.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

namespace
{

QByteArray bytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

bool putBytes(const QString &path, const QByteArray &data)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(data) == data.size();
}

QStringList entries(const QString &dir)
{
    return QDir(dir).entryList(QDir::NoDotAndDotDot | QDir::AllEntries, QDir::Name);
}

// Replaces the calls that get a save onto the disk while it lives.
class SyncCalls
{
public:
    SyncCalls(int (*data)(int), int (*folder)(int)) : m_old(saveSyncCalls())
    {
        saveSyncCalls() = SaveSyncCalls{data, folder};
    }
    ~SyncCalls() { saveSyncCalls() = m_old; }

private:
    SaveSyncCalls m_old;
};

// What the traced calls saw: the call, and the target's bytes at that moment.
QStringList g_trace;
QString g_target;
int g_failWith = 0;

int traceData(int fd)
{
    struct stat st;
    g_trace << QStringLiteral("data %1 bytes, target holds \"%2\"")
                   .arg(::fstat(fd, &st) == 0 ? qint64(st.st_size) : -1)
                   .arg(QString::fromLatin1(bytes(g_target)));
    if (g_failWith) {
        errno = g_failWith;
        return -1;
    }
    return ::fdatasync(fd);
}

int traceFolder(int fd)
{
    g_trace
        << QStringLiteral("folder, target holds \"%1\"").arg(QString::fromLatin1(bytes(g_target)));
    return ::fsync(fd);
}

int fileMode(const QString &path)
{
    struct stat st;
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? int(st.st_mode & 0777) : -1;
}

// Makes every write past `limit` bytes of a file fail with EFBIG, as a full
// disk would, while it lives (root is bound by it too).
class FileSizeLimit
{
public:
    // RLIM_INFINITY: no limit at all.
    explicit FileSizeLimit(rlim_t limit)
    {
        m_active = limit != RLIM_INFINITY;
        m_ok = true;
        if (!m_active)
            return;
        m_oldSignal = std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &m_old);
        rlimit lower = m_old;
        lower.rlim_cur = limit;
        m_ok = setrlimit(RLIMIT_FSIZE, &lower) == 0;
    }
    ~FileSizeLimit()
    {
        if (!m_active)
            return;
        setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldSignal);
    }
    bool ok() const { return m_ok; }

private:
    rlimit m_old{};
    void (*m_oldSignal)(int) = nullptr;
    bool m_ok = false;
    bool m_active = false;
};

bool isLink(const QString &path)
{
    struct stat st;
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 && S_ISLNK(st.st_mode);
}

// Makes a link, as another user when the test may (root): someone sharing
// the folder planted it.
bool plantLink(const QString &target, const QString &link, bool foreignOwner)
{
    const QByteArray name = QFile::encodeName(link);
    if (::symlink(QFile::encodeName(target).constData(), name.constData()) != 0)
        return false;
    return !foreignOwner || ::lchown(name.constData(), 65534, 65534) == 0;
}

// Sets a file's times to long before this program started.
bool makeOld(const QString &path)
{
    const struct timespec times[2] = {{978307200, 0}, {978307200, 0}}; // 2001
    return ::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, AT_SYMLINK_NOFOLLOW) ==
           0;
}

// The random parts of temporary names a save draws, in turn.
QList<quint32> g_suffixes;
quint32 nextSuffix()
{
    return g_suffixes.isEmpty() ? 0x123456 : g_suffixes.takeFirst();
}

} // namespace

class TestSafeSave : public QObject
{
    Q_OBJECT

private slots:
    void replacesOrCreates_data()
    {
        QTest::addColumn<bool>("existing");
        QTest::addColumn<QByteArray>("data");
        QTest::newRow("new file") << false << QByteArray("fresh");
        QTest::newRow("replaced") << true << QByteArray("new contents");
        QTest::newRow("emptied") << true << QByteArray();
    }
    void replacesOrCreates()
    {
        QFETCH(bool, existing);
        QFETCH(QByteArray, data);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("f.txt"));
        if (existing)
            QVERIFY(putBytes(path, "old contents, longer than the new"));
        QString error = QStringLiteral("untouched");
        SaveStep step = SaveStep::Commit;
        QVERIFY(saveFileAtomically(path, data, &error, &step));
        QCOMPARE(step, SaveStep::None);
        QCOMPARE(bytes(path), data);
        QCOMPARE(entries(dir.path()), QStringList{"f.txt"});
    }

    void failureKeepsOldFile_data()
    {
        QTest::addColumn<QString>("setup");
        QTest::addColumn<int>("size");
        QTest::addColumn<SaveStep>("step");
        QTest::newRow("folder missing") << "missing" << 10 << SaveStep::Open;
        QTest::newRow("name taken by a folder") << "folder" << 10 << SaveStep::Open;
        // Small enough to sit in the write buffer: only the flush can fail.
        QTest::newRow("disk full on flush") << "limit" << 6000 << SaveStep::Write;
        QTest::newRow("disk full on write") << "limit" << 300000 << SaveStep::Write;
    }
    void failureKeepsOldFile()
    {
        QFETCH(QString, setup);
        QFETCH(int, size);
        QFETCH(SaveStep, step);
        QTemporaryDir dir;
        QString path = dir.filePath(QStringLiteral("f.txt"));
        const QByteArray old = "old contents";
        if (setup == "missing")
            path = dir.filePath(QStringLiteral("gone/f.txt"));
        else if (setup == "folder")
            QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("f.txt")));
        else
            QVERIFY(putBytes(path, old));
        const QStringList before = entries(dir.path());

        QString error;
        SaveStep failed = SaveStep::None;
        bool saved = true;
        {
            FileSizeLimit limit(setup == "limit" ? 1024 : RLIM_INFINITY);
            QVERIFY(limit.ok());
            saved = saveFileAtomically(path, QByteArray(size, 'x'), &error, &failed);
        }
        QVERIFY(!saved);
        QVERIFY(!error.isEmpty());
        if (setup == "limit")
            QCOMPARE(error, QStringLiteral("Превышен допустимый размер файла"));
        QCOMPARE(failed, step);
        // No temporary file is left, and the old file is whole.
        QCOMPARE(entries(dir.path()), before);
        if (setup == "limit")
            QCOMPARE(bytes(path), old);
    }

    // The data reaches the disk before the rename, the folder after it.
    void durableOrder()
    {
        QTemporaryDir dir;
        g_target = dir.filePath(QStringLiteral("f.txt"));
        QVERIFY(putBytes(g_target, "old"));
        g_trace.clear();
        g_failWith = 0;
        QStringList seen;
        SaveOptions options;
        options.beforeReplace = [&] { g_trace << QStringLiteral("before replace"); };
        {
            SyncCalls calls(traceData, traceFolder);
            QVERIFY(saveFileAtomically(g_target, "new!", nullptr, nullptr, options));
        }
        QCOMPARE(g_trace, (QStringList{"data 4 bytes, target holds \"old\"", "before replace",
                                       "folder, target holds \"new!\""}));
    }

    // A failing flush to the disk is a failed save, with the system's
    // reason in Russian, and the old file stays.
    void syncFailureReported_data()
    {
        QTest::addColumn<int>("errorNumber");
        QTest::addColumn<QString>("reason");
        QTest::newRow("no space") << ENOSPC << QStringLiteral("Нет свободного места на диске");
        QTest::newRow("quota") << EDQUOT << QStringLiteral("Превышена дисковая квота");
        QTest::newRow("read-only file system")
            << EROFS << QStringLiteral("Файловая система доступна только для чтения");
        QTest::newRow("input/output") << EIO << QStringLiteral("Ошибка ввода-вывода на диске");
        QTest::newRow("unlisted") << EXDEV
                                  << QStringLiteral("Системная ошибка %1: %2")
                                         .arg(EXDEV)
                                         .arg(QString::fromLocal8Bit(std::strerror(EXDEV)));
    }
    void syncFailureReported()
    {
        QFETCH(int, errorNumber);
        QFETCH(QString, reason);
        QTemporaryDir dir;
        g_target = dir.filePath(QStringLiteral("f.txt"));
        QVERIFY(putBytes(g_target, "old"));
        g_trace.clear();
        g_failWith = errorNumber;
        bool replaced = false;
        SaveOptions options;
        options.beforeReplace = [&] { replaced = true; };
        QString error;
        SaveStep step = SaveStep::None;
        bool saved = true;
        {
            SyncCalls calls(traceData, traceFolder);
            saved = saveFileAtomically(g_target, "new", &error, &step, options);
        }
        g_failWith = 0;
        QVERIFY(!saved);
        QVERIFY(!replaced);
        QCOMPARE(step, SaveStep::Write);
        QCOMPARE(error, reason);
        QCOMPARE(bytes(g_target), QByteArray("old"));
        QCOMPARE(entries(dir.path()), QStringList{"f.txt"});
    }

    // Rights carry over; a read-only file is left alone unless asked; a
    // link stays a link and the file it names is replaced.
    void rightsAndLinks()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("f.txt"));
        QVERIFY(putBytes(path, "old"));
        QVERIFY(::chmod(QFile::encodeName(path).constData(), 0640) == 0);
        QVERIFY(saveFileAtomically(path, "new", nullptr));
        QCOMPARE(fileMode(path), 0640);

        QVERIFY(::chmod(QFile::encodeName(path).constData(), 0444) == 0);
        QString error;
        SaveStep step = SaveStep::None;
        QVERIFY(!saveFileAtomically(path, "newer", &error, &step));
        QCOMPARE(step, SaveStep::Open);
        QCOMPARE(error, QStringLiteral("Нет прав на запись (доступ запрещён)"));
        QCOMPARE(bytes(path), QByteArray("new"));
        SaveOptions options;
        options.replaceReadOnly = true;
        options.permissions = 0600;
        QVERIFY(saveFileAtomically(path, "newer", nullptr, nullptr, options));
        QCOMPARE(bytes(path), QByteArray("newer"));
        QCOMPARE(fileMode(path), 0600);

        const QString link = dir.filePath(QStringLiteral("link.txt"));
        QVERIFY(QFile::link(path, link));
        QVERIFY(saveFileAtomically(link, "through the link", nullptr));
        QVERIFY(QFileInfo(link).isSymLink());
        QCOMPARE(bytes(path), QByteArray("through the link"));
        QCOMPARE(entries(dir.path()), (QStringList{"f.txt", "link.txt"}));
    }

    // Links planted where the backup and the temporary file go, in a folder
    // everyone may write (sticky, as /tmp): the file they name is never
    // written, the save still succeeds.
    void linksPlantedBesideTheFile_data()
    {
        QTest::addColumn<QString>("where");
        QTest::addColumn<bool>("foreignOwner");
        QTest::newRow("backup, link of this user") << "backup" << false;
        QTest::newRow("backup, link of another user") << "backup" << true;
        QTest::newRow("temporary file, link of this user") << "temporary" << false;
        QTest::newRow("temporary file, link of another user") << "temporary" << true;
    }
    void linksPlantedBesideTheFile()
    {
        QFETCH(QString, where);
        QFETCH(bool, foreignOwner);
        if (foreignOwner && ::geteuid() != 0)
            QSKIP("only root can give a link to another user");
        QTemporaryDir dir;
        QVERIFY(::chmod(QFile::encodeName(dir.path()).constData(), 01777) == 0);
        const QString victim = dir.filePath(QStringLiteral("victim.txt"));
        QVERIFY(putBytes(victim, "not yours"));
        const QString path = dir.filePath(QStringLiteral("d.xml"));
        QList<Card> cards = {makeCard(QStringLiteral("cat"))};
        QVERIFY(writeDictionaryFile(cards, path, {QStringLiteral("Еда")}, nullptr).ok);
        const QByteArray old = bytes(path);
        cards.append(makeCard(QStringLiteral("dog")));

        if (where == "backup") {
            const QString bak = path + QStringLiteral(".bak");
            QVERIFY(plantLink(victim, bak, foreignOwner));
            QSet<QString> backedUp;
            const WriteOutcome out =
                writeDictionaryFile(cards, path, {QStringLiteral("Еда")}, &backedUp);
            QVERIFY(out.ok);
            QCOMPARE(bytes(victim), QByteArray("not yours"));
            if (isLink(bak)) { // left alone: then the user is told
                QCOMPARE(out.warnings.size(), 1);
                QVERIFY(out.warnings[0].contains(QStringLiteral("резервную копию")));
            } else { // replaced by a regular file holding the old version
                QVERIFY(out.warnings.isEmpty());
                QCOMPARE(bytes(bak), old);
            }
        } else {
            QVERIFY(plantLink(victim, path + QStringLiteral(".aaaaaa"), foreignOwner));
            g_suffixes = {0xaaaaaa, 0xbbbbbb};
            SaveSyncCalls calls = saveSyncCalls();
            const SaveSyncCalls old = calls;
            calls.randomSuffix = nextSuffix;
            saveSyncCalls() = calls;
            const bool saved = saveFileAtomically(path, "new", nullptr);
            saveSyncCalls() = old;
            QVERIFY(saved);
            QVERIFY(g_suffixes.isEmpty()); // the planted name was tried, then the next
            QCOMPARE(bytes(path), QByteArray("new"));
            QCOMPARE(bytes(victim), QByteArray("not yours"));
            QVERIFY(isLink(path + QStringLiteral(".aaaaaa")));
            QCOMPARE(entries(dir.path()), (QStringList{"d.xml", "d.xml.aaaaaa", "victim.txt"}));
        }
    }

    // A save removes what a save of the same file killed midway left: its
    // temporary files, when they are old, ours, regular and not in use.
    void staleTemporaryFiles_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("removed");
        QTest::newRow("left by a killed run") << "d.xml.0a1b2c"
                                              << "old" << true;
        QTest::newRow("written since this run started") << "d.xml.0a1b2c"
                                                        << "new" << false;
        QTest::newRow("locked by a save going on") << "d.xml.0a1b2c"
                                                   << "locked" << false;
        QTest::newRow("of another user") << "d.xml.0a1b2c"
                                         << "foreign" << false;
        QTest::newRow("with a second name") << "d.xml.0a1b2c"
                                            << "hard link" << false;
        QTest::newRow("a link") << "d.xml.0a1b2c"
                                << "link" << false;
        QTest::newRow("a folder") << "d.xml.0a1b2c"
                                  << "folder" << false;
        QTest::newRow("five digits") << "d.xml.0a1b2"
                                     << "old" << false;
        QTest::newRow("capital digits") << "d.xml.0A1B2C"
                                        << "old" << false;
        QTest::newRow("seven digits") << "d.xml.0a1b2c3"
                                      << "old" << false;
        QTest::newRow("of another file") << "e.xml.0a1b2c"
                                         << "old" << false;
        QTest::newRow("the backup") << "d.xml.bak"
                                    << "old" << false;
    }
    void staleTemporaryFiles()
    {
        QFETCH(QString, name);
        QFETCH(QString, kind);
        QFETCH(bool, removed);
        if (kind == "foreign" && ::geteuid() != 0)
            QSKIP("only root can give a file to another user");
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("d.xml"));
        const QString left = dir.filePath(name);
        const QString other = dir.filePath(QStringLiteral("other.txt"));
        QVERIFY(putBytes(other, "other"));
        QVERIFY(makeOld(other));
        int lockFd = -1;
        if (kind == "link") {
            QVERIFY(QFile::link(other, left));
        } else if (kind == "folder") {
            QVERIFY(QDir(dir.path()).mkdir(name));
        } else {
            QVERIFY(putBytes(left, QByteArray(4096, 'x')));
            if (kind == "locked") {
                lockFd = ::open(QFile::encodeName(left).constData(), O_RDONLY | O_CLOEXEC);
                QVERIFY(lockFd >= 0 && ::flock(lockFd, LOCK_EX) == 0);
            } else if (kind == "foreign") {
                QVERIFY(::chown(QFile::encodeName(left).constData(), 65534, 65534) == 0);
            } else if (kind == "hard link") {
                QVERIFY(::link(QFile::encodeName(left).constData(),
                               QFile::encodeName(dir.filePath("keep")).constData()) == 0);
            }
            if (kind != "new")
                QVERIFY(makeOld(left));
        }
        QVERIFY(saveFileAtomically(path, "new", nullptr));
        QVERIFY(saveFileAtomically(path, "newer", nullptr)); // and with a file to replace
        if (lockFd >= 0)
            ::close(lockFd);
        QCOMPARE(bytes(path), QByteArray("newer"));
        QCOMPARE(QFileInfo::exists(left) || isLink(left), !removed);
        QCOMPARE(bytes(other), QByteArray("other"));
        QStringList expected = {"d.xml", "other.txt"};
        if (!removed)
            expected << name;
        if (kind == "hard link")
            expected << "keep";
        expected.sort();
        QCOMPARE(entries(dir.path()), expected);
    }

    // The settings files say why they could not be written.
    void settingsSaveGivesReason()
    {
        QTemporaryDir dir;
        iniReader ini;
        ini.writeEntry(QStringLiteral("S:k"), QStringLiteral("v"));
        QString error;
        QVERIFY(!ini.save(dir.filePath(QStringLiteral("gone/settings.ini")), &error));
        QCOMPARE(error, QStringLiteral("Папка не существует"));
    }

    // Every writer of user files goes through the safe save and keeps its
    // own message.
    void writersKeepOldFileWhenDiskIsFull_data()
    {
        QTest::addColumn<QString>("writer");
        QTest::newRow("dictionary") << "dictionary";
        QTest::newRow("text file") << "text";
        QTest::newRow("settings store") << "ini";
    }
    void writersKeepOldFileWhenDiskIsFull()
    {
        QFETCH(QString, writer);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("f.xml"));
        const QByteArray old = "old contents";
        QVERIFY(putBytes(path, old));
        QList<Card> cards;
        for (int i = 0; i < 40; ++i)
            cards << makeCard(QStringLiteral("word%1").arg(i));
        const QString text(3000, QLatin1Char('a'));
        iniReader ini;
        ini.writeEntry(QStringLiteral("S:key"), text);

        bool ok = true;
        WriteOutcome out;
        {
            FileSizeLimit limit(1024);
            QVERIFY(limit.ok());
            if (writer == "dictionary") {
                out = writeDictionaryFile(cards, path, {QStringLiteral("Еда")}, nullptr);
                ok = out.ok;
            } else if (writer == "text") {
                ok = SYST_FUNC::saveTxtFile(path, text);
            } else {
                ok = ini.save(path);
            }
        }
        QVERIFY(!ok);
        QCOMPARE(bytes(path), old);
        QCOMPARE(entries(dir.path()), QStringList{"f.xml"});
        if (writer == "dictionary") {
            QCOMPARE(out.message,
                     "Ошибка записи в файл\n" + path +
                         "\nПревышен допустимый размер файла\nФайл на диске не изменён");
            QVERIFY(out.message.endsWith("\nФайл на диске не изменён"));
            QVERIFY(cards.first().filePath.isEmpty());
        }
    }
};

QTEST_GUILESS_MAIN(TestSafeSave)
#include "test_safe_save.moc"
