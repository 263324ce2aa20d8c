#include "model/dictionary_file.h"
#include "model/safe_save.h"
#include "settings/ini_reader.h"
#include "settings/syst_func.h"

#include "test_cards.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <sys/resource.h>

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
            QCOMPARE(error, QString::fromLocal8Bit(std::strerror(EFBIG)));
        QCOMPARE(failed, step);
        // No temporary file is left, and the old file is whole.
        QCOMPARE(entries(dir.path()), before);
        if (setup == "limit")
            QCOMPARE(bytes(path), old);
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
                out = writeDictionaryFile(cards, path, nullptr);
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
            QVERIFY2(out.message.startsWith("Ошибка записи в файл\n" + path + "\n"),
                     qPrintable(out.message));
            QVERIFY(out.message.endsWith("\nФайл на диске не изменён"));
            QVERIFY(cards.first().filePath.isEmpty());
        }
    }
};

QTEST_GUILESS_MAIN(TestSafeSave)
#include "test_safe_save.moc"
