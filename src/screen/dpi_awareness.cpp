#include "screen/dpi_awareness.h"

namespace pixet::screen {

namespace {

using SetContext = DPI_AWARENESS_CONTEXT(WINAPI*)(DPI_AWARENESS_CONTEXT);

// user32's SetThreadDpiAwarenessContext, looked up once. The first caller's look-up
// initialises the function-local static (thread-safe), and it never changes after.
SetContext SetThreadContext() {
  static const SetContext set = [] {
    const HMODULE user32 = ::GetModuleHandleW(L"user32.dll");
    FARPROC found = user32 != nullptr ? ::GetProcAddress(user32, "SetThreadDpiAwarenessContext") : nullptr;
    return reinterpret_cast<SetContext>(reinterpret_cast<void (*)()>(found));
  }();
  return set;
}

// The system's values (windef.h), spelled here for headers that predate them.
const auto kPerMonitorV2 = reinterpret_cast<DPI_AWARENESS_CONTEXT>(static_cast<INT_PTR>(-4));
const auto kPerMonitor = reinterpret_cast<DPI_AWARENESS_CONTEXT>(static_cast<INT_PTR>(-3));

}  // namespace

PerMonitorDpiScope::PerMonitorDpiScope() {
  const SetContext set = SetThreadContext();
  if (set == nullptr) return;
  previous_ = set(kPerMonitorV2);  // null when the system does not know V2
  if (previous_ == nullptr) previous_ = set(kPerMonitor);
}

PerMonitorDpiScope::~PerMonitorDpiScope() {
  if (previous_ != nullptr) SetThreadContext()(previous_);
}

}  // namespace pixet::screen
