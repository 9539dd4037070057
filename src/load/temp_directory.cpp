#include "load/temp_directory.h"

#include <windows.h>

namespace pixet {

std::string TempDirectory() {
  constexpr DWORD kFolderBytes = 260;
  char buffer[kFolderBytes];
  const DWORD n = ::GetTempPathA(kFolderBytes, buffer);
  if (n == 0 || n > kFolderBytes) return {};
  return std::string(buffer, n);
}

}  // namespace pixet
