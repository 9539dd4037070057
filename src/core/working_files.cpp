#include "core/working_files.h"

#include <windows.h>

namespace pixet {

bool RemoveStale(const char* name) {
  PIXET_DCHECK(!kDChecks || WorkingFilesHeldHere() > 0);
  if (::DeleteFileA(name)) return true;
  const DWORD error = ::GetLastError();
  const bool left = ::GetFileAttributesA(name) != INVALID_FILE_ATTRIBUTES;
  ::SetLastError(error);
  return !left;
}

int& WorkingFilesHeldHere() {
  thread_local int held = 0;
  return held;
}

std::recursive_mutex& WorkingFilesMutex() {
  static std::recursive_mutex mutex;
  return mutex;
}

}  // namespace pixet
