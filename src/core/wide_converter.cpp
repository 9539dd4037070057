#include "pixet/wide_converter.h"

#include <windows.h>

#include <cstring>

#include "base/boundary.h"
#include "base/unique_any.h"
#include "core/text.h"

namespace pixet {

namespace {
// Blocks come from GlobalAlloc so Free can be called from either side of the DLL.
void* AllocZeroed(std::size_t bytes) { return ::GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, bytes); }
}  // namespace

WideString WideConverter::CStringToWide(const char* text) {
  const int n = text != nullptr ? static_cast<int>(std::strlen(text)) : 0;
  if (n == 0) {
    auto* empty = static_cast<wchar_t*>(AllocZeroed(2));
    return {empty, empty != nullptr ? 2u : 0u};
  }
  const int w = ::MultiByteToWideChar(CP_ACP, 0, text, n, nullptr, 0);
  if (w == 0) return {nullptr, 0};
  const auto bytes = static_cast<std::uint32_t>(2 * w + 2);
  auto* block = static_cast<wchar_t*>(AllocZeroed(bytes));
  if (block == nullptr) return {nullptr, bytes};
  ::MultiByteToWideChar(CP_ACP, 0, text, n, block, w);
  block[w] = L'\0';
  return {block, bytes};
}

WideString WideConverter::TextToWide(const char* text) {
  return Guarded(WideString{nullptr, 0}, [&] { return CStringToWide(text::Clip(text).c_str()); });
}

WideConverter::Status WideConverter::WideToText(const wchar_t* source, char* dest, std::size_t length) {
  const int m = source != nullptr ? ::lstrlenW(source) : 0;
  if (m == 0) {
    text::FillBlanks(dest, length);
    return kDone;
  }
  if (length < static_cast<std::size_t>(m)) return kTooShort;
  // A double-byte code page needs more bytes than characters: measure the bytes.
  const int needed = ::WideCharToMultiByte(CP_ACP, 0, source, m, nullptr, 0, nullptr, nullptr);
  if (needed == 0) return kNotConverted;
  if (static_cast<std::size_t>(needed) > length) return kTooShort;
  unique_hglobal block(::GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, static_cast<SIZE_T>(needed) + 1));
  if (!block) return kNotConverted;
  auto* bytes = static_cast<char*>(block.get());
  if (::WideCharToMultiByte(CP_ACP, 0, source, m, bytes, needed + 1, nullptr, nullptr) == 0) return kNotConverted;
  text::FillBlanks(dest, length);
  std::memcpy(dest, bytes, static_cast<std::size_t>(needed));
  return kDone;
}

void WideConverter::Free(WideString& wide) {
  if (wide.data != nullptr) ::GlobalFree(wide.data);
  wide = {nullptr, 0};
}

}  // namespace pixet
