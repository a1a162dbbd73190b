#pragma once
// The Schedule Page dialog: the message boxes of the Pager Message dialog, and the send
// date, the time and how the page repeats. Not modal, like the Pager Message dialog: the
// form's send buttons stay disabled while it is open.

#include <QDialog>

#include <array>
#include <functional>
#include <memory>

#include "app/gui/dialogs/pager_message_dialog.h"
#include "pim/schedule_entry.h"

class QButtonGroup;
class QCheckBox;
class QLineEdit;

namespace corvane {

inline constexpr const char* kSchedulePageTitle = "Schedule Page";
inline constexpr const char* kSkipIfOffText = "Skip if Corvane is off at page time";

struct SchedulePageSetup {
    PagerMessageSetup message;  // the boxes, the Pre-Defined list and the hint
    ScheduleFields initial;     // the date, the time and the repeat boxes as they open
};

class CSchedulePageDialog final : public QDialog {
    Q_OBJECT
public:
    // schedule: called by OK with the fields; true when they made a schedule (the dialog
    // then closes), false to keep it open (the reason has been shown).
    CSchedulePageDialog(const SchedulePageSetup& setup, std::function<bool(const ScheduleFields&)> schedule,
                        QWidget* parent = nullptr);
    ~CSchedulePageDialog() override;

    ScheduleFields Fields() const;
    QString Hint() const;

signals:
    void scheduled();
    void cancelled();

public slots:
    void accept() override;
    void reject() override;

private:
    QWidget* BuildDate();
    QWidget* BuildRepeat();
    QWidget* BuildMessage();
    void UpdateRepeat();

    SchedulePageSetup m_setup;
    std::function<bool(const ScheduleFields&)> m_schedule;
    QLineEdit* m_month = nullptr;
    QLineEdit* m_day = nullptr;
    QLineEdit* m_year = nullptr;
    QLineEdit* m_time = nullptr;
    QButtonGroup* m_units = nullptr;
    std::array<QLineEdit*, 6> m_intervals{};  // by unit; none for unit 0
    QCheckBox* m_limited = nullptr;
    QLineEdit* m_remaining = nullptr;
    QCheckBox* m_skip = nullptr;
    std::unique_ptr<CMessageFields> m_fields;
    bool m_done = false;
};

}  // namespace corvane
