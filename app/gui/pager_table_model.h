#pragma once
// The pager list's rows for the list view: three columns of text, a small icon in the
// first, and the row data (a pager's Code, or kGroupRowData) under Qt::UserRole.

#include <QAbstractTableModel>
#include <QIcon>

#include <vector>

#include "app/gui/pager_rows.h"

namespace corvane {

class CPagerTableModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit CPagerTableModel(QObject* parent = nullptr);

    void SetRows(std::vector<ListRow> rows, const ListColumns& columns);
    void Clear();
    const std::vector<ListRow>& Rows() const { return m_rows; }
    // The first row whose first-column text starts with text, case ignored; -1 when none.
    int FindPrefix(const QString& text) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    std::vector<ListRow> m_rows;
    QStringList m_headers;
    QIcon m_pagerIcon;
    QIcon m_groupIcon;
};

}  // namespace corvane
