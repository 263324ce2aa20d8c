#pragma once

#include <QString>
#include <QStringList>

class QLocale;

// The language of the texts the program prints on its console.
enum class ConsoleLanguage { Russian, English };

// Russian on a Russian system, English anywhere else.
ConsoleLanguage consoleLanguage(const QLocale &locale);

// What the command line asks for.
struct CommandLine {
    enum Action {
        Run,         // start the window, opening `files`
        ShowHelp,    // print `text` and end
        ShowVersion, // print `text` and end
        Fail,        // print `text` on standard error and end with an error
    };
    Action action = Run;
    QString text;
    // The dictionaries to open at start, as absolute paths in the order given.
    QStringList files;
};

// Reads `arguments` as the program got them (its own name first). Relative
// file names are taken from `baseDir`. "--help" wins over "--version", and
// both over an unknown option. Qt's own words in the help ("Usage:") come
// from the translation installed in the application, if any.
CommandLine parseCommandLine(const QStringList &arguments, const QString &baseDir,
                             ConsoleLanguage language);

// "Lexitor <version>" and what the program is for.
QString versionText(ConsoleLanguage language);
