#include "app/gui/dialogs/voice_dial_dialog.h"

#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

#include "app/core/run_state.h"
#include "engine/send_run.h"

namespace corvane {

CVoiceDialDialog::CVoiceDialDialog(CRunState& state, PagerRecord pager, std::string number, QWidget* parent)
    : QDialog(parent), m_state(state), m_pager(std::move(pager)), m_number(std::move(number))
{
    setWindowTitle("Voice Dial");
    auto* text = new QLabel(QString::fromStdString("Dialing " + m_number + " for " + m_pager.UserName +
                                                   ".  Pick up the handset when the call is answered."),
                            this);
    text->setObjectName("text");
    text->setTextFormat(Qt::PlainText);
    text->setWordWrap(true);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, this);
    buttons->setObjectName("buttons");
    connect(buttons, &QDialogButtonBox::rejected, this, &CVoiceDialDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text);
    layout->addWidget(buttons);
}

void CVoiceDialDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect area = screen->availableGeometry();
        move(area.center() - rect().center());
    }
    if (m_started) return;
    m_started = true;
    // After the dialog is painted, so that it is on screen while the modem dials.
    QTimer::singleShot(0, this, &CVoiceDialDialog::Run);
}

void CVoiceDialDialog::Run()
{
    m_running = true;
    m_result = m_state.CallMonitor().VoiceDial(m_pager, m_number);
    m_running = false;
    m_finished = true;
    accept();
}

void CVoiceDialDialog::reject()
{
    if (m_running) {
        m_state.CancelPage();
        return;
    }
    if (!m_started || m_finished) QDialog::reject();
}

int RunVoiceDial(CRunState& state, const PagerRecord& pager, const std::string& number, QWidget* parent)
{
    if (state.Queue().pageInProgress) {
        state.Files().messageBox.Show(kPageInProgressText, "Paging Error", MbIcon::Warning, MbButtons::Ok);
        return -1;
    }
    CVoiceDialDialog dialog(state, pager, number, parent);
    dialog.exec();
    return dialog.Result();
}

}  // namespace corvane
