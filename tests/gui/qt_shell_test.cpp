// The Qt side of the shell interfaces: message boxes, the event pump and the reactor.

#include <fcntl.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include "app/gui/qt_event_pump.h"
#include "app/gui/qt_message_box.h"
#include "app/gui/qt_reactor.h"
#include "tests/gui/gui_test_registry.h"

namespace corvane::test {

namespace {

struct CPipe {
    CPipe() { QVERIFY2(::pipe2(fds, O_NONBLOCK | O_CLOEXEC) == 0, "pipe"); }
    ~CPipe()
    {
        ::close(fds[0]);
        ::close(fds[1]);
    }
    void Put() { (void)!::write(fds[1], "x", 1); }
    void Drain()
    {
        char buffer[64];
        while (::read(fds[0], buffer, sizeof buffer) > 0) {
        }
    }
    int fds[2] = {-1, -1};
};

struct BoxSeen {
    QString title, text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
};

// Answers the next message box: presses `press` (or Escape when NoButton) and records it.
void AnswerNextBox(BoxSeen& seen, QMessageBox::StandardButton press)
{
    QTimer::singleShot(0, [&seen, press] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) return;
        seen = {box->windowTitle(), box->text(), box->icon(), box->standardButtons()};
        if (press == QMessageBox::NoButton) QTest::keyClick(box, Qt::Key_Escape);
        else box->button(press)->click();
    });
}

}  // namespace

class QtShellTest : public QObject {
    Q_OBJECT

private slots:
    void MessageBoxesShowTheCaptionIconAndButtonsAndReturnTheAnswer()
    {
        CQtMessageBox boxes;
        BoxSeen seen;
        AnswerNextBox(seen, QMessageBox::Retry);
        QCOMPARE(boxes.Show("The file is in use.  Try again?", "Sharing Violation", MbIcon::Warning,
                            MbButtons::RetryCancel),
                 MbAnswer::Retry);
        QCOMPARE(seen.title, QStringLiteral("Sharing Violation"));
        QCOMPARE(seen.text, QStringLiteral("The file is in use.  Try again?"));
        QCOMPARE(seen.icon, QMessageBox::Warning);
        QCOMPARE(seen.buttons, QMessageBox::Retry | QMessageBox::Cancel);

        AnswerNextBox(seen, QMessageBox::Yes);
        QCOMPARE(boxes.Show("Sure?", "Modem Warning", MbIcon::Question, MbButtons::YesNo), MbAnswer::Yes);
        QCOMPARE(seen.icon, QMessageBox::Question);
        QCOMPARE(seen.buttons, QMessageBox::Yes | QMessageBox::No);

        // Escape answers as the box's cancel.
        AnswerNextBox(seen, QMessageBox::NoButton);
        QCOMPARE(boxes.Show("Sure?", "Modem Warning", MbIcon::Question, MbButtons::YesNo), MbAnswer::No);
        AnswerNextBox(seen, QMessageBox::NoButton);
        QCOMPARE(boxes.Show("x", "Paging Error", MbIcon::Error, MbButtons::RetryCancel), MbAnswer::Cancel);
        QCOMPARE(seen.icon, QMessageBox::Critical);
        AnswerNextBox(seen, QMessageBox::Ok);
        QCOMPARE(boxes.Show("Your page(s) were delivered successfully.", "Corvane", MbIcon::None, MbButtons::Ok),
                 MbAnswer::Ok);
        QCOMPARE(seen.icon, QMessageBox::NoIcon);
        QCOMPARE(seen.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    }

    void AWaitTakesItsTimeOrEndsWhenTheDescriptorIsReadable()
    {
        CQtEventPump pump;
        CPipe pipe;
        QElapsedTimer t;
        t.start();
        QCOMPARE(pump.Wait(120, pipe.fds[0], true), PumpResult::Continue);
        QVERIFY(t.elapsed() >= 110);

        QTimer::singleShot(30, [&pipe] { pipe.Put(); });
        t.restart();
        QCOMPARE(pump.Wait(3000, pipe.fds[0], true), PumpResult::Continue);
        QVERIFY(t.elapsed() < 1500);
        // Already readable: back at once.
        t.restart();
        QCOMPARE(pump.Wait(3000, pipe.fds[0], true), PumpResult::Continue);
        QVERIFY(t.elapsed() < 500);
    }

    void AWaitWithoutEventsOnlyPollsAndReportsNoCancel()
    {
        CQtEventPump pump;
        CPipe pipe;
        bool timerRan = false;
        QTimer::singleShot(0, [&timerRan] { timerRan = true; });
        pump.PostCancel();
        QElapsedTimer t;
        t.start();
        QCOMPARE(pump.Wait(80, pipe.fds[0], false), PumpResult::Continue);
        QVERIFY(t.elapsed() >= 70);
        QVERIFY(!timerRan);
        pipe.Put();
        t.restart();
        QCOMPARE(pump.Wait(3000, pipe.fds[0], false), PumpResult::Continue);
        QVERIFY(t.elapsed() < 500);
        // The cancel is still there for the next wait that takes events, and events
        // are taken again after it.
        QCOMPARE(pump.Wait(10, -1, true), PumpResult::Cancel);
        QCOMPARE(pump.Wait(10, -1, true), PumpResult::Continue);
        QVERIFY(timerRan);
    }

    void ACancelEndsTheWaitInProgressAndIsTakenOnce()
    {
        CQtEventPump pump;
        QTimer::singleShot(50, [&pump] { pump.PostCancel(); });
        QElapsedTimer t;
        t.start();
        QCOMPARE(pump.Wait(3000, -1, true), PumpResult::Cancel);
        QVERIFY(t.elapsed() < 1500);
        QCOMPARE(pump.Wait(10, -1, true), PumpResult::Continue);
        pump.PostCancel();
        pump.ClearCancel();
        QCOMPARE(pump.Wait(10, -1, true), PumpResult::Continue);
    }

    void AQuitEndsTheWaitAndEveryLaterWaitAfterItsTime()
    {
        CQtEventPump pump;
        QSignalSpy ended(&pump, &CQtEventPump::waitsEnded);
        QTimer::singleShot(50, [&pump] { pump.PostQuit(); });
        QElapsedTimer t;
        t.start();
        QCOMPARE(pump.Wait(3000, -1, true), PumpResult::DeferredQuit);
        QVERIFY(t.elapsed() < 1500);
        QCOMPARE(ended.count(), 1);
        // A later call must not start: its waits say so too, without spinning.
        t.restart();
        QCOMPARE(pump.Wait(100, -1, true), PumpResult::DeferredQuit);
        QVERIFY(t.elapsed() >= 90);
        // A quit outranks a cancel: the program is going.
        pump.PostCancel();
        QCOMPARE(pump.Wait(10, -1, true), PumpResult::DeferredQuit);
    }

    void NestedWaitsAllEndOnACancelAndTheInnerOneTakesIt()
    {
        CQtEventPump pump;
        PumpResult inner = PumpResult::Continue;
        int depthInside = 0;
        QTimer::singleShot(20, [&] {
            QTimer::singleShot(30, [&pump] { pump.PostCancel(); });
            depthInside = pump.Depth() + 1;
            inner = pump.Wait(3000, -1, true);
        });
        QElapsedTimer t;
        t.start();
        PumpResult outer = pump.Wait(3000, -1, true);
        QVERIFY(t.elapsed() < 1500);
        QCOMPARE(depthInside, 2);
        QCOMPARE(inner, PumpResult::Cancel);
        QCOMPARE(outer, PumpResult::Continue);
        QVERIFY(!pump.Waiting());
    }

    void TheReactorCallsBackWhileTheDescriptorIsReadableAndStopsWhenUnwatched()
    {
        CQtReactor reactor;
        CPipe pipe;
        int calls = 0;
        reactor.Watch(pipe.fds[0], [&] {
            ++calls;
            pipe.Drain();
        });
        pipe.Put();
        QTRY_COMPARE_WITH_TIMEOUT(calls, 1, 2000);
        pipe.Put();
        QTRY_COMPARE_WITH_TIMEOUT(calls, 2, 2000);
        reactor.Unwatch(pipe.fds[0]);
        QVERIFY(!reactor.Watching(pipe.fds[0]));
        pipe.Put();
        QTest::qWait(100);
        QCOMPARE(calls, 2);
    }

    void ACallbackMayUnwatchItsOwnDescriptor()
    {
        CQtReactor reactor;
        CPipe pipe;
        int calls = 0;
        reactor.Watch(pipe.fds[0], [&] {
            ++calls;
            reactor.Unwatch(pipe.fds[0]);
        });
        pipe.Put();
        QTRY_COMPARE_WITH_TIMEOUT(calls, 1, 2000);
        QTest::qWait(100);  // still readable: no second call
        QCOMPARE(calls, 1);
        // Watched again (the number reused), it reports again.
        reactor.Watch(pipe.fds[0], [&] {
            ++calls;
            pipe.Drain();
        });
        QTRY_COMPARE_WITH_TIMEOUT(calls, 2, 2000);
    }
};

CORVANE_GUI_TEST(QtShellTest)

}  // namespace corvane::test

#include "qt_shell_test.moc"
