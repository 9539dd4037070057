// The desktop host for C callers: registered in one call, real windows and controls,
// recorded messages, and gone with its windows when released.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "pixet/pixet_c_refhost.h"
#include "support/test_support.h"

using namespace pixet::testing;

namespace {

TEST(CDesktopHost, HostsPixetCallsOnRealWindows) {
  ScopedHost restore(DefaultHost());
  EXPECT_EQ(PixetDesktopOpenWindow("no host yet", 10, 10), nullptr);
  EXPECT_EQ(PixetRegisterDesktopHost(3), 0) << "unknown message mode";
  EXPECT_EQ(PixetRegisteredHost(), DefaultHost());
  ASSERT_EQ(PixetRegisterDesktopHost(PIXET_MESSAGES_RECORD), 1);
  ASSERT_NE(PixetRegisteredHost(), DefaultHost());

  PixetHostWindow* window = PixetDesktopOpenWindow("Pixet from C", 320, 240);
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(PixetDesktopAddControl(window, 5, 10, 10, 128, 96, 1), 1);
  EXPECT_EQ(PixetDesktopAddControl(window, 5, 0, 0, 8, 8, 0), 0) << "field numbers are unique";
  HWND top = static_cast<HWND>(PixetDesktopWindowHandle(window, 0));
  HWND control = static_cast<HWND>(PixetDesktopWindowHandle(window, 5));
  ASSERT_TRUE(::IsWindow(control));
  EXPECT_EQ(::GetAncestor(control, GA_ROOT), top);
  RECT client{};
  ::GetClientRect(top, &client);
  EXPECT_EQ(client.right, 320);
  EXPECT_EQ(client.bottom, 240);

  PixetDesktopShowFile(window, 5, Sample("photo.png").c_str());
  int width = 0, height = 0;
  EXPECT_EQ(PixetDesktopShownImageSize(window, 5, &width, &height), 1);
  EXPECT_EQ(width, 64);
  EXPECT_EQ(height, 48);
  EXPECT_EQ(PixetDesktopShownImageSize(window, 9, &width, &height), 0);
  PixetDesktopPumpMessages();

  // A control-number source reads the image of control 5 of the current window.
  PixetDesktopSetCurrentWindow(window);
  PixetObject* pixet = PixetNew();
  const std::string target = Output("c-desktop.png");
  EXPECT_EQ(PixetConvertImage(pixet, "5", target.c_str()), 1);
  DecodedImage out = Decode(target);
  EXPECT_EQ(out.format, "png");
  EXPECT_EQ(out.width, 64u);
  ExpectForIdentify("c-desktop.png", "png", 64, 48);

  EXPECT_EQ(PixetConvertImage(pixet, Sample("photo.png").c_str(), "c-desktop.xyz"), 0);
  ASSERT_EQ(PixetDesktopMessageCount(), 1);
  EXPECT_STREQ(PixetDesktopMessageText(0), "Invalid Format!");
  EXPECT_EQ(PixetDesktopMessageText(1), nullptr);
  PixetDesktopClearMessages();
  EXPECT_EQ(PixetDesktopMessageCount(), 0);
  PixetDelete(pixet);
  PixetDesktopSetCurrentWindow(nullptr);

  PixetHostReport* report = PixetDesktopOpenReport(200, 100);
  ASSERT_NE(report, nullptr);
  EXPECT_EQ(PixetDesktopAddReportControl(report, 2, 0, 0, 50, 50, 1), 1);
  PixetDesktopCloseReport(report);

  PixetReleaseDesktopHost();
  EXPECT_EQ(PixetRegisteredHost(), nullptr);
  EXPECT_FALSE(::IsWindow(top)) << "the host's windows went with it";
  EXPECT_EQ(PixetDesktopMessageCount(), 0);
}

TEST(CDesktopHost, ReleaseLeavesAnotherRegisteredHostAlone) {
  ScopedHost restore(DefaultHost());
  ASSERT_EQ(PixetRegisterDesktopHost(PIXET_MESSAGES_RECORD), 1);
  PixetHostWindow* window = PixetDesktopOpenWindow("closed by hand", 50, 50);
  HWND top = static_cast<HWND>(PixetDesktopWindowHandle(window, 0));
  PixetDesktopCloseWindow(window);
  EXPECT_FALSE(::IsWindow(top));
  PixetRegisterHost(DefaultHost());
  PixetReleaseDesktopHost();
  EXPECT_EQ(PixetRegisteredHost(), DefaultHost());
}

}  // namespace
