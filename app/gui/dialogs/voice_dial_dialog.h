#pragma once
// The voice dial's progress dialog: it shows the number while the monitor modem dials it
// for the user's handset, with a Cancel that ends the dial. The dial starts once the
// dialog is on screen; the dialog closes when it has ended (after its message, if any).

#include <QDialog>

#include <string>

#include "directory/pager_record.h"

namespace corvane {

class CRunState;

class CVoiceDialDialog final : public QDialog {
    Q_OBJECT
public:
    CVoiceDialDialog(CRunState& state, PagerRecord pager, std::string number, QWidget* parent = nullptr);
    bool Finished() const { return m_finished; }
    int Result() const { return m_result; }

public slots:
    // Cancel (and Escape) end the dial; the dialog closes when the call has ended.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void Run();

    CRunState& m_state;
    PagerRecord m_pager;
    std::string m_number;
    bool m_started = false;
    bool m_running = false;
    bool m_finished = false;
    int m_result = -1;
};

// The Voice and Other buttons: refused while a page is in progress, else the voice dial
// of number behind the dialog. The result code, or -1 when nothing was dialled.
int RunVoiceDial(CRunState& state, const PagerRecord& pager, const std::string& number, QWidget* parent);

}  // namespace corvane
