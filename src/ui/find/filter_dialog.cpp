#include "ui/find/filter_dialog.h"

#include "ui/common/window_placement.h"

#include "core/settings/app_settings.h"
#include "core/settings/ini_reader.h"

#include <QIcon>
#include <QListWidget>
#include <QSignalBlocker>
#include <QTreeWidget>

#include <algorithm>
#include <utility>

namespace
{

QString soundGiven()
{
    return QStringLiteral("Указан файл звука");
}
QString soundMissing()
{
    return QStringLiteral("Не указан файл звука");
}
QString forgottenRE()
{
    return QStringLiteral("Только забытые рус-ин");
}
QString forgottenER()
{
    return QStringLiteral("Только забытые ин-рус");
}
QString archived()
{
    return QStringLiteral("Архивные");
}
QString notArchived()
{
    return QStringLiteral("Не архивные");
}

template <typename Set> void takeOver(Set &set, const typename Set::value_type &value, bool on)
{
    if (on)
        set.insert(value);
    else
        set.erase(value);
}

} // namespace

const QStringList &VSet_Filter_Dialog::kindNames()
{
    static const QStringList names = {QStringLiteral("Уроки"),
                                      QStringLiteral("Категории"),
                                      QStringLiteral("Части речи"),
                                      QStringLiteral("Приоритет рус-ин"),
                                      QStringLiteral("Приоритет ин-рус"),
                                      QStringLiteral("Файл звука"),
                                      QStringLiteral("Забытые слова"),
                                      QStringLiteral("Архив")};
    return names;
}

QString VSet_Filter_Dialog::noLessonsText()
{
    return QStringLiteral("Нет уроков для выбора");
}

VSet_Filter_Dialog::VSet_Filter_Dialog(QWidget *parent, FilterSettings &filter,
                                       const StringSet &lessons, const StringSet &categoryList,
                                       const QStringList &speechParts, iniReader &settings,
                                       const QList<int> &priorities)
    : MyDialog2_filter(parent), m_filter(filter), m_work(filter), m_lessons(lessons),
      m_categories(categoryList), m_speechParts(speechParts), m_priorities(priorities),
      m_settings(settings)
{
    setWindowIcon(QIcon(QStringLiteral("icons:Caption_icon.png")));

    const WindowGeometry g = readWindowGeometry(m_settings, SettingsKeys::filterForm);
    restoreWindowGeometry(this, g);

    for (const QString &name : kindNames())
        listBox->addItem(name);
    listView1->setHeaderLabels({QString()});
    checkBox_invert->setChecked(m_work.invert);
    checkBox_byOR->setChecked(!m_work.byAnd);

    connect(pushButton4_clear, &QPushButton::clicked, this, &VSet_Filter_Dialog::slot_clear_filter);
    connect(buttonOk, &QPushButton::clicked, this, &VSet_Filter_Dialog::slot_accept);
    connect(buttonCancel, &QPushButton::clicked, this, &VSet_Filter_Dialog::slot_reject);
    connect(listBox, &QListWidget::currentItemChanged, this, &VSet_Filter_Dialog::slot_list_box);
    // A check item changes its state by a click on its box or by the space
    // key; both arrive here after the state has changed.
    connect(listView1, &QTreeWidget::itemChanged, this, &VSet_Filter_Dialog::slot_list_view);

    showFirstKind();
}

void VSet_Filter_Dialog::showEvent(QShowEvent *event)
{
    MyDialog2_filter::showEvent(event);
    const int total = listBox->width() + listView1->width();
    splitter1->setSizes({int(total * 0.3), int(total * 0.7)});
    showFirstKind();
}

void VSet_Filter_Dialog::showFirstKind()
{
    {
        const QSignalBlocker blocker(listBox);
        listBox->setCurrentRow(Lessons);
    }
    m_currentKind = kindNames().at(Lessons);
    fillChoiceList();
    updateKindIcons();
}

void VSet_Filter_Dialog::updateKindIcons()
{
    const FilterSettings &w = m_work;
    const bool holds[] = {!w.filterLessons.empty(),       !w.filterCategories.empty(),
                          !w.filterSpeechParts.empty(),   !w.filterPrioritiesRE.empty(),
                          !w.filterPrioritiesER.empty(),  w.soundChoice != 0,
                          w.forgottenRE || w.forgottenER, w.archiveChoice != 0};
    const QSignalBlocker blocker(listBox);
    for (int i = 0; i < listBox->count() && i < int(std::size(holds)); ++i) {
        const QString file =
            holds[i] ? QStringLiteral("Filter_applied.png") : QStringLiteral("Filter_canceled.png");
        QListWidgetItem *item = listBox->item(i);
        if (item->data(iconFileRole).toString() == file)
            continue;
        item->setData(iconFileRole, file);
        item->setIcon(QIcon(QStringLiteral("icons:") + file));
    }
}

void VSet_Filter_Dialog::fillChoiceList()
{
    const QSignalBlocker blocker(listView1);
    listView1->clear();

    const FilterSettings &w = m_work;
    QList<std::pair<QString, bool>> choices;
    switch (kindNames().indexOf(m_currentKind)) {
    case Lessons:
        if (!m_lessons.empty()) {
            for (const QString &lesson : m_lessons)
                choices.append({lesson, w.filterLessons.count(lesson) > 0});
        } else if (!w.filterLessons.empty()) {
            // No file is open, but the chosen lessons can still be dropped.
            for (const QString &lesson : w.filterLessons)
                choices.append({lesson, true});
        } else {
            auto *plain = new QTreeWidgetItem(listView1, {noLessonsText()});
            plain->setFlags(Qt::ItemIsEnabled);
            return;
        }
        break;
    case Categories:
        for (const QString &category : m_categories)
            choices.append({category, w.filterCategories.count(category) > 0});
        break;
    case SpeechParts:
        for (const QString &label : m_speechParts)
            choices.append({label, w.filterSpeechParts.count(label) > 0});
        break;
    case PrioritiesRE:
        for (int p : m_priorities)
            choices.append({QString::number(p), w.filterPrioritiesRE.count(p) > 0});
        break;
    case PrioritiesER:
        for (int p : m_priorities)
            choices.append({QString::number(p), w.filterPrioritiesER.count(p) > 0});
        break;
    case Sound:
        choices = {{soundGiven(), w.soundChoice == 1}, {soundMissing(), w.soundChoice == 2}};
        break;
    case Forgotten:
        choices = {{forgottenRE(), w.forgottenRE}, {forgottenER(), w.forgottenER}};
        break;
    case Archive:
        choices = {{archived(), w.archiveChoice == 1}, {notArchived(), w.archiveChoice == 2}};
        break;
    default:
        return;
    }

    // Sorted by text, in code-unit order like every list the user sees.
    std::stable_sort(choices.begin(), choices.end(),
                     [](const auto &a, const auto &b) { return a.first < b.first; });
    for (const auto &[text, checked] : choices) {
        auto *item = new QTreeWidgetItem(listView1, {text});
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        item->setCheckState(0, checked ? Qt::Checked : Qt::Unchecked);
    }
}

bool VSet_Filter_Dialog::isChecked(const QString &text) const
{
    for (int i = 0; i < listView1->topLevelItemCount(); ++i) {
        const QTreeWidgetItem *item = listView1->topLevelItem(i);
        if (item->text(0) == text)
            return item->checkState(0) == Qt::Checked;
    }
    return false;
}

void VSet_Filter_Dialog::uncheckOthers(QTreeWidgetItem *item)
{
    const QSignalBlocker blocker(listView1);
    for (int i = 0; i < listView1->topLevelItemCount(); ++i) {
        QTreeWidgetItem *other = listView1->topLevelItem(i);
        if (other != item)
            other->setCheckState(0, Qt::Unchecked);
    }
}

void VSet_Filter_Dialog::slot_list_box(QListWidgetItem *item)
{
    if (!item)
        return;
    m_currentKind = item->text();
    fillChoiceList();
}

void VSet_Filter_Dialog::slot_list_view(QTreeWidgetItem *item)
{
    if (!item || !(item->flags() & Qt::ItemIsUserCheckable))
        return;
    const QString text = item->text(0);
    const bool on = item->checkState(0) == Qt::Checked;
    FilterSettings &w = m_work;
    switch (kindNames().indexOf(m_currentKind)) {
    case Lessons:
        takeOver(w.filterLessons, text, on);
        break;
    case Categories:
        takeOver(w.filterCategories, text, on);
        break;
    case SpeechParts:
        takeOver(w.filterSpeechParts, text, on);
        break;
    case PrioritiesRE:
        takeOver(w.filterPrioritiesRE, text.toInt(), on);
        break;
    case PrioritiesER:
        takeOver(w.filterPrioritiesER, text.toInt(), on);
        break;
    case Sound:
        // At most one of the pair is checked.
        w.setSoundChoice(!on ? 0 : text == soundGiven() ? 1 : 2);
        if (on)
            uncheckOthers(item);
        break;
    case Forgotten:
        // Independent: both set means forgotten in both directions.
        w.forgottenRE = isChecked(forgottenRE());
        w.forgottenER = isChecked(forgottenER());
        break;
    case Archive:
        w.setArchiveChoice(!on ? 0 : text == archived() ? 1 : 2);
        if (on)
            uncheckOthers(item);
        break;
    default:
        return;
    }
    updateKindIcons();
}

void VSet_Filter_Dialog::slot_clear_filter()
{
    // "ИЛИ" keeps its state: the user resets the choices, not the way they
    // combine.
    m_work.reset();
    checkBox_invert->setChecked(false);
    showFirstKind();
}

void VSet_Filter_Dialog::storeGeometry()
{
    WindowGeometry g;
    g.topX = x();
    g.topY = y();
    g.width = width();
    g.height = height();
    writeWindowGeometry(m_settings, SettingsKeys::filterForm, g);
}

void VSet_Filter_Dialog::slot_accept()
{
    m_work.invert = checkBox_invert->isChecked();
    m_work.byAnd = !checkBox_byOR->isChecked();
    m_filter = m_work;
    storeGeometry();
    accept();
}

void VSet_Filter_Dialog::slot_reject()
{
    storeGeometry();
    QDialog::reject();
}

void VSet_Filter_Dialog::reject()
{
    slot_reject();
}
