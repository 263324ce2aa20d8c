#pragma once

#include "core/dictionary/card.h"
#include "core/dictionary/card_store.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <vector>

// The three-way merge of one dictionary file's cards: the base (the file as
// it was read or last written), ours (the cards held now) and theirs (the
// file on disk now, changed by another program or computer).
//
// Identity. Ours and the base are matched exactly, by the card ids the open
// gave (`oursBase`). Theirs has no ids, so a card of theirs is the base card
// with the same foreign words and lesson; among several such cards the
// first of theirs is the first of the base, and so on (their position in
// the file decides). A card left over is then the base card with the same
// lesson and the same translations, in the same way, so a card whose
// foreign word alone was changed is still the same card. Cards that neither
// side had in the base (added on both sides, or a sync copy merged without
// a base) are matched to each other in the same two steps.
//
// Rules, for each card:
// - changed on one side only: that side's version;
// - its words (everything but the repetition counters) changed differently
//   on both sides: both versions are kept, and the card is named;
// - its counters of one direction changed on both sides: the larger
//   repetition state (more repetitions in the cycle, then the higher current
//   priority, then more right answers), so answers made on both sides count;
//   words and counters merge apart, so an edit on one side and answers on
//   the other are both kept;
// - added on either side: kept (added on both sides the same: kept once);
// - deleted on one side and unchanged on the other: deleted;
// - deleted on one side and changed on the other: the changed card is kept,
//   and named.

// Where a card of the result comes from, for the base of the next merge.
struct MergeSource {
    enum Kind { None, Ours, Added };
    Kind kind = None;
    int index = -1; // into ours (Ours) or MergeResult::added (Added)
};

struct MergeResult {
    // Ours cards (with their ids) that take new content.
    QList<Card> changed;
    // Positions in ours of cards to delete.
    std::vector<int> removed;
    // Cards to add (theirs), in theirs' order.
    QList<Card> added;
    // For each card of theirs: the card of the result that now stands for
    // it (None: it is not in the result).
    std::vector<MergeSource> theirsSource;

    int takenChanges = 0;     // ours cards that took a change of theirs
    int takenAdded = 0;       // cards theirs added
    int takenRemoved = 0;     // ours cards deleted because theirs deleted them
    QStringList bothVersions; // titles of cards changed differently on both sides
    QStringList keptChanged;  // deleted on one side, changed on the other: kept
    bool changesSomething() const
    {
        return !changed.isEmpty() || !removed.empty() || !added.isEmpty();
    }
};

// `oursBase[i]` is the index in `base` of ours[i], or -1 for a card that the
// base did not hold. With an empty base (a sync copy, whose common ancestor
// is unknown) nothing is ever deleted.
// The cards are read in place; only those the merge changes or adds are made.
MergeResult mergeCards(const CardStore &base, const CardStore &ours,
                       const std::vector<int> &oursBase, const CardStore &theirs);
// The same for cards as values.
MergeResult mergeCards(const QList<Card> &base, const QList<const Card *> &ours,
                       const std::vector<int> &oursBase, const QList<Card> &theirs);

// The Russian report of a merge with `path`, for one message box.
QString mergeReport(const QString &path, const MergeResult &result);
