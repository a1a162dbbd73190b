#pragma once
// "Sending test page to paging central...": shown while a test page goes out, with a
// Cancel that cancels the call. The test starts once the dialog is on screen and the
// dialog closes when it has ended.

#include <QDialog>

#include "directory/pager_record.h"

namespace corvane {

class CRunState;

inline constexpr const char* kTestPageText = "Sending test page to paging central...";

class CTestPageDialog final : public QDialog {
    Q_OBJECT
public:
    CTestPageDialog(CRunState& state, PagerRecord values, QWidget* parent = nullptr);
    bool Finished() const { return m_finished; }

public slots:
    // Cancel (and Escape) cancel the call; the dialog closes when the call has ended.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void Run();

    CRunState& m_state;
    PagerRecord m_values;
    bool m_started = false;
    bool m_running = false;
    bool m_finished = false;
};

// The Test buttons: refused while a page is in progress, else the test page with the
// values given, behind the dialog.
void RunTestPage(CRunState& state, const PagerRecord& values, QWidget* parent);

}  // namespace corvane
