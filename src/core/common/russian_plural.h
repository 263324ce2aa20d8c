#pragma once

#include <QString>

// Which of the three Russian forms a noun takes after the number n:
// `one` after 1, 21, 101 (карточка), `few` after 2-4, 22-24 (карточки),
// `many` after 0, 5-20, 25-30, 111-114 (карточек). Negative n as its size.
const QString &russianPlural(qint64 n, const QString &one, const QString &few, const QString &many);

// "1 карточка", "2 карточки", "5 карточек": every message that counts
// cards says it this way.
QString cardCount(qint64 n);
