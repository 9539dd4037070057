/* Pixet's flat C interface: a Pixet object behind an opaque handle, one function per
 * method, and a host runtime given as a table of callbacks. For C, and for languages
 * that call DLL functions by plain name (Python ctypes' WinDLL, C# P/Invoke, Delphi).
 *
 * - Calling convention: __stdcall (PIXET_C_CALL), for the functions and the callbacks.
 *   The 32-bit DLL exports the functions under their plain names (no @N suffix).
 * - Texts are NUL-terminated ANSI (code page CP_ACP); trailing blanks never matter.
 * - int is 32 bits, short 16 bits; PixetIntPtr is a signed integer the size of a pointer
 *   (handles travel as such numbers).
 * - Results are exactly those of the C++ methods: 1 done, 0 refused or failed, unless
 *   said otherwise. A null object handle gives 0 and does nothing.
 * - No C++ exception leaves these functions: a method that throws (a C++ class derived
 *   from Pixet can) gives 0.
 *
 * Compiles as C89, C99 and C++. In C++ the handle is the Pixet object itself, so objects
 * made with Pixet::Create (or of a derived class) can be handed to these functions. */
#ifndef PIXET_PIXET_C_H
#define PIXET_PIXET_C_H

#include <stddef.h>

/* The DLL exports these functions through its module-definition file. */
#if defined(PIXET_BUILDING_DLL)
#define PIXET_C_API
#else
#define PIXET_C_API __declspec(dllimport)
#endif
#define PIXET_C_CALL __stdcall

#ifdef __cplusplus
class Pixet;
typedef Pixet PixetObject;
extern "C" {
#else
typedef struct PixetObject PixetObject;
#endif

typedef ptrdiff_t PixetIntPtr;
/* The host's windows and reports: Pixet never looks inside them. */
typedef struct PixetHostWindow PixetHostWindow;
typedef struct PixetHostReport PixetHostReport;
struct _GUID;

/* ---- The host runtime as callbacks ----------------------------------------------- */

/* Whose property is meant. */
enum PixetTargetKind {
  PIXET_TARGET_SYSTEM = 0,         /* the host's application-wide object */
  PIXET_TARGET_WINDOW = 1,         /* `window`, or one of its controls */
  PIXET_TARGET_REPORT = 2,         /* `report`, or one of its controls */
  PIXET_TARGET_CURRENT_WINDOW = 3  /* the calling thread's current target window */
};

typedef struct PixetHostTarget {
  int kind; /* enum PixetTargetKind */
  PixetHostWindow* window;
  PixetHostReport* report;
  short field; /* control number; 0: the window or report itself */
} PixetHostTarget;

/* Property identifiers. */
enum PixetHostProperty {
  PIXET_PROPERTY_CONTROL_TEXT = 0x7C00,       /* for an image control: the file it shows */
  PIXET_PROPERTY_LEFT = 0x7C02,               /* position in the window's client area */
  PIXET_PROPERTY_TOP = 0x7C03,
  PIXET_PROPERTY_WIDTH = 0x7C04,              /* of a control, or of the window (field 0) */
  PIXET_PROPERTY_HEIGHT = 0x7C05,
  PIXET_PROPERTY_PIXEL_UNITS = 0x7C1E,        /* 1: later positions and sizes in pixels */
  PIXET_PROPERTY_IMAGE_FILE_BYTES = 0x7C94,   /* image as the bytes of an image file */
  PIXET_PROPERTY_WINDOW_HANDLE = 0x7C96,      /* HWND of a control or of the window */
  PIXET_PROPERTY_CLIENT_AREA_HANDLE = 0x7CAB, /* HWND of the window's client area */
  PIXET_PROPERTY_IMAGE_MEMORY_BLOCK = 0x7CB6, /* image as an HGLOBAL holding an image file */
  PIXET_PROPERTY_INSTANCE_HANDLE = 0x7CBE     /* the application's HINSTANCE (system) */
};

enum PixetMessageIcon { PIXET_ICON_NONE = 0, PIXET_ICON_INFORMATION = 0x40 };

/* One callback per host operation, called on the thread that called the Pixet
 * function; `user` comes back as their first argument. A null callback makes its
 * operation do nothing (a read gives 0). */
typedef struct PixetHostCallbacks {
  void* user;
  /* A property as a number; handles as their integer value; unknown ones 0. */
  PixetIntPtr(PIXET_C_CALL* readProperty)(void* user, const PixetHostTarget* target, int id);
  void(PIXET_C_CALL* writeProperty)(void* user, const PixetHostTarget* target, int id, PixetIntPtr value);
  void(PIXET_C_CALL* writePropertyText)(void* user, const PixetHostTarget* target, int id, const char* text);
  /* The bytes are valid only during the call: copy them. */
  void(PIXET_C_CALL* writePropertyBytes)(void* user, const PixetHostTarget* target, int id, const void* bytes,
                                         size_t size);
  /* One control, or every control of the current target window when field is 0. */
  void(PIXET_C_CALL* redraw)(void* user, const PixetHostTarget* target);
  /* Modal box with one OK button; '|' in text starts a new line; caption may be null;
   * icon: enum PixetMessageIcon. */
  void(PIXET_C_CALL* showMessage)(void* user, const char* text, const char* caption, int icon);
} PixetHostCallbacks;

/* Registers a host made of these callbacks (copied) for the whole process, in place of
 * any host registered before; null registers none. Call it while no Pixet function runs
 * on another thread. 1 done, 0 when the host could not be made (nothing changes). */
PIXET_C_API int PIXET_C_CALL PixetRegisterCallbackHost(const PixetHostCallbacks* callbacks);

/* ---- The object ---------------------------------------------------------------- */

/* A new object bound to the engine (a missing engine shows its message box and gives
 * an unbound object); null when none could be made. */
PIXET_C_API PixetObject* PIXET_C_CALL PixetNew(void);
PIXET_C_API void PIXET_C_CALL PixetDelete(PixetObject* object);

/* Fields. ENGINELOADED; USERESOURCE (the one-shot resource switch of the display
 * methods); RESOURCESDLLNAME (stored cut or blank-padded to 128 characters; read back
 * without trailing blanks into `buffer`, cut to size - 1, and its full length returned);
 * HPICTUREBOX as an HWND; USEDRESOURCES (a name stays valid while the object lives;
 * null past the end). */
PIXET_C_API int PIXET_C_CALL PixetEngineLoaded(PixetObject* object);
PIXET_C_API int PIXET_C_CALL PixetGetUseResource(PixetObject* object);
PIXET_C_API void PIXET_C_CALL PixetSetUseResource(PixetObject* object, int use);
PIXET_C_API int PIXET_C_CALL PixetGetResourcesDllName(PixetObject* object, char* buffer, int size);
PIXET_C_API void PIXET_C_CALL PixetSetResourcesDllName(PixetObject* object, const char* name);
PIXET_C_API void* PIXET_C_CALL PixetPictureBox(PixetObject* object);
PIXET_C_API int PIXET_C_CALL PixetUsedResourceCount(PixetObject* object);
PIXET_C_API const char* PIXET_C_CALL PixetUsedResourceName(PixetObject* object, int index);

/* ---- The methods, in slot order ------------------------------------------------ */

PIXET_C_API void PIXET_C_CALL PixetCaptureDesktopToBmp(PixetObject* object, const char* file);
PIXET_C_API void PIXET_C_CALL PixetCaptureClientToBmp(PixetObject* object, const char* file);
PIXET_C_API void PIXET_C_CALL PixetCaptureClientRectToBmp(PixetObject* object, const char* file, int x, int y,
                                                          int width, int height);
PIXET_C_API void PIXET_C_CALL PixetCaptureWindowToBmp(PixetObject* object, const char* file);
PIXET_C_API int PIXET_C_CALL PixetConvertImage(PixetObject* object, const char* source, const char* target);
PIXET_C_API int PIXET_C_CALL PixetConvertToGrayscaleImage(PixetObject* object, const char* source,
                                                          const char* target);
PIXET_C_API int PIXET_C_CALL PixetCopyToClipboard(PixetObject* object, const char* file);
PIXET_C_API int PIXET_C_CALL PixetCreatePictureBox(PixetObject* object, PixetHostWindow* window, short control,
                                                   int wholeWindow);
PIXET_C_API int PIXET_C_CALL PixetDrawImage(PixetObject* object, PixetHostWindow* window, const char* image,
                                            short control, int wholeWindow, int unused);
PIXET_C_API int PIXET_C_CALL PixetLoadImage(PixetObject* object, PixetHostWindow* window, const char* source,
                                            short control);
PIXET_C_API int PIXET_C_CALL PixetLoadImageFromClipboard(PixetObject* object, PixetHostWindow* window,
                                                         short control);
/* The report overload of LoadImage. */
PIXET_C_API int PIXET_C_CALL PixetLoadReportImage(PixetObject* object, PixetHostReport* report,
                                                  const char* source, short control);
PIXET_C_API int PIXET_C_CALL PixetDisplayImage(PixetObject* object, PixetHostWindow* window, const char* image,
                                               short control, int wholeWindow, int workspaceColours);
PIXET_C_API int PIXET_C_CALL PixetDisplayImageAsBackground(PixetObject* object, PixetHostWindow* window,
                                                           const char* image, int unused);
PIXET_C_API void PIXET_C_CALL PixetGetEncoderClsid(PixetObject* object, const char* mimeType,
                                                   struct _GUID* clsid);
PIXET_C_API int PIXET_C_CALL PixetGetFunctionPointers(PixetObject* object);
PIXET_C_API void PIXET_C_CALL PixetResizeImage(PixetObject* object);
/* An engine image (GpImage*) that the caller disposes, or 0. module null: the host
 * program's own resources; given: the library of that name. */
PIXET_C_API PixetIntPtr PIXET_C_CALL PixetImageHandleFromResource(PixetObject* object, const char* name,
                                                                  const char* module);
PIXET_C_API int PIXET_C_CALL PixetSaveResourceToFile(PixetObject* object, const char* name, const char* file,
                                                     const char* module);

/* ---- Images from the web (after the slots) ---------------------------------------- */

/* Pixet::LoadImageFromWeb: http:// and https:// addresses, certificates checked,
 * at most 5 redirects and never from https to http, the object's limits below; results
 * as PixetLoadImage's. See pixet.h. */
PIXET_C_API int PIXET_C_CALL PixetLoadImageFromWeb(PixetObject* object, PixetHostWindow* window,
                                                   const char* address, short control);
/* The object's time limit for connecting and for each read, in milliseconds (default
 * 30000), and its body size limit in bytes (default 268435456, 256 MiB); 0 or less
 * restores the default. The getters give 0 for a null object. */
PIXET_C_API void PIXET_C_CALL PixetSetWebTimeout(PixetObject* object, int milliseconds);
PIXET_C_API int PIXET_C_CALL PixetGetWebTimeout(PixetObject* object);
PIXET_C_API void PIXET_C_CALL PixetSetWebSizeLimit(PixetObject* object, unsigned int bytes);
PIXET_C_API unsigned int PIXET_C_CALL PixetGetWebSizeLimit(PixetObject* object);

/* ---- UTF-16 names (after the slots) ------------------------------------------------ */

/* The UTF-16 forms of the functions of the same name without W: any name a file can
 * have, kept UTF-16 to the engine and the file system; results, messages and files as
 * the ANSI forms' for the same name. From C#, a string marshalled as LPWStr; from
 * Python, ctypes.c_wchar_p. */
PIXET_C_API int PIXET_C_CALL PixetConvertImageW(PixetObject* object, const wchar_t* source, const wchar_t* target);
PIXET_C_API int PIXET_C_CALL PixetConvertToGrayscaleImageW(PixetObject* object, const wchar_t* source,
                                                           const wchar_t* target);
PIXET_C_API void PIXET_C_CALL PixetCaptureDesktopToBmpW(PixetObject* object, const wchar_t* file);
PIXET_C_API void PIXET_C_CALL PixetCaptureClientToBmpW(PixetObject* object, const wchar_t* file);
PIXET_C_API void PIXET_C_CALL PixetCaptureClientRectToBmpW(PixetObject* object, const wchar_t* file, int x, int y,
                                                           int width, int height);
PIXET_C_API void PIXET_C_CALL PixetCaptureWindowToBmpW(PixetObject* object, const wchar_t* file);
PIXET_C_API PixetIntPtr PIXET_C_CALL PixetImageHandleFromResourceW(PixetObject* object, const wchar_t* name,
                                                                   const wchar_t* module);
PIXET_C_API int PIXET_C_CALL PixetSaveResourceToFileW(PixetObject* object, const wchar_t* name, const wchar_t* file,
                                                      const wchar_t* module);
PIXET_C_API int PIXET_C_CALL PixetDrawImageW(PixetObject* object, PixetHostWindow* window, const wchar_t* image,
                                             short control, int wholeWindow, int unused);
PIXET_C_API int PIXET_C_CALL PixetDisplayImageW(PixetObject* object, PixetHostWindow* window, const wchar_t* image,
                                                short control, int wholeWindow, int workspaceColours);
PIXET_C_API int PIXET_C_CALL PixetDisplayImageAsBackgroundW(PixetObject* object, PixetHostWindow* window,
                                                            const wchar_t* image, int unused);
PIXET_C_API int PIXET_C_CALL PixetCopyToClipboardW(PixetObject* object, const wchar_t* file);
PIXET_C_API int PIXET_C_CALL PixetLoadImageW(PixetObject* object, PixetHostWindow* window, const wchar_t* source,
                                             short control);
PIXET_C_API int PIXET_C_CALL PixetLoadReportImageW(PixetObject* object, PixetHostReport* report,
                                                   const wchar_t* source, short control);
PIXET_C_API int PIXET_C_CALL PixetLoadImageFromWebW(PixetObject* object, PixetHostWindow* window,
                                                    const wchar_t* address, short control);

/* Pixet::CaptureScreen: monitor 0 is the whole virtual screen, 1..N each monitor; the file
 * in the format of its extension, in physical pixels. 1 when written. See pixet.h. */
PIXET_C_API int PIXET_C_CALL PixetCaptureScreen(PixetObject* object, int monitor, const char* file);
PIXET_C_API int PIXET_C_CALL PixetCaptureScreenW(PixetObject* object, int monitor, const wchar_t* file);
/* Pixet::CopyToClipboardWithAlpha and PasteFromClipboard: images with transparency on the
 * clipboard ("PNG", CF_DIBV5, CF_BITMAP). See pixet.h. */
PIXET_C_API int PIXET_C_CALL PixetCopyToClipboardWithAlpha(PixetObject* object, const char* file);
PIXET_C_API int PIXET_C_CALL PixetCopyToClipboardWithAlphaW(PixetObject* object, const wchar_t* file);
PIXET_C_API int PIXET_C_CALL PixetPasteFromClipboard(PixetObject* object, const char* target);
PIXET_C_API int PIXET_C_CALL PixetPasteFromClipboardW(PixetObject* object, const wchar_t* target);

#ifdef __cplusplus
}
#endif

#endif /* PIXET_PIXET_C_H */
