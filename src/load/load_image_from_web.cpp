#include <windows.h>

#include <string>
#include <type_traits>

#include "base/boundary.h"
#include "core/host_access.h"
#include "core/text.h"
#include "core/working_files.h"
#include "load/load_through_bmp.h"
#include "load/web_fetch.h"
#include "load/web_limits.h"
#include "pixet/pixet.h"

#undef LoadImage

namespace pixet {
namespace {

// What both forms do; the body's file is handed to the form's own converter, to the ANSI
// one by its ANSI name (AnsiNameOf).
template <class Char>
std::int32_t LoadFromWeb(Pixet& self, PixetHostWindow* window, const std::wstring& address, std::int16_t control) {
  if (self.ENGINELOADED == 0) return 0;
  if (!IsWebAddress(address)) {
    host::ShowMessage("Not a web address: give an http:// or https:// address!");
    return 0;
  }
  auto_delete_wide_file body;  // this call's own file, deleted when the call ends
  if (!FetchWebAddress(address, WebLimitsOf(&self), body)) return 0;
  WorkingFilesLock lock;  // for "kjj___.bmp" alone
  return LoadMadeFileThroughBmp(self, HostTarget::Of(window, control), body.get(), std::is_same_v<Char, char>);
}

}  // namespace
}  // namespace pixet

std::int32_t Pixet::LoadImageFromWeb(PixetHostWindow* window, const char* address, std::int16_t control) {
  return pixet::Guarded(std::int32_t{0}, [&]() -> std::int32_t {
    return pixet::LoadFromWeb<char>(*this, window, pixet::text::WideFromAnsi(address), control);
  });
}

std::int32_t Pixet::LoadImageFromWebW(PixetHostWindow* window, const wchar_t* address, std::int16_t control) {
  return pixet::Guarded(std::int32_t{0}, [&]() -> std::int32_t {
    return pixet::LoadFromWeb<wchar_t>(*this, window, pixet::text::Clip(address), control);
  });
}

void Pixet::SetWebTimeout(std::int32_t milliseconds) {
  pixet::Guarded([&] {
    pixet::WebLimits limits = pixet::WebLimitsOf(this);
    limits.timeout_ms = milliseconds > 0 ? static_cast<std::uint32_t>(milliseconds) : kDefaultWebTimeoutMs;
    pixet::SetWebLimits(this, limits);
  });
}

std::int32_t Pixet::WebTimeout() const {
  return pixet::Guarded(kDefaultWebTimeoutMs, [&] { return static_cast<std::int32_t>(pixet::WebLimitsOf(this).timeout_ms); });
}

void Pixet::SetWebSizeLimit(std::uint32_t bytes) {
  pixet::Guarded([&] {
    pixet::WebLimits limits = pixet::WebLimitsOf(this);
    limits.max_bytes = bytes > 0 ? bytes : kDefaultWebSizeLimit;
    pixet::SetWebLimits(this, limits);
  });
}

std::uint32_t Pixet::WebSizeLimit() const {
  return pixet::Guarded(kDefaultWebSizeLimit, [&] { return pixet::WebLimitsOf(this).max_bytes; });
}
