// Stretching an image into a new picture control, on real windows.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "core/engine.h"
#include "support/desktop_fixture.h"
#include "support/engine_tap.h"

using namespace pixet::testing;
using Table = pixet::engine::Table;

namespace {

constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr std::int16_t kControl = 7;

Gdiplus::ARGB OpaqueArgb(int index) {
  const COLORREF c = ::GetSysColor(index);
  return 0xFF000000u | (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
}

class DisplayImage : public DesktopTest {
 protected:
  void AddControl(int x, int y, int width, int height) {
    ASSERT_TRUE(host_.AddControl(window_, kControl, x, y, width, height, ControlKind::Plain));
  }
};

TEST_F(DisplayImage, StretchesOverTheControlWithoutBars) {
  AddControl(30, 20, 200, 50);  // 4:1; the source is 4:3
  const RECT control_rect = RectInParent(host_.ControlHwnd(window_, kControl));
  EXPECT_EQ(pixet_->DisplayImage(window_, Sample("halves.png").c_str(), kControl, 0, 0), 1);
  HWND picture = Picture();
  ASSERT_TRUE(::IsWindow(picture));
  EXPECT_EQ(::GetParent(picture), Client());
  EXPECT_EQ(RectInParent(picture), control_rect);
  EXPECT_EQ(BitmapSize(HeldBitmap(picture)), (SIZE{200, 50}));
  Pump();
  for (int y : {0, 25, 47}) {
    for (int x : {0, 50, 95}) EXPECT_EQ(ScreenPixel(picture, x, y), kRed) << x << ", " << y;
    for (int x : {105, 150, 190}) EXPECT_EQ(ScreenPixel(picture, x, y), kBlue) << x << ", " << y;
  }
  // The engine blends the last row and column with what lies under the image, but no
  // strip of the fill colour is left at any side.
  const COLORREF fill = ::GetSysColor(COLOR_BTNFACE);
  for (int y : {0, 25, 49}) EXPECT_NE(ScreenPixel(picture, 199, y), fill) << y;
  for (int x : {0, 100, 199}) EXPECT_NE(ScreenPixel(picture, x, 49), fill) << x;
  EXPECT_FALSE(host_.PixelUnits(window_));
  EXPECT_TRUE(host_.Messages().empty());
}

TEST_F(DisplayImage, WholeWindowFlagCoversTheClientAreaAtTheOrigin) {
  AddControl(30, 20, 60, 40);
  EXPECT_EQ(pixet_->DisplayImage(window_, Sample("halves.png").c_str(), kControl, 1, 0), 1);
  HWND picture = Picture();
  ASSERT_TRUE(::IsWindow(picture));
  const SIZE outer = OuterSize(window_);
  EXPECT_EQ(RectInParent(picture), (RECT{0, 0, outer.cx, outer.cy}));
  EXPECT_EQ(host_.WrittenHandle(window_, kControl), 0) << "the control plays no part";
  Pump();
  EXPECT_EQ(ScreenPixel(Client(), 0, 0), kRed);
  EXPECT_EQ(ScreenPixel(Client(), 0, kClientHeight - 1), kRed);
  EXPECT_EQ(ScreenPixel(Client(), kClientWidth - 1, 0), kBlue);
  EXPECT_EQ(ScreenPixel(Client(), kClientWidth - 1, kClientHeight - 1), kBlue);
}

TEST_F(DisplayImage, FillColourShowsThroughTransparentParts) {
  AddControl(10, 10, 64, 64);
  for (int workspace : {0, 1}) {
    const COLORREF fill = ::GetSysColor(workspace != 0 ? COLOR_APPWORKSPACE : COLOR_BTNFACE);
    EXPECT_EQ(pixet_->DisplayImage(window_, Sample("transparent.png").c_str(), kControl, 0, workspace), 1);
    Pump();
    EXPECT_EQ(ScreenPixel(Picture(), 2, 2), fill) << workspace;
    EXPECT_EQ(ScreenPixel(Picture(), 61, 61), fill) << workspace;
    EXPECT_EQ(ScreenPixel(Picture(), 32, 32), kRed) << workspace;
  }
  EXPECT_NE(::GetSysColor(COLOR_APPWORKSPACE), ::GetSysColor(COLOR_BTNFACE)) << "the two cases must differ";
}

TEST_F(DisplayImage, HandsTheEngineItsSizeFormatResolutionModeAndColours) {
  AddControl(0, 0, 90, 70);
  EngineTap<&Table::GdipCreateBitmapFromScan0> scan0;
  EngineTap<&Table::GdipSetInterpolationMode> mode;
  EngineTap<&Table::GdipBitmapSetResolution> resolution;
  EngineTap<&Table::GdipGraphicsClear> clear;
  EngineTap<&Table::GdipCreateHBITMAPFromBitmap> hbitmap;
  for (int workspace : {0, 1}) {
    ASSERT_EQ(pixet_->DisplayImage(window_, Sample("halves.png").c_str(), kControl, 0, workspace), 1);
  }
  ASSERT_EQ(scan0.calls().size(), 2u);
  EXPECT_EQ(std::get<0>(scan0.calls()[0]), 90);
  EXPECT_EQ(std::get<1>(scan0.calls()[0]), 70);
  EXPECT_EQ(std::get<2>(scan0.calls()[0]), 0) << "stride";
  EXPECT_EQ(std::get<3>(scan0.calls()[0]), PixelFormat24bppRGB) << "the source's format";
  EXPECT_EQ(std::get<4>(scan0.calls()[0]), nullptr) << "engine-owned pixels";
  ASSERT_EQ(mode.calls().size(), 2u);
  EXPECT_EQ(std::get<1>(mode.calls()[0]), Gdiplus::InterpolationModeLowQuality);
  ASSERT_EQ(resolution.calls().size(), 2u);
  EXPECT_NEAR(std::get<1>(resolution.calls()[0]), 150.0, 0.1) << "the source's resolution";
  EXPECT_NEAR(std::get<2>(resolution.calls()[0]), 150.0, 0.1);
  ASSERT_EQ(clear.calls().size(), 2u);
  ASSERT_EQ(hbitmap.calls().size(), 2u);
  EXPECT_EQ(std::get<1>(clear.calls()[0]), OpaqueArgb(COLOR_BTNFACE));
  EXPECT_EQ(std::get<2>(hbitmap.calls()[0]), OpaqueArgb(COLOR_BTNFACE));
  EXPECT_EQ(std::get<1>(clear.calls()[1]), OpaqueArgb(COLOR_APPWORKSPACE));
  EXPECT_EQ(std::get<2>(hbitmap.calls()[1]), OpaqueArgb(COLOR_WINDOWFRAME));
}

// Records the engine calls made before the picture control is asked for.
class Watched : public Pixet {
 public:
  EngineCounter* counter = nullptr;
  std::vector<std::string> before_box;
  std::int32_t CreatePictureBox(PixetHostWindow* w, std::int16_t c, std::int32_t whole) override {
    if (counter != nullptr) before_box = counter->Order();
    return Pixet::CreatePictureBox(w, c, whole);
  }
};

TEST_F(DisplayImage, StepsRunInOrderAndTheControlComesLast) {
  AddControl(5, 5, 40, 30);
  auto watched = Pixet::Create<Watched>();
  EngineCounter counter;  // after the object: binding refills the table
  watched->counter = &counter;
  ASSERT_EQ(watched->DisplayImage(window_, Sample("halves.png").c_str(), kControl, 0, 0), 1);
  const std::vector<std::string> engine_steps = {
      "GdiplusStartup", "GdipLoadImageFromFile", "GdipGetImagePixelFormat", "GdipCreateBitmapFromScan0",
      "GdipGetImageGraphicsContext", "GdipSetInterpolationMode", "GdipGetImageHorizontalResolution",
      "GdipGetImageVerticalResolution", "GdipBitmapSetResolution", "GdipGraphicsClear", "GdipDrawImageRectI",
      "GdipCreateHBITMAPFromBitmap"};
  EXPECT_EQ(watched->before_box, engine_steps) << "the control is made once the bitmap handle exists";
  std::vector<std::string> all = engine_steps;
  for (const char* release : {"GdipDeleteGraphics", "GdipDisposeImage", "GdipDisposeImage", "GdiplusShutdown"})
    all.emplace_back(release);
  EXPECT_EQ(counter.Order(), all);
  EXPECT_NE(HeldBitmap(watched->HPICTUREBOX), nullptr) << "STM_SETIMAGE handed the bitmap over";
  PIXET_EXPECT_BALANCED(counter);
}

TEST_F(DisplayImage, TwoCallsStackTwoControls) {
  AddControl(20, 20, 50, 50);
  ASSERT_EQ(pixet_->DisplayImage(window_, Sample("halves.png").c_str(), kControl, 0, 0), 1);
  HWND first = Picture();
  ASSERT_EQ(pixet_->DisplayImage(window_, Sample("transparent.png").c_str(), kControl, 0, 0), 1);
  HWND second = Picture();
  EXPECT_NE(first, second);
  EXPECT_TRUE(::IsWindow(first));
  EXPECT_EQ(RectInParent(first), RectInParent(second));
  EXPECT_EQ(host_.WrittenHandle(window_, kControl), reinterpret_cast<std::intptr_t>(second));
}

TEST_F(DisplayImage, ImagesThatCannotLoadStillGetAPictureControl) {
  AddControl(10, 10, 40, 30);
  for (const std::string& source : {std::string("no-such-file.png"), Sample("not-image.png"), Sample("empty.png")}) {
    pixet_->HPICTUREBOX = nullptr;
    EXPECT_EQ(pixet_->DisplayImage(window_, source.c_str(), kControl, 0, 0), 1) << source;
    ASSERT_TRUE(::IsWindow(Picture())) << source;
    EXPECT_EQ(RectInParent(Picture()), (RECT{10, 10, 50, 40})) << source;
  }
  EXPECT_TRUE(host_.Messages().empty());
  EXPECT_EQ(counter_.Calls("GdipDrawImageRectI"), 3);
}

TEST_F(DisplayImage, ZeroSizeControlGivesAnEmptyPictureControl) {
  AddControl(10, 10, 0, 0);
  EXPECT_EQ(pixet_->DisplayImage(window_, Sample("halves.png").c_str(), kControl, 0, 0), 1);
  ASSERT_TRUE(::IsWindow(Picture()));
  EXPECT_EQ(RectInParent(Picture()), (RECT{10, 10, 10, 10}));
  EXPECT_EQ(HeldBitmap(Picture()), nullptr);
}

TEST_F(DisplayImage, IndexedSourceGivesAnIndexedTargetOfTheControlsSize) {
  AddControl(0, 0, 48, 36);
  EngineTap<&Table::GdipCreateBitmapFromScan0> scan0;
  EXPECT_EQ(pixet_->DisplayImage(window_, Sample("palette.png").c_str(), kControl, 0, 0), 1);
  ASSERT_EQ(scan0.calls().size(), 1u);
  EXPECT_EQ(std::get<3>(scan0.calls()[0]), PixelFormat8bppIndexed);
  EXPECT_EQ(BitmapSize(HeldBitmap(Picture())), (SIZE{48, 36}));
}

// Mend: a bitmap handle that no picture control took is deleted, not leaked.
TEST_F(DisplayImage, BitmapIsDeletedWhenNoControlTakesIt) {
  AddControl(0, 0, 30, 20);
  HBITMAP made = nullptr;
  EngineTap<&Table::GdipCreateHBITMAPFromBitmap> tap;
  tap.after([&made](Gdiplus::GpBitmap*, HBITMAP* out, Gdiplus::ARGB) { made = *out; });

  ASSERT_EQ(pixet_->DisplayImage(window_, Sample("halves.png").c_str(), kControl, 0, 0), 1);
  ASSERT_NE(made, nullptr);
  EXPECT_EQ(::GetObjectType(made), static_cast<DWORD>(OBJ_BITMAP)) << "the control owns it";

  DesktopHost::SetCurrentWindow(nullptr);  // no parent: no control
  made = nullptr;
  EXPECT_EQ(pixet_->DisplayImage(window_, Sample("halves.png").c_str(), kControl, 1, 0), 1);
  EXPECT_EQ(pixet_->HPICTUREBOX, nullptr);
  ASSERT_NE(made, nullptr);
  EXPECT_EQ(::GetObjectType(made), 0u) << "deleted";
}

// What the host sees, in order; pixel units end at 0 whatever they were.
TEST(DisplayImageHostCalls, PropertyTrafficInOrder) {
  RecordingHost recorder;
  ScopedHost registered(&recorder);
  auto pixet = Pixet::Create();
  auto* window = reinterpret_cast<PixetHostWindow*>(0x1000);
  recorder.SetValue(HostTarget::Of(window), HostProperty::PixelUnits, 1);
  ASSERT_EQ(pixet->DisplayImage(window, Sample("halves.png").c_str(), 4, 0, 0), 1);
  using Op = RecordingHost::Operation;
  struct Expected {
    Op op;
    HostTarget::Kind kind;
    std::int16_t field;
    HostProperty id;
  };
  const HostTarget::Kind W = HostTarget::Kind::Window, C = HostTarget::Kind::CurrentWindow,
                         S = HostTarget::Kind::System;
  const std::vector<Expected> expected = {
      {Op::Write, W, 0, HostProperty::PixelUnits},     {Op::Read, C, 4, HostProperty::Width},
      {Op::Read, C, 4, HostProperty::Height},          {Op::Write, W, 0, HostProperty::PixelUnits},
      {Op::Read, C, 4, HostProperty::Left},            {Op::Read, C, 4, HostProperty::Top},
      {Op::Read, C, 4, HostProperty::Width},           {Op::Read, C, 4, HostProperty::Height},
      {Op::Read, C, 0, HostProperty::ClientAreaHandle}, {Op::Read, S, 0, HostProperty::InstanceHandle},
      {Op::Write, C, 4, HostProperty::WindowHandle},   {Op::Write, W, 0, HostProperty::PixelUnits}};
  const auto& calls = recorder.Calls();
  ASSERT_EQ(calls.size(), expected.size());
  for (std::size_t i = 0; i < calls.size(); ++i) {
    EXPECT_EQ(calls[i].operation, expected[i].op) << i;
    EXPECT_EQ(calls[i].target.kind, expected[i].kind) << i;
    EXPECT_EQ(calls[i].target.field, expected[i].field) << i;
    EXPECT_EQ(calls[i].id, expected[i].id) << i;
  }
  EXPECT_EQ(calls[0].value, 1);
  EXPECT_EQ(calls[3].value, 1);
  EXPECT_EQ(calls.back().value, 0) << "pixel units off at the end";
}

// Unbound: 0 and nothing touched. Failed start-up: the message, 0, and the switch kept.
TEST(DisplayRefusals, UnboundObjectAndFailedStartUp) {
  RecordingHost recorder;
  ScopedHost registered(&recorder);
  auto pixet = Pixet::Create();
  EngineCounter counter;
  auto* window = reinterpret_cast<PixetHostWindow*>(0x1000);
  const std::string halves = Sample("halves.png");
  pixet->USERESOURCE = 1;
  std::memcpy(pixet->RESOURCESDLLNAME, "kept.dll", 8);
  const std::string field(pixet->RESOURCESDLLNAME, 128);
  auto expect_untouched = [&](const char* why) {
    EXPECT_EQ(pixet->USERESOURCE, 1) << why;
    EXPECT_EQ(std::string(pixet->RESOURCESDLLNAME, 128), field) << why;
    EXPECT_EQ(pixet->HPICTUREBOX, nullptr) << why;
  };

  pixet->ENGINELOADED = 0;
  EXPECT_EQ(pixet->DisplayImage(window, halves.c_str(), 1, 0, 0), 0);
  EXPECT_EQ(pixet->DisplayImageAsBackground(window, halves.c_str(), 0), 0);
  EXPECT_EQ(pixet->DrawImage(window, halves.c_str(), 1, 0, 0), 0);
  EXPECT_TRUE(recorder.Calls().empty());
  EXPECT_TRUE(counter.Order().empty());
  expect_untouched("unbound");

  pixet->ENGINELOADED = 1;
  EngineTap<&Table::GdiplusStartup> failing(Gdiplus::GenericError);
  EXPECT_EQ(pixet->DisplayImage(window, halves.c_str(), 1, 0, 0), 0);
  EXPECT_EQ(pixet->DisplayImageAsBackground(window, halves.c_str(), 0), 0);
  EXPECT_EQ(pixet->DrawImage(window, halves.c_str(), 1, 0, 0), 0);
  ASSERT_EQ(recorder.Calls().size(), 3u) << "the three messages and nothing else";
  for (const auto& message : MessagesOf(recorder)) {
    EXPECT_EQ(message.text, "Error initializing GDI+");
    EXPECT_FALSE(message.has_caption);
  }
  EXPECT_EQ(failing.calls().size(), 3u);
  EXPECT_TRUE(counter.Order().empty()) << "no other engine call";
  expect_untouched("start-up failed");
}

}  // namespace
