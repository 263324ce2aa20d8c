#include "core/run/answer_diff.h"

#include "core/run/answer_check.h"

#include <algorithm>
#include <limits>
#include <vector>

namespace
{

constexpr int kInf = std::numeric_limits<int>::max() / 4;
// Words typed between the words of a longer item still count as that item
// with extra words, up to this many in each gap.
constexpr int kMaxGapWords = 3;

QString foldCase(const QString &s)
{
    // Character by character, so positions stay those of the typed text.
    QString out(s.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < s.size(); ++i)
        out[i] = s.at(i).toCaseFolded();
    return out;
}

// The typed answer cut into words at the check's word boundaries. Words
// taken by an item are used and no other item may take them.
struct TypedText {
    struct Token {
        int start = 0;
        int end = 0;
    };

    explicit TypedText(const QString &simplified) : text(simplified), folded(foldCase(simplified))
    {
        tokenOf.assign(size_t(text.size()), -1);
        for (int i = 0; i < size();) {
            if (isAnswerWordBoundary(text.at(i))) {
                ++i;
                continue;
            }
            Token token;
            token.start = i;
            while (i < size() && !isAnswerWordBoundary(text.at(i)))
                tokenOf[size_t(i++)] = int(tokens.size());
            token.end = i;
            tokens.push_back(token);
        }
        used.assign(tokens.size(), false);
    }

    int size() const { return int(text.size()); }
    bool blocked(int pos) const
    {
        const int t = tokenOf[size_t(pos)];
        return t >= 0 && used[size_t(t)];
    }
    // A free word starts at `pos`.
    bool wordStartsAt(int pos) const
    {
        if (pos >= size())
            return false;
        const int t = tokenOf[size_t(pos)];
        return t >= 0 && tokens[size_t(t)].start == pos && !used[size_t(t)];
    }
    // A free word ends just before `pos`.
    bool wordEndsAt(int pos) const
    {
        if (pos <= 0)
            return false;
        const int t = tokenOf[size_t(pos - 1)];
        return t >= 0 && tokens[size_t(t)].end == pos && !used[size_t(t)];
    }
    QStringView word(size_t t) const
    {
        return QStringView(folded).mid(tokens[t].start, tokens[t].end - tokens[t].start);
    }
    bool isFree(int start, int end) const
    {
        for (int pos = start; pos < end; ++pos)
            if (blocked(pos))
                return false;
        return true;
    }
    void useSpan(int start, int end)
    {
        for (int pos = start; pos < end; ++pos)
            if (tokenOf[size_t(pos)] >= 0)
                used[size_t(tokenOf[size_t(pos)])] = true;
    }

    QString text;
    QString folded;
    std::vector<int> tokenOf; // per character: its word, -1 between words
    std::vector<Token> tokens;
    std::vector<bool> used;
};

struct Span {
    int start = -1;
    int end = -1;
    int distance = kInf;
};

// The run of whole free words closest to `item` (both case-folded), by edit
// distance with neighbouring letters swapped as one edit. One pass over the
// text with three columns of the item's length: the start of each path is
// carried along, so only the span found needs the full table afterwards.
Span closestSpan(const QString &item, const TypedText &t)
{
    const int m = int(item.size());
    const int n = t.size();
    std::vector<int> before(size_t(m + 1), kInf), prev(size_t(m + 1), kInf), cur(size_t(m + 1));
    std::vector<int> startBefore(size_t(m + 1), -1), startPrev(size_t(m + 1), -1),
        startCur(size_t(m + 1));
    Span best;
    for (int j = 0; j <= n; ++j) {
        const bool consume = j >= 1 && !t.blocked(j - 1);
        const bool swap = consume && j >= 2 && !t.blocked(j - 2);
        const QChar c = j >= 1 ? t.folded.at(j - 1) : QChar();
        for (int i = 0; i <= m; ++i) {
            int cost = kInf;
            int start = -1;
            const auto take = [&](int value, int from) {
                if (value < cost) {
                    cost = value;
                    start = from;
                }
            };
            if (i == 0 && t.wordStartsAt(j))
                take(0, j);
            if (i >= 1)
                take(cur[size_t(i - 1)] + 1, startCur[size_t(i - 1)]);
            if (consume) {
                take(prev[size_t(i)] + 1, startPrev[size_t(i)]);
                if (i >= 1)
                    take(prev[size_t(i - 1)] + (item.at(i - 1) == c ? 0 : 1),
                         startPrev[size_t(i - 1)]);
                if (swap && i >= 2 && item.at(i - 1) != item.at(i - 2) &&
                    item.at(i - 1) == t.folded.at(j - 2) && item.at(i - 2) == c)
                    take(before[size_t(i - 2)] + 1, startBefore[size_t(i - 2)]);
            }
            cur[size_t(i)] = std::min(cost, kInf);
            startCur[size_t(i)] = start;
        }
        if (t.wordEndsAt(j) && cur[size_t(m)] < best.distance)
            best = Span{startCur[size_t(m)], j, cur[size_t(m)]};
        std::swap(before, prev);
        std::swap(prev, cur);
        std::swap(startBefore, startPrev);
        std::swap(startPrev, startCur);
    }
    return best;
}

enum class Op { Match, Wrong, Swap, Extra, Missing };

struct AlignStep {
    Op op;
    int pos;     // in the typed text: the character, or where a missing one goes
    QChar shown; // the expected character of a missing step
};

// The edits that turn the span into the item, in text order.
std::vector<AlignStep> alignSpan(const QString &itemFolded, const QString &item, const TypedText &t,
                                 const Span &span)
{
    const int m = int(itemFolded.size());
    const int len = span.end - span.start;
    const QStringView s = QStringView(t.folded).mid(span.start, len);
    std::vector<int> d(size_t((m + 1) * (len + 1)));
    const auto at = [&](int i, int k) -> int & { return d[size_t(i * (len + 1) + k)]; };
    const auto swapped = [&](int i, int k) {
        return i >= 2 && k >= 2 && itemFolded.at(i - 1) != itemFolded.at(i - 2) &&
               itemFolded.at(i - 1) == s.at(k - 2) && itemFolded.at(i - 2) == s.at(k - 1);
    };
    for (int i = 0; i <= m; ++i)
        for (int k = 0; k <= len; ++k) {
            if (i == 0 || k == 0) {
                at(i, k) = i + k;
                continue;
            }
            int v = std::min(at(i - 1, k) + 1, at(i, k - 1) + 1);
            v = std::min(v, at(i - 1, k - 1) + (itemFolded.at(i - 1) == s.at(k - 1) ? 0 : 1));
            if (swapped(i, k))
                v = std::min(v, at(i - 2, k - 2) + 1);
            at(i, k) = v;
        }

    // Walking back from the end, a letter typed once too often or left out
    // of a run of equal letters is put last, where a reader looks for it:
    // "beautiful<l>", not "beautifu<l>l".
    std::vector<AlignStep> steps;
    int i = m;
    int k = len;
    while (i > 0 || k > 0) {
        const int v = at(i, k);
        const bool match =
            i > 0 && k > 0 && itemFolded.at(i - 1) == s.at(k - 1) && v == at(i - 1, k - 1);
        if (match && k > 0 && v == at(i, k - 1) + 1) {
            steps.push_back({Op::Extra, span.start + k - 1, QChar()});
            --k;
        } else if (match && i > 0 && v == at(i - 1, k) + 1) {
            steps.push_back({Op::Missing, span.start + k, item.at(i - 1)});
            --i;
        } else if (match) {
            steps.push_back({Op::Match, span.start + k - 1, QChar()});
            --i;
            --k;
        } else if (i > 0 && k > 0 && v == at(i - 1, k - 1) + 1) {
            steps.push_back({Op::Wrong, span.start + k - 1, QChar()});
            --i;
            --k;
        } else if (swapped(i, k) && v == at(i - 2, k - 2) + 1) {
            steps.push_back({Op::Swap, span.start + k - 1, QChar()});
            steps.push_back({Op::Swap, span.start + k - 2, QChar()});
            i -= 2;
            k -= 2;
        } else if (k > 0 && v == at(i, k - 1) + 1) {
            steps.push_back({Op::Extra, span.start + k - 1, QChar()});
            --k;
        } else {
            steps.push_back({Op::Missing, span.start + k, item.at(i - 1)});
            --i;
        }
    }
    std::reverse(steps.begin(), steps.end());
    return steps;
}

MistakeKind typoKind(const std::vector<AlignStep> &steps)
{
    for (const AlignStep &s : steps) {
        switch (s.op) {
        case Op::Match:
            break;
        case Op::Wrong:
            return MistakeKind::WrongLetter;
        case Op::Swap:
            return MistakeKind::SwappedLetters;
        case Op::Extra:
            return MistakeKind::ExtraLetter;
        case Op::Missing:
            return MistakeKind::MissingLetter;
        }
    }
    return MistakeKind::None;
}

// An item of several words found word for word, with other words typed
// between them: the first and last word of the run and the words between.
bool findWithExtraWords(const QStringList &words, const TypedText &t, Span *span,
                        std::vector<size_t> *extra)
{
    if (words.size() < 2)
        return false;
    const size_t count = t.tokens.size();
    for (size_t first = 0; first < count; ++first) {
        if (t.used[first] || t.word(first) != words.first())
            continue;
        std::vector<size_t> gaps;
        size_t last = first;
        bool ok = true;
        for (qsizetype w = 1; w < words.size() && ok; ++w) {
            ok = false;
            for (size_t next = last + 1; next < count && next <= last + 1 + kMaxGapWords; ++next) {
                if (t.used[next])
                    break;
                if (t.word(next) == words.at(w)) {
                    for (size_t g = last + 1; g < next; ++g)
                        gaps.push_back(g);
                    last = next;
                    ok = true;
                    break;
                }
            }
        }
        if (ok && !gaps.empty()) {
            *span = Span{t.tokens[first].start, t.tokens[last].end, 0};
            *extra = std::move(gaps);
            return true;
        }
    }
    return false;
}

int letterCount(const QString &s)
{
    return int(std::count_if(s.cbegin(), s.cend(), [](QChar c) { return c.isLetter(); }));
}

// How far an item may be from what was typed and still count as close:
// two edits in five letters. Blanks do not count, so a phrase does not
// pass for close to its first word with another word after it.
int closeLimit(const QString &item)
{
    return std::max(1, 2 * letterCount(item) / 5);
}

enum class Fit { Missing, Exact, Typo, Close, ExtraWords };

struct ItemFit {
    Fit fit = Fit::Missing;
    MistakeKind typo = MistakeKind::None;
};

// The marks on the typed text: per character, and what is missing before it.
struct Marks {
    explicit Marks(int size) : mark(size_t(size), DiffMark::Same), missing(size_t(size) + 1) {}

    void apply(const std::vector<AlignStep> &steps)
    {
        for (const AlignStep &s : steps) {
            switch (s.op) {
            case Op::Match:
                break;
            case Op::Wrong:
            case Op::Swap:
                mark[size_t(s.pos)] = DiffMark::Wrong;
                break;
            case Op::Extra:
                mark[size_t(s.pos)] = DiffMark::Extra;
                break;
            case Op::Missing:
                missing[size_t(s.pos)] += s.shown;
                break;
            }
        }
    }
    void markWord(const TypedText &t, size_t token)
    {
        for (int pos = t.tokens[token].start; pos < t.tokens[token].end; ++pos)
            mark[size_t(pos)] = DiffMark::Extra;
    }

    QList<DiffSegment> segments(const QString &text) const
    {
        QList<DiffSegment> out;
        const auto add = [&out](QChar c, DiffMark m) {
            if (out.isEmpty() || out.last().mark != m)
                out.append(DiffSegment{QString(), m});
            out.last().text += c;
        };
        for (size_t pos = 0; pos <= size_t(text.size()); ++pos) {
            for (QChar c : missing[pos])
                add(c, DiffMark::Missing);
            if (pos < size_t(text.size()))
                add(text.at(qsizetype(pos)), mark[pos]);
        }
        return out;
    }

    std::vector<DiffMark> mark;
    std::vector<QString> missing;
};

} // namespace

bool isTypo(MistakeKind kind)
{
    switch (kind) {
    case MistakeKind::WrongLetter:
    case MistakeKind::MissingLetter:
    case MistakeKind::ExtraLetter:
    case MistakeKind::SwappedLetters:
        return true;
    default:
        return false;
    }
}

QString mistakeLine(MistakeKind kind, bool accepted)
{
    QString line;
    switch (kind) {
    case MistakeKind::None:
        return QString();
    case MistakeKind::WrongLetter:
        line = QStringLiteral("Опечатка: одна буква неверна");
        break;
    case MistakeKind::MissingLetter:
        line = QStringLiteral("Опечатка: пропущена буква");
        break;
    case MistakeKind::ExtraLetter:
        line = QStringLiteral("Опечатка: лишняя буква");
        break;
    case MistakeKind::SwappedLetters:
        line = QStringLiteral("Опечатка: две буквы переставлены");
        break;
    case MistakeKind::CloseWord:
        line = QStringLiteral("Похоже, но ошибка больше чем в одной букве");
        break;
    case MistakeKind::MissingItem:
        line = QStringLiteral("Пропущено ожидаемое слово");
        break;
    case MistakeKind::ExtraWord:
        line = QStringLiteral("Лишнее слово");
        break;
    case MistakeKind::NothingClose:
        line = QStringLiteral("Ничего похожего на ожидаемый ответ");
        break;
    case MistakeKind::NoAnswer:
        line = QStringLiteral("Ответ не введён");
        break;
    }
    if (accepted)
        line += QStringLiteral(" (засчитано)");
    return line;
}

QString AnswerDifference::missingItemsLine() const
{
    if (missingItems.isEmpty())
        return QString();
    return QStringLiteral("Не найдено: ") + missingItems.join(QStringLiteral(", "));
}

AnswerReview reviewAnswer(const QStringList &items, const QString &typed, bool acceptTypos)
{
    AnswerReview review;
    const AutocheckResult strict = checkAnswerItems(items, typed);
    if (!strict.checkable)
        return review;
    if (strict.accepted()) {
        review.verdict = AnswerVerdict::Accepted;
        return review;
    }
    review.verdict = AnswerVerdict::Wrong;
    AnswerDifference &diff = review.difference;

    TypedText t(typed.simplified());
    if (t.text.isEmpty()) {
        diff.kind = MistakeKind::NoAnswer;
        diff.missingItems = items;
        return review;
    }

    QStringList folded;
    folded.reserve(items.size());
    for (const QString &item : items)
        folded.append(foldCase(item));

    // Items typed exactly take their words first, so a near one cannot take
    // the words of another item typed right.
    std::vector<ItemFit> fits(size_t(items.size()));
    std::vector<Span> firstSpans(size_t(items.size()));
    for (qsizetype i = 0; i < items.size(); ++i) {
        const Span span = closestSpan(folded.at(i), t);
        firstSpans[size_t(i)] = span;
        if (span.distance == 0) {
            fits[size_t(i)].fit = Fit::Exact;
            t.useSpan(span.start, span.end);
        }
    }
    Marks marks(t.size());
    for (qsizetype i = 0; i < items.size(); ++i) {
        ItemFit &fit = fits[size_t(i)];
        if (fit.fit == Fit::Exact)
            continue;
        // Taking words away only removes choices: a closest span whose words
        // are all still free is still the closest.
        const Span first = firstSpans[size_t(i)];
        const Span span = first.distance < kInf && t.isFree(first.start, first.end)
                              ? first
                              : closestSpan(folded.at(i), t);
        if (span.distance == 1) {
            const std::vector<AlignStep> steps = alignSpan(folded.at(i), items.at(i), t, span);
            fit.fit = Fit::Typo;
            fit.typo = typoKind(steps);
            marks.apply(steps);
            t.useSpan(span.start, span.end);
            continue;
        }
        Span words;
        std::vector<size_t> extra;
        if (findWithExtraWords(folded.at(i).split(QLatin1Char(' ')), t, &words, &extra)) {
            fit.fit = Fit::ExtraWords;
            for (size_t token : extra)
                marks.markWord(t, token);
            t.useSpan(words.start, words.end);
            continue;
        }
        if (span.distance <= closeLimit(items.at(i))) {
            fit.fit = Fit::Close;
            marks.apply(alignSpan(folded.at(i), items.at(i), t, span));
            t.useSpan(span.start, span.end);
        }
    }

    const auto any = [&fits](Fit f) {
        return std::any_of(fits.cbegin(), fits.cend(),
                           [f](const ItemFit &x) { return x.fit == f; });
    };
    for (qsizetype i = 0; i < items.size(); ++i)
        if (fits[size_t(i)].fit == Fit::Missing)
            diff.missingItems.append(items.at(i));

    if (diff.missingItems.size() == items.size()) {
        diff.kind = MistakeKind::NothingClose;
    } else if (!diff.missingItems.isEmpty()) {
        diff.kind = MistakeKind::MissingItem;
    } else if (any(Fit::Close)) {
        diff.kind = MistakeKind::CloseWord;
    } else if (any(Fit::ExtraWords)) {
        diff.kind = MistakeKind::ExtraWord;
    } else if (any(Fit::Typo)) {
        const auto typo = std::find_if(fits.cbegin(), fits.cend(),
                                       [](const ItemFit &x) { return x.fit == Fit::Typo; });
        diff.kind = typo->typo;
        bool forgiven = acceptTypos;
        for (qsizetype i = 0; i < items.size() && forgiven; ++i)
            if (fits[size_t(i)].fit == Fit::Typo && letterCount(items.at(i)) < typoItemLetters)
                forgiven = false;
        if (forgiven) {
            diff.accepted = true;
            review.verdict = AnswerVerdict::AcceptedWithTypo;
        }
    } else {
        // Every item is there as a whole word, yet the check failed: it looks
        // only at an item's first occurrence, and that one lies inside
        // another word. That word is the mistake.
        diff.kind = MistakeKind::ExtraWord;
        bool marked = false;
        for (size_t token = 0; token < t.tokens.size(); ++token) {
            if (t.used[token])
                continue;
            const QStringView word = t.word(token);
            const bool hides = std::any_of(folded.cbegin(), folded.cend(),
                                           [word](const QString &f) { return word.contains(f); });
            if (hides) {
                marks.markWord(t, token);
                marked = true;
            }
        }
        for (size_t token = 0; token < t.tokens.size() && !marked; ++token)
            if (!t.used[token])
                marks.markWord(t, token);
    }
    diff.segments = marks.segments(t.text);
    return review;
}
