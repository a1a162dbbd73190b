#pragma once
// The Page Log dialog's entry list: the reader's entries as rows of a list view, read
// from the reader when shown, so a log of any length costs no widget per row.

#include <QAbstractListModel>

namespace corvane {

class CLogReader;

class CLogEntryModel final : public QAbstractListModel {
    Q_OBJECT
public:
    explicit CLogEntryModel(const CLogReader& reader, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

    // The reader's entries changed (the log was cleared).
    void Reload();

private:
    const CLogReader& m_reader;
};

}  // namespace corvane
