#include <windows.h>

#include <string>
#include <vector>

#include "core/boundary.h"
#include "core/host_access.h"
#include "core/temp_directory.h"
#include "core/text.h"
#include "core/unique_any.h"
#include "core/whole_file.h"
#include "core/working_files.h"
#include "load/download_url.h"
#include "load/load_through_bmp.h"
#include "pixet/pixet.h"

#undef LoadImage

namespace pixet {

namespace {

constexpr char kConvertedFile[] = "kjj___.bmp";
constexpr std::size_t kMaxTempNameChars = 511;  // a 512-byte field with its terminator

}  // namespace

// The working file goes on every way out. A stale one that cannot be deleted first (another
// handle holds it) is never shown: the control is left as it was and the result is the
// delete's error number. One that cannot be deleted after it was read whole still hands
// its image on; the next call refuses it.
std::int32_t LoadThroughBmp(Pixet& self, const HostTarget& control, const char* file_text) {
  if (self.ENGINELOADED == 0) return 0;
  const std::string temp = text::ClipTo((TempDirectory() + kConvertedFile).c_str(), kMaxTempNameChars);
  // An earlier call's file must never be shown in place of this one.
  if (!RemoveStale(temp.c_str())) return static_cast<std::int32_t>(LastError());
  auto_delete_file converted(temp);
  self.ConvertImage(file_text, temp.c_str());  // what counts is whether the file exists now
  std::vector<unsigned char> bytes;
  const DWORD error = ReadWholeFile(temp, bytes);
  if (error != 0) return static_cast<std::int32_t>(error);
  converted.reset();
  static const unsigned char kNoBytes = 0;  // an empty file is still handed on, as no bytes at an address
  host::WriteBytes(control, HostProperty::ImageFileBytes, bytes.empty() ? &kNoBytes : bytes.data(), bytes.size());
  return 1;
}

}  // namespace pixet

std::int32_t Pixet::LoadImage(PixetHostWindow* window, const char* source, std::int16_t control) {
  return pixet::Guarded(std::int32_t{0}, [&]() -> std::int32_t {
    using namespace pixet;
    std::string file_text = source != nullptr ? source : "";
    auto_delete_file fetched;  // the body, fetched outside the lock, until it takes its name
    Download download = Download::Skipped;
    if (IsHttpAddress(source) && (download = DownloadUrl(file_text, fetched)) == Download::Failed) return 0;
    WorkingFilesLock lock;  // the downloaded file's name and "kjj___.bmp"
    if (download == Download::Done) KeepDownload(fetched, file_text);
    return LoadThroughBmp(*this, HostTarget::Of(window, control), file_text.c_str());
  });
}

std::int32_t Pixet::LoadImage(PixetHostReport* report, const char* source, std::int16_t control) {
  return pixet::Guarded(std::int32_t{0}, [&]() -> std::int32_t {
    using namespace pixet;
    WorkingFilesLock lock;
    return LoadThroughBmp(*this, HostTarget::Of(report, control), source);
  });
}
