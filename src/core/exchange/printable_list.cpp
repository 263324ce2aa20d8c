#include "core/exchange/printable_list.h"

#include "core/exchange/card_exchange.h"

#include <QBuffer>
#include <QMap>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QTextDocument>

namespace
{

QString lines(const QString &text)
{
    return text.toHtmlEscaped().replace(QLatin1Char('\n'), QLatin1String("<br>"));
}

} // namespace

QString printableHtml(const QList<Card> &cards, const QString &title, HiddenSide hidden)
{
    QMap<QString, QList<int>> byLesson;
    for (int i = 0; i < cards.size(); ++i)
        byLesson[cards[i].lesson].append(i);
    QString html;
    html.reserve(qsizetype(cards.size()) * 160 + 1000);
    html +=
        QStringLiteral(
            "<!DOCTYPE html>\n<html lang=\"ru\"><head><meta charset=\"utf-8\">\n<title>%1</title>\n"
            "<style>\nbody { font-family: sans-serif; font-size: 11pt; }\n"
            "table { border-collapse: collapse; width: 100%; margin-bottom: 1em; }\n"
            "th, td { border: 1px solid #888; padding: 3px 6px; vertical-align: top; "
            "text-align: left; }\n"
            "td.blank { color: transparent; }\n"
            "h2 { page-break-after: avoid; margin-top: 1em; }\n</style></head>\n<body>\n"
            "<h1>%1</h1>\n")
            .arg(title.toHtmlEscaped());
    for (auto it = byLesson.cbegin(); it != byLesson.cend(); ++it) {
        html += QStringLiteral("<h2>%1</h2>\n<table width=\"100%\" border=\"1\" cellspacing=\"0\" "
                               "cellpadding=\"4\">\n<tr><th width=\"30%\">Слово</th>"
                               "<th width=\"20%\">Транскрипция</th><th>Перевод</th></tr>\n")
                    .arg(it.key().toHtmlEscaped());
        for (int i : it.value()) {
            const Card &c = cards[i];
            QStringList words, sounds;
            for (const ForeignWord &w : c.foreignWords) {
                words << w.word;
                sounds << w.transcription;
            }
            const QString foreign = lines(words.join(QLatin1Char('\n')));
            const QString transcription = lines(sounds.join(QLatin1Char('\n')));
            QString russian = readableTranslation(c);
            russian = lines(russian.replace(QLatin1String("; "), QLatin1String("\n")));
            const bool hideForeign = hidden == HiddenSide::Foreign;
            const bool hideRussian = hidden == HiddenSide::Russian;
            html += QStringLiteral("<tr><td>%1</td><td>%2</td><td>%3</td></tr>\n")
                        .arg(hideForeign ? QStringLiteral("&nbsp;") : foreign,
                             hideForeign ? QStringLiteral("&nbsp;") : transcription,
                             hideRussian ? QStringLiteral("&nbsp;") : russian);
        }
        html += QStringLiteral("</table>\n");
    }
    html += QStringLiteral("</body></html>\n");
    return html;
}

QByteArray printablePdf(const QString &html, const QString &title)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    // The writer ends the file when it goes.
    {
        QPdfWriter writer(&buffer);
        writer.setTitle(title);
        writer.setCreator(QStringLiteral("Lexitor"));
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setPageMargins(QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter);
        writer.setResolution(300);
        QTextDocument doc;
        doc.setHtml(html);
        doc.print(&writer);
    }
    buffer.close();
    return bytes;
}
