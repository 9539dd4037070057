#include "load/load_through_bmp.h"

#include <windows.h>

#include <string>
#include <vector>

#include "base/file_names.h"
#include "base/last_error.h"
#include "base/temp_directory.h"
#include "base/unique_any.h"
#include "base/whole_file.h"
#include "core/host_access.h"
#include "core/working_files.h"
#include "pixet/pixet.h"

namespace pixet {

namespace {

constexpr wchar_t kConvertedFile[] = L"kjj___.bmp";

// The working file goes on every way out. A stale one that cannot be deleted first (another
// handle holds it) is never shown: the control is left as it was and the result is the
// delete's error number. One that cannot be deleted after it was read whole still hands
// its image on; the next call refuses it. `convert(name)` writes the file `name` (UTF-16).
template <class Convert>
std::int32_t LoadConverted(Pixet& self, const HostTarget& control, Convert convert) {
  if (self.ENGINELOADED == 0) return 0;
  const std::wstring temp = TempDirectoryW() + kConvertedFile;
  // An earlier call's file must never be shown in place of this one.
  if (!RemoveStale(temp.c_str())) return static_cast<std::int32_t>(LastError());
  auto_delete_wide_file converted(temp);
  convert(temp);  // what counts is whether the file exists now
  std::vector<unsigned char> bytes;
  const DWORD error = ReadWholeFile(temp, bytes);
  if (error != 0) return static_cast<std::int32_t>(error);
  converted.reset();
  static const unsigned char kNoBytes = 0;  // an empty file is still handed on, as no bytes at an address
  host::WriteBytes(control, HostProperty::ImageFileBytes, bytes.empty() ? &kNoBytes : bytes.data(), bytes.size());
  return 1;
}

}  // namespace

std::int32_t LoadThroughBmp(Pixet& self, const HostTarget& control, const char* file_text) {
  return LoadConverted(self, control, [&](const std::wstring& temp) {
    // The ANSI converter gets the folder's short name when its own is outside the code
    // page; with neither, nothing is converted and the file is not found.
    const std::string target = AnsiNameOf(temp);
    if (!target.empty()) self.ConvertImage(file_text, target.c_str());
  });
}

std::int32_t LoadThroughBmp(Pixet& self, const HostTarget& control, const wchar_t* file_text) {
  return LoadConverted(self, control, [&](const std::wstring& temp) { self.ConvertImageW(file_text, temp.c_str()); });
}

std::int32_t LoadMadeFileThroughBmp(Pixet& self, const HostTarget& control, const std::wstring& file, bool ansi_form) {
  return ansi_form ? LoadThroughBmp(self, control, AnsiNameOf(file).c_str()) : LoadThroughBmp(self, control, file.c_str());
}

}  // namespace pixet
