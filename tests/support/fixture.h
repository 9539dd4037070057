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

// The desktop host, answering reads of the properties in `answers` with their values
// instead (sizes or handles that no real window has), and counting redraw requests.
class TestHost : public DesktopHost {
 public:
  std::map<HostProperty, std::intptr_t> answers;
  int redraws = 0;
  void Redraw(const HostTarget& target) override { ++redraws, DesktopHost::Redraw(target); }
  std::intptr_t ReadProperty(const HostTarget& target, HostProperty id) override {
    const auto found = answers.find(id);
    return found != answers.end() ? found->second : DesktopHost::ReadProperty(target, id);
  }
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
  // what makes them expected.
  std::vector<std::string> TakeMessages();
  void Pump() { host_.PumpMessages(); }
  HWND ControlHwnd(std::int16_t field = kImage) const { return host_.State(window_, field).hwnd; }
  // A web load that stopped waiting for its send leaves the send running, holding the
  // library, until the server gives up: waits (at most 5 s) for it to let go.
  void AwaitAbandonedSends() {
    for (int i = 0; i < 100 && handles_.modules.Held() != 0; ++i) ::Sleep(50);
  }

  TestHost host_;
  struct Registered {  // host_, for the test's life (from before the object is made)
    explicit Registered(HostRuntime* host) : previous(PixetRegisteredHost()) { PixetRegisterHost(host); }
    ~Registered() { PixetRegisterHost(previous); }
    HostRuntime* previous;
  } registered_{&host_};
  PixetHostWindow* window_ = nullptr;
  PixetHostReport* report_ = nullptr;
  std::unique_ptr<Pixet> pixet_ = Pixet::Create();  // before the counters: binding refills the tables
  EngineCounter engine_;
  InternetCounter internet_;
  HandleCounter handles_;
};

// The files the library works through, in the current and the temporary folder.
std::vector<std::string> WorkingFiles();
// A pixel as the screen shows it, in `hwnd`'s client area.
COLORREF ScreenPixel(HWND hwnd, int x, int y);
// Each channel within `tolerance` (lossy sources).
bool Near(COLORREF a, COLORREF b, int tolerance = 24);

}  // namespace pixet::testing
