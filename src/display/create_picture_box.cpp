#include <windows.h>

#include "base/boundary.h"
#include "core/host_access.h"
#include "display/window_coordinate.h"
#include "pixet/pixet.h"

std::int32_t Pixet::CreatePictureBox(PixetHostWindow* window, std::int16_t control, std::int32_t wholeWindow) {
  return pixet::Guarded(std::int32_t{0}, [&]() -> std::int32_t {
    using namespace pixet;
    const HostTarget given = HostTarget::Of(window);
    host::Write(given, HostProperty::PixelUnits, 1);
    // Over the whole window at 0, 0, or over the control in the current target window.
    const HostTarget placed = wholeWindow != 0 ? given : HostTarget::Current(control);
    int x = 0;
    int y = 0;
    if (wholeWindow == 0) {
      x = WindowCoordinate(host::Read(placed, HostProperty::Left));
      y = WindowCoordinate(host::Read(placed, HostProperty::Top));
    }
    const int width = WindowCoordinate(host::Read(placed, HostProperty::Width));
    const int height = WindowCoordinate(host::Read(placed, HostProperty::Height));
    const HWND parent = reinterpret_cast<HWND>(host::Read(HostTarget::Current(), HostProperty::ClientAreaHandle));
    const HINSTANCE instance = reinterpret_cast<HINSTANCE>(host::Read(HostTarget::System(), HostProperty::InstanceHandle));

    const HWND picture = ::CreateWindowExA(WS_EX_TRANSPARENT, "STATIC", "", WS_CHILD | WS_VISIBLE | SS_BITMAP, x, y,
                                           width, height, parent, nullptr, instance, nullptr);
    if (wholeWindow == 0) host::Write(placed, HostProperty::WindowHandle, reinterpret_cast<std::intptr_t>(picture));
    host::Write(given, HostProperty::PixelUnits, 0);
    HPICTUREBOX = picture;
    // Window handles keep their meaning in 32 bits, also in 64-bit processes.
    return static_cast<std::int32_t>(reinterpret_cast<std::intptr_t>(picture));
  });
}
