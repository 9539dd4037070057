#include <windows.h>

#include <string>

#include "base/boundary.h"
#include "base/unique_any.h"
#include "clipboard/clipboard_copy.h"
#include "clipboard/clipboard_image.h"
#include "core/engine.h"
#include "core/host_access.h"
#include "core/text.h"
#include "pixet/pixet.h"

namespace pixet {
namespace {

// Places `block` on the open clipboard as `format`; once placed it is the clipboard's.
bool Place(UINT format, unique_hglobal& block) {
  if (::SetClipboardData(format, block.get()) == nullptr) return false;
  block.release();
  return true;
}

// What both forms do, on a name with its trailing blanks removed.
std::int32_t CopyWithAlpha(Pixet& self, const std::wstring& file) {
  if (self.ENGINELOADED == 0) {
    host::ShowMessage(clipboard::kNotLoaded);
    return 0;
  }
  const engine::Session session;
  engine::unique_gp_image image;
  if (session.started() && !file.empty()) PIXET_CALL(GdipLoadImageFromFile, file.c_str(), image.put());
  UINT width = 0, height = 0;
  if (image) {
    PIXET_CALL(GdipGetImageWidth, image.get(), &width);
    PIXET_CALL(GdipGetImageHeight, image.get(), &height);
  }
  GUID png{};
  self.GetEncoderClsid("image/png", &png);  // through the method table, as the conversions choose theirs
  // Every form is made before the clipboard is opened: it stays open for as short as can be.
  auto* bitmap = reinterpret_cast<Gdiplus::GpBitmap*>(image.get());  // a file's image is a bitmap
  unique_hglobal png_block = image ? clipboard::PngBlock(image.get(), png) : unique_hglobal();
  unique_hglobal dib_block = image ? clipboard::DibV5Block(bitmap, width, height) : unique_hglobal();
  unique_hbitmap opaque;  // for programs that read only CF_BITMAP: the picture over white
  if (image) PIXET_CALL(GdipCreateHBITMAPFromBitmap, bitmap, opaque.put(), 0xFFFFFFFFu);
  if (!png_block || !dib_block || !opaque) {
    host::ShowMessage(clipboard::kNotLoaded);
    return 0;
  }
  unique_clipboard open = AcquireClipboard(clipboard::CopyOwner());
  // Nothing reaches a clipboard this call could not open, whatever SetClipboardData says.
  bool placed = open && ::EmptyClipboard() && Place(clipboard::PngFormat(), png_block) &&
                Place(CF_DIBV5, dib_block);
  if (placed && ::SetClipboardData(CF_BITMAP, opaque.get()) != nullptr)
    opaque.release();
  else
    placed = false;
  if (!placed || !::IsClipboardFormatAvailable(CF_DIBV5)) {
    open.reset();
    host::ShowMessage(clipboard::kNotPlaced);
    return 0;
  }
  return 1;
}

}  // namespace
}  // namespace pixet

// The image of `file` on the clipboard as "PNG", CF_DIBV5 with straight alpha, and
// CF_BITMAP (over white), in one opening of the clipboard.
std::int32_t Pixet::CopyToClipboardWithAlpha(const char* file) {
  return pixet::Guarded(std::int32_t{0}, [&]() -> std::int32_t {
    return pixet::CopyWithAlpha(*this, pixet::text::WideFromAnsi(file));
  });
}

std::int32_t Pixet::CopyToClipboardWithAlphaW(const wchar_t* file) {
  return pixet::Guarded(std::int32_t{0}, [&]() -> std::int32_t {
    return pixet::CopyWithAlpha(*this, pixet::text::Clip(file));
  });
}
