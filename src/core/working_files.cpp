#include "core/working_files.h"

#include <windows.h>

namespace pixet {

bool RemoveStale(const char* name) {
  if (::DeleteFileA(name)) return true;
  const DWORD error = ::GetLastError();
  const bool left = ::GetFileAttributesA(name) != INVALID_FILE_ATTRIBUTES;
  ::SetLastError(error);
  return !left;
}

std::recursive_mutex& WorkingFilesMutex() {
  static std::recursive_mutex mutex;
  return mutex;
}

}  // namespace pixet
