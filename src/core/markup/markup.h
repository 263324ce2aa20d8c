#pragma once

#include "core/dictionary/card.h"

#include <QStringList>

// The part-of-speech list: "[CODE] Label", in code-unit order.
const QStringList &speechParts();

// True when "[" + code + "]" begins an entry of the list (case-sensitive).
bool isKnownSectionCode(const QString &code);

// Sections of these codes hold one whole text; all others are numbered.
bool isWholeTextCode(const QString &code);

// First digit, Latin a-z or Russian letter of the text, upper-cased; empty when none.
QString firstLetter(const QString &text);
// The same letter as one code unit; 0 when there is none.
char16_t firstLetterCode(QStringView text);
// Same character class as firstLetter.
bool hasLetterOrDigit(const QString &text);

struct RenderedText {
    QString text;
    int lineCount = 0;
};

// "word\ttranscription\n" per foreign word.
RenderedText foreignText(const Card &card);

// Display switches of the run's rendering; ignored in the table form.
struct TranslationDisplay {
    bool showSpeechParts = false;
    bool showPartsNums = false;
};

// Table form: codes and group numbers always shown, one variant per line.
RenderedText translationText(const Card &card);
// Run form: settings decide codes and numbers; `oneLine` puts a group's
// variants on one line separated by ", ".
RenderedText translationText(const Card &card, const TranslationDisplay &display, bool oneLine);

// The word the table groups and sorts a card by: its first foreign word, or
// the first variant of its first section's first group. Null when missing.
QString firstForeignWord(const Card &card);
QString firstRussianWord(const Card &card);
