// Loading files into image controls of real host windows and reports.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "pixet/pixet.h"
#include "pixet/refhost.h"
#include "support/engine_counter.h"
#include "support/internet_counter.h"
#include "support/test_support.h"

#undef LoadImage

using namespace pixet::testing;
using pixet::refhost::ControlKind;
using pixet::refhost::DesktopHost;

namespace {

// Records every ConvertImage call that the loads make through the method table.
class RecordingPixet : public Pixet {
 public:
  std::int32_t ConvertImage(const char* source, const char* target) override {
    calls.push_back({source, target});
    const std::int32_t result = Pixet::ConvertImage(source, target);
    if (after_convert) after_convert(target);
    return result;
  }
  struct Call {
    std::string source, target;
  };
  std::vector<Call> calls;
  void (*after_convert)(const char* target) = nullptr;
};

class LoadImageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window_ = OpenImageWindow(host_, "load", 1);
    ASSERT_NE(window_, nullptr);
    report_ = host_.OpenReport();
    ASSERT_NE(report_, nullptr);
    ASSERT_TRUE(host_.AddReportImageControl(report_, 1, 0, 0, 80, 60));
  }
  void TearDown() override {
    PIXET_EXPECT_BALANCED(counter_);
    EXPECT_FALSE(FileExists(converted_)) << "working file left behind";
    EXPECT_TRUE(host_.Messages().empty());
  }

  // Saves what the control received and checks it is a BMP file of that size. Listed for
  // ImageMagick too, except for palette images: the engine writes their 8-bit BMP header
  // with a file size that leaves out the colour table, which ImageMagick refuses.
  void ExpectBmp(const std::vector<unsigned char>& bytes, const std::string& name, unsigned w, unsigned h,
                 bool identify = true) {
    ASSERT_GE(bytes.size(), 2u) << name;
    EXPECT_EQ(bytes[0], 'B') << name;
    EXPECT_EQ(bytes[1], 'M') << name;
    WriteFileBytes(Output(name), std::string(bytes.begin(), bytes.end()));
    DecodedImage image = Decode(Output(name));
    EXPECT_EQ(image.format, "bmp") << name;
    EXPECT_EQ(image.width, w) << name;
    EXPECT_EQ(image.height, h) << name;
    if (identify) ExpectForIdentify(name, "bmp", w, h);
  }

  const std::string converted_ = TempFolder() + "kjj___.bmp";
  DesktopHost host_;
  ScopedHost scoped_{&host_};
  PixetHostWindow* window_ = nullptr;
  PixetHostReport* report_ = nullptr;
  std::unique_ptr<RecordingPixet> pixet_ = Pixet::Create<RecordingPixet>();
  EngineCounter counter_;
};

TEST_F(LoadImageTest, EveryFormatReachesWindowsAndReportsAsBmp) {
  struct Case {
    const char* sample;
    unsigned width, height;
    bool palette;
  };
  for (const Case& c : {Case{"photo.jpg", 64, 48, false}, Case{"photo.png", 64, 48, false},
                        Case{"indexed.gif", 40, 30, true}, Case{"photo.tif", 64, 48, false}}) {
    const std::string source = Sample(c.sample);
    EXPECT_EQ(pixet_->LoadImage(window_, source.c_str(), 1), 1) << c.sample;
    ExpectBmp(host_.ImageBytes(window_, 1), std::string("load-window-") + c.sample + ".bmp", c.width, c.height,
              !c.palette);
    EXPECT_EQ(host_.ShownImageSize(window_, 1).width, static_cast<int>(c.width));
    EXPECT_EQ(pixet_->LoadImage(report_, source.c_str(), 1), 1) << c.sample;
    ExpectBmp(host_.ImageBytes(report_, 1), std::string("load-report-") + c.sample + ".bmp", c.width, c.height,
              !c.palette);
  }
  EXPECT_EQ(host_.ImageBytesWrites(window_, 1), 4);
  EXPECT_EQ(host_.ImageBytesWrites(report_, 1), 4);
}

TEST_F(LoadImageTest, HandsOverTheWholeConvertedFileThroughTheMethodTable) {
  const std::string source = Sample("photo.png") + "   ";
  ASSERT_EQ(pixet_->LoadImage(window_, source.c_str(), 1), 1);
  ASSERT_EQ(pixet_->calls.size(), 1u);
  EXPECT_EQ(pixet_->calls[0].source, source);
  EXPECT_EQ(pixet_->calls[0].target, converted_);
  // The same conversion written to a file of our own has the same bytes.
  const std::string own = Output("load-reference.bmp");
  ASSERT_EQ(pixet_->Pixet::ConvertImage(Sample("photo.png").c_str(), own.c_str()), 1);
  EXPECT_EQ(host_.ImageBytes(window_, 1), ReadFileBytes(own));
  // Lossless: the control shows the source's pixels.
  EXPECT_EQ(Decode(own).argb, Decode(Sample("photo.png")).argb);
}

TEST_F(LoadImageTest, FailedConversionGivesTheOpenFailureAndLeavesTheControl) {
  ASSERT_EQ(pixet_->LoadImage(window_, Sample("photo.png").c_str(), 1), 1);
  const auto shown = host_.ImageBytes(window_, 1);
  for (const std::string& source : {std::string("no-such-file.png"), Sample("not-image.png"), Sample("empty.png")}) {
    EXPECT_EQ(pixet_->LoadImage(window_, source.c_str(), 1), ERROR_FILE_NOT_FOUND) << source;
    EXPECT_EQ(pixet_->LoadImage(report_, source.c_str(), 1), ERROR_FILE_NOT_FOUND) << source;
  }
  EXPECT_EQ(host_.ImageBytes(window_, 1), shown);
  EXPECT_EQ(host_.ImageBytesWrites(window_, 1), 1);
  EXPECT_EQ(host_.ImageBytesWrites(report_, 1), 0);
}

TEST_F(LoadImageTest, StaleConvertedFileIsNeverShown) {
  const auto stale = ReadFileBytes(Sample("photo.bmp"));
  WriteFileBytes(converted_, std::string(stale.begin(), stale.end()));
  EXPECT_EQ(pixet_->LoadImage(window_, "no-such-file.png", 1), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(host_.ImageBytesWrites(window_, 1), 0);
  // One that cannot be deleted is reported, not shown (and not converted over).
  WriteFileBytes(converted_, std::string(stale.begin(), stale.end()));
  ASSERT_TRUE(::SetFileAttributesA(converted_.c_str(), FILE_ATTRIBUTE_READONLY));
  EXPECT_EQ(pixet_->LoadImage(report_, Sample("photo.png").c_str(), 1), ERROR_ACCESS_DENIED);
  EXPECT_EQ(host_.ImageBytesWrites(report_, 1), 0);
  EXPECT_TRUE(pixet_->calls.size() == 1u) << "no conversion into a file that stayed";
  ::SetFileAttributesA(converted_.c_str(), FILE_ATTRIBUTE_NORMAL);
  RemoveFile(converted_);
}

// A converted file that another handle holds open without write sharing is still read
// whole: the bytes handed on are the ones read, never a block that a refused second open
// left unfilled.
TEST_F(LoadImageTest, BytesComeFromTheReadNotFromAnUnreadBlock) {
  static HANDLE held = INVALID_HANDLE_VALUE;
  pixet_->after_convert = [](const char* target) {
    held = ::CreateFileA(target, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  };
  EXPECT_EQ(pixet_->LoadImage(window_, Sample("photo.png").c_str(), 1), 1);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  const std::string own = Output("load-held.bmp");
  pixet_->Pixet::ConvertImage(Sample("photo.png").c_str(), own.c_str());
  EXPECT_EQ(host_.ImageBytes(window_, 1), ReadFileBytes(own));
  ::CloseHandle(held);
  RemoveFile(converted_);
}

TEST_F(LoadImageTest, ControlNumberSourceGoesThroughTheWorkingFileUnderTheSameLock) {
  ASSERT_TRUE(host_.AddControl(window_, 5, 100, 10, 80, 60, ControlKind::Image));
  DesktopHost::SetCurrentWindow(window_);
  ASSERT_EQ(pixet_->LoadImage(window_, Sample("palette.png").c_str(), 5), 1);
  EXPECT_EQ(pixet_->LoadImage(window_, "5", 1), 1);
  EXPECT_EQ(host_.ImageBytes(window_, 1), host_.ImageBytes(window_, 5));
  EXPECT_FALSE(FileExists("_vb_.xac"));
  DesktopHost::SetCurrentWindow(nullptr);
}

TEST_F(LoadImageTest, EngineNotLoadedGivesZeroInBothOverloads) {
  pixet_->ENGINELOADED = 0;
  EXPECT_EQ(pixet_->LoadImage(window_, Sample("photo.png").c_str(), 1), 0);
  EXPECT_EQ(pixet_->LoadImage(report_, Sample("photo.png").c_str(), 1), 0);
  EXPECT_TRUE(pixet_->calls.empty());
  EXPECT_TRUE(counter_.Order().empty());
  EXPECT_EQ(host_.ImageBytesWrites(window_, 1) + host_.ImageBytesWrites(report_, 1), 0);
}

TEST_F(LoadImageTest, ReportOverloadTakesAnAddressForAFileName) {
  InternetCounter internet;
  const std::string address = HttpAddress("/img/photo.png");
  EXPECT_EQ(pixet_->LoadImage(report_, address.c_str(), 1), ERROR_FILE_NOT_FOUND);
  EXPECT_TRUE(internet.Opens().empty());
  ASSERT_EQ(pixet_->calls.size(), 1u);
  EXPECT_EQ(pixet_->calls[0].source, address);
}

// The temporary folder comes from the system each call; without one the working file
// lies in the current directory.
class TemporaryFolder {
 public:
  explicit TemporaryFolder(const std::string& tmp) {
    saved_.resize(32768);
    saved_.resize(::GetEnvironmentVariableA("TMP", saved_.data(), static_cast<DWORD>(saved_.size())));
    ::SetEnvironmentVariableA("TMP", tmp.c_str());
  }
  ~TemporaryFolder() { ::SetEnvironmentVariableA("TMP", saved_.empty() ? nullptr : saved_.c_str()); }

 private:
  std::string saved_;
};

TEST_F(LoadImageTest, WithoutATemporaryFolderTheBareNameIsUsed) {
  {
    TemporaryFolder none("C:\\" + std::string(300, 'x'));
    ASSERT_EQ(TempFolder(), "");
    EXPECT_EQ(pixet_->LoadImage(window_, Sample("photo.png").c_str(), 1), 1);
  }
  ASSERT_EQ(pixet_->calls.size(), 1u);
  EXPECT_EQ(pixet_->calls[0].target, "kjj___.bmp");
  EXPECT_FALSE(FileExists("kjj___.bmp"));
  ExpectBmp(host_.ImageBytes(window_, 1), "load-no-temp.bmp", 64, 48);
}

}  // namespace
