#pragma once

#include <QColor>
#include <QList>
#include <QString>
#include <QStringList>

// What went wrong in a typed answer, for the learner: the typed text marked
// character by character against the closest expected item, the expected
// items nothing typed comes close to, and one word on the kind of mistake.
//
// The verdict with typos not accepted is always the one of
// checkAnswerItems(); the review only explains it. With typos accepted, an
// answer whose only mistakes are one-letter typos in items of at least
// typoItemLetters letters is accepted too.

enum class MistakeKind {
    None,           // accepted as typed
    WrongLetter,    // one letter of an item typed wrong
    MissingLetter,  // one letter left out
    ExtraLetter,    // one letter too many
    SwappedLetters, // two neighbouring letters swapped
    CloseWord,      // close to an item, but more than one letter off
    MissingItem,    // an expected item is not there, others are
    ExtraWord,      // a word typed that keeps an item from matching
    NothingClose,   // nothing typed comes close to any expected item
    NoAnswer,       // nothing typed at all
};

// The four kinds of one-letter typo.
bool isTypo(MistakeKind kind);
// The short Russian line naming the mistake; empty for None.
QString mistakeLine(MistakeKind kind, bool accepted = false);

enum class DiffMark {
    Same,    // typed as expected (or typed outside any expected item)
    Wrong,   // typed, but another character was expected here
    Missing, // expected, not typed: shown where it belongs
    Extra,   // typed, not expected
};

struct DiffSegment {
    QString text;
    DiffMark mark = DiffMark::Same;

    bool operator==(const DiffSegment &o) const { return text == o.text && mark == o.mark; }
};

struct AnswerDifference {
    MistakeKind kind = MistakeKind::None;
    // The typed text (white space simplified), cut where the marks change;
    // missing characters are segments of their own.
    QList<DiffSegment> segments;
    // Expected items that nothing typed comes close to, in card order.
    QStringList missingItems;
    bool accepted = false;

    // "Не найдено: …" or empty.
    QString missingItemsLine() const;
    QString line() const { return mistakeLine(kind, accepted); }
};

enum class AnswerVerdict { NotCheckable, Accepted, AcceptedWithTypo, Wrong };

struct AnswerReview {
    AnswerVerdict verdict = AnswerVerdict::NotCheckable;
    // Filled for Wrong and AcceptedWithTypo only.
    AnswerDifference difference;

    bool checkable() const { return verdict != AnswerVerdict::NotCheckable; }
    bool accepted() const
    {
        return verdict == AnswerVerdict::Accepted || verdict == AnswerVerdict::AcceptedWithTypo;
    }
    bool showsDifference() const
    {
        return verdict == AnswerVerdict::Wrong || verdict == AnswerVerdict::AcceptedWithTypo;
    }
};

// A typo is forgiven only in an item at least this many letters long: in a
// short word one letter changes the word.
constexpr int typoItemLetters = 5;

// Judges `typed` against the cleaned expected `items` (autocheckItems()) and
// explains a rejected or forgiven answer. Linear in the length of the answer
// for given items.
AnswerReview reviewAnswer(const QStringList &items, const QString &typed, bool acceptTypos);

// The inner frame of an answer accepted with a typo: amber, where an answer
// accepted as typed is light green.
inline QColor typoAcceptedColor()
{
    return QColor(255, 191, 0);
}
