// Drawing straight into a control's window.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "support/desktop_fixture.h"
#include "support/engine_tap.h"

using namespace pixet::testing;

namespace {

constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr std::int16_t kControl = 8;

class DrawImage : public DesktopTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(host_.AddControl(window_, kControl, 40, 30, 100, 60, ControlKind::Plain));
    Pump();
    ASSERT_EQ(ControlPixel(50, 30), kPlainColour);
  }
  HWND Control() const { return host_.ControlHwnd(window_, kControl); }
  COLORREF ControlPixel(int x, int y) const { return WindowPixel(Control(), x, y); }
  void ExpectHalves(const char* why) const {
    for (int y : {0, 30, 57}) {
      EXPECT_EQ(ControlPixel(0, y), kRed) << why << " y " << y;
      EXPECT_EQ(ControlPixel(45, y), kRed) << why << " y " << y;
      EXPECT_EQ(ControlPixel(55, y), kBlue) << why << " y " << y;
      EXPECT_EQ(ControlPixel(97, y), kBlue) << why << " y " << y;
    }
  }
  // Whether part of the client area waits to be painted.
  bool ClientNeedsPaint() const { return ::GetUpdateRect(Client(), nullptr, FALSE) != FALSE; }
};

TEST_F(DrawImage, PaintsTheControlsWindowStretched) {
  const int redraws = host_.RedrawCount(window_, kControl);
  EXPECT_EQ(pixet_->DrawImage(window_, Sample("halves.png").c_str(), kControl, 0, 0), 1);
  ExpectHalves("right after the call");
  EXPECT_GT(host_.RedrawCount(window_, kControl), redraws) << "controls refreshed first";
  RECT pending{};
  ASSERT_TRUE(::GetUpdateRect(Client(), &pending, FALSE));
  EXPECT_EQ(pending, (RECT{40, 30, 140, 90})) << "the control's rectangle was invalidated";
  EXPECT_FALSE(host_.PixelUnits(window_));
  EXPECT_TRUE(host_.Messages().empty());

  // Nothing is kept: the control's next paint replaces the drawing.
  ::RedrawWindow(Control(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  EXPECT_EQ(ControlPixel(50, 30), kPlainColour);
}

TEST_F(DrawImage, WholeWindowFlagOnlySkipsTheInvalidation) {
  for (std::int32_t last : {0, 77}) {  // the last argument has no effect
    EXPECT_EQ(pixet_->DrawImage(window_, Sample("halves.png").c_str(), kControl, 1, last), 1);
    ExpectHalves("flag set");
    EXPECT_FALSE(ClientNeedsPaint());
  }
}

TEST_F(DrawImage, ImageThatCannotLoadDrawsNothing) {
  for (const std::string& source : {std::string("no-such-file.png"), Sample("not-image.png"), Sample("empty.png")}) {
    const int redraws = host_.RedrawCount();
    EXPECT_EQ(pixet_->DrawImage(window_, source.c_str(), kControl, 0, 0), 1) << source;
    EXPECT_EQ(ControlPixel(50, 30), kPlainColour) << source;
    EXPECT_GT(host_.RedrawCount(), redraws) << source;
    EXPECT_FALSE(host_.PixelUnits(window_));
  }
  EXPECT_EQ(counter_.Calls("GdipDrawImageRectI"), 0);
  EXPECT_TRUE(host_.Messages().empty());
}

TEST_F(DrawImage, ControlWithoutAWindowHandleGetsNoDeviceContext) {
  EXPECT_EQ(pixet_->DrawImage(window_, Sample("halves.png").c_str(), 99, 0, 0), 1);
  EXPECT_EQ(counter_.Calls("GdipCreateFromHDC"), 0);
  EXPECT_EQ(counter_.Calls("GdipDrawImageRectI"), 0);
  EXPECT_FALSE(host_.PixelUnits(window_));
}

TEST_F(DrawImage, ZeroSizeControlIsDrawnAtZeroSize) {
  ASSERT_TRUE(host_.AddControl(window_, 9, 5, 5, 0, 0, ControlKind::Plain));
  EngineTap<&pixet::engine::Table::GdipDrawImageRectI> draw;
  EXPECT_EQ(pixet_->DrawImage(window_, Sample("halves.png").c_str(), 9, 0, 0), 1);
  ASSERT_EQ(draw.calls().size(), 1u);
  EXPECT_EQ(std::get<4>(draw.calls()[0]), 0);
  EXPECT_EQ(std::get<5>(draw.calls()[0]), 0);
  EXPECT_EQ(ControlPixel(50, 30), kPlainColour);
}

// Mend: without a client-area handle nothing is invalidated; a null window would make
// the system repaint every window on the desktop.
TEST_F(DrawImage, UnknownClientAreaInvalidatesNothingElse) {
  PixetHostWindow* bystander = host_.OpenWindow("bystander", 120, 80, 600, 0);
  ASSERT_TRUE(host_.AddControl(bystander, 1, 0, 0, 50, 50, ControlKind::Plain));
  Pump();
  const int paints = host_.PaintCount(bystander, 1);
  auto* unknown = reinterpret_cast<PixetHostWindow*>(0x3000);  // not a window of the host
  EXPECT_EQ(pixet_->DrawImage(unknown, Sample("halves.png").c_str(), kControl, 0, 0), 1);
  ExpectHalves("drawn into the current window's control");
  Pump();
  EXPECT_EQ(host_.PaintCount(bystander, 1), paints);
}

// DrawImage's host traffic: pixel units on for the given window, then on and off for the
// current target window around the refresh and the drawing.
TEST(DrawImageHostCalls, PixelUnitsEndOffOnTheCurrentWindow) {
  RecordingHost recorder;
  ScopedHost registered(&recorder);
  recorder.SetEchoWrites(true);
  auto pixet = Pixet::Create();
  auto* window = reinterpret_cast<PixetHostWindow*>(0x1000);
  recorder.SetValue(HostTarget::Current(), HostProperty::PixelUnits, 1);
  ASSERT_EQ(pixet->DrawImage(window, Sample("halves.png").c_str(), 2, 0, 0), 1);
  EXPECT_EQ(recorder.ReadProperty(HostTarget::Current(), HostProperty::PixelUnits), 0);
  EXPECT_EQ(recorder.ReadProperty(HostTarget::Of(window), HostProperty::PixelUnits), 1)
      << "the given window's units stay on when it is not the current one";
  EXPECT_EQ(recorder.Count(RecordingHost::Operation::Redraw), 1u);
}

}  // namespace
