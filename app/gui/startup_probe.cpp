#include "app/gui/startup_probe.h"

#include <time.h>

#include <QEvent>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <cstdlib>

namespace corvane {
namespace {

class CFirstPaint final : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && !m_seen) {
            m_seen = true;
            // Reported once the paint has been done and flushed.
            QTimer::singleShot(0, this, [] {
                timespec now{};
                ::clock_gettime(CLOCK_REALTIME, &now);
                long long ns = static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec;
                std::fprintf(stderr, "corvane: first paint %lld\n", ns);
                std::fflush(stderr);
            });
        }
        return QObject::eventFilter(watched, event);
    }

private:
    bool m_seen = false;
};

}  // namespace

void InstallStartupProbe(QWidget* painted)
{
    if (!std::getenv("CORVANE_STARTUP_PROBE") || !painted) return;
    painted->installEventFilter(new CFirstPaint(painted));
}

}  // namespace corvane
