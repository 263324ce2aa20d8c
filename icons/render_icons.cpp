// Build-time tool: renders every NAME.svg of a folder to NAME.png at the size the SVG declares,
// and NAME_disabled.png for the buttons that switch to a disabled picture.
//
// Usage: render_icons <svg folder> <png folder>   (run with QT_QPA_PLATFORM=offscreen)
//        render_icons --sizes 16,32,... <svg file> <png folder>
// The second form renders one picture (the application icon) at each size into
// <png folder>/<N>x<N>/NAME.png, the layout of an icon theme.
// Exits non-zero, with the reason on stderr, when any SVG is missing, does not parse, lacks its
// pixel size, or draws with warnings from QtSvg (e.g. an unresolved url(#id)), so a bad icon
// breaks the build instead of drawing blank or wrong.

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QSvgRenderer>
#include <QXmlStreamReader>

#include <cstdio>

namespace
{

// The buttons shown with a "_disabled" picture. That picture is derived from the same SVG
// here, so the enabled and disabled forms can never drift apart.
const char *const kWithDisabledForm[] = {
    "Open_files",     "Filter_on",     "Filter_off",  "Turn_on",   "Save_one_file",
    "Card_add_copy",  "Card_edit",     "Card_delete", "Card_find", "Voice_small",
    "Add_to_archive", "Tools",         "Join_files",  "SaveAs",    "File_close",
    "Voice",          "Previous_word", "Go_to_dict",  "IForgot",
};

// Greyed form: luminance only, lifted a little towards white and made half transparent, so it
// keeps the enabled shape but reads as "not available" next to coloured neighbours.
constexpr int kDisabledLift = 10;  // percent of the way to white
constexpr int kDisabledAlpha = 50; // percent of the original opacity

bool svgTrouble = false;

// QtSvg reports many problems only as log warnings and still draws what it could; remember
// them so that such an icon fails the build.
void logHandler(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    const bool fromSvg = context.category && qstrncmp(context.category, "qt.svg", 6) == 0;
    if (fromSvg && type != QtDebugMsg && type != QtInfoMsg)
        svgTrouble = true;
    std::fprintf(stderr, "%s\n", qPrintable(message));
}

void fail(const QString &message)
{
    std::fprintf(stderr, "render_icons: %s\n", qPrintable(message));
}

QImage render(QSvgRenderer &renderer, const QSize &size)
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
    renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(size)));
    painter.end();
    return image.convertToFormat(QImage::Format_ARGB32);
}

QImage disabledForm(const QImage &enabled)
{
    QImage image = enabled.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = line[x];
            // Rec. 601 luminance keeps the light/dark structure of the coloured original.
            const int luma =
                (299 * qRed(pixel) + 587 * qGreen(pixel) + 114 * qBlue(pixel) + 500) / 1000;
            const int grey = luma + (255 - luma) * kDisabledLift / 100;
            const int alpha = (qAlpha(pixel) * kDisabledAlpha + 50) / 100;
            line[x] = qRgba(grey, grey, grey, alpha);
        }
    }
    return image;
}

bool save(const QImage &image, const QString &path)
{
    if (image.save(path, "PNG"))
        return true;
    fail(QStringLiteral("cannot write %1").arg(path));
    return false;
}

// The pixel size the icon is used at, from the root element's width/height. Required: QtSvg
// would quietly fall back to 100x100 and a button would get a huge picture.
QSize declaredSize(const QFileInfo &svg)
{
    QFile file(svg.absoluteFilePath());
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QXmlStreamReader xml(&file);
    while (!xml.atEnd() && !xml.isStartElement())
        xml.readNext();
    if (!xml.isStartElement() || xml.name() != QLatin1String("svg"))
        return {};
    bool okWidth = false;
    bool okHeight = false;
    const int width = xml.attributes().value(QLatin1String("width")).toInt(&okWidth);
    const int height = xml.attributes().value(QLatin1String("height")).toInt(&okHeight);
    if (!okWidth || !okHeight)
        return {};
    return QSize(width, height);
}

// Renders one SVG (and its disabled form when asked); false after reporting the reason.
bool renderIcon(const QFileInfo &svg, const QDir &outDir, bool withDisabled)
{
    svgTrouble = false;
    QSvgRenderer renderer(svg.absoluteFilePath());
    if (!renderer.isValid() || svgTrouble) {
        fail(QStringLiteral("%1 does not parse cleanly").arg(svg.fileName()));
        return false;
    }
    const QSize size = declaredSize(svg);
    if (size.isEmpty() || size.width() > 512 || size.height() > 512) {
        fail(QStringLiteral("%1 needs whole-pixel width and height attributes on <svg>")
                 .arg(svg.fileName()));
        return false;
    }

    const QImage image = render(renderer, size);
    if (svgTrouble) {
        fail(QStringLiteral("%1 uses markup QtSvg cannot draw").arg(svg.fileName()));
        return false;
    }
    const QString base = svg.completeBaseName();
    bool ok = save(image, outDir.filePath(base + QStringLiteral(".png")));
    if (withDisabled)
        ok = save(disabledForm(image), outDir.filePath(base + QStringLiteral("_disabled.png"))) &&
             ok;
    return ok;
}

// Renders `svg` square at each of the comma-separated `sizes`; the exit code.
int renderSizes(const QString &sizes, const QFileInfo &svg, const QString &outPath)
{
    svgTrouble = false;
    QSvgRenderer renderer(svg.absoluteFilePath());
    if (!renderer.isValid() || svgTrouble) {
        fail(QStringLiteral("%1 does not parse cleanly").arg(svg.filePath()));
        return 1;
    }
    int failures = 0;
    const QStringList list = sizes.split(QLatin1Char(','));
    for (const QString &text : list) {
        bool ok = false;
        const int size = text.toInt(&ok);
        if (!ok || size <= 0 || size > 1024) {
            fail(QStringLiteral("bad size \"%1\"").arg(text));
            return 2;
        }
        const QString folder = QStringLiteral("%1/%2x%2").arg(outPath).arg(size);
        if (!QDir().mkpath(folder)) {
            fail(QStringLiteral("cannot create %1").arg(folder));
            return 1;
        }
        const QImage image = render(renderer, QSize(size, size));
        if (svgTrouble) {
            fail(QStringLiteral("%1 uses markup QtSvg cannot draw").arg(svg.filePath()));
            return 1;
        }
        if (!save(image, QDir(folder).filePath(svg.completeBaseName() + QStringLiteral(".png"))))
            ++failures;
    }
    return failures > 0 ? 1 : 0;
}

} // namespace

int main(int argc, char *argv[])
{
    qInstallMessageHandler(logHandler);
    QGuiApplication app(argc, argv);
    if (argc == 5 && qstrcmp(argv[1], "--sizes") == 0)
        return renderSizes(QString::fromLocal8Bit(argv[2]),
                           QFileInfo(QString::fromLocal8Bit(argv[3])),
                           QString::fromLocal8Bit(argv[4]));
    if (argc != 3) {
        fail(QStringLiteral("usage: render_icons <svg folder> <png folder>\n"
                            "       render_icons --sizes 16,32,... <svg file> <png folder>"));
        return 2;
    }

    const QDir sourceDir(QString::fromLocal8Bit(argv[1]));
    const QString outPath = QString::fromLocal8Bit(argv[2]);
    if (!sourceDir.exists()) {
        fail(QStringLiteral("no folder %1").arg(sourceDir.path()));
        return 1;
    }
    if (!QDir().mkpath(outPath)) {
        fail(QStringLiteral("cannot create %1").arg(outPath));
        return 1;
    }
    const QDir outDir(outPath);

    QSet<QString> withDisabled;
    for (const char *name : kWithDisabledForm)
        withDisabled.insert(QString::fromLatin1(name));

    const QFileInfoList svgs = sourceDir.entryInfoList(QStringList{QStringLiteral("*.svg")},
                                                       QDir::Files | QDir::Readable, QDir::Name);
    int failures = 0;
    QSet<QString> seen;
    for (const QFileInfo &svg : svgs) {
        const QString base = svg.completeBaseName();
        seen.insert(base);
        if (!renderIcon(svg, outDir, withDisabled.contains(base)))
            ++failures;
    }
    // A renamed or deleted SVG would otherwise leave a button without its disabled picture.
    for (const QString &name : std::as_const(withDisabled)) {
        if (!seen.contains(name)) {
            fail(QStringLiteral("%1.svg is missing").arg(name));
            ++failures;
        }
    }

    if (failures > 0) {
        fail(QStringLiteral("%1 icon(s) failed").arg(failures));
        return 1;
    }
    std::printf("render_icons: %lld icons rendered into %s\n", static_cast<long long>(svgs.size()),
                qPrintable(QDir::toNativeSeparators(outDir.absolutePath())));
    return 0;
}
