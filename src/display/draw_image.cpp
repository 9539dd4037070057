#include <windows.h>

#include "base/boundary.h"
#include "base/unique_any.h"
#include "core/engine.h"
#include "core/host_access.h"
#include "display/display_source.h"
#include "pixet/pixet.h"

namespace pixet {
namespace {

// What both forms do; `load` gives the source.
std::int32_t Draw(Pixet& self, PixetHostWindow* window, const SourceLoader& load, std::int16_t control,
                  std::int32_t wholeWindow) {
  if (self.ENGINELOADED == 0) return 0;
  engine::Session session;
  if (!session.started()) return 0;
  // Released in reverse: drawing surface, device context, source, then the session.
  const engine::unique_gp_image source = load();
  unique_window_dc dc;
  engine::unique_gp_graphics graphics;

  host::Write(HostTarget::Of(window), HostProperty::PixelUnits, 1);
  const HostTarget target = HostTarget::Current(control);
  if (wholeWindow == 0) {
    const long long x = host::Read(target, HostProperty::Left);
    const long long y = host::Read(target, HostProperty::Top);
    const long long width = host::Read(target, HostProperty::Width);
    const long long height = host::Read(target, HostProperty::Height);
    const RECT rect{static_cast<LONG>(x), static_cast<LONG>(y), static_cast<LONG>(x + width),
                    static_cast<LONG>(y + height)};
    const HWND client = reinterpret_cast<HWND>(host::Read(HostTarget::Of(window), HostProperty::ClientAreaHandle));
    // A null window would make the system repaint every window on the desktop.
    if (client != nullptr) ::InvalidateRect(client, &rect, TRUE);
  }
  const HWND hwnd = reinterpret_cast<HWND>(host::Read(target, HostProperty::WindowHandle));
  if (hwnd != nullptr) {
    dc = AcquireWindowDC(hwnd);
    PIXET_CALL(GdipCreateFromHDC, dc.get().dc, graphics.put());
  }
  const HostTarget current = HostTarget::Current();
  host::Write(current, HostProperty::PixelUnits, 1);
  host::Redraw(current);
  if (source && graphics) {
    // Stretched to the control's size at the top-left of its window DC; engine default
    // interpolation. Lasts until the control is next painted. Deliberately the full
    // sizes, not cut to 16 bits as the picture control's are.
    const INT width = static_cast<INT>(host::Read(target, HostProperty::Width));
    const INT height = static_cast<INT>(host::Read(target, HostProperty::Height));
    PIXET_CALL(GdipDrawImageRectI, graphics.get(), source.get(), 0, 0, width, height);
  }
  host::Write(current, HostProperty::PixelUnits, 0);
  return 1;
}

}  // namespace
}  // namespace pixet

std::int32_t Pixet::DrawImage(PixetHostWindow* window, const char* image, std::int16_t control,
                              std::int32_t wholeWindow, std::int32_t) {
  return pixet::Guarded(std::int32_t{0}, [&]() -> std::int32_t {
    return pixet::Draw(*this, window, [&] { return pixet::LoadDisplaySource(*this, image); }, control, wholeWindow);
  });
}

std::int32_t Pixet::DrawImageW(PixetHostWindow* window, const wchar_t* image, std::int16_t control,
                               std::int32_t wholeWindow, std::int32_t) {
  return pixet::Guarded(std::int32_t{0}, [&]() -> std::int32_t {
    return pixet::Draw(*this, window, [&] { return pixet::LoadDisplaySource(*this, image); }, control, wholeWindow);
  });
}
