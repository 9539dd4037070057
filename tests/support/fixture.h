// The one fixture of every suite. Each test gets the reference desktop host, a window
// that is its thread's current window, a report, and a bound object whose engine and
// use of the engine, WinINet and the system is counted. After every test, whatever it did,
// nothing may be left behind: engine start-ups balance their shutdowns and no engine object,
// stream or block lives; no WinINet handle, DC, GDI object, selection, clipboard open, memory
// block or lock, file, event, thread or module of the library's is left; no working file is
// left; the
// resource switch is off and no resource library is named; and every message box shown
// was taken by the test.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <map>
#include <mutex>
#include <memory>
#include <string>
#include <vector>

#include "pixet/pixet.h"
#include "pixet/refhost.h"
#include "support/counters.h"
#include "support/test_support.h"

#undef LoadImage

namespace pixet::testing {

using refhost::ControlKind;
using refhost::DesktopHost;
using refhost::Icon;
using refhost::Property;
using refhost::Target;

// The desktop host, answering reads of the properties in `answers` with their values
// instead (sizes or handles that no real window has), and recording what it is asked to
// change, in order: "write TARGET PROPERTY=VALUE", "text TARGET PROPERTY=TEXT", "bytes
// TARGET PROPERTY=FIRST-TWO-BYTES", "redraw TARGET". A TARGET is "system" or the name of a
// window or report ("window", "report", or one given in `names`; "current" for the
// thread's current window) and a field number: "window 1".
class TestHost : public DesktopHost {
 public:
  std::map<Property, std::intptr_t> answers;
  std::map<const void*, std::string> names;

  std::intptr_t ReadProperty(const Target& target, Property id) override;
  void WriteProperty(const Target& target, Property id, std::intptr_t value) override;
  void WritePropertyText(const Target& target, Property id, const char* text) override;
  void WritePropertyBytes(const Target& target, Property id, const void* bytes, std::size_t size) override;
  void Redraw(const Target& target) override;
  std::vector<std::string> TakeCalls();

 private:
  void Record(const std::string& what, const Target& target, const std::string& change);
  std::mutex mutex_;
  std::vector<std::string> calls_;
};

class PixetTest : public ::testing::Test {
 protected:
  static constexpr int kClientWidth = 320;
  static constexpr int kClientHeight = 240;
  static constexpr std::int16_t kImage = 1;  // an 80 x 60 image control at (10, 10), in window_ and report_

  PixetTest();
  ~PixetTest() override;
  void TearDown() override;

  // The texts of the message boxes shown since the last call, in order; taking them is
  // what makes them expected. The same for the changes asked of the host.
  std::vector<std::string> TakeMessages();
  std::vector<std::string> TakeHostCalls() { return host_.TakeCalls(); }
  void Pump() { host_.PumpMessages(); }
  HWND ControlHwnd(std::int16_t field = kImage) const { return host_.State(window_, field).hwnd; }
  // A web load's send runs on a thread of its own that holds the library until it ends: a
  // moment after the load returns, or, when the load stopped waiting for it, once the server
  // gives up. Waits (at most 5 s) for every such thread to let go; the tear-down does.
  void AwaitAbandonedSends() {
    for (int i = 0; i < 100 && handles_.modules.Held() != 0; ++i) ::Sleep(50);
  }

  TestHost host_;
  struct Registered {  // host_, for the test's life (from before the object is made)
    explicit Registered(TestHost& host) { host.Register(); }
    ~Registered() { DefaultHost().Register(); }
  } registered_{host_};
  PixetHostWindow* window_ = nullptr;
  PixetHostReport* report_ = nullptr;
  std::unique_ptr<Pixet> pixet_ = Pixet::Create();  // before the counters: binding refills the tables
  EngineCounter engine_;
  HandleCounter handles_;
};

// What a host is asked to change by the display methods, in order. Showing in a picture
// control: `window`'s pixel units on while its size is read, the new picture control's
// handle given to the current window's `control` (none when the picture covers the whole
// window: pass 0), and the units off again. Drawing: `window`'s units on (and left on),
// the current window's on while it is drawn into, its redraw, and its units off again.
std::vector<std::string> ShownCalls(std::int16_t control, HWND picture, const std::string& window = "window");
std::vector<std::string> DrawnCalls(const std::string& window = "window");

// The files the library works through, in the current and the temporary folder.
std::vector<std::string> WorkingFiles();
// A pixel as the screen shows it, in `hwnd`'s client area.
COLORREF ScreenPixel(HWND hwnd, int x, int y);
// Each channel within `tolerance` (lossy sources).
bool Near(COLORREF a, COLORREF b, int tolerance = 24);

}  // namespace pixet::testing
