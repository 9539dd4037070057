// The desktop host as Pixet sees it: property reads and writes on windows, reports and
// controls (geometry in host units or pixels), redraws and message boxes.
#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "base/whole_file.h"
#include "host_records.h"

namespace pixet::refhost {

namespace {

// Left, Top, Width and Height as 0 to 3; -1 for any other property.
int GeometrySlot(Property id) {
  switch (id) {
    case Property::Left:
      return 0;
    case Property::Top:
      return 1;
    case Property::Width:
      return 2;
    case Property::Height:
      return 3;
    default:
      return -1;
  }
}

// The window a target names: the control's child window, or the top-level window.
HWND TargetHwnd(const DesktopHost::Surface* surface, const DesktopHost::Control* control) {
  return control != nullptr ? control->hwnd.get() : surface->frame.get();
}

// The window's x, y, width and height in pixels: for a control in its parent's (the
// client area's) coordinates, for a top-level window on the screen.
bool PlacedBox(HWND hwnd, int box[4]) {
  RECT rect;
  if (hwnd == nullptr || !::GetWindowRect(hwnd, &rect)) return false;
  HWND parent = (::GetWindowLongPtrA(hwnd, GWL_STYLE) & WS_CHILD) != 0 ? ::GetParent(hwnd) : nullptr;
  if (parent != nullptr) ::MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&rect), 2);
  box[0] = rect.left;
  box[1] = rect.top;
  box[2] = rect.right - rect.left;
  box[3] = rect.bottom - rect.top;
  return true;
}

void RedrawControl(DesktopHost::Control* control) {
  if (control->hwnd.get())
    ::RedrawWindow(control->hwnd.get(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
}

}  // namespace

// --- Units ---------------------------------------------------------------------------

int DesktopHost::UnitsToPixelsX(int units) const { return ::MulDiv(units, base_x_, 4); }
int DesktopHost::UnitsToPixelsY(int units) const { return ::MulDiv(units, base_y_, 8); }
int DesktopHost::PixelsToUnitsX(int pixels) const { return ::MulDiv(pixels, 4, base_x_); }
int DesktopHost::PixelsToUnitsY(int pixels) const { return ::MulDiv(pixels, 8, base_y_); }

// --- Properties ----------------------------------------------------------------------

std::intptr_t DesktopHost::ReadProperty(const Target& target, Property id) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  if (target.kind == Target::Kind::System)
    return id == Property::InstanceHandle ? reinterpret_cast<std::intptr_t>(::GetModuleHandleA(nullptr)) : 0;
  Surface* surface = nullptr;
  Control* control = nullptr;
  if (!Resolve(target, &surface, &control)) return 0;
  if (const int slot = GeometrySlot(id); slot >= 0) {
    int box[4];
    if (!PlacedBox(TargetHwnd(surface, control), box)) return 0;
    if (surface->pixelUnits) return box[slot];
    return slot % 2 == 0 ? PixelsToUnitsX(box[slot]) : PixelsToUnitsY(box[slot]);
  }
  switch (id) {
    case Property::PixelUnits:
      return surface->pixelUnits ? 1 : 0;
    case Property::ClientAreaHandle:
      return reinterpret_cast<std::intptr_t>(surface->client);
    case Property::WindowHandle: {
      const auto& written = control != nullptr ? control->writtenHandle : surface->writtenHandle;
      return written.value_or(reinterpret_cast<std::intptr_t>(TargetHwnd(surface, control)));
    }
    case Property::ImageMemoryBlock:
      return control != nullptr ? reinterpret_cast<std::intptr_t>(control->block.get()) : 0;
    case Property::ControlText:
      return control != nullptr ? std::strtol(control->text.c_str(), nullptr, 10) : 0;
    default:
      return 0;
  }
}

void DesktopHost::WriteProperty(const Target& target, Property id, std::intptr_t value) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  Surface* surface = nullptr;
  Control* control = nullptr;
  if (!Resolve(target, &surface, &control)) return;
  if (const int slot = GeometrySlot(id); slot >= 0) {
    HWND hwnd = TargetHwnd(surface, control);
    int box[4];
    if (!PlacedBox(hwnd, box)) return;
    const int given = static_cast<int>(value);
    box[slot] = surface->pixelUnits ? given : slot % 2 == 0 ? UnitsToPixelsX(given) : UnitsToPixelsY(given);
    ::SetWindowPos(hwnd, nullptr, box[0], box[1], box[2], box[3], SWP_NOZORDER | SWP_NOACTIVATE);
    return;
  }
  switch (id) {
    case Property::PixelUnits:  // a window-wide flag, whichever field names it
      surface->pixelUnits = value != 0;
      break;
    case Property::WindowHandle:
      (control != nullptr ? control->writtenHandle : surface->writtenHandle) = value;
      break;
    default:
      break;
  }
}

void DesktopHost::WritePropertyText(const Target& target, Property id, const char* text) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  Surface* surface = nullptr;
  Control* control = nullptr;
  if (!Resolve(target, &surface, &control) || id != Property::ControlText) return;
  const char* given = text != nullptr ? text : "";
  if (control == nullptr) {  // the window's title
    if (surface->frame.get()) ::SetWindowTextA(surface->frame.get(), given);
    return;
  }
  control->text = given;
  if (control->kind != ControlKind::Image) return;
  // An image control reads the named file at once; a missing file leaves it empty.
  const std::vector<unsigned char> bytes = ReadWholeFile(given);
  SetImage(control, bytes.data(), bytes.size());
}

void DesktopHost::WritePropertyBytes(const Target& target, Property id, const void* bytes,
                                     std::size_t size) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  Surface* surface = nullptr;
  Control* control = nullptr;
  if (!Resolve(target, &surface, &control) || control == nullptr) return;
  if (id != Property::ImageFileBytes || control->kind != ControlKind::Image) return;
  SetImage(control, static_cast<const unsigned char*>(bytes), bytes != nullptr ? size : 0);
}

// --- Redraws and message boxes -------------------------------------------------------

void DesktopHost::Redraw(const Target& target) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  Surface* surface = nullptr;
  Control* control = nullptr;
  if (!Resolve(target, &surface, &control)) return;
  if (control != nullptr) {
    RedrawControl(control);
    return;
  }
  for (auto& entry : surface->controls) RedrawControl(entry.second.get());
}

void DesktopHost::ShowMessage(const char* text, const char* caption, Icon icon) {
  Message message;
  message.text = text != nullptr ? text : "";
  message.captionNull = caption == nullptr;
  message.caption = caption != nullptr ? caption : "";
  message.icon = icon;
  MessageMode mode;
  {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    messages_.push_back(message);
    mode = mode_;
  }
  if (mode == MessageMode::RecordAndPrint) {
    if (message.captionNull)
      std::fprintf(stderr, "message: %s\n", message.text.c_str());
    else
      std::fprintf(stderr, "message: %s [%s]\n", message.text.c_str(), message.caption.c_str());
    std::fflush(stderr);
  } else if (mode == MessageMode::Interactive) {
    std::string lines = message.text;
    std::replace(lines.begin(), lines.end(), '|', '\n');
    ::MessageBoxA(nullptr, lines.c_str(), caption, MB_OK | static_cast<UINT>(icon));
  }
}

void DesktopHost::SetMessageMode(MessageMode mode) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  mode_ = mode;
}

const std::vector<Message>& DesktopHost::Messages() const { return messages_; }

void DesktopHost::ClearMessages() {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  messages_.clear();
}

}  // namespace pixet::refhost
