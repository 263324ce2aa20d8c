#pragma once

#include "core/dictionary/card.h"
#include "core/dictionary/dictionary.h"

#include <QList>
#include <QString>

#include <set>

class iniReader;

// The filter of the dictionary table and of filtered repetition runs.
//
// Each kind of condition is active when it holds a choice. Within a kind the
// choices are alternatives; kinds combine by AND or OR; the result may be
// inverted. Applying the filter sets every card's inFilter flag, which is all
// the table, the run start and the search look at.
class FilterSettings
{
public:
    bool forgottenRE = false;
    bool forgottenER = false;
    StringSet filterLessons;
    StringSet filterCategories;
    StringSet filterSpeechParts; // whole labels, "[N] Существительное"
    std::set<int> filterPrioritiesRE;
    std::set<int> filterPrioritiesER;
    int soundChoice = 0;   // 0 any, 1 with a sound file, 2 without
    int archiveChoice = 2; // 0 any, 1 archived, 2 not archived
    bool invert = false;
    bool byAnd = true;

    // Values outside 0..2 are ignored.
    void setSoundChoice(int choice);
    void setArchiveChoice(int choice);

    void reset();
    // "Not archived" alone hides cards but does not count as active, so the
    // caller learns about it through `nonArchivedOnly`.
    bool isActive(bool *nonArchivedOnly = nullptr) const;

    // Evaluates one card, without the inversion, and stores the result in
    // card.inFilter. With no active kind every card matches. A malformed
    // speech-part label leaves inFilter unchanged.
    bool matches(Card &card);
    // Sets inFilter of every card, inversion included. A malformed
    // speech-part label stops it before any card is touched.
    void applyTo(QList<Card> &cards);
    void applyTo(Dictionary &dict);

    // settings_filter.ini: keys without a section. Reading checks every list
    // item against its domain (categories against `categoryList`).
    void readFromIni(iniReader &filterStore, const StringSet &categoryList);
    // Adds the stored lesson names to filterLessons.
    void readLessons(iniReader &filterStore);
    // Clears the store and writes every key, LESSONS last.
    void writeToIni(iniReader &filterStore) const;
    void writeLessons(iniReader &filterStore) const;

    bool operator==(const FilterSettings &o) const;
    bool operator!=(const FilterSettings &o) const { return !(*this == o); }

private:
    // Which kinds take part, and the section codes of the chosen speech
    // parts; prepared once per applyTo.
    struct Working {
        bool sound = false;
        bool archive = false;
        bool lessons = false;
        bool speechParts = false;
        bool prioritiesRE = false;
        bool prioritiesER = false;
        bool categories = false;
        bool forgotten = false;
        StringSet codes;

        bool anyActive() const
        {
            return sound || archive || lessons || speechParts || prioritiesRE || prioritiesER ||
                   categories || forgotten;
        }
    };

    bool prepare();
    template <class C> bool evaluate(const C &card) const;
    template <class ForEach> void applyWith(ForEach forEach);

    Working m_work;
};
