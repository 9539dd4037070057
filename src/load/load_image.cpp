#include <windows.h>

#include <string>

#include "core/host_access.h"
#include "core/text.h"
#include "core/unique_any.h"
#include "core/working_files.h"
#include "load/download_url.h"
#include "load/load_through_bmp.h"
#include "load/temp_directory.h"
#include "pixet/pixet.h"

#undef LoadImage

namespace pixet {

namespace {

constexpr char kConvertedFile[] = "kjj___.bmp";
constexpr std::size_t kMaxTempNameChars = 511;  // a 512-byte field with its terminator

// The calling thread's last error, never 0: a failure must not read as "no error".
DWORD LastError() {
  const DWORD error = ::GetLastError();
  return error != 0 ? error : ERROR_GEN_FAILURE;
}

// Reads the whole file into `block`. 0, or the error number of what failed: the bytes
// handed on are always the ones read, never a short or failed read.
DWORD ReadWhole(const std::string& name, unique_hglobal& block, DWORD& size) {
  unique_file file(::CreateFileA(name.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                 nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return LastError();
  LARGE_INTEGER length{};
  if (!::GetFileSizeEx(file.get(), &length)) return LastError();
  if (length.QuadPart > MAXDWORD) return ERROR_FILE_TOO_LARGE;
  size = static_cast<DWORD>(length.QuadPart);
  block.reset(::GlobalAlloc(GMEM_FIXED, size != 0 ? size : 1));
  if (!block) return ERROR_NOT_ENOUGH_MEMORY;
  DWORD done = 0;
  while (done < size) {
    DWORD read = 0;
    if (!::ReadFile(file.get(), static_cast<char*>(block.get()) + done, size - done, &read, nullptr))
      return LastError();
    if (read == 0) return ERROR_HANDLE_EOF;  // the file became shorter than measured
    done += read;
  }
  return 0;
}

}  // namespace

// The working file goes on every way out; when it cannot be deleted (another handle holds
// it), the control is left as it was and the result is the delete's error number.
std::int32_t LoadThroughBmp(Pixet& self, const HostTarget& control, const char* file_text) {
  if (self.ENGINELOADED == 0) return 0;
  const std::string temp = text::ClipTo((TempDirectory() + kConvertedFile).c_str(), kMaxTempNameChars);
  // An earlier call's file must never be shown in place of this one.
  if (!::DeleteFileA(temp.c_str())) {
    const DWORD error = LastError();
    if (::GetFileAttributesA(temp.c_str()) != INVALID_FILE_ATTRIBUTES) return static_cast<std::int32_t>(error);
  }
  auto_delete_file converted(temp);
  self.ConvertImage(file_text, temp.c_str());  // what counts is whether the file exists now
  unique_hglobal block;
  DWORD size = 0;
  const DWORD error = ReadWhole(temp, block, size);
  if (error != 0) return static_cast<std::int32_t>(error);
  if (!DeleteNow(converted)) return static_cast<std::int32_t>(LastError());
  host::WriteBytes(control, HostProperty::ImageFileBytes, block.get(), size);
  return 1;
}

}  // namespace pixet

std::int32_t Pixet::LoadImage(PixetHostWindow* window, const char* source, std::int16_t control) {
  using namespace pixet;
  std::string file_text = source != nullptr ? source : "";
  auto_delete_file fetched;  // the body, fetched outside the lock, until it takes its name
  if (IsHttpAddress(source) && DownloadUrl(file_text, fetched) == Download::Failed) return 0;
  WorkingFilesLock lock;  // the downloaded file's name and "kjj___.bmp"
  KeepDownload(fetched, file_text);
  return LoadThroughBmp(*this, HostTarget::Of(window, control), file_text.c_str());
}

std::int32_t Pixet::LoadImage(PixetHostReport* report, const char* source, std::int16_t control) {
  using namespace pixet;
  WorkingFilesLock lock;
  return LoadThroughBmp(*this, HostTarget::Of(report, control), source);
}
