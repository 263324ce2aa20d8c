#include "core/exchange/card_exchange.h"

#include "core/common/russian_plural.h"

#include "core/convert/text_conversion.h"
#include "core/dictionary/card_check.h"
#include "core/dictionary/dictionary_history.h"
#include "core/markup/markup.h"

#include <QHash>

namespace
{

bool isEscaped(QChar c)
{
    switch (c.unicode()) {
    case u'\\':
    case u',':
    case u';':
    case u'[':
    case u']':
    case u'(':
    case u')':
        return true;
    default:
        return false;
    }
}

bool isStop(char16_t c, const char16_t *stops)
{
    for (const char16_t *s = stops; *s; ++s)
        if (c == *s)
            return true;
    return false;
}

// Reads one item at p up to an unescaped character of `stops` (not
// consumed). Unescaped blanks at either end are the list's, not the item's.
QString readItem(QStringView text, qsizetype &p, const char16_t *stops)
{
    const qsizetype end = text.size();
    while (p < end && text[p] == u' ')
        ++p;
    QString item;
    qsizetype keep = 0; // length up to the last character that is not a structural blank
    qsizetype run = p;  // start of the plain characters not yet appended
    while (p < end) {
        const char16_t c = text[p].unicode();
        if (c == u'\\' && p + 1 < end) {
            item.append(text.mid(run, p - run));
            item += text[p + 1];
            keep = item.size();
            p += 2;
            run = p;
            continue;
        }
        if (isStop(c, stops))
            break;
        ++p;
        if (c != u' ')
            keep = item.size() + (p - run);
    }
    item.append(text.mid(run, p - run));
    item.truncate(keep);
    return item;
}

bool readNumber(QStringView text, int *out)
{
    bool ok = false;
    const int n = text.trimmed().toInt(&ok);
    if (ok)
        *out = n;
    return ok;
}

bool archivedText(QStringView text)
{
    if (text.isEmpty())
        return false;
    const QString t = text.trimmed().toString().toLower();
    return t == QStringLiteral("да") || t == QLatin1String("yes") || t == QLatin1String("1") ||
           t == QLatin1String("true") || t == QLatin1String("+") || t == QLatin1String("x");
}

QString duplicateKey(QStringView firstForeignWord, const QString &lesson)
{
    QString key;
    key.reserve(firstForeignWord.size() + 1 + lesson.size());
    key += firstForeignWord;
    key += QChar(0x1F);
    key += lesson;
    return key;
}

QString duplicateKey(const Card &c)
{
    return duplicateKey(c.foreignWords.isEmpty() ? QStringView()
                                                 : QStringView(c.foreignWords.first().word),
                        c.lesson);
}

} // namespace

QString exchangeColumnName(ExchangeColumn column)
{
    switch (column) {
    case ExchangeColumn::None:
        return QStringLiteral("Не импортировать");
    case ExchangeColumn::Foreign:
        return QStringLiteral("Иностранное слово");
    case ExchangeColumn::Transcription:
        return QStringLiteral("Транскрипция");
    case ExchangeColumn::Translation:
        return QStringLiteral("Перевод");
    case ExchangeColumn::Markup:
        return QStringLiteral("Перевод (разметка)");
    case ExchangeColumn::Lesson:
        return QStringLiteral("Урок");
    case ExchangeColumn::Categories:
        return QStringLiteral("Категории");
    case ExchangeColumn::PriorityER:
        return QStringLiteral("Приоритет ин-ру");
    case ExchangeColumn::PriorityRE:
        return QStringLiteral("Приоритет ру-ин");
    case ExchangeColumn::Archive:
        return QStringLiteral("Архив");
    case ExchangeColumn::Sound:
        return QStringLiteral("Звук");
    case ExchangeColumn::AutoCheck:
        return QStringLiteral("Проверка ответа");
    case ExchangeColumn::State:
        return QStringLiteral("Состояние повторения");
    }
    return QString();
}

ExchangeColumn columnForHeader(const QString &header)
{
    const QString h = header.trimmed().toLower();
    if (h.isEmpty())
        return ExchangeColumn::None;
    for (int i = 1; i < kExchangeColumnCount; ++i) {
        const auto column = ExchangeColumn(i);
        if (h == exchangeColumnName(column).toLower())
            return column;
    }
    static const QHash<QString, ExchangeColumn> english = {
        {QStringLiteral("front"), ExchangeColumn::Foreign},
        {QStringLiteral("word"), ExchangeColumn::Foreign},
        {QStringLiteral("foreign"), ExchangeColumn::Foreign},
        {QStringLiteral("term"), ExchangeColumn::Foreign},
        {QStringLiteral("question"), ExchangeColumn::Foreign},
        {QStringLiteral("back"), ExchangeColumn::Translation},
        {QStringLiteral("translation"), ExchangeColumn::Translation},
        {QStringLiteral("meaning"), ExchangeColumn::Translation},
        {QStringLiteral("definition"), ExchangeColumn::Translation},
        {QStringLiteral("answer"), ExchangeColumn::Translation},
        {QStringLiteral("transcription"), ExchangeColumn::Transcription},
        {QStringLiteral("pronunciation"), ExchangeColumn::Transcription},
        {QStringLiteral("lesson"), ExchangeColumn::Lesson},
        {QStringLiteral("deck"), ExchangeColumn::Lesson},
        {QStringLiteral("category"), ExchangeColumn::Categories},
        {QStringLiteral("categories"), ExchangeColumn::Categories},
        {QStringLiteral("sound"), ExchangeColumn::Sound},
        {QStringLiteral("audio"), ExchangeColumn::Sound},
        {QStringLiteral("слово"), ExchangeColumn::Foreign},
        {QStringLiteral("категория"), ExchangeColumn::Categories},
    };
    return english.value(h, ExchangeColumn::None);
}

QList<ExchangeColumn> exportColumns(bool exact)
{
    QList<ExchangeColumn> columns = {
        ExchangeColumn::Foreign,    ExchangeColumn::Transcription, ExchangeColumn::Translation,
        ExchangeColumn::Lesson,     ExchangeColumn::Categories,    ExchangeColumn::PriorityER,
        ExchangeColumn::PriorityRE, ExchangeColumn::Archive,       ExchangeColumn::Sound};
    if (exact) {
        columns.insert(3, ExchangeColumn::Markup);
        columns << ExchangeColumn::AutoCheck << ExchangeColumn::State;
    }
    return columns;
}

// ---------------------------------------------------------------- lists

QString escapeExchangeItem(const QString &item)
{
    QString out;
    out.reserve(item.size() + 4);
    const qsizetype last = item.size() - 1;
    for (qsizetype i = 0; i <= last; ++i) {
        const QChar c = item.at(i);
        if (isEscaped(c) || (c == QLatin1Char(' ') && (i == 0 || i == last)))
            out += QLatin1Char('\\');
        out += c;
    }
    return out;
}

QString joinExchangeList(const QStringList &items)
{
    QString out;
    for (qsizetype i = 0; i < items.size(); ++i) {
        if (i > 0)
            out += QLatin1String(", ");
        out += escapeExchangeItem(items[i]);
    }
    return out;
}

QStringList splitExchangeList(QStringView text)
{
    QStringList items;
    qsizetype p = 0;
    const qsizetype end = text.size();
    bool any = false;
    for (qsizetype i = 0; i < end && !any; ++i)
        any = text.at(i) != QLatin1Char(' ');
    if (!any)
        return items;
    static const char16_t stops[] = {u',', 0};
    for (;;) {
        items.append(readItem(text, p, stops));
        if (p < end && text.at(p) == QLatin1Char(',')) {
            ++p;
            continue;
        }
        break;
    }
    return items;
}

QString translationMarkup(const QList<TranslationSection> &sections)
{
    QString out;
    for (const TranslationSection &s : sections) {
        if (!out.isEmpty())
            out += QLatin1Char(' ');
        out += QLatin1Char('[') + escapeExchangeItem(s.code) + QLatin1Char(']');
        for (qsizetype g = 0; g < s.groups.size(); ++g) {
            out += g == 0 ? QLatin1String(" ") : QLatin1String("; ");
            const TranslationGroup &group = s.groups[g];
            for (qsizetype v = 0; v < group.size(); ++v) {
                if (v > 0)
                    out += QLatin1String(", ");
                out += escapeExchangeItem(group[v].word);
                if (!group[v].info.isEmpty())
                    out +=
                        QLatin1String(" (") + escapeExchangeItem(group[v].info) + QLatin1Char(')');
            }
        }
    }
    return out;
}

bool parseTranslationMarkup(QStringView text, QList<TranslationSection> *sections, QString *error)
{
    sections->clear();
    const qsizetype end = text.size();
    qsizetype p = 0;
    // Only blanks are the form's own: a line break belongs to the item.
    auto skipBlanks = [&] {
        while (p < end && text.at(p) == QLatin1Char(' '))
            ++p;
    };
    auto fail = [&](const QString &why) {
        if (error)
            *error = why;
        return false;
    };
    static const char16_t codeStops[] = {u']', 0};
    static const char16_t wordStops[] = {u',', u';', u'(', u'[', u')', u']', 0};
    static const char16_t infoStops[] = {u')', 0};
    skipBlanks();
    while (p < end) {
        if (text.at(p) != QLatin1Char('['))
            return fail(QStringLiteral("в разметке перевода нет кода раздела в скобках «[…]»"));
        ++p;
        TranslationSection section;
        section.code = readItem(text, p, codeStops);
        if (p >= end)
            return fail(QStringLiteral("в разметке перевода не закрыта скобка «]»"));
        ++p;
        skipBlanks();
        while (p < end && text.at(p) != QLatin1Char('[')) {
            TranslationGroup group;
            for (;;) {
                TranslationVariant v;
                v.word = readItem(text, p, wordStops);
                if (p < end && text.at(p) == QLatin1Char('(')) {
                    ++p;
                    v.info = readItem(text, p, infoStops);
                    if (p >= end)
                        return fail(QStringLiteral("в разметке перевода не закрыта скобка «)»"));
                    ++p;
                    while (p < end && text.at(p) == QLatin1Char(' '))
                        ++p;
                }
                group.append(v);
                if (p < end && text.at(p) == QLatin1Char(',')) {
                    ++p;
                    continue;
                }
                break;
            }
            section.groups.append(group);
            if (p < end && text.at(p) == QLatin1Char(';')) {
                ++p;
                continue;
            }
            if (p < end && text.at(p) != QLatin1Char('['))
                return fail(QStringLiteral("в разметке перевода лишний знак «%1»").arg(text.at(p)));
        }
        sections->append(section);
    }
    return true;
}

namespace
{

// The readable form, appended: "[N] дом, здание (устар.); [V] 1. есть; 2. кушать".
void appendReadable(QString &out, const Card &card)
{
    bool first = true;
    for (const TranslationSection &s : card.translations) {
        const bool numbered = !isWholeTextCode(s.code) && s.groups.size() > 1;
        for (qsizetype g = 0; g < s.groups.size(); ++g) {
            if (!first)
                out += QLatin1String("; ");
            first = false;
            if (g == 0) {
                out += QLatin1Char('[');
                out += s.code;
                out += QLatin1String("] ");
            }
            if (numbered) {
                out += QString::number(g + 1);
                out += QLatin1String(". ");
            }
            const TranslationGroup &group = s.groups[g];
            for (qsizetype v = 0; v < group.size(); ++v) {
                if (v > 0)
                    out += QLatin1String(", ");
                out += group[v].word;
                if (!group[v].info.isEmpty()) {
                    out += QLatin1String(" (");
                    out += group[v].info;
                    out += QLatin1Char(')');
                }
            }
        }
    }
}

} // namespace

QString readableTranslation(const Card &card)
{
    QString text;
    appendReadable(text, card);
    return text;
}

QList<TranslationSection> translationsFromText(const QString &text)
{
    QString line = text.simplified();
    if (line.isEmpty())
        return {};
    QList<Card> cards;
    const QString source = QStringLiteral("x = ") + line;
    int pos = 0;
    parseLineNormal(QStringLiteral("x"), cards, source, pos, int(source.size()));
    if (!cards.isEmpty() && !cards.first().translations.isEmpty())
        return cards.first().translations;
    TranslationSection whole;
    whole.code = line.contains(QLatin1Char(' ')) ? QStringLiteral("SS") : QStringLiteral("*");
    whole.groups.append({TranslationVariant{line, QString()}});
    return {whole};
}

// ---------------------------------------------------------------- export

namespace
{

// One field, quoted when it must be, appended to `out`.
void appendField(QString &out, QStringView field, QChar separator)
{
    bool quote = field.startsWith(u'#');
    for (const QChar c : field) {
        if (c == separator || c == u'"' || c == u'\n' || c == u'\r') {
            quote = true;
            break;
        }
    }
    if (!quote) {
        out.append(field);
        return;
    }
    out += QLatin1Char('"');
    qsizetype run = 0;
    for (qsizetype i = 0; i < field.size(); ++i) {
        if (field[i] == u'"') {
            out.append(field.mid(run, i + 1 - run));
            out += QLatin1Char('"');
            run = i + 1;
        }
    }
    out.append(field.mid(run));
    out += QLatin1Char('"');
}

// A decimal number without a string of its own.
void appendNumber(QString &out, int n)
{
    char16_t digits[12];
    int i = 12;
    unsigned u = n < 0 ? 0u - unsigned(n) : unsigned(n);
    do {
        digits[--i] = char16_t(u'0' + u % 10);
        u /= 10;
    } while (u);
    if (n < 0)
        digits[--i] = u'-';
    out.append(reinterpret_cast<const QChar *>(digits + i), 12 - i);
}

void appendEscaped(QString &out, const QString &item)
{
    const qsizetype last = item.size() - 1;
    qsizetype run = 0;
    for (qsizetype i = 0; i <= last; ++i) {
        const QChar c = item.at(i);
        if (isEscaped(c) || (c == u' ' && (i == 0 || i == last))) {
            out.append(QStringView(item).mid(run, i - run));
            out += QLatin1Char('\\');
            run = i;
        }
    }
    out.append(QStringView(item).mid(run));
}

} // namespace

QString delimitedCardsText(const QList<Card> &cards, QChar separator, bool exact,
                           const std::atomic<bool> *cancel)
{
    const QList<ExchangeColumn> columns = exportColumns(exact);
    QString out;
    out.reserve(qsizetype(cards.size()) * 384 + 256);
    QStringList header;
    for (ExchangeColumn c : columns)
        header << exchangeColumnName(c);
    appendRecord(out, header, separator);
    QString field;
    for (qsizetype i = 0; i < cards.size(); ++i) {
        if (cancel && (i & 1023) == 0 && cancel->load())
            break;
        const Card &card = cards[i];
        for (qsizetype k = 0; k < columns.size(); ++k) {
            if (k > 0)
                out += separator;
            field.resize(0); // keeps its capacity; clear() would free it
            switch (columns[k]) {
            case ExchangeColumn::Foreign:
                for (qsizetype w = 0; w < card.foreignWords.size(); ++w) {
                    if (w > 0)
                        field += QLatin1String(", ");
                    appendEscaped(field, card.foreignWords[w].word);
                }
                break;
            case ExchangeColumn::Transcription: {
                bool any = false;
                for (const ForeignWord &w : card.foreignWords)
                    any = any || !w.transcription.isEmpty();
                for (qsizetype w = 0; any && w < card.foreignWords.size(); ++w) {
                    if (w > 0)
                        field += QLatin1String(", ");
                    appendEscaped(field, card.foreignWords[w].transcription);
                }
                break;
            }
            case ExchangeColumn::Translation:
                appendReadable(field, card);
                break;
            case ExchangeColumn::Markup:
                for (const TranslationSection &s : card.translations) {
                    if (!field.isEmpty())
                        field += QLatin1Char(' ');
                    field += QLatin1Char('[');
                    appendEscaped(field, s.code);
                    field += QLatin1Char(']');
                    for (qsizetype g = 0; g < s.groups.size(); ++g) {
                        field += g == 0 ? QLatin1String(" ") : QLatin1String("; ");
                        const TranslationGroup &group = s.groups[g];
                        for (qsizetype v = 0; v < group.size(); ++v) {
                            if (v > 0)
                                field += QLatin1String(", ");
                            appendEscaped(field, group[v].word);
                            if (!group[v].info.isEmpty()) {
                                field += QLatin1String(" (");
                                appendEscaped(field, group[v].info);
                                field += QLatin1Char(')');
                            }
                        }
                    }
                }
                break;
            case ExchangeColumn::Lesson:
                appendField(out, card.lesson, separator);
                continue;
            case ExchangeColumn::Categories:
                for (qsizetype c = 0; c < card.categories.size(); ++c) {
                    if (c > 0)
                        field += QLatin1String(", ");
                    appendEscaped(field, card.categories[c]);
                }
                break;
            case ExchangeColumn::PriorityER:
                appendNumber(out, card.nPER);
                continue;
            case ExchangeColumn::PriorityRE:
                appendNumber(out, card.nPRE);
                continue;
            case ExchangeColumn::Archive:
                if (!card.nAr)
                    out += QStringLiteral("да");
                continue;
            case ExchangeColumn::Sound:
                appendField(out, card.soundPath, separator);
                continue;
            case ExchangeColumn::AutoCheck:
                for (const ForeignWord &w : card.foreignWords)
                    out += w.autoCheck ? QLatin1Char('+') : QLatin1Char('-');
                continue;
            case ExchangeColumn::State:
                for (int n : {card.pER, card.rER, card.aER, card.pRE, card.rRE, card.aRE}) {
                    appendNumber(out, n);
                    out += QLatin1Char(' ');
                }
                out.chop(1);
                continue;
            case ExchangeColumn::None:
                continue;
            }
            appendField(out, field, separator);
        }
        out += QLatin1String("\r\n");
    }
    return out;
}

// ---------------------------------------------------------------- import

QList<ExchangeColumn> suggestColumns(const QStringList &names, int columnCount, bool *isHeader)
{
    QList<ExchangeColumn> columns;
    bool known = false;
    for (int i = 0; i < columnCount; ++i) {
        ExchangeColumn c = i < names.size() ? columnForHeader(names[i]) : ExchangeColumn::None;
        if (c != ExchangeColumn::None && columns.contains(c))
            c = ExchangeColumn::None;
        known = known || c != ExchangeColumn::None;
        columns << c;
    }
    if (isHeader)
        *isHeader = known;
    if (!known) {
        for (int i = 0; i < columnCount; ++i)
            columns[i] = i == 0   ? ExchangeColumn::Foreign
                         : i == 1 ? ExchangeColumn::Translation
                                  : ExchangeColumn::None;
    }
    return columns;
}

namespace
{

// What a mapping says, looked up once for all rows.
struct Mapping {
    int colOf[kExchangeColumnCount];
    unsigned fields = 0;
    int mapped = 0; // columns that are imported

    explicit Mapping(const QList<ExchangeColumn> &columns)
    {
        std::fill(std::begin(colOf), std::end(colOf), -1);
        for (int i = 0; i < columns.size(); ++i)
            if (columns[i] != ExchangeColumn::None && colOf[int(columns[i])] < 0) {
                colOf[int(columns[i])] = i;
                ++mapped;
            }
        const std::pair<ExchangeColumn, unsigned> supplied[] = {
            {ExchangeColumn::Foreign, FieldForeign},
            {ExchangeColumn::Transcription, FieldTranscription},
            {ExchangeColumn::Translation, FieldTranslations},
            {ExchangeColumn::Markup, FieldTranslations},
            {ExchangeColumn::Lesson, FieldLesson},
            {ExchangeColumn::Categories, FieldCategories},
            {ExchangeColumn::PriorityER, FieldPriorities},
            {ExchangeColumn::PriorityRE, FieldPriorities},
            {ExchangeColumn::Archive, FieldArchive},
            {ExchangeColumn::Sound, FieldSound},
            {ExchangeColumn::AutoCheck, FieldAutoCheck},
            {ExchangeColumn::State, FieldState}};
        for (const auto &s : supplied)
            if (has(s.first))
                fields |= s.second;
    }
    bool has(ExchangeColumn c) const { return colOf[int(c)] >= 0; }
};

// The card of one row; false when the row's imported fields are all empty.
bool cardFromFields(const QList<QStringView> &row, int line, const Mapping &m,
                    const ImportDefaults &defaults, bool html, ImportedCard *item)
{
    bool empty = true;
    for (int c = 1; c < kExchangeColumnCount && empty; ++c) {
        const int i = m.colOf[c];
        if (i >= 0 && i < row.size() && !row[i].trimmed().isEmpty())
            empty = false;
    }
    if (empty)
        return false;
    // Anki's HTML, as text; the texts live as long as this row.
    QString htmlText[kExchangeColumnCount];
    auto field = [&](ExchangeColumn c) -> QStringView {
        const int i = m.colOf[int(c)];
        if (i < 0 || i >= row.size())
            return QStringView();
        if (!html)
            return row[i];
        htmlText[int(c)] = htmlFieldToText(row[i].toString());
        return htmlText[int(c)];
    };

    item->line = line;
    Card &card = item->card;
    QStringList problems;
    for (const QString &w : splitExchangeList(field(ExchangeColumn::Foreign)))
        card.foreignWords.append({w, QString(), false});
    if (m.has(ExchangeColumn::Transcription)) {
        const QStringList transcriptions = splitExchangeList(field(ExchangeColumn::Transcription));
        for (qsizetype i = 0; i < transcriptions.size(); ++i) {
            if (i < card.foreignWords.size())
                card.foreignWords[i].transcription = transcriptions[i];
            else if (!transcriptions[i].isEmpty())
                problems << QStringLiteral("транскрипций больше, чем иностранных слов");
        }
    }
    const QStringView checks = field(ExchangeColumn::AutoCheck).trimmed();
    for (qsizetype i = 0; i < checks.size() && i < card.foreignWords.size(); ++i)
        card.foreignWords[i].autoCheck = checks[i] == u'+';
    const QStringView markup = field(ExchangeColumn::Markup);
    if (!markup.trimmed().isEmpty()) {
        QString error;
        if (!parseTranslationMarkup(markup, &card.translations, &error))
            problems << error;
    } else if (m.has(ExchangeColumn::Translation)) {
        card.translations = translationsFromText(field(ExchangeColumn::Translation).toString());
    }
    const QStringView lesson = field(ExchangeColumn::Lesson);
    card.lesson = lesson.trimmed().isEmpty() ? defaults.lesson : lesson.toString();
    if (m.has(ExchangeColumn::Categories))
        card.categories = splitExchangeList(field(ExchangeColumn::Categories));
    if (card.categories.isEmpty() && !defaults.category.isEmpty())
        card.categories = {defaults.category};
    auto number = [&](ExchangeColumn c, int *out) {
        const QStringView t = field(c);
        if (t.trimmed().isEmpty())
            return;
        if (!readNumber(t, out))
            problems << QStringLiteral("«%1» в столбце «%2» не число")
                            .arg(t.toString(), exchangeColumnName(c));
    };
    number(ExchangeColumn::PriorityER, &card.nPER);
    number(ExchangeColumn::PriorityRE, &card.nPRE);
    card.pER = card.nPER;
    card.pRE = card.nPRE;
    const QStringView state = field(ExchangeColumn::State).trimmed();
    if (!state.isEmpty()) {
        int values[6];
        int n = 0;
        bool ok = true;
        for (QStringView part : state.tokenize(u' ', Qt::SkipEmptyParts)) {
            if (n >= 6 || !readNumber(part, &values[n])) {
                ok = false;
                break;
            }
            ++n;
        }
        if (ok && n == 6) {
            card.pER = values[0], card.rER = values[1], card.aER = values[2];
            card.pRE = values[3], card.rRE = values[4], card.aRE = values[5];
        } else {
            problems << QStringLiteral("«%1» в столбце «%2» не шесть чисел")
                            .arg(state.toString(), exchangeColumnName(ExchangeColumn::State));
        }
    }
    card.nAr = !archivedText(field(ExchangeColumn::Archive));
    card.soundPath = field(ExchangeColumn::Sound).toString();
    item->problem = problems.join(QStringLiteral("; "));
    return true;
}

} // namespace

ImportSource cardsFromRecords(const QList<DelimitedRecord> &records,
                              const QList<ExchangeColumn> &columns, const ImportDefaults &defaults,
                              bool html, const std::atomic<bool> *cancel)
{
    const Mapping mapping(columns);
    ImportSource source;
    source.fields = mapping.fields;
    source.cards.reserve(records.size());
    QList<QStringView> row;
    for (qsizetype r = 0; r < records.size(); ++r) {
        if (cancel && (r & 1023) == 0 && cancel->load())
            break;
        row.clear();
        for (const QString &f : records[r].fields)
            row.append(f);
        ImportedCard item;
        if (cardFromFields(row, records[r].line, mapping, defaults, html, &item))
            source.cards.append(std::move(item));
    }
    return source;
}

ImportSource cardsFromDelimitedText(const QString &text, QChar separator, int from, int firstLine,
                                    bool skipFirst, const QList<ExchangeColumn> &columns,
                                    const ImportDefaults &defaults, bool html,
                                    const std::atomic<bool> *cancel)
{
    const Mapping mapping(columns);
    ImportSource source;
    source.fields = mapping.fields;
    // About one card per 200 characters: few reallocations of the list.
    source.cards.reserve((text.size() - from) / 200 + 1);
    bool first = true;
    qsizetype n = 0;
    forEachDelimitedRecord(text, separator, from, firstLine,
                           [&](const QList<QStringView> &row, int line) {
                               if (std::exchange(first, false) && skipFirst)
                                   return true;
                               if (cancel && (++n & 1023) == 0 && cancel->load())
                                   return false;
                               ImportedCard item;
                               if (cardFromFields(row, line, mapping, defaults, html, &item))
                                   source.cards.append(std::move(item));
                               return true;
                           });
    return source;
}

ImportPlan planImport(ImportSource source, const Dictionary &dict, const ImportOptions &options)
{
    ImportPlan plan;
    // Cards of the target, and of this import, by first word and lesson:
    // an index into updated (>= 0) or added (encoded as -1 - i).
    QHash<QString, int> existing;
    QHash<int, int> updatedAt; // dictionary id -> index in plan.updated
    // The key is read in place; only a card the import updates is made.
    if (options.duplicates != DuplicatePolicy::Add) {
        existing.reserve(dict.cardCount());
        for (int i = 0; i < dict.cardCount(); ++i) {
            const CardView c = dict.view(i);
            if (c.filePath() == options.targetFile)
                existing.insert(duplicateKey(c.firstForeignWord(), c.lesson()), i);
        }
    }
    QHash<QString, int> importedAt; // key -> index in plan.added
    CardFileChecker checker(dict.categoryList());
    for (ImportedCard &item : source.cards) {
        Card card = std::move(item.card);
        normalizeCardForFile(card);
        QString problem = item.problem;
        if (problem.isEmpty())
            problem = checker.problem(card);
        if (!problem.isEmpty()) {
            plan.refused << ExchangeText::lineLabel(item.line) + QStringLiteral(": ") +
                                cardTitle(card) + QStringLiteral(": ") + problem;
            continue;
        }
        card.filePath = options.targetFile;
        if (options.duplicates == DuplicatePolicy::Add) {
            plan.added.append(std::move(card));
            continue;
        }
        const QString key = duplicateKey(card);
        const auto old = existing.constFind(key);
        const auto mine = importedAt.constFind(key);
        if (old == existing.cend() && mine == importedAt.cend()) {
            importedAt.insert(key, int(plan.added.size()));
            plan.added.append(std::move(card));
            continue;
        }
        if (options.duplicates == DuplicatePolicy::Skip) {
            ++plan.skipped;
            continue;
        }
        // Update: the fields the source gave replace those of the card.
        Card *target = nullptr;
        if (mine != importedAt.cend()) {
            target = &plan.added[*mine];
        } else {
            const Card held = dict.cardAt(*old);
            auto at = updatedAt.constFind(held.id);
            if (at == updatedAt.cend()) {
                at = updatedAt.insert(held.id, int(plan.updated.size()));
                plan.updated.append(held);
            }
            target = &plan.updated[*at];
        }
        Card merged = *target;
        const unsigned f = source.fields;
        if (f & (FieldForeign | FieldTranscription | FieldAutoCheck))
            merged.foreignWords = card.foreignWords;
        if (f & FieldTranslations)
            merged.translations = card.translations;
        if (f & FieldCategories)
            merged.categories = card.categories;
        if (f & FieldPriorities) {
            merged.nPER = card.nPER, merged.nPRE = card.nPRE;
            merged.pER = card.pER, merged.pRE = card.pRE;
        }
        if (f & FieldState) {
            merged.pER = card.pER, merged.rER = card.rER, merged.aER = card.aER;
            merged.pRE = card.pRE, merged.rRE = card.rRE, merged.aRE = card.aRE;
        }
        if (f & FieldArchive)
            merged.nAr = card.nAr;
        if (f & FieldSound)
            merged.soundPath = card.soundPath;
        // The merge of two good cards is good, but the check is cheap.
        const QString mergedProblem = checker.problem(merged);
        if (!mergedProblem.isEmpty()) {
            plan.refused << ExchangeText::lineLabel(item.line) + QStringLiteral(": ") +
                                cardTitle(merged) + QStringLiteral(": ") + mergedProblem;
            continue;
        }
        *target = std::move(merged);
    }
    return plan;
}

namespace ExchangeText
{

QString lineLabel(int line)
{
    return QStringLiteral("строка ") + QString::number(line);
}

QString refusedCards(const QStringList &refused)
{
    constexpr int kNamed = 50;
    QString text = QStringLiteral("Эти карточки не добавлены: файл словаря не смог бы "
                                  "вернуть их такими, как они есть (%1):\n")
                       .arg(refused.size());
    for (int i = 0; i < refused.size() && i < kNamed; ++i)
        text += refused[i] + QLatin1Char('\n');
    if (refused.size() > kNamed)
        text += QStringLiteral("… и ещё %1\n").arg(refused.size() - kNamed);
    text.chop(1);
    return text;
}

QString importDone(const ImportPlan &plan)
{
    const qint64 added = plan.added.size();
    QString text = russianPlural(added, QStringLiteral("Добавлена"), QStringLiteral("Добавлено"),
                                 QStringLiteral("Добавлено")) +
                   QLatin1Char(' ') + cardCount(added);
    if (!plan.updated.isEmpty())
        text += QStringLiteral("; обновлено: %1").arg(plan.updated.size());
    if (plan.skipped > 0)
        text += QStringLiteral("; пропущено повторов: %1").arg(plan.skipped);
    if (!plan.refused.isEmpty())
        text += QStringLiteral("; не добавлено: %1").arg(plan.refused.size());
    return text + QLatin1Char('.');
}

QString nothingToImport()
{
    return QStringLiteral("В файле не найдено ни одной карточки для импорта");
}

QString historyText(int count)
{
    return QStringLiteral("импорт ") + HistoryText::cardsGenitive(count);
}

} // namespace ExchangeText
