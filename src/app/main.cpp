#include "app/app_style.h"
#include "app/main_window.h"

#include <QApplication>
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
    Vmain_form window(&frameColors);
    window.show();
    QObject::connect(&app, &QApplication::lastWindowClosed, &app, &QApplication::quit);
    return app.exec();
}
