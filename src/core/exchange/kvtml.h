#pragma once

#include "core/dictionary/card.h"
#include "core/exchange/card_exchange.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// KVTML 2.0, the XML vocabulary files of KDE's trainers (Parley,
// KWordQuiz): identifiers (the languages), entries with one translation per
// identifier, and lessons as nested containers naming their entries.
//
// Grades and priorities. A KVTML translation carries the grade (0 to 7) of
// the learner's answers into that language: 0 never practised, 1 the
// lowest level, 7 learned. A card's priority says how many times per cycle
// it is shown (1 to 5, 1 for a new card). So:
//   grade 0 or none → priority 1 (as a new card);
//   grade 1, 2 → 5;  3 → 4;  4, 5 → 3;  6 → 2;  7 → 1
// (5 − ⌊4·(grade − 1)/6⌋ for grades 1 to 7), and the export writes the
// inverse: priority 1 → no grade, 2 → 6, 3 → 4, 4 → 3, 5 and above → 1, so
// that a card's priorities come back from its own export. The grade of the
// Russian translation (asked from the foreign word) gives ин-ру, that of the
// foreign one ру-ин.
int priorityForGrade(int grade);
int gradeForPriority(int priority);

struct KvtmlIdentifier {
    int id = 0;
    QString name;
    QString locale;
};

struct KvtmlTranslation {
    QString text;
    QString pronunciation;
    int grade = 0; // the current grade of answers into this language
};

struct KvtmlEntry {
    int id = 0;
    int line = 0;                                     // where the entry starts in the file
    QList<QPair<int, KvtmlTranslation>> translations; // by identifier id
    QString lesson;                                   // the first lesson naming it; empty for none
    const KvtmlTranslation *translation(int identifier) const;
};

struct KvtmlDocument {
    QString title;
    QList<KvtmlIdentifier> identifiers;
    QList<KvtmlEntry> entries;
    QStringList lessons; // in document order; nested ones as "Outer / Inner"
    QString error;       // not a KVTML 2.0 file, or not well-formed; Russian
};

// Reads a KVTML 2.0 file's bytes (the XML declaration names the encoding).
KvtmlDocument readKvtml(const QByteArray &bytes);

// The cards of a document: `foreignId` gives the foreign word and its
// pronunciation (the transcription, in brackets), `russianId` the
// translation (read as a word list's right side is). Entries with neither
// are skipped; entries outside every lesson get `defaults.lesson`.
ImportSource cardsFromKvtml(const KvtmlDocument &doc, int foreignId, int russianId,
                            const ImportDefaults &defaults);

// A KVTML 2.0 file of the cards: identifier 0 the foreign language (named
// `foreignName`), 1 Russian; a lesson container per lesson, in the order
// the cards first name them; translations as readable text.
QByteArray kvtmlBytes(const QList<Card> &cards, const QString &title,
                      const QString &foreignName = QStringLiteral("Иностранный"));
