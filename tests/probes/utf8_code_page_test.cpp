// Runs in a program whose manifest makes UTF-8 its ANSI code page: the ANSI forms then take
// any name, as UTF-8 text.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "pixet/pixet.h"
#include "support/test_support.h"

#undef LoadImage

using namespace pixet::testing;

namespace {

// UTF-16 as UTF-8, which is this program's ANSI text.
std::string Utf8(const std::wstring& wide) {
  char text[1024] = {};
  ::WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, text, sizeof text, nullptr, nullptr);
  return text;
}

std::string Shape(const std::wstring& file) {
  if (!::CopyFileW(file.c_str(), L"utf8-check", FALSE)) return "no file";
  const DecodedImage image = Decode("utf8-check");
  RemoveFile("utf8-check");
  return image.format + " " + std::to_string(image.width) + "x" + std::to_string(image.height);
}

}  // namespace

TEST(Utf8CodePage, TheManifestIsHonoured) { EXPECT_EQ(::GetACP(), static_cast<UINT>(CP_UTF8)); }

// Every ANSI form that takes a name, given names in Cyrillic, Greek, Chinese and beyond the
// BMP as UTF-8: the files are written under their own names, the control and the clipboard
// get the picture, a module so named gives its resource.
TEST(Utf8CodePage, AnsiFormsTakeAnyName) {
  const auto pixet = Pixet::Create();
  pixet::refhost::DesktopHost& host = DefaultHost();
  PixetHostWindow* window = host.OpenWindow("utf-8", 200, 150);
  ASSERT_TRUE(window != nullptr && host.AddControl(window, 1, 0, 0, 80, 60, pixet::refhost::ControlKind::Image));
  const std::wstring module = L"\u0440\u0435\u0441\u0443\u0440\u0441\u044b.dll";
  wchar_t beside[MAX_PATH] = {};  // the resource library is beside this program
  ::GetModuleFileNameW(nullptr, beside, MAX_PATH);
  const std::wstring library = std::wstring(beside).substr(0, std::wstring(beside).rfind(L'\\') + 1) + L"pixet_test_resources.dll";
  ASSERT_TRUE(::CopyFileW(library.c_str(), module.c_str(), FALSE));
  const Pixels photo = FilePixels(Sample("photo.png"));
  for (const std::wstring stem : {L"\u0444\u043e\u0442\u043e", L"\u03c6\u03c9\u03c4\u03bf", L"\u7167\u7247",
                                  L"\U0001F5BC\U0001F600"}) {
    const std::string label = Utf8(stem);
    const std::wstring png = stem + L".png", gif = stem + L" out.gif", grey = stem + L" grey.jpg",
                       saved = stem + L" snap.png";
    ASSERT_TRUE(::CopyFileW(Wide(Sample("photo.png")).c_str(), png.c_str(), FALSE));
    EXPECT_EQ(pixet->ConvertImage(Utf8(png).c_str(), Utf8(gif).c_str()), 1) << label;
    EXPECT_EQ(Shape(gif), "gif 64x48") << label;
    EXPECT_EQ(pixet->ConvertToGrayscaleImage(Utf8(png).c_str(), Utf8(grey).c_str()), 1) << label;
    EXPECT_EQ(Shape(grey), "jpeg 64x48") << label;
    EXPECT_EQ(pixet->LoadImage(window, Utf8(png).c_str(), 1), 1) << label;
    const std::vector<unsigned char> bytes = *host.State(window, 1).imageBytes;
    WriteFileBytes("received.bmp", std::string(bytes.begin(), bytes.end()));
    EXPECT_EQ(FilePixels("received.bmp"), photo) << label;
    RemoveFile("received.bmp");
    EXPECT_EQ(pixet->CopyToClipboard(Utf8(png).c_str()), 1) << label;
    EXPECT_EQ(ClipboardPixels(), photo) << label;
    EXPECT_EQ(pixet->SaveResourceToFile("SNAP", Utf8(saved).c_str(), Utf8(module).c_str()), 1) << label;
    EXPECT_EQ(Shape(saved), "png 30x20") << label;
    for (const std::wstring& file : {png, gif, grey, saved}) EXPECT_TRUE(::DeleteFileW(file.c_str())) << Utf8(file);
  }
  std::vector<std::string> messages;
  for (const pixet::refhost::Message& m : host.Messages()) messages.push_back(m.text);
  EXPECT_EQ(messages, std::vector<std::string>{});
  host.CloseWindow(window);
  ::DeleteFileW(module.c_str());
}
