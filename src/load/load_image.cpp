#include <windows.h>

#include <string>
#include <vector>

#include "base/boundary.h"
#include "base/temp_directory.h"
#include "base/unique_any.h"
#include "base/whole_file.h"
#include "core/host_access.h"
#include "core/text.h"
#include "core/working_files.h"
#include "load/download_url.h"
#include "load/load_through_bmp.h"
#include "pixet/pixet.h"

#undef LoadImage

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
