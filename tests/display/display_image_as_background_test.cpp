// The whole window as the image's backdrop.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "support/desktop_fixture.h"

using namespace pixet::testing;

namespace {

class DisplayImageAsBackground : public DesktopTest {};

TEST_F(DisplayImageAsBackground, CoversTheWindowInWorkspaceColoursAndReturnsZero) {
  EXPECT_EQ(pixet_->DisplayImageAsBackground(window_, Sample("transparent.png").c_str(), 0), 0);
  HWND picture = Picture();
  ASSERT_TRUE(::IsWindow(picture));
  const SIZE outer = OuterSize(window_);
  EXPECT_EQ(RectInParent(picture), (RECT{0, 0, outer.cx, outer.cy}));
  Pump();
  EXPECT_EQ(ScreenPixel(Client(), 2, 2), ::GetSysColor(COLOR_APPWORKSPACE));
  EXPECT_EQ(ScreenPixel(Client(), outer.cx / 2, outer.cy / 2), RGB(255, 0, 0));
  EXPECT_FALSE(host_.PixelUnits(window_));
}

// Arguments reach DisplayImage through the method table.
class Recorded : public Pixet {
 public:
  std::string image;
  std::int16_t control = -1;
  std::int32_t whole = -1, workspace = -1;
  int calls = 0;
  std::int32_t DisplayImage(PixetHostWindow*, const char* i, std::int16_t c, std::int32_t w,
                            std::int32_t s) override {
    ++calls;
    image = i;
    control = c;
    whole = w;
    workspace = s;
    return 1;
  }
};

TEST_F(DisplayImageAsBackground, IsDisplayImageWithFixedArguments) {
  auto recorded = Pixet::Create<Recorded>();
  for (std::int32_t last : {0, 12345}) {
    EXPECT_EQ(recorded->DisplayImageAsBackground(window_, "name.png  ", last), 0) << "not DisplayImage's 1";
    EXPECT_EQ(recorded->image, "name.png  ");
    EXPECT_EQ(recorded->control, 0);
    EXPECT_EQ(recorded->whole, 1);
    EXPECT_EQ(recorded->workspace, 1);
  }
  EXPECT_EQ(recorded->calls, 2);
}

}  // namespace
