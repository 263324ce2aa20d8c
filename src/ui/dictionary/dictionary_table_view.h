#pragma once

#include <QTreeView>

// The dictionary table: a tree view used as a flat list, because it measures
// row heights lazily (100,000 multi-line rows lay out in milliseconds). Group
// header rows are painted as one band over both text columns, so no per-row
// span has to be registered on every refresh.
class DictionaryTableView : public QTreeView
{
    Q_OBJECT
public:
    using QTreeView::QTreeView;

protected:
    void drawRow(QPainter *painter, const QStyleOptionViewItem &option,
                 const QModelIndex &index) const override;
};
