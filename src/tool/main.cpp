#include "tool/tool.h"

#include "core/dictionary/dictionary_file.h"

#include <QCoreApplication>
#include <QLocale>

#include <cstdio>

int main(int argc, char *argv[])
{
    setUpReadingHeaps();
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("lexitor-tool"));
    QCoreApplication::setApplicationVersion(QStringLiteral(LEXITOR_VERSION));
    QString out, err;
    const int code =
        runTool(QCoreApplication::arguments(), consoleLanguage(QLocale::system()), &out, &err);
    std::fputs(out.toLocal8Bit().constData(), stdout);
    std::fputs(err.toLocal8Bit().constData(), stderr);
    return code;
}
