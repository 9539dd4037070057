// Images kept as type-0 resources of the test program and of a resource library
// (pixet_test_resources.dll): engine images, the display methods' one-shot switch, files.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "pixet/pixet_c.h"
#include "support/fixture.h"

using namespace pixet::testing;

namespace {

constexpr char kLibrary[] = "pixet_test_resources.dll";
constexpr char kProgramLogo[] = "16x16 ff00ff00", kLibraryLogo[] = "20x12 ffffff00", kTile[] = "10x6 ff00ffff";

class Resources : public PixetTest {
 protected:
  // "WxH centre-ARGB" of an engine image, which is then disposed as the caller owns it.
  std::string Seen(std::intptr_t handle) {
    auto* image = reinterpret_cast<Gdiplus::GpBitmap*>(handle);
    UINT w = 0, h = 0;
    Gdiplus::ARGB centre = 0;
    Gdiplus::DllExports::GdipGetImageWidth(image, &w);
    Gdiplus::DllExports::GdipGetImageHeight(image, &h);
    Gdiplus::DllExports::GdipBitmapGetPixel(image, static_cast<INT>(w / 2), static_cast<INT>(h / 2), &centre);
    if (image != nullptr) {
      Gdiplus::DllExports::GdipDisposeImage(image);
      engine_.Objects().Gone(image);
    }
    char text[40];
    std::snprintf(text, sizeof text, "%ux%u %08lx", w, h, static_cast<unsigned long>(centre));
    return text;
  }
  EngineStarted started_;  // the caller's engine start-up, which a lookup runs inside
};

// The UTF-16 forms (C++ and C) find a library and write a target whose names no code page
// holds; the ANSI forms, given those names as the code page holds them, cannot load the
// library, say so, and write nothing.
TEST_F(Resources, Utf16FormsTakeAnyLibraryAndTargetName) {
  wchar_t here[MAX_PATH], program[MAX_PATH];
  ASSERT_NE(::GetCurrentDirectoryW(MAX_PATH, here), 0u);
  ASSERT_NE(::GetModuleFileNameW(nullptr, program, MAX_PATH), 0u);
  std::wstring beside(program);
  beside.erase(beside.find_last_of(L'\\') + 1);
  const std::wstring library = std::wstring(here) + L"\\\u0440\u0435\u0441\u0443\u0440\u0441-\u8d44\u6e90-\U0001F5BC.dll";
  const std::wstring target = L"\u0441\u043d\u0438\u043c\u043e\u043a-\u5feb\u7167.png";
  ASSERT_TRUE(::CopyFileW((beside + L"pixet_test_resources.dll").c_str(), library.c_str(), FALSE));
  EXPECT_EQ(Seen(pixet_->ImageHandleFromResourceW(L"LOGO  ", library.c_str())), kLibraryLogo);
  EXPECT_EQ(Seen(PixetImageHandleFromResourceW(pixet_.get(), L"#9", library.c_str())), kTile);
  EXPECT_EQ(PixetSaveResourceToFileW(pixet_.get(), L"SNAP", target.c_str(), library.c_str()), 1);
  ASSERT_TRUE(::CopyFileW(target.c_str(), L"utf16-snap.png", FALSE));
  const DecodedImage snap = Decode("utf16-snap.png");
  EXPECT_EQ(snap.format + " " + std::to_string(snap.width) + "x" + std::to_string(snap.height), "png 30x20");
  RemoveFile("utf16-snap.png");
  ::DeleteFileW(target.c_str());
  const auto ansi = [](const std::wstring& wide) {
    char text[MAX_PATH] = {};
    ::WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, text, MAX_PATH, nullptr, nullptr);
    return std::string(text);
  };
  EXPECT_EQ(pixet_->SaveResourceToFile("SNAP", ansi(target).c_str(), ansi(library).c_str()), 1);
  const std::vector<std::string> said = TakeMessages();
  EXPECT_TRUE(said.size() == 1 && said[0] == "Can't load " + ansi(library)) << (said.empty() ? "" : said[0]);
  EXPECT_EQ(::GetFileAttributesW(target.c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_TRUE(::DeleteFileW(library.c_str()));
}

TEST_F(Resources, LookupByNameOrNumberInTheProgramOrALibrary) {
  const struct { const char* name; const char* module; const char* seen; } rows[] = {
      {"LOGO", nullptr, kProgramLogo}, {"logo   ", nullptr, kProgramLogo}, {"#7", nullptr, kProgramLogo},
      {"ZICON", nullptr, "8x8 ff0000ff"}, {"LOGO", kLibrary, kLibraryLogo},
      {"TILE  ", "PIXET_TEST_RESOURCES  ", kTile}, {"#9", kLibrary, kTile}};
  for (const auto& row : rows) {
    pixet_->USERESOURCE = 1;
    const std::intptr_t image = pixet_->ImageHandleFromResource(row.name, row.module);
    EXPECT_EQ(pixet_->USERESOURCE, 0) << row.name;
    EXPECT_EQ(::GetModuleHandleA(kLibrary), nullptr) << "the library is freed before the call returns";
    EXPECT_EQ(engine_.StreamsHeld(), 1) << "the image owns its stream (and the tear-down sees both go with it)";
    EXPECT_EQ(Seen(image), row.seen) << row.name << " (read after the library is gone)";
  }
}

// "The host application's module" is what the host answers for its instance handle.
TEST_F(Resources, OmittedModuleIsTheHostsApplicationInstance) {
  HMODULE library = ::LoadLibraryA(kLibrary);
  host_.answers[Property::InstanceHandle] = reinterpret_cast<std::intptr_t>(library);
  EXPECT_EQ(Seen(pixet_->ImageHandleFromResource("LOGO")), kLibraryLogo);
  ::FreeLibrary(library);
}

TEST_F(Resources, SwitchMakesTheNextDisplayCallTakeAResourceWhateverComesOfIt) {
  ASSERT_TRUE(::CopyFileA(Sample("halves.png").c_str(), "LOGO", FALSE));  // a file named like it: red left
  struct Row { bool draw; const char *module, *name; COLORREF shown; std::vector<std::string> messages; };
  const Row rows[] = {
      {false, "", "LOGO  ", RGB(0, 255, 0), {}}, {true, kLibrary, "LOGO", RGB(255, 255, 0), {}},
      {false, kLibrary, "#9", RGB(0, 255, 255), {}}, {true, "", "NOSUCH", CLR_INVALID, {}},  // nothing shown
      {false, "no-such.dll", "LOGO", CLR_INVALID, {"Can't load no-such.dll"}}};
  for (const auto& row : rows) {
    const auto show = [&](const char* name) {
      const std::int32_t done = row.draw ? pixet_->DrawImage(window_, name, kImage, 0, 0)
                                         : pixet_->DisplayImage(window_, name, kImage, 0, 0);
      Pump();
      EXPECT_EQ(done, 1);
      EXPECT_EQ(TakeHostCalls(), row.draw ? DrawnCalls() : ShownCalls(kImage, pixet_->HPICTUREBOX)) << name;
      return ScreenPixel(row.draw ? ControlHwnd() : pixet_->HPICTUREBOX, 5, 30);
    };
    std::memcpy(pixet_->RESOURCESDLLNAME, row.module, std::strlen(row.module));
    pixet_->USERESOURCE = 1;
    const COLORREF shown = show(row.name);
    EXPECT_TRUE(row.shown == CLR_INVALID || shown == row.shown) << row.name << " shows " << std::hex << shown;
    EXPECT_EQ(TakeMessages(), row.messages);
    EXPECT_EQ(std::string(pixet_->RESOURCESDLLNAME, 128), std::string(128, ' ')) << row.name;
    EXPECT_EQ(show("LOGO"), RGB(255, 0, 0)) << "the switch is off after " << row.name << ": the file of that name";
  }
  ::DeleteFileA("LOGO");
}

TEST_F(Resources, SaveResourceToFileWritesTheTargetsFormat) {
  const struct { const char* name; const char* module; const char* target; const char* written; } rows[] = {
      {"LOGO", nullptr, "res-logo.bmp", "bmp 16x16"}, {"PHOTO", nullptr, "res-photo.png", "png 24x16"},
      {"ZICON", nullptr, "res-zicon.jpg", "jpeg 8x8"}, {"LOGO", kLibrary, "res-module-logo.tif", "tiff 20x12"},
      {"#9", kLibrary, "res-module-tile.PNG  ", "png 10x6"}};
  for (const auto& row : rows) {
    // A library named in the field beforehand is not where an omitted module looks.
    std::memcpy(pixet_->RESOURCESDLLNAME, kLibrary, std::strlen(kLibrary));
    const std::string target = Output(row.target), file = target.substr(0, target.find_last_not_of(' ') + 1);
    RemoveFile(file);
    EXPECT_EQ(pixet_->SaveResourceToFile(row.name, target.c_str(), row.module), 1) << row.target;
    const DecodedImage out = Decode(file);
    EXPECT_EQ(out.format + " " + std::to_string(out.width) + "x" + std::to_string(out.height), row.written);
  }
}

}  // namespace
