#include <windows.h>

#include <string>

#include "base/boundary.h"
#include "base/unique_any.h"
#include "clipboard/clipboard_image.h"
#include "convert/encoder.h"
#include "convert/save_image.h"
#include "core/engine.h"
#include "core/host_access.h"
#include "core/text.h"
#include "pixet/pixet.h"

namespace pixet {
namespace {

// What both forms do, on a name with its trailing blanks removed.
std::int32_t PasteTo(Pixet& self, const std::wstring& target) {
  if (target.empty() || target.size() > kMaxTargetChars) return 0;
  const char* mime = MimeTypeForTarget(target);
  if (mime == nullptr) {
    host::ShowMessage("Invalid Format!");
    return 0;
  }
  if (self.ENGINELOADED == 0) return 0;
  const engine::Session session;
  if (!session.started()) return 0;
  GUID encoder{};
  self.GetEncoderClsid(mime, &encoder);  // through the method table, as the conversions choose theirs
  engine::unique_gp_bitmap bitmap;
  {
    const unique_clipboard open = AcquireClipboard(nullptr);
    if (open) bitmap = clipboard::BitmapFromOpenClipboard();
  }  // closed before the file is written: the bitmap holds its own pixels
  return bitmap && SaveImage(bitmap.get(), target, &encoder) ? 1 : 0;
}

}  // namespace
}  // namespace pixet

std::int32_t Pixet::PasteFromClipboard(const char* target) {
  return pixet::Guarded(std::int32_t{0}, [&]() -> std::int32_t {
    return pixet::PasteTo(*this, pixet::text::WideFromAnsi(target));
  });
}

std::int32_t Pixet::PasteFromClipboardW(const wchar_t* target) {
  return pixet::Guarded(std::int32_t{0}, [&]() -> std::int32_t {
    return pixet::PasteTo(*this, pixet::text::Clip(target));
  });
}
