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
using P = Property;
using V = std::vector<std::intptr_t>;

TEST_F(RefHost, GeometryInHostUnitsOrPixelsFollowsAndMovesTheRealWindows) {
  const Target image = Target::Of(window_, kImage);
  const P geometry[] = {P::Left, P::Top, P::Width, P::Height};
  const auto read = [&] { V v; for (P id : geometry) v.push_back(host_.ReadProperty(image, id)); return v; };
  const auto write = [&](V v) { for (int i = 0; i < 4; ++i) host_.WriteProperty(image, geometry[i], v[i]); };
  // Host units are dialog units: x pixels = units * baseX / 4, y pixels = units * baseY / 8.
  write({20, 12, 40, 24});
  EXPECT_EQ(read(), (V{20, 12, 40, 24}));
  // Pixels, once the window says so (and only that window, not the report): reads measure the real window, so show where the
  // units put it, and writes move it.
  host_.WriteProperty(Target::Of(window_), P::PixelUnits, 1);
  EXPECT_EQ(host_.ReadProperty(Target::Of(report_), P::PixelUnits), 0);
  const int x = LOWORD(::GetDialogBaseUnits()), y = HIWORD(::GetDialogBaseUnits());
  EXPECT_EQ(read(), (V{::MulDiv(20, x, 4), ::MulDiv(12, y, 8), ::MulDiv(40, x, 4), ::MulDiv(24, y, 8)}));
  ::MoveWindow(ControlHwnd(), 30, 31, 32, 33, TRUE);
  EXPECT_EQ(read(), (V{30, 31, 32, 33}));
  write({5, 6, 7, 8});
  EXPECT_EQ(read(), (V{5, 6, 7, 8}));
  TakeHostCalls();  // the test's own
}

TEST_F(RefHost, ImageControlsShowImageFilesAndHandOutTheirOwnBlock) {
  const auto block = [&] { return (HGLOBAL)host_.ReadProperty(Target::Current(kImage), P::ImageMemoryBlock); };
  const auto bytes = [&] {  // what the block holds
    const auto* p = static_cast<const unsigned char*>(::GlobalLock(block()));
    std::vector<unsigned char> held(p, p + (p != nullptr ? ::GlobalSize(block()) : 0));
    return ::GlobalUnlock(block()), held;
  };
  // halves.png, left red and right blue (COLORREF 0x0000FF, 0xFF0000), decoded by the engine and stretched
  // over 80 x 60.
  const std::vector<unsigned char> png = ReadWholeFile(Sample("halves.png"));
  host_.WritePropertyBytes(Target::Of(window_, kImage), P::ImageFileBytes, png.data(), png.size());
  Pump();
  EXPECT_TRUE(Near(ScreenPixel(ControlHwnd(), 10, 30), 0x0000FF) && Near(ScreenPixel(ControlHwnd(), 70, 30), 0xFF0000));
  EXPECT_EQ(bytes(), png);
  EXPECT_EQ(block(), block()) << "the host keeps one block per image";
  // A file named as the control's text is read (at once: pasting deletes it right after, see the load tests);
  // a missing one empties the control.
  host_.WritePropertyText(Target::Of(window_, kImage), P::ControlText, Sample("photo.bmp").c_str());
  EXPECT_EQ(bytes(), ReadWholeFile(Sample("photo.bmp")));
  const HGLOBAL held = block();
  host_.WritePropertyText(Target::Of(window_, kImage), P::ControlText, "missing.bmp");
  EXPECT_TRUE(block() == nullptr && ::GlobalSize(held) == 0) << "the host freed its block with the image";
  Pump();
  EXPECT_EQ(ScreenPixel(ControlHwnd(), 40, 30), refhost::kImageBackground);
  TakeHostCalls();  // the test's own
}

TEST_F(RefHost, MessagesAreRecordedOrShownAsRealBoxes) {
  host_.ShowMessage("first|second", nullptr, Icon::None);
  // A real modal box, '|' a line break: another thread reads it and presses OK.
  host_.SetMessageMode(refhost::MessageMode::Interactive);
  std::string shown;
  std::thread closer([&] {
    char text[64] = {};
    for (int i = 0; i < 500 && shown.empty(); ++i, ::Sleep(10))
      if (HWND box = ::FindWindowA("#32770", "refhost box"); ::GetDlgItemTextA(box, 0xFFFF, text, sizeof text) > 0)
        shown = text, ::PostMessageA(box, WM_COMMAND, IDOK, 0);
  });
  host_.ShowMessage("one|two", "refhost box", Icon::Information);
  closer.join();
  EXPECT_EQ(shown, "one\ntwo");
  EXPECT_TRUE(host_.Messages()[0].captionNull && host_.Messages()[1].icon == Icon::Information);
  EXPECT_EQ(TakeMessages(), (std::vector<std::string>{"first|second", "one|two"}));
}

// The numbers of the C interface are those a host runtime documents: the reference host's own.
TEST_F(RefHost, TheCInterfaceSpeaksTheHostsNumbers) {
  using K = Target::Kind;
  const std::pair<int, int> pairs[] = {
      {PIXET_PROPERTY_CONTROL_TEXT, int(P::ControlText)}, {PIXET_PROPERTY_LEFT, int(P::Left)},
      {PIXET_PROPERTY_TOP, int(P::Top)}, {PIXET_PROPERTY_WIDTH, int(P::Width)}, {PIXET_PROPERTY_HEIGHT, int(P::Height)},
      {PIXET_PROPERTY_PIXEL_UNITS, int(P::PixelUnits)}, {PIXET_PROPERTY_IMAGE_FILE_BYTES, int(P::ImageFileBytes)},
      {PIXET_PROPERTY_WINDOW_HANDLE, int(P::WindowHandle)}, {PIXET_PROPERTY_CLIENT_AREA_HANDLE, int(P::ClientAreaHandle)},
      {PIXET_PROPERTY_IMAGE_MEMORY_BLOCK, int(P::ImageMemoryBlock)}, {PIXET_PROPERTY_INSTANCE_HANDLE, int(P::InstanceHandle)},
      {PIXET_TARGET_SYSTEM, int(K::System)}, {PIXET_TARGET_WINDOW, int(K::Window)}, {PIXET_TARGET_REPORT, int(K::Report)},
      {PIXET_TARGET_CURRENT_WINDOW, int(K::CurrentWindow)}, {PIXET_ICON_NONE, int(Icon::None)},
      {PIXET_ICON_INFORMATION, int(Icon::Information)}};
  for (std::size_t i = 0; i < std::size(pairs); ++i) EXPECT_EQ(pairs[i].first, pairs[i].second) << "row " << i;
}

// A host made of C callbacks is driven through real conversions by the consumer program.
TEST_F(RefHost, TheDesktopHostForCGoesWithItsWindows) {
  ASSERT_EQ(PixetRegisterDesktopHost(PIXET_MESSAGES_RECORD), 1);
  HWND top = static_cast<HWND>(PixetDesktopWindowHandle(PixetDesktopOpenWindow("from C", 200, 100), 0));
  ASSERT_TRUE(::IsWindow(top));
  PixetReleaseDesktopHost();
  EXPECT_FALSE(::IsWindow(top));
  host_.Register();  // Pixet was left without a host
}

}  // namespace
}  // namespace pixet::testing
