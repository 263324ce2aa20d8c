#include "model/dictionary_file.h"

#include "model/markup.h"
#include "model/safe_save.h"
#include "model/xml_fast_reader.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QSysInfo>
#include <QXmlStreamReader>

#include <algorithm>
#include <cstdio>
#include <numeric>
#include <vector>

// ---------------------------------------------------------------- reading

namespace
{

DictionaryReadResult refusedResult(const QString &message)
{
    DictionaryReadResult r;
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
    QStringView name() const { return m_xml.qualifiedName(); }
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
};

// The fast reader behind the same calls. When it gives up, the result is
// thrown away and the text is read again with QtXmlSource.
class FastXmlSource : public FastXmlReader
{
public:
    using FastXmlReader::FastXmlReader;
    bool hasError() const { return gaveUp(); }
    QString errorMessage(const QString &) const { return QString(); }
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

    DictionaryReadResult run()
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
            readCard(lesson);
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

    void readCard(const QString &lesson)
    {
        if (!nameIs("w")) {
            warnStructure(QStringLiteral("\nВнутри элемента <lesson> встречен не элемент <w>"));
            m_xml.skipCurrentElement();
            return;
        }
        Card card;
        card.filePath = m_path;
        card.lesson = lesson;
        card.nPER = number(attr("nPER"), 1);
        card.pER = number(attr("pER"), card.nPER);
        card.rER = number(attr("rER"), 0);
        card.aER = number(attr("aER"), 0);
        card.nPRE = number(attr("nPRE"), 1);
        card.pRE = number(attr("pRE"), card.nPRE);
        card.rRE = number(attr("rRE"), 0);
        card.aRE = number(attr("aRE"), 0);
        card.nAr = number(attr("nAr"), 1) != 0;

        bool haveF = false, haveR = false, haveC = false;
        while (m_xml.readNextStartElement()) {
            if (nameIs("f") && !haveF) {
                haveF = true;
                readForeign(card);
            } else if (nameIs("r") && !haveR) {
                haveR = true;
                readTranslations(card);
            } else if (nameIs("c") && !haveC) {
                haveC = true;
                readCategories(card);
                m_xml.skipCurrentElement();
            } else if (nameIs("v")) {
                card.soundPath = attr("p").toString();
                m_xml.skipCurrentElement();
            } else {
                warnUnknown(QStringLiteral("\nВнутри элемента <w> встречен неизвестный элемент <"));
                m_xml.skipCurrentElement();
            }
        }
        if (!card.foreignWords.isEmpty() && !card.categories.isEmpty())
            m_result.cards.append(std::move(card));
    }

    void readForeign(Card &card)
    {
        while (m_xml.readNextStartElement()) {
            if (nameIs("fw")) {
                ForeignWord fw;
                fw.word = attr("w").toString();
                fw.transcription = attr("tr").toString();
                fw.autoCheck = attr("aChk") == u"t";
                if (!fw.word.isEmpty())
                    m_foreignWords.push_back(std::move(fw));
            } else {
                warnUnknown(QStringLiteral("\nВнутри элемента <f> встречен неизвестный элемент <"));
            }
            m_xml.skipCurrentElement();
        }
        card.foreignWords = exactList(m_foreignWords);
    }

    // Lists grow in reused vectors and are then made at their final size:
    // appended to one by one, most of them would be allocated two or three
    // times over, which is much of a large file's reading time.
    template <class T> static QList<T> exactList(std::vector<T> &scratch)
    {
        QList<T> out;
        if (!scratch.empty()) {
            out.reserve(qsizetype(scratch.size()));
            for (T &x : scratch)
                out.append(std::move(x));
            scratch.clear();
        }
        return out;
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

    void readTranslations(Card &card)
    {
        while (m_xml.readNextStartElement()) {
            if (!nameIs("rw")) {
                warnUnknown(QStringLiteral("\nВнутри элемента <r> встречен неизвестный элемент <"));
                m_xml.skipCurrentElement();
                continue;
            }
            const QStringView code = attr("c");
            TranslationSection section;
            if (!knownCode(code, &section.code)) {
                m_result.warnings.append(
                    m_inFile +
                    QStringLiteral("\nВ элементе <rw> указано имя раздела отсутствующее в "
                                   "списке: [") +
                    code.toString() + QStringLiteral("]\nИли это имя пустое"));
                m_xml.skipCurrentElement();
                continue;
            }
            while (m_xml.readNextStartElement()) {
                if (!nameIs("ss")) {
                    warnUnknown(QStringLiteral("\nВ элементе <rw> встречен неизвестный элемент <"));
                    m_xml.skipCurrentElement();
                    continue;
                }
                while (m_xml.readNextStartElement()) {
                    if (nameIs("wv")) {
                        TranslationVariant v;
                        v.word = attr("w").toString();
                        v.info = attr("i").toString();
                        if (!v.word.isEmpty())
                            m_variants.push_back(std::move(v));
                    } else {
                        warnUnknown(
                            QStringLiteral("\nВ элементе <ss> встречен неизвестный элемент <"));
                    }
                    m_xml.skipCurrentElement();
                }
                if (!m_variants.empty())
                    m_groups.push_back(exactList(m_variants));
            }
            section.groups = exactList(m_groups);
            if (!section.groups.isEmpty())
                m_sections.push_back(std::move(section));
        }
        card.translations = exactList(m_sections);
    }

    void readCategories(Card &card)
    {
        const QStringView list = attr("n");
        if (list.isEmpty()) {
            m_result.warnings.append(
                m_inFile + QStringLiteral("\nДля элемента <c> атрибут \"список категорий\" пуст"));
            return;
        }
        // Only pieces closed by ";" count; text after the last one is ignored.
        qsizetype start = 0;
        for (qsizetype end = list.indexOf(u';'); end >= 0;
             start = end + 1, end = list.indexOf(u';', start)) {
            const QStringView piece = list.mid(start, end - start);
            QString known;
            if (knownCategory(piece, &known)) {
                m_pieces.push_back(std::move(known));
            } else {
                m_result.warnings.append(
                    m_inFile +
                    QStringLiteral("\nНайдена категория карточки отсутствующая в списке "
                                   "категорий: ") +
                    piece.toString() + QStringLiteral("\nИли строка категории пуста"));
            }
        }
        card.categories = exactList(m_pieces);
    }

    Source &m_xml;
    const QString &m_path;
    const StringSet &m_categories;
    const QString m_structure;
    const QString m_inFile;
    QList<QString> m_codes;
    QList<QString> m_knownCategories;
    std::vector<ForeignWord> m_foreignWords;
    std::vector<TranslationVariant> m_variants;
    std::vector<TranslationGroup> m_groups;
    std::vector<TranslationSection> m_sections;
    std::vector<QString> m_pieces;
    DictionaryReadResult m_result;
};

} // namespace

bool parseDictionaryTextFast(QStringView text, const QString &path, const StringSet &categoryList,
                             DictionaryReadResult *out)
{
    FastXmlSource source(text);
    DictionaryReadResult r = Reader<FastXmlSource>(source, path, categoryList).run();
    if (source.gaveUp())
        return false;
    *out = std::move(r);
    return true;
}

DictionaryReadResult parseDictionaryTextGeneral(const QString &text, const QString &path,
                                                const StringSet &categoryList)
{
    QtXmlSource source(text);
    return Reader<QtXmlSource>(source, path, categoryList).run();
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

ReadOutcome readDictionaryFile(Dictionary &dict, const QString &path)
{
    ReadOutcome out;
    QString text;
    {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            out.openError = file.errorString();
            return out;
        }
        const QByteArray bytes = file.readAll();
        if (file.error() != QFileDevice::NoError) {
            out.openError = file.errorString();
            return out;
        }
        text = decodeDictionaryBytes(bytes);
    }
    out.opened = true;
    DictionaryReadResult r;
    if (!parseDictionaryTextFast(text, path, dict.categoryList, &r)) {
        QtXmlSource source(text);
        // The reader keeps its own copy of the text; two would cost a file's size.
        text = QString();
        r = Reader<QtXmlSource>(source, path, dict.categoryList).run();
    }
    out.warnings = std::move(r.warnings);
    if (r.cards.isEmpty()) {
        // A file that gives no card is not opened, so its lessons stay out.
        if (!r.refused)
            out.warnings.append(QStringLiteral("Из файла\n") + path +
                                QStringLiteral("\nНе было добавлено ни одной карточки"));
        return out;
    }
    dict.reserve(dict.cardCount() + int(r.cards.size()));
    for (Card &c : r.cards)
        dict.addCard(std::move(c));
    dict.lessons.merge(r.lessons);
    out.added = true;
    return out;
}

// ---------------------------------------------------------------- writing

namespace
{

// Why a card cannot be written so that it reads back.
struct WriteProblem {
    int card = -1; // position in the written order; -1: none
    bool blankLesson = false;
    char32_t character = 0;
};

class TextWriter
{
public:
    // `withMark`: the text begins with the byte-order mark, so that it is
    // the file's content as it stands.
    explicit TextWriter(qsizetype estimate, bool withMark = false)
    {
        m_out.reserve(estimate + 1);
        if (withMark)
            m_out += QChar(0xFEFF);
    }

    // Builds the text of cards[order[0]], cards[order[1]], ...
    QString build(const QList<Card> &cards, const std::vector<int> &order, WriteProblem *problem)
    {
        m_out += u"<?xml version=\"1.0\" encoding=\"Unicode\" standalone = \"yes\"?>\r\n"
                 u"<!DOCTYPE words [\r\n"
                 u"<!ELEMENT lesson (w+)>\r\n"
                 u"<!ELEMENT w (f?,r?,c)>\r\n"
                 u"]>\r\n"
                 u"\r\n"
                 u"<words>\r\n";
        const QString *lesson = nullptr;
        for (int pos = 0; pos < int(order.size()); ++pos) {
            const Card &c = cards[order[pos]];
            m_card = pos;
            if (lesson ? c.lesson != *lesson : !c.lesson.isEmpty()) {
                if (lesson)
                    m_out += u"</lesson>\r\n";
                lesson = &c.lesson;
                // The reader simplifies white space and skips a lesson without a name.
                if (c.lesson.simplified().isEmpty() && m_problem.card < 0) {
                    m_problem.card = pos;
                    m_problem.blankLesson = true;
                }
                m_out += u"<lesson n=\"";
                escape(c.lesson);
                m_out += u"\">\r\n";
            } else if (!lesson && m_problem.card < 0) {
                m_problem.card = pos;
                m_problem.blankLesson = true;
            }
            writeCard(c);
        }
        if (lesson)
            m_out += u"</lesson>\r\n";
        m_out += u"</words>";
        if (problem)
            *problem = m_problem;
        return std::move(m_out);
    }

private:
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
        m_out.append(reinterpret_cast<const QChar *>(p), end - p);
    }

    void bad(char32_t c)
    {
        if (m_problem.card < 0) {
            m_problem.card = m_card;
            m_problem.character = c;
        }
    }

    // Every value goes back to the reader unchanged: markup characters as
    // entities, white space controls as character references (the parser
    // would turn raw ones into blanks). Characters XML 1.0 cannot hold are
    // reported, as no written form reads back.
    void escape(QStringView v)
    {
        const QChar *run = v.data();
        const QChar *end = run + v.size();
        for (const QChar *p = run; p < end; ++p) {
            const char16_t c = p->unicode();
            if (c > u'>' && c < 0xD800)
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
                if (c < 0x20 || c == 0xFFFE || c == 0xFFFF) {
                    bad(c);
                } else if (QChar::isHighSurrogate(c) && p + 1 < end && p[1].isLowSurrogate()) {
                    ++p;
                } else if (QChar::isSurrogate(c)) {
                    bad(c);
                }
                continue;
            }
            m_out.append(run, p - run);
            m_out.append(rep);
            run = p + 1;
        }
        m_out.append(run, end - run);
    }

    void writeCard(const Card &c)
    {
        m_out += u"<w nPER=\"";
        number(c.nPER);
        m_out += u"\" pER=\"";
        number(c.pER);
        m_out += u"\" rER=\"";
        number(c.rER);
        m_out += u"\" nPRE=\"";
        number(c.nPRE);
        m_out += u"\" pRE=\"";
        number(c.pRE);
        m_out += u"\" rRE=\"";
        number(c.rRE);
        m_out += u"\" aRE=\"";
        number(c.aRE);
        m_out += u"\" aER=\"";
        number(c.aER);
        m_out += c.nAr ? u"\" nAr=\"1\">\r\n<f>\r\n" : u"\" nAr=\"0\">\r\n<f>\r\n";
        for (const ForeignWord &fw : c.foreignWords) {
            m_out += u"<fw w=\"";
            escape(fw.word);
            m_out += u"\" tr=\"";
            escape(fw.transcription);
            m_out += fw.autoCheck ? u"\" aChk=\"t\"/>\r\n" : u"\" aChk=\"f\"/>\r\n";
        }
        m_out += u"</f>\r\n<r>\r\n";
        for (const TranslationSection &s : c.translations) {
            m_out += u"<rw c=\"";
            escape(s.code);
            m_out += u"\">\r\n";
            for (const TranslationGroup &g : s.groups) {
                m_out += u"<ss>\r\n";
                for (const TranslationVariant &v : g) {
                    m_out += u"<wv w=\"";
                    escape(v.word);
                    m_out += u"\" i=\"";
                    escape(v.info);
                    m_out += u"\"/>\r\n";
                }
                m_out += u"</ss>\r\n";
            }
            m_out += u"</rw>\r\n";
        }
        m_out += u"</r>\r\n<c n=\"";
        for (const QString &cat : c.categories) {
            escape(cat);
            m_out += u';';
        }
        m_out += u"\"/>\r\n";
        if (!c.soundPath.isEmpty()) {
            m_out += u"<v p=\"";
            escape(c.soundPath);
            m_out += u"\"/>\r\n";
        }
        m_out += u"</w>\r\n";
    }

    QString m_out;
    int m_card = -1;
    WriteProblem m_problem;
};

// Close to the written length, so the text grows without reallocating.
qsizetype estimatedLength(const QList<Card> &cards)
{
    qsizetype n = 200;
    for (const Card &c : cards) {
        n += 160 + c.lesson.size() + c.soundPath.size();
        for (const ForeignWord &fw : c.foreignWords)
            n += 30 + fw.word.size() + fw.transcription.size();
        for (const TranslationSection &s : c.translations) {
            n += 20 + s.code.size();
            for (const TranslationGroup &g : s.groups) {
                n += 14;
                for (const TranslationVariant &v : g)
                    n += 20 + v.word.size() + v.info.size();
            }
        }
        for (const QString &cat : c.categories)
            n += 1 + cat.size();
    }
    return n + n / 16;
}

QByteArray utf16WithMark(const QString &text)
{
    QStringEncoder enc(QStringConverter::Utf16LE, QStringConverter::Flag::WriteBom);
    return enc.encode(text);
}

// The bytes of a text that begins with the mark. On a little-endian machine
// they are the text's own memory, so a file's size is not held twice; the
// text must outlive them.
QByteArray utf16BytesOf(const QString &textWithMark)
{
    if (QSysInfo::ByteOrder == QSysInfo::LittleEndian)
        return QByteArray::fromRawData(reinterpret_cast<const char *>(textWithMark.utf16()),
                                       textWithMark.size() * qsizetype(sizeof(char16_t)));
    QStringEncoder enc(QStringConverter::Utf16LE);
    return enc.encode(textWithMark);
}

QString cardName(const Card &c)
{
    QString word = firstForeignWord(c);
    if (word.isEmpty())
        word = firstRussianWord(c);
    return word;
}

const QString kNotChanged = QStringLiteral("\nФайл на диске не изменён");

// Keeps the bytes of the file as it was before this run's first overwrite.
bool keepBackup(const QString &path, QString *message)
{
    const QString bakPath = path + QStringLiteral(".bak");
    QFile old(path);
    QString error;
    bool kept = false;
    if (!old.open(QIODevice::ReadOnly)) {
        error = old.errorString();
    } else {
        const QByteArray bytes = old.readAll();
        if (old.error() != QFileDevice::NoError)
            error = old.errorString();
        else
            kept = saveFileAtomically(bakPath, bytes, &error);
    }
    if (kept) {
        // The copy is no more readable than the file it keeps.
        QFile::setPermissions(bakPath, old.permissions());
        return true;
    }
    *message = QStringLiteral("Невозможно сохранить резервную копию\n") + bakPath +
               QLatin1Char('\n') + error + QStringLiteral("\nФайл\n") + path +
               QStringLiteral("\nне был изменён");
    return false;
}

} // namespace

QByteArray dictionaryFileBytes(const QList<Card> &cardsSortedByLesson)
{
    std::vector<int> order(cardsSortedByLesson.size());
    std::iota(order.begin(), order.end(), 0);
    return utf16WithMark(TextWriter(estimatedLength(cardsSortedByLesson))
                             .build(cardsSortedByLesson, order, nullptr));
}

WriteOutcome writeDictionaryFile(QList<Card> &cards, const QString &path, QSet<QString> *backedUp)
{
    WriteOutcome out;
    if (path.isEmpty()) {
        out.message =
            QStringLiteral("Ошибка программы\nВ функцию сохранения передано пустое имя файла");
        return out;
    }
    if (cards.isEmpty()) {
        out.message = QStringLiteral(
            "Ошибка программы\nВ функцию сохранения передан пустой контейнер карточек");
        return out;
    }

    // The order is applied to the cards only once the file is safely written.
    std::vector<int> order(cards.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(),
                     [&](int a, int b) { return cards[a].lesson < cards[b].lesson; });

    WriteProblem problem;
    QString text; // the memory of `bytes`
    QByteArray bytes;
    {
        text = TextWriter(estimatedLength(cards), true).build(cards, order, &problem);
        if (problem.card >= 0) {
            const Card &c = cards[order[problem.card]];
            out.message = QStringLiteral("Невозможно сохранить файл\n") + path;
            if (problem.blankLesson) {
                out.message += QStringLiteral("\nУ карточки «") + cardName(c) +
                               QStringLiteral("» не указан урок\nУкажите урок и сохраните снова");
            } else {
                out.message += QStringLiteral("\nКарточка «") + cardName(c) +
                               QStringLiteral("» содержит символ, недопустимый в файле словаря "
                                              "(код U+") +
                               QStringLiteral("%1)")
                                   .arg(uint(problem.character), 4, 16, QLatin1Char('0'))
                                   .toUpper();
            }
            out.message += kNotChanged;
            return out;
        }
        bytes = utf16BytesOf(text);
    }

    const QFileInfo info(path);
    const QString key = info.absoluteFilePath();
    const bool existed = info.isFile();
    if (backedUp && existed && !backedUp->contains(key)) {
        if (!keepBackup(path, &out.message))
            return out;
        backedUp->insert(key);
    }

    // Never written in place: a failure at any step leaves the old file whole.
    QString error;
    SaveStep step = SaveStep::None;
    if (!saveFileAtomically(path, bytes, &error, &step)) {
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
    if (backedUp && !existed)
        backedUp->insert(key);

    QList<Card> sorted;
    sorted.reserve(cards.size());
    for (int i : order) {
        sorted.append(std::move(cards[i]));
        sorted.last().filePath = path;
    }
    cards.swap(sorted);
    out.ok = true;
    return out;
}
