#include "core/dictionary/dictionary_file.h"

#include "core/dictionary/safe_save.h"
#include "core/dictionary/xml_fast_reader.h"
#include "core/markup/markup.h"

#include <QFile>
#include <QStringDecoder>
#include <QSysInfo>
#include <QXmlStreamReader>

#include <algorithm>
#include <atomic>
#include <thread>
#ifdef __GLIBC__
#include <malloc.h>
#endif
#include <cerrno>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

// Reading dictionary files; writing them is in dictionary_file_write.cpp.

namespace
{

// Qt's own text of a failed read is English; the reason in Russian.
QString readErrorText(const QFileDevice &file)
{
    if (file.error() == QFileDevice::ReadError)
        return QStringLiteral("Ошибка чтения файла");
    if (file.error() == QFileDevice::ResourceError)
        return QStringLiteral("Не хватает памяти или других ресурсов системы для чтения файла");
    return QStringLiteral("Не удалось прочитать файл");
}

// What the reader gives: DictionaryReadResult with the cards already in a
// store, as the dictionary keeps them.
struct ReadParts {
    CardStore cards; // ids 0, file and lesson set
    StringSet lessons;
    QStringList warnings;
    bool refused = false;

    DictionaryReadResult result() &&
    {
        DictionaryReadResult r;
        r.cards = cards.cards();
        r.lessons = std::move(lessons);
        r.warnings = std::move(warnings);
        r.refused = refused;
        return r;
    }
};

ReadParts refusedResult(const QString &message)
{
    ReadParts r;
    r.refused = true;
    r.warnings.append(message);
    return r;
}

// QXmlStreamReader behind the calls Reader makes: reads every text, and its
// error message, line and column are what a refused file reports.
class QtXmlSource
{
public:
    explicit QtXmlSource(const QString &text) : m_xml(text)
    {
        // The prefixes of names like "a:b" are names, not namespaces.
        m_xml.setNamespaceProcessing(false);
    }

    bool readRootElement()
    {
        while (!m_xml.atEnd() && m_xml.readNext() != QXmlStreamReader::StartElement) {
        }
        return m_xml.isStartElement();
    }
    bool readNextStartElement() { return m_xml.readNextStartElement(); }
    void skipCurrentElement() { m_xml.skipCurrentElement(); }
    void readToEnd()
    {
        while (!m_xml.atEnd())
            m_xml.readNext();
    }
    // Stops the read when asked to: the rest reads as an error.
    void afterCard()
    {
        if (m_cancel && m_cancel->load(std::memory_order_relaxed))
            m_xml.raiseError();
    }
    void setCancel(const std::atomic<bool> *cancel) { m_cancel = cancel; }
    QStringView name() const { return m_xml.qualifiedName(); }
    template <class F> void forEachAttribute(F &&f) const
    {
        for (const QXmlStreamAttribute &a : m_xml.attributes())
            f(a.qualifiedName(), a.value());
    }
    // The views point into the reader's own buffer, valid until the next token.
    QStringView attribute(QLatin1String attrName) const
    {
        return m_xml.attributes().value(attrName);
    }

    bool hasError() const { return m_xml.hasError(); }
    QString errorMessage(const QString &path) const
    {
        return QStringLiteral("Ошибка разбора структуры файла %1\n%2\nСтрока: %3\nСимвол: %4")
            .arg(path, m_xml.errorString(), QString::number(m_xml.lineNumber()),
                 QString::number(m_xml.columnNumber()));
    }

private:
    QXmlStreamReader m_xml;
    const std::atomic<bool> *m_cancel = nullptr;
};

// The text of a dictionary file, held for the parse. What this program
// writes, UTF-16 LE with its mark, is already UTF-16 in memory on a
// little-endian machine: it is read straight into pages of its own, with no
// decoding and no second copy, and pages the parse has passed can be given
// back, so that a large file's text and its cards are not all in memory at
// once. Anything else is decoded by decodeDictionaryBytes.
class FileText
{
public:
    FileText() = default;
    FileText(const FileText &) = delete;
    FileText &operator=(const FileText &) = delete;
    ~FileText()
    {
        if (m_pages)
            ::munmap(m_pages, m_bytes);
    }

    // False when the file could not be read.
    bool read(QFile &file)
    {
        const qint64 size = file.size();
        const QByteArray head = file.peek(2);
        if (QSysInfo::ByteOrder != QSysInfo::LittleEndian || size < 2 || size % 2 != 0 ||
            head.size() != 2 || uchar(head[0]) != 0xFF || uchar(head[1]) != 0xFE ||
            file.isSequential())
            return decodeAll(file, QByteArray());
        void *pages = ::mmap(nullptr, size_t(size), PROT_READ | PROT_WRITE,
                             MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (pages == MAP_FAILED)
            return decodeAll(file, QByteArray());
        m_pages = static_cast<char16_t *>(pages);
        m_bytes = size_t(size);
        const qint64 got = file.read(reinterpret_cast<char *>(m_pages), size);
        if (got < 0)
            return false;
        if (got == size && file.atEnd()) {
            m_hash = hashFileBytes(reinterpret_cast<const char *>(m_pages), size);
            m_size = size;
            return true;
        }
        // The file grew or shrank while being read: decode whatever came.
        QByteArray first(reinterpret_cast<const char *>(m_pages), got);
        ::munmap(m_pages, m_bytes);
        m_pages = nullptr;
        return decodeAll(file, first);
    }

    QStringView view() const
    {
        return m_pages ? QStringView(m_pages + 1, qsizetype(m_bytes / 2) - 1)
                       : QStringView(m_decoded);
    }

    // Gives back the whole pages from `*cursor` up to `p`, which a part of
    // the parse has passed and will not look at again; `*cursor` moves on.
    // Parts read at once each keep their own cursor within their own text.
    // Only worth it for a large file.
    void release(const char16_t **cursor, const char16_t *p)
    {
        if (!m_pages || m_bytes < kReleaseFrom)
            return;
        const quintptr page = pageSize();
        const quintptr from = (quintptr(*cursor) + page - 1) & ~(page - 1);
        const quintptr to = quintptr(p) & ~(page - 1);
        if (to <= from)
            return;
        if (::madvise(reinterpret_cast<void *>(from), to - from, MADV_DONTNEED) == 0) {
            *cursor = reinterpret_cast<const char16_t *>(to);
            m_anyReleased = true;
        }
    }
    bool anyReleased() const { return m_anyReleased; }
    // Of the bytes as read, before any decoding.
    quint64 hash() const { return m_hash; }
    qint64 size() const { return m_size; }

    // The text as a string for QXmlStreamReader, which keeps its own copy;
    // this one is freed. Pages already given back are read from the file
    // again.
    bool takeString(const QString &path, QString *text, QString *error)
    {
        if (!m_pages) {
            *text = std::move(m_decoded);
            return true;
        }
        const bool whole = !m_anyReleased;
        if (whole)
            *text = view().toString();
        ::munmap(m_pages, m_bytes);
        m_pages = nullptr;
        if (whole)
            return true;
        // Opened again with the same checks: the name may stand for
        // another file by now.
        const int fd = openDictionaryForReading(path, error);
        if (fd < 0)
            return false;
        QFile file;
        if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
            ::close(fd);
            *error = readErrorText(file);
            return false;
        }
        if (!decodeAll(file, QByteArray())) {
            *error = readErrorText(file);
            return false;
        }
        *text = std::move(m_decoded);
        return true;
    }

private:
    static constexpr size_t kReleaseFrom = 16 << 20;

    static quintptr pageSize()
    {
        static const quintptr size = quintptr(::sysconf(_SC_PAGESIZE));
        return size;
    }

    bool decodeAll(QFile &file, QByteArray first)
    {
        first += file.readAll();
        if (file.error() != QFileDevice::NoError)
            return false;
        m_hash = hashFileBytes(first.constData(), first.size());
        m_size = first.size();
        m_decoded = decodeDictionaryBytes(first);
        return true;
    }

    char16_t *m_pages = nullptr; // the raw file, mark included
    size_t m_bytes = 0;
    std::atomic<bool> m_anyReleased{false};
    QString m_decoded;
    quint64 m_hash = 0;
    qint64 m_size = -1;
};

// The fast reader behind the same calls. When it gives up, the result is
// thrown away and the text is read again with QtXmlSource. Given the file's
// text, it gives back the pages behind it every few megabytes.
class FastXmlSource : public FastXmlReader
{
public:
    explicit FastXmlSource(QStringView text, FileText *owner = nullptr)
        : FastXmlReader(text), m_owner(owner), m_cursor(text.utf16()), m_lastRelease(text.utf16())
    {
    }
    FastXmlSource(QStringView text, Part part, FileText *owner)
        : FastXmlReader(text, part, QLatin1String("words")), m_owner(owner), m_cursor(text.utf16()),
          m_lastRelease(text.utf16())
    {
    }
    bool hasError() const { return gaveUp(); }
    QString errorMessage(const QString &) const { return QString(); }
    void afterCard()
    {
        if (m_cancel && m_cancel->load(std::memory_order_relaxed))
            stop();
        if (m_owner && position() - m_lastRelease >= kReleaseStep) {
            m_owner->release(&m_cursor, keepFrom());
            m_lastRelease = position();
        }
    }
    // Stops the read when asked to, as if the reader gave up.
    void setCancel(const std::atomic<bool> *cancel) { m_cancel = cancel; }

private:
    static constexpr qsizetype kReleaseStep = 2 << 20; // code units

    FileText *m_owner;
    const std::atomic<bool> *m_cancel = nullptr;
    const char16_t *m_cursor; // pages before it were given back
    const char16_t *m_lastRelease;
};

// The rules of the format, in one pass over the elements, whichever reader
// gives them. Every element the format does not look into is skipped whole,
// so its children give no messages; the warnings come out in document order.
template <class Source> class Reader
{
public:
    Reader(Source &source, const QString &path, const StringSet &categoryList)
        : m_xml(source), m_path(path), m_categories(categoryList),
          m_structure(QStringLiteral("Ошибка разбора структуры файла\n") + path),
          m_inFile(QStringLiteral("В файле\n") + path)
    {
    }

    ReadParts run()
    {
        bool wrongRoot = false;
        if (m_xml.readRootElement()) {
            if (nameIs("words"))
                readWords();
            else
                wrongRoot = true;
        }
        // A fault anywhere refuses the whole file, so read on to the end.
        m_xml.readToEnd();
        if (m_xml.hasError())
            return refusedResult(m_xml.errorMessage(m_path));
        if (wrongRoot)
            return refusedResult(m_structure +
                                 QStringLiteral("\nКорневой элемент не имеет имя words"));
        return std::move(m_result);
    }

    // The tail part of a text split in two: from right after <words> on.
    ReadParts runInsideRoot()
    {
        readWords();
        m_xml.readToEnd();
        return std::move(m_result);
    }

private:
    QStringView name() const { return m_xml.name(); }
    bool nameIs(const char *n) const { return equalsAscii(name(), QLatin1String(n)); }
    QStringView attr(const char *attrName) const
    {
        return m_xml.attribute(QLatin1String(attrName));
    }
    void warnStructure(const QString &tail) { m_result.warnings.append(m_structure + tail); }
    void warnUnknown(const QString &where)
    {
        m_result.warnings.append(m_inFile + where + name().toString() + QLatin1Char('>'));
    }
    // Leaves the current element and everything after it up to its parent's end.
    void skipRestOfParent()
    {
        m_xml.skipCurrentElement();
        while (m_xml.readNextStartElement())
            m_xml.skipCurrentElement();
    }

    void readWords()
    {
        while (m_xml.readNextStartElement()) {
            if (nameIs("lesson")) {
                readLesson();
            } else {
                warnStructure(QStringLiteral("\nВстречен не элемент <lesson>"));
                m_xml.skipCurrentElement();
            }
        }
    }

    void readLesson()
    {
        const QString lesson = attr("n").toString().simplified();
        const quint32 lessonIndex = m_result.cards.internName(lesson);
        bool counted = false;
        while (m_xml.readNextStartElement()) {
            if (lesson.isEmpty()) {
                warnStructure(QStringLiteral("\nУ элемента <lesson> отсутствует атрибут \"n\" "
                                             "или его значение пусто"));
                skipRestOfParent();
                return;
            }
            // Once per lesson, not per card: the set compares strings.
            if (!counted) {
                m_result.lessons.insert(lesson);
                counted = true;
            }
            readCard(lessonIndex);
            m_xml.afterCard();
        }
    }

    static int number(QStringView text, int fallback)
    {
        // Up to nine plain digits, as the writer puts them, need not go
        // through the general parser and cannot overflow.
        const bool negative = text.startsWith(u'-');
        const QStringView digits = text.mid(negative ? 1 : 0);
        if (!digits.isEmpty() && digits.size() <= 9) {
            int v = 0;
            for (const QChar c : digits) {
                if (c < u'0' || c > u'9') {
                    v = -1;
                    break;
                }
                v = v * 10 + (c.unicode() - u'0');
            }
            if (v >= 0)
                return negative ? -v : v;
        }
        bool ok = false;
        const int v = text.toInt(&ok, 10);
        return ok ? v : fallback;
    }

    enum Counter { NPER, PER, RER, AER, NPRE, PRE, RRE, ARE, NAR, kCounterCount };

    // Which counter of <w> an attribute name is, or -1.
    static int counterIndex(QStringView name)
    {
        static const QLatin1String names[kCounterCount] = {
            QLatin1String("nPER"), QLatin1String("pER"),  QLatin1String("rER"),
            QLatin1String("aER"),  QLatin1String("nPRE"), QLatin1String("pRE"),
            QLatin1String("rRE"),  QLatin1String("aRE"),  QLatin1String("nAr")};
        if (name.size() < 3 || name.size() > 4)
            return -1;
        for (int k = 0; k < kCounterCount; ++k)
            if (equalsAscii(name, names[k]))
                return k;
        return -1;
    }

    void readCard(quint32 lesson)
    {
        if (!nameIs("w")) {
            warnStructure(QStringLiteral("\nВнутри элемента <lesson> встречен не элемент <w>"));
            m_xml.skipCurrentElement();
            return;
        }
        CardRecord card;
        card.file = m_file;
        card.lesson = lesson;
        // The nine counters in one pass over the tag's attributes.
        QStringView values[kCounterCount];
        m_xml.forEachAttribute([&values](QStringView name, QStringView value) {
            const int k = counterIndex(name);
            if (k >= 0)
                values[k] = value;
        });
        card.nPER = number(values[NPER], 1);
        card.pER = number(values[PER], card.nPER);
        card.rER = number(values[RER], 0);
        card.aER = number(values[AER], 0);
        card.nPRE = number(values[NPRE], 1);
        card.pRE = number(values[PRE], card.nPRE);
        card.rRE = number(values[RRE], 0);
        card.aRE = number(values[ARE], 0);
        card.nAr = number(values[NAR], 1) != 0;

        // The words are packed as they come, each part apart, and joined in
        // the store's order at the end.
        using namespace CardWordsWriter;
        m_sound.clear();
        m_foreign.clear();
        m_translations.clear();
        m_categoryWords.clear();
        putCount(m_foreign, 0);
        putCount(m_translations, 0);
        putCount(m_categoryWords, 0);
        m_soundText.clear();
        bool haveF = false, haveR = false, haveC = false;
        quint32 foreignCount = 0, categoryCount = 0;
        while (m_xml.readNextStartElement()) {
            if (nameIs("f") && !haveF) {
                haveF = true;
                foreignCount = readForeign();
            } else if (nameIs("r") && !haveR) {
                haveR = true;
                readTranslations();
            } else if (nameIs("c") && !haveC) {
                haveC = true;
                categoryCount = readCategories();
                m_xml.skipCurrentElement();
            } else if (nameIs("v")) {
                // The last one counts, even without a path; copied now, as
                // the view lasts only until the next element.
                const QStringView sound = attr("p");
                m_soundText.assign(sound.utf16(), sound.utf16() + sound.size());
                m_xml.skipCurrentElement();
            } else {
                warnUnknown(QStringLiteral("\nВнутри элемента <w> встречен неизвестный элемент <"));
                m_xml.skipCurrentElement();
            }
        }
        if (foreignCount == 0 || categoryCount == 0)
            return;
        putString(m_sound, QStringView(m_soundText.data(), qsizetype(m_soundText.size())));
        m_result.cards.appendPacked(card,
                                    {&m_sound, &m_foreign, &m_translations, &m_categoryWords});
    }

    // Packs the foreign words into m_foreign; returns how many.
    quint32 readForeign()
    {
        using namespace CardWordsWriter;
        m_foreign.clear();
        const size_t at = placeholder(m_foreign);
        quint32 n = 0;
        while (m_xml.readNextStartElement()) {
            if (nameIs("fw")) {
                const QStringView word = attr("w");
                if (!word.isEmpty()) {
                    m_foreign.push_back(attr("aChk") == u"t" ? u'\1' : u'\0');
                    putString(m_foreign, word);
                    putString(m_foreign, attr("tr"));
                    ++n;
                }
            } else {
                warnUnknown(QStringLiteral("\nВнутри элемента <f> встречен неизвестный элемент <"));
            }
            m_xml.skipCurrentElement();
        }
        setCount(m_foreign, at, n);
        return n;
    }

    // The known codes and categories met so far, so that the cards share one
    // copy of each and the common case needs no allocation. Both lists stay
    // short: only known values enter, and there are few of them.
    static bool cached(const QList<QString> &cache, QStringView value, QString *out)
    {
        for (const QString &s : cache) {
            if (s == value) {
                *out = s;
                return true;
            }
        }
        return false;
    }

    bool knownCode(QStringView code, QString *out)
    {
        if (cached(m_codes, code, out))
            return true;
        QString s = code.toString();
        if (!isKnownSectionCode(s))
            return false;
        m_codes.append(s);
        *out = std::move(s);
        return true;
    }

    bool knownCategory(QStringView piece, QString *out)
    {
        if (cached(m_knownCategories, piece, out))
            return true;
        const auto it = m_categories.find(piece.toString());
        if (it == m_categories.end())
            return false;
        if (m_knownCategories.size() < 64)
            m_knownCategories.append(*it);
        *out = *it;
        return true;
    }

    // Packs the known sections with their non-empty groups into
    // m_translations.
    void readTranslations()
    {
        using namespace CardWordsWriter;
        std::vector<char16_t> &out = m_translations;
        out.clear();
        const size_t sectionsAt = placeholder(out);
        quint32 sections = 0;
        while (m_xml.readNextStartElement()) {
            if (!nameIs("rw")) {
                warnUnknown(QStringLiteral("\nВнутри элемента <r> встречен неизвестный элемент <"));
                m_xml.skipCurrentElement();
                continue;
            }
            const QStringView code = attr("c");
            QString known;
            if (!knownCode(code, &known)) {
                m_result.warnings.append(
                    m_inFile +
                    QStringLiteral("\nВ элементе <rw> указано имя раздела отсутствующее в "
                                   "списке: [") +
                    code.toString() + QStringLiteral("]\nИли это имя пустое"));
                m_xml.skipCurrentElement();
                continue;
            }
            const size_t sectionStart = out.size();
            putString(out, known);
            const size_t groupsAt = placeholder(out);
            quint32 groups = 0;
            while (m_xml.readNextStartElement()) {
                if (!nameIs("ss")) {
                    warnUnknown(QStringLiteral("\nВ элементе <rw> встречен неизвестный элемент <"));
                    m_xml.skipCurrentElement();
                    continue;
                }
                const size_t variantsAt = placeholder(out);
                quint32 variants = 0;
                while (m_xml.readNextStartElement()) {
                    if (nameIs("wv")) {
                        const QStringView word = attr("w");
                        if (!word.isEmpty()) {
                            putString(out, word);
                            putString(out, attr("i"));
                            ++variants;
                        }
                    } else {
                        warnUnknown(
                            QStringLiteral("\nВ элементе <ss> встречен неизвестный элемент <"));
                    }
                    m_xml.skipCurrentElement();
                }
                if (variants == 0) {
                    out.resize(variantsAt);
                } else {
                    setCount(out, variantsAt, variants);
                    ++groups;
                }
            }
            if (groups == 0) {
                out.resize(sectionStart);
            } else {
                setCount(out, groupsAt, groups);
                ++sections;
            }
        }
        setCount(out, sectionsAt, sections);
    }

    // Packs the known categories into m_categoryWords; returns how many.
    quint32 readCategories()
    {
        using namespace CardWordsWriter;
        m_categoryWords.clear();
        const size_t at = placeholder(m_categoryWords);
        const QStringView list = attr("n");
        if (list.isEmpty()) {
            m_result.warnings.append(
                m_inFile + QStringLiteral("\nДля элемента <c> атрибут \"список категорий\" пуст"));
            return 0;
        }
        quint32 n = 0;
        // Only pieces closed by ";" count; text after the last one is ignored.
        qsizetype start = 0;
        for (qsizetype end = list.indexOf(u';'); end >= 0;
             start = end + 1, end = list.indexOf(u';', start)) {
            const QStringView piece = list.mid(start, end - start);
            QString known;
            if (knownCategory(piece, &known)) {
                putString(m_categoryWords, known);
                ++n;
            } else {
                m_result.warnings.append(
                    m_inFile +
                    QStringLiteral("\nНайдена категория карточки отсутствующая в списке "
                                   "категорий: ") +
                    piece.toString() + QStringLiteral("\nИли строка категории пуста"));
            }
        }
        setCount(m_categoryWords, at, n);
        return n;
    }

    Source &m_xml;
    const QString &m_path;
    const StringSet &m_categories;
    const QString m_structure;
    const QString m_inFile;
    QList<QString> m_codes;
    QList<QString> m_knownCategories;
    // One card's words, packed as the store holds them (see CardStore).
    std::vector<char16_t> m_sound;
    std::vector<char16_t> m_foreign;
    std::vector<char16_t> m_translations;
    std::vector<char16_t> m_categoryWords;
    std::vector<char16_t> m_soundText;
    ReadParts m_result;
    const quint32 m_file = m_result.cards.internName(m_path);
};

} // namespace

namespace
{

// Where a text can be split for reading in two parts at once: the "<" of a
// <lesson> tag from the middle on; -1 when there is none.
qsizetype splitPoint(QStringView text)
{
    const QStringView tag = u"<lesson";
    for (qsizetype at = text.indexOf(tag, text.size() / 2); at >= 0;
         at = text.indexOf(tag, at + tag.size())) {
        const qsizetype next = at + tag.size();
        if (next < text.size()) {
            const char16_t c = text[next].unicode();
            if (c == u' ' || c == u'>' || c == u'/' || c == u'\t' || c == u'\n' || c == u'\r')
                return at;
        }
    }
    return -1;
}

// Reads the two parts on two threads. False when either part is not plain
// to the fast reader, or the split turned out not to lie right inside the
// root (say, in an element nested deeper): the text is then read whole.
// Every part of the format's rules is local to a lesson, so the parts'
// cards and messages, one after the other, are what a whole read gives.
bool readInTwoParts(QStringView text, qsizetype split, const QString &path,
                    const StringSet &categoryList, FileText *owner, const std::atomic<bool> *cancel,
                    ReadParts *out)
{
    ReadParts tail;
    bool tailRead = false;
    std::thread worker([&] {
        try {
            FastXmlSource source(text.mid(split), FastXmlReader::Part::Tail, owner);
            source.setCancel(cancel);
            tail = Reader<FastXmlSource>(source, path, categoryList).runInsideRoot();
            tailRead = !source.gaveUp();
        } catch (...) {
            tailRead = false; // out of memory: the whole read reports it
        }
    });
    ReadParts head;
    bool headRead = false;
    try {
        FastXmlSource source(text.left(split), FastXmlReader::Part::Head, owner);
        source.setCancel(cancel);
        head = Reader<FastXmlSource>(source, path, categoryList).run();
        headRead = !source.gaveUp() && source.splitReached() && !head.refused;
    } catch (...) {
        worker.join();
        throw;
    }
    worker.join();
    if (!headRead || !tailRead)
        return false;
    head.cards.take(std::move(tail.cards));
    head.warnings.append(tail.warnings);
    head.lessons.merge(tail.lessons);
    *out = std::move(head);
    return true;
}

// The fast reader over the whole text, in two parts at once when it is
// long enough. With `owner`, pages the parse has passed are given back;
// once any are, a text the parts could not read is not read again here.
// A cancel makes it give up.
bool readFast(QStringView text, const QString &path, const StringSet &categoryList, FileText *owner,
              qsizetype parallelFrom, ReadParts *out, const std::atomic<bool> *cancel = nullptr)
{
    if (text.size() >= parallelFrom) {
        const qsizetype split = splitPoint(text);
        if (split > 0 && readInTwoParts(text, split, path, categoryList, owner, cancel, out))
            return true;
        if ((owner && owner->anyReleased()) || (cancel && cancel->load()))
            return false;
    }
    FastXmlSource source(text, owner);
    source.setCancel(cancel);
    ReadParts r = Reader<FastXmlSource>(source, path, categoryList).run();
    if (source.gaveUp())
        return false;
    *out = std::move(r);
    return true;
}

} // namespace

bool parseDictionaryTextFast(QStringView text, const QString &path, const StringSet &categoryList,
                             DictionaryReadResult *out, qsizetype parallelFrom)
{
    ReadParts r;
    if (!readFast(text, path, categoryList, nullptr, parallelFrom, &r))
        return false;
    *out = std::move(r).result();
    return true;
}

DictionaryReadResult parseDictionaryTextGeneral(const QString &text, const QString &path,
                                                const StringSet &categoryList)
{
    QtXmlSource source(text);
    return Reader<QtXmlSource>(source, path, categoryList).run().result();
}

DictionaryReadResult parseDictionaryText(const QString &text, const QString &path,
                                         const StringSet &categoryList)
{
    DictionaryReadResult r;
    if (parseDictionaryTextFast(text, path, categoryList, &r))
        return r;
    return parseDictionaryTextGeneral(text, path, categoryList);
}

QString decodeDictionaryBytes(const QByteArray &bytes)
{
    const auto b = [&](int i) { return bytes.size() > i ? uchar(bytes[i]) : 0x100; };
    auto decode = [&](QStringConverter::Encoding e) -> QString {
        return QStringDecoder(e).decode(bytes);
    };
    // The decoders drop a leading byte-order mark themselves.
    if (b(0) == 0xFF && b(1) == 0xFE)
        return decode(QStringConverter::Utf16LE);
    if (b(0) == 0xFE && b(1) == 0xFF)
        return decode(QStringConverter::Utf16BE);
    // An XML text never starts with a NUL character, so a zero byte here means
    // UTF-16 written without its mark.
    if (b(0) != 0 && b(1) == 0)
        return decode(QStringConverter::Utf16LE);
    if (b(0) == 0 && b(1) != 0 && b(1) != 0x100)
        return decode(QStringConverter::Utf16BE);
    QStringDecoder utf8(QStringConverter::Utf8);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    // What this program writes; any other text gives the parser's error.
    return decode(QStringConverter::Utf16LE);
}

void setUpReadingHeaps()
{
#ifdef __GLIBC__
    mallopt(M_ARENA_MAX, 3);
#endif
}

int openDictionaryForReading(const QString &path, QString *error)
{
    // Non-blocking only for the open itself: a named pipe without a writer
    // would otherwise hold the program in open() for good.
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        switch (errno) {
        case ENOENT:
            *error = QStringLiteral("Файл не существует");
            break;
        case EACCES:
        case EPERM:
            *error = QStringLiteral("Нет прав на чтение (доступ запрещён)");
            break;
        default:
            *error = systemErrorText(errno);
            break;
        }
        return -1;
    }
    QString problem;
    struct stat st;
    if (::fstat(fd, &st) != 0) {
        problem = systemErrorText(errno);
    } else if (S_ISDIR(st.st_mode)) {
        problem = QStringLiteral("Это папка, а не файл");
    } else if (S_ISFIFO(st.st_mode)) {
        problem = QStringLiteral("Это именованный канал, а не файл: его чтение могло бы не "
                                 "закончиться никогда");
    } else if (S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode)) {
        problem = QStringLiteral("Это устройство, а не файл: его чтение могло бы не "
                                 "закончиться никогда");
    } else if (!S_ISREG(st.st_mode)) {
        problem = QStringLiteral("Это не обычный файл");
    } else if (st.st_size > kMaxDictionaryFileBytes) {
        const auto mb = [](qint64 bytes) { return QString::number((bytes + (1 << 20) - 1) >> 20); };
        problem = QStringLiteral("Файл слишком велик: %1 МБ, а файл словаря может занимать не "
                                 "больше %2 МБ")
                      .arg(mb(st.st_size), mb(kMaxDictionaryFileBytes));
    } else {
        const int flags = ::fcntl(fd, F_GETFL);
        if (flags == -1 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) == -1)
            problem = systemErrorText(errno);
    }
    if (!problem.isEmpty()) {
        ::close(fd);
        *error = problem;
        return -1;
    }
    return fd;
}

QString dictionaryOpenProblem(const QString &path)
{
    QString error;
    const int fd = openDictionaryForReading(path, &error);
    if (fd >= 0)
        ::close(fd);
    return error;
}

ReadOutcome readDictionaryFile(Dictionary &dict, const QString &path,
                               const std::atomic<bool> *cancel)
{
    ReadOutcome out;
    FileText text;
    {
        const int fd = openDictionaryForReading(path, &out.openError);
        if (fd < 0)
            return out;
        QFile file;
        if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
            ::close(fd);
            out.openError = readErrorText(file);
            return out;
        }
        const QDateTime modified = file.fileTime(QFileDevice::FileModificationTime);
        if (!text.read(file)) {
            out.openError = readErrorText(file);
            return out;
        }
        out.stamp.size = text.size();
        out.stamp.modified = modified;
        out.stamp.hash = text.hash();
    }
    ReadParts r;
    auto cancelled = [cancel] { return cancel && cancel->load(); };
    if (!readFast(text.view(), path, dict.categoryList(), &text, kParallelReadFrom, &r, cancel)) {
        QString general;
        if (cancelled()) {
            out.opened = true;
            return out;
        }
        if (!text.takeString(path, &general, &out.openError))
            return out;
        QtXmlSource source(general);
        source.setCancel(cancel);
        // The reader keeps its own copy of the text; two would cost a file's size.
        general = QString();
        r = Reader<QtXmlSource>(source, path, dict.categoryList()).run();
    }
    out.opened = true;
    if (cancelled())
        return out;
    out.warnings = std::move(r.warnings);
    if (r.cards.isEmpty()) {
        // A file that gives no card is not opened, so its lessons stay out.
        if (!r.refused)
            out.warnings.append(QStringLiteral("Из файла\n") + path +
                                QStringLiteral("\nНе было добавлено ни одной карточки"));
        return out;
    }
    dict.addCards(std::move(r.cards));
    for (const QString &lesson : r.lessons)
        dict.addLesson(lesson);
    out.added = true;
    return out;
}
