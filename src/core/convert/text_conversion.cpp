#include "core/convert/text_conversion.h"

#include "core/common/russian_plural.h"

#include <QStringList>

#include "core/markup/markup.h"

namespace
{

constexpr int maxForeignWords = 5;
constexpr int maxSimpleVariants = 20;

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

// The reading primitives over one line: `p` runs from the line's start to
// `e`, where its LF stands (or the text ends). The LF itself is never read,
// so nothing read for one card can reach into the next line.
struct LineReader {
    const QString &t;
    int p;
    int e;

    LineReader(const QString &text, int pos, int end) : t(text), p(pos), e(pos)
    {
        const int lf = text.indexOf(u'\n', pos);
        e = (lf < 0 || lf > end) ? end : lf;
    }

    bool atEnd() const { return p >= e; }
    QChar peek() const { return p < e ? t.at(p) : QChar(); }
    // What follows position i on the line; the line end reads as LF.
    QChar after(int i) const { return i + 1 < e ? t.at(i + 1) : QChar(u'\n'); }

    // Skips blanks; true when nothing else is left on the line.
    bool restOfLineBlank()
    {
        while (p < e && isBlank(t.at(p)))
            ++p;
        return p >= e;
    }

    // Up to and including the first "="; false when the line has none.
    bool skipToEquals()
    {
        while (p < e) {
            if (t.at(p++) == u'=')
                return true;
        }
        return false;
    }

    // A foreign or Russian word. Until a blank has been taken into the word,
    // "(" and "," end it (a remark or the next word follows); after that
    // they belong to it, so "It's a sentence" and "большой дом, здание" stay
    // whole. A blank before one of the stopping characters ends the word
    // there; doubled blanks count once. "=" ends only a foreign word.
    QString word(bool russian)
    {
        // A word begins at its first character: the blanks after a comma
        // separate words and are no part of the next one.
        restOfLineBlank();
        QString w;
        bool blankTaken = false;
        while (p < e) {
            const QChar c = t.at(p);
            if (c == u'[' || (!russian && c == u'='))
                break;
            if (!blankTaken && (c == u'(' || c == u','))
                break;
            if (isBlank(c)) {
                const QChar next = after(p);
                if (isBlank(next) || (russian && next == u'\n')) {
                    ++p;
                    continue;
                }
                if (!blankTaken &&
                    (next == u'(' || next == u',' || next == u'[' || (!russian && next == u'='))) {
                    ++p;
                    break;
                }
                blankTaken = true;
            }
            w += c;
            ++p;
        }
        return w;
    }

    // "[...]" or "(...)" at p, brackets included, with one blank after it;
    // "=" ends it early. Empty when p is on neither bracket.
    QString bracketPart()
    {
        if (atEnd())
            return QString();
        const QChar open = t.at(p);
        QChar close;
        if (open == u'[')
            close = u']';
        else if (open == u'(')
            close = u')';
        else
            return QString();
        QString s(open);
        ++p;
        while (p < e && t.at(p) != u'=') {
            const QChar c = t.at(p++);
            s += c;
            if (c == close) {
                if (p < e && isBlank(t.at(p)))
                    ++p;
                break;
            }
        }
        return s;
    }

    // The text of "(...)" at p, without its brackets; "=" ends it early.
    QString remark()
    {
        if (peek() != u'(')
            return QString();
        ++p;
        QString s;
        while (p < e && t.at(p) != u'=') {
            const QChar c = t.at(p++);
            if (c == u')')
                break;
            s += c;
        }
        return s;
    }

    // "[name]" at p. A "[" without its "]" on the line takes the rest of the
    // line and gives no name; so does "[]". The "]" is looked for on this
    // line only: a search to the end of the text would make a list of such
    // lines quadratic.
    bool sectionName(QString *name)
    {
        if (peek() != u'[')
            return false;
        const qsizetype found = QStringView(t).sliced(p + 1, e - p - 1).indexOf(u']');
        const int close = found < 0 ? -1 : p + 1 + int(found);
        if (close < 0) {
            p = e;
            return false;
        }
        *name = t.mid(p + 1, close - p - 1);
        p = close + 1;
        return !name->isEmpty();
    }

    QString restOfLine()
    {
        const QString s = t.mid(p, e - p);
        p = e;
        return s;
    }

    // Where the next line starts.
    int nextLine() const { return e < t.size() && t.at(e) == u'\n' ? e + 1 : e; }
};

Card freshCard(const QString &lesson)
{
    Card card;
    card.lesson = lesson;
    card.categories = {ConversionText::categoryName()};
    return card;
}

bool hasVariant(const Card &card)
{
    for (const TranslationSection &s : card.translations)
        for (const TranslationGroup &g : s.groups)
            if (!g.isEmpty())
                return true;
    return false;
}

void appendIfUsable(QList<Card> &result, const Card &card)
{
    // A card without a foreign word would be skipped when its file is read
    // again, so it is not made at all.
    if (!card.foreignWords.isEmpty() && hasVariant(card))
        result.append(card);
}

bool codeUsed(const QList<TranslationSection> &sections, const QString &code)
{
    for (const TranslationSection &s : sections)
        if (s.code == code)
            return true;
    return false;
}

// The foreign words of a normal line, up to "=" (consumed). False when the
// line makes no card.
bool readForeignWords(LineReader &r, QList<ForeignWord> &words)
{
    for (int i = 0; i < maxForeignWords; ++i) {
        const QString word = r.word(false).trimmed();
        if (word.isEmpty()) {
            if (i == 0)
                return false;
            break;
        }
        // A line without "=" makes no card.
        if (r.restOfLineBlank())
            return false;
        ForeignWord fw;
        fw.word = word;
        fw.transcription = r.bracketPart().trimmed();
        words.append(fw);
        if (r.restOfLineBlank())
            return false;
        if (r.peek() != u',')
            break;
        ++r.p;
    }
    if (r.restOfLineBlank())
        return false;
    return r.skipToEquals();
}

// The Russian sections of a normal line. False when the card is dropped.
bool readSections(LineReader &r, QList<TranslationSection> &sections)
{
    for (bool first = true;; first = false) {
        if (r.restOfLineBlank())
            return true;
        QString code = QStringLiteral("*");
        QString name;
        if (r.sectionName(&name) && isKnownSectionCode(name))
            code = name;
        if (codeUsed(sections, code))
            return true;
        // A section code that stands last on its line opens nothing: the
        // next line is a card of its own.
        if (r.restOfLineBlank())
            return true;

        TranslationSection section;
        section.code = code;
        TranslationGroup group;
        if (isWholeTextCode(code)) {
            // A whole text cannot follow other sections.
            if (!first)
                return false;
            const QString text = r.restOfLine().trimmed();
            if (!text.isEmpty())
                group.append({text, QString()});
            section.groups.append(group);
            sections.append(section);
            return true;
        }

        bool nextSection = false;
        for (;;) {
            const QString word = r.word(true).trimmed();
            if (word.isEmpty()) {
                if (first)
                    return false;
                break;
            }
            // Several words make a word combination.
            if (word.contains(u' ') || word.contains(u'\t'))
                section.code = QStringLiteral("SS");
            group.append({word, r.remark().trimmed()});
            if (r.restOfLineBlank())
                break;
            if (r.peek() == u',') {
                ++r.p;
                if (r.restOfLineBlank())
                    break;
                continue;
            }
            nextSection = r.peek() == u'[';
            break;
        }
        section.groups.append(group);
        sections.append(section);
        if (!nextSection)
            return true;
    }
}

// One side of a simplified line: everything up to "=" (consumed) or the line
// end, tabs as blanks.
struct Segment {
    QString text;
    bool comma = false;
    // A blank between words that does not follow a comma: the side is one
    // phrase, not a list.
    bool freeBlank = false;
};

Segment readSegment(LineReader &r)
{
    Segment s;
    while (r.p < r.e) {
        const QChar c = r.t.at(r.p++);
        if (c == u'=')
            break;
        s.text += isBlank(c) ? QChar(u' ') : c;
    }
    if (s.text.contains(u'[')) {
        s.text.clear();
        return s;
    }
    // Blanks at the end of a side (before "=" or the line end) separate
    // nothing.
    int end = int(s.text.size());
    while (end > 0 && s.text.at(end - 1) == u' ')
        --end;
    for (int i = 0; i < end; ++i) {
        const QChar c = s.text.at(i);
        if (c == u',')
            s.comma = true;
        else if (c == u' ' && i > 0 && s.text.at(i - 1) != u',' && s.text.at(i - 1) != u' ')
            s.freeBlank = true;
    }
    s.text = s.text.simplified();
    return s;
}

// Pieces of a comma list, at most `limit`; an empty piece ends the list.
QStringList splitList(const QString &text, int limit)
{
    QStringList pieces;
    for (const QString &piece : text.split(u',')) {
        const QString p = piece.trimmed();
        if (p.isEmpty() || pieces.size() == limit)
            break;
        pieces.append(p);
    }
    return pieces;
}

} // namespace

void parseLineNormal(const QString &lesson, QList<Card> &result, const QString &text, int &pos,
                     int end)
{
    LineReader r(text, pos, end);
    pos = r.nextLine();
    if (r.restOfLineBlank())
        return;
    Card card = freshCard(lesson);
    if (!readForeignWords(r, card.foreignWords))
        return;
    if (!readSections(r, card.translations))
        return;
    appendIfUsable(result, card);
}

void parseLineSimple(const QString &lesson, QList<Card> &result, const QString &text, int &pos,
                     int end)
{
    LineReader r(text, pos, end);
    pos = r.nextLine();
    if (r.restOfLineBlank())
        return;
    const Segment foreign = readSegment(r);
    if (foreign.text.isEmpty())
        return;
    Card card = freshCard(lesson);
    const QStringList words = (foreign.freeBlank || !foreign.comma)
                                  ? QStringList{foreign.text}
                                  : splitList(foreign.text, maxForeignWords);
    for (const QString &w : words)
        card.foreignWords.append({w, QString(), false});

    if (r.restOfLineBlank())
        return;
    const Segment russian = readSegment(r);
    if (russian.text.isEmpty())
        return;
    TranslationSection section;
    TranslationGroup group;
    if (russian.freeBlank || !russian.comma) {
        section.code = russian.freeBlank ? QStringLiteral("SS") : QStringLiteral("*");
        group.append({russian.text, QString()});
    } else {
        section.code = QStringLiteral("*");
        for (const QString &v : splitList(russian.text, maxSimpleVariants))
            group.append({v, QString()});
    }
    section.groups.append(group);
    card.translations.append(section);
    appendIfUsable(result, card);
}

QString conversionLessonName(const QString &pattern, int number)
{
    return pattern + QString::number(number);
}

QList<Card> convertTextToCards(const QString &source, const ConversionOptions &options)
{
    QString text = source;
    if (text.contains(u'\r'))
        text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    const int perLesson = qMax(1, options.cardsInLesson);
    QList<Card> result;
    int number = 1;
    QString lesson = conversionLessonName(options.lessonNamePattern, number);
    int inLesson = 0;
    int pos = 0;
    const int end = int(text.size());
    while (pos < end) {
        const int before = pos;
        const qsizetype made = result.size();
        if (options.simpleParsing)
            parseLineSimple(lesson, result, text, pos, end);
        else
            parseLineNormal(lesson, result, text, pos, end);
        if (result.size() > made && ++inLesson == perLesson) {
            inLesson = 0;
            lesson = conversionLessonName(options.lessonNamePattern, ++number);
        }
        if (pos <= before)
            break;
    }
    return result;
}

namespace ConversionText
{

QString categoryName()
{
    return QStringLiteral("Прочие");
}

QString cardsAdded(int count)
{
    const QString added = russianPlural(count, QStringLiteral("Добавлена"),
                                        QStringLiteral("Добавлено"), QStringLiteral("Добавлено"));
    return QStringLiteral("<nobr>") + added + QLatin1Char(' ') + cardCount(count) +
           QStringLiteral("</nobr><br><nobr>Не забудьте сохранить в файл</nobr>");
}

QString noCardsAdded()
{
    return QStringLiteral("Ни одной карточки не добавлено");
}

QString cardsRefused(const QStringList &cards)
{
    constexpr int shown = 10;
    QString text = QStringLiteral("Не добавлено карточек: %1 (их нельзя было бы сохранить в файл "
                                  "словаря)\n")
                       .arg(cards.size());
    text += cards.mid(0, shown).join(QLatin1Char('\n'));
    if (cards.size() > shown)
        text += QStringLiteral("\n…");
    return text;
}

QString emptyPattern()
{
    return QStringLiteral("Укажите шаблон для наименований уроков");
}

} // namespace ConversionText
