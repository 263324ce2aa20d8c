#include "app/app_style.h"
#include "app/main_window.h"
#include "app/session.h"

#include <QApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

int main(int argc, char *argv[])
{
    // The style draws the group-box frames in these colours from the start.
    static FrameColors frameColors;
    QApplication app(argc, argv);
    QApplication::setStyle(new AppStyle(&frameColors));
    // The interface is Russian, so Qt's own dialogs (files, colours, fonts) are too.
    QTranslator qtTranslator;
    if (qtTranslator.load(QLocale(QLocale::Russian, QLocale::Russia), QStringLiteral("qtbase"),
                          QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTranslator);
    // The program works in the folder it was started in.
    Session session(QDir::currentPath(), &frameColors);
    Vmain_form window(session);
    window.show();
    QObject::connect(&app, &QApplication::lastWindowClosed, &app, &QApplication::quit);
    return app.exec();
}
