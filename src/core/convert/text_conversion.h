#pragma once

#include "core/dictionary/card.h"

#include <QList>
#include <QString>

// Word lists turned into new cards, one line per card:
//
//   word [transcription], other (remark) = [N] слово (помета), синоним [V] делать
//
// The foreign side stands left of "=", each word optionally followed by a
// bracketed transcription or remark; the Russian side may be split into
// part-of-speech sections by bracketed codes. The simplified reading knows
// only "words = words", split at commas.
//
// Every line is read on its own: whatever a line holds, the reading of it
// never takes anything from the line after it, so a line that makes no card
// costs no other card.

// What the conversion dialog asks, for one conversion.
struct ConversionOptions {
    static constexpr int minCardsInLesson = 10;
    static constexpr int maxCardsInLesson = 200;

    QString lessonNamePattern = QStringLiteral("Урок_");
    int cardsInLesson = 30;
    bool simpleParsing = false;
};

// The parsers read the line that starts at `pos` (up to its LF, or `end`),
// append at most one card to `result` and leave `pos` at the start of the
// next line. Cards are fresh ones of `lesson` with the category "Прочие".
void parseLineNormal(const QString &lesson, QList<Card> &result, const QString &text, int &pos,
                     int end);
void parseLineSimple(const QString &lesson, QList<Card> &result, const QString &text, int &pos,
                     int end);

// The pattern followed by the lesson's number ("Урок_" and 3: "Урок_3").
QString conversionLessonName(const QString &pattern, int number);

// The whole text, line by line, numbering the lessons from 1 with
// `cardsInLesson` cards each. CR LF line ends count as LF.
QList<Card> convertTextToCards(const QString &text, const ConversionOptions &options);

namespace ConversionText
{
// The only category of a converted card.
QString categoryName();
QString cardsAdded(int count);
QString noCardsAdded();
// The cards that could not be added, one "card: reason" each (at most ten
// are named).
QString cardsRefused(const QStringList &cards);
QString emptyPattern();
} // namespace ConversionText
