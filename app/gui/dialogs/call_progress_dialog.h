#pragma once
// The progress dialog of a call the user started by hand (a test page, a voice dial): a
// text while the call runs, with a Cancel that cancels it. The call starts once the
// dialog is on screen, and the dialog closes when the call has ended.

#include <QDialog>

#include <functional>
#include <string>

#include "directory/pager_record.h"

namespace corvane {

class CRunState;

inline constexpr const char* kTestPageText = "Sending test page to paging central...";

class CCallProgressDialog final : public QDialog {
    Q_OBJECT
public:
    // call runs the call and gives its result code.
    CCallProgressDialog(CRunState& state, const QString& title, const QString& text, std::function<int()> call,
                        QWidget* parent = nullptr);
    bool Finished() const { return m_finished; }
    int Result() const { return m_result; }

public slots:
    // Cancel (and Escape) cancel the call; the dialog closes when the call has ended.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void Run();

    CRunState& m_state;
    std::function<int()> m_call;
    bool m_started = false;
    bool m_running = false;
    bool m_finished = false;
    int m_result = -1;
};

// The Test buttons: refused while a page is in progress, else the test page with the
// values given, behind the dialog.
void RunTestPage(CRunState& state, const PagerRecord& values, QWidget* parent);

// The Voice and Other buttons: refused while a page is in progress, else the voice dial
// of number behind the dialog. The result code, or -1 when nothing was dialled.
int RunVoiceDial(CRunState& state, const PagerRecord& pager, const std::string& number, QWidget* parent);

}  // namespace corvane
