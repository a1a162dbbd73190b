// The main window over a real run state: the status panes, the Action menu, Cancel and
// the way out while a page is sent, the tick inside a page call's waits, the stored
// rectangle and the tray icon.

#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QEventLoop>
#include <QGuiApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QTest>
#include <QTimer>

#include "app/gui/pager_list_form.h"
#include "app/gui/qt_message_box.h"
#include "engine/send_run.h"
#include "tests/gui/gui_harness.h"
#include "tests/gui/gui_test_registry.h"

namespace corvane::test {

class CorvaneFrameTest : public QObject {
    Q_OBJECT

    std::unique_ptr<CGuiHarness> h;

    CCorvaneFrame& Frame() { return *h->frame; }
    QString Pane(StatusPane pane) { return Frame().PaneText(pane); }

    // A call that waits as a page call does, in short waits, until the pump reports
    // something or limitMs pass; the result is what the pump said.
    PumpResult WaitLikeACall(int limitMs = 3000)
    {
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < limitMs) {
            PumpResult r = h->pump.Wait(kPumpIntervalMs, -1, true);
            if (r != PumpResult::Continue) return r;
        }
        return PumpResult::Continue;
    }

    void StartWithBob()
    {
        h->SavePagers({{"Bob", {"Staff"}, "SNPP:one:444", "", "", kAutoCallMonitor},
                       {"Carl", {"Staff"}, "SNPP:two:444"}});
        h->Start();
    }

    void Send(const std::string& command)
    {
        h->state->Commands().Execute("SendPage", command);
    }

private slots:
    void init() { h = std::make_unique<CGuiHarness>(); }
    void cleanup() { h.reset(); }

    void TheStatusPanesFollowTheRunState()
    {
        StartWithBob();
        QCOMPARE(Frame().windowTitle(), QStringLiteral("Corvane"));
        QCOMPARE(Pane(StatusPane::Message), QStringLiteral("Ready"));
        for (StatusPane pane : {StatusPane::Monitoring, StatusPane::Call, StatusPane::Pim, StatusPane::Mail})
            QCOMPARE(Pane(pane), QString());

        h->state->Commands().Execute("QueuePage", "Bob/one");
        h->state->Commands().Execute("QueuePage", "Bob/two");
        QCOMPARE(Pane(StatusPane::Queue), QStringLiteral("2"));

        Frame().SetStatus("Dialing the paging company");
        QCOMPARE(Pane(StatusPane::Message), QStringLiteral("Dialing the paging company"));
        Frame().ResetStatus();
        QCOMPARE(Pane(StatusPane::Message), QStringLiteral("Ready"));
    }

    void TheCallerIdPopupShowsItsStateAsACheckMark()
    {
        StartWithBob();
        // No to the question: nothing changes, the check mark included.
        h->boxes.answers.push_back(MbAnswer::No);
        Frame().CallerIdPopupAction()->trigger();
        QCOMPARE(h->boxes.shown.back().caption, std::string("Modem Warning"));
        QVERIFY(!Frame().CallerIdPopupAction()->isChecked());
        QCOMPARE(h->settings.Get(key::CIDPopup), std::string("0"));
        h->boxes.answers.push_back(MbAnswer::Yes);
        Frame().CallerIdPopupAction()->trigger();
        QVERIFY(Frame().CallerIdPopupAction()->isChecked());
        QCOMPARE(h->settings.Get(key::CIDPopup), std::string("1"));
    }

    void CancelIsEnabledOnlyDuringAPageAndCancelsTheCall()
    {
        StartWithBob();
        QPushButton* cancel = Frame().Form().CancelButton();
        QVERIFY(!cancel->isEnabled());
        bool enabledDuring = false;
        QString statusDuring;
        PumpResult seen = PumpResult::Continue;
        h->transports.sendScripts.push_back([&](std::vector<AddedPage>&) {
            enabledDuring = cancel->isEnabled();
            statusDuring = Frame().Form().StatusField()->text();
            QTimer::singleShot(100, cancel, [cancel] { QTest::mouseClick(cancel, Qt::LeftButton); });
            seen = WaitLikeACall();
            return static_cast<int>(kSnppCancelled);
        });
        Send("Bob/hello");
        Frame().TickNow();
        QVERIFY(enabledDuring);
        QCOMPARE(statusDuring, QStringLiteral("Paging 1 of 1: Bob"));
        QCOMPARE(seen, PumpResult::Cancel);
        QVERIFY(!cancel->isEnabled());
        QCOMPARE(Frame().Form().StatusField()->text(), QStringLiteral("Idle"));
        QVERIFY(!Frame().Closed());
        // The user's cancel: the page is not logged as delivered.
        QVERIFY(!FileText(h->dir.File("log.txt")).contains("hello"));
    }

    void ExitDuringAPageCallEndsItAsACancelAndClosesOnceTheRunIsOver()
    {
        StartWithBob();
        PumpResult seen = PumpResult::Continue;
        bool closedDuring = true;
        h->transports.sendScripts.push_back([&](std::vector<AddedPage>&) {
            QTimer::singleShot(100, &Frame(), [this] { Frame().ExitAction()->trigger(); });
            seen = WaitLikeACall();
            closedDuring = Frame().Closed();
            return static_cast<int>(kSnppCancelled);
        });
        Send("Bob/first");
        Send("Carl/second");
        Frame().TickNow();
        QCOMPARE(seen, PumpResult::DeferredQuit);
        QVERIFY(!closedDuring);
        QVERIFY(Frame().Closed());
        QCOMPARE(h->shutdowns, 1);
        // No refusal: the user's Exit was taken as a cancel of the call.
        for (const ShownBox& box : h->boxes.shown) QVERIFY(box.caption != "Shut-Down");
        // Carl's page was never sent, and says so in the error log.
        QCOMPARE(h->transports.calls.size(), std::size_t(1));
        QVERIFY(FileText(h->dir.File("errorlog.txt")).contains("Carl"));
    }

    void ExitWhileAPageIsInProgressButNotWaitingIsRefused()
    {
        StartWithBob();
        int refusals = 0;
        h->transports.sendScripts.push_back([&](std::vector<AddedPage>&) {
            Frame().RequestExit();
            // The window's Close is refused the same way.
            Frame().close();
            refusals = static_cast<int>(h->boxes.shown.size());
            return 0;
        });
        Send("Bob/hello");
        Frame().TickNow();
        const ShownBox* refusal = FindBox(h->boxes, "Shut-Down");
        QVERIFY(refusal != nullptr);
        QCOMPARE(refusal->text, std::string(kShutDownRefusal));
        QVERIFY(refusal->icon == MbIcon::Error);
        QCOMPARE(refusals, 2);
        QVERIFY(Frame().isVisible());
        QVERIFY(!Frame().Closed());
        QVERIFY(!Frame().QuitPending());
        // Once the page is over, Exit closes.
        Frame().RequestExit();
        QVERIFY(Frame().Closed());
    }

    void AutoExitAfterARunClosesWithoutARefusal()
    {
        StartWithBob();
        h->settings.Write(key::AutoExit, "1");
        h->settings.Write(key::ConfirmPages, "0");
        Send("Bob/hello");
        Frame().TickNow();
        QTRY_VERIFY_WITH_TIMEOUT(Frame().Closed(), 2000);
        QVERIFY(FindBox(h->boxes, "Shut-Down") == nullptr);
    }

    void TicksGoOnInsideAPageCallsWaits()
    {
        StartWithBob();
        int ticksBefore = 0, ticksAfter = 0;
        h->transports.sendScripts.push_back([&](std::vector<AddedPage>&) {
            ticksBefore = h->ticks;
            for (int i = 0; i < 4; ++i) {
                QTimer::singleShot(0, &Frame(), [this] { Frame().TickNow(); });
                h->pump.Wait(30, -1, true);
            }
            ticksAfter = h->ticks;
            return 0;
        });
        Send("Bob/hello");
        Frame().TickNow();
        QCOMPARE(ticksAfter - ticksBefore, 4);
    }

    void TheTickGoesOnInsideTheBoxThatARunLeftForSomeoneWhoWalkedAway()
    {
        h->commandFiles = h->dir.File("*.cmd");
        h->commandScanSeconds = 0;
        StartWithBob();
        bool started = false, ended = false, sentMeanwhile = false;
        h->boxes.onShow = [&](const ShownBox& box) {
            QCOMPARE(box.text, std::string(kDeliveredText));
            // The box waits as a real one does, while the timer keeps ticking.
            QTimer timer;
            QObject::connect(&timer, &QTimer::timeout, &Frame(), &CCorvaneFrame::TickNow);
            timer.start(20);
            h->state->Monitoring().OnScreenSaverStarted();
            QTRY_VERIFY_WITH_TIMEOUT(started = h->state->MonitoringPhase() == 2, 2000);
            h->dir.Write("page.cmd", "Carl/from a file\n");
            QTRY_VERIFY_WITH_TIMEOUT(sentMeanwhile = h->transports.calls.size() == 2, 3000);
            h->state->Monitoring().OnUserActivity();
            QTRY_VERIFY_WITH_TIMEOUT(ended = h->state->MonitoringPhase() == 0, 2000);
        };
        Send("Bob/hello");
        Frame().TickNow();
        QVERIFY(started);
        QVERIFY(sentMeanwhile);
        QVERIFY(ended);
        const QString log = FileText(h->dir.File("log.txt"));
        QVERIFY(log.contains("Bob: hello"));
        QVERIFY(log.contains("Carl: from a file"));
        QCOMPARE(h->boxes.shown.size(), std::size_t(1));  // one confirmation waits, not one per run
    }

    void ExitDuringActivateScreenSaversWaitClosesWhenTheWaitEndsAndStartsNoRun()
    {
        StartWithBob();
        Send("Bob/waiting");
        QElapsedTimer t;
        t.start();
        QTimer::singleShot(100, &Frame(), [this] { Frame().ExitAction()->trigger(); });
        // A tick after the Exit: the queued page must not start a run that the quit
        // would only cancel.
        QTimer::singleShot(200, &Frame(), [this] { Frame().TickNow(); });
        Frame().ActivateScreenSaverAction()->trigger();
        QVERIFY(t.elapsed() < CMonitoringControl::kActivateWaitMs);
        QTRY_VERIFY_WITH_TIMEOUT(Frame().Closed(), 2000);
        QVERIFY(h->transports.calls.empty());
        QCOMPARE(h->ticks, 0);
    }

    void TheWaitCursorNestsAndABoxOverItTakesTheArrow()
    {
        StartWithBob();
        auto shape = [] { return QGuiApplication::overrideCursor() ? QGuiApplication::overrideCursor()->shape() : -1; };
        {
            CWaitCursor opening(&Frame());
            CWaitCursor connecting(&Frame());
            QCOMPARE(shape(), int(Qt::WaitCursor));
            int inBox = -1;
            QTimer::singleShot(0, [&] {
                inBox = shape();
                if (QWidget* box = QApplication::activeModalWidget()) box->close();
            });
            CQtMessageBox boxes;
            boxes.Show("Unable to initialize the page modem.  No response was received.", "Communications Error",
                       MbIcon::Warning, MbButtons::Ok);
            QCOMPARE(inBox, int(Qt::ArrowCursor));
            QCOMPARE(shape(), int(Qt::WaitCursor));
        }
        QVERIFY(QGuiApplication::overrideCursor() == nullptr);
    }

    void TheRectangleIsStoredAtCloseAndUsedAtTheNextStart()
    {
        h->settings.Write(key::DisplayLeft, "100");
        h->settings.Write(key::DisplayTop, "50");
        h->settings.Write(key::DisplayRight, "600");
        h->settings.Write(key::DisplayBottom, "500");
        StartWithBob();
        QCOMPARE(Frame().geometry(), QRect(100, 50, 500, 450));
        Frame().setGeometry(120, 60, 400, 420);
        Frame().RequestExit();
        QCOMPARE(h->settings.Get(key::DisplayLeft), std::string("120"));
        QCOMPARE(h->settings.Get(key::DisplayTop), std::string("60"));
        QCOMPARE(h->settings.Get(key::DisplayRight), std::string("520"));
        QCOMPARE(h->settings.Get(key::DisplayBottom), std::string("480"));
    }

    void TheRectangleIsNotStoredWhenClosedMinimised()
    {
        StartWithBob();
        Frame().Minimize();
        QVERIFY(Frame().IsMinimized());
        Frame().RequestExit();
        QVERIFY(Frame().Closed());
        QVERIFY(!h->settings.Has(SettingScope::User, "Display", "Top"));
        QVERIFY(!h->settings.Has(SettingScope::User, "Display", "Right"));
        // The column widths are stored all the same.
        QCOMPARE(h->settings.Get(key::Column1Width), std::string("150"));
    }

    void WithoutAUsableStoredRectangleTheWindowIsCentred()
    {
        StartWithBob();
        QPoint screenCentre = QGuiApplication::primaryScreen()->availableGeometry().center();
        QVERIFY((Frame().geometry().center() - screenCentre).manhattanLength() <= 2);
        // Right of left: damaged.
        h->settings.Write(key::DisplayLeft, "500");
        h->settings.Write(key::DisplayRight, "100");
        QVERIFY((Frame().StartRectangle().center() - screenCentre).manhattanLength() <= 2);
        // Far outside every screen.
        h->settings.Write(key::DisplayLeft, "20000");
        h->settings.Write(key::DisplayRight, "20500");
        QVERIFY((Frame().StartRectangle().center() - screenCentre).manhattanLength() <= 2);
    }

    void BringingToFrontRestoresAMinimisedWindow()
    {
        StartWithBob();
        Frame().Minimize();
        QVERIFY(Frame().IsMinimized());
        Frame().BringToFront();
        QVERIFY(!Frame().IsMinimized());
        QVERIFY(Frame().isVisible());
    }

    void TheAlternateIconIsShownWhileAsked()
    {
        StartWithBob();
        h->settings.Write(key::TaskbarButton, "0");
        QVERIFY(Frame().AddTrayIcon());
        const qint64 normal = Frame().TrayIcon()->icon().cacheKey();
        Frame().ShowAlternateIcon(true);
        QVERIFY(Frame().TrayIcon()->icon().cacheKey() != normal);
        QVERIFY(Frame().ShowingAlternateIcon());
        Frame().ShowAlternateIcon(false);
        QVERIFY(!Frame().ShowingAlternateIcon());
        QCOMPARE(Frame().TrayIcon()->icon().cacheKey(), normal);
    }

    void TheFrameCannotBeMadeSmallerThanItsMinimum()
    {
        StartWithBob();
        // At the start the whole form shows; made smaller, it scrolls instead of pressing
        // its controls together.
        QVERIFY(Frame().Form().height() >= Frame().Form().sizeHint().height());
        QVERIFY(Frame().Form().width() >= Frame().Form().sizeHint().width());
        Frame().resize(100, 100);
        QVERIFY(Frame().width() >= kMinFrameWidth);
        QVERIFY(Frame().height() >= kMinFrameHeight);
        QTest::qWait(20);
        QVERIFY(Frame().Form().height() >= Frame().Form().minimumSizeHint().height());
        QVERIFY(Frame().Form().width() >= Frame().Form().minimumSizeHint().width());
    }

    void TheTrayIconIsAddedOnlyWithoutATaskbarButton()
    {
        StartWithBob();
        QVERIFY(!Frame().AddTrayIcon());
        QVERIFY(Frame().TrayIcon() == nullptr);
        h->settings.Write(key::TaskbarButton, "0");
        QVERIFY(Frame().AddTrayIcon());
        QCOMPARE(Frame().TrayIcon()->toolTip(), QStringLiteral("Corvane"));
        // The window's system menu: Restore, Close, and the two monitoring entries added to it.
        QStringList entries;
        for (QAction* action : Frame().TrayIcon()->contextMenu()->actions())
            entries << (action->isSeparator() ? QStringLiteral("-") : action->text());
        QCOMPARE(entries, (QStringList{"&Restore", "-", "&Close", "-", "Monitor &Without Screen Saver",
                                       "&Activate Screen Saver"}));
        // With no tray on this display, minimising must not hide the only way back.
        if (!QSystemTrayIcon::isSystemTrayAvailable()) {
            Frame().Minimize();
            QTest::qWait(20);
            QVERIFY(Frame().isVisible());
        }
    }
};

CORVANE_GUI_TEST(CorvaneFrameTest)

}  // namespace corvane::test

#include "corvane_frame_test.moc"
