#include "core/dictionary/card_check.h"

#include "core/markup/markup.h"

#include <algorithm>
#include <optional>

namespace
{

// The first character XML 1.0 cannot hold (controls other than tab, line
// feed and carriage return, U+0000 among them, U+FFFE, U+FFFF, halves of
// surrogate pairs); none when the text has no such character. U+0000 is a
// character like the others here: a sentinel value of 0 would let it pass.
std::optional<char32_t> forbiddenCharacter(const QString &text)
{
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = text.at(i).unicode();
        if (c >= 0x20 && c < 0xD800)
            continue;
        if (c == u'\t' || c == u'\n' || c == u'\r')
            continue;
        if (c < 0x20 || c == 0xFFFE || c == 0xFFFF)
            return c;
        if (QChar::isHighSurrogate(c) && i + 1 < n && text.at(i + 1).isLowSurrogate()) {
            ++i;
            continue;
        }
        if (QChar::isSurrogate(c))
            return c;
    }
    return std::nullopt;
}

bool isBlank(QStringView text)
{
    for (const QChar c : text)
        if (!c.isSpace())
            return false;
    return true;
}

// Whether simplified() would give the text back unchanged, without making
// the copy: no white space at either end, and only single blanks inside.
bool isSimplified(QStringView text)
{
    const qsizetype n = text.size();
    if (n == 0)
        return true;
    if (text.front().isSpace() || text.back().isSpace())
        return false;
    for (qsizetype i = 1; i + 1 < n; ++i) {
        const QChar c = text[i];
        if (c.isSpace() && (c != u' ' || text[i + 1].isSpace()))
            return false;
    }
    return true;
}

QString quoted(const QString &text)
{
    return QStringLiteral("«") + text + QStringLiteral("»");
}

// `what` names the field: "иностранное слово «…»".
QString characterProblem(const QString &what, char32_t c)
{
    return what + QStringLiteral(" содержит символ, недопустимый в файле словаря (код U+") +
           QString::number(uint(c), 16).toUpper().rightJustified(4, QLatin1Char('0')) +
           QLatin1Char(')');
}

QString sectionName(const QString &code)
{
    return QStringLiteral("[") + code + QStringLiteral("]");
}

} // namespace

bool normalizeCardForFile(Card &card)
{
    bool changed = false;
    const QString lesson = card.lesson.simplified();
    if (lesson != card.lesson) {
        card.lesson = lesson;
        changed = true;
    }
    const qsizetype words = card.foreignWords.size();
    card.foreignWords.removeIf(
        [](const ForeignWord &w) { return w.word.isEmpty() && w.transcription.isEmpty(); });
    changed |= card.foreignWords.size() != words;

    const qsizetype sections = card.translations.size();
    for (TranslationSection &s : card.translations) {
        for (TranslationGroup &g : s.groups) {
            const qsizetype variants = g.size();
            g.removeIf(
                [](const TranslationVariant &v) { return v.word.isEmpty() && v.info.isEmpty(); });
            changed |= g.size() != variants;
        }
        const qsizetype groups = s.groups.size();
        s.groups.removeIf([](const TranslationGroup &g) { return g.isEmpty(); });
        changed |= s.groups.size() != groups;
    }
    card.translations.removeIf([](const TranslationSection &s) { return s.groups.isEmpty(); });
    changed |= card.translations.size() != sections;
    return changed;
}

QString cardFileProblem(const Card &card, const StringSet &categoryList)
{
    return CardFileChecker(categoryList).problem(card);
}

// Short lists: a card has few codes and categories, and a dictionary few
// distinct ones, so a scan beats a set.
bool CardFileChecker::knownGood(std::vector<QString> &good, const QString &value) const
{
    for (const QString &g : good)
        if (g.size() == value.size() && (g.constData() == value.constData() || g == value))
            return true;
    return false;
}

void CardFileChecker::remember(std::vector<QString> &good, const QString &value) const
{
    if (good.size() < 64)
        good.push_back(value);
}

QString CardFileChecker::problem(const Card &card)
{
    // The reader simplifies every lesson name and skips a lesson without one.
    if (card.lesson.isEmpty() || card.lesson != m_goodLesson) {
        if (isBlank(card.lesson))
            return QStringLiteral("не указан урок");
        if (!isSimplified(card.lesson))
            return QStringLiteral("в названии урока ") + quoted(card.lesson) +
                   QStringLiteral(" лишние пробелы, табуляции или переводы строк");
        if (const auto c = forbiddenCharacter(card.lesson))
            return characterProblem(QStringLiteral("название урока ") + quoted(card.lesson), *c);
        m_goodLesson = card.lesson;
    }

    // A card without a foreign word is dropped, and so is an empty word.
    if (card.foreignWords.isEmpty())
        return QStringLiteral("нет ни одного иностранного слова");
    for (const ForeignWord &w : card.foreignWords) {
        if (w.word.isEmpty()) {
            QString text = QStringLiteral("пустое иностранное слово");
            if (!w.transcription.isEmpty())
                text += QStringLiteral(" (с транскрипцией ") + quoted(w.transcription) +
                        QLatin1Char(')');
            return text;
        }
        if (const auto c = forbiddenCharacter(w.word))
            return characterProblem(QStringLiteral("иностранное слово ") + quoted(w.word), *c);
        if (const auto c = forbiddenCharacter(w.transcription))
            return characterProblem(QStringLiteral("транскрипция ") + quoted(w.transcription), *c);
    }

    // Unknown sections are dropped; so are empty variants, groups and sections.
    for (const TranslationSection &s : card.translations) {
        if (s.code.isEmpty())
            return QStringLiteral("раздел переводов без названия");
        if (!knownGood(m_goodCodes, s.code)) {
            if (!isKnownSectionCode(s.code))
                return QStringLiteral("неизвестный раздел переводов ") + sectionName(s.code);
            remember(m_goodCodes, s.code);
        }
        if (s.groups.isEmpty())
            return QStringLiteral("пустой раздел ") + sectionName(s.code);
        for (const TranslationGroup &g : s.groups) {
            if (g.isEmpty())
                return QStringLiteral("пустая группа переводов в разделе ") + sectionName(s.code);
            for (const TranslationVariant &v : g) {
                if (v.word.isEmpty()) {
                    QString text =
                        QStringLiteral("перевод без слова в разделе ") + sectionName(s.code);
                    if (!v.info.isEmpty())
                        text += QStringLiteral(" (есть только пояснение ") + quoted(v.info) +
                                QLatin1Char(')');
                    return text;
                }
                if (const auto c = forbiddenCharacter(v.word))
                    return characterProblem(QStringLiteral("перевод ") + quoted(v.word), *c);
                if (const auto c = forbiddenCharacter(v.info))
                    return characterProblem(
                        QStringLiteral("пояснение к переводу ") + quoted(v.info), *c);
            }
        }
    }

    // Categories are stored as "a;b;": a ";" inside one splits it, and only
    // names of the allowed list are read back.
    if (card.categories.isEmpty())
        return QStringLiteral("не указана ни одна категория");
    for (const QString &cat : card.categories) {
        if (knownGood(m_goodCategories, cat))
            continue;
        if (cat.isEmpty())
            return QStringLiteral("пустая категория");
        if (cat.contains(QLatin1Char(';')))
            return QStringLiteral("категория ") + quoted(cat) +
                   QStringLiteral(" содержит знак «;», который разделяет категории в файле");
        // Before the list: a list read from settings may hold the same name.
        if (const auto c = forbiddenCharacter(cat))
            return characterProblem(QStringLiteral("категория ") + quoted(cat), *c);
        if (m_categoryList.find(cat) == m_categoryList.end())
            return QStringLiteral("категория ") + quoted(cat) +
                   QStringLiteral(" отсутствует в списке категорий");
        remember(m_goodCategories, cat);
    }

    if (const auto c = forbiddenCharacter(card.soundPath))
        return characterProblem(QStringLiteral("имя звукового файла ") + quoted(card.soundPath),
                                *c);
    return QString();
}

QString cardTitle(const Card &card)
{
    QString word = firstForeignWord(card);
    if (word.isEmpty())
        word = firstRussianWord(card);
    QString title = word.isEmpty() ? QStringLiteral("Карточка без слов")
                                   : QStringLiteral("Карточка ") + quoted(word);
    if (card.lesson.simplified().isEmpty())
        title += QStringLiteral(" (урок не указан)");
    else
        title += QStringLiteral(" (урок ") + quoted(card.lesson) + QLatin1Char(')');
    return title;
}
