// Private to the desktop host: its records behind PixetHostWindow*/PixetHostReport*,
// and what the host's source files share (window classes, image decoding).
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/unique_any.h"
#include "pixet/refhost.h"

namespace pixet::refhost {

struct DesktopHost::Control {
  Surface* surface = nullptr;
  std::int16_t field = 0;
  ControlKind kind = ControlKind::Plain;
  COLORREF colour = kPlainColour;
  std::string text;
  std::optional<std::intptr_t> writtenHandle;
  // Image controls: the image file as received (shared with snapshots, never changed in
  // place), the same bytes in a movable block handed out through ImageMemoryBlock (owned
  // here), and the decoded picture.
  SharedBytes bytes = EmptyBytes();
  unique_hglobal block;
  unique_hbitmap bitmap;
  PixelSize shown;
  // Last, so that it goes first: the window paints from this record. Released when the
  // system destroys the window.
  unique_window hwnd;
};

// A window or a report: a top-level frame (hidden for reports) and a client-area child
// that fills it and parents the controls.
struct DesktopHost::Surface {
  bool report = false;
  unique_window frame;  // released when the system destroys the window
  HWND client = nullptr;  // the frame's child: goes with it
  bool pixelUnits = false;
  std::optional<std::intptr_t> writtenHandle;
  std::map<std::int16_t, std::unique_ptr<Control>> controls;
};

namespace detail {

// Control `field` of a surface; null when either is missing.
inline DesktopHost::Control* FindControl(const DesktopHost::Surface* surface, std::int16_t field) {
  if (surface == nullptr) return nullptr;
  const auto found = surface->controls.find(field);
  return found != surface->controls.end() ? found->second.get() : nullptr;
}

// --- Window classes (window_classes.cpp) ----------------------------------------------
// Frame and client windows carry their Surface*, control windows their Control*, as the
// creation parameter. The classes are registered once per process, on first use.
extern const char kFrameClass[];
extern const char kClientClass[];
extern const char kControlClass[];
void EnsureClasses();
HINSTANCE Instance();

// --- Images (image_decoding.cpp) ------------------------------------------------------
// A movable block holding a copy of `bytes`; null when size is 0 or memory runs out.
unique_hglobal CopyToMovableBlock(const unsigned char* bytes, std::size_t size);
// The picture of an image file: with GDI+ loaded for the call, else as a plain BMP.
// Null when neither reads it; `shown` gets the picture's size otherwise.
unique_hbitmap DecodeImage(const unsigned char* bytes, std::size_t size, PixelSize* shown);

}  // namespace detail
}  // namespace pixet::refhost
