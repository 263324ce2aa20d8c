#include "core/editor/translation_parser.h"

#include "core/markup/markup.h"

namespace TranslationText
{

QString strayTextError(const QString &rest)
{
    return QStringLiteral("Найдена последовательность не входящая в раздел слова\n") + rest;
}

QString unknownSectionError(const QString &code)
{
    return QStringLiteral("Ошибка разбора русских слов. Нет такой категории:\n[") + code +
           QLatin1Char(']');
}

QString duplicateSectionError(const QString &code)
{
    return QStringLiteral("Нельзя использовать одинаковую часть речи более одного раза\n[") + code +
           QLatin1Char(']');
}

QString wholeTextNotAloneError()
{
    return QStringLiteral(
        "При наличии раздела ([S], [SS] или [Применено]) другие разделы не допускаются");
}

QString angleBracketWarning()
{
    return QStringLiteral("Нельзя использовать символы < и >");
}

QString emptySectionError()
{
    return QStringLiteral("Содержимое раздела пустое");
}

} // namespace TranslationText

QString renderTranslations(const QList<TranslationSection> &sections)
{
    QString t;
    for (const TranslationSection &s : sections) {
        t += QLatin1Char('[') + s.code + QStringLiteral("] ");
        const bool numbered = !isWholeTextCode(s.code);
        int n = 0;
        for (const TranslationGroup &g : s.groups) {
            ++n;
            if (numbered)
                t += QString::number(n) + QStringLiteral(". ");
            bool first = true;
            for (const TranslationVariant &v : g) {
                // A whole-text section holds one variant when the editor made
                // it; any further ones (from a hand-written file) are kept
                // apart by a comma instead of running into the first.
                if (!first)
                    t += QStringLiteral(", ");
                if (numbered)
                    t += QStringLiteral("- ");
                t += v.word;
                if (!v.info.isEmpty())
                    t += QStringLiteral(" (") + v.info + QLatin1Char(')');
                first = false;
            }
            t += QLatin1Char('\n');
        }
        t += QLatin1Char('\n');
    }
    return t.trimmed();
}

int TranslationParse::variantCount() const
{
    int n = 0;
    for (const TranslationSection &s : sections)
        for (const TranslationGroup &g : s.groups)
            n += int(g.size());
    return n;
}

bool isTranslationSeparator(QChar c)
{
    switch (c.unicode()) {
    case '\n':
    case ',':
    case '-':
    case '.':
    case ':':
    case ';':
        return true;
    default:
        return c.isSpace();
    }
}

void skipSeparators(const QString &content, int &p)
{
    const int n = int(content.size());
    while (p < n && isTranslationSeparator(content.at(p)))
        ++p;
}

bool readGroupNumber(const QString &content, int &p)
{
    const int n = int(content.size());
    int q = p;
    while (q < n && content.at(q).isDigit())
        ++q;
    if (q == p || q >= n || content.at(q) != QLatin1Char('.'))
        return false;
    p = q;
    return true;
}

static bool isAngleBracket(QChar c)
{
    return c == QLatin1Char('<') || c == QLatin1Char('>');
}

QString readWord(const QString &content, int &p, QStringList *warnings)
{
    const int n = int(content.size());
    QString w;
    int depth = 0;
    while (p < n) {
        const QChar c = content.at(p);
        if (isAngleBracket(c)) {
            if (warnings)
                warnings->append(TranslationText::angleBracketWarning());
        } else if (c == QLatin1Char('(')) {
            w += c;
            ++depth;
        } else if (c == QLatin1Char(')')) {
            if (depth > 0) {
                w += c;
                --depth;
            }
        } else if (depth > 0 || c.isLetterOrNumber() || c == QLatin1Char('!') ||
                   c == QLatin1Char('"') || c == QLatin1Char('\'') || c == QLatin1Char('-')) {
            w += c;
        } else {
            break;
        }
        ++p;
    }
    w += QString(depth, QLatin1Char(')'));
    // A dash right after a word separates it from the next one.
    if (w.endsWith(QLatin1Char('-'))) {
        w.chop(1);
        --p;
    }
    return w;
}

QString readInfo(const QString &content, int &p, QStringList *warnings)
{
    const int n = int(content.size());
    if (p >= n || content.at(p) != QLatin1Char('('))
        return QString();
    ++p;
    skipSeparators(content, p);
    QString info;
    while (p < n && content.at(p) != QLatin1Char(')')) {
        const QChar c = content.at(p);
        if (isAngleBracket(c)) {
            if (warnings)
                warnings->append(TranslationText::angleBracketWarning());
        } else {
            info += c;
        }
        ++p;
    }
    if (p >= n)
        return QString();
    ++p;
    return info.trimmed();
}

static bool hasNonSpace(const QString &text)
{
    for (QChar c : text)
        if (!c.isSpace())
            return true;
    return false;
}

// [S], [SS], [Применено]: the text as written, one variant.
static bool fillWholeText(TranslationSection &section, const QString &content, TranslationParse &r)
{
    int p = 0;
    skipSeparators(content, p);
    QString body = content.mid(p).trimmed();
    if (body.contains(QLatin1Char('<')) || body.contains(QLatin1Char('>'))) {
        body.remove(QLatin1Char('<'));
        body.remove(QLatin1Char('>'));
        r.warnings.append(TranslationText::angleBracketWarning());
    }
    if (!hasLetterOrDigit(body)) {
        r.error = TranslationText::emptySectionError();
        return false;
    }
    section.groups.append(TranslationGroup{TranslationVariant{body, QString()}});
    return true;
}

// Numbered sections: groups separated by "N." numbers, variants by
// separators, each variant a word with an optional "(remark)".
static void fillGroups(TranslationSection &section, const QString &content, TranslationParse &r)
{
    const int n = int(content.size());
    int p = 0;
    skipSeparators(content, p);
    readGroupNumber(content, p);
    while (p < n) {
        TranslationGroup group;
        while (p < n) {
            skipSeparators(content, p);
            int q = p;
            if (readGroupNumber(content, q))
                break;
            const QString word = readWord(content, p, &r.warnings);
            skipSeparators(content, p);
            const QString info = readInfo(content, p, &r.warnings);
            if (!hasLetterOrDigit(word) && !hasLetterOrDigit(info))
                break;
            group.append(TranslationVariant{word, info});
        }
        if (!group.isEmpty())
            section.groups.append(group);
        skipSeparators(content, p);
        if (!readGroupNumber(content, p))
            break; // anything after a word that is not one is ignored
    }
}

TranslationParse parseTranslations(const QString &text)
{
    TranslationParse r;
    QStringList seen;
    const int n = int(text.size());
    int pos = 0;
    while (pos < n) {
        const int open = int(text.indexOf(QLatin1Char('['), pos));
        // The label's "]" is looked for after its "[", so a stray "]" in
        // front of a section cannot cut a label backwards.
        const int close = open < 0 ? -1 : int(text.indexOf(QLatin1Char(']'), open));
        if (open < 0 || close < 0) {
            const QString rest = text.mid(pos);
            if (hasNonSpace(rest))
                r.error = TranslationText::strayTextError(rest);
            return r;
        }
        // Text in front of the first label would otherwise vanish unnoticed.
        if (open > pos && hasNonSpace(text.mid(pos, open - pos))) {
            r.error = TranslationText::strayTextError(text.mid(pos, open - pos).trimmed());
            return r;
        }
        int next = int(text.indexOf(QLatin1Char('['), close));
        if (next < 0)
            next = n;
        const QString code = text.mid(open + 1, close - open - 1);
        const QString content = text.mid(close + 1, next - close - 1);
        pos = next;

        const QString label = QLatin1Char('[') + code + QLatin1Char(']');
        bool known = false;
        for (const QString &entry : speechParts())
            if (entry.contains(label)) {
                known = true;
                break;
            }
        if (!known) {
            r.error = TranslationText::unknownSectionError(code);
            return r;
        }
        if (seen.contains(code)) {
            r.error = TranslationText::duplicateSectionError(code);
            return r;
        }
        seen.append(code);
        if (seen.size() >= 2) {
            for (const QString &c : seen)
                if (isWholeTextCode(c)) {
                    r.error = TranslationText::wholeTextNotAloneError();
                    return r;
                }
        }

        TranslationSection section;
        section.code = code;
        if (isWholeTextCode(code)) {
            if (!fillWholeText(section, content, r))
                return r;
        } else {
            fillGroups(section, content, r);
        }
        r.sections.append(section);
    }
    return r;
}
