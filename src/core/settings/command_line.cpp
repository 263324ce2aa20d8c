#include "core/settings/command_line.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QLocale>

namespace
{

QString tr2(ConsoleLanguage language, const char *russian, const char *english)
{
    return language == ConsoleLanguage::Russian ? QString::fromUtf8(russian)
                                                : QString::fromUtf8(english);
}

QString purpose(ConsoleLanguage language)
{
    return tr2(language, "Изучение и повторение слов иностранного языка",
               "Learning and repeating the words of a foreign language");
}

QString programName(const QStringList &arguments)
{
    const QString name = arguments.isEmpty() ? QString() : QFileInfo(arguments.first()).fileName();
    return name.isEmpty() ? QStringLiteral("lexitor") : name;
}

// The unknown option as it was written ("-x", "--x", "-platform").
QString asGiven(const QStringList &arguments, const QString &name)
{
    for (const QString &argument : arguments) {
        const QString option = argument.section(QLatin1Char('='), 0, 0);
        if (option == QLatin1Char('-') + name || option == QLatin1String("--") + name)
            return option;
    }
    return QLatin1String("--") + name;
}

} // namespace

ConsoleLanguage consoleLanguage(const QLocale &locale)
{
    return locale.language() == QLocale::Russian ? ConsoleLanguage::Russian
                                                 : ConsoleLanguage::English;
}

QString versionText(ConsoleLanguage language)
{
    return QStringLiteral("Lexitor " LEXITOR_VERSION "\n") + purpose(language) + QLatin1Char('\n');
}

CommandLine parseCommandLine(const QStringList &arguments, const QString &baseDir,
                             ConsoleLanguage language)
{
    QCommandLineParser parser;
    // "-platform" is one option, as Qt reads it, not "-p -l -a ...".
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(
        QStringLiteral("Lexitor: ") + purpose(language).toLower() + QStringLiteral(".\n") +
        tr2(language,
            "Словари — XML-файлы карточек. Программа работает в текущей папке, если в ней\n"
            "есть settings.ini или картинки кнопок (icons/), иначе в своей папке\n"
            "пользователя (обычно ~/.local/share/lexitor).",
            "Dictionaries are XML files of cards. The program works in the current folder\n"
            "when it holds settings.ini or the button pictures (icons/), otherwise in its\n"
            "own user folder (usually ~/.local/share/lexitor)."));
    const QCommandLineOption help(
        {QStringLiteral("h"), QStringLiteral("help"), QStringLiteral("?")},
        tr2(language, "Показать эту справку и выйти.", "Show this help and exit."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     tr2(language, "Показать версию программы и выйти.",
                                         "Show the program's version and exit."));
    parser.addOption(help);
    parser.addOption(version);
    parser.addPositionalArgument(tr2(language, "файлы", "files"),
                                 tr2(language, "Словари, которые нужно открыть при запуске.",
                                     "Dictionaries to open at start."),
                                 tr2(language, "[файл.xml...]", "[file.xml...]"));

    CommandLine result;
    const bool parsed = parser.parse(arguments);
    if (parser.isSet(help)) {
        result.action = CommandLine::ShowHelp;
        result.text = parser.helpText();
        return result;
    }
    if (parser.isSet(version)) {
        result.action = CommandLine::ShowVersion;
        result.text = versionText(language);
        return result;
    }
    if (!parsed) {
        QStringList unknown;
        for (const QString &name : parser.unknownOptionNames())
            unknown << asGiven(arguments, name);
        result.action = CommandLine::Fail;
        result.text = tr2(language, "Неизвестный параметр: %1\nСправка: %2 --help\n",
                          "Unknown option: %1\nHelp: %2 --help\n")
                          .arg(unknown.join(QStringLiteral(", ")), programName(arguments));
        return result;
    }
    const QDir base(baseDir);
    for (const QString &file : parser.positionalArguments())
        result.files << QDir::cleanPath(base.absoluteFilePath(file));
    return result;
}
