#include <windows.h>

#include "base/boundary.h"
#include "base/unique_any.h"
#include "core/engine.h"
#include "core/host_access.h"
#include "core/text.h"
#include "core/working_files.h"
#include "pixet/pixet.h"

namespace pixet {
namespace {
constexpr char kPastedFile[] = "saved__0.bmp";  // relative: the current directory
}  // namespace
}  // namespace pixet

// The clipboard's bitmap goes through "saved__0.bmp", which the control reads when named
// in property 7C00h. A clipboard without a bitmap, or a file that cannot be written,
// gives 0 and leaves the control as it was and no file behind.
std::int32_t Pixet::LoadImageFromClipboard(PixetHostWindow* window, std::int16_t control) {
  return pixet::Guarded(std::int32_t{0}, [&]() -> std::int32_t {
    using namespace pixet;
    if (ENGINELOADED == 0) return 0;
    engine::Session session;
    if (!session.started()) return 0;
    WorkingFilesLock lock;
    if (!RemoveStale(kPastedFile)) return 0;  // as when the file cannot be written
    auto_delete_file pasted(kPastedFile);  // goes on every way out, after the control has read it
    engine::unique_gp_bitmap bitmap;
    {
      const unique_clipboard clipboard = AcquireClipboard(nullptr);
      // The clipboard owns the handle; it stays open until the engine has its own copy.
      HBITMAP shared = clipboard ? static_cast<HBITMAP>(::GetClipboardData(CF_BITMAP)) : nullptr;
      if (shared != nullptr) PIXET_CALL(GdipCreateBitmapFromHBITMAP, shared, nullptr, bitmap.put());
    }
    if (!bitmap) return 0;
    GUID encoder{};
    GetEncoderClsid("image/bmp", &encoder);
    if (PIXET_CALL(GdipSaveImageToFile, bitmap.get(), text::Widen(kPastedFile).c_str(), &encoder, nullptr) !=
        Gdiplus::Ok)
      return 0;
    const HostTarget target = HostTarget::Of(window, control);
    host::WriteText(target, HostProperty::ControlText, "");
    host::WriteText(target, HostProperty::ControlText, kPastedFile);
    pasted.reset();
    host::Redraw(target);
    return 1;
  });
}
