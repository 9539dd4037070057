#include "core/working_files.h"

#include <windows.h>

#include "core/text.h"

namespace pixet {

bool RemoveStale(const char* name) { return RemoveStale(text::Widen(name).c_str()); }

bool RemoveStale(const wchar_t* name) {
  PIXET_DCHECK(!kDChecks || WorkingFilesHeldHere() > 0);
  if (::DeleteFileW(name)) return true;
  const DWORD error = ::GetLastError();
  const bool left = ::GetFileAttributesW(name) != INVALID_FILE_ATTRIBUTES;
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
