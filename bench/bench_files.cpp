#include "app/main_window.h"
#include "app/session.h"
#include "bench.h"
#include "card_generator.h"
#include "core/dictionary/card_table.h"
#include "core/dictionary/dictionary_file.h"
#include "core/dictionary/dictionary_files.h"
#include "core/dictionary/prompts.h"
#include "core/find/filter_settings.h"
#include "core/settings/ini_reader.h"
#include "heap_count.h"
#include "ui/dictionary/dictionary_page.h"
#include "ui/dictionary/file_job_window.h"

#include <QCoreApplication>
#include <QDomDocument>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <sys/resource.h>
#ifdef __GLIBC__
#include <malloc.h>
#endif

#include <cstdio>
#include <cstdlib>

// Peak memory is per process, so each parse runs in a child of its own (this
// program started again with a hidden argument); nothing done earlier in the
// run counts toward it.

namespace
{

// Child modes, each timing one step in a process of its own; "--open-only
// <file>" and "--save-only <file>" also serve to time whole processes.
const QString kOpenOnly = QStringLiteral("--open-only");     // read + table rebuild
const QString kOpenWindow = QStringLiteral("--open-window"); // the same as the window opens
const QString kSaveOnly = QStringLiteral("--save-only");     // generate, then time the save
const QString kFastOnly = QStringLiteral("--fast-only");     // the fast reader's parse
const QString kQtOnly = QStringLiteral("--qt-only");         // QXmlStreamReader's parse
const QString kDomOnly = QStringLiteral("--dom-only");       // QDomDocument's parse
const QString kHeapOnly = QStringLiteral("--heap-only");     // the cards' heap, and freeing it
// Above this many cards the DOM comparison runs only on request ("--dom"):
// at 300,000 cards it took 16 GB.
constexpr int kDomLimit = 100000;

// A line of /proc/self/status in kB, or -1.
long statusKb(const char *key)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (status.open(QIODevice::ReadOnly)) {
        for (const QByteArray &line : status.readAll().split('\n'))
            if (line.startsWith(key))
                return line.mid(qsizetype(qstrlen(key))).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}

// The high-water mark of this process image. getrusage's ru_maxrss would not
// do: Linux carries it over exec, so the child would inherit the peak of the
// parent it was forked from.
long peakKb()
{
    if (const long kb = statusKb("VmHWM:"); kb >= 0)
        return kb;
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
    long rssKb = 0; // in memory right after the step
    double gapMs = -1;
};

// The decoded text of a file, or a null string.
QString decodedText(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? decodeDictionaryBytes(f.readAll()) : QString();
}

// Of the last window step: the longest time the window's thread was away.
double g_longestGapMs = -1;

// Times one step; stopped before the step's data is freed, which the
// program never does right after an open or a save.
struct StepTimer {
    QElapsedTimer t;
    double seconds = 0;
    void start() { t.start(); }
    bool stop(bool ok)
    {
        seconds = t.isValid() ? double(t.nsecsElapsed()) / 1e9 : 0;
        return ok;
    }
};

// One step of `mode` on `path`; `t` runs only over the step itself, and
// `*startKb` is the high-water mark just before it.
bool runStep(const QString &mode, const QString &path, int cards, StepTimer &t, long *startKb)
{
    *startKb = peakKb();
    if (mode == kOpenOnly) {
        Dictionary dict;
        dict.setCategoryList(benchCategories());
        t.start();
        // Opening is reading plus the table rebuild that follows it.
        const bool read = readDictionaryFile(dict, path).added;
        return t.stop(read && !sortAndBuildTableRows(dict, TableSortOptions()).isEmpty());
    }
    if (mode == kOpenWindow) {
        // The program's window opens the file as after a click on "open":
        // reading on the worker behind the progress window, then the table
        // filled and painted. A timer on this thread ticks every 2 ms; the
        // longest time between two ticks is the longest the window could
        // not repaint.
        QTemporaryDir dir;
        writeBenchSettings(dir.path());
        FrameColors colors;
        Session session(dir.path(), &colors, new SilentInteraction);
        Vmain_form w(session);
        // The window reads its categories from the settings first.
        session.dictionary.setCategoryList(benchCategories());
        DictionaryPage &page = *w.dictionaryPage();
        w.resize(1000, 700);
        w.tabWidget2->setCurrentIndex(1);
        w.show();
        QCoreApplication::processEvents();
        QElapsedTimer clock;
        qint64 last = 0;
        qint64 longest = 0;
        QTimer tick;
        tick.setTimerType(Qt::PreciseTimer);
        QObject::connect(&tick, &QTimer::timeout, [&] {
            const qint64 now = clock.nsecsElapsed();
            longest = std::max(longest, now - last);
            last = now;
        });
        tick.start(2);
        t.start();
        clock.start();
        page.openFiles({path});
        page.table3->viewport()->repaint();
        const bool ok = t.stop(session.dictionary.cardCount() > 0 && page.cardRowCount() > 0);
        // The gap that ends with the painted rows counts too.
        QCoreApplication::processEvents();
        longest = std::max(longest, clock.nsecsElapsed() - last);
        g_longestGapMs = double(longest) / 1e6;
        return ok;
    }
    if (mode == kSaveOnly) {
        // The cards as the program holds them, saved as its save does.
        Dictionary dict;
        {
            const QList<Card> generated = generateCards(cards, 1);
            dict.reserve(int(generated.size()));
            for (const Card &c : generated)
                dict.addCard(c);
        }
        // The generated list's memory goes back to the system, and the
        // high-water mark starts again here: the peak is the save's own.
#ifdef __GLIBC__
        malloc_trim(0);
#endif
        QFile clear(QStringLiteral("/proc/self/clear_refs"));
        if (clear.open(QIODevice::WriteOnly))
            clear.write("5");
        clear.close();
        *startKb = statusKb("VmRSS:");
        t.start();
        return t.stop(
            writeDictionaryCards(dict.store(), nullptr, path, benchCategories(), nullptr).ok);
    }
    const QString text = decodedText(path);
    if (text.isNull())
        return false;
    t.start();
    if (mode == kFastOnly) {
        DictionaryReadResult r;
        return t.stop(parseDictionaryTextFast(text, path, benchCategories(), &r) &&
                      !r.cards.isEmpty());
    }
    if (mode == kQtOnly)
        return t.stop(!parseDictionaryTextGeneral(text, path, benchCategories()).cards.isEmpty());
    QDomDocument doc(QStringLiteral("dom doc"));
    return t.stop(bool(doc.setContent(text, false)));
}

// Child side: one step, then "<seconds> <peak kB> <start kB> <longest gap ms>
// <resident kB>" and exit.
[[noreturn]] void childStep(const QString &mode, const QString &path, int cards)
{
    StepTimer t;
    long startKb = 0;
    const bool ok = runStep(mode, path, cards, t, &startKb);
    const double s = t.seconds;
    std::printf("%.3f %ld %ld %.1f %ld\n", s, peakKb(), startKb, g_longestGapMs,
                statusKb("VmRSS:"));
    std::fflush(stdout);
    std::exit(ok ? 0 : 1);
}

// Child side of the heap row: "<bytes per card> <blocks per card> <ms to
// free> <ms the closing thread waits> <bytes of text per card>" of the cards of `path` as the
// document holds them.
[[noreturn]] void heapStep(const QString &path)
{
    auto *dict = new Dictionary;
    dict->setCategoryList(benchCategories());
    const HeapCount before = liveHeap();
    const bool ok = readDictionaryFile(*dict, path).added;
    const HeapCount after = liveHeap();
    const int n = std::max(dict->cardCount(), 1);
    // The cards' own text in UTF-16, the least a store of them could hold
    // (lessons, paths, codes and categories are shared between cards).
    qint64 textBytes = 0;
    for (int i = 0; i < dict->cardCount(); ++i) {
        const CardView c = dict->view(i);
        c.forEachForeign(
            [&](QStringView w, QStringView t, bool) { textBytes += 2 * (w.size() + t.size()); });
        c.forEachVariant(
            [&](QStringView w, QStringView info) { textBytes += 2 * (w.size() + info.size()); });
        textBytes += 2 * c.soundPath().size();
    }
    QElapsedTimer t;
    t.start();
    delete dict;
    const double freeMs = msSince(t);
    // Closing the file, as the window does: what its thread waits for.
    Dictionary again;
    again.setCategoryList(benchCategories());
    const bool readAgain = readDictionaryFile(again, path).added;
    t.start();
    again.closeFiles({path});
    const double closeMs = msSince(t);
    std::printf("%.1f %.2f %.1f %.1f %.1f\n", double(after.bytes - before.bytes) / n,
                double(after.blocks - before.blocks) / n, freeMs, readAgain ? closeMs : -1,
                double(textBytes) / n);
    std::fflush(stdout);
    std::exit(ok ? 0 : 1);
}

QList<double> heapInChild(const QString &path)
{
    QProcess p;
    p.start(QCoreApplication::applicationFilePath(), {kHeapOnly, path});
    if (!p.waitForFinished(-1) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        return {};
    QList<double> out;
    for (const QString &f : QString::fromLatin1(p.readAllStandardOutput())
                                .trimmed()
                                .split(QLatin1Char('\n'))
                                .last()
                                .split(QLatin1Char(' ')))
        out << f.toDouble();
    return out.size() == 5 ? out : QList<double>();
}

// The floor of an open: the file's bytes read into memory and nothing else
// (best of three, the file in the page cache).
double bareRead(const QString &path)
{
    double best = 1e9;
    for (int i = 0; i < 3; ++i) {
        QFile f(path);
        QElapsedTimer t;
        t.start();
        if (!f.open(QIODevice::ReadOnly))
            return 0;
        const QByteArray bytes = f.readAll();
        best = std::min(best, seconds(t));
        if (bytes.isEmpty())
            return 0;
    }
    return best;
}

Measure inChild(const QString &mode, const QString &path, int cards)
{
    Measure m;
    QProcess p;
    p.start(QCoreApplication::applicationFilePath(),
            {mode, path, QStringLiteral("--sizes"), QString::number(cards)});
    if (!p.waitForFinished(-1) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        return m;
    const QStringList f = QString::fromLatin1(p.readAllStandardOutput())
                              .trimmed()
                              .split(QLatin1Char('\n'))
                              .last()
                              .split(QLatin1Char(' '));
    if (f.size() != 5)
        return m;
    m.gapMs = f[3].toDouble();
    m.rssKb = f[4].toLong();
    m.seconds = f[0].toDouble(&m.ok);
    m.peakKb = f[1].toLong();
    m.startKb = f[2].toLong();
    return m;
}

// When the child cannot be started, the time is still worth having.
Measure measure(const QString &mode, const QString &path, int cards)
{
    Measure m = inChild(mode, path, cards);
    if (m.ok)
        return m;
    StepTimer t;
    m.ok = runStep(mode, path, cards, t, &m.startKb);
    m.peakKb = 0; // the parent's own peak says nothing
    m.seconds = t.seconds;
    return m;
}

QString peakText(const Measure &m)
{
    if (m.peakKb == 0)
        return QStringLiteral("n/a");

    return QStringLiteral("%1 MB (%2 MB before the step)")
        .arg(m.peakKb / 1024)
        .arg(m.startKb / 1024);
}

} // namespace

void benchFiles(const QList<int> &sizes, const QStringList &args)
{
    for (const QString &mode : {kOpenOnly, kOpenWindow, kSaveOnly, kFastOnly, kQtOnly, kDomOnly}) {
        const int at = int(args.indexOf(mode));
        if (at >= 0 && at + 1 < args.size())
            childStep(mode, args[at + 1], sizes.value(0));
    }
    if (const int at = int(args.indexOf(kHeapOnly)); at >= 0 && at + 1 < args.size())
        heapStep(args[at + 1]);

    QTemporaryDir dir;
    for (int n : sizes) {
        const bool withDom = !args.contains(QStringLiteral("--no-dom")) &&
                             (n <= kDomLimit || args.contains(QStringLiteral("--dom")));
        const QString path = dir.filePath(QStringLiteral("dict%1.xml").arg(n));
        const Measure save = measure(kSaveOnly, path, n);
        if (!save.ok) {
            std::printf("files N=%d: save failed\n", n);
            continue;
        }
        const double mb = double(QFileInfo(path).size()) / (1024 * 1024);
        // Baseline of the save: copying the file's bytes through the page
        // cache, as the safe save's final step does.
        double copy = 0;
        {
            QFile in(path);
            QFile out(path + QStringLiteral(".copy"));
            QElapsedTimer t;
            t.start();
            if (in.open(QIODevice::ReadOnly) && out.open(QIODevice::WriteOnly)) {
                out.write(in.readAll());
                out.flush();
                copy = seconds(t);
            }
            out.remove();
        }

        const Measure open = measure(kOpenOnly, path, n);
        const Measure window = measure(kOpenWindow, path, n);
        const Measure fast = measure(kFastOnly, path, n);
        const Measure qt = measure(kQtOnly, path, n);
        QString line =
            QStringLiteral("files N=%1 (%2 MB): save %3 s (x%4 a plain copy of %5 s), save "
                           "peak %6; open %7 s, peak %8; parse: fast %9 s, QXmlStreamReader "
                           "%10 s (x%11); open on a worker as the window does %12 s")
                .arg(n)
                .arg(mb, 0, 'f', 1)
                .arg(save.seconds, 0, 'f', 2)
                .arg(copy > 0 ? save.seconds / copy : 0, 0, 'f', 1)
                .arg(copy, 0, 'f', 2)
                .arg(peakText(save))
                .arg(open.seconds, 0, 'f', 2)
                .arg(peakText(open))
                .arg(fast.seconds, 0, 'f', 2)
                .arg(qt.seconds, 0, 'f', 2)
                .arg(fast.seconds > 0 ? qt.seconds / fast.seconds : 0, 0, 'f', 1)
                .arg(window.seconds, 0, 'f', 2);
        if (withDom) {
            const Measure dom = measure(kDomOnly, path, n);
            line += QStringLiteral(", DOM parse %1 s (x%2 the open), DOM peak %3")
                        .arg(dom.seconds, 0, 'f', 2)
                        .arg(open.seconds > 0 ? dom.seconds / open.seconds : 0, 0, 'f', 1)
                        .arg(peakText(dom));
        }
        std::printf("%s\n", qPrintable(line));
        const double bare = bareRead(path);
        QElapsedTimer decodeTimer;
        decodeTimer.start();
        const bool decoded = !decodedText(path).isNull();
        const double decode = decoded ? seconds(decodeTimer) : 0;
        const QList<double> heap = heapInChild(path);
        std::printf("floors N=%d: bare read %.3f s, read and decode %.3f s; open x%.1f the bare "
                    "read, x%.1f read and decode; window: longest pause %.0f ms, in memory "
                    "after the open %ld MB, peak %ld MB\n",
                    n, bare, decode, bare > 0 ? open.seconds / bare : 0,
                    decode > 0 ? open.seconds / decode : 0, window.gapMs, window.rssKb / 1024,
                    window.peakKb / 1024);
        if (heap.size() == 5)
            std::printf("heap N=%d: %.0f bytes and %.1f blocks per card (x%.1f its %.0f bytes of "
                        "text); freeing the cards %.1f ms, closing their file %.1f ms\n",
                        n, heap[0], heap[1], heap[4] > 0 ? heap[0] / heap[4] : 0, heap[4], heap[2],
                        heap[3]);
        std::fflush(stdout);
    }
}
