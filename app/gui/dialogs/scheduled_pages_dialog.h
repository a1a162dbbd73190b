#pragma once
// View > Scheduled Pages: every scheduled page by its next time, the details of the one
// selected, and Delete. The list follows the schedules while the window is open: a page
// that fires moves on (or goes) in the list too.

#include <QDialog>
#include <QTimer>

#include <cstdint>
#include <vector>

class QLabel;
class QListWidget;
class QPushButton;

namespace corvane {

class CPagerList;
class CScheduleList;
class IMessageBox;

inline constexpr const char* kScheduledPagesTitle = "Scheduled Pages";

class CScheduledPagesDialog final : public QDialog {
    Q_OBJECT
public:
    CScheduledPagesDialog(CScheduleList& schedules, const CPagerList& pagers, IMessageBox& messageBox,
                          QWidget* parent = nullptr);

    // The schedule shown selected, 0 for none.
    std::uint64_t SelectedId() const;
    // Reads the list again when it has changed since it was last shown.
    void Refresh();

private:
    void ShowDetails();
    void OnDelete();

    CScheduleList& m_schedules;
    const CPagerList& m_pagers;
    IMessageBox& m_messageBox;
    QListWidget* m_list = nullptr;
    QLabel* m_details = nullptr;
    QPushButton* m_delete = nullptr;
    std::vector<std::uint64_t> m_ids;  // per row
    std::uint64_t m_shownRevision = 0;
    bool m_shown = false;
    QTimer m_follow;
};

}  // namespace corvane
