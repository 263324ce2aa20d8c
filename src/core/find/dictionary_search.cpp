#include "core/find/dictionary_search.h"

#include "core/dictionary/dictionary.h"

#include <algorithm>

namespace
{

// True when QString::simplified would change the text. Most words need
// nothing, and this check spares them the copy simplified() always makes.
bool needsSimplifying(QStringView text)
{
    const qsizetype n = text.size();
    if (n == 0)
        return false;
    if (text.front().isSpace() || text.back().isSpace())
        return true;
    bool previousSpace = false;
    for (QChar c : text) {
        if (!c.isSpace()) {
            previousSpace = false;
            continue;
        }
        if (c != QLatin1Char(' ') || previousSpace)
            return true;
        previousSpace = true;
    }
    return false;
}

// Case folding of one code unit, the way QString's case-insensitive search
// folds: ASCII and Russian letters directly, the rest through Qt's table.
// Surrogates stay as they are.
inline char16_t foldUnit(char16_t c)
{
    if (c < 0x80)
        return c >= u'A' && c <= u'Z' ? char16_t(c + 0x20) : c;
    if (c >= 0x430 && c <= 0x44F)
        return c;
    if (c >= 0x410 && c <= 0x42F)
        return char16_t(c + 0x20);
    if (c >= 0x400 && c <= 0x40F)
        return char16_t(c + 0x50);
    if (c >= 0xD800 && c <= 0xDFFF)
        return c;
    return char16_t(QChar::toCaseFolded(char32_t(c)));
}

bool isWordCharacter(QStringView text, qsizetype at)
{
    return at >= 0 && at < text.size() && text[at].isLetterOrNumber();
}

} // namespace

QString DictionarySearch::emptyTextWarning()
{
    return QStringLiteral("Строка для поиска пуста");
}

QString DictionarySearch::restartQuestion()
{
    return QStringLiteral("Поиск достиг конца словаря.\nПродолжить поиск с начала?");
}

QString DictionarySearch::notFoundWarning()
{
    return QStringLiteral("Совпадений не найдено");
}

QString DictionarySearch::outsideFilterWarning()
{
    return QStringLiteral(
        "Найдено совпадение в карточках не соответствующих установленному фильтру");
}

void DictionarySearch::beginNewSearch()
{
    m_text.clear();
    m_lastFoundIndex = -1;
}

bool DictionarySearch::accept(const QString &text, const SearchButtonStates &buttons)
{
    const QString simplified = text.simplified();
    if (simplified.isEmpty())
        return false;
    setQuery(simplified, buttons.radioButton1, buttons.checkBox1, buttons.checkBox2);
    if (!m_history.contains(simplified)) {
        while (m_history.size() >= historyLimit)
            m_history.removeFirst();
        m_history.append(simplified);
    }
    m_buttons = buttons;
    return true;
}

void DictionarySearch::setQuery(const QString &text, bool searchForeign, bool wholeWord,
                                bool warnOutsideFilter)
{
    m_text = text;
    m_searchForeign = searchForeign;
    m_wholeWord = wholeWord;
    m_warnOutsideFilter = warnOutsideFilter;
    m_lastFoundIndex = -1;

    m_folded.clear();
    m_folded.reserve(size_t(m_text.size()));
    for (QChar c : std::as_const(m_text))
        m_folded.push_back(foldUnit(c.unicode()));
    // For each prefix of the text, the longest proper prefix that is also
    // its suffix: where a search goes on after a mismatch.
    m_fallback.assign(m_folded.size(), 0);
    for (size_t i = 1, k = 0; i < m_folded.size(); ++i) {
        while (k > 0 && m_folded[i] != m_folded[k])
            k = size_t(m_fallback[k - 1]);
        if (m_folded[i] == m_folded[k])
            ++k;
        m_fallback[i] = qsizetype(k);
    }
    m_textHasSpace =
        std::any_of(m_text.cbegin(), m_text.cend(), [](QChar c) { return c.isSpace(); });

    m_wholeWordExpression = QRegularExpression();
    m_literalExpression = false;
    if (!m_searchForeign && m_wholeWord && !m_text.isEmpty()) {
        // \b must see Cyrillic letters as word characters.
        const auto options = QRegularExpression::CaseInsensitiveOption |
                             QRegularExpression::UseUnicodePropertiesOption;
        m_wholeWordExpression =
            QRegularExpression(QStringLiteral("\\b") + m_text + QStringLiteral("\\b"), options);
        // Without any special character the expression can only match where
        // the text itself stands, so words without it skip the expression.
        static const QString special = QStringLiteral("\\^$.|?*+()[]{}");
        m_literalExpression = std::none_of(m_text.cbegin(), m_text.cend(),
                                           [](QChar c) { return special.contains(c); });
        // A text that is no valid expression ("кот (разг") would match
        // nothing at all; it is searched for literally instead.
        if (!m_wholeWordExpression.isValid()) {
            m_wholeWordExpression = QRegularExpression(
                QStringLiteral("\\b") + QRegularExpression::escape(m_text) + QStringLiteral("\\b"),
                options);
            m_literalExpression = true;
        }
        m_wholeWordExpression.optimize();
    }
}

// Knuth, Morris and Pratt over the folded units: each unit of the text
// searched is read once, so a long word of near-matches ("aaaa…" searched
// for "aa…ab") costs what any word of its length costs, whatever the query.
template <class Fold>
qsizetype DictionarySearch::findFolded(const char16_t *units, qsizetype size, Fold fold) const
{
    const qsizetype n = qsizetype(m_folded.size());
    if (n == 0)
        return 0;
    const char16_t first = m_folded.front();
    qsizetype matched = 0;
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t c = fold(units[i]);
        // Most units start nothing: the cheap case first.
        if (matched == 0) {
            if (c != first)
                continue;
        } else {
            while (matched > 0 && c != m_folded[size_t(matched)])
                matched = m_fallback[size_t(matched - 1)];
            if (c != m_folded[size_t(matched)])
                continue;
        }
        if (++matched == n)
            return i - n + 1;
    }
    return -1;
}

qsizetype DictionarySearch::find(QStringView word) const
{
    return findFolded(reinterpret_cast<const char16_t *>(word.utf16()), word.size(),
                      [](char16_t c) { return foldUnit(c); });
}

bool DictionarySearch::foreignWordMatches(QStringView word) const
{
    // A text without white space finds the same first occurrence, with
    // the same neighbours as far as letters and digits go, in the word
    // as it is and in the simplified word; only a text with blanks needs
    // the simplified form.
    QString simplifiedWord;
    if (m_textHasSpace && needsSimplifying(word)) {
        simplifiedWord = word.toString().simplified();
        word = simplifiedWord;
    }
    const qsizetype at = find(word);
    if (at < 0)
        return false;
    if (!m_wholeWord)
        return true;
    // Only the first occurrence counts: "concat cat" is no match for
    // "cat".
    return !isWordCharacter(word, at - 1) && !isWordCharacter(word, at + m_text.size());
}

bool DictionarySearch::foreignMatches(const Card &card) const
{
    return std::any_of(card.foreignWords.cbegin(), card.foreignWords.cend(),
                       [this](const ForeignWord &w) { return foreignWordMatches(w.word); });
}

bool DictionarySearch::foreignMatches(const CardView &card) const
{
    bool found = false;
    card.forEachForeign(
        [&](QStringView word, QStringView, bool) { found = found || foreignWordMatches(word); });
    return found;
}

bool DictionarySearch::russianWordMatches(QStringView word) const
{
    if (m_literalExpression || !m_wholeWord) {
        if (find(word) < 0)
            return false;
        if (!m_wholeWord)
            return true;
    }
    return m_wholeWordExpression.match(word).hasMatch();
}

bool DictionarySearch::russianMatches(const Card &card) const
{
    for (const TranslationSection &section : card.translations)
        for (const TranslationGroup &group : section.groups)
            for (const TranslationVariant &variant : group)
                if (russianWordMatches(variant.word))
                    return true;
    return false;
}

bool DictionarySearch::russianMatches(const CardView &card) const
{
    bool found = false;
    card.forEachVariant(
        [&](QStringView word, QStringView) { found = found || russianWordMatches(word); });
    return found;
}

const DictionarySearch::RussianWords &DictionarySearch::russianWords(const Dictionary &dict)
{
    RussianWords &w = m_russianWords;
    if (w.dict == &dict && w.revision == dict.revision())
        return w;
    w.dict = &dict;
    w.revision = dict.revision();
    w.text.clear();
    w.cardStart.clear();
    w.cardStart.reserve(size_t(dict.cardCount()) + 1);
    const CardStore &store = dict.store();
    for (int i = 0; i < store.size(); ++i) {
        w.cardStart.push_back(qsizetype(w.text.size()));
        store.view(i).forEachVariant([&w](QStringView word, QStringView) {
            for (const QChar c : word)
                w.text.push_back(foldUnit(c.unicode()));
            w.text.push_back(u'\n');
        });
    }
    w.cardStart.push_back(qsizetype(w.text.size()));
    return w;
}

int DictionarySearch::nextCandidate(const Dictionary &dict, int from)
{
    const int count = dict.cardCount();
    // Foreign words, and expressions that are more than the text itself,
    // are tested card by card.
    if (from >= count || m_searchForeign || (m_wholeWord && !m_literalExpression) ||
        m_folded.empty())
        return std::min(from, count);
    // A card holding the text holds it in one of its words, so it is in the
    // buffer between its offsets; the text has no line break to straddle two.
    const RussianWords &w = russianWords(dict);
    const qsizetype start = w.cardStart[size_t(from)];
    const qsizetype found = findFolded(w.text.data() + start, qsizetype(w.text.size()) - start,
                                       [](char16_t c) { return c; });
    if (found < 0)
        return count;
    const qsizetype hit = start + found;
    const auto next = std::upper_bound(w.cardStart.begin(), w.cardStart.end(), hit);
    return int(next - w.cardStart.begin()) - 1;
}

bool DictionarySearch::cardMatches(const Card &card) const
{
    if (m_text.isEmpty())
        return false;
    return m_searchForeign ? foreignMatches(card) : russianMatches(card);
}

bool DictionarySearch::cardMatches(const CardView &card) const
{
    if (m_text.isEmpty())
        return false;
    return m_searchForeign ? foreignMatches(card) : russianMatches(card);
}

SearchResult DictionarySearch::searchNext(const Dictionary &dict,
                                          const std::function<bool(const QString &)> &askRestart)
{
    SearchResult result;
    const int count = dict.cardCount();
    if (m_text.isEmpty() || count == 0)
        return result;

    // The last match was the last card, or cards have gone since.
    if (m_lastFoundIndex >= 0 && m_lastFoundIndex + 1 >= count) {
        result.askedToRestart = true;
        if (!askRestart || !askRestart(restartQuestion())) {
            result.outcome = SearchResult::Declined;
            return result;
        }
        m_lastFoundIndex = -1;
    }

    bool passedOver = false;
    for (int i = nextCandidate(dict, m_lastFoundIndex + 1); i < count;
         i = nextCandidate(dict, i + 1)) {
        const CardView card = dict.view(i);
        // Once a filtered-out match is noted, further filtered-out cards
        // cannot change the outcome.
        if (!card.inFilter() && passedOver)
            continue;
        if (!cardMatches(card))
            continue;
        if (!card.inFilter()) {
            passedOver = true;
            continue;
        }
        m_lastFoundIndex = i;
        result.outcome = SearchResult::Found;
        result.index = i;
        result.cardId = card.id();
        return result;
    }

    if (passedOver && m_warnOutsideFilter) {
        // The position stays, so the next search looks at the same cards;
        // the user may change the filter meanwhile.
        result.outcome = SearchResult::OnlyOutsideFilter;
        result.warning = outsideFilterWarning();
    } else {
        result.outcome = SearchResult::NotFound;
        result.warning = notFoundWarning();
        m_lastFoundIndex = -1;
    }
    return result;
}
