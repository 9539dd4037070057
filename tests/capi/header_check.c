/* Built as C89 and as C99 with every warning an error: the C headers compile, their
 * callback types take plain C functions, and every function they declare links against
 * the import libraries (the export check reads this program's import table). Never run. */
#include "pixet/pixet_c_refhost.h"

typedef void (*AnyFunction)(void);

/* Volatile stores, so that every address is really read from the import table. */
static AnyFunction volatile seen;
static int linked = 0;

static void Note(AnyFunction function) {
  seen = function;
  ++linked;
}

static PixetIntPtr PIXET_C_CALL Read(void* user, const PixetHostTarget* target, int id) {
  (void)user;
  return target->kind == PIXET_TARGET_SYSTEM && id == PIXET_PROPERTY_INSTANCE_HANDLE ? 1 : 0;
}

static void PIXET_C_CALL Message(void* user, const char* text, const char* caption, int icon) {
  (void)user;
  (void)text;
  (void)caption;
  (void)icon;
}

int main(void) {
  PixetHostCallbacks callbacks;
  callbacks.user = 0;
  callbacks.readProperty = Read;
  callbacks.writeProperty = 0;
  callbacks.writePropertyText = 0;
  callbacks.writePropertyBytes = 0;
  callbacks.redraw = 0;
  callbacks.showMessage = Message;

  Note((AnyFunction)PixetRegisterCallbackHost);
  Note((AnyFunction)PixetNew);
  Note((AnyFunction)PixetDelete);
  Note((AnyFunction)PixetEngineLoaded);
  Note((AnyFunction)PixetGetUseResource);
  Note((AnyFunction)PixetSetUseResource);
  Note((AnyFunction)PixetGetResourcesDllName);
  Note((AnyFunction)PixetSetResourcesDllName);
  Note((AnyFunction)PixetPictureBox);
  Note((AnyFunction)PixetUsedResourceCount);
  Note((AnyFunction)PixetUsedResourceName);
  Note((AnyFunction)PixetCaptureDesktopToBmp);
  Note((AnyFunction)PixetCaptureClientToBmp);
  Note((AnyFunction)PixetCaptureClientRectToBmp);
  Note((AnyFunction)PixetCaptureWindowToBmp);
  Note((AnyFunction)PixetConvertImage);
  Note((AnyFunction)PixetConvertToGrayscaleImage);
  Note((AnyFunction)PixetCopyToClipboard);
  Note((AnyFunction)PixetCreatePictureBox);
  Note((AnyFunction)PixetDrawImage);
  Note((AnyFunction)PixetLoadImage);
  Note((AnyFunction)PixetLoadImageFromClipboard);
  Note((AnyFunction)PixetLoadReportImage);
  Note((AnyFunction)PixetDisplayImage);
  Note((AnyFunction)PixetDisplayImageAsBackground);
  Note((AnyFunction)PixetGetEncoderClsid);
  Note((AnyFunction)PixetGetFunctionPointers);
  Note((AnyFunction)PixetResizeImage);
  Note((AnyFunction)PixetImageHandleFromResource);
  Note((AnyFunction)PixetSaveResourceToFile);

  Note((AnyFunction)PixetRegisterDesktopHost);
  Note((AnyFunction)PixetReleaseDesktopHost);
  Note((AnyFunction)PixetDesktopOpenWindow);
  Note((AnyFunction)PixetDesktopCloseWindow);
  Note((AnyFunction)PixetDesktopOpenReport);
  Note((AnyFunction)PixetDesktopCloseReport);
  Note((AnyFunction)PixetDesktopAddControl);
  Note((AnyFunction)PixetDesktopAddReportControl);
  Note((AnyFunction)PixetDesktopShowFile);
  Note((AnyFunction)PixetDesktopShownImageSize);
  Note((AnyFunction)PixetDesktopWindowHandle);
  Note((AnyFunction)PixetDesktopSetCurrentWindow);
  Note((AnyFunction)PixetDesktopPumpMessages);
  Note((AnyFunction)PixetDesktopMessageCount);
  Note((AnyFunction)PixetDesktopMessageText);
  Note((AnyFunction)PixetDesktopClearMessages);
  return linked == 46 && callbacks.readProperty == Read ? 0 : 1;
}
