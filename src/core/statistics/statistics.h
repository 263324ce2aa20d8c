#pragma once

#include "core/statistics/run_journal.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

#include <array>

class Dictionary;

// The figures behind the statistics window's charts, computed in one pass
// over the cards (a learner may hold 100,000 of them).

// Cards of one lesson by their state in one direction. An archived card
// counts as archived only; the others by whether a mistake raised their
// current priority above the base one.
struct LessonCounts {
    QString lesson;
    int base = 0;
    int raised = 0;
    int archived = 0;
    int total() const { return base + raised + archived; }
};

constexpr int statisticsMaxPriority = 10;

// How many cards have each priority 1..10; index 0 is priority 1. Values
// outside 1..10 (a hand-edited file) are counted in `outside`.
struct PriorityHistogram {
    std::array<int, statisticsMaxPriority> count{};
    int outside = 0;
    void add(int priority);
};

struct PriorityCounts {
    PriorityHistogram baseER, currentER, baseRE, currentRE;
};

struct CardStatistics {
    QList<LessonCounts> lessons; // in lesson name order
    PriorityCounts priorities;
    int cards = 0; // cards counted
};

// `enRu` picks the direction of the lesson counts; with `onlyFiltered` the
// cards that do not pass the filter are left out.
CardStatistics computeCardStatistics(const Dictionary &dict, bool enRu, bool onlyFiltered);

// Answers of one day, from the run journal.
struct DayAnswers {
    QDate date;
    int answers = 0;
    int right = 0;
    // Share of right answers in percent; 0 on a day without answers.
    double rightShare() const { return answers > 0 ? 100.0 * right / answers : 0.0; }
};

// One entry per day of the `days` days ending with `today`, oldest first,
// days without runs included with 0.
QList<DayAnswers> answersPerDay(const QList<RunRecord> &records, const QDate &today, int days);

// A table as text for the clipboard: cells separated by tabs, rows by line
// breaks; tabs and line breaks inside a cell become spaces.
QString tableText(const QStringList &header, const QList<QStringList> &rows);
