#include "core/statistics/statistics.h"

#include "core/dictionary/dictionary.h"

#include <algorithm>
#include <limits>
#include <map>
#include <vector>

void PriorityHistogram::add(int priority)
{
    if (priority >= 1 && priority <= statisticsMaxPriority)
        ++count[size_t(priority - 1)];
    else
        ++outside;
}

CardStatistics computeCardStatistics(const Dictionary &dict, bool enRu, bool onlyFiltered)
{
    CardStatistics stats;
    // Counted by the store's index of the lesson name, then ordered by name
    // once per lesson.
    std::vector<LessonCounts> byIndex;
    std::vector<bool> seen;
    const CardStore &store = dict.store();
    for (int i = 0; i < store.size(); ++i) {
        const CardRecord &card = store.record(i);
        if (onlyFiltered && !card.inFilter)
            continue;
        ++stats.cards;
        stats.priorities.baseER.add(card.nPER);
        stats.priorities.currentER.add(card.pER);
        stats.priorities.baseRE.add(card.nPRE);
        stats.priorities.currentRE.add(card.pRE);

        if (card.lesson >= byIndex.size()) {
            byIndex.resize(size_t(card.lesson) + 1);
            seen.resize(size_t(card.lesson) + 1, false);
        }
        seen[card.lesson] = true;
        LessonCounts &l = byIndex[card.lesson];
        const bool raised = enRu ? card.pER > card.nPER : card.pRE > card.nPRE;
        if (!card.nAr)
            ++l.archived;
        else if (raised)
            ++l.raised;
        else
            ++l.base;
    }
    std::map<QString, LessonCounts> lessons;
    for (size_t i = 0; i < byIndex.size(); ++i)
        if (seen[i])
            lessons[store.name(quint32(i))] = byIndex[i];
    stats.lessons.reserve(qsizetype(lessons.size()));
    for (auto &[name, counts] : lessons) {
        counts.lesson = name;
        stats.lessons << counts;
    }
    return stats;
}

QList<DayAnswers> answersPerDay(const QList<RunRecord> &records, const QDate &today, int days)
{
    QList<DayAnswers> result;
    if (days <= 0 || !today.isValid())
        return result;
    const QDate first = today.addDays(-(days - 1));
    result.resize(days);
    for (int i = 0; i < days; ++i)
        result[i].date = first.addDays(i);
    for (const RunRecord &r : records) {
        const qint64 i = first.daysTo(r.started.date());
        if (i < 0 || i >= days)
            continue;
        // A journal may hold any number of records for a day: the sums stop
        // at the largest int, and `right` never passes `answers`.
        const auto add = [](int sum, int value) {
            return int(std::min<qint64>(qint64(sum) + value, std::numeric_limits<int>::max()));
        };
        result[i].answers = add(result[i].answers, r.answers());
        result[i].right = std::min(add(result[i].right, r.right), result[i].answers);
    }
    return result;
}

QString tableText(const QStringList &header, const QList<QStringList> &rows)
{
    auto line = [](const QStringList &cells) {
        QStringList clean;
        clean.reserve(cells.size());
        for (QString c : cells) {
            c.replace(QLatin1Char('\t'), QLatin1Char(' '));
            c.replace(QLatin1Char('\n'), QLatin1Char(' '));
            c.replace(QLatin1Char('\r'), QLatin1Char(' '));
            clean << c;
        }
        return clean.join(QLatin1Char('\t')) + QLatin1Char('\n');
    };
    QString text = line(header);
    for (const QStringList &r : rows)
        text += line(r);
    return text;
}
