#include <windows.h>

#include "base/boundary.h"
#include "core/host_access.h"
#include "display/window_coordinate.h"
#include "pixet/pixet.h"

void Pixet::ResizeImage() {
  pixet::Guarded([&] {
    using namespace pixet;
    // Fits the newest picture control to the current target window; nothing is rendered
    // again and the engine is not used. A missing control makes the move fail silently.
    const HostTarget current = HostTarget::Current();
    host::Write(current, HostProperty::PixelUnits, 1);
    const int width = WindowCoordinate(host::Read(current, HostProperty::Width));
    const int height = WindowCoordinate(host::Read(current, HostProperty::Height));
    ::MoveWindow(HPICTUREBOX, 0, 0, width, height, TRUE);
    host::Write(current, HostProperty::PixelUnits, 0);
  });
}
