#include "app/app_style.h"
#include "app/main_window.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    // The style draws the group-box frames in these colours from the start.
    static FrameColors frameColors;
    QApplication app(argc, argv);
    QApplication::setStyle(new AppStyle(&frameColors));
    Vmain_form window(&frameColors);
    window.show();
    QObject::connect(&app, &QApplication::lastWindowClosed, &app, &QApplication::quit);
    return app.exec();
}
