#include "app/gui/pager_table_model.h"

#include "app/gui/artwork.h"

namespace corvane {

CPagerTableModel::CPagerTableModel(QObject* parent)
    : QAbstractTableModel(parent), m_pagerIcon(PagerRowIcon()), m_groupIcon(GroupRowIcon())
{
    for (int c = 0; c < kListColumns; ++c) m_headers << QString();
}

void CPagerTableModel::SetRows(std::vector<ListRow> rows, const ListColumns& columns)
{
    beginResetModel();
    m_rows = std::move(rows);
    for (int c = 0; c < kListColumns; ++c) m_headers[c] = QString::fromStdString(columns.headers[c]);
    endResetModel();
    emit headerDataChanged(Qt::Horizontal, 0, kListColumns - 1);
}

void CPagerTableModel::Clear()
{
    beginResetModel();
    m_rows.clear();
    endResetModel();
}

int CPagerTableModel::FindPrefix(const QString& text) const
{
    for (std::size_t i = 0; i < m_rows.size(); ++i)
        if (QString::fromStdString(m_rows[i].cells[0]).startsWith(text, Qt::CaseInsensitive))
            return static_cast<int>(i);
    return -1;
}

int CPagerTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int CPagerTableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : kListColumns;
}

QVariant CPagerTableModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= static_cast<int>(m_rows.size())) return {};
    const ListRow& row = m_rows[static_cast<std::size_t>(index.row())];
    switch (role) {
    case Qt::DisplayRole: return QString::fromStdString(row.cells[static_cast<std::size_t>(index.column())]);
    case Qt::DecorationRole:
        if (index.column() == 0) return row.data == kGroupRowData ? m_groupIcon : m_pagerIcon;
        return {};
    case Qt::UserRole: return row.data;
    default: return {};
    }
}

QVariant CPagerTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= kListColumns) return {};
    return m_headers[section];
}

}  // namespace corvane
