#include "base/temp_directory.h"

namespace pixet {

std::string TempDirectory(std::size_t max_chars) {
  char buffer[MAX_PATH];
  const DWORD n = ::GetTempPathA(MAX_PATH, buffer);  // longer ones give the size they need
  if (n == 0 || n > max_chars || n >= MAX_PATH) return {};
  return std::string(buffer, n);
}

}  // namespace pixet
