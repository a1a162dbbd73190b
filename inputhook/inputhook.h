/* libinputhook: tells the program when the screen saver starts and when the user
 * touches the keyboard or the mouse again.
 *
 * The program hands the library a descriptor (a socketpair end or a pipe's write end)
 * in place of a window. Each report is one InputHookRecord written to it, never
 * blocking: when the descriptor is full or closed the record is dropped. The library
 * watches the X server on a connection and a thread of its own, and, for the screen
 * saver's start, the desktop's message buses (the screen savers' ActiveChanged on the
 * session bus, logind's IdleHint of the user's session) on another. Without a display
 * every call keeps its results and no key or pointer move is ever reported; without a
 * bus nothing of the buses runs.
 *
 * The exports may be called from any one thread (the program's user-interface thread).
 */
#pragma once

#include <stdint.h>

#if defined(__GNUC__)
#define INPUTHOOK_API __attribute__((visibility("default")))
#else
#define INPUTHOOK_API
#endif

/* The messages, as the program's message loop knows them. */
#define WM_HOOK_SCREENSAVER 0x402 /* the screen saver is being started */
#define WM_HOOK_ACTIVITY 0x403    /* a key went down or the mouse really moved */

/* One report on the descriptor: 12 bytes, host byte order, no padding. wParam and
 * lParam are always 0; they keep the record the shape of a posted window message. */
typedef struct InputHookRecord {
    uint32_t message; /* WM_HOOK_SCREENSAVER or WM_HOOK_ACTIVITY */
    uint32_t wParam;
    uint32_t lParam;
} InputHookRecord;

#ifdef __cplusplus
static_assert(sizeof(InputHookRecord) == 12, "the record layout is part of the interface");
extern "C" {
#endif

/* Stores the descriptor that receives the records; a negative one clears it (nothing
 * is written afterwards, so the program can close the descriptor safely). Returns 1. */
INPUTHOOK_API int32_t RegisterHookSendWindow(int32_t fd);

/* Screen-saver detection. StartCBT returns 0 when already started, else 1; StopCBT
 * returns 1 and does nothing when it was not started. */
INPUTHOOK_API int32_t StartCBT(void);
INPUTHOOK_API int32_t StopCBT(void);

/* Keyboard and mouse activity. StartKeyOrMouse forgets the last pointer position (the
 * first move afterwards only records it) and returns 0 when already started, else 1;
 * StopKeyOrMouse returns 1 and does nothing when it was not started. */
INPUTHOOK_API int32_t StartKeyOrMouse(void);
INPUTHOOK_API int32_t StopKeyOrMouse(void);

#ifdef __cplusplus
}
#endif
