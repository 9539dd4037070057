#include "convert/source_file.h"

#include <windows.h>

#include <cctype>
#include <cstdlib>
#include <iterator>

#include "base/unique_any.h"
#include "base/whole_file.h"
#include "core/host_access.h"
#include "core/text.h"
#include "core/working_files.h"

namespace pixet {

short ControlNumberOf(const char* source) {
  std::string s = text::Clip(source);
  std::size_t start = s.find_first_not_of(' ');
  if (start == std::string::npos) return 0;
  s.erase(0, start);
  if (s[0] == '+') s.erase(0, 1);
  if (s.empty()) return 0;
  for (char c : s)
    if (!std::isdigit(static_cast<unsigned char>(c))) return 0;
  s.erase(0, s.find_first_not_of('0'));  // "000007" is 7; only zeros leave nothing, which is 0
  if (s.empty() || s.size() > 5) return 0;
  const long n = std::strtol(s.c_str(), nullptr, 10);
  return n >= 1 && n <= 32767 ? static_cast<short>(n) : 0;
}

namespace {

HGLOBAL ControlImageBlock(short field) {
  return reinterpret_cast<HGLOBAL>(host::Read(HostTarget::Current(field), HostProperty::ImageMemoryBlock));
}

// Writes the control's whole image block to the working file, which `written` owns from
// before it is made. False when the block cannot be read or the file made fresh and
// written whole: an older file (read-only, or held by another handle) may then be there.
bool WriteControlImage(short field, auto_delete_file& written) {
  const SIZE_T size = ::GlobalSize(ControlImageBlock(field));
  if (!RemoveStale(kControlImageFile)) return false;
  written.reset(kControlImageFile);
  unique_file file(::CreateFileA(kControlImageFile, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                 nullptr));
  if (!file) return false;
  const unique_hglobal_locked bytes(ControlImageBlock(field));
  if (bytes && size <= MAXDWORD && WriteAll(file.get(), bytes.get(), static_cast<DWORD>(size))) return true;
  file.reset();
  written.reset();  // closed first, so the part written can go
  return false;
}

}  // namespace

ResolvedSource::ResolvedSource(const std::wstring& source) {
  const std::string digits = text::AsciiOnly(source);  // a control number is ASCII
  const short field = digits.empty() ? 0 : ControlNumberOf(digits.c_str());
  if (field == 0) {
    file_ = source;
    return;
  }
  lock_.emplace();
  // Without a fresh file, no name: the engine then loads nothing, as from a missing file.
  if (WriteControlImage(field, written_)) file_.assign(std::begin(kControlImageFile), std::end(kControlImageFile) - 1);
}

}  // namespace pixet
