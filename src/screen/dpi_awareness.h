// Per-monitor DPI awareness for the calling thread, for the length of a scope.
#pragma once

#include <windows.h>

namespace pixet::screen {

// Makes the calling thread aware of per-monitor DPI (V2 where the system knows it, else
// V1), so that screen coordinates and pixels are physical ones, and restores the thread's
// previous awareness when it goes, on every way out. Where the system lacks
// SetThreadDpiAwarenessContext (before Windows 10 1607), it does nothing: the thread keeps
// the process's awareness.
class PerMonitorDpiScope {
 public:
  PerMonitorDpiScope();
  ~PerMonitorDpiScope();
  PerMonitorDpiScope(const PerMonitorDpiScope&) = delete;
  PerMonitorDpiScope& operator=(const PerMonitorDpiScope&) = delete;

  // Whether the thread's awareness was changed (and will be restored).
  bool changed() const { return previous_ != nullptr; }

 private:
  DPI_AWARENESS_CONTEXT previous_ = nullptr;
};

}  // namespace pixet::screen
