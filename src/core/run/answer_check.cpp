#include "core/run/answer_check.h"

#include <QRegularExpression>

#include <algorithm>
#include <vector>

namespace
{

// Letters that make a form worth checking; Latin capitals through the
// case-blind match.
const QRegularExpression &checkableLetter()
{
    static const QRegularExpression re(
        QStringLiteral("[ёйцукенгшщзхъфывапролджэячсмитьбюЁЙЦУКЕНГШЩЗХЪФЫВАПРОЛДЖЭЯЧСМИТЬБЮ"
                       "qwertyuiopasdfghjklzxcvbnm']"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::UseUnicodePropertiesOption);
    return re;
}

bool isWordBoundary(QChar c)
{
    switch (c.unicode()) {
    case ' ':
    case '\t':
    case ',':
    case '.':
    case ':':
    case ';':
    case '!':
    case '?':
    case '"':
    case ')':
    case '(':
        return true;
    default:
        return false;
    }
}

bool isWholeWordAt(const QString &text, qsizetype pos, qsizetype length)
{
    const qsizetype end = pos + length;
    const bool startOk = pos == 0 || isWordBoundary(text.at(pos - 1));
    const bool endOk = end == text.size() || isWordBoundary(text.at(end));
    return startOk && endOk;
}

bool isPunctuation(char16_t c)
{
    switch (c) {
    case u',':
    case u'.':
    case u':':
    case u';':
    case u'!':
    case u'?':
    case u'"':
    case u')':
    case u'(':
        return true;
    default:
        return false;
    }
}

qsizetype firstPunctuation(QStringView item)
{
    for (qsizetype i = 0; i < item.size(); ++i)
        if (isPunctuation(item.at(i).unicode()))
            return i;
    return -1;
}

// The cleaning loop visits items from the first and starts again from the
// first whenever an item is removed or split, the two parts going to the end
// of the list. The items before the visited one are clean by then, and a
// clean item stays as it is when visited again, so starting again only walks
// over them: the visits come in the order of a queue, which this follows
// without the walk. An item that lost an end character is visited again at
// once, until it is clean.
//
// Every visit simplifies the item. Each item is simplified once here; a
// piece of a simplified text can only have a blank at either end, so the
// pieces stay views of it and are trimmed instead. Linear in the length of
// the text: a long phrase is checked on every tick of a timed run.
void cleanItems(QStringList &items)
{
    QStringList simplified;
    simplified.reserve(items.size());
    for (const QString &item : std::as_const(items))
        simplified.append(item.simplified());

    std::vector<QStringView> queue;
    queue.reserve(size_t(simplified.size()));
    for (const QString &item : std::as_const(simplified))
        queue.push_back(item);

    QStringList clean;
    for (size_t head = 0; head < queue.size(); ++head) {
        QStringView item = queue[head];
        for (;;) {
            item = item.trimmed();
            if (item.isEmpty())
                break;
            const qsizetype p = firstPunctuation(item);
            if (p < 0) {
                clean.append(item.toString());
                break;
            }
            if (p == 0) {
                if (item.size() == 1)
                    break;
                // Looked at again rather than passed: "(hello)" must not stay
                // "hello)", nor "( a" leave " a"; no answer could match those.
                item = item.mid(1);
                continue;
            }
            if (p == item.size() - 1) {
                // Looked at again too: "Comment allez-vous ?" must lose the
                // blank before the mark.
                item = item.left(p);
                continue;
            }
            queue.push_back(item.left(p));
            queue.push_back(item.mid(p + 1));
            break;
        }
    }
    items = std::move(clean);
}

// What remove() followed by simplified() gives on a simplified text, without
// going over the whole text again: only the blanks at the gap can be left
// over, two of them together, or one at an end.
void removeFromSimplified(QString &text, qsizetype pos, qsizetype length)
{
    qsizetype from = pos;
    qsizetype to = pos + length;
    const bool blankBefore = from > 0 && text.at(from - 1) == QLatin1Char(' ');
    const bool blankAfter = to < text.size() && text.at(to) == QLatin1Char(' ');
    if (blankAfter && (blankBefore || from == 0))
        ++to;
    else if (blankBefore && to == text.size())
        --from;
    text.remove(from, to - from);
}

int truncatedTerm(qsizetype length, float factor)
{
    return int(double(length) * double(factor));
}

} // namespace

RenderedText runForeignSide(const Card &card)
{
    return foreignText(card);
}

RenderedText runRussianSide(const Card &card, const TranslationDisplay &display)
{
    return translationText(card, display, true);
}

RenderedText runQuestionText(const Card &card, bool enRu, const TranslationDisplay &display)
{
    return enRu ? runForeignSide(card) : runRussianSide(card, display);
}

RenderedText runAnswerText(const Card &card, bool enRu, const TranslationDisplay &display)
{
    return enRu ? runRussianSide(card, display) : runForeignSide(card);
}

bool canShowQuestion(const RenderedText &question)
{
    return question.lineCount >= 1 && !question.text.isEmpty();
}

bool canShowAnswer(const RenderedText &answer)
{
    return !answer.text.isEmpty();
}

QString emptyWordMessage()
{
    return QStringLiteral("Почему то \"слово\" пустое");
}

bool isAnswerWordBoundary(QChar c)
{
    return isWordBoundary(c);
}

bool isSentenceCard(const Card &card)
{
    for (const TranslationSection &s : card.translations)
        if (s.code == QLatin1String("S") || s.code == QLatin1String("SS"))
            return true;
    return false;
}

bool hasAutocheckForm(const Card &card)
{
    for (const ForeignWord &w : card.foreignWords)
        if (w.autoCheck)
            return true;
    return false;
}

QStringList autocheckItems(const Card &card)
{
    const bool sentence = isSentenceCard(card);
    QStringList items;
    for (const ForeignWord &w : card.foreignWords) {
        if (!w.autoCheck || w.word.isEmpty())
            continue;
        if (sentence) {
            items.append(w.word);
            continue;
        }
        if (w.word.endsWith(QLatin1Char('\t')))
            continue;
        if (w.word.contains(checkableLetter()))
            items.append(w.word);
    }
    cleanItems(items);
    return items;
}

AutocheckResult checkAnswerItems(const QStringList &items, const QString &typedAnswer)
{
    AutocheckResult result;
    if (items.isEmpty())
        return result;
    result.checkable = true;
    QString answer = typedAnswer.simplified();
    if (answer.isEmpty()) {
        result.wrong = true;
        return result;
    }
    // An item that starts with a letter or the like cannot occur inside the
    // marks and blanks the answer starts with (what found items leave
    // behind), and right after them it stands at a word start either way:
    // they are dropped, so a long answer typed in order is not searched from
    // its start again for every item. Dropping from the front moves no text.
    const bool plainStarts = std::none_of(items.cbegin(), items.cend(), [](const QString &item) {
        return item.isEmpty() || isWordBoundary(item.at(0));
    });
    for (const QString &item : items) {
        if (plainStarts) {
            qsizetype lead = 0;
            while (lead < answer.size() && isWordBoundary(answer.at(lead)))
                ++lead;
            answer.remove(0, lead);
        }
        // Only two occurrences count: the first found case-blind, then the
        // first with exactly the item's case.
        qsizetype pos = answer.indexOf(item, 0, Qt::CaseInsensitive);
        if (pos >= 0 && !isWholeWordAt(answer, pos, item.size())) {
            pos = answer.indexOf(item, 0, Qt::CaseSensitive);
            if (pos >= 0 && !isWholeWordAt(answer, pos, item.size()))
                pos = -1;
        }
        if (pos < 0) {
            result.wrong = true;
            return result;
        }
        removeFromSimplified(answer, pos, item.size());
    }
    return result;
}

AutocheckResult checkAnswer(const Card &card, const QString &typedAnswer)
{
    return checkAnswerItems(autocheckItems(card), typedAnswer);
}

int timedCardSize(const Card &card, bool enRu)
{
    int size = 0;
    if (enRu) {
        for (const TranslationSection &s : card.translations)
            for (const TranslationGroup &g : s.groups)
                for (const TranslationVariant &v : g) {
                    size += truncatedTerm(v.word.size(), 0.6f);
                    if (!v.info.isEmpty())
                        size += truncatedTerm(v.info.size(), 0.4f);
                }
    } else {
        for (const ForeignWord &w : card.foreignWords)
            size += truncatedTerm(w.word.size(), 1.2f);
    }
    return size;
}

int timedCardUnits(int rawSize)
{
    if (rawSize <= 0)
        return 0;
    switch (rawSize) {
    case 1:
        return 3;
    case 2:
        return 4;
    case 3:
        return 5;
    case 4:
    case 5:
        return 6;
    default:
        return rawSize;
    }
}

int timedCardSteps(const Card &card, bool enRu)
{
    return timedCardUnits(timedCardSize(card, enRu)) * 16;
}
