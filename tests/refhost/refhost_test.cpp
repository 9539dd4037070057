// The reference host where no test of the library looks: its real message boxes, and the
// numbers of the C interface. (The printing mode is the command-line tool's, checked with it.)
#include <thread>

#include "pixet/pixet_c_refhost.h"
#include "support/fixture.h"

namespace pixet::testing {
namespace {

using RefHost = PixetTest;
using P = Property;

TEST_F(RefHost, MessagesAreRecordedOrShownAsRealBoxes) {
  host_.ShowMessage("first|second", nullptr, Icon::None);
  // A real modal box, '|' a line break: another thread reads it and presses OK.
  host_.SetMessageMode(refhost::MessageMode::Interactive);
  std::string shown;
  std::thread closer([&] {
    char text[64] = {};
    for (int i = 0; i < 500 && shown.empty(); ++i) {
      if (HWND box = ::FindWindowA("#32770", "refhost box"); ::GetDlgItemTextA(box, 0xFFFF, text, sizeof text) > 0) {
        shown = text;
        ::PostMessageA(box, WM_COMMAND, IDOK, 0);
      }
      ::Sleep(10);
    }
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

}  // namespace
}  // namespace pixet::testing
