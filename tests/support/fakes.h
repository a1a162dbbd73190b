#pragma once
// Test doubles for the shell interfaces.

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "common/clock.h"
#include "common/event_pump.h"
#include "common/main_view.h"
#include "common/message_box.h"

namespace corvane::test {

// A clock that moves only when told to (or when the fake pump waits).
class CFakeClock : public IClock {
public:
    std::time_t Now() const override { return m_now + static_cast<std::time_t>((m_tick - m_tickAtNow) / 1000); }
    std::uint64_t TickMs() const override { return m_tick; }
    void SetNow(std::time_t now)
    {
        m_now = now;
        m_tickAtNow = m_tick;
    }
    void Advance(std::uint64_t ms) { m_tick += ms; }

private:
    std::time_t m_now = 983955900;  // 03/07/01 09:05 UTC
    std::uint64_t m_tick = 1000000;
    std::uint64_t m_tickAtNow = 1000000;
};

// Each Wait() advances the fake clock by the time asked for, unless `ready` says the
// descriptor's data is already there. `onWait` may inject a cancel or a quit.
class CFakePump : public IEventPump {
public:
    explicit CFakePump(CFakeClock& clock) : m_clock(clock) {}
    PumpResult Wait(int maxMs, int fd, bool takeEvents) override;

    std::function<bool()> ready;                  // data waiting: do not advance the clock
    std::function<PumpResult(int maxMs)> onWait;  // consulted first when events are taken
    int waits = 0;
    int waitsWithoutEvents = 0;
    int lastFd = -1;  // the descriptor of the Wait() in progress or last made, for `ready`

    // Reports Cancel (or DeferredQuit) from the next Wait() that takes events.
    void PostCancel() { m_pending = PumpResult::Cancel; }
    void PostQuit() { m_pending = PumpResult::DeferredQuit; }

private:
    CFakeClock& m_clock;
    PumpResult m_pending = PumpResult::Continue;
};

// Real waits cut short: each Wait() looks at the descriptor for at most a millisecond,
// then lets the fake clock jump the whole time asked for. A server that never answers
// runs into a 30-second time-out in a fraction of a second, while one that answers is
// read at once. Counts its waits, as a shell's event loop would run.
class CFastForwardPump : public IEventPump {
public:
    explicit CFastForwardPump(CFakeClock& clock) : m_clock(clock) {}
    PumpResult Wait(int maxMs, int fd, bool takeEvents) override;
    int waits = 0;
    // False: waits take their real time, and the fake clock follows it (for a server
    // that is slow but answers).
    bool fastForward = true;

private:
    CFakeClock& m_clock;
};

struct ShownBox {
    std::string text;
    std::string caption;
    MbIcon icon;
    MbButtons buttons;
};

// Records every box; answers from a script, else the default (OK, Cancel, No).
class CRecordingMessageBox : public IMessageBox {
public:
    MbAnswer Show(const std::string& text, const std::string& caption, MbIcon icon,
                  MbButtons buttons) override;
    std::vector<ShownBox> shown;
    std::deque<MbAnswer> answers;
    // Runs while the box is up (after it is recorded), as the events of a real box run.
    std::function<void(const ShownBox&)> onShow;
    std::string Texts() const;  // every text, one per line, for readable failures
};

class CFakeMainView : public IMainView {
public:
    void SetStatus(const std::string& text) override { statusLine.push_back(text); }
    void ResetStatus() override { statusLine.push_back("Ready"); }
    void ShowWaitCursor(bool on) override { waitCursor.push_back(on); }
    void SetStatusField(const std::string& text) override { statusField.push_back(text); }
    void SetQueueCount(int count) override { queueCounts.push_back(count); }
    void SetPageInProgress(bool inProgress) override { pageInProgress.push_back(inProgress); }
    void Minimize() override { minimized = true; ++minimizeCalls; }
    void Restore() override { minimized = false; ++restoreCalls; }
    bool IsMinimized() const override { return minimized; }
    void PostExit() override { ++exitPosts; }
    void RefreshPagerList() override { ++refreshes; }

    std::vector<std::string> statusLine;
    std::vector<bool> waitCursor;  // each on and off, in order
    std::vector<std::string> statusField;
    std::vector<int> queueCounts;
    std::vector<bool> pageInProgress;
    bool minimized = false;
    int minimizeCalls = 0;
    int restoreCalls = 0;
    int exitPosts = 0;
    int refreshes = 0;
};

}  // namespace corvane::test
