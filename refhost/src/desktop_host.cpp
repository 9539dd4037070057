#include <windows.h>

#include <objbase.h>
// gdiplus.h needs min/max from somewhere when NOMINMAX is set.
#include <algorithm>
namespace Gdiplus {
using std::max;
using std::min;
}  // namespace Gdiplus
#include <gdiplus.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>

#include "pixet/refhost.h"

namespace pixet::refhost {

struct DesktopHost::Control {
  Surface* surface = nullptr;
  std::int16_t field = 0;
  ControlKind kind = ControlKind::Plain;
  HWND hwnd = nullptr;
  COLORREF colour = kPlainColour;
  std::string text;
  std::intptr_t writtenHandle = 0;
  bool handleWritten = false;
  // Image controls: the image file as received, the same bytes in a movable block handed
  // out through ImageMemoryBlock (owned here), and the decoded picture.
  std::vector<unsigned char> bytes;
  HGLOBAL block = nullptr;
  HBITMAP bitmap = nullptr;
  PixelSize shown;
  int byteWrites = 0;
  int fileLoads = 0;
  int redraws = 0;
  int paints = 0;
};

// A window or a report: a top-level frame (hidden for reports) and a client-area child
// that fills it and parents the controls.
struct DesktopHost::Surface {
  bool report = false;
  HWND frame = nullptr;
  HWND client = nullptr;
  bool pixelUnits = false;
  std::intptr_t writtenHandle = 0;
  bool handleWritten = false;
  std::map<std::int16_t, std::unique_ptr<Control>> controls;
};

namespace {

const char kFrameClass[] = "PixetRefhostFrame";
const char kClientClass[] = "PixetRefhostClient";
const char kControlClass[] = "PixetRefhostControl";

thread_local PixetHostWindow* t_current_window = nullptr;

const std::vector<unsigned char> kNoBytes;

template <class T>
T* UserData(HWND hwnd) {
  return reinterpret_cast<T*>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA));
}

void KeepCreateParam(HWND hwnd, LPARAM lp) {
  const auto* cs = reinterpret_cast<const CREATESTRUCTA*>(lp);
  ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
}

void Fill(HDC dc, const RECT& rect, COLORREF colour) {
  HBRUSH brush = ::CreateSolidBrush(colour);
  ::FillRect(dc, &rect, brush);
  ::DeleteObject(brush);
}

LRESULT CALLBACK FrameProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  auto* surface = UserData<DesktopHost::Surface>(hwnd);
  switch (msg) {
    case WM_NCCREATE:
      KeepCreateParam(hwnd, lp);
      break;
    case WM_SIZE:
      if (surface != nullptr && surface->client != nullptr)
        ::MoveWindow(surface->client, 0, 0, LOWORD(lp), HIWORD(lp), TRUE);
      return 0;
    case WM_CLOSE:
      if (surface != nullptr && surface->report) return 0;
      break;  // a user closing a window destroys it; the host keeps its record
    case WM_NCDESTROY:
      if (surface != nullptr) {
        surface->frame = nullptr;
        surface->client = nullptr;
      }
      ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
      break;
    default:
      break;
  }
  return ::DefWindowProcA(hwnd, msg, wp, lp);
}

LRESULT CALLBACK ClientProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_ERASEBKGND) {
    RECT rect;
    ::GetClientRect(hwnd, &rect);
    Fill(reinterpret_cast<HDC>(wp), rect, kClientAreaColour);
    return 1;
  }
  return ::DefWindowProcA(hwnd, msg, wp, lp);
}

LRESULT CALLBACK ControlProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  auto* control = UserData<DesktopHost::Control>(hwnd);
  switch (msg) {
    case WM_NCCREATE:
      KeepCreateParam(hwnd, lp);
      break;
    case WM_ERASEBKGND:
      return 1;  // WM_PAINT covers the whole control
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = ::BeginPaint(hwnd, &ps);
      RECT rect;
      ::GetClientRect(hwnd, &rect);
      if (control != nullptr && control->bitmap != nullptr) {
        HDC memory = ::CreateCompatibleDC(dc);
        HGDIOBJ old = ::SelectObject(memory, control->bitmap);
        ::SetStretchBltMode(dc, COLORONCOLOR);
        ::StretchBlt(dc, 0, 0, rect.right, rect.bottom, memory, 0, 0, control->shown.width, control->shown.height,
                     SRCCOPY);
        ::SelectObject(memory, old);
        ::DeleteDC(memory);
      } else {
        Fill(dc, rect, control != nullptr ? control->colour : kPlainColour);
      }
      if (control != nullptr) ++control->paints;
      ::EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_NCDESTROY:
      if (control != nullptr) control->hwnd = nullptr;
      ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
      break;
    default:
      break;
  }
  return ::DefWindowProcA(hwnd, msg, wp, lp);
}

HINSTANCE Instance() { return ::GetModuleHandleA(nullptr); }

// Registered once per process and never unregistered: hosts may come and go.
bool RegisterClasses() {
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof(wc);
  wc.hInstance = Instance();
  wc.hCursor = ::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));

  wc.lpfnWndProc = FrameProc;
  wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
  wc.lpszClassName = kFrameClass;
  bool ok = ::RegisterClassExA(&wc) != 0;

  wc.lpfnWndProc = ClientProc;
  wc.hbrBackground = nullptr;
  wc.lpszClassName = kClientClass;
  ok = ::RegisterClassExA(&wc) != 0 && ok;

  wc.lpfnWndProc = ControlProc;
  wc.lpszClassName = kControlClass;
  ok = ::RegisterClassExA(&wc) != 0 && ok;
  return ok;
}

void EnsureClasses() {
  static const bool registered = RegisterClasses();
  (void)registered;
}

// --- Decoding ------------------------------------------------------------------------

template <class Fn>
Fn Entry(HMODULE module, const char* name) {
  return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(::GetProcAddress(module, name)));
}

// Decodes with GDI+, loaded for the call (the host does not import it, so a process
// without the engine still starts) and started and shut down around the work.
HBITMAP DecodeWithEngine(const unsigned char* bytes, std::size_t size, PixelSize* shown) {
  HMODULE engine = ::LoadLibraryA("gdiplus.dll");
  if (engine == nullptr) return nullptr;
  const auto startup = Entry<decltype(&Gdiplus::GdiplusStartup)>(engine, "GdiplusStartup");
  const auto shutdown = Entry<decltype(&Gdiplus::GdiplusShutdown)>(engine, "GdiplusShutdown");
  const auto fromStream =
      Entry<decltype(&Gdiplus::DllExports::GdipCreateBitmapFromStream)>(engine, "GdipCreateBitmapFromStream");
  const auto toHbitmap =
      Entry<decltype(&Gdiplus::DllExports::GdipCreateHBITMAPFromBitmap)>(engine, "GdipCreateHBITMAPFromBitmap");
  const auto width = Entry<decltype(&Gdiplus::DllExports::GdipGetImageWidth)>(engine, "GdipGetImageWidth");
  const auto height = Entry<decltype(&Gdiplus::DllExports::GdipGetImageHeight)>(engine, "GdipGetImageHeight");
  const auto dispose = Entry<decltype(&Gdiplus::DllExports::GdipDisposeImage)>(engine, "GdipDisposeImage");
  HBITMAP result = nullptr;
  ULONG_PTR token = 0;
  Gdiplus::GdiplusStartupInput input;
  if (startup != nullptr && shutdown != nullptr && fromStream != nullptr && toHbitmap != nullptr &&
      width != nullptr && height != nullptr && dispose != nullptr &&
      startup(&token, &input, nullptr) == Gdiplus::Ok) {
    HGLOBAL copy = ::GlobalAlloc(GMEM_MOVEABLE, size);
    void* target = copy != nullptr ? ::GlobalLock(copy) : nullptr;
    IStream* stream = nullptr;
    if (target != nullptr) {
      std::memcpy(target, bytes, size);
      ::GlobalUnlock(copy);
      if (::CreateStreamOnHGlobal(copy, TRUE, &stream) != S_OK) stream = nullptr;
    }
    if (stream == nullptr && copy != nullptr) ::GlobalFree(copy);
    if (stream != nullptr) {
      Gdiplus::GpBitmap* bitmap = nullptr;
      if (fromStream(stream, &bitmap) == Gdiplus::Ok && bitmap != nullptr) {
        UINT w = 0;
        UINT h = 0;
        HBITMAP hbitmap = nullptr;
        if (width(bitmap, &w) == Gdiplus::Ok && height(bitmap, &h) == Gdiplus::Ok &&
            toHbitmap(bitmap, &hbitmap, 0xFFFFFFFF) == Gdiplus::Ok) {
          result = hbitmap;
          shown->width = static_cast<int>(w);
          shown->height = static_cast<int>(h);
        }
        dispose(bitmap);
      }
      stream->Release();  // frees `copy`
    }
    shutdown(token);
  }
  ::FreeLibrary(engine);
  return result;
}

// Uncompressed and bit-field BMP files without the engine.
HBITMAP DecodeBmp(const unsigned char* bytes, std::size_t size, PixelSize* shown) {
  BITMAPFILEHEADER file;
  BITMAPINFOHEADER info;
  if (size < sizeof(file) + sizeof(info)) return nullptr;
  std::memcpy(&file, bytes, sizeof(file));
  std::memcpy(&info, bytes + sizeof(file), sizeof(info));
  if (file.bfType != 0x4D42 || info.biSize < sizeof(info) || info.biWidth <= 0 || info.biHeight == 0 ||
      (info.biCompression != BI_RGB && info.biCompression != BI_BITFIELDS))
    return nullptr;
  const long long rows = info.biHeight < 0 ? -static_cast<long long>(info.biHeight) : info.biHeight;
  const long long stride = ((static_cast<long long>(info.biWidth) * info.biBitCount + 31) / 32) * 4;
  if (file.bfOffBits >= size || static_cast<long long>(size - file.bfOffBits) < stride * rows) return nullptr;
  // Colour table and masks follow the header; keep them inside the file.
  if (sizeof(file) + info.biSize > file.bfOffBits) return nullptr;
  std::vector<unsigned char> header(bytes + sizeof(file), bytes + file.bfOffBits);
  header.resize(std::max<std::size_t>(header.size(), sizeof(BITMAPINFO) + 256 * sizeof(RGBQUAD)));
  HDC screen = ::GetDC(nullptr);
  HBITMAP result = ::CreateDIBitmap(screen, &info, CBM_INIT, bytes + file.bfOffBits,
                                    reinterpret_cast<const BITMAPINFO*>(header.data()), DIB_RGB_COLORS);
  ::ReleaseDC(nullptr, screen);
  if (result != nullptr) {
    shown->width = info.biWidth;
    shown->height = static_cast<int>(rows);
  }
  return result;
}

HBITMAP Decode(const unsigned char* bytes, std::size_t size, PixelSize* shown) {
  if (size == 0) return nullptr;
  if (HBITMAP engine = DecodeWithEngine(bytes, size, shown)) return engine;
  return DecodeBmp(bytes, size, shown);
}

bool ReadWholeFile(const char* name, std::vector<unsigned char>* out) {
  std::ifstream in(name, std::ios::binary);
  if (!in) return false;
  out->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

bool IsGeometry(HostProperty id) {
  return id == HostProperty::Left || id == HostProperty::Top || id == HostProperty::Width ||
         id == HostProperty::Height;
}

bool IsHorizontal(HostProperty id) { return id == HostProperty::Left || id == HostProperty::Width; }

}  // namespace

// --- Life cycle ----------------------------------------------------------------------

DesktopHost::DesktopHost(MessageMode mode) : mode_(mode) {
  EnsureClasses();
  const LONG units = ::GetDialogBaseUnits();
  if (LOWORD(units) > 0) base_x_ = LOWORD(units);
  if (HIWORD(units) > 0) base_y_ = HIWORD(units);
}

DesktopHost::~DesktopHost() {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  for (auto& surface : surfaces_) DestroySurface(surface.get());
  surfaces_.clear();
}

namespace {

void ReleaseImage(DesktopHost::Control* control) {
  if (control->block != nullptr) ::GlobalFree(control->block);
  if (control->bitmap != nullptr) ::DeleteObject(control->bitmap);
  control->block = nullptr;
  control->bitmap = nullptr;
  control->shown = PixelSize{};
}

}  // namespace

void DesktopHost::DestroySurface(Surface* surface) {
  if (surface->frame != nullptr && ::IsWindow(surface->frame)) ::DestroyWindow(surface->frame);
  for (auto& entry : surface->controls) ReleaseImage(entry.second.get());
  surface->controls.clear();
  if (reinterpret_cast<Surface*>(t_current_window) == surface) t_current_window = nullptr;
}

PixetHostWindow* DesktopHost::OpenWindow(const char* title, int clientWidthPx, int clientHeightPx, int screenX,
                                         int screenY) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  auto surface = std::make_unique<Surface>();
  const DWORD style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
  RECT outer{0, 0, clientWidthPx, clientHeightPx};
  ::AdjustWindowRectEx(&outer, style, FALSE, 0);
  surface->frame = ::CreateWindowExA(0, kFrameClass, title != nullptr ? title : "", style, screenX, screenY,
                                     outer.right - outer.left, outer.bottom - outer.top, nullptr, nullptr,
                                     Instance(), surface.get());
  if (surface->frame == nullptr) return nullptr;
  RECT client;
  ::GetClientRect(surface->frame, &client);
  const DWORD clientStyle = WS_CHILD | WS_VISIBLE | (client_clips_children_ ? WS_CLIPCHILDREN : 0);
  surface->client = ::CreateWindowExA(0, kClientClass, "", clientStyle, 0, 0, client.right, client.bottom,
                                      surface->frame, nullptr, Instance(), nullptr);
  if (surface->client == nullptr) {
    ::DestroyWindow(surface->frame);
    return nullptr;
  }
  ::ShowWindow(surface->frame, SW_SHOWNORMAL);
  ::UpdateWindow(surface->frame);
  surfaces_.push_back(std::move(surface));
  return reinterpret_cast<PixetHostWindow*>(surfaces_.back().get());
}

PixetHostReport* DesktopHost::OpenReport(int widthPx, int heightPx) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  auto surface = std::make_unique<Surface>();
  surface->report = true;
  surface->frame = ::CreateWindowExA(WS_EX_TOOLWINDOW, kFrameClass, "report", WS_POPUP | WS_CLIPCHILDREN, 0, 0,
                                     widthPx, heightPx, nullptr, nullptr, Instance(), surface.get());
  if (surface->frame == nullptr) return nullptr;
  RECT client;
  ::GetClientRect(surface->frame, &client);
  surface->client = ::CreateWindowExA(0, kClientClass, "", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0,
                                      client.right, client.bottom, surface->frame, nullptr, Instance(), nullptr);
  if (surface->client == nullptr) {
    ::DestroyWindow(surface->frame);
    return nullptr;
  }
  surfaces_.push_back(std::move(surface));
  return reinterpret_cast<PixetHostReport*>(surfaces_.back().get());
}

void DesktopHost::ResizeWindow(PixetHostWindow* window, int clientWidthPx, int clientHeightPx) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  Surface* surface = Find(window);
  if (surface == nullptr || surface->frame == nullptr) return;
  RECT outer{0, 0, clientWidthPx, clientHeightPx};
  ::AdjustWindowRectEx(&outer, static_cast<DWORD>(::GetWindowLongPtrA(surface->frame, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(::GetWindowLongPtrA(surface->frame, GWL_EXSTYLE)));
  ::SetWindowPos(surface->frame, nullptr, 0, 0, outer.right - outer.left, outer.bottom - outer.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void DesktopHost::CloseWindow(PixetHostWindow* window) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  for (auto it = surfaces_.begin(); it != surfaces_.end(); ++it) {
    if (reinterpret_cast<PixetHostWindow*>(it->get()) == window && !(*it)->report) {
      DestroySurface(it->get());
      surfaces_.erase(it);
      return;
    }
  }
}

void DesktopHost::CloseReport(PixetHostReport* report) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  for (auto it = surfaces_.begin(); it != surfaces_.end(); ++it) {
    if (reinterpret_cast<PixetHostReport*>(it->get()) == report && (*it)->report) {
      DestroySurface(it->get());
      surfaces_.erase(it);
      return;
    }
  }
}

bool DesktopHost::IsOpen(PixetHostWindow* window) const {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  const Surface* surface = Find(window);
  return surface != nullptr && surface->frame != nullptr;
}

void DesktopHost::SetCurrentWindow(PixetHostWindow* window) { t_current_window = window; }
PixetHostWindow* DesktopHost::CurrentWindow() { return t_current_window; }

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
  control->hwnd = ::CreateWindowExA(0, kControlClass, "", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, x, y, width,
                                    height, surface->client,
                                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(field)), Instance(), control.get());
  if (control->hwnd == nullptr) return false;
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
  Surface* surface = Find(window);
  if (surface == nullptr) return;
  auto it = surface->controls.find(field);
  if (it == surface->controls.end()) return;
  if (it->second->hwnd != nullptr) ::DestroyWindow(it->second->hwnd);
  ReleaseImage(it->second.get());
  surface->controls.erase(it);
}

void DesktopHost::SetControlColour(PixetHostWindow* window, std::int16_t field, std::uint32_t colourref) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  auto* control = const_cast<Control*>(FindControl(Find(window), field));
  if (control == nullptr) return;
  control->colour = colourref;
  if (control->hwnd != nullptr) ::InvalidateRect(control->hwnd, nullptr, TRUE);
}

// --- Look-ups ------------------------------------------------------------------------

DesktopHost::Surface* DesktopHost::Find(PixetHostWindow* window) const {
  for (const auto& surface : surfaces_)
    if (reinterpret_cast<PixetHostWindow*>(surface.get()) == window && !surface->report) return surface.get();
  return nullptr;
}

DesktopHost::Surface* DesktopHost::Find(PixetHostReport* report) const {
  for (const auto& surface : surfaces_)
    if (reinterpret_cast<PixetHostReport*>(surface.get()) == report && surface->report) return surface.get();
  return nullptr;
}

DesktopHost::Surface* DesktopHost::Resolve(const HostTarget& target) const {
  switch (target.kind) {
    case HostTarget::Kind::Window:
      return Find(target.window);
    case HostTarget::Kind::Report:
      return Find(target.report);
    case HostTarget::Kind::CurrentWindow:
      return Find(t_current_window);
    case HostTarget::Kind::System:
      break;
  }
  return nullptr;
}

const DesktopHost::Control* DesktopHost::FindControl(const Surface* surface, std::int16_t field) const {
  if (surface == nullptr) return nullptr;
  auto it = surface->controls.find(field);
  return it == surface->controls.end() ? nullptr : it->second.get();
}

template <class Owner, class Value>
Value DesktopHost::ControlValue(Owner* owner, std::int16_t field, Value Control::*member) const {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  const Control* control = FindControl(Find(owner), field);
  return control != nullptr ? control->*member : Value{};
}

DesktopHost::Control* DesktopHost::ResolveControl(const HostTarget& target, Surface** surface) const {
  *surface = Resolve(target);
  return const_cast<Control*>(FindControl(*surface, target.field));
}

void DesktopHost::CountUnresolved() { ++unresolved_; }

// --- Units and geometry --------------------------------------------------------------

int DesktopHost::UnitsToPixelsX(int units) const { return ::MulDiv(units, base_x_, 4); }
int DesktopHost::UnitsToPixelsY(int units) const { return ::MulDiv(units, base_y_, 8); }
int DesktopHost::PixelsToUnitsX(int pixels) const { return ::MulDiv(pixels, 4, base_x_); }
int DesktopHost::PixelsToUnitsY(int pixels) const { return ::MulDiv(pixels, 8, base_y_); }

namespace {

// The window's rectangle: for a control in its parent's (the client area's) coordinates,
// for a top-level window on the screen.
bool PlacedRect(HWND hwnd, RECT* rect) {
  if (hwnd == nullptr || !::GetWindowRect(hwnd, rect)) return false;
  HWND parent = (::GetWindowLongPtrA(hwnd, GWL_STYLE) & WS_CHILD) != 0 ? ::GetParent(hwnd) : nullptr;
  if (parent != nullptr) ::MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(rect), 2);
  return true;
}

}  // namespace

std::intptr_t DesktopHost::ReadGeometry(Surface* surface, Control* control, HostProperty id) const {
  RECT rect;
  if (!PlacedRect(control != nullptr ? control->hwnd : surface->frame, &rect)) return 0;
  int pixels = 0;
  switch (id) {
    case HostProperty::Left:
      pixels = rect.left;
      break;
    case HostProperty::Top:
      pixels = rect.top;
      break;
    case HostProperty::Width:
      pixels = rect.right - rect.left;
      break;
    default:
      pixels = rect.bottom - rect.top;
      break;
  }
  if (surface->pixelUnits) return pixels;
  return IsHorizontal(id) ? PixelsToUnitsX(pixels) : PixelsToUnitsY(pixels);
}

void DesktopHost::WriteGeometry(Surface* surface, Control* control, HostProperty id, std::intptr_t value) {
  HWND hwnd = control != nullptr ? control->hwnd : surface->frame;
  RECT rect;
  if (!PlacedRect(hwnd, &rect)) return;
  const int given = static_cast<int>(value);
  const int pixels = surface->pixelUnits ? given : IsHorizontal(id) ? UnitsToPixelsX(given) : UnitsToPixelsY(given);
  int x = rect.left;
  int y = rect.top;
  int w = rect.right - rect.left;
  int h = rect.bottom - rect.top;
  switch (id) {
    case HostProperty::Left:
      x = pixels;
      break;
    case HostProperty::Top:
      y = pixels;
      break;
    case HostProperty::Width:
      w = pixels;
      break;
    default:
      h = pixels;
      break;
  }
  ::SetWindowPos(hwnd, nullptr, x, y, w, h, SWP_NOZORDER | SWP_NOACTIVATE);
}

// --- HostRuntime ---------------------------------------------------------------------

std::intptr_t DesktopHost::ReadProperty(const HostTarget& target, HostProperty id) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  if (target.kind == HostTarget::Kind::System)
    return id == HostProperty::InstanceHandle ? reinterpret_cast<std::intptr_t>(::GetModuleHandleA(nullptr)) : 0;
  Surface* surface = nullptr;
  Control* control = ResolveControl(target, &surface);
  if (surface == nullptr || (target.field != 0 && control == nullptr)) {
    CountUnresolved();
    return 0;
  }
  if (IsGeometry(id)) return ReadGeometry(surface, control, id);
  switch (id) {
    case HostProperty::PixelUnits:
      return surface->pixelUnits ? 1 : 0;
    case HostProperty::ClientAreaHandle:
      return reinterpret_cast<std::intptr_t>(surface->client);
    case HostProperty::WindowHandle:
      if (control == nullptr)
        return surface->handleWritten ? surface->writtenHandle : reinterpret_cast<std::intptr_t>(surface->frame);
      return control->handleWritten ? control->writtenHandle : reinterpret_cast<std::intptr_t>(control->hwnd);
    case HostProperty::ImageMemoryBlock:
      return control != nullptr ? reinterpret_cast<std::intptr_t>(control->block) : 0;
    case HostProperty::ControlText:
      return control != nullptr ? std::strtol(control->text.c_str(), nullptr, 10) : 0;
    default:
      return 0;
  }
}

void DesktopHost::WriteProperty(const HostTarget& target, HostProperty id, std::intptr_t value) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  if (target.kind == HostTarget::Kind::System) return;
  Surface* surface = nullptr;
  Control* control = ResolveControl(target, &surface);
  if (surface == nullptr || (target.field != 0 && control == nullptr)) {
    CountUnresolved();
    return;
  }
  if (IsGeometry(id)) {
    WriteGeometry(surface, control, id, value);
    return;
  }
  switch (id) {
    case HostProperty::PixelUnits:  // a window-wide flag, whichever field names it
      surface->pixelUnits = value != 0;
      break;
    case HostProperty::WindowHandle:
      if (control == nullptr) {
        surface->writtenHandle = value;
        surface->handleWritten = true;
      } else {
        control->writtenHandle = value;
        control->handleWritten = true;
      }
      break;
    default:
      break;
  }
}

void DesktopHost::WritePropertyText(const HostTarget& target, HostProperty id, const char* text) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  if (target.kind == HostTarget::Kind::System) return;
  Surface* surface = nullptr;
  Control* control = ResolveControl(target, &surface);
  if (surface == nullptr || (target.field != 0 && control == nullptr)) {
    CountUnresolved();
    return;
  }
  if (id != HostProperty::ControlText) return;
  const char* given = text != nullptr ? text : "";
  if (control == nullptr) {  // the window's title
    if (surface->frame != nullptr) ::SetWindowTextA(surface->frame, given);
    return;
  }
  control->text = given;
  if (control->kind != ControlKind::Image) return;
  // An image control reads the named file at once; a missing file leaves it empty.
  ++control->fileLoads;
  std::vector<unsigned char> bytes;
  if (!ReadWholeFile(given, &bytes)) bytes.clear();
  SetImage(control, bytes.data(), bytes.size());
}

void DesktopHost::WritePropertyBytes(const HostTarget& target, HostProperty id, const void* bytes,
                                     std::size_t size) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  if (target.kind == HostTarget::Kind::System) return;
  Surface* surface = nullptr;
  Control* control = ResolveControl(target, &surface);
  if (surface == nullptr || control == nullptr) {
    CountUnresolved();
    return;
  }
  if (id != HostProperty::ImageFileBytes || control->kind != ControlKind::Image) return;
  ++control->byteWrites;
  SetImage(control, static_cast<const unsigned char*>(bytes), bytes != nullptr ? size : 0);
}

void DesktopHost::SetImage(Control* control, const unsigned char* bytes, std::size_t size) {
  ReleaseImage(control);
  control->bytes.assign(bytes, bytes + size);
  if (size != 0) {
    control->block = ::GlobalAlloc(GMEM_MOVEABLE, size);
    void* target = control->block != nullptr ? ::GlobalLock(control->block) : nullptr;
    if (target != nullptr) {
      std::memcpy(target, bytes, size);
      ::GlobalUnlock(control->block);
    }
  }
  control->bitmap = Decode(bytes, size, &control->shown);
  if (control->bitmap == nullptr) control->shown = PixelSize{};
  if (control->hwnd != nullptr) {
    ::InvalidateRect(control->hwnd, nullptr, TRUE);
    ::UpdateWindow(control->hwnd);
  }
}

void DesktopHost::RedrawControl(Control* control) {
  ++control->redraws;
  if (control->hwnd != nullptr)
    ::RedrawWindow(control->hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
}

void DesktopHost::Redraw(const HostTarget& target) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  ++redraws_;
  Surface* surface = nullptr;
  Control* control = ResolveControl(target, &surface);
  if (surface == nullptr || (target.field != 0 && control == nullptr)) {
    CountUnresolved();
    return;
  }
  if (control != nullptr) {
    RedrawControl(control);
    return;
  }
  for (auto& entry : surface->controls) RedrawControl(entry.second.get());
}

void DesktopHost::ShowMessage(const char* text, const char* caption, MessageIcon icon) {
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

// --- Messages and pumping ------------------------------------------------------------

void DesktopHost::SetMessageMode(MessageMode mode) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  mode_ = mode;
}

const std::vector<Message>& DesktopHost::Messages() const { return messages_; }

void DesktopHost::ClearMessages() {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  messages_.clear();
}

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
    if (surface->frame != nullptr && !surface->report) ::UpdateWindow(surface->frame);
}

// --- Inspection ----------------------------------------------------------------------

HWND__* DesktopHost::WindowHwnd(PixetHostWindow* window) const {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  const Surface* surface = Find(window);
  return surface != nullptr ? surface->frame : nullptr;
}

HWND__* DesktopHost::ClientHwnd(PixetHostWindow* window) const {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  const Surface* surface = Find(window);
  return surface != nullptr ? surface->client : nullptr;
}

HWND__* DesktopHost::ReportHwnd(PixetHostReport* report) const {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  const Surface* surface = Find(report);
  return surface != nullptr ? surface->frame : nullptr;
}

HWND__* DesktopHost::ControlHwnd(PixetHostWindow* window, std::int16_t field) const {
  return ControlValue(window, field, &Control::hwnd);
}

HWND__* DesktopHost::ControlHwnd(PixetHostReport* report, std::int16_t field) const {
  return ControlValue(report, field, &Control::hwnd);
}

bool DesktopHost::PixelUnits(PixetHostWindow* window) const {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  const Surface* surface = Find(window);
  return surface != nullptr && surface->pixelUnits;
}

bool DesktopHost::PixelUnits(PixetHostReport* report) const {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  const Surface* surface = Find(report);
  return surface != nullptr && surface->pixelUnits;
}

const std::vector<unsigned char>& DesktopHost::ImageBytes(PixetHostWindow* window, std::int16_t field) const {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  const Control* control = FindControl(Find(window), field);
  return control != nullptr ? control->bytes : kNoBytes;
}

const std::vector<unsigned char>& DesktopHost::ImageBytes(PixetHostReport* report, std::int16_t field) const {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  const Control* control = FindControl(Find(report), field);
  return control != nullptr ? control->bytes : kNoBytes;
}

int DesktopHost::ImageBytesWrites(PixetHostWindow* window, std::int16_t field) const {
  return ControlValue(window, field, &Control::byteWrites);
}

int DesktopHost::ImageBytesWrites(PixetHostReport* report, std::int16_t field) const {
  return ControlValue(report, field, &Control::byteWrites);
}

int DesktopHost::ImageFileLoads(PixetHostWindow* window, std::int16_t field) const {
  return ControlValue(window, field, &Control::fileLoads);
}

int DesktopHost::ImageFileLoads(PixetHostReport* report, std::int16_t field) const {
  return ControlValue(report, field, &Control::fileLoads);
}

PixelSize DesktopHost::ShownImageSize(PixetHostWindow* window, std::int16_t field) const {
  return ControlValue(window, field, &Control::shown);
}

PixelSize DesktopHost::ShownImageSize(PixetHostReport* report, std::int16_t field) const {
  return ControlValue(report, field, &Control::shown);
}

std::string DesktopHost::ControlText(PixetHostWindow* window, std::int16_t field) const {
  return ControlValue(window, field, &Control::text);
}

std::string DesktopHost::ControlText(PixetHostReport* report, std::int16_t field) const {
  return ControlValue(report, field, &Control::text);
}

std::intptr_t DesktopHost::WrittenHandle(PixetHostWindow* window, std::int16_t field) const {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  const Surface* surface = Find(window);
  if (surface == nullptr) return 0;
  if (field == 0) return surface->writtenHandle;
  const Control* control = FindControl(surface, field);
  return control != nullptr ? control->writtenHandle : 0;
}

int DesktopHost::RedrawCount() const {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  return redraws_;
}

int DesktopHost::RedrawCount(PixetHostWindow* window, std::int16_t field) const {
  return ControlValue(window, field, &Control::redraws);
}

int DesktopHost::PaintCount(PixetHostWindow* window, std::int16_t field) const {
  return ControlValue(window, field, &Control::paints);
}

int DesktopHost::UnresolvedCount() const {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  return unresolved_;
}

}  // namespace pixet::refhost
