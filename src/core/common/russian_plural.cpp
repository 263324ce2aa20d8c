#include "core/common/russian_plural.h"

const QString &russianPlural(qint64 n, const QString &one, const QString &few, const QString &many)
{
    const qint64 abs = n < 0 ? -n : n;
    const qint64 lastTwo = abs % 100;
    const qint64 last = abs % 10;
    if (lastTwo >= 11 && lastTwo <= 14)
        return many;
    if (last == 1)
        return one;
    if (last >= 2 && last <= 4)
        return few;
    return many;
}

QString cardCount(qint64 n)
{
    static const QString one = QStringLiteral("карточка");
    static const QString few = QStringLiteral("карточки");
    static const QString many = QStringLiteral("карточек");
    return QString::number(n) + QLatin1Char(' ') + russianPlural(n, one, few, many);
}
