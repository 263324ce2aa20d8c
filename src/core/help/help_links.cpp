#include "core/help/help_links.h"

#include "core/help/help_texts.h"

#include <QRegularExpression>

namespace
{
const QString kOpenMarker = QStringLiteral("<ff>");
const QString kCloseMarker = QStringLiteral("</ff>");
const QString kContinuationSuffix = QStringLiteral(".instext");
} // namespace

QString helpLinkNotFoundMessage()
{
    return QStringLiteral("Ошибка программы.\nНе найдена позиция ссылки");
}

QString helpMarkerMissingMessage()
{
    return QStringLiteral(
        "Ошибка программы.\nНе найден служебный элемент для вставки дополнительного текста");
}

HelpLinkOutcome followHelpLink(int topic, const QString &link, QString &html)
{
    if (topic == kAboutTopic)
        return link == QLatin1String("#about_qt") ? HelpLinkOutcome::AboutQt
                                                  : HelpLinkOutcome::Ignored;
    if (topic < 0 || topic >= kHelpTopicCount || !link.endsWith(kContinuationSuffix))
        return HelpLinkOutcome::Ignored;

    // Built per click, which is rare; the link is taken literally.
    const QRegularExpression anchor(QStringLiteral("<a\\s+href\\s*=\\s*\"") +
                                        QRegularExpression::escape(link) +
                                        QStringLiteral("\"\\s*>"),
                                    QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = anchor.match(html);
    if (!m.hasMatch())
        return HelpLinkOutcome::LinkNotFound;

    const qsizetype open = html.indexOf(kOpenMarker, m.capturedStart());
    const qsizetype close = html.indexOf(kCloseMarker, m.capturedStart());
    if (open < 0 || close < 0 || close < open)
        return HelpLinkOutcome::MarkerMissing;

    const qsizetype inner = open + kOpenMarker.size();
    if (close > inner) {
        html.remove(inner, close - inner);
        return HelpLinkOutcome::Toggled;
    }
    QString key = link;
    if (key.startsWith(QLatin1Char('#')))
        key.remove(0, 1);
    key.chop(kContinuationSuffix.size());
    const QString continuation = helpContinuation(topic, key);
    if (continuation.isEmpty())
        return HelpLinkOutcome::Ignored;
    html.insert(close, continuation);
    return HelpLinkOutcome::Toggled;
}
