// Screen contents saved as BMP files, read back here byte by byte and compared with what
// the screen shows. CTest runs these tests on 32-, 16- and 8-bit (palette) screens too,
// where rows need padding and the colour table carries bit masks or a palette.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>

#include "pixet/pixet_c.h"
#include "support/fixture.h"

using namespace pixet::testing;

namespace {

template <class T>
T At(const std::vector<unsigned char>& bytes, std::size_t at) {
  T value{};
  if (at + sizeof value <= bytes.size()) std::memcpy(&value, &bytes[at], sizeof value);
  return value;
}

// A BMP file whose pixels are read through its own colour table: a palette, bit masks,
// or none (24 and 32 bits: 8 bits each).
struct Bmp {
  std::vector<unsigned char> bytes;
  BITMAPINFOHEADER info;
  explicit Bmp(const std::string& path) : bytes(ReadWholeFile(path)), info(At<BITMAPINFOHEADER>(bytes, 14)) {}
  std::uint32_t Word(std::size_t at) const { return At<std::uint32_t>(bytes, at); }
  std::size_t Stride() const { return (info.biWidth * info.biBitCount + 31) / 32 * 4; }  // whole 4-byte words
  bool Indexed() const { return info.biBitCount <= 8; }
  // The colour-table entries the format gives meaning to: a palette, or three bit masks.
  std::size_t Entries() const { return Indexed() ? 256 : info.biCompression == BI_BITFIELDS ? 3 : 0; }
  COLORREF Pixel(int x, int y) const {
    const std::size_t row = info.biHeight > 0 ? info.biHeight - 1 - y : y;  // bottom-up unless negative
    const std::size_t at = Word(10) + row * Stride() + x * info.biBitCount / 8;
    const std::uint32_t v = Indexed() ? Word(54 + 4 * std::size_t{bytes.at(at)}) : Word(at);
    const auto channel = [&](int i) {  // scaled to 0..255
      const std::uint32_t m = !Indexed() && info.biCompression == BI_BITFIELDS ? Word(54 + 4 * i) : 0xFF0000u >> 8 * i;
      return m != 0 ? (v & m) / (m & (~m + 1)) * 255 / (m / (m & (~m + 1))) : 0;
    };
    return RGB(channel(0), channel(1), channel(2));
  }
};

class Capture : public PixetTest {
 protected:
  // Red, blue and green blocks on the client area, a block's corner meeting the next one's, and a white one
  // (the last entry of a 256-colour system palette).
  void SetUp() override {
    const struct { std::int16_t field; int x, y; COLORREF colour; } blocks[] = {
        {2, 100, 20, RGB(255, 0, 0)}, {3, 160, 60, RGB(0, 0, 255)}, {4, 220, 100, RGB(0, 255, 0)},
        {5, 250, 150, RGB(255, 255, 255)}};
    for (const auto& b : blocks) {
      host_.AddControl(window_, b.field, b.x, b.y, 60, 40, ControlKind::Plain);
      host_.SetControlColour(window_, b.field, b.colour);
    }
    Pump();
    for (const auto& b : blocks) ASSERT_TRUE(Near(ScreenPixel(Client(), b.x + 30, b.y + 20), b.colour, 8));
  }
  HWND Client() const { return host_.ClientHwnd(window_); }
  POINT OnScreen(POINT p) const {
    ::ClientToScreen(Client(), &p);
    return p;
  }
  // Captures into a file that held something longer, under a name with trailing blanks;
  // checks the layout, the size of the area at `corner` on the screen, and probes against
  // the screen.
  void Check(const std::string& what, const std::function<void(const char*)>& capture, POINT corner, SIZE size) {
    SCOPED_TRACE(what);
    const RECT area{corner.x, corner.y, corner.x + size.cx, corner.y + size.cy};
    const std::string file = Output("capture-" + what + ".bmp");
    WriteFileBytes(file, std::string(1 << 20, 'x'));
    capture((file + "   ").c_str());
    const Bmp bmp(file);
    EXPECT_EQ(bmp.Word(0) & 0xFFFF, 0x4D42u);  // "BM"
    EXPECT_EQ(bmp.Word(10), 1078u) << "the bits follow a full 256-entry colour table";
    EXPECT_EQ(std::make_pair(bmp.info.biWidth, std::abs(bmp.info.biHeight)),
              std::make_pair(area.right - area.left, area.bottom - area.top));
    EXPECT_EQ(bmp.Word(2), bmp.bytes.size());
    EXPECT_EQ(bmp.bytes.size(), 1078 + bmp.Stride() * std::abs(bmp.info.biHeight)) << bmp.info.biBitCount << " bits";
    for (std::size_t at = 54 + 4 * bmp.Entries(); at < 1078; ++at)
      ASSERT_EQ(At<unsigned char>(bmp.bytes, at), 0) << "colour table byte " << at << ", after the system's entries";
    const POINT probes[] = {{0, 0}, {130, 40}, {190, 80}, {250, 120}, {158, 58}, {161, 61}, {162, 58}, {5, 225},
                            {280, 170}};
    for (const POINT& p : probes) {
      const POINT s = OnScreen(p);
      if (!::PtInRect(&area, s)) continue;
      const COLORREF shown = ScreenPixel(nullptr, s.x, s.y), saved = bmp.Pixel(s.x - area.left, s.y - area.top);
      EXPECT_TRUE(Near(saved, shown, 8)) << p.x << "," << p.y << ": file " << std::hex << saved << ", screen " << shown;
    }
  }
};

TEST_F(Capture, EachMethodSavesItsAreaAsTheScreenShowsIt) {
  Check("desktop", [&](const char* f) { pixet_->CaptureDesktopToBmp(f); }, {0, 0},
        {::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)});
  for (int width = 320; width < 324; ++width) {  // every remainder of 4, for client and frame widths
    host_.ResizeWindow(window_, width, 240);
    // The host's client area need not fill the frame's (a toolbar above it, say).
    ::SetWindowPos(Client(), nullptr, 0, 10, width, 230, SWP_NOZORDER);
    Pump();
    const std::string w = std::to_string(width);
    Check("client-" + w, [&](const char* f) { pixet_->CaptureClientToBmp(f); }, OnScreen({0, 0}), {width, 230});
    Check("rectangle-" + w, [&](const char* f) { pixet_->CaptureClientRectToBmp(f, 157, 57, 7, 6); },
          OnScreen({157, 57}), {7, 6});
    RECT outer;
    ::GetWindowRect(host_.WindowHwnd(window_), &outer);
    const int outer_width = outer.right - outer.left;  // 4k + 3 is saved 4k + 4 wide
    Check("window-" + w, [&](const char* f) { pixet_->CaptureWindowToBmp(f); }, {outer.left, outer.top},
          {outer_width + (outer_width % 4 == 3), outer.bottom - outer.top});
  }
}

// The UTF-16 forms (C++ and C) write the same files to names that no code page holds, in a
// folder so named (each read back here through an ASCII copy); the ANSI forms, given those
// names as the code page holds them, write nothing.
TEST_F(Capture, Utf16FormsTakeAnyName) {
  const std::wstring folder = L"capture-\u0444\u043e\u0442\u043e-\u56fe-\U0001F5BC";
  // Left by a run that stopped half-way, it is used again; its one file goes first.
  ASSERT_TRUE(::CreateDirectoryW(folder.c_str(), nullptr) || ::GetLastError() == ERROR_ALREADY_EXISTS);
  const std::wstring name = folder + L"\\\u03b5\u03b9\u03ba\u03cc\u03bd\u03b1.bmp";
  ::DeleteFileW(name.c_str());
  const auto through = [&](std::function<void(const wchar_t*)> capture) {
    return [=](const char* f) {
      capture((name + L"  ").c_str());
      std::string copy(f);
      copy.erase(copy.find_last_not_of(' ') + 1);
      ::CopyFileW(name.c_str(), std::wstring(copy.begin(), copy.end()).c_str(), FALSE);  // an ASCII path
      ::DeleteFileW(name.c_str());
    };
  };
  host_.ResizeWindow(window_, 321, 240);
  Pump();
  RECT outer;
  ::GetWindowRect(host_.WindowHwnd(window_), &outer);
  const int outer_width = outer.right - outer.left;
  Check("utf16-desktop", through([&](const wchar_t* f) { pixet_->CaptureDesktopToBmpW(f); }), {0, 0},
        {::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)});
  Check("utf16-client", through([&](const wchar_t* f) { PixetCaptureClientToBmpW(pixet_.get(), f); }), OnScreen({0, 0}),
        {321, 240});
  Check("utf16-rectangle", through([&](const wchar_t* f) { pixet_->CaptureClientRectToBmpW(f, 157, 57, 7, 6); }),
        OnScreen({157, 57}), {7, 6});
  Check("utf16-window", through([&](const wchar_t* f) { PixetCaptureWindowToBmpW(pixet_.get(), f); }),
        {outer.left, outer.top}, {outer_width + (outer_width % 4 == 3), outer.bottom - outer.top});
  char ansi[MAX_PATH] = {};
  ::WideCharToMultiByte(CP_ACP, 0, name.c_str(), -1, ansi, MAX_PATH, nullptr, nullptr);
  pixet_->CaptureClientToBmp(ansi);
  PixetCaptureWindowToBmp(pixet_.get(), ansi);
  WIN32_FIND_DATAW found;
  const HANDLE search = ::FindFirstFileW((folder + L"\\*.*").c_str(), &found);
  int entries = 0;
  if (search != INVALID_HANDLE_VALUE) {
    do ++entries; while (::FindNextFileW(search, &found));
    ::FindClose(search);
  }
  EXPECT_EQ(entries, 2) << "only . and ..: the ANSI forms wrote something";
  EXPECT_TRUE(::RemoveDirectoryW(folder.c_str()));
}

TEST_F(Capture, NothingCapturedWritesNothing) {
  const std::string file = Output("capture-kept.bmp");
  WriteFileBytes(file, "earlier");
  pixet_->CaptureClientRectToBmp(file.c_str(), 10, 10, 0, 20);
  pixet::refhost::DesktopHost::SetCurrentWindow(nullptr);
  pixet_->CaptureWindowToBmp(file.c_str());
  EXPECT_EQ(ReadWholeFile(file), std::vector<unsigned char>({'e', 'a', 'r', 'l', 'i', 'e', 'r'}));
}

// Run by CTest on a small full file system (tests/scripts/full_disk.sh): the old file stays and no other appears.
TEST_F(Capture, DISABLED_OnAFullDiskTheOldFileStays) {
  const char* folder = std::getenv("PIXET_FULL_DISK");
  ASSERT_NE(folder, nullptr) << "run through full_disk.sh";
  const std::string old = std::string(folder) + "\\old.bmp";
  const std::vector<unsigned char> before = ReadWholeFile(old);
  pixet_->CaptureClientToBmp(old.c_str());
  EXPECT_TRUE(!before.empty() && ReadWholeFile(old) == before);
  std::vector<std::string> left = FilesStartingWith(std::string(folder) + "\\");
  std::sort(left.begin(), left.end());
  EXPECT_EQ(left, (std::vector<std::string>{".", "..", "filler", "old.bmp"}));
}

// Each loaded copy of the library reserves a "Bcr….bmp" file in the temporary folder of its
// own, and removes it when it is unloaded; also in a folder whose name the code page lacks.
TEST(CaptureFile, ReservedWhileTheLibraryIsLoaded) {
  char path[MAX_PATH];
  ASSERT_NE(::GetModuleFileNameA(::GetModuleHandleA("pixet.dll"), path, MAX_PATH), 0u);
  const std::string copy = Output("pixet-copy.dll");
  ASSERT_TRUE(::CopyFileA(path, copy.c_str(), FALSE));
  wchar_t here[MAX_PATH] = {};
  ::GetCurrentDirectoryW(MAX_PATH, here);
  const std::wstring elsewhere = std::wstring(here) + L"\\tmp-\u0441\u043d\u0438\u043c\u043e\u043a-\u56fe\\";
  ASSERT_TRUE(::CreateDirectoryW(elsewhere.c_str(), nullptr) || ::GetLastError() == ERROR_ALREADY_EXISTS);
  for (const std::wstring& left : FilesInW(elsewhere)) ::DeleteFileW((elsewhere + left).c_str());  // by a stopped run
  for (const std::wstring& folder : {pixet::TempDirectoryW(), elsewhere}) {
    const ScopedTempFolder tmp(folder);
    const auto reserved = [&] {
      std::vector<std::wstring> names;
      for (const std::wstring& name : FilesInW(folder))
        if (name.rfind(L"Bcr", 0) == 0) names.push_back(name);
      return names;
    };
    const std::vector<std::wstring> before = reserved();
    const HMODULE second = ::LoadLibraryA(copy.c_str());
    ASSERT_NE(second, nullptr) << Ansi(folder);
    const std::vector<std::wstring> held = reserved();
    ::FreeLibrary(second);
    ASSERT_EQ(held.size(), before.size() + 1) << Ansi(folder);
    EXPECT_EQ(held.back().substr(held.back().size() - 4), L".bmp") << Ansi(folder);
    EXPECT_EQ(reserved(), before) << Ansi(folder);
  }
  EXPECT_TRUE(::RemoveDirectoryW(elsewhere.c_str())) << "something was left in the folder";
  RemoveFile(copy);
}

}  // namespace
