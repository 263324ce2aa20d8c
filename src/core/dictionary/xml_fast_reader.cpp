#include "core/dictionary/xml_fast_reader.h"

namespace
{

bool isSpace(char16_t c)
{
    return c == u' ' || c == u'\n' || c == u'\r' || c == u'\t';
}

// ASCII names only: QXmlStreamReader takes a letter or "_" first, then also
// digits, ".", "-"; one ":" may join two such parts.
bool isNameStart(char16_t c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || c == u'_';
}

bool isNameChar(char16_t c)
{
    return isNameStart(c) || (c >= u'0' && c <= u'9') || c == u'.' || c == u'-';
}

bool isXmlChar(char32_t v)
{
    return v == 0x9 || v == 0xA || v == 0xD || (v >= 0x20 && v <= 0xD7FF) ||
           (v >= 0xE000 && v <= 0xFFFD) || (v >= 0x10000 && v <= 0x10FFFF);
}

// Every character below the surrogates that needs no look in text or a value.
bool isPlain(char16_t c)
{
    return c >= 0x20 && c < 0xD800;
}

} // namespace

FastXmlReader::FastXmlReader(QStringView text)
    : m_p(text.utf16()), m_end(text.utf16() + text.size())
{
}

FastXmlReader::FastXmlReader(QStringView text, Part part, QLatin1String rootName)
    : FastXmlReader(text)
{
    m_head = part != Part::Tail;
    if (part != Part::Head) {
        m_openCopies.push_back(QString(rootName));
        m_open.push_back(m_openCopies.back());
        m_name = m_open.back();
        m_token = Token::StartElement;
    }
}

FastXmlReader::Token FastXmlReader::giveUp()
{
    m_pendingEnd = false;
    m_name = QStringView();
    m_attributes.clear();
    return m_token = Token::GaveUp;
}

bool FastXmlReader::lookingAt(QLatin1String s) const
{
    if (m_end - m_p < s.size())
        return false;
    for (qsizetype i = 0; i < s.size(); ++i)
        if (m_p[i] != char16_t(uchar(s.data()[i])))
            return false;
    return true;
}

Q_ALWAYS_INLINE bool FastXmlReader::skipSpace()
{
    const char16_t *start = m_p;
    while (m_p < m_end && isSpace(*m_p))
        ++m_p;
    return m_p != start;
}

Q_ALWAYS_INLINE const char16_t *FastXmlReader::scanName(const char16_t *p) const
{
    if (p == m_end || !isNameStart(*p))
        return nullptr;
    for (++p; p < m_end && isNameChar(*p); ++p) {
    }
    if (p < m_end && *p == u':') {
        if (++p == m_end || !isNameStart(*p))
            return nullptr;
        for (++p; p < m_end && isNameChar(*p); ++p) {
        }
    }
    return p;
}

Q_ALWAYS_INLINE bool FastXmlReader::name(QStringView *out)
{
    const char16_t *end = scanName(m_p);
    if (!end)
        return false;
    *out = QStringView(m_p, end);
    m_p = end;
    return true;
}

// ------------------------------------------------------------ prolog

bool FastXmlReader::readRootElement()
{
    if (m_token != Token::None)
        return m_token == Token::StartElement;
    // QXmlStreamReader wants the declaration at the very start.
    if (lookingAt(QLatin1String("<?xml")) && m_end - m_p > 5 && isSpace(m_p[5])) {
        if (!xmlDeclaration())
            return giveUp(), false;
    }
    skipSpace();
    if (lookingAt(QLatin1String("<!DOCTYPE"))) {
        if (!doctype())
            return giveUp(), false;
        skipSpace();
    }
    if (m_end - m_p < 2 || m_p[0] != u'<' || !isNameStart(m_p[1]))
        return giveUp(), false;
    ++m_p;
    return startTag() == Token::StartElement;
}

// A quoted value in the prolog, compared afterwards with known values only.
bool FastXmlReader::literal(QStringView *out)
{
    skipSpace();
    if (m_p == m_end || *m_p != u'=')
        return false;
    ++m_p;
    skipSpace();
    if (m_p == m_end || (*m_p != u'"' && *m_p != u'\''))
        return false;
    const char16_t quote = *m_p++;
    const char16_t *start = m_p;
    while (m_p < m_end && *m_p != quote)
        ++m_p;
    if (m_p == m_end)
        return false;
    *out = QStringView(start, m_p);
    ++m_p;
    return true;
}

bool FastXmlReader::xmlDeclaration()
{
    m_p += 5;
    skipSpace();
    QStringView key, value;
    if (!name(&key) || key != QLatin1String("version") || !literal(&value) ||
        value != QLatin1String("1.0"))
        return false;
    bool encoding = false, standalone = false;
    for (;;) {
        const bool space = skipSpace();
        if (lookingAt(QLatin1String("?>"))) {
            m_p += 2;
            return true;
        }
        if (!space || !name(&key) || !literal(&value))
            return false;
        if (key == QLatin1String("encoding") && !encoding && !standalone) {
            // The text is decoded before it gets here, so the name is only
            // checked; unknown names are left to QXmlStreamReader.
            encoding = true;
            if (value.compare(QLatin1String("Unicode"), Qt::CaseInsensitive) != 0 &&
                value.compare(QLatin1String("UTF-16"), Qt::CaseInsensitive) != 0 &&
                value.compare(QLatin1String("UTF-8"), Qt::CaseInsensitive) != 0)
                return false;
        } else if (key == QLatin1String("standalone") && !standalone) {
            standalone = true;
            if (value != QLatin1String("yes") && value != QLatin1String("no"))
                return false;
        } else {
            return false;
        }
    }
}

bool FastXmlReader::doctype()
{
    m_p += 9;
    QStringView rootName;
    if (!skipSpace() || !name(&rootName))
        return false;
    skipSpace();
    if (m_p < m_end && *m_p == u'[') {
        ++m_p;
        for (;;) {
            skipSpace();
            if (m_p < m_end && *m_p == u']') {
                ++m_p;
                break;
            }
            // Only element declarations: they change nothing a non-validating
            // reader reports, unlike entity or attribute-list declarations.
            if (!lookingAt(QLatin1String("<!ELEMENT")) || !elementDeclaration())
                return false;
        }
        skipSpace();
    }
    if (m_p == m_end || *m_p != u'>')
        return false;
    ++m_p;
    return true;
}

bool FastXmlReader::elementDeclaration()
{
    m_p += 9;
    QStringView element;
    if (!skipSpace() || !name(&element) || !skipSpace())
        return false;
    if (lookingAt(QLatin1String("EMPTY"))) {
        m_p += 5;
    } else if (lookingAt(QLatin1String("ANY"))) {
        m_p += 3;
    } else if (m_p < m_end && *m_p == u'(') {
        // Element content only; mixed content (#PCDATA) is left to Qt.
        if (!contentGroup(0))
            return false;
    } else {
        return false;
    }
    skipSpace();
    if (m_p == m_end || *m_p != u'>')
        return false;
    ++m_p;
    return true;
}

// "(" cp ("," cp)* ")" or "(" cp ("|" cp)* ")", then an optional ? * or +
// right after it, as after every particle.
bool FastXmlReader::contentGroup(int depth)
{
    if (depth > 16)
        return false;
    ++m_p;
    skipSpace();
    if (!contentParticle(depth))
        return false;
    char16_t separator = 0;
    for (;;) {
        skipSpace();
        if (m_p == m_end)
            return false;
        const char16_t c = *m_p;
        if (c == u')') {
            ++m_p;
            break;
        }
        if ((c != u',' && c != u'|') || (separator && c != separator))
            return false;
        separator = c;
        ++m_p;
        skipSpace();
        if (!contentParticle(depth))
            return false;
    }
    if (m_p < m_end && (*m_p == u'?' || *m_p == u'*' || *m_p == u'+'))
        ++m_p;
    return true;
}

bool FastXmlReader::contentParticle(int depth)
{
    if (m_p < m_end && *m_p == u'(')
        return contentGroup(depth + 1);
    QStringView particle;
    if (!name(&particle))
        return false;
    if (m_p < m_end && (*m_p == u'?' || *m_p == u'*' || *m_p == u'+'))
        ++m_p;
    return true;
}

// ------------------------------------------------------------ content

bool skipOtherXmlCharacter(const char16_t **pp, const char16_t *end)
{
    const char16_t *p = *pp;
    const char16_t c = *p;
    if (QChar::isHighSurrogate(c)) {
        if (end - p < 2 || !QChar::isLowSurrogate(p[1]))
            return false;
        *pp = p + 2;
        return true;
    }
    if (c >= 0xE000 && c <= 0xFFFD) {
        *pp = p + 1;
        return true;
    }
    return false;
}

bool FastXmlReader::otherCharacter()
{
    return skipOtherXmlCharacter(&m_p, m_end);
}

// Qt reads the same, and refuses what is refused here (except some odd forms
// of references, which then go to Qt anyway).
bool readXmlReference(const char16_t **pp, const char16_t *end, char32_t *value)
{
    const char16_t *p = *pp + 1;
    if (p < end && *p == u'#') {
        ++p;
        const bool hex = p < end && *p == u'x';
        if (hex)
            ++p;
        char32_t v = 0;
        const char16_t *digits = p;
        for (; p < end; ++p) {
            const char16_t c = *p;
            unsigned d;
            if (c >= u'0' && c <= u'9')
                d = c - u'0';
            else if (hex && c >= u'a' && c <= u'f')
                d = c - u'a' + 10;
            else if (hex && c >= u'A' && c <= u'F')
                d = c - u'A' + 10;
            else
                break;
            v = v * (hex ? 16 : 10) + d;
            if (v > 0x10FFFF)
                return false;
        }
        if (p == digits || p == end || *p != u';' || !isXmlChar(v))
            return false;
        *pp = p + 1;
        *value = v;
        return true;
    }
    static const struct {
        QLatin1String name;
        char16_t value;
    } entities[] = {{QLatin1String("amp;"), u'&'},
                    {QLatin1String("lt;"), u'<'},
                    {QLatin1String("gt;"), u'>'},
                    {QLatin1String("quot;"), u'"'},
                    {QLatin1String("apos;"), u'\''}};
    for (const auto &e : entities) {
        if (end - p >= e.name.size() && equalsAscii(QStringView(p, e.name.size()), e.name)) {
            *pp = p + e.name.size();
            *value = e.value;
            return true;
        }
    }
    return false;
}

bool FastXmlReader::reference(char32_t *value)
{
    return readXmlReference(&m_p, m_end, value);
}

// Character data up to the next "<"; nothing of it is kept.
bool FastXmlReader::text()
{
    for (;;) {
        if (m_p == m_end) {
            m_textAtEnd = true;
            return false;
        }
        const char16_t c = *m_p;
        if (isPlain(c) && c != u'<' && c != u'&' && c != u']') {
            ++m_p;
        } else if (c == u'<') {
            return true;
        } else if (c == u'\n' || c == u'\r' || c == u'\t') {
            ++m_p;
        } else if (c == u'&') {
            char32_t v;
            if (!reference(&v))
                return false;
        } else if (c == u']') {
            if (m_end - m_p >= 3 && m_p[1] == u']' && m_p[2] == u'>')
                return false;
            ++m_p;
        } else if (!otherCharacter()) {
            return false;
        }
    }
}

// At the opening quote. A value with no reference and no white space control
// stays a view of the text; others are decoded as XML 1.0 normalizes CDATA
// attributes (and as Qt does): tab, LF, CR and each CR LF pair become one
// blank, references are replaced and not normalized.
bool FastXmlReader::attributeValue(Attribute &a)
{
    const char16_t quote = *m_p++;
    const char16_t *run = m_p;
    bool decoding = false;
    auto flush = [&] {
        if (!decoding) {
            decoding = true;
            a.decodedFrom = m_decoded.size();
        }
        m_decoded.append(reinterpret_cast<const QChar *>(run), m_p - run);
    };
    for (;;) {
        if (m_p == m_end)
            return false;
        const char16_t c = *m_p;
        if (isPlain(c)) {
            if (c != quote && c != u'&' && c != u'<') {
                ++m_p;
                continue;
            }
            if (c == quote)
                break;
            if (c == u'<')
                return false;
            flush();
            char32_t v;
            if (!reference(&v))
                return false;
            if (QChar::requiresSurrogates(v)) {
                m_decoded.append(QChar(QChar::highSurrogate(v)));
                m_decoded.append(QChar(QChar::lowSurrogate(v)));
            } else {
                m_decoded.append(QChar(char16_t(v)));
            }
            run = m_p;
        } else if (c == u'\t' || c == u'\n' || c == u'\r') {
            flush();
            m_decoded.append(QLatin1Char(' '));
            ++m_p;
            if (c == u'\r' && m_p < m_end && *m_p == u'\n')
                ++m_p;
            run = m_p;
        } else if (!otherCharacter()) {
            return false;
        }
    }
    if (decoding) {
        flush();
        a.decodedSize = m_decoded.size() - a.decodedFrom;
    } else {
        a.raw = QStringView(run, m_p);
    }
    ++m_p;
    return true;
}

// After "<", at a name start character.
FastXmlReader::Token FastXmlReader::startTag()
{
    QStringView tag;
    if (!name(&tag))
        return giveUp();
    m_attributes.clear();
    // Most tags decode nothing, and resize() of a string never allocated
    // calls into the library every time.
    if (!m_decoded.isEmpty())
        m_decoded.resize(0);
    for (;;) {
        const bool space = skipSpace();
        if (m_p == m_end)
            return giveUp();
        if (*m_p == u'>') {
            ++m_p;
            break;
        }
        if (*m_p == u'/') {
            if (m_end - m_p < 2 || m_p[1] != u'>')
                return giveUp();
            m_p += 2;
            m_pendingEnd = true;
            break;
        }
        Attribute a;
        if (!space || !name(&a.name))
            return giveUp();
        skipSpace();
        if (m_p == m_end || *m_p != u'=')
            return giveUp();
        ++m_p;
        skipSpace();
        if (m_p == m_end || (*m_p != u'"' && *m_p != u'\'') || !attributeValue(a))
            return giveUp();
        // Qt refuses a repeated attribute. The check is quadratic, so long
        // lists, which no dictionary has, are left to Qt.
        if (m_attributes.size() >= 64)
            return giveUp();
        for (const Attribute &other : m_attributes)
            if (equalViews(other.name, a.name))
                return giveUp();
        m_attributes.push_back(a);
    }
    m_name = tag;
    m_open.push_back(tag);
    return m_token = Token::StartElement;
}

// After "</".
FastXmlReader::Token FastXmlReader::endTag()
{
    QStringView tag;
    if (!name(&tag) || !equalViews(tag, m_open.back()))
        return giveUp();
    skipSpace();
    if (m_p == m_end || *m_p != u'>')
        return giveUp();
    ++m_p;
    m_name = tag;
    m_open.pop_back();
    return m_token = Token::EndElement;
}

FastXmlReader::Token FastXmlReader::readNext()
{
    if (m_token == Token::EndDocument || m_token == Token::GaveUp || m_token == Token::None)
        return m_token == Token::None ? giveUp() : m_token;
    m_attributes.clear();
    if (m_pendingEnd) {
        m_pendingEnd = false;
        m_open.pop_back();
        return m_token = Token::EndElement;
    }
    if (m_open.empty()) {
        // After the root only white space; comments and the like go to Qt.
        skipSpace();
        return m_p == m_end ? m_token = Token::EndDocument : giveUp();
    }
    if (!text()) {
        // A head or middle piece ends at a cut, which must lie right
        // inside the root: its end is reported there, as if it came.
        if (m_head && m_textAtEnd && m_open.size() == 1) {
            m_splitReached = true;
            m_name = m_open.back();
            m_open.pop_back();
            return m_token = Token::EndElement;
        }
        return giveUp();
    }
    ++m_p;
    if (m_p < m_end && *m_p == u'/') {
        ++m_p;
        return endTag();
    }
    if (m_p == m_end || !isNameStart(*m_p))
        return giveUp(); // comments, CDATA, processing instructions
    return startTag();
}

bool FastXmlReader::readNextStartElement()
{
    // Text is read within readNext, so the next token is a tag or the end.
    return readNext() == Token::StartElement;
}

void FastXmlReader::skipCurrentElement()
{
    for (int depth = 1; depth;) {
        const Token t = readNext();
        if (t == Token::EndElement)
            --depth;
        else if (t == Token::StartElement)
            ++depth;
        else
            return;
    }
}

void FastXmlReader::readToEnd()
{
    while (m_token != Token::EndDocument && m_token != Token::GaveUp)
        readNext();
}

const char16_t *FastXmlReader::keepFrom()
{
    m_openCopies.resize(m_open.size());
    for (size_t i = 0; i < m_open.size(); ++i) {
        if (m_open[i].data() != m_openCopies[i].constData()) {
            m_openCopies[i] = m_open[i].toString();
            m_open[i] = m_openCopies[i];
        }
    }
    const char16_t *keep = m_p;
    auto keepView = [&keep](QStringView v) {
        if (!v.isNull() && v.utf16() < keep)
            keep = v.utf16();
    };
    keepView(m_name);
    for (const Attribute &a : m_attributes) {
        keepView(a.name);
        keepView(a.raw);
    }
    return keep;
}

QStringView FastXmlReader::attribute(QLatin1String attrName) const
{
    for (const Attribute &a : m_attributes) {
        if (equalsAscii(a.name, attrName))
            return value(a);
    }
    return QStringView();
}
