#pragma once

#include <QLatin1String>
#include <QString>
#include <QStringView>

#include <vector>

// Names are short and compared all the time: inline, unlike Qt's comparison.
inline bool equalsAscii(QStringView a, QLatin1String b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i)
        if (a.utf16()[i] != char16_t(uchar(b.data()[i])))
            return false;
    return true;
}

inline bool equalViews(QStringView a, QStringView b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i)
        if (a.utf16()[i] != b.utf16()[i])
            return false;
    return true;
}

// At "&" in text or an attribute value: one of the five predefined entities
// or a character reference to a character XML allows, as QXmlStreamReader
// reads them; `*p` moves past it. False for anything else.
bool readXmlReference(const char16_t **p, const char16_t *end, char32_t *value);
// At a character that is neither plain (U+0020 to U+D7FF) nor a white space
// control: true, with `*p` past it, for a surrogate pair or one of U+E000 to
// U+FFFD, which XML allows.
bool skipOtherXmlCharacter(const char16_t **p, const char16_t *end);

// A strict pull reader for the plain XML that dictionary files hold: an
// optional XML declaration, an optional DOCTYPE whose internal subset has only
// element declarations, white space, and one tree of elements with attributes
// and text. It reads the decoded text in place and copies only attribute
// values that need decoding (references, white space controls).
//
// It only accepts what QXmlStreamReader also accepts with the same values.
// Anything else (CDATA, comments, processing instructions, other entities,
// non-ASCII names, characters XML forbids, any malformation) makes it give
// up; the caller then reads the text with QXmlStreamReader, whose error
// message, line and column are the ones reported.
//
// The navigation calls behave as QXmlStreamReader's of the same names (with
// namespace processing off); after giving up they all return at once.
class FastXmlReader
{
public:
    explicit FastXmlReader(QStringView text);

    // A large text can be read in pieces at once, cut right before start
    // tags that are children of the root. The head piece is read as usual
    // from the prolog on; at the end of its text it reports the root's end,
    // but only when nothing but the root is open there (splitReached()).
    // The tail piece starts right after the root's start tag, whose name is
    // given, and reads on to the end of the document; a middle piece starts
    // as the tail and ends as the head. readRootElement must not be called on
    // a tail or middle piece.
    enum class Part { Head, Middle, Tail };
    FastXmlReader(QStringView text, Part part, QLatin1String rootName = QLatin1String());
    // The head or a middle piece ended at its cut with only the root open.
    bool splitReached() const { return m_splitReached; }

    // Reads the prolog and the root's start tag; false when there is none.
    bool readRootElement();
    bool readNextStartElement();
    void skipCurrentElement();
    void readToEnd();

    bool gaveUp() const { return m_token == Token::GaveUp; }
    // Gives up here, whatever follows.
    void stop() { giveUp(); }

    // Where the reader has got to in the text.
    const char16_t *position() const { return m_p; }
    // The earliest place in the text the reader still looks at: the text
    // before it may be dropped. The names of the open elements, which their
    // end tags are matched against, are copied first.
    const char16_t *keepFrom();

    // Of the current start or end tag.
    QStringView name() const { return m_name; }
    // The current start tag closes itself (<x/>): its end comes next.
    bool atEmptyElement() const { return m_token == Token::StartElement && m_pendingEnd; }
    // Of the current start tag; empty when it has no such attribute.
    QStringView attribute(QLatin1String attrName) const;
    // Calls f(name, value) for each attribute of the current start tag, in
    // the order written: one pass where a tag has many attributes to read.
    template <class F> void forEachAttribute(F &&f) const
    {
        for (const Attribute &a : m_attributes)
            f(a.name, value(a));
    }

private:
    enum class Token { None, StartElement, EndElement, EndDocument, GaveUp };

    struct Attribute {
        QStringView name;
        QStringView raw;            // the value as written, when it needed no decoding
        qsizetype decodedFrom = -1; // else its place in m_decoded
        qsizetype decodedSize = 0;
    };

    QStringView value(const Attribute &a) const
    {
        return a.decodedFrom < 0 ? a.raw : QStringView(m_decoded).mid(a.decodedFrom, a.decodedSize);
    }
    Token readNext();
    Token giveUp();
    Token startTag();
    Token endTag();
    bool text();
    bool attributeValue(Attribute &a);
    bool reference(char32_t *value);
    bool otherCharacter();
    bool skipSpace();
    const char16_t *scanName(const char16_t *p) const;
    bool name(QStringView *out);
    bool lookingAt(QLatin1String s) const;
    bool xmlDeclaration();
    bool doctype();
    bool elementDeclaration();
    bool contentGroup(int depth);
    bool contentParticle(int depth);
    bool literal(QStringView *out);

    const char16_t *m_p;
    const char16_t *const m_end;
    Token m_token = Token::None;
    bool m_pendingEnd = false; // after <x/>: its end element comes next
    bool m_head = false;       // a head or middle piece: its text ends at a cut
    bool m_splitReached = false;
    bool m_textAtEnd = false; // text() stopped at the end of the text, not at a fault
    QStringView m_name;
    std::vector<QStringView> m_open;   // names of the open elements
    std::vector<QString> m_openCopies; // by depth, once keepFrom has copied them
    std::vector<Attribute> m_attributes;
    QString m_decoded; // decoded values of the current tag's attributes
};
