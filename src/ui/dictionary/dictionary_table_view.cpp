#include "ui/dictionary/dictionary_table_view.h"

#include "core/settings/text_contrast.h"
#include "ui/dictionary/dictionary_table_model.h"

#include <QHeaderView>
#include <QPainter>

void DictionaryTableView::drawRow(QPainter *painter, const QStyleOptionViewItem &option,
                                  const QModelIndex &index) const
{
    const auto kind = TableRow::Kind(index.data(DictionaryTableModel::RowKindRole).toInt());
    if (kind == TableRow::CardRow) {
        QTreeView::drawRow(painter, option, index);
        return;
    }
    // The number cell stays like an empty row label; the band starts at the
    // foreign words column and runs to the right edge.
    const QHeaderView *h = header();
    const int numberX = h->sectionViewportPosition(DictionaryTableModel::NumberColumn);
    const int numberW = h->sectionSize(DictionaryTableModel::NumberColumn);
    QRect numberRect(numberX, option.rect.top(), numberW, option.rect.height());
    painter->save();
    painter->fillRect(numberRect, palette().color(QPalette::Button));
    painter->setPen(palette().color(QPalette::Mid));
    painter->drawLine(numberRect.topRight(), numberRect.bottomRight());
    painter->drawLine(numberRect.bottomLeft(), numberRect.bottomRight());
    const int x = h->sectionViewportPosition(DictionaryTableModel::ForeignColumn);
    const QRect band(x, option.rect.top(), viewport()->width() - x, option.rect.height());
    const QColor bandColor = GroupHeaderDelegate::headerColor(kind);
    painter->fillRect(band, bandColor);
    QFont f = index.data(Qt::FontRole).value<QFont>();
    f.setWeight(QFont::Bold);
    painter->setFont(f);
    // The band's colour is fixed, whatever the contents colour: the text is
    // chosen against the band, not taken from the palette.
    painter->setPen(readableTextColor(bandColor));
    painter->drawText(band.adjusted(2, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter,
                      index.sibling(index.row(), DictionaryTableModel::ForeignColumn)
                          .data(Qt::DisplayRole)
                          .toString());
    if (selectionModel() && selectionModel()->isRowSelected(index.row(), index.parent())) {
        // A jump lands on header rows: show where the selection is.
        QPen pen(palette().color(QPalette::Highlight));
        pen.setWidth(2);
        painter->setPen(pen);
        painter->drawRect(band.adjusted(1, 1, -1, -1));
    }
    painter->restore();
}
