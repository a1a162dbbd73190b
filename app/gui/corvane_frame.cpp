#include "app/gui/corvane_frame.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QStatusBar>
#include <QSystemTrayIcon>
#include <QThread>
#include <QToolBar>

#include <algorithm>

#include "app/core/run_state.h"
#include "app/gui/artwork.h"
#include "app/gui/dialogs/caller_id_popup_window.h"
#include "app/gui/dialogs/dialog_commands.h"
#include "app/gui/dialogs/pager_message_dialog.h"
#include "app/gui/dialogs/schedule_page_dialog.h"
#include "app/gui/dialogs/call_progress_dialog.h"
#include "app/gui/frame_commands.h"
#include "app/gui/pager_list_form.h"
#include "app/gui/qt_event_pump.h"
#include "common/decimal.h"
#include "settings/settings.h"

namespace corvane {
namespace {

constexpr int kTickMs = 1000;
constexpr int kQuitRetryMs = 50;
const QSize kDefaultSize(640, 460);

int LoopLevel()
{
    return QThread::currentThread()->loopLevel();
}

}  // namespace

CCorvaneFrame::CCorvaneFrame(CQtEventPump& pump, const std::string& title, QWidget* parent)
    : QMainWindow(parent), m_pump(pump), m_programIcon(ProgramIcon()), m_pagingIcon(PagingIcon())
{
    setObjectName("corvaneFrame");
    setWindowTitle(QString::fromStdString(title));
    setWindowIcon(m_programIcon);
    setMinimumSize(kMinFrameWidth, kMinFrameHeight);
    m_form = new CPagerListForm(this);
    // As a form view: a frame made smaller than the form scrolls it, rather than pressing
    // its controls over each other.
    auto* scroller = new QScrollArea(this);
    scroller->setObjectName("formScroller");
    scroller->setWidgetResizable(true);
    scroller->setFrameShape(QFrame::NoFrame);
    scroller->setWidget(m_form);
    setCentralWidget(scroller);
    setFocusProxy(m_form);
    m_commands = new CFrameCommands(*this);
    m_helpPage = FindHelpPage();
    BindCommands();
    BuildStatusBar();
    ConnectSendCommands();

    m_tickTimer.setInterval(kTickMs);
    // Queued: a send run inside one tick waits in nested event loops, and a timer whose
    // handler is still running is never fired again by Qt. Posted, the next ticks run
    // inside the run's waits as they must (tray animation, command files, monitoring).
    connect(&m_tickTimer, &QTimer::timeout, this, &CCorvaneFrame::TickNow, Qt::QueuedConnection);
    m_quitRetry.setInterval(kQuitRetryMs);
    connect(&m_quitRetry, &QTimer::timeout, this, &CCorvaneFrame::MaybeFinishQuit);
    connect(&m_pump, &CQtEventPump::waitsEnded, this, &CCorvaneFrame::MaybeFinishQuit, Qt::QueuedConnection);
}

CCorvaneFrame::~CCorvaneFrame() = default;

QLabel* CCorvaneFrame::AddPane(const QString& widest)
{
    auto* pane = new QLabel;
    pane->setAlignment(Qt::AlignCenter);
    pane->setMinimumWidth(pane->fontMetrics().horizontalAdvance(widest) + 10);
    statusBar()->addPermanentWidget(pane);
    return pane;
}

void CCorvaneFrame::BuildStatusBar()
{
    auto* message = new QLabel(QStringLiteral("Ready"));
    statusBar()->addWidget(message, 1);
    m_panes[static_cast<int>(StatusPane::Message)] = message;
    m_panes[static_cast<int>(StatusPane::Monitoring)] = AddPane(QStringLiteral("MONITORING"));
    m_panes[static_cast<int>(StatusPane::Call)] = AddPane(QStringLiteral("CALL"));
    m_panes[static_cast<int>(StatusPane::Pim)] = AddPane(QStringLiteral("PIM"));
    m_panes[static_cast<int>(StatusPane::Mail)] = AddPane(QStringLiteral("MAIL"));
    m_panes[static_cast<int>(StatusPane::Queue)] = AddPane(QStringLiteral("0     "));
}

void CCorvaneFrame::SetPane(StatusPane pane, const QString& text)
{
    m_panes[static_cast<int>(pane)]->setText(text);
}

QString CCorvaneFrame::PaneText(StatusPane pane) const
{
    return m_panes[static_cast<int>(pane)]->text();
}

void CCorvaneFrame::Attach(const FrameContext& context)
{
    m_settings = &context.settings;
    m_runState = &context.runState;
    m_tick = context.tick;
    m_shutdown = context.shutdown;
    m_form->Attach(context.settings, context.runState);
    m_dialogs = std::make_unique<CDialogCommands>(context.runState, static_cast<IMainView&>(*this), context.clock, this);
    connect(m_dialogs.get(), &CDialogCommands::sendButtonsChanged, this, &CCorvaneFrame::ShowSendState);
    ShowSendState();
    SyncChecks();
    RefreshDashnoteMenu();
}

void CCorvaneFrame::ConnectSendCommands()
{
    connect(m_form, &CPagerListForm::pageClicked, this,
            [this] { CallDialogs([this](CDialogCommands& d) { d.Page(m_form->View()); }); });
    connect(m_form, &CPagerListForm::resubmitClicked, this,
            [this] { CallDialogs([this](CDialogCommands& d) { d.Resubmit(m_form->View()); }); });
    connect(m_form, &CPagerListForm::scheduleClicked, this,
            [this] { CallDialogs([this](CDialogCommands& d) { d.Schedule(m_form->View()); }); });
    connect(m_form, &CPagerListForm::rowDoubleClicked, this, &CCorvaneFrame::OnRowDoubleClicked);
    connect(m_form, &CPagerListForm::voiceClicked, this, [this] { OnVoiceDial(VoiceButton::Voice); });
    connect(m_form, &CPagerListForm::otherClicked, this, [this] { OnVoiceDial(VoiceButton::Other); });
}

// The Voice and Other buttons dial a number of the first selected pager; with two voice
// numbers the user picks one.
void CCorvaneFrame::OnVoiceDial(VoiceButton button)
{
    if (!m_runState || !m_settings) return;
    const FormView view = m_form->View();
    auto row = std::find_if(view.rows.begin(), view.rows.end(), [](const FormRow& r) { return r.selected && !r.group; });
    const PagerRecord* pager = row == view.rows.end() ? nullptr : m_runState->Pagers().FindByCode(row->code);
    if (!pager) return;
    const std::vector<VoiceNumber> numbers = VoiceNumbersOf(*pager, *m_settings, button);
    if (numbers.empty()) {
        CallCore([&] {
            m_runState->Files().messageBox.Show("There is no number to dial for " + pager->UserName + ".", "Voice Dial",
                                                MbIcon::Warning, MbButtons::Ok);
        });
        return;
    }
    std::string number = numbers.front().number;
    if (numbers.size() > 1) {
        QMenu choice(this);
        choice.setObjectName("voiceNumberMenu");
        for (const VoiceNumber& n : numbers)
            choice.addAction(QString::fromStdString(n.label + ": " + n.number))->setData(QString::fromStdString(n.number));
        QPushButton* from = button == VoiceButton::Voice ? m_form->VoiceButton() : m_form->OtherButton();
        QAction* chosen = choice.exec(from->mapToGlobal(QPoint(0, from->height())));
        if (!chosen || !m_runState) return;
        number = chosen->data().toString().toStdString();
    }
    const PagerRecord dialled = *pager;
    CallCore([&] { RunVoiceDial(*m_runState, dialled, number, this); });
}

void CCorvaneFrame::OnRowDoubleClicked(int row)
{
    if (!m_settings || row < 0) return;
    // Set to page, the double-click is the Page button, and waits whenever it does.
    if (m_settings->IsOn(key::DisplayClickAction) && !m_form->PageButton()->isEnabled()) return;
    CallDialogs([this, row](CDialogCommands& d) { d.DoubleClick(m_form->View(), static_cast<std::size_t>(row)); });
}

void CCorvaneFrame::ShowSendState()
{
    if (!m_dialogs) return;
    m_form->SetSendState(m_dialogs->SendDialogOpen(), m_dialogs->ResubmitAvailable());
}

// ---- start-up ----

QRect CCorvaneFrame::StartRectangle() const
{
    QRect screen = QGuiApplication::primaryScreen() ? QGuiApplication::primaryScreen()->availableGeometry()
                                                    : QRect(0, 0, 1024, 768);
    // The form at its own size, with the menu, the toolbar and the status bar around it.
    const int furniture = menuBar()->sizeHint().height() + m_commands->Toolbar()->sizeHint().height() +
                          statusBar()->sizeHint().height();
    const QSize form = m_form->sizeHint();
    QSize size = QSize(form.width(), form.height() + furniture).expandedTo(kDefaultSize).expandedTo(minimumSize());
    QRect centred(QPoint(0, 0), size);
    centred.moveCenter(screen.center());
    if (!m_settings) return centred;
    // Stored as a rectangle whose right and bottom edges lie just outside it.
    int left = ToInt(m_settings->Get(key::DisplayLeft, std::to_string(centred.left())));
    int top = ToInt(m_settings->Get(key::DisplayTop, std::to_string(centred.top())));
    int right = ToInt(m_settings->Get(key::DisplayRight, std::to_string(centred.left() + centred.width())));
    int bottom = ToInt(m_settings->Get(key::DisplayBottom, std::to_string(centred.top() + centred.height())));
    QRect stored(left, top, right - left, bottom - top);
    // A damaged rectangle, or one left on a screen that is no longer there, would put
    // the window where nobody can reach it.
    if (stored.width() <= 0 || stored.height() <= 0) return centred;
    bool onScreen = false;
    for (QScreen* s : QGuiApplication::screens()) onScreen = onScreen || s->geometry().intersects(stored);
    return onScreen ? stored : centred;
}

void CCorvaneFrame::ShowAtStoredRectangle()
{
    setGeometry(StartRectangle());
    show();
}

bool CCorvaneFrame::AddTrayIcon()
{
    if (!m_settings || m_settings->Get(key::TaskbarButton) != "0" || m_tray) return false;
    m_tray = new QSystemTrayIcon(m_alternateIcon ? m_pagingIcon : m_programIcon, this);
    m_tray->setToolTip(windowTitle());
    // The window's system menu as the tray shows it, with the two monitoring entries the
    // program adds to it (a window manager's own window menu cannot take entries).
    auto* menu = new QMenu(this);
    menu->setObjectName("trayMenu");
    menu->addAction(tr("&Restore"), this, &CCorvaneFrame::BringToFront);
    menu->addSeparator();
    menu->addAction(tr("&Close"), this, &CCorvaneFrame::RequestExit);
    menu->addSeparator();
    menu->addAction(ManualMonitoringAction());
    menu->addAction(ActivateScreenSaverAction());
    m_tray->setContextMenu(menu);
    connect(m_tray, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger) BringToFront();
        if (reason == QSystemTrayIcon::Context && isVisible()) activateWindow();
    });
    m_tray->show();
    HideToTrayIfMinimized();
    return true;
}

void CCorvaneFrame::ApplyTaskbarButton()
{
    if (!m_settings) return;
    if (m_settings->Get(key::TaskbarButton) == "0") {
        AddTrayIcon();
        return;
    }
    if (!m_tray) return;
    m_tray->hide();
    m_tray->contextMenu()->deleteLater();
    m_tray->deleteLater();
    m_tray = nullptr;
}

void CCorvaneFrame::HideToTrayIfMinimized()
{
    // Only while a tray shows the icon: otherwise a hidden window could not be brought back.
    if (!m_tray || !QSystemTrayIcon::isSystemTrayAvailable() || !m_settings) return;
    if (m_settings->Get(key::TaskbarButton) != "0") return;
    if (isMinimized()) hide();
}

void CCorvaneFrame::StartTick()
{
    m_tickTimer.start();
}

// ---- the tick ----

void CCorvaneFrame::TickNow()
{
    // A program on its way out starts nothing new: a send run begun now would only have
    // its calls cancelled by the quit. Otherwise the tick runs wherever the events run: in
    // a page call's waits, and in every box or dialog, also one that an earlier tick
    // opened and that nobody answers (the run state keeps its steps from repeating).
    if (m_closed || m_quitPending || !m_tick) return;
    CallCore(m_tick);
}

// A dialog command runs as a core call: a quit asked for while its dialog is up waits
// until it has closed.
template <class F> void CCorvaneFrame::CallDialogs(F&& f)
{
    if (!m_dialogs) return;
    CallCore([this, &f] { f(*m_dialogs); });
}

template <class F> void CCorvaneFrame::CallCore(F&& f)
{
    if (m_closed || !m_runState) return;
    ++m_coreDepth;
    f();
    --m_coreDepth;
    SyncChecks();
    MaybeFinishQuit();
}

void CCorvaneFrame::RunCore(const std::function<void()>& f)
{
    CallCore(f);
}

void CCorvaneFrame::RunDialogs(const std::function<void(CDialogCommands&)>& f)
{
    CallDialogs(f);
}

void CCorvaneFrame::SyncChecks()
{
    if (!m_runState) return;
    SwitchState switches = m_runState->Switches();
    // A toggle that was refused (a No to the question) leaves its check mark as it was.
    CallerIdPopupAction()->setChecked(switches.callerIdPopup);
    MonitorPhoneAction()->setChecked(switches.callMonitor);
    PauseAction()->setChecked(switches.paused);
    MonitorPimAction()->setChecked(switches.pim);
    CommandAction(cmd::MonitorMail)->setChecked(switches.mail);
    ManualMonitoringAction()->setChecked(m_runState->Monitoring().ManualMonitoring());
}

// ---- the way out ----

void CCorvaneFrame::RequestExit()
{
    if (m_closed || m_quitPending) return;
    if (!m_runState) {
        CloseNow();
        return;
    }
    const bool pageInProgress = m_runState->Queue().pageInProgress;
    if (m_pump.Waiting()) {
        // A page call (or another wait) is under way: it ends as a cancel, and the
        // program closes once the run has ended.
        m_pump.PostQuit();
    } else if (pageInProgress) {
        CallCore([this] { m_runState->RefuseShutDown(); });
        return;
    }
    m_quitPending = true;
    MaybeFinishQuit();
}

void CCorvaneFrame::MaybeFinishQuit()
{
    if (!m_quitPending || m_closed) return;
    // Nothing may be running on the way here: a core call, a page call's wait, a box
    // or dialog (each its own event loop), or a send run.
    bool busy = m_coreDepth > 0 || m_pump.Waiting() || LoopLevel() > 1 ||
                (m_runState && m_runState->Queue().pageInProgress);
    if (busy) {
        if (!m_quitRetry.isActive()) m_quitRetry.start();
        return;
    }
    m_quitRetry.stop();
    CloseNow();
}

void CCorvaneFrame::CloseNow()
{
    m_closed = true;
    m_tickTimer.stop();
    m_quitRetry.stop();
    StoreWindowState();
    // An open Pager Message dialog sends nothing any more: the program is going.
    if (CPagerMessageDialog* open = m_dialogs ? m_dialogs->MessageDialog() : nullptr) open->reject();
    if (CSchedulePageDialog* open = m_dialogs ? m_dialogs->ScheduleDialog() : nullptr) open->reject();
    m_dialogs.reset();
    m_form->Detach();
    if (m_shutdown) m_shutdown();
    if (m_popup) m_popup->hide();
    m_runState = nullptr;
    m_settings = nullptr;
    if (m_tray) m_tray->hide();
    close();
    emit programClosed();
}

void CCorvaneFrame::StoreWindowState()
{
    if (!m_settings) return;
    WriteColumnWidths(*m_settings, m_form->ColumnWidths());
    if (isMinimized()) return;
    QRect r = geometry();
    m_settings->Write(key::DisplayTop, std::to_string(r.top()));
    m_settings->Write(key::DisplayLeft, std::to_string(r.left()));
    m_settings->Write(key::DisplayBottom, std::to_string(r.top() + r.height()));
    m_settings->Write(key::DisplayRight, std::to_string(r.left() + r.width()));
}

void CCorvaneFrame::closeEvent(QCloseEvent* event)
{
    if (m_closed) {
        event->accept();
        return;
    }
    event->ignore();
    RequestExit();
}

void CCorvaneFrame::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange || !isMinimized()) return;
    // Hidden from the event loop, not inside the state change itself.
    QMetaObject::invokeMethod(this, [this] { HideToTrayIfMinimized(); }, Qt::QueuedConnection);
}

void CCorvaneFrame::BringToFront()
{
    if (m_closed) return;
    // Out of the tray or the task bar, keeping a maximised window maximised.
    setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    show();
    raise();
    activateWindow();
    // A box or dialog that is up comes forward with its window.
    if (QWidget* modal = QApplication::activeModalWidget()) {
        modal->raise();
        modal->activateWindow();
    }
}

// ---- IMainView ----

void CCorvaneFrame::SetStatus(const std::string& text)
{
    SetPane(StatusPane::Message, QString::fromStdString(text));
}

void CCorvaneFrame::ResetStatus()
{
    SetPane(StatusPane::Message, QStringLiteral("Ready"));
}

void CCorvaneFrame::ShowWaitCursor(bool on)
{
    // The core pairs every on with an off, on every way out, so the stack stays balanced.
    if (on)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

void CCorvaneFrame::SetStatusField(const std::string& text)
{
    m_form->SetStatusField(QString::fromStdString(text));
}

void CCorvaneFrame::SetQueueCount(int count)
{
    SetPane(StatusPane::Queue, QString::number(count));
}

void CCorvaneFrame::SetPageInProgress(bool inProgress)
{
    // A cancel left over from the run before must not end the next one.
    m_pump.ClearCancel();
    m_form->SetPageInProgress(inProgress);
    m_commands->EnableDashnotes(!inProgress);
}

void CCorvaneFrame::Minimize()
{
    showMinimized();
}

void CCorvaneFrame::Restore()
{
    BringToFront();
}

bool CCorvaneFrame::IsMinimized() const
{
    return isMinimized();
}

void CCorvaneFrame::PostExit()
{
    // Asked for from inside the run, which is still in progress: handled as the user's
    // Exit once the run has returned.
    QMetaObject::invokeMethod(this, [this] { RequestExit(); }, Qt::QueuedConnection);
}

void CCorvaneFrame::RefreshPagerList()
{
    m_form->Refresh();
}

// ---- IMonitoringView and IFrameShell ----

void CCorvaneFrame::SetTitle(const std::string& title)
{
    setWindowTitle(QString::fromStdString(title));
}

void CCorvaneFrame::ShowManualMonitoring(bool on)
{
    ManualMonitoringAction()->setChecked(on);
    SetPane(StatusPane::Monitoring, on ? QStringLiteral("MONITORING") : QString());
}

void CCorvaneFrame::CloseProgram()
{
    // The tick's close request: carried out when the tick has returned.
    m_quitPending = true;
    if (m_pump.Waiting()) m_pump.PostQuit();
    MaybeFinishQuit();
}

void CCorvaneFrame::PostCancel()
{
    m_pump.PostCancel();
}

void CCorvaneFrame::AddNewPager()
{
    // The command server's AddPager: answered once the dialog has closed.
    CallDialogs([](CDialogCommands& d) { d.AddNewPager(); });
}

void CCorvaneFrame::ShowSwitches(const SwitchState& state)
{
    SetPane(StatusPane::Call, state.callMonitor ? QStringLiteral("CALL") : QString());
    SetPane(StatusPane::Pim, state.pim ? QStringLiteral("PIM") : QString());
    MonitorPimAction()->setChecked(state.pim);
    SetPane(StatusPane::Mail, state.mail ? QStringLiteral("MAIL") : QString());
    CommandAction(cmd::MonitorMail)->setChecked(state.mail);
    MonitorPhoneAction()->setChecked(state.callMonitor);
    CallerIdPopupAction()->setChecked(state.callerIdPopup);
    PauseAction()->setChecked(state.paused);
}

// ---- the caller-ID pop-up ----

CCallerIdPopupWindow* CCorvaneFrame::CallerIdPopup() const
{
    return m_popup && m_popup->isVisible() ? m_popup.get() : nullptr;
}

void CCorvaneFrame::ShowCallerIdPopup()
{
    if (!m_popup) {
        // A window of its own, not a child: it must show while the frame is minimised.
        m_popup = std::make_unique<CCallerIdPopupWindow>();
        connect(m_popup.get(), &CCallerIdPopupWindow::okClicked, this, [this] {
            if (m_runState) CallCore([this] { m_runState->CallMonitor().ClosePopup(); });
            else m_popup->hide();
        });
    }
    m_popup->SetNumber(QString());
    m_popup->SetName(QString());
    m_popup->ShowCentred();
}

void CCorvaneFrame::ShowCallerIdNumber(const std::string& shown)
{
    if (m_popup) m_popup->SetNumber(QString::fromStdString(shown));
}

void CCorvaneFrame::ShowCallerIdName(const std::string& name)
{
    if (m_popup) m_popup->SetName(QString::fromStdString(name));
}

void CCorvaneFrame::HideCallerIdPopup()
{
    if (m_popup) m_popup->hide();
}

void CCorvaneFrame::ShowAlternateIcon(bool alternate)
{
    m_alternateIcon = alternate;
    const QIcon& icon = alternate ? m_pagingIcon : m_programIcon;
    if (m_tray) m_tray->setIcon(icon);
    setWindowIcon(icon);
}

}  // namespace corvane
