#include "core/markup/markup.h"

#include <algorithm>

const QStringList &speechParts()
{
    static const QStringList list = [] {
        QStringList l = {
            QStringLiteral("[*] Неизвестно"),
            QStringLiteral("[ABBR] Аббревиатура"),
            QStringLiteral("[ADV] Наречие"),
            QStringLiteral("[ART] Артикль"),
            QStringLiteral("[AUX] Частица"),
            QStringLiteral("[A] Прилагательное"),
            QStringLiteral("[CONJ] Союз"),
            QStringLiteral("[INTRJ] Междометие"),
            QStringLiteral("[L] Буква"),
            QStringLiteral("[NPR] Имя собственное"),
            QStringLiteral("[NUM] Числительное"),
            QStringLiteral("[N] Существительное"),
            QStringLiteral("[PREP] Предлог"),
            QStringLiteral("[PRON] Местоимение"),
            QStringLiteral("[SS] Словосочетание"),
            QStringLiteral("[S] Фраза"),
            QStringLiteral("[V] Глагол"),
            QStringLiteral("[Применено] Особенности применения"),
        };
        // Every list shown to the user follows code-unit order.
        std::sort(l.begin(), l.end());
        return l;
    }();
    return list;
}

bool isKnownSectionCode(const QString &code)
{
    if (code.isEmpty())
        return false;
    const QString head = QLatin1Char('[') + code + QLatin1Char(']');
    for (const QString &e : speechParts())
        if (e.startsWith(head))
            return true;
    return false;
}

bool isWholeTextCode(const QString &code)
{
    // By length first: this runs for every section of every card a table,
    // a search or an export shows.
    switch (code.size()) {
    case 1:
        return code.front() == u'S';
    case 2:
        return code == QLatin1String("SS");
    case 9:
        return code == u"Применено";
    default:
        return false;
    }
}

static bool isLetterClass(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9')
        return true;
    if ((u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z'))
        return true;
    // Russian А..я and Ё/ё only; other Cyrillic and accented Latin never match.
    return (u >= 0x0410 && u <= 0x044F) || u == 0x0401 || u == 0x0451;
}

char16_t firstLetterCode(QStringView text)
{
    for (QChar c : text)
        if (isLetterClass(c))
            return c.toUpper().unicode();
    return 0;
}

QString firstLetter(const QString &text)
{
    const char16_t c = firstLetterCode(text);
    return c ? QString(QChar(c)) : QString();
}

bool hasLetterOrDigit(const QString &text)
{
    for (QChar c : text)
        if (isLetterClass(c))
            return true;
    return false;
}

RenderedText foreignText(const Card &card)
{
    RenderedText r;
    for (const ForeignWord &w : card.foreignWords) {
        r.text += w.word;
        r.text += QLatin1Char('\t');
        r.text += w.transcription;
        r.text += QLatin1Char('\n');
    }
    r.lineCount = int(card.foreignWords.size());
    return r;
}

static RenderedText render(const Card &card, bool settingsDriven, const TranslationDisplay &d,
                           bool oneLine)
{
    RenderedText r;
    QString &t = r.text;
    const QString sep = oneLine ? QStringLiteral(", ") : QStringLiteral(",\n");
    for (const TranslationSection &s : card.translations) {
        const bool numbered = !isWholeTextCode(s.code);
        if (!settingsDriven || d.showSpeechParts)
            t += QLatin1Char('[') + s.code + QStringLiteral("] ");
        const bool showNums =
            numbered && (!settingsDriven || d.showPartsNums) && s.groups.size() >= 2;
        int n = 0;
        for (const TranslationGroup &g : s.groups) {
            ++n;
            if (showNums)
                t += QString::number(n) + QStringLiteral(". ");
            if (g.isEmpty()) {
                t += QLatin1Char('\n');
                ++r.lineCount;
                continue;
            }
            for (const TranslationVariant &v : g) {
                t += v.word;
                if (!v.info.isEmpty())
                    t += QStringLiteral(" (") + v.info + QLatin1Char(')');
                if (numbered)
                    t += sep;
                ++r.lineCount;
            }
            if (numbered) {
                t.chop(2);
                t += QLatin1Char('\n');
            }
        }
        if (!numbered)
            r.lineCount = int(t.count(QLatin1Char('\n'))) + 1;
    }
    return r;
}

RenderedText translationText(const Card &card)
{
    return render(card, false, TranslationDisplay(), false);
}

RenderedText translationText(const Card &card, const TranslationDisplay &display, bool oneLine)
{
    return render(card, true, display, oneLine);
}

QString firstForeignWord(const Card &card)
{
    return card.foreignWords.isEmpty() ? QString() : card.foreignWords.first().word;
}

QString firstRussianWord(const Card &card)
{
    if (card.translations.isEmpty() || card.translations.first().groups.isEmpty() ||
        card.translations.first().groups.first().isEmpty())
        return QString();
    return card.translations.first().groups.first().first().word;
}
