#include "support/desktop_fixture.h"

#include <cstdlib>
#include <ostream>

namespace pixet::testing {

DesktopTest::DesktopTest() {
  window_ = host_.OpenWindow("pixet test", kClientWidth, kClientHeight);
  refhost::DesktopHost::SetCurrentWindow(window_);
  ClearMessages();
}

DesktopTest::~DesktopTest() { refhost::DesktopHost::SetCurrentWindow(nullptr); }

void DesktopTest::TearDown() { PIXET_EXPECT_BALANCED(counter_); }

SIZE DesktopTest::OuterSize(PixetHostWindow* window) const {
  RECT r;
  ::GetWindowRect(host_.WindowHwnd(window), &r);
  return {r.right - r.left, r.bottom - r.top};
}

COLORREF WindowPixel(HWND hwnd, int x, int y) {
  HDC dc = ::GetWindowDC(hwnd);
  const COLORREF c = ::GetPixel(dc, x, y);
  ::ReleaseDC(hwnd, dc);
  return c;
}

RECT RectInParent(HWND child) {
  RECT r{};
  ::GetWindowRect(child, &r);
  ::MapWindowPoints(HWND_DESKTOP, ::GetParent(child), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

HBITMAP HeldBitmap(HWND picture) {
  return reinterpret_cast<HBITMAP>(::SendMessageA(picture, STM_GETIMAGE, IMAGE_BITMAP, 0));
}

SIZE BitmapSize(HBITMAP bitmap) {
  BITMAP info{};
  if (bitmap == nullptr || ::GetObjectA(bitmap, sizeof info, &info) == 0) return {0, 0};
  return {info.bmWidth, info.bmHeight};
}

}  // namespace pixet::testing

void PrintTo(const RECT& r, std::ostream* os) {
  *os << "{" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << "}";
}
void PrintTo(const SIZE& s, std::ostream* os) { *os << s.cx << " x " << s.cy; }
