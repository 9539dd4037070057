// Tests on real windows: the reference desktop host registered for the test, one open
// window that is the thread's current target window, a bound object and an engine
// counter that must balance at the end.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include <memory>

#include "pixet/pixet.h"
#include "pixet/refhost.h"
#include "support/engine_counter.h"
#include "support/test_support.h"

namespace pixet::testing {

// The names window tests use, for files that say `using namespace pixet::testing`.
using pixet::HostProperty;
using pixet::HostTarget;
using refhost::ControlKind;
using refhost::DesktopHost;
using refhost::kPlainColour;
using refhost::RecordingHost;

class DesktopTest : public ::testing::Test {
 protected:
  static constexpr int kClientWidth = 320;
  static constexpr int kClientHeight = 240;

  DesktopTest();
  ~DesktopTest() override;
  void TearDown() override;

  // Lets the windows paint, so their pixels can be read from the screen.
  void Pump() { host_.PumpMessages(); }
  HWND Client() const { return host_.ClientHwnd(window_); }
  HWND Picture() const { return pixet_->HPICTUREBOX; }
  // The window's outer size in pixels, as the host reports it for the window itself.
  SIZE OuterSize(PixetHostWindow* window) const;

  refhost::DesktopHost host_;
  ScopedHost registered_{&host_};
  PixetHostWindow* window_ = nullptr;  // kClientWidth x kClientHeight at the screen's origin
  std::unique_ptr<Pixet> pixet_ = Pixet::Create();
  EngineCounter counter_;
};

// A pixel of `hwnd`'s client area as the screen shows it.
COLORREF ScreenPixel(HWND hwnd, int x, int y);
// A pixel of `hwnd` through its window DC (border included).
COLORREF WindowPixel(HWND hwnd, int x, int y);
// Each channel within `tolerance` (lossy sources).
bool Near(COLORREF a, COLORREF b, int tolerance = 24);
// `child`'s rectangle in its parent's client coordinates.
RECT RectInParent(HWND child);
// The bitmap a picture control holds (STM_GETIMAGE), or null.
HBITMAP HeldBitmap(HWND picture);
SIZE BitmapSize(HBITMAP bitmap);

}  // namespace pixet::testing

// gtest output for rectangles and sizes.
inline bool operator==(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}
inline bool operator==(const SIZE& a, const SIZE& b) { return a.cx == b.cx && a.cy == b.cy; }
void PrintTo(const RECT& r, std::ostream* os);
void PrintTo(const SIZE& s, std::ostream* os);
