#include "random_cards.h"

#include <QRandomGenerator>

#include <climits>

// Cards whose every text holds what XML must escape or normalize: markup
// characters, white space controls, references as text, non-BMP characters.
// Few lessons, so that a sorted save has long runs to keep in order.
QList<Card> randomHostileCards(int count, quint32 seed, const StringSet &cats)
{
    const QStringList pieces = {
        QStringLiteral("\""),   QStringLiteral("&"),     QStringLiteral("<"),
        QStringLiteral(">"),    QStringLiteral("\n"),    QStringLiteral("\r"),
        QStringLiteral("\r\n"), QStringLiteral("\t"),    QStringLiteral(" "),
        QStringLiteral("'"),    QStringLiteral("ёЖ"),    QStringLiteral("😀"),
        QStringLiteral("]]>"),  QStringLiteral("&amp;"), QStringLiteral("&#10;"),
        QStringLiteral("%1"),   QStringLiteral("word"),  QStringLiteral(";")};
    const QStringList codes = {QStringLiteral("N"), QStringLiteral("Применено"),
                               QStringLiteral("*"), QStringLiteral("SS")};
    const QList<QString> catList(cats.begin(), cats.end());
    const QList<int> numbers = {0, 1, 7, -5, INT_MAX, INT_MIN};
    QRandomGenerator rng(seed);
    auto text = [&](int minPieces) {
        QString s;
        for (int n = minPieces + rng.bounded(5); n > 0; --n)
            s += pieces[rng.bounded(pieces.size())];
        return s;
    };
    auto num = [&] { return numbers[rng.bounded(numbers.size())]; };

    // The reader simplifies lesson names: only simplified ones come back as they were.
    QStringList lessons;
    while (lessons.size() < 5) {
        const QString l = text(1).simplified();
        if (!l.isEmpty())
            lessons.append(l);
    }
    QList<Card> cards;
    for (int i = 0; i < count; ++i) {
        Card c;
        c.id = i;
        c.lesson = lessons[rng.bounded(lessons.size())];
        for (int n = 1 + rng.bounded(3); n > 0; --n)
            c.foreignWords.append({text(1), text(0), rng.bounded(2) == 1});
        for (int s = rng.bounded(3); s > 0; --s) {
            TranslationSection sec;
            sec.code = codes[rng.bounded(codes.size())];
            for (int g = 1 + rng.bounded(3); g > 0; --g) {
                TranslationGroup group;
                for (int v = 1 + rng.bounded(3); v > 0; --v)
                    group.append({text(1), text(0)});
                sec.groups.append(group);
            }
            c.translations.append(sec);
        }
        for (int n = 1 + rng.bounded(3); n > 0; --n)
            c.categories.append(catList[rng.bounded(catList.size())]);
        if (rng.bounded(2))
            c.soundPath = text(1);
        c.nPER = num(), c.pER = num(), c.rER = num(), c.aER = num();
        c.nPRE = num(), c.pRE = num(), c.rRE = num(), c.aRE = num();
        c.nAr = rng.bounded(2);
        cards.append(c);
    }
    return cards;
}
