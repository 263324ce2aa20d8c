#pragma once

#include "core/dictionary/card.h"
#include "core/dictionary/card_store.h"

#include <QRegularExpression>
#include <QString>
#include <QStringList>

#include <functional>
#include <string>
#include <vector>

class Dictionary;

// The four option buttons of the search dialog as they were when a search was
// last accepted; the next dialog starts from them.
struct SearchButtonStates {
    bool radioButton1 = true;  // "В иностранных словах"
    bool radioButton2 = false; // "В русских словах"
    bool checkBox1 = true;     // "Слово целиком"
    bool checkBox2 = true; // "Предупреждать, если не соответствует фильтру"

    bool operator==(const SearchButtonStates &o) const
    {
        return radioButton1 == o.radioButton1 && radioButton2 == o.radioButton2 &&
               checkBox1 == o.checkBox1 && checkBox2 == o.checkBox2;
    }
};

// What one "search next" did. The host shows `warning` (when not empty) and,
// for Found, the card `cardId` in the table.
struct SearchResult {
    enum Outcome {
        Idle,              // no text or no cards: nothing happened
        Declined,          // the user did not want to start again from the top
        Found,             // a card that passes the filter matched
        NotFound,          // no match below; the next search starts at the top
        OnlyOutsideFilter, // matches only in filtered-out cards; the position is kept
    };
    Outcome outcome = Idle;
    int index = -1; // position in the card vector, for Found
    int cardId = 0; // for Found
    bool askedToRestart = false;
    QString warning;
};

// The search in the dictionary: the text and options of the last accepted
// search, the position of the last match, the history of searched texts and
// the remembered dialog buttons. Lives as long as the program; nothing of it
// is stored in the settings files.
//
// A search walks the card vector in its order (the table's order after a
// refill) and stops only at cards that pass the filter.
class DictionarySearch
{
public:
    static constexpr int historyLimit = 20;

    static QString emptyTextWarning();
    static QString restartQuestion();
    static QString notFoundWarning();
    static QString outsideFilterWarning();

    // Called when the dialog opens: the old text is forgotten, so a cancelled
    // dialog leaves F3 without anything to repeat.
    void beginNewSearch();

    // The dialog's "Найти". The text is simplified (ends trimmed, inner white
    // space collapsed); when nothing is left, returns false and changes
    // nothing. Otherwise the options take effect, the next search starts at
    // the first card, a new text joins the history (the oldest entry leaves
    // when it is full) and the buttons are remembered.
    bool accept(const QString &text, const SearchButtonStates &buttons);

    // Sets the text and options directly (already simplified text); the next
    // search starts at the first card. The history is not touched.
    void setQuery(const QString &text, bool searchForeign, bool wholeWord, bool warnOutsideFilter);

    // F3 repeats a search only for texts of two or more characters.
    bool canSearchAgain() const { return m_text.size() > 1; }

    // Tests the card against the current text and options, ignoring case.
    // Foreign words: the first occurrence in each word decides for that word.
    // Russian words: a whole-word search reads the text as a regular
    // expression between word boundaries.
    bool cardMatches(const Card &card) const;
    bool cardMatches(const CardView &card) const;

    // Searches from the card after the last match to the end. When the last
    // match was the last card, `askRestart` is asked (true = "Да") whether to
    // start again from the top.
    SearchResult searchNext(const Dictionary &dict,
                            const std::function<bool(const QString &)> &askRestart);

    const QString &lastSearchText() const { return m_text; }
    bool searchForeign() const { return m_searchForeign; }
    bool wholeWord() const { return m_wholeWord; }
    bool warnOutsideFilter() const { return m_warnOutsideFilter; }
    int lastFoundIndex() const { return m_lastFoundIndex; }
    // Oldest first.
    const QStringList &history() const { return m_history; }
    const SearchButtonStates &buttons() const { return m_buttons; }

private:
    // First case-insensitive occurrence of the text in `word`, or -1.
    qsizetype find(QStringView word) const;
    // First occurrence of the folded text in `units` as `fold` folds them,
    // or -1; linear in `size`.
    template <class Fold>
    qsizetype findFolded(const char16_t *units, qsizetype size, Fold fold) const;
    bool foreignWordMatches(QStringView word) const;
    bool russianWordMatches(QStringView word) const;
    bool foreignMatches(const Card &card) const;
    bool foreignMatches(const CardView &card) const;
    bool russianMatches(const Card &card) const;
    bool russianMatches(const CardView &card) const;
    // The position of the first card from `from` on that may match: every
    // card holding a match is found, others may be too. `count` when none.
    int nextCandidate(const Dictionary &dict, int from);
    // The Russian words of every card, case-folded, one after another with a
    // line break after each: a search reads one buffer instead of a million
    // strings. Rebuilt when the dictionary changed since it was made.
    struct RussianWords {
        const Dictionary *dict = nullptr;
        quint64 revision = 0;
        std::u16string text;
        std::vector<qsizetype> cardStart; // cards + 1 offsets into text
    };
    const RussianWords &russianWords(const Dictionary &dict);

    QString m_text;
    bool m_searchForeign = true;
    bool m_wholeWord = true;
    bool m_warnOutsideFilter = true;
    int m_lastFoundIndex = -1;
    QStringList m_history;
    SearchButtonStates m_buttons;

    // Built once per query, never per card.
    std::u16string m_folded; // the text, case-folded
    // m_fallback[i]: the longest proper prefix of m_folded[0..i] that is
    // also its suffix.
    std::vector<qsizetype> m_fallback;
    bool m_textHasSpace = false;
    QRegularExpression m_wholeWordExpression;
    bool m_literalExpression = false; // the expression holds no special character
    RussianWords m_russianWords;
};
