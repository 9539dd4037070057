// The reference hosts as a host author relies on them: geometry in host units or pixels
// on real windows, image controls and the memory block they hand out, message modes, and
// the desktop host for C callers. (The printing mode is the command-line tool's, checked
// with it.)
#include <thread>

#include "pixet/pixet_c_refhost.h"
#include "support/fixture.h"

namespace pixet::testing {
namespace {

using RefHost = PixetTest;
using refhost::MessageMode;

RECT InClientOf(HWND frame, HWND child) {
  RECT r;
  ::GetWindowRect(child, &r);
  ::MapWindowPoints(HWND_DESKTOP, frame, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

std::vector<unsigned char> BlockBytes(std::intptr_t block) {
  const auto* p = static_cast<const unsigned char*>(::GlobalLock(reinterpret_cast<HGLOBAL>(block)));
  std::vector<unsigned char> bytes(p, p + (p != nullptr ? ::GlobalSize(reinterpret_cast<HGLOBAL>(block)) : 0));
  ::GlobalUnlock(reinterpret_cast<HGLOBAL>(block));
  return bytes;
}

TEST_F(RefHost, GeometryInHostUnitsOrPixelsFollowsAndMovesTheRealWindows) {
  const auto read = [&](std::int16_t field, HostProperty id) {
    return host_.ReadProperty(HostTarget::Of(window_, field), id);
  };
  const auto write = [&](std::int16_t field, HostProperty id, std::intptr_t value) {
    host_.WriteProperty(HostTarget::Of(window_, field), id, value);
  };
  HWND frame = host_.WindowHwnd(window_), control = ControlHwnd();
  // Host units are dialog units: x pixels = units * baseX / 4, y pixels = units * baseY / 8.
  const HostProperty geometry[] = {HostProperty::Left, HostProperty::Top, HostProperty::Width, HostProperty::Height};
  const std::intptr_t units[] = {20, 12, 40, 24};
  for (int i = 0; i < 4; ++i) write(kImage, geometry[i], units[i]);
  const LONG x = LOWORD(::GetDialogBaseUnits()), y = HIWORD(::GetDialogBaseUnits());
  RECT r = InClientOf(frame, control);
  EXPECT_EQ((std::vector<LONG>{r.left, r.top, r.right - r.left, r.bottom - r.top}),
            (std::vector<LONG>{::MulDiv(20, x, 4), ::MulDiv(12, y, 8), ::MulDiv(40, x, 4), ::MulDiv(24, y, 8)}));
  for (int i = 0; i < 4; ++i) EXPECT_EQ(read(kImage, geometry[i]), units[i]);

  // Pixels, once the window says so (and only that window); reads measure the real window.
  PixetHostWindow* other = host_.OpenWindow("other", 50, 50);
  write(0, HostProperty::PixelUnits, 1);
  EXPECT_EQ(host_.ReadProperty(HostTarget::Of(other), HostProperty::PixelUnits), 0);
  ::MoveWindow(control, 30, 31, 32, 33, TRUE);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(read(kImage, geometry[i]), 30 + i);
  write(kImage, HostProperty::Left, 5);
  EXPECT_EQ(InClientOf(frame, control).left, 5);
}

TEST_F(RefHost, ImageControlsShowImageFilesAndHandOutTheirOwnBlock) {
  const auto block = [&] { return host_.ReadProperty(HostTarget::Current(kImage), HostProperty::ImageMemoryBlock); };
  // halves.png, left red and right blue, decoded by the engine and stretched over 80 x 60.
  const std::vector<unsigned char> png = ReadFileBytes(Sample("halves.png"));
  host_.WritePropertyBytes(HostTarget::Current(kImage), HostProperty::ImageFileBytes, png.data(), png.size());
  Pump();
  EXPECT_TRUE(Near(ScreenPixel(ControlHwnd(), 10, 30), RGB(255, 0, 0)));
  EXPECT_TRUE(Near(ScreenPixel(ControlHwnd(), 70, 30), RGB(0, 0, 255)));
  EXPECT_EQ(BlockBytes(block()), png);
  EXPECT_EQ(block(), block()) << "the host keeps one block per image";

  // A file named as the control's text is read at once; a missing one empties the control.
  const std::string file = TempFolder() + "refhost.bmp";
  ASSERT_TRUE(::CopyFileA(Sample("photo.bmp").c_str(), file.c_str(), FALSE));
  host_.WritePropertyText(HostTarget::Of(window_, kImage), HostProperty::ControlText, file.c_str());
  RemoveFile(file);
  EXPECT_EQ(BlockBytes(block()), ReadFileBytes(Sample("photo.bmp")));
  EXPECT_EQ(host_.ShownImageSize(window_, kImage).width, 64);
  const auto held = reinterpret_cast<HGLOBAL>(block());
  host_.WritePropertyText(HostTarget::Of(window_, kImage), HostProperty::ControlText, file.c_str());
  EXPECT_EQ(block(), 0);
  EXPECT_EQ(::GlobalSize(held), 0u) << "the host freed its block with the image";
  Pump();
  EXPECT_EQ(ScreenPixel(ControlHwnd(), 40, 30), refhost::kImageBackground);
}

TEST_F(RefHost, MessagesAreRecordedOrShownAsRealBoxes) {
  host_.ShowMessage("first|second", nullptr, MessageIcon::None);
  // A real modal box, '|' a line break: another thread reads it and presses OK.
  host_.SetMessageMode(MessageMode::Interactive);
  std::string shown;
  std::thread closer([&] {
    for (int i = 0; i < 500 && shown.empty(); ++i, ::Sleep(10)) {
      if (HWND box = ::FindWindowA("#32770", "refhost box")) {
        char text[64] = {};
        ::GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
        shown = text;
        ::PostMessageA(box, WM_COMMAND, IDOK, 0);
      }
    }
  });
  host_.ShowMessage("one|two", "refhost box", MessageIcon::Information);
  closer.join();
  EXPECT_EQ(shown, "one\ntwo");
  EXPECT_TRUE(host_.Messages()[0].captionNull);
  EXPECT_EQ(host_.Messages()[1].icon, MessageIcon::Information);
  EXPECT_EQ(TakeMessages(), (std::vector<std::string>{"first|second", "one|two"}));
}

// A host made of C callbacks is driven through real conversions by the consumer program.
TEST_F(RefHost, TheDesktopHostForCGoesWithItsWindows) {
  ScopedHost restore(&host_);
  ASSERT_EQ(PixetRegisterDesktopHost(PIXET_MESSAGES_RECORD), 1);
  HWND top = static_cast<HWND>(PixetDesktopWindowHandle(PixetDesktopOpenWindow("from C", 200, 100), 0));
  ASSERT_TRUE(::IsWindow(top));
  PixetReleaseDesktopHost();
  EXPECT_FALSE(::IsWindow(top));
  EXPECT_EQ(PixetRegisteredHost(), nullptr);
}

}  // namespace
}  // namespace pixet::testing
