#include "load/load_through_bmp.h"

#include <windows.h>

#include <string>
#include <vector>

#include "base/last_error.h"
#include "base/temp_directory.h"
#include "base/unique_any.h"
#include "base/whole_file.h"
#include "core/host_access.h"
#include "core/text.h"
#include "core/working_files.h"
#include "pixet/pixet.h"

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
