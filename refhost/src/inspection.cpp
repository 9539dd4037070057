// What tests and tools read off the desktop host: its windows and one snapshot per
// control.
#include "host_records.h"

namespace pixet::refhost {

namespace {

ControlState StateOf(const DesktopHost::Control* control) {
  ControlState state;
  if (control == nullptr) return state;
  state.hwnd = control->hwnd.get();
  state.imageBytes = control->bytes;
  state.shownImage = control->shown;
  state.text = control->text;
  state.writtenHandle = control->writtenHandle.value_or(0);
  return state;
}

}  // namespace

ControlState DesktopHost::State(PixetHostWindow* window, std::int16_t field) const {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  return StateOf(detail::FindControl(Find(window), field));
}

ControlState DesktopHost::State(PixetHostReport* report, std::int16_t field) const {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  return StateOf(detail::FindControl(Find(report), field));
}

HWND__* DesktopHost::WindowHwnd(PixetHostWindow* window) const {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  const Surface* surface = Find(window);
  return surface != nullptr ? surface->frame.get() : nullptr;
}

HWND__* DesktopHost::ClientHwnd(PixetHostWindow* window) const {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  const Surface* surface = Find(window);
  return surface != nullptr ? surface->client : nullptr;
}

HWND__* DesktopHost::ReportHwnd(PixetHostReport* report) const {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  const Surface* surface = Find(report);
  return surface != nullptr ? surface->frame.get() : nullptr;
}

bool DesktopHost::PixelUnits(PixetHostWindow* window) const {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  const Surface* surface = Find(window);
  return surface != nullptr && surface->pixelUnits;
}

}  // namespace pixet::refhost
