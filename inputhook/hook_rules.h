#pragma once
// The three rules that turn input events into reports, and the installed flags of the
// two hooks. No X here: the watcher feeds it what the X server says, tests feed it
// hand-made events.

#include <cstdint>

namespace corvane::hook {

enum class InputKind {
    ScreenSaverStarted,  // the screen saver is being switched on
    KeyDown,
    KeyUp,
    PointerMoved,        // x, y and window say where the pointer is now
};

struct InputEvent {
    InputKind kind = InputKind::KeyDown;
    int x = 0;
    int y = 0;
    std::uint64_t window = 0;  // the window under the pointer; 0 = none
};

class CHookRules {
public:
    // Results as the exports return them.
    int RegisterTarget(int fd);
    int StartCbt();
    int StopCbt();
    int StartKeyOrMouse();
    int StopKeyOrMouse();

    bool CbtInstalled() const { return m_cbtInstalled; }
    bool KeyOrMouseInstalled() const { return m_keyOrMouseInstalled; }
    int Target() const { return m_target; }

    // The message the event posts, or 0 for none. A pointer move is recorded as the
    // last one whether or not it counts.
    std::uint32_t OnEvent(const InputEvent& event);

private:
    std::uint32_t OnPointerMoved(const InputEvent& event);

    int m_target = -1;  // descriptor 0 is a valid one (the headless shell has no stdin)
    bool m_cbtInstalled = false;
    bool m_keyOrMouseInstalled = false;
    int m_lastX = 0;
    int m_lastY = 0;
    std::uint64_t m_lastWindow = 0;  // 0 = nothing recorded yet
};

}  // namespace corvane::hook
