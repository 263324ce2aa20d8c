#include "ui/statistics/statistics_window.h"
#include "ui/common/window_placement.h"

#include "core/common/russian_plural.h"

#include "core/dictionary/dictionary.h"
#include "core/dictionary/safe_save.h"
#include "ui/common/interaction.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QBuffer>
#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDateTimeAxis>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineSeries>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QSplitter>
#include <QStackedBarSeries>
#include <QTabWidget>
#include <QTableWidget>

#include <QCursor>
#include <QToolTip>
#include <QVBoxLayout>
#include <QValueAxis>
#include <algorithm>

namespace
{

const int kPeriods[] = {30, 90, 365};

QString number(int n)
{
    return QString::number(n);
}

// A fresh chart on `view`; the old one goes with its series and axes.
QChart *resetChart(QChartView *view, const QString &title)
{
    auto *chart = new QChart;
    chart->setTitle(title);
    chart->legend()->setAlignment(Qt::AlignBottom);
    QChart *old = view->chart();
    view->setChart(chart);
    delete old;
    return chart;
}

QValueAxis *countAxis(int max)
{
    auto *axis = new QValueAxis;
    axis->setRange(0, qMax(1, max));
    axis->setLabelFormat(QStringLiteral("%d"));
    axis->applyNiceNumbers();
    return axis;
}

} // namespace

StatisticsWindow::StatisticsWindow(const Dictionary &dict, bool filterActive,
                                   const QString &journalPath, Interaction &ui, const QDate &today,
                                   QWidget *parent)
    : QDialog(parent), m_dict(dict), m_ui(ui), m_today(today)
{
    setObjectName(QStringLiteral("statisticsWindow"));
    setWindowTitle(QStringLiteral("Статистика"));
    resize(860, 620);
    keepOnScreen(this);

    const JournalContents journal = readRunJournal(journalPath);
    m_records = journal.records;
    if (!journal.error.isEmpty())
        m_journalNote = journal.error;
    else if (journal.skippedLines > 0)
        m_journalNote =
            QStringLiteral("Пропущено повреждённых строк журнала: %1").arg(journal.skippedLines);

    auto *layout = new QVBoxLayout(this);
    m_onlyFiltered = new QCheckBox(QStringLiteral("Только карточки, прошедшие фильтр"));
    m_onlyFiltered->setObjectName(QStringLiteral("checkBox_statFilter"));
    m_onlyFiltered->setChecked(filterActive);
    m_onlyFiltered->setEnabled(filterActive);
    layout->addWidget(m_onlyFiltered);

    m_tabs = new QTabWidget;
    m_tabs->setObjectName(QStringLiteral("tabWidget_stat"));
    layout->addWidget(m_tabs);

    m_direction = new QComboBox;
    m_direction->setObjectName(QStringLiteral("comboBox_statDirection"));
    m_direction->addItems({QStringLiteral("ин-ру"), QStringLiteral("ру-ин")});
    auto *lessonControls = new QWidget;
    auto *lc = new QHBoxLayout(lessonControls);
    lc->setContentsMargins(0, 0, 0, 0);
    lc->addWidget(new QLabel(QStringLiteral("Направление:")));
    lc->addWidget(m_direction);
    lc->addStretch();
    m_tabs->addTab(makePage(LessonsPage, lessonControls), QStringLiteral("По урокам"));
    m_lessonScroll = new QScrollBar(Qt::Horizontal);
    m_lessonScroll->setObjectName(QStringLiteral("scrollBar_statLessons"));
    static_cast<QVBoxLayout *>(m_views[LessonsPage]->parentWidget()->layout())
        ->insertWidget(1, m_lessonScroll);

    m_tabs->addTab(makePage(PrioritiesPage, nullptr), QStringLiteral("Приоритеты"));

    m_period = new QComboBox;
    m_period->setObjectName(QStringLiteral("comboBox_statPeriod"));
    for (int days : kPeriods)
        m_period->addItem(QStringLiteral("Последние %1 дней").arg(days), days);
    auto *dayControls = new QWidget;
    auto *dc = new QHBoxLayout(dayControls);
    dc->setContentsMargins(0, 0, 0, 0);
    dc->addWidget(m_period);
    if (!m_journalNote.isEmpty()) {
        auto *note = new QLabel(m_journalNote);
        note->setObjectName(QStringLiteral("label_statJournal"));
        dc->addWidget(note);
    }
    dc->addStretch();
    m_tabs->addTab(makePage(AnswersPage, dayControls), QStringLiteral("Ответы по дням"));

    // Screen readers name controls by these; nothing else labels them.
    m_direction->setAccessibleName(QStringLiteral("Направление"));
    m_period->setAccessibleName(QStringLiteral("Период"));
    m_lessonScroll->setAccessibleName(QStringLiteral("Прокрутка уроков"));
    for (int page = 0; page < m_tabs->count(); ++page)
        m_tables[page]->setAccessibleName(QStringLiteral("Таблица: %1").arg(m_tabs->tabText(page)));

    auto *buttons = new QHBoxLayout;
    auto *copy = new QPushButton(QStringLiteral("Копировать таблицу"));
    copy->setObjectName(QStringLiteral("pushButton_statCopy"));
    auto *png = new QPushButton(QStringLiteral("Сохранить диаграмму в PNG..."));
    png->setObjectName(QStringLiteral("pushButton_statPng"));
    auto *close = new QPushButton(QStringLiteral("Закрыть"));
    close->setObjectName(QStringLiteral("pushButton_statClose"));
    buttons->addWidget(copy);
    buttons->addWidget(png);
    buttons->addStretch();
    buttons->addWidget(close);
    layout->addLayout(buttons);

    connect(m_onlyFiltered, &QCheckBox::toggled, this, &StatisticsWindow::slot_recount);
    connect(m_direction, &QComboBox::currentIndexChanged, this, &StatisticsWindow::slot_recount);
    connect(m_period, &QComboBox::currentIndexChanged, this, &StatisticsWindow::slot_period);
    connect(m_lessonScroll, &QScrollBar::valueChanged, this, &StatisticsWindow::slot_lessonScroll);
    connect(copy, &QPushButton::clicked, this, &StatisticsWindow::slot_copy);
    connect(png, &QPushButton::clicked, this, &StatisticsWindow::slot_savePng);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);

    slot_recount();
    slot_period();
}

QWidget *StatisticsWindow::makePage(int page, QWidget *controls)
{
    auto *widget = new QWidget;
    auto *chartBox = new QWidget;
    auto *chartLayout = new QVBoxLayout(chartBox);
    chartLayout->setContentsMargins(0, 0, 0, 0);
    m_views[page] = new QChartView;
    m_views[page]->setObjectName(QStringLiteral("chartView_stat%1").arg(page));
    m_views[page]->setRenderHint(QPainter::Antialiasing);
    m_views[page]->setMinimumHeight(260);
    chartLayout->addWidget(m_views[page]);

    m_tables[page] = new QTableWidget;
    m_tables[page]->setObjectName(QStringLiteral("table_stat%1").arg(page));
    m_tables[page]->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_tables[page]->verticalHeader()->hide();

    auto *splitter = new QSplitter(Qt::Vertical);
    splitter->addWidget(chartBox);
    splitter->addWidget(m_tables[page]);
    splitter->setStretchFactor(0, 3);
    splitter->setStretchFactor(1, 2);

    auto *layout = new QVBoxLayout(widget);
    if (controls)
        layout->addWidget(controls);
    layout->addWidget(splitter);
    return widget;
}

void StatisticsWindow::setTable(int page, const QStringList &header, const QList<QStringList> &rows)
{
    m_headers[page] = header;
    m_rows[page] = rows;
    QTableWidget *t = m_tables[page];
    t->setUpdatesEnabled(false);
    t->clear();
    t->setColumnCount(int(header.size()));
    t->setRowCount(int(rows.size()));
    t->setHorizontalHeaderLabels(header);
    // Wide enough for the column names; measuring every row would cost
    // seconds with thousands of lessons.
    QHeaderView *h = t->horizontalHeader();
    for (int c = 0; c < header.size(); ++c)
        h->resizeSection(c, std::max(h->sectionSizeHint(c) + 12, c == 0 ? 200 : 70));
    for (int r = 0; r < rows.size(); ++r) {
        for (int c = 0; c < rows[r].size(); ++c)
            t->setItem(r, c, new QTableWidgetItem(rows[r][c]));
    }
    t->setUpdatesEnabled(true);
}

QString StatisticsWindow::pageText(int page) const
{
    return tableText(m_headers[page], m_rows[page]);
}

// ---------------------------------------------------------------- cards

void StatisticsWindow::slot_recount()
{
    const bool enRu = m_direction->currentIndex() == 0;
    m_stats = computeCardStatistics(m_dict, enRu, m_onlyFiltered->isChecked());
    showLessons();
    showPriorities();
}

void StatisticsWindow::showLessons()
{
    QList<QStringList> rows;
    rows.reserve(m_stats.lessons.size());
    for (const LessonCounts &l : m_stats.lessons)
        rows << QStringList{l.lesson, number(l.base), number(l.raised), number(l.archived),
                            number(l.total())};
    setTable(LessonsPage,
             {QStringLiteral("Урок"), QStringLiteral("Базовый приоритет"),
              QStringLiteral("Повышенный приоритет"), QStringLiteral("Архивные"),
              QStringLiteral("Всего")},
             rows);
    const int extra = qMax(0, int(m_stats.lessons.size()) - lessonsPerPage);
    const QSignalBlocker block(m_lessonScroll);
    m_lessonScroll->setRange(0, extra);
    m_lessonScroll->setPageStep(lessonsPerPage);
    m_lessonScroll->setVisible(extra > 0);
    showLessonChart();
}

void StatisticsWindow::slot_lessonScroll(int)
{
    showLessonChart();
}

void StatisticsWindow::showLessonChart()
{
    QChart *chart =
        resetChart(m_views[LessonsPage],
                   QStringLiteral("Карточки по урокам (%1)").arg(m_direction->currentText()));
    auto *base = new QBarSet(QStringLiteral("Базовый приоритет"));
    auto *raised = new QBarSet(QStringLiteral("Повышенный приоритет"));
    auto *archived = new QBarSet(QStringLiteral("Архивные"));
    QStringList categories;
    int max = 0;
    const int first = m_lessonScroll->value();
    const int last = qMin(int(m_stats.lessons.size()), first + lessonsPerPage);
    for (int i = first; i < last; ++i) {
        const LessonCounts &l = m_stats.lessons[i];
        // Lesson names must differ as categories; an empty one still shows.
        categories << (l.lesson.isEmpty() ? QStringLiteral("(без урока)") : l.lesson);
        *base << l.base;
        *raised << l.raised;
        *archived << l.archived;
        max = qMax(max, l.total());
    }
    auto *series = new QStackedBarSeries;
    series->append({base, raised, archived});
    chart->addSeries(series);
    auto *x = new QBarCategoryAxis;
    x->append(categories);
    // Whole names, turned when they are long, and in the tooltip of the bar.
    x->setTruncateLabels(false);
    int longest = 0;
    for (const QString &c : std::as_const(categories))
        longest = qMax(longest, int(c.size()));
    if (longest > 10 || categories.size() > 12)
        x->setLabelsAngle(-60);
    chart->addAxis(x, Qt::AlignBottom);
    series->attachAxis(x);
    QValueAxis *y = countAxis(max);
    chart->addAxis(y, Qt::AlignLeft);
    series->attachAxis(y);
    connect(series, &QStackedBarSeries::hovered, this, [this, first](bool on, int index) {
        if (on)
            QToolTip::showText(QCursor::pos(), lessonTip(first + index));
        else
            QToolTip::hideText();
    });
}

QString StatisticsWindow::lessonTip(int index) const
{
    if (index < 0 || index >= int(m_stats.lessons.size()))
        return QString();
    const LessonCounts &l = m_stats.lessons[index];
    return (l.lesson.isEmpty() ? QStringLiteral("(без урока)") : l.lesson) + QStringLiteral(": ") +
           cardCount(l.total());
}

void StatisticsWindow::showPriorities()
{
    const PriorityCounts &p = m_stats.priorities;
    const PriorityHistogram *hists[] = {&p.baseER, &p.currentER, &p.baseRE, &p.currentRE};
    const QStringList names = {QStringLiteral("Базовый ин-ру"), QStringLiteral("Текущий ин-ру"),
                               QStringLiteral("Базовый ру-ин"), QStringLiteral("Текущий ру-ин")};
    QChart *chart = resetChart(m_views[PrioritiesPage], QStringLiteral("Приоритеты карточек"));
    auto *series = new QBarSeries;
    int max = 0;
    for (int h = 0; h < 4; ++h) {
        auto *set = new QBarSet(names[h]);
        for (int c : hists[h]->count) {
            *set << c;
            max = qMax(max, c);
        }
        series->append(set);
    }
    chart->addSeries(series);
    QStringList categories;
    QList<QStringList> rows;
    for (int i = 0; i < statisticsMaxPriority; ++i) {
        categories << number(i + 1);
        QStringList row{number(i + 1)};
        for (const PriorityHistogram *hist : hists)
            row << number(hist->count[size_t(i)]);
        rows << row;
    }
    bool outside = false;
    QStringList outsideRow{QStringLiteral("Вне 1–10")};
    for (const PriorityHistogram *hist : hists) {
        outside = outside || hist->outside > 0;
        outsideRow << number(hist->outside);
    }
    if (outside)
        rows << outsideRow;
    auto *x = new QBarCategoryAxis;
    x->append(categories);
    x->setTitleText(QStringLiteral("Приоритет"));
    chart->addAxis(x, Qt::AlignBottom);
    series->attachAxis(x);
    QValueAxis *y = countAxis(max);
    chart->addAxis(y, Qt::AlignLeft);
    series->attachAxis(y);
    setTable(PrioritiesPage, QStringList{QStringLiteral("Приоритет")} + names, rows);
}

// ---------------------------------------------------------------- journal

void StatisticsWindow::slot_period()
{
    m_days = answersPerDay(m_records, m_today, m_period->currentData().toInt());
    showDays();
}

void StatisticsWindow::showDays()
{
    QChart *chart = resetChart(m_views[AnswersPage], QStringLiteral("Ответы по дням"));
    auto *answers = new QLineSeries;
    answers->setName(QStringLiteral("Ответы"));
    auto *share = new QLineSeries;
    share->setName(QStringLiteral("Правильные, %"));
    // A day alone makes no line: its share is drawn as a point.
    share->setPointsVisible(true);
    QList<QStringList> rows;
    rows.reserve(m_days.size());
    int max = 0;
    for (const DayAnswers &d : m_days) {
        const qreal x = qreal(d.date.startOfDay().toMSecsSinceEpoch());
        answers->append(x, d.answers);
        if (d.answers > 0)
            share->append(x, d.rightShare());
        max = qMax(max, d.answers);
        rows << QStringList{d.date.toString(QStringLiteral("dd.MM.yyyy")), number(d.answers),
                            number(d.right),
                            d.answers > 0 ? QString::number(d.rightShare(), 'f', 1) : QString()};
    }
    chart->addSeries(answers);
    chart->addSeries(share);
    auto *x = new QDateTimeAxis;
    x->setFormat(QStringLiteral("dd.MM"));
    if (!m_days.isEmpty())
        x->setRange(m_days.first().date.startOfDay(), m_days.last().date.startOfDay());
    chart->addAxis(x, Qt::AlignBottom);
    answers->attachAxis(x);
    share->attachAxis(x);
    QValueAxis *y = countAxis(max);
    y->setTitleText(QStringLiteral("Ответы"));
    chart->addAxis(y, Qt::AlignLeft);
    answers->attachAxis(y);
    auto *percent = new QValueAxis;
    percent->setRange(0, 100);
    percent->setLabelFormat(QStringLiteral("%d"));
    percent->setTitleText(QStringLiteral("%"));
    chart->addAxis(percent, Qt::AlignRight);
    share->attachAxis(percent);
    setTable(AnswersPage,
             {QStringLiteral("Дата"), QStringLiteral("Ответы"), QStringLiteral("Правильные"),
              QStringLiteral("Правильные, %")},
             rows);
}

// ---------------------------------------------------------------- copy and PNG

void StatisticsWindow::slot_copy()
{
    QGuiApplication::clipboard()->setText(pageText(m_tabs->currentIndex()));
}

bool StatisticsWindow::saveChartPng(int page, const QString &path) const
{
    QChartView *view = m_views[page];
    // A window never shown has no size yet: render at a readable one.
    QSize size = view->size();
    if (!view->isVisible() || size.width() < 200 || size.height() < 150)
        size = QSize(800, 500);
    QImage image(size, QImage::Format_ARGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    if (!view->isVisible())
        view->resize(size);
    view->render(&painter, QRectF(QPointF(0, 0), QSizeF(size)));
    painter.end();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG"))
        return false;
    QString error;
    return saveFileAtomically(path, bytes, &error);
}

void StatisticsWindow::slot_savePng()
{
    QString path = m_ui.getSaveFileName(QStringLiteral("Сохранить диаграмму"), QString(),
                                        QStringLiteral("Рисунки PNG (*.png)"));
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".png");
    if (!saveChartPng(m_tabs->currentIndex(), path))
        m_ui.showWarning(QStringLiteral("Невозможно сохранить файл\n") + path);
}
