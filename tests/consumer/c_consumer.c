/* A C program on an installed Pixet's C interface: first with a host made of callbacks,
 * then with the ready desktop host.
 *   c_consumer SAMPLE   (a 64 x 48 image file)
 * Writes c-callback.tif (the image the callback host holds for control 7) and
 * c-desktop.png (the image of control 5 of a desktop-host window), and loads the sample
 * into that window's control 6. Exit code 0 when every check held. */
#include <windows.h>

#include <stdio.h>
#include <string.h>

#include "pixet/pixet_c_refhost.h"

static int failures = 0;

#define CHECK(condition)                                                         \
  do {                                                                           \
    if (!(condition)) {                                                          \
      ++failures;                                                                \
      fprintf(stderr, "c_consumer: line %d: failed: %s\n", __LINE__, #condition); \
    }                                                                            \
  } while (0)

/* The callback host: one image for control 7 of the current window, and the last
 * message box it was asked to show. */
typedef struct Host {
  HGLOBAL image;
  int imageReads;
  char lastMessage[64];
} Host;

static PixetIntPtr PIXET_C_CALL ReadProperty(void* user, const PixetHostTarget* target, int id) {
  Host* host = (Host*)user;
  if (target->kind != PIXET_TARGET_CURRENT_WINDOW || target->field != 7 || id != PIXET_PROPERTY_IMAGE_MEMORY_BLOCK)
    return 0;
  ++host->imageReads;
  return (PixetIntPtr)host->image;
}

static void PIXET_C_CALL ShowMessage(void* user, const char* text, const char* caption, int icon) {
  Host* host = (Host*)user;
  (void)caption;
  (void)icon;
  strncpy(host->lastMessage, text, sizeof host->lastMessage - 1);
}

/* The file's bytes in a movable memory block, as a host keeps an image control's image. */
static HGLOBAL FileInMemory(const char* path) {
  HGLOBAL block = NULL;
  FILE* file = fopen(path, "rb");
  long size;
  if (file == NULL) return NULL;
  if (fseek(file, 0, SEEK_END) == 0 && (size = ftell(file)) > 0 && fseek(file, 0, SEEK_SET) == 0) {
    block = GlobalAlloc(GMEM_MOVEABLE, (SIZE_T)size);
    void* bytes = block != NULL ? GlobalLock(block) : NULL;
    if (bytes != NULL) {
      if (fread(bytes, 1, (size_t)size, file) != (size_t)size) size = 0;
      GlobalUnlock(block);
    }
    if (bytes == NULL || size == 0) block = GlobalFree(block);
  }
  fclose(file);
  return block;
}

int main(int argc, char** argv) {
  Host host;
  PixetHostCallbacks callbacks;
  PixetObject* pixet;
  PixetHostWindow* window;
  int width = 0, height = 0;
  if (argc != 2) {
    fprintf(stderr, "usage: c_consumer SAMPLE\n");
    return 2;
  }

  memset(&host, 0, sizeof host);
  memset(&callbacks, 0, sizeof callbacks);
  callbacks.user = &host;
  callbacks.readProperty = ReadProperty;
  callbacks.showMessage = ShowMessage;
  CHECK(PixetRegisterCallbackHost(&callbacks) == 1);
  pixet = PixetNew();
  CHECK(pixet != NULL && PixetEngineLoaded(pixet) == 1);

  /* A control number as the source: the image the host holds for that control. */
  host.image = FileInMemory(argv[1]);
  CHECK(host.image != NULL);
  CHECK(PixetConvertImage(pixet, "7", "c-callback.tif") == 1);
  CHECK(host.imageReads > 0);
  CHECK(PixetConvertImage(pixet, argv[1], "c-callback.xyz") == 0);
  CHECK(strcmp(host.lastMessage, "Invalid Format!") == 0);

  /* The desktop host: a real window with an image control showing the sample. */
  host.lastMessage[0] = '\0';
  CHECK(PixetRegisterDesktopHost(PIXET_MESSAGES_RECORD) == 1);
  window = PixetDesktopOpenWindow("Pixet from C", 320, 240);
  CHECK(window != NULL);
  CHECK(PixetDesktopAddControl(window, 5, 10, 10, 128, 96, 1) == 1);
  PixetDesktopShowFile(window, 5, argv[1]);
  CHECK(PixetDesktopShownImageSize(window, 5, &width, &height) == 1 && width == 64 && height == 48);
  /* A window method: the sample loaded into a second image control. */
  CHECK(PixetDesktopAddControl(window, 6, 150, 10, 128, 96, 1) == 1);
  CHECK(PixetLoadImage(pixet, window, argv[1], 6) == 1);
  width = height = 0;
  CHECK(PixetDesktopShownImageSize(window, 6, &width, &height) == 1 && width == 64 && height == 48);
  PixetDesktopPumpMessages();
  PixetDesktopSetCurrentWindow(window);
  CHECK(PixetConvertImage(pixet, "5", "c-desktop.png") == 1);
  CHECK(PixetConvertImage(pixet, argv[1], "c-desktop.xyz") == 0);
  CHECK(PixetDesktopMessageCount() == 1 && strcmp(PixetDesktopMessageText(0), "Invalid Format!") == 0);
  CHECK(host.lastMessage[0] == '\0');

  PixetDelete(pixet);
  PixetReleaseDesktopHost();
  PixetRegisterCallbackHost(NULL);
  GlobalFree(host.image);
  printf("c_consumer: %d check(s) failed\n", failures);
  return failures == 0 ? 0 : 1;
}
