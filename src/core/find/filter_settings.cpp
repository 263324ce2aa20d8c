#include "core/find/filter_settings.h"

#include "core/markup/markup.h"
#include "core/settings/ini_reader.h"
#include "core/settings/settings_keys.h"

#include <QStringList>

#include <algorithm>
#include <type_traits>

namespace
{

const QLatin1Char listSeparator('~');

// Items as the line's reading leaves them: a blank next to "~" (typed by
// hand, "a~ b") would otherwise stay, and come back without it once the
// item is first or last in the list.
QStringList storedList(iniReader &store, const SettingsKey &key)
{
    QStringList items;
    for (const QString &item : store.readEntry(key).split(listSeparator, Qt::SkipEmptyParts)) {
        const QString name = item.simplified();
        if (!name.isEmpty())
            items.append(name);
    }
    return items;
}

// Why an item of a stored list would not read back as it is; empty if it would.
QString unstorableItem(const QString &item)
{
    if (item.contains(listSeparator))
        return QStringLiteral("знак «~» разделяет элементы списка");
    if (item.isEmpty() || item != item.simplified())
        return QStringLiteral("пробелы по краям и переводы строк в списке не сохраняются");
    return iniReader::unstorableReason(item);
}

// The store says at close which items of the filter had to be left out.
void noteUnstorable(iniReader &store, const StringSet &items)
{
    for (const QString &item : items) {
        const QString why = unstorableItem(item);
        if (!why.isEmpty())
            store.addSaveNote(QStringLiteral("Фильтр: «") + item +
                              QStringLiteral("» не сохранён: ") + why);
    }
}

// Items that would not read back are left out (see noteUnstorable).
template <typename Set> QString joined(const Set &set)
{
    QStringList items;
    items.reserve(int(set.size()));
    for (const auto &v : set) {
        if constexpr (std::is_same_v<typename Set::value_type, int>)
            items.append(QString::number(v));
        else if (unstorableItem(v).isEmpty())
            items.append(v);
    }
    return items.join(listSeparator);
}

std::set<int> readPriorities(iniReader &store, const SettingsKey &key)
{
    std::set<int> result;
    for (const QString &item : storedList(store, key)) {
        bool ok = false;
        const int p = item.toInt(&ok, 10);
        if (ok && p >= 1 && p <= 5)
            result.insert(p);
    }
    return result;
}

// "[N] Существительное" gives "N"; empty when the label is malformed.
QString codeOfLabel(const QString &label)
{
    const qsizetype open = label.indexOf(QLatin1Char('['));
    const qsizetype close = label.indexOf(QLatin1Char(']'));
    if (open < 0 || close < 0 || close <= open + 1)
        return QString();
    return label.mid(open + 1, close - open - 1);
}

} // namespace

void FilterSettings::setSoundChoice(int choice)
{
    if (choice >= 0 && choice <= 2)
        soundChoice = choice;
}

void FilterSettings::setArchiveChoice(int choice)
{
    if (choice >= 0 && choice <= 2)
        archiveChoice = choice;
}

void FilterSettings::reset()
{
    filterLessons.clear();
    filterCategories.clear();
    filterSpeechParts.clear();
    filterPrioritiesRE.clear();
    filterPrioritiesER.clear();
    soundChoice = 0;
    invert = false;
    forgottenRE = false;
    forgottenER = false;
    archiveChoice = 2;
    byAnd = true;
}

bool FilterSettings::isActive(bool *nonArchivedOnly) const
{
    if (nonArchivedOnly)
        *nonArchivedOnly = archiveChoice == 2;
    return !filterLessons.empty() || !filterCategories.empty() || !filterSpeechParts.empty() ||
           !filterPrioritiesRE.empty() || !filterPrioritiesER.empty() || soundChoice != 0 ||
           invert || forgottenRE || forgottenER || archiveChoice == 1;
}

bool FilterSettings::prepare()
{
    m_work = Working();
    m_work.sound = soundChoice != 0;
    m_work.archive = archiveChoice != 0;
    m_work.lessons = !filterLessons.empty();
    m_work.speechParts = !filterSpeechParts.empty();
    m_work.prioritiesRE = !filterPrioritiesRE.empty();
    m_work.prioritiesER = !filterPrioritiesER.empty();
    m_work.categories = !filterCategories.empty();
    m_work.forgotten = forgottenRE || forgottenER;
    for (const QString &label : filterSpeechParts) {
        const QString code = codeOfLabel(label);
        if (code.isEmpty())
            return false;
        m_work.codes.insert(code);
    }
    return true;
}

namespace
{

// What the filter reads of a card, whether a value or one read in place.
struct CardValueFields {
    const Card &c;
    bool soundEmpty() const { return c.soundPath.isEmpty(); }
    bool nAr() const { return c.nAr; }
    const QString &lesson() const { return c.lesson; }
    int nPRE() const { return c.nPRE; }
    int nPER() const { return c.nPER; }
    int pRE() const { return c.pRE; }
    int pER() const { return c.pER; }
    template <class P> bool anySectionCode(P p) const
    {
        return std::any_of(c.translations.cbegin(), c.translations.cend(),
                           [&p](const TranslationSection &s) { return p(s.code); });
    }
    template <class P> bool anyCategory(P p) const
    {
        return std::any_of(c.categories.cbegin(), c.categories.cend(), p);
    }
};

struct CardViewFields {
    const CardView &c;
    bool soundEmpty() const { return c.soundPath().isEmpty(); }
    bool nAr() const { return c.nAr(); }
    const QString &lesson() const { return c.lesson(); }
    int nPRE() const { return c.record().nPRE; }
    int nPER() const { return c.record().nPER; }
    int pRE() const { return c.record().pRE; }
    int pER() const { return c.record().pER; }
    template <class P> bool anySectionCode(P p) const
    {
        return any(p, [this](auto f) { c.forEachSectionCode(f); });
    }
    template <class P> bool anyCategory(P p) const
    {
        return any(p, [this](auto f) { c.forEachCategory(f); });
    }

private:
    // The sets hold QStrings: the words are looked up as strings over the
    // store's text, made without copying it.
    template <class P, class ForEach> static bool any(P p, ForEach forEach)
    {
        bool found = false;
        forEach([&](QStringView v) {
            found = found ||
                    p(QString::fromRawData(reinterpret_cast<const QChar *>(v.utf16()), v.size()));
        });
        return found;
    }
};

} // namespace

template <class C> bool FilterSettings::evaluate(const C &card) const
{
    const Working &w = m_work;
    if (!w.anyActive())
        return true;

    // AND: the first false test decides; OR: the first true one.
    const auto decides = [this](bool test) { return byAnd ? !test : test; };

    if (w.sound) {
        const bool test = soundChoice == 1 ? !card.soundEmpty() : card.soundEmpty();
        if (decides(test))
            return test;
    }
    if (w.archive) {
        const bool test = archiveChoice == 1 ? !card.nAr() : card.nAr();
        if (decides(test))
            return test;
    }
    if (w.lessons) {
        const bool test = filterLessons.count(card.lesson()) > 0;
        if (decides(test))
            return test;
    }
    if (w.speechParts) {
        const bool test =
            card.anySectionCode([&w](const QString &code) { return w.codes.count(code) > 0; });
        if (decides(test))
            return test;
    }
    if (w.prioritiesRE) {
        const bool test = filterPrioritiesRE.count(card.nPRE()) > 0;
        if (decides(test))
            return test;
    }
    if (w.prioritiesER) {
        const bool test = filterPrioritiesER.count(card.nPER()) > 0;
        if (decides(test))
            return test;
    }
    if (w.categories) {
        const bool test = card.anyCategory(
            [this](const QString &category) { return filterCategories.count(category) > 0; });
        if (decides(test))
            return test;
    }
    if (w.forgotten) {
        // A card is forgotten in a direction when its current priority left
        // the base one; with both choices it must be so in both.
        const bool test = !((forgottenRE && card.pRE() == card.nPRE()) ||
                            (forgottenER && card.pER() == card.nPER()));
        if (decides(test))
            return test;
    }
    return byAnd;
}

bool FilterSettings::matches(Card &card)
{
    if (!prepare())
        return card.inFilter;
    card.inFilter = evaluate(CardValueFields{card});
    return card.inFilter;
}

template <class ForEach> void FilterSettings::applyWith(ForEach forEach)
{
    const bool nothingChosen = filterLessons.empty() && filterCategories.empty() &&
                               filterSpeechParts.empty() && filterPrioritiesRE.empty() &&
                               filterPrioritiesER.empty() && soundChoice == 0 &&
                               archiveChoice == 0 && !forgottenRE && !forgottenER;
    if (nothingChosen) {
        forEach([this](auto &&, bool &inFilter) { inFilter = !invert; });
        return;
    }
    if (!prepare())
        return;
    forEach([this](const auto &fields, bool &inFilter) {
        const bool result = evaluate(fields);
        inFilter = invert ? !result : result;
    });
}

void FilterSettings::applyTo(QList<Card> &cards)
{
    applyWith([&cards](auto f) {
        for (Card &card : cards)
            f(CardValueFields{card}, card.inFilter);
    });
}

void FilterSettings::applyTo(Dictionary &dict)
{
    applyWith([&dict](auto f) {
        dict.updateMarks([&f](MarkedCard &card) {
            bool in = card.inFilter();
            f(CardViewFields{card}, in);
            card.setInFilter(in);
        });
    });
}

void FilterSettings::readFromIni(iniReader &filterStore, const StringSet &categoryList)
{
    filterCategories.clear();
    for (const QString &name : storedList(filterStore, FilterKeys::categories)) {
        if (categoryList.count(name))
            filterCategories.insert(name);
    }

    filterSpeechParts.clear();
    const QStringList &known = speechParts();
    for (const QString &label : storedList(filterStore, FilterKeys::speechParts)) {
        if (known.contains(label))
            filterSpeechParts.insert(label);
    }

    filterPrioritiesER = readPriorities(filterStore, FilterKeys::prioritiesER);
    filterPrioritiesRE = readPriorities(filterStore, FilterKeys::prioritiesRE);

    // A missing key reads as false or 0, so without a file the filter starts
    // with OR and without the archive condition.
    invert = filterStore.readBoolEntry(FilterKeys::invertConditions, false);
    byAnd = filterStore.readBoolEntry(FilterKeys::checkByAnd, false);
    setSoundChoice(filterStore.readNumEntry(FilterKeys::checkVoice, 0));
    setArchiveChoice(filterStore.readNumEntry(FilterKeys::checkArchive, 0));
    forgottenRE = filterStore.readBoolEntry(FilterKeys::forgottenRE, false);
    forgottenER = filterStore.readBoolEntry(FilterKeys::forgottenER, false);
}

void FilterSettings::readLessons(iniReader &filterStore)
{
    for (const QString &name : storedList(filterStore, FilterKeys::lessons))
        filterLessons.insert(name);
}

void FilterSettings::writeToIni(iniReader &filterStore) const
{
    filterStore.clear();
    noteUnstorable(filterStore, filterCategories);
    noteUnstorable(filterStore, filterSpeechParts);
    if (!filterCategories.empty())
        filterStore.writeEntry(FilterKeys::categories, joined(filterCategories));
    if (!filterSpeechParts.empty())
        filterStore.writeEntry(FilterKeys::speechParts, joined(filterSpeechParts));
    if (!filterPrioritiesER.empty())
        filterStore.writeEntry(FilterKeys::prioritiesER, joined(filterPrioritiesER));
    if (!filterPrioritiesRE.empty())
        filterStore.writeEntry(FilterKeys::prioritiesRE, joined(filterPrioritiesRE));
    filterStore.writeEntry(FilterKeys::invertConditions, invert);
    filterStore.writeEntry(FilterKeys::checkByAnd, byAnd);
    filterStore.writeEntry(FilterKeys::checkVoice, soundChoice);
    filterStore.writeEntry(FilterKeys::checkArchive, archiveChoice);
    filterStore.writeEntry(FilterKeys::forgottenRE, forgottenRE);
    filterStore.writeEntry(FilterKeys::forgottenER, forgottenER);
    writeLessons(filterStore);
}

void FilterSettings::writeLessons(iniReader &filterStore) const
{
    const SettingsKey &key = FilterKeys::lessons;
    if (!filterLessons.empty()) {
        noteUnstorable(filterStore, filterLessons);
        filterStore.writeEntry(key, joined(filterLessons));
        return;
    }
    // An empty choice must replace an older one, or reading the key back
    // after closing files would bring the old lessons into the filter again.
    // An empty value is dropped on the next load.
    if (!filterStore.readEntry(key).isEmpty())
        filterStore.writeEntry(key, QString());
}

bool FilterSettings::operator==(const FilterSettings &o) const
{
    return filterLessons == o.filterLessons && filterCategories == o.filterCategories &&
           filterSpeechParts == o.filterSpeechParts && filterPrioritiesRE == o.filterPrioritiesRE &&
           filterPrioritiesER == o.filterPrioritiesER && soundChoice == o.soundChoice &&
           archiveChoice == o.archiveChoice && invert == o.invert && byAnd == o.byAnd &&
           forgottenRE == o.forgottenRE && forgottenER == o.forgottenER;
}
