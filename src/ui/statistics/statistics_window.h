#pragma once

#include "core/statistics/statistics.h"

#include <QDate>
#include <QDialog>

class Dictionary;
class Interaction;
class QChart;
class QChartView;
class QCheckBox;
class QComboBox;
class QLabel;
class QScrollBar;
class QTableWidget;
class QTabWidget;

// "Статистика": the open dictionary's cards per lesson and per priority, and
// the answers per day from the run journal, each as a chart with its figures
// in a table that can be copied and the chart saved as PNG.
class StatisticsWindow : public QDialog
{
    Q_OBJECT
public:
    // Lessons shown in the lesson chart at once; the scroll bar under it
    // moves through the rest (a dictionary can have thousands).
    static constexpr int lessonsPerPage = 30;
    enum Page { LessonsPage = 0, PrioritiesPage = 1, AnswersPage = 2 };

    // `filterActive`: the filter is set, so the window can be limited to the
    // cards that pass it. `today` ends the answer chart's days.
    StatisticsWindow(const Dictionary &dict, bool filterActive, const QString &journalPath,
                     Interaction &ui, const QDate &today, QWidget *parent = nullptr);

    // The figures of a page as the clipboard gets them.
    QString pageText(int page) const;
    QChartView *chartView(int page) const { return m_views[page]; }
    QTableWidget *table(int page) const { return m_tables[page]; }
    const CardStatistics &cardStatistics() const { return m_stats; }
    const QList<DayAnswers> &days() const { return m_days; }
    // The journal could not be read, or lines of it were damaged.
    const QString &journalNote() const { return m_journalNote; }

public slots:
    // Recounts the cards (direction or filter choice changed).
    void slot_recount();
    // The answer chart's period (30, 90 or 365 days) changed.
    void slot_period();
    void slot_lessonScroll(int first);
    // Copies the current page's table.
    void slot_copy();
    // Asks for a file and saves the current page's chart in it as PNG.
    void slot_savePng();

public:
    // The lesson chart's tooltip for lesson `index`: its whole name and how
    // many cards it has.
    QString lessonTip(int index) const;
    // Renders page `page`'s chart into `path`; false when it was not written.
    bool saveChartPng(int page, const QString &path) const;

private:
    QWidget *makePage(int page, QWidget *controls);
    void showLessons();
    void showLessonChart();
    void showPriorities();
    void showDays();
    void setTable(int page, const QStringList &header, const QList<QStringList> &rows);

    const Dictionary &m_dict;
    Interaction &m_ui;
    QDate m_today;
    QList<RunRecord> m_records;
    QString m_journalNote;
    CardStatistics m_stats;
    QList<DayAnswers> m_days;

    QCheckBox *m_onlyFiltered = nullptr;
    QComboBox *m_direction = nullptr;
    QComboBox *m_period = nullptr;
    QScrollBar *m_lessonScroll = nullptr;
    QTabWidget *m_tabs = nullptr;
    QChartView *m_views[3] = {};
    QTableWidget *m_tables[3] = {};
    QStringList m_headers[3];
    QList<QStringList> m_rows[3];
};
