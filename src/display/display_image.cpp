#include <windows.h>

#include "base/boundary.h"
#include "base/unique_any.h"
#include "core/engine.h"
#include "core/host_access.h"
#include "display/display_source.h"
#include "pixet/pixet.h"

namespace pixet {
namespace {

// A system colour (COLORREF, red in the low byte) as the engine's opaque ARGB.
Gdiplus::ARGB OpaqueSystemColour(int index) {
  const COLORREF c = ::GetSysColor(index);
  return 0xFF000000u | (static_cast<Gdiplus::ARGB>(GetRValue(c)) << 16) |
         (static_cast<Gdiplus::ARGB>(GetGValue(c)) << 8) | GetBValue(c);
}

// What both forms do; `load` gives the source.
std::int32_t Display(Pixet& self, PixetHostWindow* window, const SourceLoader& load, std::int16_t control,
                     std::int32_t wholeWindow, std::int32_t workspaceColours) {
  if (self.ENGINELOADED == 0) return 0;
  engine::Session session;
  if (!session.started()) return 0;
  // Released in reverse: drawing surface, source, target bitmap, then the session.
  engine::unique_gp_bitmap target;
  const engine::unique_gp_image source = load();
  engine::unique_gp_graphics graphics;

  // Engine statuses are not tested: a failed step leaves null handles that the later
  // steps pass on, and the picture control is made all the same.
  Gdiplus::PixelFormat format = 0;
  PIXET_CALL(GdipGetImagePixelFormat, source.get(), &format);
  host::Write(HostTarget::Of(window), HostProperty::PixelUnits, 1);
  const HostTarget sized = wholeWindow != 0 ? HostTarget::Of(window) : HostTarget::Current(control);
  // Deliberately the full sizes, not cut to 16 bits as the picture control's are.
  const INT width = static_cast<INT>(host::Read(sized, HostProperty::Width));
  const INT height = static_cast<INT>(host::Read(sized, HostProperty::Height));

  PIXET_CALL(GdipCreateBitmapFromScan0, width, height, 0, format, nullptr, target.put());
  PIXET_CALL(GdipGetImageGraphicsContext, target.get(), graphics.put());
  PIXET_CALL(GdipSetInterpolationMode, graphics.get(), Gdiplus::InterpolationModeLowQuality);
  Gdiplus::REAL x_dpi = 0;
  Gdiplus::REAL y_dpi = 0;
  PIXET_CALL(GdipGetImageHorizontalResolution, source.get(), &x_dpi);
  PIXET_CALL(GdipGetImageVerticalResolution, source.get(), &y_dpi);
  PIXET_CALL(GdipBitmapSetResolution, target.get(), x_dpi, y_dpi);
  PIXET_CALL(GdipGraphicsClear, graphics.get(), OpaqueSystemColour(workspaceColours != 0 ? COLOR_APPWORKSPACE : COLOR_BTNFACE));
  PIXET_CALL(GdipDrawImageRectI, graphics.get(), source.get(), 0, 0, width, height);
  unique_hbitmap bitmap;  // deleted unless a control takes it
  PIXET_CALL(GdipCreateHBITMAPFromBitmap, target.get(), bitmap.put(),
             OpaqueSystemColour(workspaceColours != 0 ? COLOR_WINDOWFRAME : COLOR_BTNFACE));

  // Only now, with the bitmap handle ready; through the method table.
  const HWND picture = reinterpret_cast<HWND>(static_cast<std::intptr_t>(self.CreatePictureBox(window, control, wholeWindow)));
  if (::IsWindow(picture))  // the control owns it now
    ::SendMessageA(picture, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap.release()));
  return 1;
}

}  // namespace
}  // namespace pixet

std::int32_t Pixet::DisplayImage(PixetHostWindow* window, const char* image, std::int16_t control,
                                 std::int32_t wholeWindow, std::int32_t workspaceColours) {
  return pixet::Guarded(std::int32_t{0}, [&]() -> std::int32_t {
    return pixet::Display(*this, window, [&] { return pixet::LoadDisplaySource(*this, image); }, control, wholeWindow, workspaceColours);
  });
}

std::int32_t Pixet::DisplayImageW(PixetHostWindow* window, const wchar_t* image, std::int16_t control,
                                  std::int32_t wholeWindow, std::int32_t workspaceColours) {
  return pixet::Guarded(std::int32_t{0}, [&]() -> std::int32_t {
    return pixet::Display(*this, window, [&] { return pixet::LoadDisplaySource(*this, image); }, control, wholeWindow, workspaceColours);
  });
}
