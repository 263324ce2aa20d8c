#pragma once

#include <QList>
#include <QString>

// One foreign form of a card's word, with its transcription.
struct ForeignWord {
    QString word;
    QString transcription;
    bool autoCheck = false;

    bool operator==(const ForeignWord &o) const
    {
        return word == o.word && transcription == o.transcription && autoCheck == o.autoCheck;
    }
};

// A Russian word of a meaning, with an optional remark shown in brackets.
struct TranslationVariant {
    QString word;
    QString info;

    bool operator==(const TranslationVariant &o) const { return word == o.word && info == o.info; }
};

// One numbered meaning of a section: close synonyms.
using TranslationGroup = QList<TranslationVariant>;

// Translations of one part of speech; `code` is stored without brackets.
struct TranslationSection {
    QList<TranslationGroup> groups;
    QString code;

    bool operator==(const TranslationSection &o) const
    {
        return groups == o.groups && code == o.code;
    }
};

// One entry of a dictionary. A value type: copies keep the id, which links
// them to the card held by the Dictionary.
struct Card {
    int id = 0;
    int runMark = 0;
    QString filePath;
    QString lesson;
    QString soundPath;
    QList<ForeignWord> foreignWords;
    QList<TranslationSection> translations;
    QList<QString> categories;
    int nPER = 1;
    int pER = 1;
    int rER = 0;
    int aER = 0;
    int nPRE = 1;
    int pRE = 1;
    int rRE = 0;
    int aRE = 0;
    bool nAr = true;
    // Beside the other flag: every card saves the padding of its own.
    bool inFilter = true;

    // Field-by-field equality of everything a file stores (not id, runMark,
    // inFilter or filePath).
    bool sameContent(const Card &o) const
    {
        return lesson == o.lesson && soundPath == o.soundPath && foreignWords == o.foreignWords &&
               translations == o.translations && categories == o.categories && nPER == o.nPER &&
               pER == o.pER && rER == o.rER && aER == o.aER && nPRE == o.nPRE && pRE == o.pRE &&
               rRE == o.rRE && aRE == o.aRE && nAr == o.nAr;
    }
};

// Shown when something names a card by an id the dictionary does not hold:
// a fault of the program, not of the user, worded the same wherever it
// comes up.
inline QString noCardMessage(int id)
{
    return QStringLiteral("Ошибка программы\nНет карточки с id == ") + QString::number(id);
}
