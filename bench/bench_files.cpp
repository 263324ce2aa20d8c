#include "bench.h"
#include "card_generator.h"
#include "model/card_table.h"
#include "model/dictionary_file.h"

#include <QCoreApplication>
#include <QDomDocument>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>

// Peak memory is per process, so each parse runs in a child of its own (this
// program started again with a hidden argument); nothing done earlier in the
// run counts toward it.

namespace
{

const QString kOpenOnly = QStringLiteral("--open-only");
const QString kDomOnly = QStringLiteral("--dom-only");

// The high-water mark of this process image. getrusage's ru_maxrss would not
// do: Linux carries it over exec, so the child would inherit the peak of the
// parent it was forked from.
long peakKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (status.open(QIODevice::ReadOnly)) {
        for (const QByteArray &line : status.readAll().split('\n'))
            if (line.startsWith("VmHWM:"))
                return line.mid(6).trimmed().split(' ').value(0).toLong();
    }
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
}

double seconds(const QElapsedTimer &t)
{
    return double(t.nsecsElapsed()) / 1e9;
}

// The categories generateCards uses.
StringSet benchCategories()
{
    return {QStringLiteral("Еда"),   QStringLiteral("Дом"),   QStringLiteral("Работа"),
            QStringLiteral("Город"), QStringLiteral("Время"), QStringLiteral("Природа")};
}

struct Measure {
    bool ok = false;
    double seconds = 0;
    long peakKb = 0;
    long startKb = 0;
};

// Child side: one parse, then "<seconds> <peak kB> <start kB>" and exit.
[[noreturn]] void childParse(const QString &mode, const QString &path)
{
    const long startKb = peakKb();
    QElapsedTimer t;
    bool ok = false;
    if (mode == kOpenOnly) {
        Dictionary dict;
        dict.categoryList = benchCategories();
        t.start();
        // Opening is reading plus the table rebuild that follows it.
        ok = readDictionaryFile(dict, path).added;
        ok = ok && !sortAndBuildTableRows(dict, TableSortOptions()).isEmpty();
    } else {
        QFile f(path);
        if (f.open(QIODevice::ReadOnly)) {
            const QString text = decodeDictionaryBytes(f.readAll());
            QDomDocument doc(QStringLiteral("dom doc"));
            t.start();
            ok = bool(doc.setContent(text, false));
        }
    }
    const double s = t.isValid() ? seconds(t) : 0;
    std::printf("%.3f %ld %ld\n", s, peakKb(), startKb);
    std::fflush(stdout);
    std::exit(ok ? 0 : 1);
}

Measure inChild(const QString &mode, const QString &path)
{
    Measure m;
    QProcess p;
    p.start(QCoreApplication::applicationFilePath(), {mode, path});
    if (!p.waitForFinished(-1) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        return m;
    const QStringList f = QString::fromLatin1(p.readAllStandardOutput())
                              .trimmed()
                              .split(QLatin1Char('\n'))
                              .last()
                              .split(QLatin1Char(' '));
    if (f.size() != 3)
        return m;
    m.seconds = f[0].toDouble(&m.ok);
    m.peakKb = f[1].toLong();
    m.startKb = f[2].toLong();
    return m;
}

// When the child cannot be started, the time is still worth having.
Measure inProcess(const QString &mode, const QString &path)
{
    Measure m;
    QElapsedTimer t;
    if (mode == kOpenOnly) {
        Dictionary dict;
        dict.categoryList = benchCategories();
        t.start();
        m.ok = readDictionaryFile(dict, path).added;
    } else {
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly))
            return m;
        const QString text = decodeDictionaryBytes(f.readAll());
        QDomDocument doc(QStringLiteral("dom doc"));
        t.start();
        m.ok = bool(doc.setContent(text, false));
    }
    m.seconds = seconds(t);
    return m;
}

Measure measure(const QString &mode, const QString &path)
{
    Measure m = inChild(mode, path);
    return m.ok ? m : inProcess(mode, path);
}

QString peakText(const Measure &m)
{
    if (m.peakKb == 0)
        return QStringLiteral("n/a");
    return QStringLiteral("%1 MB (process start %2 MB)").arg(m.peakKb / 1024).arg(m.startKb / 1024);
}

} // namespace

void benchFiles(const QList<int> &sizes, const QStringList &args)
{
    for (const QString &mode : {kOpenOnly, kDomOnly}) {
        const int at = int(args.indexOf(mode));
        if (at >= 0 && at + 1 < args.size())
            childParse(mode, args[at + 1]);
    }
    const bool withDom = !args.contains(QStringLiteral("--no-dom"));

    QTemporaryDir dir;
    for (int n : sizes) {
        const QString path = dir.filePath(QStringLiteral("dict%1.xml").arg(n));
        QList<Card> cards = generateCards(n, 1);
        QElapsedTimer t;
        t.start();
        const WriteOutcome w = writeDictionaryFile(cards, path, benchCategories(), nullptr);
        const double save = seconds(t);
        cards = QList<Card>();
        if (!w.ok) {
            std::printf("files N=%d: save failed: %s\n", n, qPrintable(w.message));
            continue;
        }
        const double mb = double(QFileInfo(path).size()) / (1024 * 1024);

        const Measure open = measure(kOpenOnly, path);
        QString line = QStringLiteral("files N=%1 (%2 MB): save %3 s, open %4 s, peak %5")
                           .arg(n)
                           .arg(mb, 0, 'f', 1)
                           .arg(save, 0, 'f', 2)
                           .arg(open.seconds, 0, 'f', 2)
                           .arg(peakText(open));
        if (withDom) {
            const Measure dom = measure(kDomOnly, path);
            line += QStringLiteral(", DOM parse %1 s (x%2), DOM peak %3")
                        .arg(dom.seconds, 0, 'f', 2)
                        .arg(open.seconds > 0 ? dom.seconds / open.seconds : 0, 0, 'f', 1)
                        .arg(peakText(dom));
        }
        std::printf("%s\n", qPrintable(line));
        std::fflush(stdout);
    }
}
