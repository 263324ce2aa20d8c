#include "core/dictionary/dictionary_file.h"

#include "core/dictionary/card_check.h"
#include "core/dictionary/in_place_order.h"
#include "core/dictionary/safe_save.h"

#include <QFile>
#include <QFileInfo>
#include <QSysInfo>
#include <QtEndian>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <numeric>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <utility>
#include <vector>

// Writing dictionary files.

namespace
{

// From this many cards on, a save builds its text on two threads.
constexpr size_t kSaveInPartsFrom = 20000;

// Builds the file's text in one string's own buffer, through a raw pointer:
// a file is made of millions of short pieces, and QString::append checks
// and calls into the library for every one of them. The text starts with
// the byte-order mark, so its UTF-16 memory is the file's bytes.
class TextWriter
{
public:
    explicit TextWriter(qsizetype cards)
    {
        // About what a card of a few words takes; a larger file grows the
        // buffer in place (realloc moves pages, not bytes).
        reserve(4096 + cards * 512);
    }

    // Builds the text of cards[order[from]] up to cards[order[to - 1]]: with
    // the start of the file when `from` is 0, with its end when `to` is the
    // last. The cards are sorted by lesson, so a part from the middle goes
    // on with the lesson of the card before it, if that one has a lesson.
    QString build(const CardStore &cards, const std::vector<int> &order, size_t from, size_t to)
    {
        if (from == 0) {
            put(u"\xFEFF<?xml version=\"1.0\" encoding=\"Unicode\" standalone = \"yes\"?>\r\n"
                u"<!DOCTYPE words [\r\n"
                u"<!ELEMENT lesson (w+)>\r\n"
                u"<!ELEMENT w (f?,r?,c)>\r\n"
                u"]>\r\n"
                u"\r\n"
                u"<words>\r\n");
        }
        // A store holds each lesson name once: the same lesson is the same
        // index.
        const quint32 none = ~quint32(0);
        quint32 lesson = none;
        if (from > 0 && !cards.view(order[from - 1]).lesson().isEmpty())
            lesson = cards.record(order[from - 1]).lesson;
        for (size_t pos = from; pos < to; ++pos) {
            if (pos + 4 < to)
                __builtin_prefetch(cards.words(cards.record(order[pos + 4])));
            const CardView c = cards.view(order[pos]);
            const quint32 l = c.record().lesson;
            if (lesson != none ? l != lesson : !c.lesson().isEmpty()) {
                if (lesson != none)
                    put(u"</lesson>\r\n");
                lesson = l;
                put(u"<lesson n=\"");
                escape(c.lesson());
                put(u"\">\r\n");
            }
            writeCard(c);
        }
        if (to == order.size()) {
            if (lesson != none)
                put(u"</lesson>\r\n");
            put(u"</words>");
        }
        m_out.resize(m_p - begin());
        return std::move(m_out);
    }

private:
    char16_t *begin() { return reinterpret_cast<char16_t *>(m_out.data()); }

    void reserve(qsizetype capacity)
    {
        const qsizetype used = m_out.isEmpty() ? 0 : m_p - begin();
        m_out.resize(capacity);
        m_p = begin() + used;
        m_end = begin() + capacity;
    }

    Q_ALWAYS_INLINE void put(const char16_t *s, qsizetype n)
    {
        // An empty string's data may be null, which memcpy must not get.
        if (n == 0)
            return;
        if (m_end - m_p < n)
            reserve(std::max<qsizetype>((m_p - begin()) + n, (m_end - begin()) * 5 / 4));
        std::memcpy(m_p, s, size_t(n) * sizeof(char16_t));
        m_p += n;
    }
    template <size_t N> Q_ALWAYS_INLINE void put(const char16_t (&literal)[N])
    {
        put(literal, qsizetype(N - 1));
    }
    void put(QStringView v) { put(v.utf16(), v.size()); }

    void number(int v)
    {
        char16_t buf[12];
        char16_t *end = buf + 12, *p = end;
        // Unsigned so that INT_MIN negates too.
        unsigned u = v < 0 ? 0u - unsigned(v) : unsigned(v);
        do {
            *--p = char16_t(u'0' + u % 10);
            u /= 10;
        } while (u);
        if (v < 0)
            *--p = u'-';
        put(p, end - p);
    }

    // Every value goes back to the reader unchanged: markup characters as
    // entities, white space controls as character references (the parser
    // would turn raw ones into blanks). Characters XML cannot hold at all
    // never get here: the save refuses such cards first.
    void escape(QStringView v)
    {
        const char16_t *run = v.utf16();
        const char16_t *end = run + v.size();
        for (const char16_t *p = run; p < end; ++p) {
            const char16_t c = *p;
            if (c > u'>')
                continue;
            QStringView rep;
            switch (c) {
            case u'&':
                rep = u"&amp;";
                break;
            case u'<':
                rep = u"&lt;";
                break;
            case u'>':
                rep = u"&gt;";
                break;
            case u'"':
                rep = u"&quot;";
                break;
            case u'\n':
                rep = u"&#10;";
                break;
            case u'\r':
                rep = u"&#13;";
                break;
            case u'\t':
                rep = u"&#9;";
                break;
            default:
                continue;
            }
            put(run, p - run);
            put(rep);
            run = p + 1;
        }
        put(run, end - run);
    }

    void writeCard(const CardView &view)
    {
        const CardRecord &c = view.record();
        put(u"<w nPER=\"");
        number(c.nPER);
        put(u"\" pER=\"");
        number(c.pER);
        put(u"\" rER=\"");
        number(c.rER);
        put(u"\" nPRE=\"");
        number(c.nPRE);
        put(u"\" pRE=\"");
        number(c.pRE);
        put(u"\" rRE=\"");
        number(c.rRE);
        put(u"\" aRE=\"");
        number(c.aRE);
        put(u"\" aER=\"");
        number(c.aER);
        put(c.nAr ? u"\" nAr=\"1\">\r\n<f>\r\n" : u"\" nAr=\"0\">\r\n<f>\r\n");
        // The words in the order they are stored: the sound first, written last.
        CardWordsReader r(view.words());
        const QStringView sound = r.string();
        for (quint32 n = r.count(); n > 0; --n) {
            const bool check = r.flag();
            put(u"<fw w=\"");
            escape(r.string());
            put(u"\" tr=\"");
            escape(r.string());
            put(check ? u"\" aChk=\"t\"/>\r\n" : u"\" aChk=\"f\"/>\r\n");
        }
        put(u"</f>\r\n<r>\r\n");
        for (quint32 s = r.count(); s > 0; --s) {
            put(u"<rw c=\"");
            escape(r.string());
            put(u"\">\r\n");
            for (quint32 g = r.count(); g > 0; --g) {
                put(u"<ss>\r\n");
                for (quint32 k = r.count(); k > 0; --k) {
                    put(u"<wv w=\"");
                    escape(r.string());
                    put(u"\" i=\"");
                    escape(r.string());
                    put(u"\"/>\r\n");
                }
                put(u"</ss>\r\n");
            }
            put(u"</rw>\r\n");
        }
        put(u"</r>\r\n<c n=\"");
        for (quint32 n = r.count(); n > 0; --n) {
            escape(r.string());
            put(u";");
        }
        put(u"\"/>\r\n");
        if (!sound.isEmpty()) {
            put(u"<v p=\"");
            escape(sound);
            put(u"\"/>\r\n");
        }
        put(u"</w>\r\n");
    }

    QString m_out;
    char16_t *m_p = nullptr;
    char16_t *m_end = nullptr;
};

// The file's bytes: the text's own memory where that is UTF-16 LE already.
// The returned array then borrows `text`, which must outlive it.
QByteArray fileBytes(const QString &text)
{
    if constexpr (QSysInfo::ByteOrder == QSysInfo::LittleEndian) {
        return QByteArray::fromRawData(reinterpret_cast<const char *>(text.utf16()),
                                       text.size() * qsizetype(sizeof(char16_t)));
    } else {
        QByteArray bytes(text.size() * qsizetype(sizeof(char16_t)), Qt::Uninitialized);
        qToLittleEndian<char16_t>(text.utf16(), text.size(), bytes.data());
        return bytes;
    }
}

const QString kNotChanged = QStringLiteral("\nФайл на диске не изменён");

// Keeps the bytes of the file as it was before this run's first overwrite.
// The copy is writable by its owner whatever the file's rights, so it never
// stands in the way of a later save; an older copy is replaced even when it
// is read-only, and a link in its place is replaced, never followed.
// Returns the warning to show when no copy could be kept.
QString keepBackup(const QString &path)
{
    const QString bakPath = path + QStringLiteral(".bak");
    QString error;
    bool kept = false;
    // With the checks of an open: what stands at the name by now may be a
    // pipe, which would hold the save for good.
    const int fd = openDictionaryForReading(path, &error);
    QFile old;
    if (fd >= 0 && !old.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        error = old.errorString();
    } else if (fd >= 0) {
        const QByteArray bytes = old.readAll();
        if (old.error() != QFileDevice::NoError) {
            error = old.errorString();
        } else {
            SaveOptions options;
            struct stat st;
            options.permissions =
                (::fstat(fd, &st) == 0 ? int(st.st_mode & 07777) : 0644) | int(S_IRUSR | S_IWUSR);
            options.replaceReadOnly = true;
            // Anyone who may write the folder could have put a link there:
            // it is replaced by the copy, never written through.
            options.followLink = false;
            kept = saveFileAtomically(bakPath, bytes, &error, nullptr, options);
        }
    }
    if (kept)
        return QString();
    return QStringLiteral("Файл\n") + path +
           QStringLiteral("\nсохранён, но его резервную копию\n") + bakPath +
           QStringLiteral("\nсохранить не удалось:\n") + error +
           QStringLiteral("\nПрежняя версия файла не сохранена. Чтобы копия сохранялась, "
                          "разрешите запись в папку или удалите старую копию.");
}

} // namespace

QByteArray dictionaryFileBytes(const QList<Card> &cardsSortedByLesson)
{
    const CardStore store = CardStore::fromCards(cardsSortedByLesson);
    std::vector<int> order(size_t(store.size()));
    std::iota(order.begin(), order.end(), 0);
    const QString text = TextWriter(store.size()).build(store, order, 0, order.size());
    QByteArray bytes = fileBytes(text);
    bytes.detach(); // a copy of its own: the text goes away here
    return bytes;
}

WriteOutcome writeDictionaryCards(const QList<Card> &cards, const std::vector<int> *positions,
                                  const QString &path, const StringSet &categoryList,
                                  QSet<QString> *backedUp)
{
    return writeDictionaryCards(CardStore::fromCards(cards), positions, path, categoryList,
                                backedUp);
}

WriteOutcome writeDictionaryCards(const CardStore &cards, const std::vector<int> *positions,
                                  const QString &path, const StringSet &categoryList,
                                  QSet<QString> *backedUp)
{
    WriteOutcome out;
    if (path.isEmpty()) {
        out.message =
            QStringLiteral("Ошибка программы\nВ функцию сохранения передано пустое имя файла");
        return out;
    }
    if (cards.isEmpty() || (positions && positions->empty())) {
        out.message = QStringLiteral(
            "Ошибка программы\nВ функцию сохранения передан пустой контейнер карточек");
        return out;
    }

    // Only the order is sorted; the cards are read, never written: the list
    // may be shared with the dictionary, and a write would copy every card.
    std::vector<int> order;
    if (positions) {
        order = *positions;
    } else {
        order.resize(size_t(cards.size()));
        std::iota(order.begin(), order.end(), 0);
    }
    Q_ASSERT(std::all_of(order.cbegin(), order.cend(),
                         [&](int p) { return p >= 0 && p < cards.size(); }));
    // Lessons compared by rank, found once per lesson name.
    std::vector<quint32> rankOf;
    {
        std::vector<quint32> names;
        for (int p : order) {
            const quint32 l = cards.record(p).lesson;
            if (l >= rankOf.size())
                rankOf.resize(size_t(l) + 1, ~quint32(0));
            if (rankOf[l] == ~quint32(0)) {
                rankOf[l] = 0;
                names.push_back(l);
            }
        }
        std::sort(names.begin(), names.end(),
                  [&](quint32 a, quint32 b) { return cards.name(a) < cards.name(b); });
        for (size_t i = 0; i < names.size(); ++i)
            rankOf[names[i]] = quint32(i);
    }
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        return rankOf[cards.record(a).lesson] < rankOf[cards.record(b).lesson];
    });

    // Checking the cards and building the text are apart until the first
    // byte is written: a large save does them on two threads at once, the
    // text in two halves. Only sorted by lesson, the halves join exactly.
    // Both threads only read `cards` and `order`.
    const size_t middle = order.size() >= kSaveInPartsFrom ? order.size() / 2 : order.size();
    QString tail;
    bool tailBuilt = true;
    std::thread worker;
    if (middle < order.size()) {
        worker = std::thread([&cards, &order, middle, &tail, &tailBuilt] {
            try {
                tail = TextWriter(qsizetype(order.size() - middle))
                           .build(cards, order, middle, order.size());
            } catch (...) {
                tailBuilt = false; // out of memory: built again below, where it is reported
            }
        });
    }
    struct Joiner {
        std::thread &t;
        ~Joiner()
        {
            if (t.joinable())
                t.join();
        }
    } joiner{worker};

    // A card the reader would change or drop must not be saved as if it
    // were whole: the user is told which one and why, and nothing is written.
    CardFileChecker checker(categoryList);
    for (int i : order) {
        const Card card = cards.card(i);
        const QString problem = checker.problem(card);
        if (!problem.isEmpty()) {
            out.message = QStringLiteral("Невозможно сохранить файл\n") + path + QLatin1Char('\n') +
                          cardTitle(card) + QStringLiteral(":\n") + problem +
                          QStringLiteral("\nИсправьте карточку и сохраните снова") + kNotChanged;
            return out;
        }
    }
    QString head = TextWriter(qsizetype(middle)).build(cards, order, 0, middle);
    if (worker.joinable())
        worker.join();
    if (!tailBuilt)
        tail =
            TextWriter(qsizetype(order.size() - middle)).build(cards, order, middle, order.size());

    const QFileInfo info(path);
    const QString key = info.absoluteFilePath();
    const bool existed = info.exists();
    SaveOptions options;
    if (backedUp && existed && !backedUp->contains(key)) {
        // Only once the new bytes are safely beside the file: a save that
        // cannot go on leaves no copy behind.
        options.beforeReplace = [&] {
            const QString warning = keepBackup(path);
            if (!warning.isEmpty())
                out.warnings.append(warning);
        };
    }

    // Never written in place: a failure at any step leaves the old file whole.
    QString error;
    SaveStep step = SaveStep::None;
    const bool saved =
        saveFileAtomically(path, {fileBytes(head), fileBytes(tail)}, &error, &step, options);
    // The text is as large as the file: gone before the caller moves the cards.
    head = QString();
    tail = QString();
    if (!saved) {
        out.warnings.clear();
        switch (step) {
        case SaveStep::Open:
            std::printf("Could not open file. Error: %s\n", qPrintable(error));
            std::fflush(stdout);
            out.message =
                QStringLiteral("Невозможно открыть файл\n") + path + QLatin1Char('\n') + error;
            break;
        case SaveStep::Write:
            out.message = QStringLiteral("Ошибка записи в файл\n") + path + QLatin1Char('\n') +
                          error + kNotChanged;
            break;
        default:
            out.message = QStringLiteral("Ошибка сохранения файла\n") + path + QLatin1Char('\n') +
                          error + kNotChanged;
            break;
        }
        return out;
    }
    // Once per file and program run, whether or not the copy could be kept:
    // a later save would only copy this run's own version.
    if (backedUp)
        backedUp->insert(key);

    out.order = std::move(order);
    out.ok = true;
    return out;
}

WriteOutcome writeDictionaryFile(QList<Card> &cards, const QString &path,
                                 const StringSet &categoryList, QSet<QString> *backedUp)
{
    WriteOutcome out =
        writeDictionaryCards(std::as_const(cards), nullptr, path, categoryList, backedUp);
    if (out.ok) {
        // Here, after the save, is where a list shared with another is copied.
        applyOrderInPlace(cards, out.order);
        for (Card &c : cards)
            c.filePath = path;
    }
    return out;
}
