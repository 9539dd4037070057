/* A C program on an installed Pixet's C interface, over a host made of callbacks, then
 * the ready desktop host.  c_consumer SAMPLE (a 64 x 48 image file). Writes
 * c-callback.tif (converted from the image the host holds for control 7) and
 * c-loaded.bmp (what LoadImage handed to control 6). Exit code 0 when every check held. */
#include <windows.h>

#include <stdio.h>

#include "pixet/pixet_c_refhost.h"

static int failures = 0;
static void Check(int held, int line, const char* text) {
  if (held) return;
  ++failures;
  fprintf(stderr, "c_consumer: line %d: failed: %s\n", line, text);
}
#define CHECK(c) Check((c) != 0, __LINE__, #c)

static HGLOBAL image; /* the sample's bytes, as a host keeps an image control's image */

static PixetIntPtr PIXET_C_CALL ReadProperty(void* user, const PixetHostTarget* target, int id) {
  (void)user;
  return target->field == 7 && id == PIXET_PROPERTY_IMAGE_MEMORY_BLOCK ? (PixetIntPtr)image : 0;
}

static void PIXET_C_CALL WriteBytes(void* user, const PixetHostTarget* target, int id, const void* bytes, size_t size) {
  FILE* file = target->field == 6 && id == PIXET_PROPERTY_IMAGE_FILE_BYTES ? fopen("c-loaded.bmp", "wb") : NULL;
  (void)user;
  if (file != NULL) {
    fwrite(bytes, 1, size, file);
    fclose(file);
  }
}

int main(int argc, char** argv) {
  PixetHostCallbacks callbacks = {.readProperty = ReadProperty, .writePropertyBytes = WriteBytes};
  PixetObject* pixet;
  FILE* sample = argc == 2 ? fopen(argv[1], "rb") : NULL;
  long size;
  if (sample == NULL || fseek(sample, 0, SEEK_END) != 0 || (size = ftell(sample)) <= 0) return 2;
  rewind(sample);
  image = GlobalAlloc(GMEM_MOVEABLE, (SIZE_T)size);
  CHECK(fread(GlobalLock(image), 1, (size_t)size, sample) == (size_t)size);
  GlobalUnlock(image);
  fclose(sample);

  CHECK(PixetRegisterCallbackHost(&callbacks) == 1);
  pixet = PixetNew();
  CHECK(PixetEngineLoaded(pixet) == 1);
  CHECK(PixetConvertImage(pixet, "7", "c-callback.tif") == 1); /* a control number as the source */
  /* The window is the host's own: Pixet only hands it back in the target. */
  CHECK(PixetLoadImage(pixet, (PixetHostWindow*)&callbacks, argv[1], 6) == 1);
  /* The desktop host (pixet_c_refhost.dll) takes the message box of a refused call. */
  CHECK(PixetRegisterDesktopHost(PIXET_MESSAGES_RECORD) == 1);
  CHECK(PixetConvertImage(pixet, argv[1], "c.xyz") == 0 && PixetDesktopMessageCount() == 1);
  PixetDelete(pixet);
  PixetReleaseDesktopHost();
  GlobalFree(image);
  return failures == 0 ? 0 : 1;
}
