#include "app/daemon/daemon_shell.h"

#include <unistd.h>

#include "common/poll_pump.h"

namespace corvane {
namespace {

// One box is one line: a text that holds line breaks (one sent by the paging server)
// has them as blanks, and none at its end.
std::string OneLine(const std::string& text)
{
    std::string line = text;
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
    std::string joined;
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '\r' && i + 1 < line.size() && line[i + 1] == '\n') continue;
        joined += line[i] == '\r' || line[i] == '\n' ? ' ' : line[i];
    }
    return joined;
}

}  // namespace

MbAnswer CStderrMessageBox::Show(const std::string& text, const std::string& caption, MbIcon, MbButtons buttons)
{
    std::string line = caption + ": " + OneLine(text) + "\n";
    std::size_t done = 0;
    while (done < line.size()) {
        ssize_t n = ::write(STDERR_FILENO, line.data() + done, line.size() - done);
        if (n <= 0) break;
        done += static_cast<std::size_t>(n);
    }
    switch (buttons) {
    case MbButtons::RetryCancel: return MbAnswer::Cancel;
    case MbButtons::YesNo: return MbAnswer::No;
    case MbButtons::Ok: break;
    }
    return MbAnswer::Ok;
}

PumpResult CDaemonPump::Wait(int maxMs, int fd, bool takeEvents)
{
    if (!takeEvents) return CPollPump().Wait(maxMs, fd, false);
    auto pending = [this] {
        if (m_cancel) {
            m_cancel = false;
            return PumpResult::Cancel;
        }
        // Every wait from now on ends its call: the run stops at the next one.
        if (m_quit) return PumpResult::DeferredQuit;
        return PumpResult::Continue;
    };
    // A quit is reported at once the first time; later waits let their time pass
    // first, so that the pause after a call does not spin.
    if (m_cancel || (m_quit && !m_quitSeen)) {
        m_quitSeen = m_quit;
        return pending();
    }
    bool ready = false;
    if (fd >= 0) m_loop.Watch(fd, [&ready] { ready = true; });
    m_loop.RunOnce(maxMs);
    if (fd >= 0) m_loop.Unwatch(fd);
    return pending();
}

}  // namespace corvane
