// Loading images given by HTTP address, against the test server on 127.0.0.1.
#include <gtest/gtest.h>

#include <windows.h>
#include <wininet.h>

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

class DownloadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window_ = OpenImageWindow(host_, "download", 1);
    ASSERT_NE(window_, nullptr);
  }
  void TearDown() override {
    PIXET_EXPECT_BALANCED(counter_);
    EXPECT_EQ(internet_.Live(), 0u) << "WinINet handles left open";
    EXPECT_EQ(internet_.UnknownCloses(), 0);
    EXPECT_TRUE(internet_.AddressesClosedFirst());
    EXPECT_FALSE(FileExists(temp_ + "kjj___.bmp"));
  }
  std::int32_t Load(const std::string& address) { return pixet_->LoadImage(window_, address.c_str(), 1); }
  std::vector<std::string> Messages() const {
    std::vector<std::string> texts;
    for (const auto& m : host_.Messages()) texts.push_back(m.text);
    return texts;
  }

  const std::string temp_ = TempFolder();
  DesktopHost host_;
  ScopedHost scoped_{&host_};
  PixetHostWindow* window_ = nullptr;
  std::unique_ptr<Pixet> pixet_ = Pixet::Create();
  EngineCounter counter_;
  InternetCounter internet_;
};

std::vector<unsigned char> SampleBytes(const char* name) { return ReadFileBytes(Sample(name)); }

TEST_F(DownloadTest, PngByAddressInAnyLetterCaseReachesTheControlAsBmp) {
  int loads = 0;
  for (const char* scheme : {"http", "HTTP", "HtTp"}) {
    const std::string name = "dl-scheme-" + std::to_string(loads + 1) + ".png";
    RemoveFile(temp_ + name);
    const std::string address = scheme + HttpAddress("/img/" + name).substr(4);
    EXPECT_EQ(Load(address), 1) << address;
    const auto& bytes = host_.ImageBytes(window_, 1);
    ASSERT_GE(bytes.size(), 2u);
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 2), "BM");
    EXPECT_EQ(host_.ShownImageSize(window_, 1).width, 64);
    EXPECT_EQ(host_.ImageBytesWrites(window_, 1), ++loads);
    // The downloaded file stays in the temporary folder, byte for byte.
    EXPECT_EQ(ReadFileBytes(temp_ + name), SampleBytes("photo.png")) << name;
    WriteFileBytes(Output(name + ".bmp"), std::string(bytes.begin(), bytes.end()));
    ExpectForIdentify(name + ".bmp", "bmp", 64, 48);
  }
  // The calls as made: agent, no proxy lists, synchronous; the address as given, no
  // headers, an existing connection and nothing else; reads of at most 4096 bytes.
  ASSERT_EQ(internet_.Opens().size(), 3u);
  for (const auto& open : internet_.Opens()) {
    EXPECT_EQ(open.agent, "Pixet");
    EXPECT_EQ(open.access, static_cast<DWORD>(INTERNET_OPEN_TYPE_PRECONFIG));
    EXPECT_FALSE(open.proxy_null);
    EXPECT_EQ(open.proxy, "");
    EXPECT_EQ(open.bypass, "");
    EXPECT_EQ(open.flags, 0u);
  }
  ASSERT_EQ(internet_.OpenUrls().size(), 3u);
  const auto url = internet_.OpenUrls()[1];
  EXPECT_EQ(url.url, HttpAddress("/img/dl-scheme-2.png").replace(0, 4, "HTTP"));
  EXPECT_FALSE(url.headers_null);
  EXPECT_EQ(url.headers, "");
  EXPECT_EQ(url.headers_length, 0u);
  EXPECT_EQ(url.flags, static_cast<DWORD>(INTERNET_FLAG_EXISTING_CONNECT));
  EXPECT_EQ(url.context, 0u);
  EXPECT_GE(internet_.Reads(), 3 * 2);  // 5392 bytes each: two chunks and the end
  for (DWORD asked : internet_.ReadSizes()) EXPECT_EQ(asked, 4096u);
  EXPECT_TRUE(Messages().empty());
}

TEST_F(DownloadTest, JpegAndQueryStrings) {
  RemoveFile(temp_ + "dl-photo.jpg");
  EXPECT_EQ(Load(HttpAddress("/img/dl-photo.jpg")), 1);
  EXPECT_EQ(ReadFileBytes(temp_ + "dl-photo.jpg"), SampleBytes("photo.jpg"));
  EXPECT_EQ(host_.ShownImageSize(window_, 1).height, 48);
  // The local name is what follows the last "/", query string included.
  RemoveFile(temp_ + "dl-query.png");
  EXPECT_EQ(Load(HttpAddress("/img/q?from=/dl-query.png")), 1);
  EXPECT_TRUE(FileExists(temp_ + "dl-query.png"));
  // A name the system cannot hold stores nothing: the load fails like a missing file.
  EXPECT_EQ(Load(HttpAddress("/img/dl-photo.png?size=2")), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(FilesStartingWith(temp_ + "dl-photo.png"), std::vector<std::string>{});
  EXPECT_EQ(host_.ImageBytesWrites(window_, 1), 2);
}

TEST_F(DownloadTest, ErrorAnswersAreStoredAndFailTheLoad) {
  EXPECT_EQ(Load(HttpAddress("/img/missing-image")), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(ReadFileBytes(temp_ + "missing-image"), std::vector<unsigned char>({'n', 'o', ' ', 's', 'u', 'c', 'h', ' ',
                                                                                'i', 'm', 'a', 'g', 'e'}));
  WriteFileBytes(temp_ + "error-image", "old");
  EXPECT_EQ(Load(HttpAddress("/img/error-image")), ERROR_FILE_NOT_FOUND);
  EXPECT_TRUE(FileExists(temp_ + "error-image"));
  EXPECT_TRUE(ReadFileBytes(temp_ + "error-image").empty()) << "replaced by the empty body";
  // An answer cut off mid-body keeps what arrived.
  EXPECT_EQ(Load(HttpAddress("/img/cut-photo")), ERROR_FILE_NOT_FOUND);
  const auto png = SampleBytes("photo.png");
  EXPECT_EQ(ReadFileBytes(temp_ + "cut-photo"), std::vector<unsigned char>(png.begin(), png.begin() + 30));
  EXPECT_EQ(host_.ImageBytesWrites(window_, 1), 0);
  EXPECT_TRUE(Messages().empty());
}

TEST_F(DownloadTest, SecureSchemeIsTakenAsAFileName) {
  EXPECT_EQ(Load("https://127.0.0.1:1/img/photo.png"), ERROR_FILE_NOT_FOUND);
  EXPECT_TRUE(internet_.Opens().empty());
  EXPECT_TRUE(Messages().empty());
}

// Addresses whose last segment names no file in the temporary folder are requested, but
// nothing is read or stored; the load goes on with the address as a file name.
TEST_F(DownloadTest, AddressesThatNameNoFileReadNothing) {
  for (const std::string path : {"/img/", "/img/.", "/img/..", "/img/...", "/img/NUL", "/img/com1.png"}) {
    EXPECT_EQ(Load(HttpAddress(path)), ERROR_FILE_NOT_FOUND) << path;
  }
  EXPECT_EQ(internet_.OpenUrls().size(), 6u);
  EXPECT_EQ(internet_.Reads(), 0);
  EXPECT_TRUE(Messages().empty());
}

TEST_F(DownloadTest, BackslashSegmentsStayInTheTemporaryFolder) {
  const std::string outside[] = {temp_ + "..\\dl-escaped.png", temp_ + "..\\..\\dl-escaped.png"};
  for (const auto& path : outside) RemoveFile(path);
  RemoveFile(temp_ + "dl-escaped.png");
  // What the server answers depends on how the internet client sends the backslashes;
  // the answer is stored under the last segment either way.
  Load(HttpAddress("/img/..\\..\\dl-escaped.png"));
  for (const auto& path : outside) EXPECT_FALSE(FileExists(path)) << path;
  EXPECT_TRUE(FileExists(temp_ + "dl-escaped.png"));
}

TEST_F(DownloadTest, UnreachablePortShowsTheOpenUrlMessage) {
  const std::string address = "http://127.0.0.1:" + std::to_string(ClosedHttpPort()) + "/img/photo.png";
  EXPECT_EQ(Load(address), 0);
  EXPECT_EQ(Messages(), std::vector<std::string>{"An error occurred calling InternetOpenUrl function!"});
  EXPECT_TRUE(host_.Messages()[0].captionNull);
  EXPECT_EQ(internet_.Opens().size(), 1u);
  EXPECT_EQ(counter_.Startups(), 0) << "the load ends before conversion";
}

TEST_F(DownloadTest, FailedInternetOpenShowsItsMessage) {
  internet_.FailOpen(true);
  EXPECT_EQ(Load(HttpAddress("/img/photo.png")), 0);
  EXPECT_EQ(Messages(), std::vector<std::string>{"An error occurred calling InternetOpen function!"});
  EXPECT_TRUE(internet_.OpenUrls().empty());
}

TEST_F(DownloadTest, LongAddressIsRequestedAsItsFirst511Characters) {
  const std::string head = HttpAddress("/pad/");
  std::string address = head + std::string(511 - head.size() - std::string("/dl-long.png").size(), 'p') + "/dl-long.png";
  ASSERT_EQ(address.size(), 511u);
  address += std::string(89, 'x');  // beyond the cut: the answer would be a 404 page
  RemoveFile(temp_ + "dl-long.png");
  EXPECT_EQ(Load(address + "   "), 1);
  ASSERT_EQ(internet_.OpenUrls().size(), 1u);
  EXPECT_EQ(internet_.OpenUrls()[0].url, address.substr(0, 511));
  EXPECT_EQ(ReadFileBytes(temp_ + "dl-long.png"), SampleBytes("photo.png"));
}

TEST_F(DownloadTest, LocalPathIsCutToEightyCharactersInsideTheFolder) {
  // A temporary folder of 33 characters leaves 47 for the name.
  const std::string base = TempFolder();
  ASSERT_LT(base.size(), 32u);
  const std::string folder = base + std::string(33 - base.size() - 1, 'f') + "\\";
  ASSERT_EQ(folder.size(), 33u);
  ::CreateDirectoryA(folder.c_str(), nullptr);
  const std::string saved = base.substr(0, base.size() - 1);
  ::SetEnvironmentVariableA("TMP", folder.substr(0, 32).c_str());
  const std::string name = std::string(50, 'n') + ".png";
  const int result = Load(HttpAddress("/img/" + name));
  ::SetEnvironmentVariableA("TMP", saved.c_str());
  EXPECT_EQ(result, 1) << "the engine reads the PNG whatever its name";
  const std::string kept = folder + name.substr(0, 47);
  EXPECT_EQ(kept.size(), 80u);
  EXPECT_EQ(ReadFileBytes(kept), SampleBytes("photo.png"));
  RemoveFile(kept);
  ::RemoveDirectoryA(folder.c_str());
}

TEST_F(DownloadTest, EngineNotLoadedStillDownloadsFirst) {
  pixet_->ENGINELOADED = 0;
  RemoveFile(temp_ + "dl-unbound.png");
  EXPECT_EQ(Load(HttpAddress("/img/dl-unbound.png")), 0);
  EXPECT_EQ(ReadFileBytes(temp_ + "dl-unbound.png"), SampleBytes("photo.png"));
  EXPECT_TRUE(counter_.Order().empty());
  EXPECT_EQ(host_.ImageBytesWrites(window_, 1), 0);
}

}  // namespace
