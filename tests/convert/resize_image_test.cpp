// Fitting the newest picture control to its window.
#include <gtest/gtest.h>

#include <windows.h>

#include "support/desktop_fixture.h"

using namespace pixet::testing;

namespace {

class ResizeImage : public DesktopTest {};

TEST_F(ResizeImage, FitsOnlyTheNewestOfTwoStackedControls) {
  EXPECT_EQ(pixet_->DisplayImageAsBackground(window_, Sample("halves.png").c_str(), 0), 0);
  HWND first = Picture();
  EXPECT_EQ(pixet_->DisplayImageAsBackground(window_, Sample("halves.png").c_str(), 0), 0);
  HWND second = Picture();
  ASSERT_TRUE(::IsWindow(first));
  ASSERT_TRUE(::IsWindow(second));
  ASSERT_NE(first, second);
  const SIZE before = OuterSize(window_);
  const HBITMAP held = HeldBitmap(second);

  host_.ResizeWindow(window_, 400, 300);
  EXPECT_EQ(RectInParent(second), (RECT{0, 0, before.cx, before.cy})) << "kept until ResizeImage";
  counter_.Reset();
  pixet_->ResizeImage();
  const SIZE after = OuterSize(window_);
  ASSERT_NE(after.cx, before.cx);
  EXPECT_EQ(RectInParent(second), (RECT{0, 0, after.cx, after.cy}));
  EXPECT_EQ(RectInParent(first), (RECT{0, 0, before.cx, before.cy}));
  EXPECT_EQ(HeldBitmap(second), held) << "not rendered again";
  EXPECT_TRUE(counter_.Order().empty()) << "no engine";
  EXPECT_FALSE(host_.PixelUnits(window_));
}

TEST_F(ResizeImage, PictureOverAControlMovesToTheOrigin) {
  ASSERT_TRUE(host_.AddControl(window_, 4, 50, 40, 30, 20, ControlKind::Plain));
  ASSERT_EQ(pixet_->DisplayImage(window_, Sample("halves.png").c_str(), 4, 0, 0), 1);
  pixet_->ResizeImage();
  const SIZE outer = OuterSize(window_);
  EXPECT_EQ(RectInParent(Picture()), (RECT{0, 0, outer.cx, outer.cy}));
}

TEST_F(ResizeImage, SizeComesFromTheCurrentWindow) {
  ASSERT_TRUE(::IsWindow(reinterpret_cast<HWND>(static_cast<std::intptr_t>(pixet_->CreatePictureBox(window_, 0, 1)))));
  PixetHostWindow* other = host_.OpenWindow("other", 100, 60, 500, 0);
  DesktopHost::SetCurrentWindow(other);
  pixet_->ResizeImage();
  const SIZE outer = OuterSize(other);
  EXPECT_EQ(RectInParent(Picture()), (RECT{0, 0, outer.cx, outer.cy}));
  EXPECT_EQ(::GetParent(Picture()), Client()) << "still on its own window";
}

TEST(ResizeImageHostCalls, WithoutAPictureControlOnlyTheUnitsChange) {
  RecordingHost recorder;
  ScopedHost registered(&recorder);
  recorder.SetEchoWrites(true);
  recorder.SetValue(HostTarget::Current(), HostProperty::PixelUnits, 1);
  recorder.SetValue(HostTarget::Current(), HostProperty::Width, 100);
  auto pixet = Pixet::Create();
  ASSERT_EQ(pixet->HPICTUREBOX, nullptr);
  pixet->ResizeImage();
  using Op = RecordingHost::Operation;
  const auto& calls = recorder.Calls();
  ASSERT_EQ(calls.size(), 4u);
  EXPECT_EQ(calls[0].operation, Op::Write);
  EXPECT_EQ(calls[0].value, 1);
  EXPECT_EQ(calls[1].id, HostProperty::Width);
  EXPECT_EQ(calls[2].id, HostProperty::Height);
  EXPECT_EQ(calls[3].operation, Op::Write);
  EXPECT_EQ(calls[3].id, HostProperty::PixelUnits);
  EXPECT_EQ(calls[3].value, 0);
  for (const auto& call : calls) EXPECT_EQ(call.target.kind, HostTarget::Kind::CurrentWindow);
}

}  // namespace
