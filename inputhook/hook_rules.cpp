#include "inputhook/hook_rules.h"

#include "inputhook/inputhook.h"

namespace corvane::hook {

int CHookRules::RegisterTarget(int fd)
{
    m_target = fd < 0 ? -1 : fd;
    return 1;
}

int CHookRules::StartCbt()
{
    if (m_cbtInstalled) return 0;
    m_cbtInstalled = true;
    return 1;
}

int CHookRules::StopCbt()
{
    m_cbtInstalled = false;
    return 1;
}

int CHookRules::StartKeyOrMouse()
{
    if (m_keyOrMouseInstalled) return 0;
    // A fresh start: the first move only tells where the pointer is.
    m_lastWindow = 0;
    m_keyOrMouseInstalled = true;
    return 1;
}

int CHookRules::StopKeyOrMouse()
{
    m_keyOrMouseInstalled = false;
    return 1;
}

std::uint32_t CHookRules::OnEvent(const InputEvent& event)
{
    switch (event.kind) {
    case InputKind::ScreenSaverStarted:
        return m_cbtInstalled && m_target >= 0 ? WM_HOOK_SCREENSAVER : 0;
    case InputKind::KeyDown:
        return m_keyOrMouseInstalled && m_target >= 0 ? WM_HOOK_ACTIVITY : 0;
    case InputKind::KeyUp:
        return 0;
    case InputKind::PointerMoved:
        return m_keyOrMouseInstalled ? OnPointerMoved(event) : 0;
    }
    return 0;
}

std::uint32_t CHookRules::OnPointerMoved(const InputEvent& event)
{
    // Only a move in both directions inside the window seen last counts as the user: a
    // pointer that slides along one axis, or one that crosses into another window,
    // does not.
    const bool counts = m_lastWindow != 0 && event.window == m_lastWindow && event.x != m_lastX &&
                        event.y != m_lastY;
    m_lastX = event.x;
    m_lastY = event.y;
    m_lastWindow = event.window;
    return counts && m_target >= 0 ? WM_HOOK_ACTIVITY : 0;
}

}  // namespace corvane::hook
