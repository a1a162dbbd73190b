#include "app/gui/dialogs/call_progress_dialog.h"

#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

#include "app/core/run_state.h"
#include "engine/send_run.h"

namespace corvane {

CCallProgressDialog::CCallProgressDialog(CRunState& state, const QString& title, const QString& text,
                                         std::function<int()> call, QWidget* parent)
    : QDialog(parent), m_state(state), m_call(std::move(call))
{
    setWindowTitle(title);
    auto* label = new QLabel(text, this);
    label->setObjectName("text");
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, this);
    buttons->setObjectName("buttons");
    connect(buttons, &QDialogButtonBox::rejected, this, &CCallProgressDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(buttons);
}

void CCallProgressDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect area = screen->availableGeometry();
        move(area.center() - rect().center());
    }
    if (m_started) return;
    m_started = true;
    // After the dialog is painted, so that it is on screen while the call runs.
    QTimer::singleShot(0, this, &CCallProgressDialog::Run);
}

void CCallProgressDialog::Run()
{
    m_running = true;
    m_result = m_call();
    m_running = false;
    m_finished = true;
    accept();
}

void CCallProgressDialog::reject()
{
    if (m_running) {
        m_state.CancelPage();
        return;
    }
    if (!m_started || m_finished) QDialog::reject();
}

namespace {

bool RefusedDuringPage(CRunState& state)
{
    if (!state.Queue().pageInProgress) return false;
    state.Files().messageBox.Show(kPageInProgressText, "Paging Error", MbIcon::Warning, MbButtons::Ok);
    return true;
}

}  // namespace

void RunTestPage(CRunState& state, const PagerRecord& values, QWidget* parent)
{
    if (RefusedDuringPage(state)) return;
    CCallProgressDialog dialog(state, "Test Page", kTestPageText, [&] {
        state.SendTestPage(values);
        return 0;
    }, parent);
    dialog.exec();
}

int RunVoiceDial(CRunState& state, const PagerRecord& pager, const std::string& number, QWidget* parent)
{
    if (RefusedDuringPage(state)) return -1;
    const QString text = QString::fromStdString("Dialing " + number + " for " + pager.UserName +
                                                ".  Pick up the handset when the call is answered.");
    CCallProgressDialog dialog(state, "Voice Dial", text, [&] { return state.CallMonitor().VoiceDial(pager, number); },
                               parent);
    dialog.exec();
    return dialog.Result();
}

}  // namespace corvane
