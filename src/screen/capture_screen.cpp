#include <windows.h>

#include <cstring>
#include <optional>
#include <string>

#include "base/boundary.h"
#include "capture/bmp_capture.h"
#include "capture/process_capture.h"
#include "convert/encoder.h"
#include "convert/save_image.h"
#include "core/engine.h"
#include "core/host_access.h"
#include "core/text.h"
#include "pixet/pixet.h"
#include "screen/dpi_awareness.h"
#include "screen/monitor_area.h"

namespace pixet {
namespace {

// What both forms do, on a name with its trailing blanks removed. A BMP is written as the
// captures write theirs; the other formats go through the engine.
std::int32_t CaptureScreenTo(Pixet& self, std::int32_t monitor, const std::wstring& target) {
  if (target.empty() || target.size() > kMaxTargetChars) return 0;
  const char* mime = MimeTypeForTarget(target);
  if (mime == nullptr) {
    host::ShowMessage("Invalid Format!");
    return 0;
  }
  BmpCapture* capture = capture::ProcessCapture();
  if (capture == nullptr) return 0;
  const bool bmp = std::strcmp(mime, "image/bmp") == 0;
  std::optional<engine::Session> session;  // started before the capture, ended after the engine's objects
  GUID encoder{};
  if (!bmp) {
    if (self.ENGINELOADED == 0) return 0;
    if (!session.emplace().started()) return 0;
    self.GetEncoderClsid(mime, &encoder);  // through the method table, as the conversions choose theirs
  }
  const screen::PerMonitorDpiScope physical_pixels;
  const std::optional<RECT> area = screen::MonitorArea(monitor);
  if (!area) return 0;
  if (bmp) return capture->CaptureScreenArea(*area, target) ? 1 : 0;
  return capture->CaptureScreenArea(*area, target, [&](const BITMAPINFO* info, const void* rows) {
    engine::unique_gp_bitmap bitmap;
    PIXET_CALL(GdipCreateBitmapFromGdiDib, info, const_cast<void*>(rows), bitmap.put());
    return bitmap && SaveImage(bitmap.get(), target, &encoder);
  }) ? 1 : 0;
}

}  // namespace
}  // namespace pixet

std::int32_t Pixet::CaptureScreen(std::int32_t monitor, const char* file) {
  return pixet::Guarded(std::int32_t{0}, [&]() -> std::int32_t {
    return pixet::CaptureScreenTo(*this, monitor, pixet::text::WideFromAnsi(file));
  });
}

std::int32_t Pixet::CaptureScreenW(std::int32_t monitor, const wchar_t* file) {
  return pixet::Guarded(std::int32_t{0}, [&]() -> std::int32_t {
    return pixet::CaptureScreenTo(*this, monitor, pixet::text::Clip(file));
  });
}
