#include <windows.h>

#include <string>
#include <type_traits>

#include "base/boundary.h"
#include "base/unique_any.h"
#include "core/host_access.h"
#include "core/text.h"
#include "core/working_files.h"
#include "load/download_url.h"
#include "load/load_through_bmp.h"
#include "pixet/pixet.h"

#undef LoadImage

namespace pixet {
namespace {

// What both forms of the window overload do. An "http:" address is fetched outside the lock
// and stored under its last segment; the source then names that file, for the ANSI form by
// its ANSI name (AnsiNameOf), and the rest goes as the host's own text.
template <class Char>
std::int32_t LoadFileOrAddress(Pixet& self, const HostTarget& control, const Char* source, std::wstring file_text) {
  auto_delete_wide_file fetched;  // the body, fetched outside the lock, until it takes its name
  Download download = Download::Skipped;
  if (IsHttpAddress(file_text) && (download = DownloadUrl(file_text, fetched)) == Download::Failed) return 0;
  WorkingFilesLock lock;  // the downloaded file's name and "kjj___.bmp"
  if (download == Download::Skipped) return LoadThroughBmp(self, control, source);
  KeepDownload(fetched, file_text);
  return LoadMadeFileThroughBmp(self, control, file_text, std::is_same_v<Char, char>);
}

}  // namespace
}  // namespace pixet

std::int32_t Pixet::LoadImage(PixetHostWindow* window, const char* source, std::int16_t control) {
  return pixet::Guarded(std::int32_t{0}, [&]() -> std::int32_t {
    using namespace pixet;
    return LoadFileOrAddress(*this, HostTarget::Of(window, control), source != nullptr ? source : "",
                             text::WideFromAnsi(source));
  });
}

std::int32_t Pixet::LoadImageW(PixetHostWindow* window, const wchar_t* source, std::int16_t control) {
  return pixet::Guarded(std::int32_t{0}, [&]() -> std::int32_t {
    using namespace pixet;
    return LoadFileOrAddress(*this, HostTarget::Of(window, control), source != nullptr ? source : L"",
                             text::Clip(source));
  });
}

std::int32_t Pixet::LoadImage(PixetHostReport* report, const char* source, std::int16_t control) {
  return pixet::Guarded(std::int32_t{0}, [&]() -> std::int32_t {
    using namespace pixet;
    WorkingFilesLock lock;
    return LoadThroughBmp(*this, HostTarget::Of(report, control), source);
  });
}

std::int32_t Pixet::LoadImageW(PixetHostReport* report, const wchar_t* source, std::int16_t control) {
  return pixet::Guarded(std::int32_t{0}, [&]() -> std::int32_t {
    using namespace pixet;
    WorkingFilesLock lock;
    return LoadThroughBmp(*this, HostTarget::Of(report, control), source);
  });
}
