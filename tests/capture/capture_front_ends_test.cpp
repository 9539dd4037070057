// The four capture methods on real windows: the BMP files are parsed here byte by byte.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "pixet/pixet.h"
#include "pixet/refhost.h"
#include "support/test_support.h"

using namespace pixet::testing;
using pixet::refhost::ControlKind;
using pixet::refhost::DesktopHost;

namespace {

constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kGreen = RGB(0, 255, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kWhite = RGB(255, 255, 255);

template <class T>
T At(const std::vector<unsigned char>& bytes, std::size_t offset) {
  T value{};
  if (offset + sizeof value <= bytes.size()) std::memcpy(&value, bytes.data() + offset, sizeof value);
  return value;
}

// A BMP file as written by the capture methods, read field by field.
struct Bmp {
  std::vector<unsigned char> bytes;
  std::uint32_t size = 0;  // BFSIZE
  std::uint32_t offset = 0;  // BFOFFBITS
  BITMAPINFOHEADER info{};

  explicit Bmp(const std::string& path) : bytes(ReadFileBytes(path)) {
    size = At<std::uint32_t>(bytes, 2);
    offset = At<std::uint32_t>(bytes, 10);
    info = At<BITMAPINFOHEADER>(bytes, 14);
  }
  bool IsBmp() const { return bytes.size() >= 1078 && bytes[0] == 'B' && bytes[1] == 'M'; }
  int Width() const { return info.biWidth; }
  int Height() const { return std::abs(info.biHeight); }
  std::uint32_t Stride() const { return ((info.biWidth * info.biBitCount + 31) / 32) * 4; }
  std::uint32_t ColourMask(int index) const { return At<std::uint32_t>(bytes, 54 + 4 * index); }

  // The colour at (x, y) counted from the top-left corner.
  COLORREF Pixel(int x, int y) const {
    const int row = info.biHeight > 0 ? Height() - 1 - y : y;
    const std::size_t at = offset + static_cast<std::size_t>(row) * Stride();
    switch (info.biBitCount) {
      case 8: {
        const RGBQUAD entry = At<RGBQUAD>(bytes, 54 + 4 * std::size_t{bytes.at(at + x)});
        return RGB(entry.rgbRed, entry.rgbGreen, entry.rgbBlue);
      }
      case 24:
        return RGB(bytes.at(at + 3 * x + 2), bytes.at(at + 3 * x + 1), bytes.at(at + 3 * x));
      case 32: {
        const std::uint32_t v = At<std::uint32_t>(bytes, at + 4 * x);
        if (info.biCompression == BI_BITFIELDS) {
          EXPECT_EQ(ColourMask(0), 0xFF0000u);
          EXPECT_EQ(ColourMask(1), 0x00FF00u);
          EXPECT_EQ(ColourMask(2), 0x0000FFu);
        }
        return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
      }
      default:
        ADD_FAILURE() << "no pixel reader for " << info.biBitCount << " bits";
        return 0xFFFFFFFF;
    }
  }
};

// Every file: header fields, the fixed 1024-byte colour table, and the row size.
void ExpectSoundHeader(const Bmp& bmp, int width, int height) {
  ASSERT_TRUE(bmp.IsBmp());
  EXPECT_EQ(At<std::uint16_t>(bmp.bytes, 6), 0);  // reserved words
  EXPECT_EQ(At<std::uint16_t>(bmp.bytes, 8), 0);
  EXPECT_EQ(bmp.offset, 1078u);
  EXPECT_EQ(bmp.info.biSize, 40u);
  EXPECT_EQ(bmp.info.biPlanes, 1);
  EXPECT_EQ(bmp.Width(), width);
  EXPECT_EQ(bmp.Height(), height);
  EXPECT_EQ(bmp.size, bmp.Stride() * static_cast<std::uint32_t>(height) + 1078);
  EXPECT_EQ(bmp.bytes.size(), bmp.size);
}

std::string Hex(COLORREF c) {
  char text[16];
  std::snprintf(text, sizeof text, "%06lX", static_cast<unsigned long>(c));
  return text;
}

// The Xvfb screen: PIXET_SCREEN ("WxHxD") when set, otherwise the default 1280x1024.
SIZE XvfbScreen() {
  SIZE size{1280, 1024};
  if (const char* screen = std::getenv("PIXET_SCREEN")) {
    long w = 0, h = 0;
    if (std::sscanf(screen, "%ldx%ld", &w, &h) == 2) size = {w, h};
  }
  return size;
}

// A window whose 120 x 80 client area shows three blocks on the white client colour:
// red at (0,0)-(40,30), blue at (40,30)-(80,50), green at (80,50)-(120,80).
class Capture : public ::testing::Test {
 protected:
  void SetUp() override {
    window_ = host_.OpenWindow("capture", 120, 80, 40, 60);
    ASSERT_NE(window_, nullptr);
    AddBlock(1, 0, 0, 40, 30, kRed);
    AddBlock(2, 40, 30, 40, 20, kBlue);
    AddBlock(3, 80, 50, 40, 30, kGreen);
    DesktopHost::SetCurrentWindow(window_);
    host_.PumpMessages();
  }
  void TearDown() override { DesktopHost::SetCurrentWindow(nullptr); }

  void AddBlock(std::int16_t field, int x, int y, int w, int h, COLORREF colour) {
    ASSERT_TRUE(host_.AddControl(window_, field, x, y, w, h, ControlKind::Plain));
    host_.SetControlColour(window_, field, colour);
  }
  HWND Frame() const { return host_.WindowHwnd(window_); }
  RECT Outer() const {
    RECT r;
    ::GetWindowRect(Frame(), &r);
    return r;
  }
  // Where the client area starts inside the outer window.
  POINT ClientOrigin() const {
    POINT p{0, 0};
    ::ClientToScreen(Frame(), &p);
    const RECT outer = Outer();
    return {p.x - outer.left, p.y - outer.top};
  }
  std::string Fresh(const std::string& name) {
    const std::string path = Output(name);
    RemoveFile(path);
    return path;
  }

  DesktopHost host_;
  ScopedHost scoped_{&host_};
  PixetHostWindow* window_ = nullptr;
  std::unique_ptr<Pixet> pixet_ = Pixet::Create();
};

TEST_F(Capture, ClientAreaIsSavedAtItsSizeWithItsColours) {
  const std::string path = Fresh("capture-client.bmp");
  pixet_->CaptureClientToBmp(path.c_str());
  const Bmp bmp(path);
  ExpectSoundHeader(bmp, 120, 80);
  ExpectForIdentify("capture-client.bmp", "bmp", 120, 80);
  EXPECT_EQ(Hex(bmp.Pixel(0, 0)), Hex(kRed));
  EXPECT_EQ(Hex(bmp.Pixel(39, 29)), Hex(kRed));
  EXPECT_EQ(Hex(bmp.Pixel(40, 29)), Hex(kWhite));
  EXPECT_EQ(Hex(bmp.Pixel(40, 30)), Hex(kBlue));
  EXPECT_EQ(Hex(bmp.Pixel(119, 79)), Hex(kGreen));
  EXPECT_EQ(Hex(bmp.Pixel(119, 0)), Hex(kWhite));
  EXPECT_EQ(Hex(bmp.Pixel(0, 79)), Hex(kWhite));
}

// 5 pixels wide: rows round up to whole 4-byte words (15 bytes at 24 bits become 16).
TEST_F(Capture, RectangleOfTheClientAreaFiveWideHasRoundedRows) {
  const std::string path = Fresh("capture-rect.bmp");
  pixet_->CaptureClientRectToBmp(path.c_str(), 38, 28, 5, 4);
  const Bmp bmp(path);
  ExpectSoundHeader(bmp, 5, 4);
  ExpectForIdentify("capture-rect.bmp", "bmp", 5, 4);
  const std::map<int, std::uint32_t> row_bytes{{8, 8}, {16, 12}, {24, 16}, {32, 20}};
  ASSERT_EQ(row_bytes.count(bmp.info.biBitCount), 1u) << bmp.info.biBitCount << " bits";
  EXPECT_EQ(bmp.size, row_bytes.at(bmp.info.biBitCount) * 4 + 1078);
  EXPECT_EQ(Hex(bmp.Pixel(0, 0)), Hex(kRed));    // (38, 28)
  EXPECT_EQ(Hex(bmp.Pixel(1, 1)), Hex(kRed));    // (39, 29)
  EXPECT_EQ(Hex(bmp.Pixel(4, 0)), Hex(kWhite));  // (42, 28)
  EXPECT_EQ(Hex(bmp.Pixel(0, 3)), Hex(kWhite));  // (38, 31)
  EXPECT_EQ(Hex(bmp.Pixel(4, 3)), Hex(kBlue));   // (42, 31)
}

TEST_F(Capture, WholeWindowIsTheOuterRectangleWithTheClientAreaInside) {
  host_.ResizeWindow(window_, 120, 80);
  const RECT outer = Outer();
  const int width = outer.right - outer.left;
  const int height = outer.bottom - outer.top;
  ASSERT_NE(width % 4, 3) << "pick a client width that the widening leaves alone";
  const std::string path = Fresh("capture-window.bmp");
  pixet_->CaptureWindowToBmp(path.c_str());
  const Bmp bmp(path);
  ExpectSoundHeader(bmp, width, height);
  ExpectForIdentify("capture-window.bmp", "bmp", static_cast<unsigned>(width), static_cast<unsigned>(height));
  const POINT c = ClientOrigin();
  EXPECT_EQ(Hex(bmp.Pixel(c.x, c.y)), Hex(kRed));
  EXPECT_EQ(Hex(bmp.Pixel(c.x + 119, c.y + 79)), Hex(kGreen));
  EXPECT_EQ(Hex(bmp.Pixel(c.x + 60, c.y + 10)), Hex(kWhite));
}

TEST_F(Capture, OnlyAWholeWindowOfWidth4kPlus3IsWidenedByOne) {
  RECT outer = Outer();
  RECT client;
  ::GetClientRect(Frame(), &client);
  const int frame = (outer.right - outer.left) - client.right;
  for (int remainder = 0; remainder < 4; ++remainder) {
    const int client_width = 160 + ((remainder - frame) % 4 + 4) % 4;
    host_.ResizeWindow(window_, client_width, 80);
    host_.PumpMessages();
    outer = Outer();
    const int width = outer.right - outer.left;
    ASSERT_EQ(width % 4, remainder);

    const std::string window_path = Fresh("capture-width.bmp");
    pixet_->CaptureWindowToBmp(window_path.c_str());
    const Bmp whole(window_path);
    EXPECT_EQ(whole.Width(), remainder == 3 ? width + 1 : width) << "outer width " << width;
    EXPECT_EQ(whole.Height(), outer.bottom - outer.top);

    const std::string client_path = Fresh("capture-width-client.bmp");
    pixet_->CaptureClientToBmp(client_path.c_str());
    EXPECT_EQ(Bmp(client_path).Width(), client_width) << "the client area is never widened";
  }
}

TEST_F(Capture, DesktopIsTheWholeScreenWithTheWindowOnIt) {
  const SIZE screen = XvfbScreen();
  ASSERT_EQ(::GetSystemMetrics(SM_CXSCREEN), screen.cx);
  const std::string path = Fresh("capture-desktop.bmp");
  pixet_->CaptureDesktopToBmp(path.c_str());
  const Bmp bmp(path);
  ExpectSoundHeader(bmp, screen.cx, screen.cy);
  ExpectForIdentify("capture-desktop.bmp", "bmp", static_cast<unsigned>(screen.cx), static_cast<unsigned>(screen.cy));
  POINT red{5, 5};
  ::ClientToScreen(Frame(), &red);
  EXPECT_EQ(Hex(bmp.Pixel(red.x, red.y)), Hex(kRed));
}

TEST_F(Capture, FileNamesLoseTrailingBlanksAndAreCutAt255Characters) {
  // The \\?\ form keeps trailing blanks in a file name, so unclipped blanks would show.
  char folder[MAX_PATH];
  ::GetFullPathNameA(Output("").c_str(), MAX_PATH, folder, nullptr);
  const std::string padded = std::string("\\\\?\\") + folder + "capture-blanks.bmp" + std::string(40, ' ');
  RemoveFile(padded);
  RemoveFile(Output("capture-blanks.bmp"));
  pixet_->CaptureClientToBmp(padded.c_str());
  EXPECT_EQ(FilesStartingWith(Output("capture-blanks")), std::vector<std::string>{"capture-blanks.bmp"});
  EXPECT_TRUE(Bmp(Output("capture-blanks.bmp")).IsBmp());
  RemoveFile(padded);

  const std::string cut = Output(std::string(255 - Output("").size(), 'c'));
  RemoveFile(cut);
  pixet_->CaptureClientToBmp((cut + "dddd.bmp").c_str());
  EXPECT_TRUE(Bmp(cut).IsBmp()) << "written under the first 255 characters";
  RemoveFile(cut);
}

TEST_F(Capture, AnExistingFileIsReplacedWhole) {
  const std::string path = Output("capture-replaced.bmp");
  WriteFileBytes(path, std::string(200000, 'x'));
  pixet_->CaptureClientToBmp(path.c_str());
  ExpectSoundHeader(Bmp(path), 120, 80);
}

// Nothing captured, nothing written: an existing file keeps its contents.
TEST_F(Capture, NoWindowOrNoAreaLeavesTheFileAsItWas) {
  const std::string path = Output("capture-kept.bmp");
  const std::string before = "an earlier file";
  WriteFileBytes(path, before);
  const auto unchanged = [&](const char* what) {
    const std::vector<unsigned char> now = ReadFileBytes(path);
    EXPECT_EQ(std::string(now.begin(), now.end()), before) << what;
  };
  pixet_->CaptureClientRectToBmp(path.c_str(), 10, 10, 0, 20);
  unchanged("width 0");
  pixet_->CaptureClientRectToBmp(path.c_str(), 10, 10, 20, 0);
  unchanged("height 0");
  pixet_->CaptureClientRectToBmp(path.c_str(), 10, 10, -5, 20);
  unchanged("negative width");
  pixet_->CaptureClientRectToBmp(path.c_str(), 10, 10, 20, -5);
  unchanged("negative height");

  DesktopHost::SetCurrentWindow(nullptr);
  pixet_->CaptureClientToBmp(path.c_str());
  unchanged("client area of no window");
  pixet_->CaptureWindowToBmp(path.c_str());
  unchanged("no window");
  pixet_->CaptureClientRectToBmp(path.c_str(), 0, 0, 20, 20);
  unchanged("rectangle of no window");

  const std::string absent = Fresh("capture-absent.bmp");
  pixet_->CaptureWindowToBmp(absent.c_str());
  EXPECT_FALSE(FileExists(absent));
}

}  // namespace
