#pragma once

#include "core/find/filter_settings.h"
#include "ui/find/filter_form.h"

#include <QList>
#include <QStringList>

class iniReader;
class QListWidgetItem;
class QTreeWidgetItem;

// "Фильтр": edits the filter on a working copy. The left list names the kinds
// of condition, each with an icon telling whether it holds a choice; the
// right list shows the current kind's choices as check items. Only
// "Применить" writes the copy back.
class VSet_Filter_Dialog : public MyDialog2_filter
{
    Q_OBJECT
public:
    enum Kind {
        Lessons,
        Categories,
        SpeechParts,
        PrioritiesRE,
        PrioritiesER,
        Sound,
        Forgotten,
        Archive
    };

    // The eight kinds in the order of the left list.
    static const QStringList &kindNames();
    static QString noLessonsText();
    // The item role holding the file name of a kind's icon.
    static constexpr int iconFileRole = Qt::UserRole + 1;

    // `lessons` and `categoryList` are the dictionary's; `speechParts` the
    // part-of-speech labels; `priorities` the values offered for both
    // priority kinds. The geometry is read from and stored to `settings`.
    VSet_Filter_Dialog(QWidget *parent, FilterSettings &filter, const StringSet &lessons,
                       const StringSet &categoryList, const QStringList &speechParts,
                       iniReader &settings, const QList<int> &priorities = {1, 2, 3, 4, 5});

    const FilterSettings &workingCopy() const { return m_work; }
    const QString &currentKind() const { return m_currentKind; }

    // Escape and the title bar's close button come here too, so the
    // geometry is stored however the dialog is left.
    void reject() override;

public slots:
    void slot_clear_filter();
    void slot_accept();
    void slot_reject();
    void slot_list_box(QListWidgetItem *item);
    void slot_list_view(QTreeWidgetItem *item);

protected:
    void showEvent(QShowEvent *event) override;

private:
    void showFirstKind();
    void fillChoiceList();
    void updateKindIcons();
    void uncheckOthers(QTreeWidgetItem *item);
    bool isChecked(const QString &text) const;
    void storeGeometry();

    FilterSettings &m_filter;
    FilterSettings m_work;
    StringSet m_lessons;
    StringSet m_categories;
    QStringList m_speechParts;
    QList<int> m_priorities;
    iniReader &m_settings;
    QString m_currentKind;
};
