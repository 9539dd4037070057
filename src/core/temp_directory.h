// The user's temporary folder, where loads keep their working and downloaded files and
// captures reserve their names. Header-only, so the tests and the bench use it too.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>

namespace pixet {

// The longest folder name taken unless a caller asks for less: a MAX_PATH buffer's worth.
constexpr std::size_t kMaxTempDirectoryChars = MAX_PATH - 1;

// The folder as the system reports it, ending in a backslash; empty when the system gives
// none or needs more than `max_chars` characters for it.
inline std::string TempDirectory(std::size_t max_chars = kMaxTempDirectoryChars) {
  char buffer[MAX_PATH];
  const DWORD n = ::GetTempPathA(MAX_PATH, buffer);  // longer ones give the size they need
  if (n == 0 || n > max_chars || n >= MAX_PATH) return {};
  return std::string(buffer, n);
}

}  // namespace pixet
