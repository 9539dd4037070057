// Loading images into image controls of windows and reports, and exchanging them with the
// real clipboard, checked by what the controls and the clipboard hold afterwards.

#include <string>
#include <thread>
#include <vector>

#include "pixet/pixet_c.h"
#include "support/fixture.h"

namespace pixet::testing {
namespace {

// The picture of the image-file bytes a control received, as the engine decodes them.
Pixels Received(const std::vector<unsigned char>& bytes) {
  WriteFileBytes("received.img", std::string(bytes.begin(), bytes.end()));
  const Pixels pixels = FilePixels("received.img");
  RemoveFile("received.img");
  return pixels;
}

// What a paste asks of the host: the control emptied, named the pasted file (which it reads at once), and redrawn.
const std::vector<std::string> kPasted = {"text window 1 ControlText=", "text window 1 ControlText=saved__0.bmp",
                                          "redraw window 1"};

class LoadTest : public PixetTest {};

// Whatever the format, the control receives a BMP file with the source's picture.
TEST_F(LoadTest, LoadImageHandsTheFilesPictureToWindowAndReportControls) {
  for (const char* sample : {"photo.png", "photo.jpg", "photo.tif", "indexed.gif"}) {
    ASSERT_TRUE(pixet_->LoadImage(window_, Sample(sample).c_str(), kImage) == 1 &&
                pixet_->LoadImage(report_, Sample(sample).c_str(), kImage) == 1) << sample;
    const std::vector<unsigned char> bytes = *host_.State(window_, kImage).imageBytes;
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 2), "BM") << sample;
    EXPECT_EQ(Received(bytes), FilePixels(Sample(sample))) << sample;
    EXPECT_EQ(*host_.State(report_, kImage).imageBytes, bytes) << sample;
    EXPECT_EQ(TakeHostCalls(), (std::vector<std::string>{"bytes window 1 ImageFileBytes=BM", "bytes report 1 ImageFileBytes=BM"}));
  }
}

// The clipboard's picture reaches the control, also when the clipboard holds only a DIB.
TEST_F(LoadTest, PasteShowsTheClipboardsPicture) {
  for (void (*put)(const Pixels&) : {&PutBitmap, &PutDibOnly}) {
    put(FilePixels(Sample("photo.png")));
    EXPECT_EQ(pixet_->LoadImageFromClipboard(window_, kImage), 1);
    EXPECT_EQ(Received(*host_.State(window_, kImage).imageBytes), FilePixels(Sample("photo.png")));
    EXPECT_EQ(TakeHostCalls(), kPasted);
  }
}

// The file's pixels replace whatever the clipboard held; only names not ending in .bmp (in
// any letter case) go through a conversion. The clipboard's owner is the current window's
// own handle, and a paste into another window reads it without taking it over.
TEST_F(LoadTest, CopyPutsTheFilesPixelsOnTheClipboard) {
  PixetHostWindow* current = host_.OpenWindow("current", 100, 80, 400, 0);
  DesktopHost::SetCurrentWindow(current);
  ::CopyFileA(Sample("photo.jpg").c_str(), "no-extension", FALSE);
  const struct { std::string file, pixels_of; bool converted; } rows[] = {
      {Sample("photo.png") + "  ", Sample("photo.png"), true}, {Sample("photo.BMP"), Sample("photo.png"), false},
      {"no-extension", Sample("photo.jpg"), true}};
  for (const auto& row : rows) {
    PutText("before");
    const int startups = engine_.Startups();
    EXPECT_EQ(pixet_->CopyToClipboard(row.file.c_str()), 1) << row.file;
    EXPECT_EQ(ClipboardPixels(), FilePixels(row.pixels_of)) << row.file;
    EXPECT_EQ(engine_.Startups() > startups, row.converted) << row.file;
    EXPECT_TRUE(ClipboardText().empty() && ::GetClipboardOwner() == host_.WindowHwnd(current)) << row.file;
  }
  RemoveFile("no-extension");
  EXPECT_TRUE(pixet_->LoadImageFromClipboard(window_, kImage) == 1 && ::GetClipboardOwner() == host_.WindowHwnd(current));
  EXPECT_EQ(TakeHostCalls(), kPasted);
}

// The UTF-16 forms (C++ and C) copy files whose names no code page holds, a BMP straight and
// another format through the conversion; the ANSI form, given such a name as the code page
// holds it, finds no bitmap and says so.
TEST_F(LoadTest, CopyUtf16FormTakesAnyName) {
  const std::string png = Sample("photo.png"), bmp = Sample("photo.BMP");
  const std::wstring stem = L"\u043a\u043e\u043f\u0438\u044f-\u526f\u672c-\U0001F5BC";
  const struct { std::string sample; std::wstring name; bool c; } rows[] = {{png, stem + L".png", false},
                                                                           {bmp, stem + L".bmp", true}};
  for (const auto& row : rows) {
    ASSERT_TRUE(::CopyFileW(std::wstring(row.sample.begin(), row.sample.end()).c_str(), row.name.c_str(), FALSE));
    PutText("before");
    EXPECT_EQ(row.c ? PixetCopyToClipboardW(pixet_.get(), row.name.c_str()) : pixet_->CopyToClipboardW(row.name.c_str()), 1);
    EXPECT_EQ(ClipboardPixels(), FilePixels(png));
    char ansi[MAX_PATH] = {};
    ::WideCharToMultiByte(CP_ACP, 0, row.name.c_str(), -1, ansi, MAX_PATH, nullptr, nullptr);
    EXPECT_EQ(pixet_->CopyToClipboard(ansi), 0);
    EXPECT_EQ(TakeMessages(), std::vector<std::string>{"There was an error while loading the bitmap"});
    EXPECT_TRUE(::DeleteFileW(row.name.c_str()));
  }
}

// Loads waiting on silent servers (the web loader over TLS, LoadImage over plain HTTP) hold up
// only their own threads: meanwhile this one converts and pastes; the web load ends at its limit.
TEST_F(LoadTest, SlowServersDelayOnlyTheirOwnThread) {
  const auto other = Pixet::Create();
  pixet_->SetWebTimeout(2500);
  DWORD web_took = 0;
  const DWORD start = ::GetTickCount();
  std::thread web([&] {
    const std::string address = "https://localhost:" + std::to_string(ServerPort(3)) + "/img/stall.png";
    EXPECT_EQ(pixet_->LoadImageFromWeb(window_, address.c_str(), kImage), 0);
    web_took = ::GetTickCount() - start;
  });
  std::thread plain([&] {
    const std::string address = "http://127.0.0.1:" + std::to_string(HttpPort()) + "/img/silent-slow.png";
    EXPECT_EQ(other->LoadImage(window_, address.c_str(), kImage), ERROR_FILE_NOT_FOUND);  // an empty body
  });
  ::Sleep(500);  // both wait on their servers now
  const DWORD before = ::GetTickCount();
  PutBitmap(FilePixels(Sample("photo.png")));
  EXPECT_EQ(pixet_->ConvertImage(Sample("photo.png").c_str(), "slow-servers.bmp"), 1);
  EXPECT_EQ(pixet_->LoadImageFromClipboard(window_, kImage), 1);
  EXPECT_EQ(TakeHostCalls(), kPasted);
  EXPECT_LT(::GetTickCount() - before, 1000u) << "waited for another thread's download";
  web.join();
  plain.join();
  EXPECT_TRUE(web_took >= 2400 && web_took < 4500) << web_took;
  EXPECT_EQ(TakeMessages(), std::vector<std::string>{"The web server did not answer in time!"});
  RemoveFile("slow-servers.bmp");
  RemoveFile(TempDirectory() + "silent-slow.png");
}

// The limits: defaults, per object, 0 for the default again, and forgotten by Destruct.
TEST_F(LoadTest, WebLimitsBelongToEachObject) {
  const auto other = Pixet::Create();
  PixetSetWebTimeout(pixet_.get(), 1500);
  PixetSetWebSizeLimit(pixet_.get(), 4096);
  EXPECT_EQ((std::vector<unsigned>{unsigned(PixetGetWebTimeout(pixet_.get())), PixetGetWebSizeLimit(pixet_.get()),
                                   unsigned(other->WebTimeout()), other->WebSizeLimit()}),
            (std::vector<unsigned>{1500, 4096, 30000, 256u << 20}));
  PixetSetWebTimeout(pixet_.get(), 0);
  EXPECT_EQ(pixet_->WebTimeout(), 30000);
  other->SetWebSizeLimit(10);
  other->Destruct();
  EXPECT_EQ(other->WebSizeLimit(), 256u << 20);
}

}  // namespace
}  // namespace pixet::testing
