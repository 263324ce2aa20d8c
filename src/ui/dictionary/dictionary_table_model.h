#pragma once

#include "core/dictionary/card_table.h"

#include <QAbstractTableModel>
#include <QFont>
#include <QStyledItemDelegate>

#include <vector>

// The dictionary table as a flat list of header and card rows. Card texts are
// rendered on demand from the Dictionary by id, so only the rows on screen
// cost anything. Columns: foreign words, Russian words, the hidden id (or the
// header kind), and the card number shown at the left.
class DictionaryTableModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Column { ForeignColumn = 0, RussianColumn = 1, IdColumn = 2, NumberColumn = 3 };
    enum { RowKindRole = Qt::UserRole + 1 };

    explicit DictionaryTableModel(const Dictionary *dict, QObject *parent = nullptr);

    void setRows(QList<TableRow> rows);
    const QList<TableRow> &rows() const { return m_rows; }
    // The dictionary's signals, without rebuilding the table: cards' texts
    // or heights changed (their rows are repainted); cards were removed
    // (their rows go, the others keep their numbers); cards were added (rows
    // appended at the end, numbered on from the last card row). They keep
    // their places and group headers until the next rebuild.
    void cardsChanged(const QList<int> &ids);
    void cardsRemoved(const QList<int> &ids);
    void cardsAdded(const QList<int> &ids);
    // Row of the card with this id, -1 when it is not shown.
    int rowOfCard(int id) const;
    // The number of the last card row, 0 when there is none.
    int lastCardNumber() const;
    void setTableFont(const QFont &font);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // Height of a card row: the larger line count times the line height, plus 2.
    int rowHeight(int row) const;

private:
    // More changed or removed cards than this: all rows at once.
    static constexpr int kRowsRepaintedOneByOne = 64;

    const Dictionary *m_dict;
    QList<TableRow> m_rows;
    // Row of each card id, -1 for none; empty until the next lookup.
    mutable std::vector<int> m_rowOfId;
    QFont m_font;
    int m_lineHeight = 16;
};

// Paints the number column like a header section; the view paints the
// group header rows (DictionaryTableView).
class GroupHeaderDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
    static QColor headerColor(TableRow::Kind kind);
};
