#include "tests/support/fakes.h"

#include <poll.h>

#include <chrono>

namespace corvane::test {

PumpResult CFakePump::Wait(int maxMs, int fd, bool takeEvents)
{
    ++waits;
    lastFd = fd;
    if (!takeEvents) ++waitsWithoutEvents;
    if (takeEvents) {
        if (m_pending != PumpResult::Continue) {
            PumpResult result = m_pending;
            m_pending = PumpResult::Continue;
            return result;
        }
        if (onWait) {
            PumpResult result = onWait(maxMs);
            if (result != PumpResult::Continue) return result;
        }
    }
    if (!(ready && ready())) m_clock.Advance(maxMs > 0 ? static_cast<std::uint64_t>(maxMs) : 1);
    return PumpResult::Continue;
}

PumpResult CFastForwardPump::Wait(int maxMs, int fd, bool)
{
    ++waits;
    pollfd p{fd, POLLIN, 0};
    if (!fastForward) {
        auto start = std::chrono::steady_clock::now();
        ::poll(&p, fd >= 0 ? 1 : 0, maxMs);
        auto spent = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
        m_clock.Advance(static_cast<std::uint64_t>(spent.count()));
        return PumpResult::Continue;
    }
    if (::poll(&p, fd >= 0 ? 1 : 0, 1) > 0) return PumpResult::Continue;
    m_clock.Advance(maxMs > 0 ? static_cast<std::uint64_t>(maxMs) : 1);
    return PumpResult::Continue;
}

MbAnswer CRecordingMessageBox::Show(const std::string& text, const std::string& caption, MbIcon icon,
                                    MbButtons buttons)
{
    shown.push_back({text, caption, icon, buttons});
    if (onShow) onShow(ShownBox(shown.back()));  // a copy: boxes shown meanwhile may move the list
    if (!answers.empty()) {
        MbAnswer answer = answers.front();
        answers.pop_front();
        return answer;
    }
    switch (buttons) {
    case MbButtons::Ok: return MbAnswer::Ok;
    case MbButtons::RetryCancel: return MbAnswer::Cancel;
    case MbButtons::YesNo: return MbAnswer::No;
    }
    return MbAnswer::Ok;
}

std::string CRecordingMessageBox::Texts() const
{
    std::string all;
    for (const auto& box : shown) all += box.caption + ": " + box.text + "\n";
    return all;
}

}  // namespace corvane::test
