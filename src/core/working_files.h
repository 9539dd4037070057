// The fixed-name working files ("kjj___.bmp", "_vb_.xac", "saved__0.bmp", "__svcv.bmp",
// a downloaded file) are shared by every object and thread of the process. A call that
// writes, reads or deletes one holds WorkingFilesLock from before it first touches the
// name until after it has deleted it.
//
// One recursive lock for all of them: a method holding its own file calls others through
// the method table (LoadImage and CopyToClipboard call ConvertImage, which may need
// "_vb_.xac"), and a derived class may override those in any order. A single lock that
// the holding thread may take again cannot be taken in two orders, so these nestings never
// deadlock. The cost is that unrelated working files are not used at the same time.
// A derived method must not wait for another thread that itself needs the lock.
#pragma once

#include <mutex>

#include "base/check.h"

namespace pixet {

std::recursive_mutex& WorkingFilesMutex();

// How many WorkingFilesLocks this thread holds (counted only with the debug checks on).
int& WorkingFilesHeldHere();

// Deletes a working file an earlier call (or another process) left. False when a file of
// that name is still there, read-only or held open by another handle: the caller must then
// fail as if it could not write the file, never use the old one. GetLastError says why.
// Under the lock.
bool RemoveStale(const char* name);
bool RemoveStale(const wchar_t* name);

class WorkingFilesLock {
 public:
  WorkingFilesLock() : lock_(WorkingFilesMutex()) {
    if (kDChecks) ++WorkingFilesHeldHere();
  }
  ~WorkingFilesLock() {
    if (kDChecks) --WorkingFilesHeldHere();
  }
  WorkingFilesLock(const WorkingFilesLock&) = delete;
  WorkingFilesLock& operator=(const WorkingFilesLock&) = delete;

 private:
  std::lock_guard<std::recursive_mutex> lock_;
};

}  // namespace pixet
