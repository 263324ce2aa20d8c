#pragma once

#include "core/dictionary/card.h"
#include "core/dictionary/dictionary.h"

#include <QList>
#include <QString>
#include <QStringList>

// What the card editor's fields hold, and the checks that turn them into a
// card. The dialog only copies its widgets into a CardEditorInput and shows
// the messages that come back; every decision is made here.

// Caption and messages of the editor (Russian, as the user sees them).
namespace CardEditorText
{
QString caption();            // "Редактирование \"слова\""
QString addCaption();         // the dialog's title when a card is added
QString editCaption();        // the dialog's title when a card is edited
QString lessonMissing();      // "Введите наименование урока..."
QString transcriptionAlone(); // a line with a transcription but no word
QString noForeignWord();
QString noRussianWord();
QString noCategory();
QString noLessonsYet(); // the lesson button with no lesson to offer
QString lessonPickLabel();
// The card could not be saved to a file as it is; `problem` says why.
QString notStorable(const QString &problem);
} // namespace CardEditorText

// One foreign-word line of the editor.
struct ForeignLineInput {
    QString word;
    QString transcription;
    bool autoCheck = false;

    bool operator==(const ForeignLineInput &o) const
    {
        return word == o.word && transcription == o.transcription && autoCheck == o.autoCheck;
    }
};

struct CardEditorInput {
    QString lesson;
    // One entry per line shown, in order; empty lines included.
    QList<ForeignLineInput> lines;
    QString translations; // the Russian text as typed
    int priorityER = 1;
    int priorityRE = 1;
    bool archived = false;
    QStringList categories; // the category window's chosen list, in its order
    QString soundFiles;
};

// The editor always shows at least this many foreign-word lines; a card
// with more words gets one line per word.
constexpr int kMinForeignLines = 5;

// The fields of the editor for a card: one line per foreign word (at least
// kMinForeignLines), the rendered translations, the card's categories as
// they stand in the card.
CardEditorInput editorInputFromCard(const Card &card);

struct CardApplyResult {
    Card card;            // the replacement card, valid when ok()
    QStringList warnings; // messages that let the apply go on, in order
    QString error;        // the message that stopped it; empty on success

    bool ok() const { return error.isEmpty(); }
};

// The apply of the editor: a fresh card that keeps the edited card's id and
// file, filled from the input. Repetition counters restart from the chosen
// priorities; runMark and inFilter take their fresh values. The card must
// also be one a dictionary file gives back unchanged (normalizeCardForFile,
// then cardFileProblem against `categoryList`), so a fault is met here and
// not at the next save.
CardApplyResult applyCardEditor(const Card &edited, const CardEditorInput &input,
                                const StringSet &categoryList);

// The category window holds at most this many categories of a card.
constexpr int kMaxCardCategories = 6;

// The card's categories as the window first shows them: card order with
// repeats skipped, cut after kMaxCardCategories, then sorted.
QStringList initialChosenCategories(const QList<QString> &cardCategories);
// All allowed categories, sorted.
QStringList availableCategories(const StringSet &categoryList);
// True when `candidate` may join `chosen`: not empty, not there yet, and
// room left.
bool canChooseCategory(const QStringList &chosen, const QString &candidate);
