#include "tool/tool.h"

#include "core/common/russian_plural.h"
#include "core/dictionary/card_check.h"
#include "core/dictionary/dictionary.h"
#include "core/dictionary/dictionary_file.h"
#include "core/dictionary/dictionary_files.h"
#include "core/exchange/exchange_file.h"
#include "core/settings/app_settings.h"
#include "core/settings/ini_reader.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QStandardPaths>

#include <memory>

namespace
{

struct Console {
    ConsoleLanguage language;
    QString *out;
    QString *err;

    QString t(const char *russian, const char *english) const
    {
        return QString::fromUtf8(language == ConsoleLanguage::Russian ? russian : english);
    }
    QString t(const QString &russian, const QString &english) const
    {
        return language == ConsoleLanguage::Russian ? russian : english;
    }
    void print(const QString &text) const { *out += text + QLatin1Char('\n'); }
    void error(const QString &text) const { *err += text + QLatin1Char('\n'); }
};

// Every option of every command; the help lists them all.
struct Options {
    QCommandLineOption help{{QStringLiteral("h"), QStringLiteral("help")}, QString()};
    QCommandLineOption version{{QStringLiteral("v"), QStringLiteral("version")}, QString()};
    QCommandLineOption to{QStringLiteral("to"), QString(), QStringLiteral("OUT")};
    QCommandLineOption into{QStringLiteral("into"), QString(), QStringLiteral("FILE.xml")};
    QCommandLineOption lesson{QStringLiteral("lesson"), QString(), QStringLiteral("NAME")};
    QCommandLineOption category{QStringLiteral("category"), QString(), QStringLiteral("NAME")};
    QCommandLineOption duplicates{QStringLiteral("duplicates"), QString(),
                                  QStringLiteral("skip|add|update")};
    QCommandLineOption separator{QStringLiteral("separator"), QString(),
                                 QStringLiteral("tab|semicolon|comma")};
    QCommandLineOption encoding{QStringLiteral("encoding"), QString(),
                                QStringLiteral("utf8|cp1251")};
    QCommandLineOption plain{QStringLiteral("plain"), QString()};
    QCommandLineOption hide{QStringLiteral("hide"), QString(), QStringLiteral("foreign|russian")};
    QCommandLineOption foreignId{QStringLiteral("foreign-id"), QString(), QStringLiteral("N")};
    QCommandLineOption russianId{QStringLiteral("russian-id"), QString(), QStringLiteral("N")};
    QCommandLineOption force{QStringLiteral("force"), QString()};
    QCommandLineOption json{QStringLiteral("json"), QString()};
    QCommandLineOption settings{QStringLiteral("settings"), QString(),
                                QStringLiteral("settings.ini")};
};

QString helpText(const Console &c, const QString &program)
{
    return c
        .t("Использование: %1 КОМАНДА [параметры] ФАЙЛ...\n"
           "Словари Lexitor без окна: проверка, обмен с таблицами и другими тренажёрами, "
           "сводка.\n"
           "\n"
           "Команды:\n"
           "  check ФАЙЛ.xml...         Прочитать словари, как их открывает программа, и "
           "напечатать\n"
           "                            каждое её сообщение. Код выхода: 0 — всё чисто, 1 — "
           "что-то\n"
           "                            пропущено, 2 — файл не читается.\n"
           "  export ФАЙЛ.xml... --to ВЫХОД\n"
           "                            Записать все карточки в ВЫХОД: .tsv или .txt "
           "(табуляция),\n"
           "                            .csv, .kvtml (KVTML 2.0) или .html (список для "
           "печати).\n"
           "  import ВХОД --into ФАЙЛ.xml\n"
           "                            Добавить карточки из ВХОД (.tsv, .txt, .csv, .kvtml) "
           "в словарь\n"
           "                            ФАЙЛ.xml. Существующий файл заменяется только с "
           "--force.\n"
           "  stats ФАЙЛ.xml...         Карточки, уроки, категории, приоритеты, архив, "
           "карточки без звука.\n"
           "\n"
           "Параметры:\n"
           "  --to ВЫХОД                export: файл, в который писать; вид — по окончанию "
           "имени.\n"
           "  --separator tab|semicolon|comma\n"
           "                            export: разделитель таблицы (по умолчанию табуляция "
           "для .tsv,\n"
           "                            точка с запятой для .csv); import: вместо найденного "
           "в файле.\n"
           "  --encoding utf8|cp1251    export: UTF-8 с меткой (по умолчанию) или "
           "Windows-1251;\n"
           "                            import: вместо найденной в файле.\n"
           "  --plain                   export: без столбцов точного возврата (разметка "
           "перевода,\n"
           "                            проверка ответа, состояние повторения).\n"
           "  --hide foreign|russian    export в .html: оставить пустой колонку слова или "
           "перевода.\n"
           "  --into ФАЙЛ.xml           import: словарь, в который добавить карточки.\n"
           "  --lesson УРОК             import: урок строк и записей, у которых его нет "
           "(по умолчанию\n"
           "                            имя входного файла).\n"
           "  --category КАТЕГОРИЯ      import: категория карточек без категорий (по "
           "умолчанию «Прочие»).\n"
           "  --duplicates skip|add|update\n"
           "                            import: карточка с тем же иностранным словом и "
           "уроком, что уже\n"
           "                            есть в словаре, — пропустить (по умолчанию), "
           "добавить или\n"
           "                            обновить имеющуюся.\n"
           "  --foreign-id N            import из KVTML: язык иностранного слова (по "
           "умолчанию 0).\n"
           "  --russian-id N            import из KVTML: язык перевода (по умолчанию 1).\n"
           "  --force                   Заменить существующий выходной файл.\n"
           "  --json                    stats: сводка в виде JSON.\n"
           "  --settings ФАЙЛ           settings.ini со списком категорий (по умолчанию из "
           "текущей\n"
           "                            папки, затем из папки пользователя Lexitor, иначе "
           "список по\n"
           "                            умолчанию).\n"
           "  -h, --help                Показать эту справку и выйти.\n"
           "  -v, --version             Показать версию и выйти.\n",
           "Usage: %1 COMMAND [options] FILE...\n"
           "Lexitor dictionaries without a window: checks, exchange with spreadsheets and "
           "other\n"
           "trainers, a summary.\n"
           "\n"
           "Commands:\n"
           "  check FILE.xml...         Read the dictionaries as the program opens them and "
           "print\n"
           "                            every message it would show. Exit code: 0 clean, 1 "
           "something\n"
           "                            was skipped, 2 a file cannot be read.\n"
           "  export FILE.xml... --to OUT\n"
           "                            Write all cards to OUT: .tsv or .txt (tab-separated), "
           ".csv,\n"
           "                            .kvtml (KVTML 2.0) or .html (a printable list).\n"
           "  import IN --into FILE.xml\n"
           "                            Add the cards of IN (.tsv, .txt, .csv, .kvtml) to the "
           "dictionary\n"
           "                            FILE.xml. An existing file is replaced only with "
           "--force.\n"
           "  stats FILE.xml...         Cards, lessons, categories, priorities, archive, cards "
           "without sound.\n"
           "\n"
           "Options:\n"
           "  --to OUT                  export: the file to write; its name's ending says the "
           "format.\n"
           "  --separator tab|semicolon|comma\n"
           "                            export: the separator (tab for .tsv, semicolon for "
           ".csv by\n"
           "                            default); import: instead of the one found in the "
           "file.\n"
           "  --encoding utf8|cp1251    export: UTF-8 with a byte-order mark (default) or "
           "Windows-1251;\n"
           "                            import: instead of the one found in the file.\n"
           "  --plain                   export: without the columns of the exact round trip "
           "(translation\n"
           "                            markup, answer check, repetition state).\n"
           "  --hide foreign|russian    export to .html: leave the word or the translation "
           "column empty.\n"
           "  --into FILE.xml           import: the dictionary the cards are added to.\n"
           "  --lesson LESSON           import: the lesson of rows and entries that name none "
           "(default:\n"
           "                            the input file's name).\n"
           "  --category CATEGORY       import: the category of cards without one (default "
           "\"Прочие\").\n"
           "  --duplicates skip|add|update\n"
           "                            import: a card with the same foreign word and lesson "
           "as one\n"
           "                            already in the dictionary is skipped (default), added, "
           "or\n"
           "                            updates that card.\n"
           "  --foreign-id N            import from KVTML: the language of the foreign word "
           "(default 0).\n"
           "  --russian-id N            import from KVTML: the language of the translation "
           "(default 1).\n"
           "  --force                   Replace an existing output file.\n"
           "  --json                    stats: the summary as JSON.\n"
           "  --settings FILE           settings.ini holding the category list (default: the "
           "current\n"
           "                            folder's, then the Lexitor user folder's, else the "
           "default list).\n"
           "  -h, --help                Show this help and exit.\n"
           "  -v, --version             Show the version and exit.\n")
        .arg(program);
}

// The category list the program would use: the given settings file, the
// current folder's, the user folder's, or the default list.
StringSet categoryList(const QString &settingsFile)
{
    QStringList candidates;
    if (!settingsFile.isEmpty()) {
        candidates << settingsFile;
    } else {
        candidates << QDir::current().filePath(QStringLiteral("settings.ini"));
        QString data = qEnvironmentVariable("XDG_DATA_HOME");
        if (data.isEmpty())
            data = QDir::homePath() + QStringLiteral("/.local/share");
        candidates << data + QStringLiteral("/lexitor/settings.ini");
    }
    iniReader ini;
    for (const QString &file : candidates) {
        if (QFileInfo::exists(file) && ini.load(file))
            return readCategoryList(ini);
    }
    ini.clear();
    return readCategoryList(ini);
}

QString absolute(const QString &path)
{
    return QFileInfo(path).absoluteFilePath();
}

// Reads dictionary files as the open does; prints every message. Returns
// the worst exit code met.
int readFiles(const Console &c, const QStringList &files, Dictionary &dict)
{
    int code = 0;
    for (const QString &given : files) {
        const QString path = absolute(given);
        auto warn = [&](const QString &text) { c.error(text + QLatin1Char('\n')); };
        if (!isDictionaryFileName(path)) {
            warn(QStringLiteral("Файл ") + path + QStringLiteral("\nНе является файлом словаря"));
            code = 2;
            continue;
        }
        if (dict.openFiles().count(path)) {
            warn(QStringLiteral("Файл ") + path + QStringLiteral("\nУже открыт"));
            code = std::max(code, 1);
            continue;
        }
        const QString problem = dictionaryOpenProblem(path);
        if (!problem.isEmpty()) {
            warn(QStringLiteral("Файл ") + path + QStringLiteral("\nНе может быть открыт\n") +
                 problem);
            code = 2;
            continue;
        }
        Dictionary loaded;
        loaded.setCategoryList(dict.categoryList());
        const ReadOutcome read = readDictionaryFile(loaded, path);
        for (const QString &w : read.warnings)
            warn(w);
        if (!read.opened) {
            warn(QStringLiteral("Файл ") + path + QStringLiteral("\nНе может быть открыт\n") +
                 read.openError);
            code = 2;
            continue;
        }
        if (!read.added) {
            code = 2;
            continue;
        }
        if (!read.warnings.isEmpty())
            code = std::max(code, 1);
        dict.adoptFile(path, loaded);
    }
    return code;
}

int commandCheck(const Console &c, const QStringList &files, const StringSet &categories)
{
    if (files.isEmpty()) {
        c.error(c.t("check: не названо ни одного файла", "check: no file named"));
        return 2;
    }
    Dictionary dict;
    dict.setCategoryList(categories);
    const int code = readFiles(c, files, dict);
    for (const QString &path : dict.openFiles())
        c.print(QStringLiteral("%1: %2").arg(path).arg(
            c.t("карточек: %1", "cards: %1").arg(dict.positionsOfFile(path).size())));
    return code;
}

bool parseSeparator(const QString &value, QChar *out)
{
    const QString v = value.toLower();
    if (v == QLatin1String("tab") || v == QLatin1String("\\t"))
        *out = QLatin1Char('\t');
    else if (v == QLatin1String("semicolon") || v == QLatin1String(";"))
        *out = QLatin1Char(';');
    else if (v == QLatin1String("comma") || v == QLatin1String(","))
        *out = QLatin1Char(',');
    else
        return false;
    return true;
}

bool parseEncoding(const QString &value, ExchangeEncoding *out)
{
    const QString v = value.toLower().remove(QLatin1Char('-'));
    if (v == QLatin1String("utf8"))
        *out = ExchangeEncoding::Utf8Bom;
    else if (v == QLatin1String("cp1251") || v == QLatin1String("windows1251"))
        *out = ExchangeEncoding::Windows1251;
    else
        return false;
    return true;
}

int commandExport(const Console &c, const QCommandLineParser &p, const Options &o,
                  const QStringList &files, const StringSet &categories)
{
    const QString target = p.value(o.to);
    if (target.isEmpty() || files.isEmpty()) {
        c.error(c.t("export: нужны файлы словарей и --to ВЫХОД",
                    "export: dictionary files and --to OUT are needed"));
        return 2;
    }
    ExportOptions options;
    options.format = exchangeFormatForPath(target);
    if (options.format == ExchangeFormat::Unknown || options.format == ExchangeFormat::Pdf) {
        c.error(c.t("export: вид выходного файла — .tsv, .txt, .csv, .kvtml или .html",
                    "export: the output file must be .tsv, .txt, .csv, .kvtml or .html"));
        return 2;
    }
    options.separator =
        options.format == ExchangeFormat::Csv ? QLatin1Char(';') : QLatin1Char('\t');
    if (p.isSet(o.separator) && !parseSeparator(p.value(o.separator), &options.separator)) {
        c.error(c.t("Неизвестный разделитель: ", "Unknown separator: ") + p.value(o.separator));
        return 2;
    }
    if (p.isSet(o.encoding) && !parseEncoding(p.value(o.encoding), &options.encoding)) {
        c.error(c.t("Неизвестная кодировка: ", "Unknown encoding: ") + p.value(o.encoding));
        return 2;
    }
    options.exact = !p.isSet(o.plain);
    if (p.isSet(o.hide)) {
        const QString h = p.value(o.hide).toLower();
        if (h == QLatin1String("foreign"))
            options.hidden = HiddenSide::Foreign;
        else if (h == QLatin1String("russian"))
            options.hidden = HiddenSide::Russian;
        else {
            c.error(c.t("--hide: foreign или russian", "--hide: foreign or russian"));
            return 2;
        }
    }
    const QString out = absolute(target);
    if (QFileInfo::exists(out) && !p.isSet(o.force)) {
        c.error(c.t("Файл %1 уже есть; чтобы заменить его, добавьте --force",
                    "The file %1 exists; add --force to replace it")
                    .arg(out));
        return 2;
    }
    Dictionary dict;
    dict.setCategoryList(categories);
    int code = readFiles(c, files, dict);
    if (dict.cardCount() == 0) {
        c.error(c.t("Нет карточек для вывода", "No cards to export"));
        return 2;
    }
    options.title = QFileInfo(files.size() == 1 ? files.first() : out).completeBaseName();
    QString error;
    if (!writeExportFile(out, exportBytes(dict.cards(), options), &error)) {
        c.error(out + QLatin1Char('\n') + error);
        return 2;
    }
    const int written = dict.cardCount();
    c.print(c.t(QStringLiteral("Записано %1 в %2").arg(cardCount(written), out),
                QStringLiteral("Wrote %1 cards to %2").arg(written).arg(out)));
    return code;
}

int commandImport(const Console &c, const QCommandLineParser &p, const Options &o,
                  const QStringList &files, const StringSet &categories)
{
    const QString into = p.value(o.into);
    if (files.size() != 1 || into.isEmpty()) {
        c.error(c.t("import: нужен один входной файл и --into ФАЙЛ.xml",
                    "import: one input file and --into FILE.xml are needed"));
        return 2;
    }
    const QString target = absolute(into);
    if (!isDictionaryFileName(target)) {
        c.error(QStringLiteral("Файл ") + target + QStringLiteral("\nНе является файлом словаря"));
        return 2;
    }
    const bool exists = QFileInfo::exists(target);
    if (exists && !p.isSet(o.force)) {
        c.error(c.t("Файл %1 уже есть; чтобы заменить его, добавьте --force",
                    "The file %1 exists; add --force to replace it")
                    .arg(target));
        return 2;
    }
    DuplicatePolicy policy = DuplicatePolicy::Skip;
    if (p.isSet(o.duplicates)) {
        const QString d = p.value(o.duplicates).toLower();
        if (d == QLatin1String("add"))
            policy = DuplicatePolicy::Add;
        else if (d == QLatin1String("update"))
            policy = DuplicatePolicy::Update;
        else if (d != QLatin1String("skip")) {
            c.error(c.t("--duplicates: skip, add или update", "--duplicates: skip, add or update"));
            return 2;
        }
    }
    const QString input = absolute(files.first());
    ImportFile file = loadImportFile(input);
    if (!file.error.isEmpty()) {
        c.error(file.error);
        return 2;
    }
    ImportDefaults defaults;
    defaults.lesson =
        p.isSet(o.lesson) ? p.value(o.lesson).simplified() : QFileInfo(input).completeBaseName();
    defaults.category = p.isSet(o.category) ? p.value(o.category) : QStringLiteral("Прочие");
    ImportSource source;
    if (file.format == ExchangeFormat::Kvtml) {
        bool ok1 = true, ok2 = true;
        const int foreign = p.isSet(o.foreignId) ? p.value(o.foreignId).toInt(&ok1) : 0;
        const int russian = p.isSet(o.russianId) ? p.value(o.russianId).toInt(&ok2) : 1;
        if (!ok1 || !ok2) {
            c.error(c.t("--foreign-id и --russian-id — числа",
                        "--foreign-id and --russian-id are numbers"));
            return 2;
        }
        source = cardsFromKvtml(file.kvtml, foreign, russian, defaults);
    } else {
        if (p.isSet(o.encoding)) {
            ExchangeEncoding encoding;
            if (!parseEncoding(p.value(o.encoding), &encoding)) {
                c.error(c.t("Неизвестная кодировка: ", "Unknown encoding: ") + p.value(o.encoding));
                return 2;
            }
            redecodeImportFile(file, encoding);
        }
        QChar separator = file.layout.separator;
        if (p.isSet(o.separator) && !parseSeparator(p.value(o.separator), &separator)) {
            c.error(c.t("Неизвестный разделитель: ", "Unknown separator: ") + p.value(o.separator));
            return 2;
        }
        source = importDelimitedCards(file, separator, -1, nullptr, defaults);
    }
    if (source.cards.isEmpty()) {
        c.error(ExchangeText::nothingToImport());
        return 2;
    }

    Dictionary dict;
    dict.setCategoryList(categories);
    int code = 0;
    if (exists) {
        code = readFiles(c, {target}, dict);
        if (code == 2)
            return 2;
    }
    ImportOptions options;
    options.targetFile = target;
    options.duplicates = policy;
    const ImportPlan plan = planImport(std::move(source), dict, options);
    if (!plan.refused.isEmpty()) {
        c.error(ExchangeText::refusedCards(plan.refused));
        code = 1;
    }
    if (plan.added.isEmpty() && plan.updated.isEmpty()) {
        c.print(ExchangeText::importDone(plan));
        return plan.refused.isEmpty() ? 0 : 1;
    }
    QList<Card> cards = dict.cards();
    QHash<int, int> at;
    for (int i = 0; i < cards.size(); ++i)
        at.insert(cards[i].id, i);
    for (const Card &u : plan.updated)
        cards[at.value(u.id)] = u;
    cards += plan.added;
    const WriteOutcome written = writeDictionaryCards(cards, nullptr, target, categories, nullptr);
    if (!written.ok) {
        c.error(written.message);
        return 2;
    }
    for (const QString &w : written.warnings)
        c.error(w);
    c.print(ExchangeText::importDone(plan));
    return code;
}

int commandStats(const Console &c, const QStringList &files, const StringSet &categories, bool json)
{
    if (files.isEmpty()) {
        c.error(c.t("stats: не названо ни одного файла", "stats: no file named"));
        return 2;
    }
    Dictionary dict;
    dict.setCategoryList(categories);
    const int code = readFiles(c, files, dict);
    QMap<QString, int> lessons, byCategory;
    QMap<int, int> prioER, prioRE;
    int archived = 0, noSound = 0;
    for (const Card &card : dict.cards()) {
        ++lessons[card.lesson];
        for (const QString &cat : card.categories)
            ++byCategory[cat];
        ++prioER[card.nPER];
        ++prioRE[card.nPRE];
        if (!card.nAr)
            ++archived;
        if (card.soundPath.trimmed().isEmpty())
            ++noSound;
    }
    if (json) {
        auto object = [](const auto &map) {
            QJsonObject o;
            for (auto it = map.cbegin(); it != map.cend(); ++it) {
                QString key;
                if constexpr (std::is_same_v<std::decay_t<decltype(it.key())>, int>)
                    key = QString::number(it.key());
                else
                    key = it.key();
                o.insert(key, it.value());
            }
            return o;
        };
        QJsonArray fileList;
        for (const QString &path : dict.openFiles())
            fileList.append(path);
        QJsonObject root{{QStringLiteral("files"), fileList},
                         {QStringLiteral("cards"), dict.cardCount()},
                         {QStringLiteral("lessons"), object(lessons)},
                         {QStringLiteral("categories"), object(byCategory)},
                         {QStringLiteral("priorityER"), object(prioER)},
                         {QStringLiteral("priorityRE"), object(prioRE)},
                         {QStringLiteral("archived"), archived},
                         {QStringLiteral("withoutSound"), noSound}};
        *c.out += QString::fromUtf8(QJsonDocument(root).toJson(QJsonDocument::Indented));
        return code;
    }
    c.print(c.t("Карточек: %1", "Cards: %1").arg(dict.cardCount()));
    c.print(c.t("Уроков: %1", "Lessons: %1").arg(lessons.size()));
    for (auto it = lessons.cbegin(); it != lessons.cend(); ++it)
        c.print(QStringLiteral("  %1: %2").arg(it.key()).arg(it.value()));
    c.print(c.t("Категорий: %1", "Categories: %1").arg(byCategory.size()));
    for (auto it = byCategory.cbegin(); it != byCategory.cend(); ++it)
        c.print(QStringLiteral("  %1: %2").arg(it.key()).arg(it.value()));
    c.print(c.t("Приоритеты ин-ру:", "Priorities foreign-Russian:"));
    for (auto it = prioER.cbegin(); it != prioER.cend(); ++it)
        c.print(QStringLiteral("  %1: %2").arg(it.key()).arg(it.value()));
    c.print(c.t("Приоритеты ру-ин:", "Priorities Russian-foreign:"));
    for (auto it = prioRE.cbegin(); it != prioRE.cend(); ++it)
        c.print(QStringLiteral("  %1: %2").arg(it.key()).arg(it.value()));
    c.print(c.t("В архиве: %1", "Archived: %1").arg(archived));
    c.print(c.t("Без звука: %1", "Without sound: %1").arg(noSound));
    return code;
}

} // namespace

int runTool(const QStringList &arguments, ConsoleLanguage language, QString *out, QString *err)
{
    const Console c{language, out, err};
    const QString program = arguments.isEmpty() ? QStringLiteral("lexitor-tool")
                                                : QFileInfo(arguments.first()).fileName();
    Options o;
    QCommandLineParser p;
    p.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    p.addOptions({o.help, o.version, o.to, o.into, o.lesson, o.category, o.duplicates, o.separator,
                  o.encoding, o.plain, o.hide, o.foreignId, o.russianId, o.force, o.json,
                  o.settings});
    if (!p.parse(arguments)) {
        c.error(p.errorText());
        c.error(c.t("Справка: %1 --help", "Help: %1 --help").arg(program));
        return 2;
    }
    if (p.isSet(o.help)) {
        *out += helpText(c, program);
        return 0;
    }
    if (p.isSet(o.version)) {
        c.print(QStringLiteral("lexitor-tool " LEXITOR_VERSION));
        return 0;
    }
    QStringList positional = p.positionalArguments();
    if (positional.isEmpty()) {
        *err += helpText(c, program);
        return 2;
    }
    const QString command = positional.takeFirst();
    const StringSet categories = categoryList(p.value(o.settings));
    if (command == QLatin1String("check"))
        return commandCheck(c, positional, categories);
    if (command == QLatin1String("export"))
        return commandExport(c, p, o, positional, categories);
    if (command == QLatin1String("import"))
        return commandImport(c, p, o, positional, categories);
    if (command == QLatin1String("stats"))
        return commandStats(c, positional, categories, p.isSet(o.json));
    c.error(
        c.t("Неизвестная команда: %1\nСправка: %2 --help", "Unknown command: %1\nHelp: %2 --help")
            .arg(command, program));
    return 2;
}
