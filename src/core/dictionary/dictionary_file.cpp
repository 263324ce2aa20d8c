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
#include <condition_variable>
#include <cstring>
#include <deque>
#include <limits>
#include <memory>
#include <mutex>
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

// Anonymous pages holding a piece of a file's text as read. They grow with
// no copy (mremap), so a piece that must grow to find the end of a long
// lesson never needs twice its size; and pages a parse has passed can be
// given back, so that a large piece's text and its cards are not all in
// memory at once.
class PageBuffer
{
public:
    PageBuffer() = default;
    PageBuffer(const PageBuffer &) = delete;
    PageBuffer &operator=(const PageBuffer &) = delete;
    ~PageBuffer()
    {
        if (m_data)
            ::munmap(m_data, m_capacity);
    }

    // Room for at least `bytes`, keeping what is held; false when out of memory.
    bool reserve(size_t bytes)
    {
        if (bytes <= m_capacity)
            return true;
        bytes = (bytes + pageSize() - 1) & ~(pageSize() - 1);
        void *p = m_data ? ::mremap(m_data, m_capacity, bytes, MREMAP_MAYMOVE)
                         : ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE,
                                  MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (p == MAP_FAILED)
            return false;
        m_data = static_cast<char *>(p);
        m_capacity = bytes;
        return true;
    }
    char *data() const { return m_data; }
    size_t capacity() const { return m_capacity; }

    // Gives back the whole pages from `*cursor` up to `p`, which a parse has
    // passed and will not look at again; `*cursor` moves on. Only worth it
    // for a large piece.
    void release(const char16_t **cursor, const char16_t *p)
    {
        if (m_capacity < kReleaseFrom)
            return;
        const quintptr from = (quintptr(*cursor) + pageSize() - 1) & ~(pageSize() - 1);
        const quintptr to = quintptr(p) & ~(pageSize() - 1);
        if (to <= from)
            return;
        if (::madvise(reinterpret_cast<void *>(from), to - from, MADV_DONTNEED) == 0)
            *cursor = reinterpret_cast<const char16_t *>(to);
    }

private:
    static constexpr size_t kReleaseFrom = 16 << 20;

    static quintptr pageSize()
    {
        static const quintptr size = quintptr(::sysconf(_SC_PAGESIZE));
        return size;
    }

    char *m_data = nullptr;
    size_t m_capacity = 0;
};

// The fast reader behind the same calls. When it gives up, the result is
// thrown away and the text is read again with QtXmlSource. Given the pages
// holding the text, it gives back the ones behind it every few megabytes.
class FastXmlSource : public FastXmlReader
{
public:
    explicit FastXmlSource(QStringView text, PageBuffer *owner = nullptr)
        : FastXmlReader(text), m_owner(owner), m_cursor(text.utf16()), m_lastRelease(text.utf16())
    {
    }
    FastXmlSource(QStringView text, Part part, PageBuffer *owner)
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

    PageBuffer *m_owner;
    const std::atomic<bool> *m_cancel = nullptr;
    const char16_t *m_cursor; // pages before it were given back
    const char16_t *m_lastRelease;
};

// What every reader of the format shares: the rules for a card's counters,
// section codes and categories, and the card packed as the store holds it.
class CardPacker
{
public:
    CardPacker(const QString &path, const StringSet &categoryList)
        : m_path(path), m_categories(categoryList),
          m_structure(QStringLiteral("Ошибка разбора структуры файла\n") + path),
          m_inFile(QStringLiteral("В файле\n") + path)
    {
    }

protected:
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

    // The counters of <w> from its attributes' values, by Counter.
    static void setCounters(CardRecord &card, const QStringView (&values)[kCounterCount])
    {
        card.nPER = number(values[NPER], 1);
        card.pER = number(values[PER], card.nPER);
        card.rER = number(values[RER], 0);
        card.aER = number(values[AER], 0);
        card.nPRE = number(values[NPRE], 1);
        card.pRE = number(values[PRE], card.nPRE);
        card.rRE = number(values[RRE], 0);
        card.aRE = number(values[ARE], 0);
        card.nAr = number(values[NAR], 1) != 0;
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

    // Packs the known categories of a <c> element's list into
    // m_categoryWords; returns how many. Warns of the others, or with
    // `quiet` returns -1 at the first thing it would warn of.
    int packCategories(QStringView list, bool quiet)
    {
        using namespace CardWordsWriter;
        m_categoryWords.clear();
        const size_t at = placeholder(m_categoryWords);
        if (list.isEmpty()) {
            if (quiet)
                return -1;
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
            } else if (quiet) {
                return -1;
            } else {
                m_result.warnings.append(
                    m_inFile +
                    QStringLiteral("\nНайдена категория карточки отсутствующая в списке "
                                   "категорий: ") +
                    piece.toString() + QStringLiteral("\nИли строка категории пуста"));
            }
        }
        setCount(m_categoryWords, at, n);
        return int(n);
    }

    // Of m_translations, as <r> is packed: a group without a variant and a
    // section without a group are left out.
    void closeGroup(size_t variantsAt, quint32 variants, quint32 *groups)
    {
        if (variants == 0) {
            m_translations.resize(variantsAt);
        } else {
            CardWordsWriter::setCount(m_translations, variantsAt, variants);
            ++*groups;
        }
    }
    void closeSection(size_t sectionStart, size_t groupsAt, quint32 groups, quint32 *sections)
    {
        if (groups == 0) {
            m_translations.resize(sectionStart);
        } else {
            CardWordsWriter::setCount(m_translations, groupsAt, groups);
            ++*sections;
        }
    }

    // Before a card's words are packed.
    void startCard()
    {
        using namespace CardWordsWriter;
        m_sound.clear();
        m_foreign.clear();
        m_translations.clear();
        m_categoryWords.clear();
        putCount(m_foreign, 0);
        putCount(m_translations, 0);
        putCount(m_categoryWords, 0);
    }

    // Stores the card packed since startCard, unless it has no foreign word
    // or no known category: such a card is dropped without a word.
    void finishCard(const CardRecord &card, quint32 foreignCount, quint32 categoryCount,
                    QStringView sound)
    {
        if (foreignCount == 0 || categoryCount == 0)
            return;
        CardWordsWriter::putString(m_sound, sound);
        m_result.cards.appendPacked(card,
                                    {&m_sound, &m_foreign, &m_translations, &m_categoryWords});
    }

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
    ReadParts m_result;
    const quint32 m_file = m_result.cards.internName(m_path);
};

// The rules of the format, in one pass over the elements, whichever reader
// gives them. Every element the format does not look into is skipped whole,
// so its children give no messages; the warnings come out in document order.
template <class Source> class Reader : CardPacker
{
public:
    Reader(Source &source, const QString &path, const StringSet &categoryList)
        : CardPacker(path, categoryList), m_xml(source)
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

    // A middle or tail piece of a text cut into pieces: from right after
    // <words> on.
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
        setCounters(card, values);

        // The words are packed as they come, each part apart, and joined in
        // the store's order at the end.
        startCard();
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
        finishCard(card, foreignCount, categoryCount,
                   QStringView(m_soundText.data(), qsizetype(m_soundText.size())));
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
                closeGroup(variantsAt, variants, &groups);
            }
            closeSection(sectionStart, groupsAt, groups, &sections);
        }
        setCount(out, sectionsAt, sections);
    }

    quint32 readCategories() { return quint32(packCategories(attr("n"), false)); }

    Source &m_xml;
    std::vector<char16_t> m_soundText;
};

// Reads text laid out exactly as this program writes it (white space between
// tags aside), with no element-by-element parse: the markup is compared in
// place with what the writer puts, and each value is scanned once: the
// element reader's handling of each tag was most of a large file's open.
// At anything else, including anything that would give a warning, it gives
// up; the text is then read by Reader.
class LayoutReader : CardPacker
{
public:
    LayoutReader(QStringView text, const QString &path, const StringSet &categoryList,
                 PageBuffer *owner, const std::atomic<bool> *cancel)
        : CardPacker(path, categoryList), m_p(text.utf16()), m_end(text.utf16() + text.size()),
          m_owner(owner), m_cursor(m_p), m_lastRelease(m_p), m_cancel(cancel)
    {
    }

    // From the prolog on, whose root must be <words>; then as runInsideRoot.
    bool runFromProlog(bool toEnd, ReadParts *out)
    {
        FastXmlReader prolog(QStringView(m_p, m_end));
        if (!prolog.readRootElement() || !equalsAscii(prolog.name(), QLatin1String("words")) ||
            prolog.atEmptyElement())
            return false;
        m_p = prolog.position();
        return runInsideRoot(toEnd, out);
    }
    // From right after <words> on: to its end and the end of the text, or,
    // unless `toEnd`, to the end of the text with only the root open.
    bool runInsideRoot(bool toEnd, ReadParts *out)
    {
        for (;;) {
            skipSpace();
            if (m_p == m_end) {
                if (toEnd)
                    return false;
                break;
            }
            if (take(u"</words>")) {
                skipSpace();
                if (!toEnd || m_p != m_end)
                    return false;
                break;
            }
            if (!lesson())
                return false;
        }
        *out = std::move(m_result);
        return true;
    }

private:
    void skipSpace()
    {
        while (m_p != m_end && (*m_p == u'\r' || *m_p == u'\n' || *m_p == u' ' || *m_p == u'\t'))
            ++m_p;
    }
    template <size_t N> bool take(const char16_t (&literal)[N])
    {
        constexpr qsizetype n = qsizetype(N - 1);
        if (m_end - m_p < n || std::memcmp(m_p, literal, size_t(n) * 2) != 0)
            return false;
        m_p += n;
        return true;
    }
    // A value up to its closing quote, which is passed; references are
    // replaced as the element reader replaces them. White space controls,
    // which it turns into blanks, and anything not allowed give up.
    bool value(QStringView *out)
    {
        const char16_t *start = m_p;
        m_decodedLast = false;
        for (;;) {
            if (m_p == m_end)
                return false;
            const char16_t c = *m_p;
            if (c >= 0x20 && c < 0xD800 && c != u'"' && c != u'&' && c != u'<') {
                ++m_p;
            } else if (c == u'"') {
                break;
            } else if (c == u'&') {
                return decodedValue(start, out);
            } else if (c == u'<' || c < 0x20 || !skipOtherXmlCharacter(&m_p, m_end)) {
                return false;
            }
        }
        *out = QStringView(start, m_p);
        ++m_p;
        return true;
    }
    bool decodedValue(const char16_t *start, QStringView *out)
    {
        m_decodedLast = true;
        m_decoded.assign(start, m_p);
        for (;;) {
            if (m_p == m_end)
                return false;
            const char16_t c = *m_p;
            if (c >= 0x20 && c < 0xD800 && c != u'"' && c != u'&' && c != u'<') {
                m_decoded.push_back(c);
                ++m_p;
            } else if (c == u'"') {
                break;
            } else if (c == u'&') {
                char32_t v;
                if (!readXmlReference(&m_p, m_end, &v))
                    return false;
                if (QChar::requiresSurrogates(v)) {
                    m_decoded.push_back(QChar::highSurrogate(v));
                    m_decoded.push_back(QChar::lowSurrogate(v));
                } else {
                    m_decoded.push_back(char16_t(v));
                }
            } else {
                const char16_t *from = m_p;
                if (c == u'<' || c < 0x20 || !skipOtherXmlCharacter(&m_p, m_end))
                    return false;
                m_decoded.insert(m_decoded.end(), from, m_p);
            }
        }
        *out = QStringView(m_decoded.data(), qsizetype(m_decoded.size()));
        ++m_p;
        return true;
    }

    bool lesson()
    {
        QStringView name;
        if (!take(u"<lesson n=\"") || !value(&name) || !take(u">"))
            return false;
        const QString lesson = name.toString().simplified();
        if (lesson.isEmpty())
            return false;
        const quint32 index = m_result.cards.internName(lesson);
        skipSpace();
        if (!card(index)) // a lesson without cards warns of nothing, nor counts
            return false;
        m_result.lessons.insert(lesson);
        for (;;) {
            skipSpace();
            if (take(u"</lesson>"))
                return true;
            if (!card(index))
                return false;
        }
    }

    // A counter's attribute, as the writer puts it, into `*out`. Decoded
    // values share one buffer, so a counter written with a reference, which
    // the writer never does, gives up.
    template <size_t N> bool counter(const char16_t (&literal)[N], QStringView *out)
    {
        return take(literal) && value(out) && !m_decodedLast;
    }

    bool card(quint32 lesson)
    {
        CardRecord card;
        card.file = m_file;
        card.lesson = lesson;
        QStringView values[kCounterCount];
        if (!counter(u"<w nPER=\"", &values[NPER]) || !counter(u" pER=\"", &values[PER]) ||
            !counter(u" rER=\"", &values[RER]) || !counter(u" nPRE=\"", &values[NPRE]) ||
            !counter(u" pRE=\"", &values[PRE]) || !counter(u" rRE=\"", &values[RRE]) ||
            !counter(u" aRE=\"", &values[ARE]) || !counter(u" aER=\"", &values[AER]) ||
            !counter(u" nAr=\"", &values[NAR]) || !take(u">"))
            return false;
        setCounters(card, values);
        startCard();
        const quint32 foreign = foreignWords();
        skipSpace();
        if (foreign == ~0u || !translations())
            return false;
        skipSpace();
        QStringView list;
        if (!take(u"<c n=\"") || !value(&list) || !take(u"/>"))
            return false;
        const int categories = packCategories(list, true);
        if (categories < 0)
            return false;
        skipSpace();
        QStringView sound;
        if (take(u"<v p=\"")) {
            if (!value(&sound) || !take(u"/>"))
                return false;
            m_soundText.assign(sound.utf16(), sound.utf16() + sound.size());
            skipSpace();
        } else {
            m_soundText.clear();
        }
        if (!take(u"</w>"))
            return false;
        finishCard(card, foreign, quint32(categories),
                   QStringView(m_soundText.data(), qsizetype(m_soundText.size())));
        return afterCard();
    }

    // <f> and its words into m_foreign: how many, or ~0u to give up.
    quint32 foreignWords()
    {
        using namespace CardWordsWriter;
        skipSpace();
        if (!take(u"<f>"))
            return ~0u;
        m_foreign.clear();
        const size_t at = placeholder(m_foreign);
        quint32 n = 0;
        for (;;) {
            skipSpace();
            if (take(u"</f>"))
                break;
            QStringView v;
            if (!take(u"<fw w=\""))
                return ~0u;
            const size_t start = m_foreign.size();
            m_foreign.push_back(0); // the flag, known at the end of the tag
            if (!value(&v))
                return ~0u;
            const bool empty = v.isEmpty();
            putString(m_foreign, v);
            if (!take(u" tr=\"") || !value(&v))
                return ~0u;
            putString(m_foreign, v);
            if (take(u" aChk=\"t\"/>"))
                m_foreign[start] = u'\1';
            else if (!take(u" aChk=\"f\"/>"))
                return ~0u;
            if (empty) // the element reader skips a word-less entry
                m_foreign.resize(start);
            else
                ++n;
        }
        setCount(m_foreign, at, n);
        return n;
    }

    // <r> and its sections into m_translations, as the element reader packs
    // them: empty groups and sections left out.
    bool translations()
    {
        using namespace CardWordsWriter;
        if (!take(u"<r>"))
            return false;
        std::vector<char16_t> &out = m_translations;
        out.clear();
        const size_t sectionsAt = placeholder(out);
        quint32 sections = 0;
        for (;;) {
            skipSpace();
            if (take(u"</r>"))
                break;
            QStringView code;
            QString known;
            if (!take(u"<rw c=\"") || !value(&code) || !take(u">") || !knownCode(code, &known))
                return false;
            const size_t sectionStart = out.size();
            putString(out, known);
            const size_t groupsAt = placeholder(out);
            quint32 groups = 0;
            for (;;) {
                skipSpace();
                if (take(u"</rw>"))
                    break;
                if (!take(u"<ss>"))
                    return false;
                const size_t variantsAt = placeholder(out);
                quint32 variants = 0;
                for (;;) {
                    skipSpace();
                    if (take(u"</ss>"))
                        break;
                    QStringView v;
                    if (!take(u"<wv w=\""))
                        return false;
                    const size_t start = out.size();
                    if (!value(&v))
                        return false;
                    const bool empty = v.isEmpty();
                    putString(out, v);
                    if (!take(u" i=\"") || !value(&v) || !take(u"/>"))
                        return false;
                    putString(out, v);
                    if (empty)
                        out.resize(start);
                    else
                        ++variants;
                }
                closeGroup(variantsAt, variants, &groups);
            }
            closeSection(sectionStart, groupsAt, groups, &sections);
        }
        setCount(out, sectionsAt, sections);
        return true;
    }

    // Stops at a cancel; gives back the pages passed every few megabytes.
    bool afterCard()
    {
        if (m_cancel && m_cancel->load(std::memory_order_relaxed))
            return false;
        if (m_owner && m_p - m_lastRelease >= kReleaseStep) {
            m_owner->release(&m_cursor, m_p);
            m_lastRelease = m_p;
        }
        return true;
    }

    static constexpr qsizetype kReleaseStep = 2 << 20; // code units

    const char16_t *m_p;
    const char16_t *const m_end;
    PageBuffer *m_owner;
    const char16_t *m_cursor;
    const char16_t *m_lastRelease;
    const std::atomic<bool> *m_cancel;
    std::vector<char16_t> m_decoded; // the last value that had references
    bool m_decodedLast = false;
    std::vector<char16_t> m_soundText;
};

} // namespace

namespace
{

// Where a text may be cut into pieces: right before a <lesson> start tag.
bool lessonTagAt(QStringView text, qsizetype at)
{
    static constexpr char16_t tag[] = u"<lesson";
    constexpr qsizetype n = 7;
    if (at < 0 || text.size() - at <= n)
        return false;
    for (qsizetype i = 0; i < n; ++i)
        if (text[at + i] != tag[i])
            return false;
    const char16_t c = text[at + n].unicode();
    return c == u' ' || c == u'>' || c == u'/' || c == u'\t' || c == u'\n' || c == u'\r';
}

// The first cut at or after `from`, or -1.
qsizetype nextCut(QStringView text, qsizetype from)
{
    for (qsizetype at = text.indexOf(u"<lesson", from); at >= 0;
         at = text.indexOf(u"<lesson", at + 1))
        if (lessonTagAt(text, at))
            return at;
    return -1;
}

// The last cut after `after`, or -1.
qsizetype lastCut(QStringView text, qsizetype after)
{
    for (qsizetype at = text.size() - 1; at > after; --at)
        if (text[at] == u'<' && lessonTagAt(text, at))
            return at;
    return -1;
}

// A whole text, or where a piece of it lies.
enum class PieceKind { Whole, Head, Middle, Tail };

// Reads the pieces of a text, cut before <lesson> tags, on readingThreads()
// threads as they come, and joins their cards and messages in order. Every
// rule of the format is local to a lesson, so that is what reading the text
// whole gives.
// A piece the fast reader does not take, or a cut that turns out not to lie
// right inside the root (in an element nested deeper, say), fails the whole.
class PieceReader
{
public:
    PieceReader(const QString &path, const StringSet &categoryList, const std::atomic<bool> *cancel)
        : m_path(path), m_categories(categoryList), m_cancel(cancel)
    {
        m_free.reserve(m_bufferCount); // a worker must not throw giving one back
    }
    PieceReader(const PieceReader &) = delete;
    PieceReader &operator=(const PieceReader &) = delete;
    ~PieceReader()
    {
        {
            const std::lock_guard lock(m_mutex);
            m_failed = true;
            m_noMore = true;
        }
        m_changed.notify_all();
        for (std::thread &t : m_workers)
            t.join();
    }

    // Hands a piece over; `pages`, when given, hold its text and become free
    // once it is read. A single whole text is read by finish(), on this
    // thread. False once any piece failed: nothing more need come.
    bool add(QStringView text, PieceKind kind, PageBuffer *pages = nullptr)
    {
        {
            const std::lock_guard lock(m_mutex);
            if (m_failed)
                return false;
            m_pieces.push_back({text, kind, pages, {}});
        }
        if (kind != PieceKind::Whole && m_workers.empty()) {
            for (int i = 0; i < m_workerCount; ++i)
                m_workers.emplace_back([this] { work(); });
        }
        m_changed.notify_all();
        return true;
    }

    // Pages no piece holds, for the next piece's text; waits while all
    // buffers are in use, so a reader ahead of the parse holds no more
    // text than that. Null once any piece failed.
    PageBuffer *freeBuffer()
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [this] {
            return m_failed || !m_free.empty() || m_buffers.size() < m_bufferCount;
        });
        if (m_failed)
            return nullptr;
        if (!m_free.empty()) {
            PageBuffer *b = m_free.back();
            m_free.pop_back();
            return b;
        }
        m_buffers.push_back(std::make_unique<PageBuffer>());
        return m_buffers.back().get();
    }

    // Waits for every piece: false when any failed, else their result.
    bool finish(ReadParts *out)
    {
        {
            const std::lock_guard lock(m_mutex);
            m_noMore = true;
        }
        m_changed.notify_all();
        if (m_workers.empty())
            work();
        for (std::thread &t : m_workers)
            t.join();
        m_workers.clear();
        if (m_failed || m_pieces.empty())
            return false;
        // One allocation for all the records: grown piece by piece, they
        // were copied again and again into fresh pages.
        size_t records = 0;
        for (const Piece &piece : m_pieces)
            records += size_t(piece.result.cards.size());
        ReadParts all = std::move(m_pieces.front().result);
        all.cards.reserve(int(records));
        for (size_t i = 1; i < m_pieces.size(); ++i) {
            ReadParts &piece = m_pieces[i].result;
            all.cards.take(std::move(piece.cards));
            all.warnings.append(piece.warnings);
            all.lessons.merge(piece.lessons);
        }
        *out = std::move(all);
        return true;
    }

private:
    const int m_workerCount = readingThreads();
    // One per parsing thread, one waiting and one being filled.
    const size_t m_bufferCount = size_t(m_workerCount) + 2;

    struct Piece {
        QStringView text;
        PieceKind kind;
        PageBuffer *pages;
        ReadParts result;
    };

    void work()
    {
        std::unique_lock lock(m_mutex);
        for (;;) {
            m_changed.wait(lock,
                           [this] { return m_failed || m_next < m_pieces.size() || m_noMore; });
            if (m_failed || m_next == m_pieces.size())
                return;
            Piece &piece = m_pieces[m_next++];
            lock.unlock();
            const bool ok = read(piece);
            piece.result.cards.squeeze();
            lock.lock();
            if (!ok)
                m_failed = true;
            if (piece.pages)
                m_free.push_back(piece.pages);
            m_changed.notify_all();
        }
    }

    bool read(Piece &piece)
    {
        try {
            // Most files are laid out as this program writes them.
            LayoutReader layout(piece.text, m_path, m_categories, piece.pages, m_cancel);
            const bool prolog = piece.kind == PieceKind::Whole || piece.kind == PieceKind::Head;
            const bool toEnd = piece.kind == PieceKind::Whole || piece.kind == PieceKind::Tail;
            if (prolog ? layout.runFromProlog(toEnd, &piece.result)
                       : layout.runInsideRoot(toEnd, &piece.result))
                return true;
            if (m_cancel && m_cancel->load())
                return false;
            if (piece.kind == PieceKind::Whole) {
                FastXmlSource source(piece.text, piece.pages);
                source.setCancel(m_cancel);
                piece.result = Reader<FastXmlSource>(source, m_path, m_categories).run();
                return !source.gaveUp();
            }
            const auto part = piece.kind == PieceKind::Head     ? FastXmlReader::Part::Head
                              : piece.kind == PieceKind::Middle ? FastXmlReader::Part::Middle
                                                                : FastXmlReader::Part::Tail;
            FastXmlSource source(piece.text, part, piece.pages);
            source.setCancel(m_cancel);
            Reader<FastXmlSource> reader(source, m_path, m_categories);
            piece.result =
                part == FastXmlReader::Part::Head ? reader.run() : reader.runInsideRoot();
            return !source.gaveUp() && !piece.result.refused &&
                   (part == FastXmlReader::Part::Tail || source.splitReached());
        } catch (...) {
            return false; // out of memory: the general read reports it
        }
    }

    const QString &m_path;
    const StringSet &m_categories;
    const std::atomic<bool> *m_cancel;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<Piece> m_pieces; // in text order; a deque keeps them in place
    size_t m_next = 0;          // the first piece no thread has taken
    bool m_failed = false;
    bool m_noMore = false;
    std::vector<std::thread> m_workers;
    std::vector<std::unique_ptr<PageBuffer>> m_buffers;
    std::vector<PageBuffer *> m_free;
};

// The fast reader over a whole text in memory, cut into pieces of about
// `pieceUnits` (every lesson its own piece with 0). When the pieces cannot
// be read, the text is read again whole: a cut may lie where the pieces
// fail though the whole is plain. A cancel makes it give up.
bool readFast(QStringView text, const QString &path, const StringSet &categoryList,
              qsizetype pieceUnits, ReadParts *out, const std::atomic<bool> *cancel = nullptr)
{
    bool cut = false;
    {
        PieceReader pieces(path, categoryList, cancel);
        qsizetype from = 0;
        for (;;) {
            const qsizetype at = text.size() - from > std::max<qsizetype>(pieceUnits, 1)
                                     ? nextCut(text, from + std::max<qsizetype>(pieceUnits, 1))
                                     : -1;
            if (at < 0) {
                pieces.add(text.mid(from), cut ? PieceKind::Tail : PieceKind::Whole);
                break;
            }
            if (!pieces.add(text.mid(from, at - from), cut ? PieceKind::Middle : PieceKind::Head))
                break;
            cut = true;
            from = at;
        }
        if (pieces.finish(out))
            return true;
    }
    if (!cut || (cancel && cancel->load()))
        return false;
    return readFast(text, path, categoryList, std::numeric_limits<qsizetype>::max(), out, cancel);
}

QString tooLargeText(qint64 bytes)
{
    const auto mb = [](qint64 b) { return QString::number((b + (1 << 20) - 1) >> 20); };
    return QStringLiteral("Файл слишком велик: %1 МБ, а файл словаря может занимать не "
                          "больше %2 МБ")
        .arg(mb(bytes), mb(kMaxDictionaryFileBytes));
}

// Opens a dictionary file as openDictionaryForReading does, into `file`.
bool openForReading(const QString &path, QFile *file, QString *error)
{
    const int fd = openDictionaryForReading(path, error);
    if (fd < 0)
        return false;
    if (!file->open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        *error = readErrorText(*file);
        return false;
    }
    return true;
}

// Reads what is left of `file` whole and decodes it; the bytes stamp it.
bool readWholeText(QFile &file, QString *text, FileStamp *stamp, QString *error)
{
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        *error = readErrorText(file);
        return false;
    }
    stamp->size = bytes.size();
    stamp->hash = hashFileBytes(bytes.constData(), bytes.size());
    *text = decodeDictionaryBytes(bytes);
    return true;
}

// What this program writes, UTF-16 LE with its mark, is already UTF-16 in
// memory on a little-endian machine: such a file is read in pieces.
bool readableInPieces(QFile &file)
{
    const QByteArray head = file.peek(2);
    return QSysInfo::ByteOrder == QSysInfo::LittleEndian && !file.isSequential() &&
           head.size() == 2 && uchar(head[0]) == 0xFF && uchar(head[1]) == 0xFE;
}

enum class Streamed { Read, NotPlain, Failed };

// Reads a file of UTF-16 LE with its mark in pieces cut before <lesson>
// tags, each parsed on a worker while the next is read: the read overlaps
// the parse, and only the few pieces in hand are in memory at a time, never
// the whole text. NotPlain when the fast reader does not take every piece
// (the caller reads the file again whole) or the read is cancelled; Failed,
// with the reason, when the file cannot be read.
Streamed readInPieces(QFile &file, const QString &path, const StringSet &categoryList,
                      const std::atomic<bool> *cancel, size_t pieceBytes, ReadParts *out,
                      FileStamp *stamp, QString *error)
{
    const size_t step = std::min<size_t>(pieceBytes, 256 << 10); // the least read
    FileHasher hasher;
    qint64 total = 0;
    PieceReader pieces(path, categoryList, cancel);
    PageBuffer *buf = pieces.freeBuffer();
    size_t held = 0;          // bytes in buf
    size_t skip = 2;          // the mark, before the first piece's text
    size_t want = pieceBytes; // read on until buf holds this much
    qsizetype searched = 0;   // units of buf's text known to hold no cut
    bool cut = false;
    for (;;) {
        if (!buf || (cancel && cancel->load(std::memory_order_relaxed)))
            return Streamed::NotPlain;
        const size_t room = std::max(want, held + step);
        if (!buf->reserve(room))
            throw std::bad_alloc();
        const qint64 got = file.read(buf->data() + held, qint64(room - held));
        if (got < 0) {
            *error = readErrorText(file);
            return Streamed::Failed;
        }
        hasher.add(buf->data() + held, got);
        held += size_t(got);
        total += got;
        if (total > kMaxDictionaryFileBytes) {
            *error = tooLargeText(total);
            return Streamed::Failed;
        }
        if (got > 0 && held < want)
            continue;
        const QStringView text(reinterpret_cast<const char16_t *>(buf->data() + skip),
                               qsizetype((held - skip) / 2));
        if (got == 0) {
            // An odd byte at the end is for the decoder to word.
            if (held % 2 != 0 || !pieces.add(text, cut ? PieceKind::Tail : PieceKind::Whole, buf))
                return Streamed::NotPlain;
            break;
        }
        const qsizetype at = lastCut(text, std::max<qsizetype>(searched - 8, 0));
        if (at <= 0) {
            // A lesson longer than a piece: the piece grows to hold it.
            searched = text.size();
            want *= 2;
            continue;
        }
        PageBuffer *next = pieces.freeBuffer();
        if (!next)
            return Streamed::NotPlain;
        const size_t rest = held - skip - size_t(at) * 2;
        if (!next->reserve(std::max(pieceBytes, rest + step)))
            throw std::bad_alloc();
        std::memcpy(next->data(), buf->data() + held - rest, rest);
        if (!pieces.add(text.left(at), cut ? PieceKind::Middle : PieceKind::Head, buf))
            return Streamed::NotPlain;
        cut = true;
        buf = next;
        held = rest;
        skip = 0;
        want = pieceBytes;
        searched = 0;
    }
    if (!pieces.finish(out))
        return Streamed::NotPlain;
    stamp->size = total;
    stamp->hash = hasher.hash();
    return Streamed::Read;
}

} // namespace

bool parseDictionaryTextFast(QStringView text, const QString &path, const StringSet &categoryList,
                             DictionaryReadResult *out, qsizetype pieceUnits)
{
    ReadParts r;
    if (!readFast(text, path, categoryList, pieceUnits, &r))
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

int readingThreads()
{
    return std::clamp(int(std::thread::hardware_concurrency()), 2, 8);
}

void setUpReadingHeaps()
{
#ifdef __GLIBC__
    mallopt(M_ARENA_MAX, readingThreads() + 1);
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
        problem = tooLargeText(st.st_size);
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
    return readDictionaryFile(dict, path, cancel, kReadPieceUnits * 2);
}

ReadOutcome readDictionaryFile(Dictionary &dict, const QString &path,
                               const std::atomic<bool> *cancel, qsizetype pieceBytes)
{
    ReadOutcome out;
    auto cancelled = [cancel] { return cancel && cancel->load(); };
    ReadParts r;
    bool read = false;
    QString text; // decoded whole, when not read in pieces
    {
        QFile file;
        if (!openForReading(path, &file, &out.openError))
            return out;
        out.stamp.modified = file.fileTime(QFileDevice::FileModificationTime);
        if (readableInPieces(file)) {
            switch (readInPieces(file, path, dict.categoryList(), cancel,
                                 size_t(std::max<qsizetype>(pieceBytes, 2)), &r, &out.stamp,
                                 &out.openError)) {
            case Streamed::Failed:
                return out;
            case Streamed::Read:
                read = true;
                break;
            case Streamed::NotPlain:
                break;
            }
        } else if (!readWholeText(file, &text, &out.stamp, &out.openError)) {
            return out;
        }
    }
    if (!read && cancelled()) {
        out.opened = true;
        return out;
    }
    if (!read && text.isNull()) {
        // The pieces' text is gone: read again, with the same checks, as the
        // name may stand for another file by now.
        QFile file;
        if (!openForReading(path, &file, &out.openError))
            return out;
        out.stamp.modified = file.fileTime(QFileDevice::FileModificationTime);
        if (!readWholeText(file, &text, &out.stamp, &out.openError))
            return out;
    }
    if (!read)
        read = readFast(text, path, dict.categoryList(), kReadPieceUnits, &r, cancel);
    if (!read && !cancelled()) {
        QtXmlSource source(text);
        source.setCancel(cancel);
        // The reader keeps its own copy of the text; two would cost a file's size.
        text = QString();
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
