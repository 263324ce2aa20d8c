#pragma once

#include "core/markup/markup.h"

#include <QColor>
#include <QString>
#include <QStringList>

// Pure helpers of a run's card display: the texts of question and answer,
// the check of a typed answer, and the time a timed run gives a card.
//
// How RunSession uses them:
//   question  text = runQuestionText(card, enRu, display); when
//             canShowQuestion(text) show it, else warn with emptyWordMessage().
//             In a Russian-to-foreign run with autocheck, autocheckPossible =
//             hasAutocheckForm(card) (olive panes, uncheckableColor(), when
//             false). A timed run then starts the card with timedCardSteps()
//             steps of runTimerInterval(speed) ms; 0 steps = not timed.
//   answer    text = runAnswerText(card, enRu, display); canShowAnswer(text)
//             or emptyWordMessage(). In a Russian-to-foreign repetition run
//             with autocheck, and unless the card is already marked as a
//             mistake, checkAnswer(card, typed): checkable and wrong makes a
//             mistake; checkable and right paints the panes acceptedColor().
//   timer     each tick of a timed Russian-to-foreign autocheck run calls
//             checkAnswer() too and moves on at once when it is right.

// ---- texts of a run ----

// One line per foreign form: word, tab, transcription; lineCount = forms.
RenderedText runForeignSide(const Card &card);
// The translation sections on one line per group, with codes and group
// numbers only as the display settings ask.
RenderedText runRussianSide(const Card &card, const TranslationDisplay &display);
// The question side: foreign when enRu, Russian otherwise.
RenderedText runQuestionText(const Card &card, bool enRu, const TranslationDisplay &display);
// The answer side: the other one.
RenderedText runAnswerText(const Card &card, bool enRu, const TranslationDisplay &display);
// A question is shown when it has at least one form and some text.
bool canShowQuestion(const RenderedText &question);
// An answer is shown when it has some text.
bool canShowAnswer(const RenderedText &answer);
// The warning for a side that renders to nothing.
QString emptyWordMessage();

// ---- autocheck ----

struct AutocheckResult {
    bool checkable = false; // the card has something to check against
    bool wrong = false;     // the typed answer misses an expected item

    bool accepted() const { return checkable && !wrong; }
};

// The characters that end a word of a typed answer: blank, tab and
// , . : ; ! ? " ) (.
bool isAnswerWordBoundary(QChar c);
// A card with a phrase section (S or SS): its checked forms are taken whole.
bool isSentenceCard(const Card &card);
// Some foreign form is marked for autocheck (the window's autocheckPossible).
bool hasAutocheckForm(const Card &card);
// The expected items of the checked forms after cleaning: white space
// simplified, punctuation at the ends dropped, inner punctuation splitting an
// item in two ("to look (after)" gives "to look" and "after").
QStringList autocheckItems(const Card &card);
// Every item must occur in the answer as a whole word, in any order; extra
// words do not matter. Case does not matter, except that an item whose first
// case-blind occurrence is not a whole word may still match with its exact case.
AutocheckResult checkAnswer(const Card &card, const QString &typedAnswer);
// The same over items already extracted.
AutocheckResult checkAnswerItems(const QStringList &items, const QString &typedAnswer);

// ---- timing ----

// The raw size of a card: foreign to Russian, per translation variant
// int(word length * 0.6f) plus int(remark length * 0.4f); Russian to
// foreign, per foreign form int(word length * 1.2f).
int timedCardSize(const Card &card, bool enRu);
// Small sizes get a floor: 1, 2, 3 become 3, 4, 5; 4 and 5 become 6; 0 or
// less stays 0 (the card is not timed).
int timedCardUnits(int rawSize);
// Progress bar steps of the card (units * 16); 0 = the card is not timed.
int timedCardSteps(const Card &card, bool enRu);
// The run timer's interval in milliseconds for WorkSettings::speed.
inline int runTimerInterval(int speed)
{
    return 5 * speed;
}

// ---- pane colours set by the run ----

inline QColor mistakeFlashColor()
{
    return QColor(255, 0, 0);
}
inline QColor uncheckableColor()
{
    return QColor(111, 111, 0);
}
inline QColor acceptedColor()
{
    return QColor(151, 234, 139);
}
