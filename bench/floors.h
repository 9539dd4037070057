// The floor: each operation done straight through the GDI+ flat API and Win32, the least
// any implementation must spend. They run inside the bench's one engine session and
// take encoders looked up once, so Pixet's per-call start-up and lookup show against them.
#pragma once

#include "common.h"

namespace bench {

// The encoders the operations write with, looked up once (needs a running engine).
struct Encoders {
  CLSID bmp;
  CLSID jpeg;
  CLSID png;
  CLSID tiff;
  CLSID gif;
  Encoders();
  // "png", "jpg", "tif", "gif", anything else: BMP.
  const CLSID& For(const std::string& extension) const;
};

// Decode `source`, encode it to `target`.
bool FloorConvert(const std::wstring& source, const std::wstring& target, const CLSID& encoder);

// Decode, draw through the grey colour matrix onto a bitmap made from the source's
// graphics, encode: the engine calls Pixet makes.
bool FloorGrayscale(const std::wstring& source, const std::wstring& target, const CLSID& encoder);

// Decode, save as BMP to `temp`, read it whole, hand the bytes to the image control.
bool FloorLoad(pixet::refhost::DesktopHost& host, PixetHostWindow* window, const std::wstring& source,
               const std::string& temp, const CLSID& bmp);

// The image stretched onto a bitmap of the display control's size, shown in a new picture
// control on `parent`. The caller removes it with RemovePicture.
HWND FloorDisplay(HWND parent, const std::wstring& source);

// Whether a picture control shows a bitmap.
bool ShowsBitmap(HWND picture);

// Removes a picture control and the bitmap it shows; clears `picture`.
void RemovePicture(HWND& picture);

// Loads `module`, streams type-0 resource `name` from a movable copy, encodes it.
bool FloorSaveResource(const std::string& module, const char* name, const std::wstring& target,
                       const CLSID& encoder);

// BitBlt, GetDIBits and WriteFile of the area Pixet captures (the whole window with its
// frame, or the client area), in the same file layout.
// The body at `address` read with WinINet into `body` (a file), then loaded into the image
// control as FloorLoad does.
bool FloorWebLoad(pixet::refhost::DesktopHost& host, PixetHostWindow* window, const std::string& address,
                  const std::string& body, const std::string& temp, const CLSID& bmp);

// LoadImageA of a BMP file, its bitmap put on the clipboard as CopyToClipboard does.
bool FloorCopy(const std::string& bmp, HWND owner);
// The clipboard's bitmap saved as a BMP file through the engine, and the file named in the
// image control's text, as LoadImageFromClipboard does.
bool FloorPaste(pixet::refhost::DesktopHost& host, PixetHostWindow* window, const std::wstring& file,
                const CLSID& bmp);

// `area`: that part of the client area instead. `safely`: as Pixet replaces an existing
// file, through a whole new file beside it and a rename; otherwise the file is simply
// overwritten.
bool FloorCapture(HWND window, bool whole, const std::string& file, bool safely = false, const RECT* area = nullptr);

}  // namespace bench
