#include "card_generator.h"

#include <QRandomGenerator>

static QString syllables(QRandomGenerator &rng, const char *const *pool, int poolSize, int n)
{
    QString s;
    for (int i = 0; i < n; ++i)
        s += QString::fromUtf8(pool[rng.bounded(poolSize)]);
    return s;
}

QList<Card> generateCards(int count, int files)
{
    static const char *const latin[] = {"ba", "ke", "ro", "ti", "mu",  "sa", "le", "qu", "an",
                                        "th", "er", "st", "ow", "ing", "ch", "pl", "gr"};
    static const char *const cyr[] = {"ка",  "ро",  "ми",  "ту",   "ле",  "сна", "пер", "во",
                                      "ель", "ать", "ить", "ость", "ной", "дом", "ёж",  "щи"};
    static const char *const codes[] = {"N", "V", "A", "ADV", "PREP", "PRON"};
    static const char *const cats[] = {"Еда", "Дом", "Работа", "Город", "Время", "Природа"};
    QRandomGenerator rng(12345);
    QList<Card> out;
    out.reserve(count);
    QStringList paths;
    for (int f = 0; f < files; ++f)
        paths << QStringLiteral("/tmp/lexitor-bench/dict%1.xml").arg(f);
    QString lesson;
    for (int i = 0; i < count; ++i) {
        Card c;
        // Cards read from a file share their path and lesson strings.
        c.filePath = paths[i % files];
        if (i % 30 == 0)
            lesson = QStringLiteral("Урок %1").arg(i / 30 + 1, 4, 10, QLatin1Char('0'));
        c.lesson = lesson;
        const QString stem = syllables(rng, latin, 17, 2 + rng.bounded(3));
        const int forms = 1 + rng.bounded(3);
        for (int f = 0; f < forms; ++f) {
            ForeignWord w;
            w.word = f == 0 ? stem : stem + QString::fromUtf8(latin[rng.bounded(17)]);
            w.transcription = QLatin1Char('[') + w.word + QLatin1Char(']');
            w.autoCheck = f == 0;
            c.foreignWords.append(w);
        }
        const int sections = 2 + rng.bounded(2);
        for (int s = 0; s < sections; ++s) {
            TranslationSection sec;
            sec.code = QString::fromLatin1(codes[(s + i) % 6]);
            const int groups = 1 + rng.bounded(3);
            for (int g = 0; g < groups; ++g) {
                TranslationGroup grp;
                const int vars = 1 + rng.bounded(3);
                for (int v = 0; v < vars; ++v) {
                    TranslationVariant tv;
                    tv.word = syllables(rng, cyr, 16, 2 + rng.bounded(2));
                    if (rng.bounded(4) == 0)
                        tv.info = QStringLiteral("разг.");
                    grp.append(tv);
                }
                sec.groups.append(grp);
            }
            c.translations.append(sec);
        }
        c.categories.append(QString::fromUtf8(cats[i % 6]));
        if (i % 7 == 0)
            c.categories.append(QString::fromUtf8(cats[(i + 1) % 6]));
        c.nPER = c.pER = 1 + rng.bounded(3);
        c.nPRE = c.pRE = 1 + rng.bounded(3);
        if (i % 11 == 0)
            c.pER += 2;
        c.nAr = i % 50 != 0;
        if (i % 9 == 0)
            c.soundPath = stem + QStringLiteral(".wav");
        out.append(c);
    }
    return out;
}
