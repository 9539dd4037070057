// The desktop host's window classes: frames (windows and reports), their client areas,
// and controls, which paint their picture stretched over them or one colour.
#include "host_records.h"

namespace pixet::refhost::detail {

const char kFrameClass[] = "PixetRefhostFrame";
const char kClientClass[] = "PixetRefhostClient";
const char kControlClass[] = "PixetRefhostControl";

namespace {

template <class T>
T* UserData(HWND hwnd) {
  return reinterpret_cast<T*>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA));
}

void KeepCreateParam(HWND hwnd, LPARAM lp) {
  const auto* cs = reinterpret_cast<const CREATESTRUCTA*>(lp);
  ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
}

void Fill(HDC dc, const RECT& rect, COLORREF colour) {
  const unique_hbrush brush(::CreateSolidBrush(colour));
  ::FillRect(dc, &rect, brush.get());
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
        surface->frame.release();
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

void PaintControl(HWND hwnd, DesktopHost::Control* control) {
  PAINTSTRUCT ps{};
  const unique_paint_dc painting = AcquirePaintDC(hwnd, ps);
  const HDC dc = ps.hdc;
  RECT rect;
  ::GetClientRect(hwnd, &rect);
  if (control != nullptr && control->bitmap) {
    const unique_hdc memory(::CreateCompatibleDC(dc));
    const unique_selection selected = AcquireSelection(memory.get(), control->bitmap.get());
    ::SetStretchBltMode(dc, COLORONCOLOR);
    ::StretchBlt(dc, 0, 0, rect.right, rect.bottom, memory.get(), 0, 0, control->shown.width,
                 control->shown.height, SRCCOPY);
  } else {
    Fill(dc, rect, control != nullptr ? control->colour : kPlainColour);
  }
}

LRESULT CALLBACK ControlProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  auto* control = UserData<DesktopHost::Control>(hwnd);
  switch (msg) {
    case WM_NCCREATE:
      KeepCreateParam(hwnd, lp);
      break;
    case WM_ERASEBKGND:
      return 1;  // WM_PAINT covers the whole control
    case WM_PAINT:
      PaintControl(hwnd, control);
      return 0;
    case WM_NCDESTROY:
      if (control != nullptr) control->hwnd.release();
      ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
      break;
    default:
      break;
  }
  return ::DefWindowProcA(hwnd, msg, wp, lp);
}

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

}  // namespace

HINSTANCE Instance() { return ::GetModuleHandleA(nullptr); }

void EnsureClasses() {
  static const bool registered = RegisterClasses();
  (void)registered;
}

}  // namespace pixet::refhost::detail
