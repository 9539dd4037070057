#include <windows.h>

#include <functional>
#include <string>

#include "base/boundary.h"
#include "base/file_names.h"
#include "base/unique_any.h"
#include "clipboard/clipboard_copy.h"
#include "core/host_access.h"
#include "core/text.h"
#include "core/working_files.h"
#include "pixet/pixet.h"

namespace pixet {
namespace {

constexpr wchar_t kConvertedCopy[] = L"__svcv.bmp";  // relative: the current directory

// What both forms do, on a name with its trailing blanks removed; `convert` writes the file
// as a BMP to the name it is given (the object's ConvertImage of that form).
std::int32_t CopyFile(const std::wstring& file, const std::function<void(const wchar_t*)>& convert) {
  WorkingFilesLock lock;
  std::wstring name = file;
  auto_delete_wide_file copy;  // the converted copy goes when the call ends, whatever the way out
  if (text::Upper(text::AsciiOnly(ExtensionOf(file))) != ".BMP") {
    // A copy left by an earlier call must not be taken for this file's: one that stays is
    // treated as a conversion that wrote nothing.
    const bool fresh = RemoveStale(kConvertedCopy);
    copy.reset(kConvertedCopy);
    name = kConvertedCopy;
    if (fresh) convert(kConvertedCopy);
    else name.clear();
  }
  unique_hbitmap bitmap(name.empty() ? nullptr : static_cast<HBITMAP>(
      ::LoadImageW(nullptr, name.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE)));
  if (!bitmap) {
    host::ShowMessage(clipboard::kNotLoaded);
    return 0;
  }
  unique_clipboard open = AcquireClipboard(clipboard::CopyOwner());
  ::EmptyClipboard();
  // Once placed, the bitmap is the clipboard's; a refused one stays ours and is deleted.
  // Nothing reaches a clipboard this call could not open, whatever SetClipboardData says
  // (some systems return the handle all the same).
  const bool placed = open && ::SetClipboardData(CF_BITMAP, bitmap.get()) != nullptr;
  if (placed) bitmap.release();
  // A bitmap seen on a clipboard this call could not open or fill is someone else's.
  if (!placed || !::IsClipboardFormatAvailable(CF_BITMAP)) {
    open.reset();
    host::ShowMessage(clipboard::kNotPlaced);
    return 0;
  }
  return 1;
}

}  // namespace
}  // namespace pixet

// Puts the image on the clipboard as a CF_BITMAP. A file that is not a .bmp goes through
// "__svcv.bmp" made by the object's ConvertImage (through the method table).
std::int32_t Pixet::CopyToClipboard(const char* file) {
  return pixet::Guarded(std::int32_t{0}, [&]() -> std::int32_t {
    return pixet::CopyFile(pixet::text::WideFromAnsi(file), [&](const wchar_t*) { ConvertImage(file, "__svcv.bmp"); });
  });
}

std::int32_t Pixet::CopyToClipboardW(const wchar_t* file) {
  return pixet::Guarded(std::int32_t{0}, [&]() -> std::int32_t {
    return pixet::CopyFile(pixet::text::Clip(file), [&](const wchar_t* copy) { ConvertImageW(file, copy); });
  });
}
