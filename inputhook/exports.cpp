// The library's exports. One watcher per process: it is created when the library is
// loaded and its destructor ends the watcher thread when the library is unloaded.

#include "inputhook/inputhook.h"
#include "inputhook/screen_saver.h"
#include "inputhook/x11_watcher.h"

namespace {
corvane::hook::CX11Watcher g_watcher;
}

extern "C" {

INPUTHOOK_API int32_t RegisterHookSendWindow(int32_t fd)
{
    return g_watcher.RegisterHookSendWindow(fd);
}

INPUTHOOK_API int32_t StartCBT(void)
{
    return g_watcher.StartCbt();
}

INPUTHOOK_API int32_t StopCBT(void)
{
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
