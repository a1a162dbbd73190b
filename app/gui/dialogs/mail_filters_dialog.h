#pragma once
// Configure > Mail Filters: the filters in the order they are tried, each by its one-line
// description, with New, Edit, Delete, Up and Down. OK writes FILTERS.DAT.

#include <QDialog>

#include "directory/pager_list.h"
#include "mail/mail_filter_list.h"

class QListWidget;
class QPushButton;

namespace corvane {

inline constexpr const char* kMailFiltersTitle = "Mail Filters";

class CMailFiltersDialog final : public QDialog {
    Q_OBJECT
public:
    explicit CMailFiltersDialog(const DataFiles& files, QWidget* parent = nullptr);

    const CMailFilterList& Filters() const { return m_filters; }
    void accept() override;

private:
    void Refill(int selected);
    void UpdateButtons();
    int Selected() const;
    void OnNew();
    void OnEdit();
    void OnDelete();
    void OnMove(bool up);

    const DataFiles& m_files;
    CMailFilterList m_filters;
    QListWidget* m_list = nullptr;
    QPushButton* m_edit = nullptr;
    QPushButton* m_delete = nullptr;
    QPushButton* m_up = nullptr;
    QPushButton* m_down = nullptr;
};

}  // namespace corvane
