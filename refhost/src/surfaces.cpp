// The desktop host's windows, reports and controls: making them, finding them, the
// images controls hold, and taking it all down again.
#include <algorithm>

#include "host_records.h"

namespace pixet::refhost {

using detail::FindControl;
using detail::Instance;

namespace {

thread_local PixetHostWindow* t_current_window = nullptr;

void ReleaseImage(DesktopHost::Control* control) {
  control->block.reset();
  control->bitmap.reset();
  control->shown = PixelSize{};
  control->bytes = EmptyBytes();
}

// The controls first, then the frame with what is left of its children; the records go
// with the surface.
void DestroySurface(DesktopHost::Surface* surface) {
  surface->controls.clear();
  surface->frame.reset();
  if (reinterpret_cast<DesktopHost::Surface*>(t_current_window) == surface) t_current_window = nullptr;
}

}  // namespace

// --- Life cycle ----------------------------------------------------------------------

DesktopHost::DesktopHost(MessageMode mode) : mode_(mode) {
  detail::EnsureClasses();
  const LONG units = ::GetDialogBaseUnits();
  if (LOWORD(units) > 0) base_x_ = LOWORD(units);
  if (HIWORD(units) > 0) base_y_ = HIWORD(units);
}

DesktopHost::~DesktopHost() {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  for (auto& surface : surfaces_) DestroySurface(surface.get());
  surfaces_.clear();
}

// --- Windows and reports ---------------------------------------------------------------

DesktopHost::Surface* DesktopHost::Keep(std::unique_ptr<Surface> surface, bool clipChildren) {
  if (!surface->frame.get()) return nullptr;
  RECT client;
  ::GetClientRect(surface->frame.get(), &client);
  const DWORD style = WS_CHILD | WS_VISIBLE | (clipChildren ? WS_CLIPCHILDREN : 0);
  surface->client = ::CreateWindowExA(0, detail::kClientClass, "", style, 0, 0, client.right, client.bottom,
                                      surface->frame.get(), nullptr, Instance(), nullptr);
  if (surface->client == nullptr) return nullptr;  // the frame goes with the record
  surfaces_.push_back(std::move(surface));
  return surfaces_.back().get();
}

PixetHostWindow* DesktopHost::OpenWindow(const char* title, int clientWidthPx, int clientHeightPx, int screenX,
                                         int screenY) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  auto surface = std::make_unique<Surface>();
  const DWORD style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
  RECT outer{0, 0, clientWidthPx, clientHeightPx};
  ::AdjustWindowRectEx(&outer, style, FALSE, 0);
  surface->frame.reset(::CreateWindowExA(0, detail::kFrameClass, title != nullptr ? title : "", style, screenX,
                                         screenY, outer.right - outer.left, outer.bottom - outer.top, nullptr, nullptr,
                                         Instance(), surface.get()));
  Surface* window = Keep(std::move(surface), client_clips_children_);
  if (window == nullptr) return nullptr;
  ::ShowWindow(window->frame.get(), SW_SHOWNORMAL);
  ::UpdateWindow(window->frame.get());
  return reinterpret_cast<PixetHostWindow*>(window);
}

PixetHostReport* DesktopHost::OpenReport(int widthPx, int heightPx) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  auto surface = std::make_unique<Surface>();
  surface->report = true;
  surface->frame.reset(::CreateWindowExA(WS_EX_TOOLWINDOW, detail::kFrameClass, "report", WS_POPUP | WS_CLIPCHILDREN,
                                         0, 0, widthPx, heightPx, nullptr, nullptr, Instance(), surface.get()));
  return reinterpret_cast<PixetHostReport*>(Keep(std::move(surface), true));
}

void DesktopHost::ResizeWindow(PixetHostWindow* window, int clientWidthPx, int clientHeightPx) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  Surface* surface = Find(window);
  if (surface == nullptr || !surface->frame.get()) return;
  RECT outer{0, 0, clientWidthPx, clientHeightPx};
  ::AdjustWindowRectEx(&outer, static_cast<DWORD>(::GetWindowLongPtrA(surface->frame.get(), GWL_STYLE)), FALSE,
                       static_cast<DWORD>(::GetWindowLongPtrA(surface->frame.get(), GWL_EXSTYLE)));
  ::SetWindowPos(surface->frame.get(), nullptr, 0, 0, outer.right - outer.left, outer.bottom - outer.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void DesktopHost::Close(Surface* surface) {
  const auto found = std::find_if(surfaces_.begin(), surfaces_.end(),
                                  [surface](const std::unique_ptr<Surface>& kept) { return kept.get() == surface; });
  if (found == surfaces_.end()) return;
  DestroySurface(surface);
  surfaces_.erase(found);
}

void DesktopHost::CloseWindow(PixetHostWindow* window) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  Close(Find(window));
}

void DesktopHost::CloseReport(PixetHostReport* report) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  Close(Find(report));
}

bool DesktopHost::IsOpen(PixetHostWindow* window) const {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  const Surface* surface = Find(window);
  return surface != nullptr && surface->frame;
}

void DesktopHost::SetCurrentWindow(PixetHostWindow* window) { t_current_window = window; }
PixetHostWindow* DesktopHost::CurrentWindow() { return t_current_window; }

void DesktopHost::PumpMessages() {
  MSG msg;
  while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      ::PostQuitMessage(static_cast<int>(msg.wParam));
      return;
    }
    ::TranslateMessage(&msg);
    ::DispatchMessageA(&msg);
  }
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  for (const auto& surface : surfaces_)
    if (surface->frame && !surface->report) ::UpdateWindow(surface->frame.get());
}

// --- Controls ------------------------------------------------------------------------

bool DesktopHost::AddControlTo(Surface* surface, std::int16_t field, int x, int y, int width, int height,
                               ControlKind kind) {
  if (surface == nullptr || surface->client == nullptr || field <= 0 || surface->controls.count(field) != 0)
    return false;
  auto control = std::make_unique<Control>();
  control->surface = surface;
  control->field = field;
  control->kind = kind;
  control->colour = kind == ControlKind::Image ? kImageBackground : kPlainColour;
  control->hwnd.reset(::CreateWindowExA(0, detail::kControlClass, "", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, x, y,
                                        width, height, surface->client,
                                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(field)), Instance(), control.get()));
  if (!control->hwnd.get()) return false;
  surface->controls.emplace(field, std::move(control));
  return true;
}

bool DesktopHost::AddControl(PixetHostWindow* window, std::int16_t field, int x, int y, int width, int height,
                             ControlKind kind) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  return AddControlTo(Find(window), field, x, y, width, height, kind);
}

bool DesktopHost::AddControl(PixetHostReport* report, std::int16_t field, int x, int y, int width, int height,
                             ControlKind kind) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  return AddControlTo(Find(report), field, x, y, width, height, kind);
}

void DesktopHost::RemoveControl(PixetHostWindow* window, std::int16_t field) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  Control* control = FindControl(Find(window), field);
  if (control != nullptr) control->surface->controls.erase(field);
}

void DesktopHost::SetControlColour(PixetHostWindow* window, std::int16_t field, std::uint32_t colourref) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  Control* control = FindControl(Find(window), field);
  if (control == nullptr) return;
  control->colour = colourref;
  if (control->hwnd.get()) ::InvalidateRect(control->hwnd.get(), nullptr, TRUE);
}

// The bytes are kept as given, copied into the block handed out, and decoded; the
// control repaints at once.
void DesktopHost::SetImage(Control* control, const unsigned char* bytes, std::size_t size) {
  ReleaseImage(control);
  control->bytes = size != 0 ? std::make_shared<const std::vector<unsigned char>>(bytes, bytes + size) : EmptyBytes();
  control->block = detail::CopyToMovableBlock(bytes, size);
  control->bitmap = detail::DecodeImage(bytes, size, &control->shown);
  if (!control->bitmap) control->shown = PixelSize{};
  if (control->hwnd.get()) {
    ::InvalidateRect(control->hwnd.get(), nullptr, TRUE);
    ::UpdateWindow(control->hwnd.get());
  }
}

// --- Look-ups ------------------------------------------------------------------------

DesktopHost::Surface* DesktopHost::Find(const void* record, bool report) const {
  for (const auto& surface : surfaces_)
    if (surface.get() == record && surface->report == report) return surface.get();
  return nullptr;
}

bool DesktopHost::Resolve(const Target& target, Surface** surface, Control** control) const {
  switch (target.kind) {
    case Target::Kind::Window:
      *surface = Find(target.window);
      break;
    case Target::Kind::Report:
      *surface = Find(target.report);
      break;
    case Target::Kind::CurrentWindow:
      *surface = Find(t_current_window);
      break;
    case Target::Kind::System:
      *surface = nullptr;
      break;
  }
  *control = FindControl(*surface, target.field);
  return *surface != nullptr && (target.field == 0 || *control != nullptr);
}

}  // namespace pixet::refhost
