#include "app/gui/dialogs/test_page_dialog.h"

#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

#include "app/core/run_state.h"
#include "engine/send_run.h"

namespace corvane {

CTestPageDialog::CTestPageDialog(CRunState& state, PagerRecord values, QWidget* parent)
    : QDialog(parent), m_state(state), m_values(std::move(values))
{
    setWindowTitle("Test Page");
    auto* text = new QLabel(kTestPageText, this);
    text->setObjectName("text");
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, this);
    buttons->setObjectName("buttons");
    connect(buttons, &QDialogButtonBox::rejected, this, &CTestPageDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text);
    layout->addWidget(buttons);
}

void CTestPageDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect area = screen->availableGeometry();
        move(area.center() - rect().center());
    }
    if (m_started) return;
    m_started = true;
    // After the dialog is painted, so that it is on screen while the call runs.
    QTimer::singleShot(0, this, &CTestPageDialog::Run);
}

void CTestPageDialog::Run()
{
    m_running = true;
    m_state.SendTestPage(m_values);
    m_running = false;
    m_finished = true;
    accept();
}

void CTestPageDialog::reject()
{
    if (m_running) {
        m_state.CancelPage();
        return;
    }
    if (!m_started || m_finished) QDialog::reject();
}

void RunTestPage(CRunState& state, const PagerRecord& values, QWidget* parent)
{
    if (state.Queue().pageInProgress) {
        state.Files().messageBox.Show(kPageInProgressText, "Paging Error", MbIcon::Warning, MbButtons::Ok);
        return;
    }
    CTestPageDialog dialog(state, values, parent);
    dialog.exec();
}

}  // namespace corvane
