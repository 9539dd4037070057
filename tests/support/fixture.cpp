#include "support/fixture.h"

#include <cstdlib>

namespace pixet::testing {

PixetTest::PixetTest() {
  window_ = host_.OpenWindow("pixet test", kClientWidth, kClientHeight);
  host_.AddControl(window_, kImage, 10, 10, 80, 60, ControlKind::Image);
  DesktopHost::SetCurrentWindow(window_);
  report_ = host_.OpenReport();
  host_.AddControl(report_, kImage, 0, 0, 80, 60, ControlKind::Image);
}

PixetTest::~PixetTest() { DesktopHost::SetCurrentWindow(nullptr); }

std::vector<std::string> PixetTest::TakeMessages() {
  std::vector<std::string> texts;
  for (const refhost::Message& m : host_.Messages()) texts.push_back(m.text);
  host_.ClearMessages();
  return texts;
}

void PixetTest::TearDown() {
  EXPECT_EQ(engine_.Startups(), engine_.Shutdowns()) << "engine start-ups without shutdown";
  EXPECT_EQ(engine_.Objects().Live(), 0u) << "engine objects left undisposed";
  EXPECT_EQ(engine_.Objects().Unknown(), 0) << "engine objects released twice";
  EXPECT_EQ(engine_.StreamsLeft(), 0) << "resource streams or their blocks left";
  EXPECT_EQ(internet_.Handles().Live(), 0u) << "WinINet handles left open";
  EXPECT_EQ(internet_.Handles().Unknown(), 0) << "WinINet handles closed twice";
  for (const std::string& file : WorkingFiles()) {
    EXPECT_FALSE(FileExists(file)) << file << " left behind";
    ::DeleteFileA(file.c_str());
  }
  for (const std::string& left : handles_.Left()) ADD_FAILURE() << left;
  EXPECT_EQ(pixet_->USERESOURCE, 0) << "resource switch left on";
  const std::string name(pixet_->RESOURCESDLLNAME, sizeof pixet_->RESOURCESDLLNAME);
  EXPECT_EQ(name.find_first_not_of(' '), std::string::npos) << "resource library left named: " << name;
  const std::vector<std::string> unexpected = TakeMessages();
  EXPECT_TRUE(unexpected.empty()) << "message box not expected: " << unexpected.front();
}

std::vector<std::string> WorkingFiles() {
  std::vector<std::string> files = {TempDirectory() + "kjj___.bmp", "_vb_.xac", "saved__0.bmp", "__svcv.bmp"};
  for (const std::string& fetched : FilesStartingWith(TempDirectory() + "pxw")) files.push_back(TempDirectory() + fetched);
  return files;
}

COLORREF ScreenPixel(HWND hwnd, int x, int y) {
  HDC dc = ::GetDC(hwnd);
  const COLORREF c = ::GetPixel(dc, x, y);
  ::ReleaseDC(hwnd, dc);
  return c;
}

bool Near(COLORREF a, COLORREF b, int tolerance) {
  return std::abs(GetRValue(a) - GetRValue(b)) <= tolerance && std::abs(GetGValue(a) - GetGValue(b)) <= tolerance &&
         std::abs(GetBValue(a) - GetBValue(b)) <= tolerance;
}

}  // namespace pixet::testing
