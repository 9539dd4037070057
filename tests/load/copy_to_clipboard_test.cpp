// Copying image files to the real clipboard (under Xvfb).
#include <gtest/gtest.h>

#include <windows.h>

#include "pixet/pixet.h"
#include "support/clipboard_support.h"
#include "support/counted_pixet.h"
#include "support/engine_counter.h"
#include "support/test_support.h"

using namespace pixet::testing;

namespace {

class CopyToClipboard : public CountedPixetTest {
 protected:
  std::vector<std::string> Texts() {
    std::vector<std::string> texts;
    for (const auto& m : Messages()) texts.push_back(m.text);
    return texts;
  }
};

TEST_F(CopyToClipboard, PngIsConvertedAndItsPixelsReachTheClipboard) {
  PutText("before");
  EXPECT_EQ(pixet_->CopyToClipboard((Sample("photo.png") + "  ").c_str()), 1);
  EXPECT_EQ(ClipboardPixels(), FilePixels(Sample("photo.png")));
  EXPECT_EQ(ClipboardText(), "") << "emptied first";
  EXPECT_EQ(counter_.Startups(), 1) << "one conversion";
  EXPECT_TRUE(Messages().empty());
}

TEST_F(CopyToClipboard, BmpInAnyLetterCaseIsUsedDirectly) {
  const auto bmp = ReadFileBytes(Sample("photo.bmp"));
  for (const char* name : {"direct.bmp", "direct.BMP", "direct.bMp"}) {
    WriteFileBytes(name, std::string(bmp.begin(), bmp.end()));
    PutText("before");
    EXPECT_EQ(pixet_->CopyToClipboard(name), 1) << name;
    EXPECT_EQ(ClipboardPixels(), FilePixels(Sample("photo.png"))) << name;
    RemoveFile(name);
  }
  EXPECT_EQ(counter_.Startups(), 0) << "no conversion";
}

TEST_F(CopyToClipboard, NameWithoutExtensionIsConverted) {
  const auto jpg = ReadFileBytes(Sample("photo.jpg"));
  WriteFileBytes("no-extension", std::string(jpg.begin(), jpg.end()));
  EXPECT_EQ(pixet_->CopyToClipboard("no-extension"), 1);
  EXPECT_EQ(ClipboardPixels().width, 64);
  RemoveFile("no-extension");
}

TEST_F(CopyToClipboard, MissingFileShowsTheLoadingMessageAndKeepsTheClipboard) {
  PutText("keep me");
  for (const char* name : {"missing.bmp", "missing.png"}) {
    ClearMessages();
    EXPECT_EQ(pixet_->CopyToClipboard(name), 0) << name;
    EXPECT_EQ(Texts(), std::vector<std::string>{"There was an error while loading the bitmap"});
    EXPECT_FALSE(Messages()[0].has_caption);
    EXPECT_EQ(ClipboardText(), "keep me");
  }
}

// A converted copy left by an earlier call is never taken for the current file's.
TEST_F(CopyToClipboard, StaleConvertedCopyIsNeverUsed) {
  const auto bmp = ReadFileBytes(Sample("photo.bmp"));
  WriteFileBytes("__svcv.bmp", std::string(bmp.begin(), bmp.end()));
  PutText("keep me");
  EXPECT_EQ(pixet_->CopyToClipboard("missing.png"), 0);
  EXPECT_EQ(ClipboardText(), "keep me");
}

}  // namespace
