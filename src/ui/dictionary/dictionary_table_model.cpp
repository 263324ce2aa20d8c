#include "ui/dictionary/dictionary_table_model.h"

#include "core/markup/markup.h"

#include <QApplication>
#include <QFontMetrics>
#include <QPainter>
#include <QSize>

DictionaryTableModel::DictionaryTableModel(const Dictionary *dict, QObject *parent)
    : QAbstractTableModel(parent), m_dict(dict)
{
    setTableFont(QApplication::font());
    // One edit repaints, adds or drops its own rows; a reset waits for the
    // page's rebuild, which knows the filter and the order.
    connect(dict, &Dictionary::cardsChanged, this, &DictionaryTableModel::cardsChanged);
    connect(dict, &Dictionary::cardsAdded, this, &DictionaryTableModel::cardsAdded);
    connect(dict, &Dictionary::cardsRemoved, this, &DictionaryTableModel::cardsRemoved);
}

void DictionaryTableModel::setTableFont(const QFont &font)
{
    m_font = font;
    m_lineHeight = QFontMetrics(font).lineSpacing();
}

void DictionaryTableModel::setRows(QList<TableRow> rows)
{
    beginResetModel();
    m_rows = std::move(rows);
    m_rowOfId.clear();
    endResetModel();
}

int DictionaryTableModel::rowOfCard(int id) const
{
    // Built on first use after the rows changed, so many lookups in a row
    // (a run's new cycle repaints every card) stay linear.
    if (m_rowOfId.empty() && !m_rows.isEmpty()) {
        m_rowOfId.assign(size_t(m_dict->idCounter()) + 1, -1);
        for (int i = 0; i < m_rows.size(); ++i) {
            const TableRow &r = m_rows[i];
            if (!r.isHeader() && r.cardId > 0) {
                if (size_t(r.cardId) >= m_rowOfId.size())
                    m_rowOfId.resize(size_t(r.cardId) + 1, -1);
                m_rowOfId[size_t(r.cardId)] = i;
            }
        }
    }
    return id > 0 && size_t(id) < m_rowOfId.size() ? m_rowOfId[size_t(id)] : -1;
}

int DictionaryTableModel::lastCardNumber() const
{
    for (int i = int(m_rows.size()) - 1; i >= 0; --i)
        if (!m_rows[i].isHeader())
            return m_rows[i].number;
    return 0;
}

void DictionaryTableModel::cardsChanged(const QList<int> &ids)
{
    if (m_rows.isEmpty())
        return;
    if (ids.size() > kRowsRepaintedOneByOne) {
        emit dataChanged(index(0, 0), index(int(m_rows.size()) - 1, columnCount() - 1));
        return;
    }
    for (int id : ids) {
        const int row = rowOfCard(id);
        if (row >= 0)
            emit dataChanged(index(row, 0), index(row, columnCount() - 1));
    }
}

void DictionaryTableModel::cardsRemoved(const QList<int> &ids)
{
    if (ids.size() > kRowsRepaintedOneByOne) {
        std::vector<bool> gone(size_t(m_dict->idCounter()) + 1, false);
        for (int id : ids)
            if (id > 0 && size_t(id) < gone.size())
                gone[size_t(id)] = true;
        beginResetModel();
        m_rows.erase(std::remove_if(m_rows.begin(), m_rows.end(),
                                    [&](const TableRow &r) {
                                        return !r.isHeader() && r.cardId > 0 &&
                                               size_t(r.cardId) < gone.size() &&
                                               gone[size_t(r.cardId)];
                                    }),
                     m_rows.end());
        m_rowOfId.clear();
        endResetModel();
        return;
    }
    for (int id : ids) {
        const int row = rowOfCard(id);
        if (row < 0)
            continue;
        beginRemoveRows(QModelIndex(), row, row);
        m_rows.removeAt(row);
        m_rowOfId.clear();
        endRemoveRows();
    }
}

void DictionaryTableModel::cardsAdded(const QList<int> &ids)
{
    if (ids.isEmpty())
        return;
    int number = lastCardNumber();
    const int first = int(m_rows.size());
    beginInsertRows(QModelIndex(), first, first + int(ids.size()) - 1);
    for (int id : ids) {
        TableRow r;
        r.kind = TableRow::CardRow;
        r.cardId = id;
        r.number = ++number;
        m_rows.append(r);
    }
    m_rowOfId.clear();
    endInsertRows();
}

int DictionaryTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int DictionaryTableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : 4;
}

static QString withoutLastBreak(QString s)
{
    if (s.endsWith(QLatin1Char('\n')))
        s.chop(1);
    return s;
}

int DictionaryTableModel::rowHeight(int row) const
{
    const TableRow &r = m_rows.at(row);
    const int single = m_lineHeight + 4;
    if (r.isHeader())
        return single;
    const std::optional<Card> c = m_dict->cardById(r.cardId);
    if (!c)
        return single;
    const int lines = std::max(foreignText(*c).lineCount, translationText(*c).lineCount);
    return lines > 0 ? lines * m_lineHeight + 2 : single;
}

QVariant DictionaryTableModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows.size())
        return QVariant();
    const TableRow &r = m_rows.at(index.row());
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole: {
        if (index.column() == IdColumn)
            return role == Qt::DisplayRole ? r.kindText() : QVariant();
        if (r.isHeader())
            return index.column() == ForeignColumn ? r.label : QString();
        if (index.column() == NumberColumn)
            return role == Qt::DisplayRole ? QVariant(QString::number(r.number)) : QVariant();
        const std::optional<Card> c = m_dict->cardById(r.cardId);
        if (!c)
            return QVariant();
        if (index.column() == ForeignColumn)
            return withoutLastBreak(foreignText(*c).text);
        return withoutLastBreak(translationText(*c).text);
    }
    case Qt::SizeHintRole:
        return QSize(-1, rowHeight(index.row()));
    case Qt::FontRole:
        return m_font;
    case Qt::TextAlignmentRole:
        if (index.column() == NumberColumn)
            return int(Qt::AlignRight | Qt::AlignVCenter);
        return int(Qt::AlignLeft | Qt::AlignTop);
    case RowKindRole:
        return int(r.kind);
    default:
        return QVariant();
    }
}

QVariant DictionaryTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QVariant();
    switch (section) {
    case ForeignColumn:
        return QStringLiteral("Иностранные слова");
    case RussianColumn:
        return QStringLiteral("Русские слова");
    case IdColumn:
        return QStringLiteral("id");
    default:
        return QString();
    }
}

QColor GroupHeaderDelegate::headerColor(TableRow::Kind kind)
{
    switch (kind) {
    case TableRow::FileHeader:
        return QColor(208, 167, 31);
    case TableRow::LessonHeader:
        return QColor(178, 236, 43);
    case TableRow::LetterHeader:
        return QColor(142, 236, 233);
    case TableRow::CardRow:
        break;
    }
    return QColor();
}

void GroupHeaderDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                                const QModelIndex &index) const
{
    if (index.column() == DictionaryTableModel::NumberColumn) {
        painter->save();
        painter->fillRect(option.rect, option.palette.color(QPalette::Button));
        painter->setPen(option.palette.color(QPalette::Mid));
        painter->drawLine(option.rect.topRight(), option.rect.bottomRight());
        painter->drawLine(option.rect.bottomLeft(), option.rect.bottomRight());
        painter->setPen(option.palette.color(QPalette::ButtonText));
        painter->drawText(option.rect.adjusted(2, 0, -4, 0), Qt::AlignRight | Qt::AlignVCenter,
                          index.data(Qt::DisplayRole).toString());
        painter->restore();
        return;
    }
    QStyledItemDelegate::paint(painter, option, index);
}
