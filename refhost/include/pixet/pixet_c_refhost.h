/* The reference desktop host for C callers (pixet_c_refhost.dll): a ready host runtime
 * with real Win32 windows, numbered controls and reports, registered for Pixet in one
 * call, so a program needs no host of its own.
 *
 * Conventions as in pixet_c.h (__stdcall, plain export names, NUL-terminated ANSI
 * texts). Windows belong to the thread that opened them: open, pump and close them on
 * that thread. Sizes and positions given here are pixels; windows are visible. */
#ifndef PIXET_PIXET_C_REFHOST_H
#define PIXET_PIXET_C_REFHOST_H

#include "pixet/pixet_c.h"

#if defined(PIXET_BUILDING_C_REFHOST)
#define PIXET_C_REFHOST_API
#else
#define PIXET_C_REFHOST_API __declspec(dllimport)
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* What the host does with Pixet's message boxes. */
enum PixetDesktopMessages {
  PIXET_MESSAGES_RECORD = 0,           /* record them; never blocks */
  PIXET_MESSAGES_RECORD_AND_PRINT = 1, /* record, and print "message: TEXT [CAPTION]" to stderr */
  PIXET_MESSAGES_INTERACTIVE = 2       /* real modal boxes (also recorded) */
};

/* Makes the process-wide desktop host on first use (later calls only change the
 * message mode) and registers it with Pixet in place of any other host. 1 done; 0 for
 * an unknown mode or when the host cannot be made. */
PIXET_C_REFHOST_API int PIXET_C_CALL PixetRegisterDesktopHost(int messageMode);
/* Leaves Pixet without a host (register another one afterwards, if any) and destroys the
 * desktop host with all its windows and reports. Call it on the thread that opened them. */
PIXET_C_REFHOST_API void PIXET_C_CALL PixetReleaseDesktopHost(void);

/* A window whose client area has this size; null without a host or on failure. */
PIXET_C_REFHOST_API PixetHostWindow* PIXET_C_CALL PixetDesktopOpenWindow(const char* title, int clientWidth,
                                                                         int clientHeight);
PIXET_C_REFHOST_API void PIXET_C_CALL PixetDesktopCloseWindow(PixetHostWindow* window);
/* A report: a hidden window holding controls. */
PIXET_C_REFHOST_API PixetHostReport* PIXET_C_CALL PixetDesktopOpenReport(int width, int height);
PIXET_C_REFHOST_API void PIXET_C_CALL PixetDesktopCloseReport(PixetHostReport* report);

/* Adds control `field` (> 0, unique in its window or report). image: 1 for an image
 * control (shows image files), 0 for a plain one. 1 done, 0 refused. */
PIXET_C_REFHOST_API int PIXET_C_CALL PixetDesktopAddControl(PixetHostWindow* window, short field, int x, int y,
                                                            int width, int height, int image);
PIXET_C_REFHOST_API int PIXET_C_CALL PixetDesktopAddReportControl(PixetHostReport* report, short field, int x,
                                                                  int y, int width, int height, int image);
/* The host application itself shows an image file in an image control (a missing file
 * empties it). */
PIXET_C_REFHOST_API void PIXET_C_CALL PixetDesktopShowFile(PixetHostWindow* window, short field, const char* file);
/* The pixel size of the picture an image control shows (0 x 0: none). 1 for a known
 * control, 0 otherwise. */
PIXET_C_REFHOST_API int PIXET_C_CALL PixetDesktopShownImageSize(PixetHostWindow* window, short field, int* width,
                                                                int* height);
/* The HWND of the window (field 0) or of one of its controls; null if unknown. */
PIXET_C_REFHOST_API void* PIXET_C_CALL PixetDesktopWindowHandle(PixetHostWindow* window, short field);

/* The calling thread's current target window (the target of control-number sources). */
PIXET_C_REFHOST_API void PIXET_C_CALL PixetDesktopSetCurrentWindow(PixetHostWindow* window);
/* Handles the calling thread's pending window messages, so windows paint. */
PIXET_C_REFHOST_API void PIXET_C_CALL PixetDesktopPumpMessages(void);

/* Message boxes shown so far, oldest first. A text stays valid until the next message
 * box or PixetDesktopClearMessages; null past the end. */
PIXET_C_REFHOST_API int PIXET_C_CALL PixetDesktopMessageCount(void);
PIXET_C_REFHOST_API const char* PIXET_C_CALL PixetDesktopMessageText(int index);
PIXET_C_REFHOST_API void PIXET_C_CALL PixetDesktopClearMessages(void);

#ifdef __cplusplus
}
#endif

#endif /* PIXET_PIXET_C_REFHOST_H */
