#pragma once

#include "core/dictionary/card.h"

#include <QList>
#include <QString>
#include <QStringList>

// The editable text form of a card's Russian side and its parser.
//
// A text is a run of sections, each opened by a bracketed part-of-speech
// code: «[N] 1. - кот, - кошка» on one line and «2. - киска» on the next.
// Numbered sections hold groups (meanings) of variants (close synonyms), a
// variant being a word with an optional remark in brackets; the whole-text
// sections [S], [SS] and [Применено] keep their text as written.

// The messages of the Russian text, as the editor shows them.
namespace TranslationText
{
QString strayTextError(const QString &rest); // "Найдена последовательность..."
QString unknownSectionError(const QString &code);
QString duplicateSectionError(const QString &code);
QString wholeTextNotAloneError();
QString angleBracketWarning();
QString emptySectionError();
} // namespace TranslationText

// The editor's text for these sections: «[N] 1. - a, - b» per group line, a
// blank line between sections, stripped of outer white space.
QString renderTranslations(const QList<TranslationSection> &sections);

struct TranslationParse {
    QList<TranslationSection> sections;
    // Messages that let the apply go on, in the order they arose.
    QStringList warnings;
    // The message that stops the apply; empty when the text was accepted.
    QString error;

    bool ok() const { return error.isEmpty(); }
    // Variants over all sections and groups.
    int variantCount() const;
};

// Parses the (stripped) text of the editor. Sections are returned in text
// order, also sections without any group; on an error the sections read so
// far are kept but must not be used.
TranslationParse parseTranslations(const QString &text);

// The pieces of the group rule, over one section's content with a position.
// White space and "\n , - . : ;" separate words.
bool isTranslationSeparator(QChar c);
void skipSeparators(const QString &content, int &p);
// Digits directly followed by "." at p: p moves to the "." and the result is
// true. Anything else leaves p alone.
bool readGroupNumber(const QString &content, int &p);
// One word at p: letters, digits and ! " ' - at the outer level, anything
// inside brackets (blanks too). "<" and ">" are dropped with a warning each.
QString readWord(const QString &content, int &p, QStringList *warnings);
// "(remark)" at p, or empty with p unchanged when p is not on "(".
QString readInfo(const QString &content, int &p, QStringList *warnings);
