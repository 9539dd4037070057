#include "base/temp_directory.h"

#include "base/file_names.h"

namespace pixet {

std::wstring TempDirectoryW(std::size_t max_chars) {
  wchar_t buffer[MAX_PATH];
  const DWORD n = ::GetTempPathW(MAX_PATH, buffer);  // longer ones give the size they need
  if (n == 0 || n > max_chars || n >= MAX_PATH) return {};
  return std::wstring(buffer, n);
}

std::string TempDirectory(std::size_t max_chars) {
  const std::wstring folder = TempDirectoryW();
  if (folder.empty()) return {};
  std::string ansi = AnsiNameOf(folder);
  if (ansi.size() > max_chars) return {};
  return ansi;
}

}  // namespace pixet
