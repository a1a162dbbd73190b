#include "app/gui/dialogs/log_entry_model.h"

#include "app/core/log_reader.h"
#include "app/gui/dialogs/qt_text.h"

namespace corvane {

CLogEntryModel::CLogEntryModel(const CLogReader& reader, QObject* parent) : QAbstractListModel(parent), m_reader(reader)
{
}

int CLogEntryModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_reader.size());
}

QVariant CLogEntryModel::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid() || static_cast<std::size_t>(index.row()) >= m_reader.size())
        return {};
    return ToQtShown(m_reader.Entries()[static_cast<std::size_t>(index.row())].text);
}

void CLogEntryModel::Reload()
{
    beginResetModel();
    endResetModel();
}

}  // namespace corvane
