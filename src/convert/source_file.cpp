#include "convert/source_file.h"

#include <windows.h>

#include <cctype>
#include <cstdlib>

#include "core/host_access.h"
#include "core/text.h"
#include "core/unique_any.h"
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

// Writes the control's whole image block to the working file. Failures leave an empty
// or missing file, which the engine then fails to load.
void WriteControlImage(short field) {
  const SIZE_T size = ::GlobalSize(ControlImageBlock(field));
  ::DeleteFileA(kControlImageFile);
  unique_lfile file(::_lcreat(kControlImageFile, 0));
  HGLOBAL block = ControlImageBlock(field);
  const void* bytes = ::GlobalLock(block);
  unique_global_lock unlock(bytes != nullptr ? block : nullptr);
  if (file && bytes != nullptr) ::_hwrite(file.get(), static_cast<LPCCH>(bytes), static_cast<long>(size));
}

}  // namespace

ResolvedSource::ResolvedSource(const char* source) {
  const short field = ControlNumberOf(source);
  if (field == 0) {
    file_ = text::Clip(source);
    return;
  }
  lock_ = std::unique_lock<std::recursive_mutex>(WorkingFilesMutex());
  WriteControlImage(field);
  from_control_ = true;
  file_ = kControlImageFile;
}

ResolvedSource::~ResolvedSource() {
  if (from_control_) ::DeleteFileA(kControlImageFile);
}

}  // namespace pixet
