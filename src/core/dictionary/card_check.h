#pragma once

#include "core/dictionary/card.h"
#include "core/dictionary/dictionary.h"

#include <QString>

#include <vector>

// The rules a card must keep to come back from a dictionary file exactly as
// it is held. The writer refuses a card that breaks them; the places where
// cards are made (the editor's apply, the text conversion, the join) call
// the same functions so that the user meets the rules there first.

// Applies the changes that lose nothing the user could see or want: the
// lesson's white space simplified (the reader does that to every lesson),
// foreign words with neither word nor transcription, variants with neither
// word nor remark, and groups and sections left without a variant removed.
// Returns true when the card changed.
bool normalizeCardForFile(Card &card);

// Empty when a file holding the card gives it back unchanged; otherwise one
// Russian sentence saying what is wrong (the first fault found): a blank
// lesson or one with extra white space, no foreign word or an empty one, an
// unknown or empty section, an empty group or variant, no category, an
// empty one, one with ";" or one missing from `categoryList`, or a
// character XML cannot hold.
QString cardFileProblem(const Card &card, const StringSet &categoryList);

// The same check for many cards in a row, as a save makes it. Cards share
// their lessons, section codes and categories, so the values already found
// good are remembered and not looked up again.
class CardFileChecker
{
public:
    explicit CardFileChecker(const StringSet &categoryList) : m_categoryList(categoryList) {}
    // As cardFileProblem.
    QString problem(const Card &card);

private:
    bool knownGood(std::vector<QString> &good, const QString &value) const;
    void remember(std::vector<QString> &good, const QString &value) const;

    const StringSet &m_categoryList;
    QString m_goodLesson;
    std::vector<QString> m_goodCodes;
    std::vector<QString> m_goodCategories;
};

// "Карточка «word» (урок «lesson»)": how messages name a card.
QString cardTitle(const Card &card);
