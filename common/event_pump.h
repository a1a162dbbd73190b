#pragma once
// The event pump: how a page call waits without freezing the shell.
//
// Every wait of a modem or SNPP dialogue is a loop of short Wait() calls. The shell
// handles its own events inside Wait() (windows repaint, the command server answers,
// the tick runs) and reports the two things a page call must react to: the user's
// Cancel, and a request to exit or close the program, which cancels the call and is
// carried out by the shell once the call has ended.

namespace corvane {

enum class PumpResult {
    Continue,      // nothing for the page call: time passed or the descriptor became readable
    Cancel,        // the Cancel command of the main view
    DeferredQuit,  // Exit or Close: ends the call as a cancel; the shell quits afterwards
};

class IEventPump {
public:
    virtual ~IEventPump() = default;
    // Waits at most maxMs milliseconds, returning early when fd (if not -1) is readable
    // or when the user cancels. With takeEvents false the shell's events are left alone
    // (after a cancel a page call takes no further events) and only the wait is done.
    virtual PumpResult Wait(int maxMs, int fd, bool takeEvents) = 0;
};

// The longest single Wait() a dialogue asks for, so that a cancel is seen promptly.
inline constexpr int kPumpIntervalMs = 50;

}  // namespace corvane
