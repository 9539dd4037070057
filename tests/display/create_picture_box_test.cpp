// Picture controls laid over a host control or a whole window.
#include <gtest/gtest.h>

#include <windows.h>

#include <cctype>
#include <string>

#include "support/desktop_fixture.h"

using namespace pixet::testing;

namespace {

constexpr std::int16_t kControl = 3;

HWND AsHwnd(std::int32_t result) { return reinterpret_cast<HWND>(static_cast<std::intptr_t>(result)); }

std::string ClassOf(HWND hwnd) {
  char name[64] = {};
  ::GetClassNameA(hwnd, name, sizeof name);
  std::string s(name);
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

class CreatePictureBox : public DesktopTest {};

TEST_F(CreatePictureBox, StaticBitmapChildOverTheControl) {
  ASSERT_TRUE(host_.AddControl(window_, kControl, 30, 20, 120, 80, ControlKind::Plain));
  HWND picture = AsHwnd(pixet_->CreatePictureBox(window_, kControl, 0));
  ASSERT_TRUE(::IsWindow(picture));
  EXPECT_EQ(pixet_->HPICTUREBOX, picture);
  EXPECT_EQ(ClassOf(picture), "STATIC");
  EXPECT_EQ(static_cast<DWORD>(::GetWindowLongPtrA(picture, GWL_STYLE)), 0x5000000Eu);
  EXPECT_NE(::GetWindowLongPtrA(picture, GWL_EXSTYLE) & WS_EX_TRANSPARENT, 0);
  EXPECT_EQ(::GetWindowTextLengthA(picture), 0);
  EXPECT_EQ(::GetDlgCtrlID(picture), 0);
  EXPECT_EQ(reinterpret_cast<HMODULE>(::GetWindowLongPtrA(picture, GWLP_HINSTANCE)), ::GetModuleHandleA(nullptr));
  EXPECT_EQ(::GetParent(picture), Client());
  EXPECT_EQ(RectInParent(picture), (RECT{30, 20, 150, 100}));
  EXPECT_EQ(host_.WrittenHandle(window_, kControl), reinterpret_cast<std::intptr_t>(picture));
  EXPECT_FALSE(host_.PixelUnits(window_));
}

TEST_F(CreatePictureBox, WholeWindowIgnoresTheControlArgument) {
  ASSERT_TRUE(host_.AddControl(window_, kControl, 30, 20, 120, 80, ControlKind::Plain));
  const SIZE outer = OuterSize(window_);
  for (std::int16_t control : {std::int16_t{0}, kControl, std::int16_t{999}}) {
    HWND picture = AsHwnd(pixet_->CreatePictureBox(window_, control, 1));
    ASSERT_TRUE(::IsWindow(picture)) << control;
    EXPECT_EQ(RectInParent(picture), (RECT{0, 0, outer.cx, outer.cy})) << control;
  }
  EXPECT_EQ(host_.WrittenHandle(window_, kControl), 0);
  EXPECT_FALSE(host_.PixelUnits(window_));
}

TEST_F(CreatePictureBox, ParentIsTheCurrentWindowsClientAreaAndSizeTheGivenWindows) {
  PixetHostWindow* other = host_.OpenWindow("other", 150, 90, 500, 0);
  ASSERT_NE(other, nullptr);
  HWND picture = AsHwnd(pixet_->CreatePictureBox(other, 0, 1));
  ASSERT_TRUE(::IsWindow(picture));
  EXPECT_EQ(::GetParent(picture), Client());
  const SIZE outer = OuterSize(other);
  EXPECT_EQ(RectInParent(picture), (RECT{0, 0, outer.cx, outer.cy}));
  EXPECT_FALSE(host_.PixelUnits(other));
}

TEST_F(CreatePictureBox, FailedCreationRecordsZero) {
  pixet_->HPICTUREBOX = reinterpret_cast<HWND>(0x1234);
  DesktopHost::SetCurrentWindow(nullptr);  // no client area to be the parent
  EXPECT_EQ(pixet_->CreatePictureBox(window_, 0, 1), 0);
  EXPECT_EQ(pixet_->HPICTUREBOX, nullptr);
  EXPECT_FALSE(host_.PixelUnits(window_));
}

// Positions and sizes reach the window as signed 16-bit values. The recording host gives
// the numbers; the parent is a real client area.
TEST(CreatePictureBoxGeometry, SixteenBitReductionAndPropertyOrder) {
  DesktopHost desktop;
  PixetHostWindow* real = desktop.OpenWindow("parent", 200, 100);
  ASSERT_NE(real, nullptr);
  RecordingHost recorder;
  ScopedHost registered(&recorder);
  auto pixet = Pixet::Create();
  auto* window = reinterpret_cast<PixetHostWindow*>(0x2000);
  recorder.SetValue(HostTarget::Current(kControl), HostProperty::Left, 40000);  // -25536
  recorder.SetValue(HostTarget::Current(kControl), HostProperty::Top, -40000);  // 25536
  recorder.SetValue(HostTarget::Current(kControl), HostProperty::Width, 65636);  // 100
  recorder.SetValue(HostTarget::Current(kControl), HostProperty::Height, 65586);  // 50
  recorder.SetValue(HostTarget::Current(), HostProperty::ClientAreaHandle,
                    reinterpret_cast<std::intptr_t>(desktop.ClientHwnd(real)));
  recorder.SetValue(HostTarget::System(), HostProperty::InstanceHandle,
                    reinterpret_cast<std::intptr_t>(::GetModuleHandleA(nullptr)));

  HWND picture = AsHwnd(pixet->CreatePictureBox(window, kControl, 0));
  ASSERT_TRUE(::IsWindow(picture));
  EXPECT_EQ(RectInParent(picture), (RECT{-25536, 25536, -25536 + 100, 25536 + 50}));

  using Op = RecordingHost::Operation;
  const auto& calls = recorder.Calls();
  const std::vector<std::pair<Op, HostProperty>> expected = {
      {Op::Write, HostProperty::PixelUnits}, {Op::Read, HostProperty::Left},
      {Op::Read, HostProperty::Top},         {Op::Read, HostProperty::Width},
      {Op::Read, HostProperty::Height},      {Op::Read, HostProperty::ClientAreaHandle},
      {Op::Read, HostProperty::InstanceHandle}, {Op::Write, HostProperty::WindowHandle},
      {Op::Write, HostProperty::PixelUnits}};
  ASSERT_EQ(calls.size(), expected.size());
  for (std::size_t i = 0; i < calls.size(); ++i) {
    EXPECT_EQ(calls[i].operation, expected[i].first) << i;
    EXPECT_EQ(calls[i].id, expected[i].second) << i;
  }
  EXPECT_EQ(calls[0].target.window, window);
  EXPECT_EQ(calls[0].value, 1);
  EXPECT_EQ(calls[7].target.kind, HostTarget::Kind::CurrentWindow);
  EXPECT_EQ(calls[7].target.field, kControl);
  EXPECT_EQ(calls[7].value, reinterpret_cast<std::intptr_t>(picture));
  EXPECT_EQ(calls[8].target.window, window);
  EXPECT_EQ(calls[8].value, 0);

  // Creation fails without a parent; 0 is written to the control all the same.
  recorder.SetValue(HostTarget::Current(), HostProperty::ClientAreaHandle, 0);
  recorder.Clear();
  EXPECT_EQ(pixet->CreatePictureBox(window, kControl, 0), 0);
  ASSERT_EQ(recorder.Calls().size(), expected.size());
  EXPECT_EQ(recorder.Calls()[7].id, HostProperty::WindowHandle);
  EXPECT_EQ(recorder.Calls()[7].value, 0);
}

}  // namespace
