/* The one call of libinputhook beyond the five hook exports: the Activate Screen Saver
 * command. Kept apart from inputhook.h, whose exports mirror the hook interface. */
#pragma once

#include <stdint.h>

#include "inputhook/inputhook.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Asks the X server to start the screen saver now, on the library's own connection.
 * Returns 1 when the request went to (or is queued for) a display, 0 when there is no
 * display. Its start is then reported like any other (WM_HOOK_SCREENSAVER, while
 * screen-saver detection is on). */
INPUTHOOK_API int32_t InputHookActivateScreenSaver(void);

#ifdef __cplusplus
}
#endif
