// The library's exports. One X watcher and one bus watcher per process: they are
// created when the library is loaded and their destructors end their threads when it is
// unloaded (the bus watcher first, since it reports through the X watcher's rules).

#include "inputhook/bus_watcher.h"
#include "inputhook/inputhook.h"
#include "inputhook/screen_saver.h"
#include "inputhook/x11_watcher.h"

namespace {
corvane::hook::CX11Watcher g_watcher;
// The screen saver as the desktop announces it on its buses: the same start, under the
// same rules, as the X server's screen saver.
corvane::hook::CBusWatcher g_busWatcher([](const corvane::hook::InputEvent& event) { g_watcher.Deliver(event); });
}  // namespace

extern "C" {

INPUTHOOK_API int32_t RegisterHookSendWindow(int32_t fd)
{
    return g_watcher.RegisterHookSendWindow(fd);
}

INPUTHOOK_API int32_t StartCBT(void)
{
    const int32_t result = g_watcher.StartCbt();
    if (result) g_busWatcher.Start();
    return result;
}

INPUTHOOK_API int32_t StopCBT(void)
{
    g_busWatcher.Stop();
    return g_watcher.StopCbt();
}

INPUTHOOK_API int32_t StartKeyOrMouse(void)
{
    return g_watcher.StartKeyOrMouse();
}

INPUTHOOK_API int32_t StopKeyOrMouse(void)
{
    return g_watcher.StopKeyOrMouse();
}

INPUTHOOK_API int32_t InputHookActivateScreenSaver(void)
{
    return g_watcher.ActivateScreenSaver();
}

}  // extern "C"
