#include "core/run/language_names.h"

#include <QHash>
#include <QLocale>

namespace
{

const QHash<int, QString> &russianNames()
{
    static const QHash<int, QString> names = [] {
        const struct {
            QLocale::Language language;
            const char *name;
        } table[] = {
            {QLocale::Afrikaans, "Африкаанс"},
            {QLocale::Albanian, "Албанский"},
            {QLocale::Amharic, "Амхарский"},
            {QLocale::Arabic, "Арабский"},
            {QLocale::Armenian, "Армянский"},
            {QLocale::Azerbaijani, "Азербайджанский"},
            {QLocale::Basque, "Баскский"},
            {QLocale::Belarusian, "Белорусский"},
            {QLocale::Bengali, "Бенгальский"},
            {QLocale::Bosnian, "Боснийский"},
            {QLocale::Bulgarian, "Болгарский"},
            {QLocale::Catalan, "Каталанский"},
            {QLocale::Chinese, "Китайский"},
            {QLocale::Croatian, "Хорватский"},
            {QLocale::Czech, "Чешский"},
            {QLocale::Danish, "Датский"},
            {QLocale::Dutch, "Нидерландский"},
            {QLocale::English, "Английский"},
            {QLocale::Esperanto, "Эсперанто"},
            {QLocale::Estonian, "Эстонский"},
            {QLocale::Finnish, "Финский"},
            {QLocale::French, "Французский"},
            {QLocale::Georgian, "Грузинский"},
            {QLocale::German, "Немецкий"},
            {QLocale::Greek, "Греческий"},
            {QLocale::Gujarati, "Гуджарати"},
            {QLocale::Hebrew, "Иврит"},
            {QLocale::Hindi, "Хинди"},
            {QLocale::Hungarian, "Венгерский"},
            {QLocale::Icelandic, "Исландский"},
            {QLocale::Indonesian, "Индонезийский"},
            {QLocale::Irish, "Ирландский"},
            {QLocale::Italian, "Итальянский"},
            {QLocale::Japanese, "Японский"},
            {QLocale::Kannada, "Каннада"},
            {QLocale::Kazakh, "Казахский"},
            {QLocale::Korean, "Корейский"},
            {QLocale::Kurdish, "Курдский"},
            {QLocale::Kyrgyz, "Киргизский"},
            {QLocale::Latin, "Латинский"},
            {QLocale::Latvian, "Латышский"},
            {QLocale::Lithuanian, "Литовский"},
            {QLocale::Macedonian, "Македонский"},
            {QLocale::Malay, "Малайский"},
            {QLocale::Malayalam, "Малаялам"},
            {QLocale::Maltese, "Мальтийский"},
            {QLocale::Marathi, "Маратхи"},
            {QLocale::Mongolian, "Монгольский"},
            {QLocale::Nepali, "Непальский"},
            {QLocale::NorwegianBokmal, "Норвежский"},
            {QLocale::Persian, "Персидский"},
            {QLocale::Polish, "Польский"},
            {QLocale::Portuguese, "Португальский"},
            {QLocale::Punjabi, "Панджаби"},
            {QLocale::Romanian, "Румынский"},
            {QLocale::Russian, "Русский"},
            {QLocale::Serbian, "Сербский"},
            {QLocale::Slovak, "Словацкий"},
            {QLocale::Slovenian, "Словенский"},
            {QLocale::Spanish, "Испанский"},
            {QLocale::Swahili, "Суахили"},
            {QLocale::Swedish, "Шведский"},
            {QLocale::Tamil, "Тамильский"},
            {QLocale::Tatar, "Татарский"},
            {QLocale::Telugu, "Телугу"},
            {QLocale::Thai, "Тайский"},
            {QLocale::Turkish, "Турецкий"},
            {QLocale::Turkmen, "Туркменский"},
            {QLocale::Ukrainian, "Украинский"},
            {QLocale::Urdu, "Урду"},
            {QLocale::Uzbek, "Узбекский"},
            {QLocale::Vietnamese, "Вьетнамский"},
            {QLocale::Welsh, "Валлийский"},
        };
        QHash<int, QString> h;
        for (const auto &row : table)
            h.insert(int(row.language), QString::fromUtf8(row.name));
        return h;
    }();
    return names;
}

} // namespace

QString russianLanguageName(const QString &localeName)
{
    const QString code = localeName.trimmed();
    const QLocale::Language language = QLocale(code).language();
    // QLocale falls back to "C" for a name it does not know.
    if (language == QLocale::C || language == QLocale::AnyLanguage)
        return code;
    const auto found = russianNames().constFind(int(language));
    if (found != russianNames().constEnd())
        return *found;
    const QString english = QLocale::languageToString(language);
    return english.isEmpty() ? code : english;
}

QString speechLanguageLabel(const QString &localeName)
{
    return russianLanguageName(localeName) + QStringLiteral(" (") + localeName + QLatin1Char(')');
}
