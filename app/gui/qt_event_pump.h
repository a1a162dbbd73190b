#pragma once
// The desktop program's event pump: a page call's wait runs a nested event loop, so
// the window repaints, the command server answers and the tick goes on while a modem
// or a server is waited for. The Cancel button and Exit or Close reach the call here.

#include <QObject>

#include <vector>

#include "common/event_pump.h"

class QEventLoop;

namespace corvane {

class CQtEventPump final : public QObject, public IEventPump {
    Q_OBJECT
public:
    PumpResult Wait(int maxMs, int fd, bool takeEvents) override;

    // The Cancel command (or the end of monitoring): the next wait that takes events
    // reports Cancel, once.
    void PostCancel();
    // Exit or Close while a wait runs: the wait in progress ends at once and every wait
    // from now on reports DeferredQuit, so the call in progress ends as a cancel and no
    // further call starts. The frame closes once the run is over.
    void PostQuit();
    bool QuitPosted() const { return m_quit; }
    // A run that ends leaves no cancel behind for the next one.
    void ClearCancel() { m_cancel = false; }

    // Waits in progress that take events (nested waits count each).
    int Depth() const { return static_cast<int>(m_loops.size()); }
    bool Waiting() const { return !m_loops.empty(); }

signals:
    // The outermost wait has returned: a quit posted meanwhile may now be carried out.
    void waitsEnded();

private:
    PumpResult Pending();
    void QuitLoops();

    std::vector<QEventLoop*> m_loops;
    bool m_cancel = false;
    bool m_quit = false;
    bool m_quitReported = false;
};

}  // namespace corvane
