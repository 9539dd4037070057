// Pasting the real clipboard (under Xvfb) into an image control of a real window.
#include <gtest/gtest.h>

#include <windows.h>

#include "core/engine.h"
#include "pixet/pixet.h"
#include "pixet/refhost.h"
#include "support/clipboard_support.h"
#include "support/engine_counter.h"
#include "support/engine_tap.h"
#include "support/test_support.h"

using namespace pixet::testing;
using pixet::refhost::ControlKind;
using pixet::refhost::DesktopHost;

namespace {

class LoadImageFromClipboard : public ::testing::Test {
 protected:
  void SetUp() override {
    window_ = OpenImageWindow(host_, "paste", 3);
    ASSERT_NE(window_, nullptr);
  }
  void TearDown() override {
    PIXET_EXPECT_BALANCED(counter_);
    EXPECT_FALSE(FileExists("saved__0.bmp")) << "working file left behind";
    EXPECT_TRUE(host_.Messages().empty());
  }
  // The picture the control shows, from the BMP file it was given.
  Pixels Shown(const std::string& name) {
    const auto& bytes = host_.ImageBytes(window_, 3);
    WriteFileBytes(Output(name), std::string(bytes.begin(), bytes.end()));
    return FilePixels(Output(name));
  }

  DesktopHost host_;
  ScopedHost scoped_{&host_};
  PixetHostWindow* window_ = nullptr;
  std::unique_ptr<Pixet> pixet_ = Pixet::Create();
  EngineCounter counter_;
};

TEST_F(LoadImageFromClipboard, BitmapReachesTheControlThroughTheNamedFile) {
  PutBitmap(TestPicture());
  EXPECT_EQ(pixet_->LoadImageFromClipboard(window_, 3), 1);
  EXPECT_EQ(host_.ControlText(window_, 3), "saved__0.bmp");
  EXPECT_EQ(host_.ImageFileLoads(window_, 3), 2) << "emptied, then named";
  EXPECT_EQ(host_.RedrawCount(window_, 3), 1);
  EXPECT_EQ(Shown("paste-bitmap.bmp"), TestPicture());
  ExpectForIdentify("paste-bitmap.bmp", "bmp", 4, 3);
  EXPECT_EQ(counter_.Order(), (std::vector<std::string>{"GdiplusStartup", "GdipCreateBitmapFromHBITMAP",
                                                        "GdipGetImageEncodersSize", "GdipGetImageEncoders",
                                                        "GdipSaveImageToFile", "GdipDisposeImage", "GdiplusShutdown"}));
}

TEST_F(LoadImageFromClipboard, DeviceIndependentBitmapAloneIsEnough) {
  PutDibOnly(TestPicture());
  EXPECT_EQ(pixet_->LoadImageFromClipboard(window_, 3), 1);
  EXPECT_EQ(Shown("paste-dib.bmp"), TestPicture());
}

// A stale file is deleted first; a clipboard without a bitmap then leaves the control as
// it was, reports 0 and leaves no file.
TEST_F(LoadImageFromClipboard, ClipboardWithoutBitmapGivesZeroAndLeavesTheControl) {
  PutBitmap(TestPicture());
  ASSERT_EQ(pixet_->LoadImageFromClipboard(window_, 3), 1);
  const auto shown = host_.ImageBytes(window_, 3);
  const auto stale = ReadFileBytes(Sample("photo.bmp"));
  WriteFileBytes("saved__0.bmp", std::string(stale.begin(), stale.end()));
  PutText("only text");
  EXPECT_EQ(pixet_->LoadImageFromClipboard(window_, 3), 0);
  EXPECT_EQ(host_.ImageBytes(window_, 3), shown);
  EXPECT_EQ(host_.ImageFileLoads(window_, 3), 2);
  EXPECT_EQ(host_.RedrawCount(window_, 3), 1);
  EXPECT_EQ(ClipboardText(), "only text") << "the clipboard is only read";
}

TEST_F(LoadImageFromClipboard, UnwritableFileGivesZeroAndLeavesTheControl) {
  PutBitmap(TestPicture());
  {
    EngineTap<&pixet::engine::Table::GdipSaveImageToFile> fail(Gdiplus::Win32Error);
    EXPECT_EQ(pixet_->LoadImageFromClipboard(window_, 3), 0);
  }
  EXPECT_EQ(host_.ImageFileLoads(window_, 3), 0);
  // The clipboard was closed again: another owner can open it.
  ASSERT_TRUE(::OpenClipboard(nullptr));
  ::CloseClipboard();
}

TEST_F(LoadImageFromClipboard, EngineNotLoadedOrNotStarted) {
  PutBitmap(TestPicture());
  pixet_->ENGINELOADED = 0;
  EXPECT_EQ(pixet_->LoadImageFromClipboard(window_, 3), 0);
  EXPECT_TRUE(counter_.Order().empty());
  pixet_->ENGINELOADED = 1;
  {
    EngineTap<&pixet::engine::Table::GdiplusStartup> fail(Gdiplus::GenericError);
    EXPECT_EQ(pixet_->LoadImageFromClipboard(window_, 3), 0);
  }
  ASSERT_EQ(host_.Messages().size(), 1u);
  EXPECT_EQ(host_.Messages()[0].text, "Error initializing GDI+");
  host_.ClearMessages();
  EXPECT_EQ(host_.ImageFileLoads(window_, 3), 0);
}

}  // namespace
