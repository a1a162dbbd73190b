#include "app/gui/qt_event_pump.h"

#include <poll.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QSocketNotifier>
#include <QTimer>

#include <memory>

namespace corvane {
namespace {

bool PollReadable(int fd, int ms)
{
    pollfd p{fd, POLLIN, 0};
    int n = ::poll(&p, fd >= 0 ? 1 : 0, ms < 0 ? 0 : ms);
    return n > 0 && (p.revents & (POLLIN | POLLHUP | POLLERR)) != 0;
}

}  // namespace

void CQtEventPump::PostCancel()
{
    m_cancel = true;
    QuitLoops();
}

void CQtEventPump::PostQuit()
{
    m_quit = true;
    QuitLoops();
}

void CQtEventPump::QuitLoops()
{
    for (QEventLoop* loop : m_loops) loop->quit();
}

PumpResult CQtEventPump::Pending()
{
    if (m_quit) {
        m_quitReported = true;
        return PumpResult::DeferredQuit;
    }
    if (m_cancel) {
        m_cancel = false;
        return PumpResult::Cancel;
    }
    return PumpResult::Continue;
}

PumpResult CQtEventPump::Wait(int maxMs, int fd, bool takeEvents)
{
    if (!takeEvents) {
        // A cancelled call hangs up without taking the user's events.
        PollReadable(fd, maxMs);
        return PumpResult::Continue;
    }
    // A cancel, or a quit not yet seen by anyone, ends this wait before it begins. A
    // quit already reported still lets the time pass, so that a caller that waits out
    // a pause does not spin.
    if (m_cancel || (m_quit && !m_quitReported)) return Pending();
    if (maxMs <= 0 || (fd >= 0 && PollReadable(fd, 0))) {
        QCoreApplication::processEvents();
        return Pending();
    }

    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    std::unique_ptr<QSocketNotifier> notifier;
    if (fd >= 0) {
        notifier = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
        QObject::connect(notifier.get(), &QSocketNotifier::activated, &loop, &QEventLoop::quit);
    }
    timer.start(maxMs);
    m_loops.push_back(&loop);
    loop.exec();
    m_loops.pop_back();
    if (m_loops.empty()) emit waitsEnded();
    return Pending();
}

}  // namespace corvane
