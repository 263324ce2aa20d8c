#include "app/main_window.h"
#include "app/session.h"
#include "core/dictionary/dictionary_file.h"
#include "core/settings/command_line.h"
#include "core/settings/work_folder.h"
#include "ui/common/app_style.h"
#include "ui/common/signal_closer.h"
#include "ui/dictionary/dictionary_page.h"

#include <QApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QLocale>
#include <QStandardPaths>
#include <QTimer>
#include <QTranslator>

#include <cstdio>
#include <cstdlib>

namespace
{

bool loadRussianQtTexts(QTranslator &translator)
{
    return translator.load(QLocale(QLocale::Russian, QLocale::Russia), QStringLiteral("qtbase"),
                           QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath));
}

void print(std::FILE *stream, const QString &text)
{
    std::fputs(text.toLocal8Bit().constData(), stream);
}

QStringList argumentsOf(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    return arguments;
}

} // namespace

int main(int argc, char *argv[])
{
    setUpReadingHeaps();
    QCoreApplication::setApplicationName(QStringLiteral("lexitor"));
    QCoreApplication::setApplicationVersion(QStringLiteral(LEXITOR_VERSION));
    const ConsoleLanguage language = consoleLanguage(QLocale::system());
    // --help and --version need no screen, so they work on a text console.
    const CommandLine early = parseCommandLine(argumentsOf(argc, argv), QString(), language);
    if (early.action == CommandLine::ShowHelp || early.action == CommandLine::ShowVersion) {
        QCoreApplication console(argc, argv);
        QTranslator qtTexts;
        if (language == ConsoleLanguage::Russian && loadRussianQtTexts(qtTexts))
            QCoreApplication::installTranslator(&qtTexts);
        print(stdout, parseCommandLine(QCoreApplication::arguments(), QString(), language).text);
        return 0;
    }

    // The style draws the group-box frames in these colours from the start.
    static FrameColors frameColors;
    QApplication app(argc, argv);
    // Desktops find the menu entry, and with it the icon, by this name.
    QGuiApplication::setDesktopFileName(QStringLiteral(LEXITOR_APP_ID));
    // Qt has taken its own options ("-platform", "-style") out by now.
    const CommandLine commandLine =
        parseCommandLine(QCoreApplication::arguments(), QDir::currentPath(), language);
    if (commandLine.action == CommandLine::Fail) {
        print(stderr, commandLine.text);
        return 2;
    }
    SignalCloser closer;
    QApplication::setStyle(new AppStyle(&frameColors));
    // The interface is Russian, so Qt's own dialogs (files, colours, fonts) are too.
    QTranslator qtTranslator;
    if (loadRussianQtTexts(qtTranslator))
        QApplication::installTranslator(&qtTranslator);

    const QString dataFolder =
        findDataFolder(installedDataFolders(QCoreApplication::applicationDirPath()));
    const WorkFolder folder = chooseWorkFolder(
        QDir::currentPath(), QStandardPaths::writableLocation(QStandardPaths::AppDataLocation),
        dataFolder);
    for (const QString &problem : folder.problems)
        print(stderr, QStringLiteral("lexitor: ") + problem + QLatin1Char('\n'));
    Session session(folder.path, &frameColors);
    // The user folder has no pictures of its own: the installed ones serve.
    if (folder.userFolder && !dataFolder.isEmpty())
        session.addIconFolder(QDir(dataFolder).filePath(QStringLiteral("icons")));
    Vmain_form window(session);
    window.show();
    closer.setWindow(&window);
    QObject::connect(&app, &QApplication::lastWindowClosed, &app, &QApplication::quit);
    if (!commandLine.files.isEmpty()) {
        DictionaryPage *page = window.dictionaryPage();
        QTimer::singleShot(0, page, [page, files = commandLine.files] { page->openFiles(files); });
    }
    const int result = app.exec();
    // A speech service that hangs must not keep the program from ending: the
    // settings are written, and the thread still waiting for it goes with
    // the process.
    if (session.speechStillStarting()) {
        std::fflush(nullptr);
        std::_Exit(result);
    }
    return result;
}
