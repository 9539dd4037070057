// Tests of the reference desktop host itself, on real Win32 windows.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "pixet/refhost.h"

using pixet::HostProperty;
using pixet::HostTarget;
using pixet::MessageIcon;
using pixet::refhost::ControlKind;
using pixet::refhost::DesktopHost;
using pixet::refhost::RecordingHost;

namespace {

using Pixels = std::vector<COLORREF>;

// A 24-bit bottom-up BMP file; `pixels` is row by row from the top.
std::vector<unsigned char> MakeBmp(int width, int height, const Pixels& pixels) {
  const int stride = (width * 3 + 3) & ~3;
  BITMAPFILEHEADER file{};
  BITMAPINFOHEADER info{};
  info.biSize = sizeof(info);
  info.biWidth = width;
  info.biHeight = height;
  info.biPlanes = 1;
  info.biBitCount = 24;
  info.biCompression = BI_RGB;
  info.biSizeImage = static_cast<DWORD>(stride * height);
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof(file) + sizeof(info);
  file.bfSize = file.bfOffBits + info.biSizeImage;
  std::vector<unsigned char> bytes(file.bfSize, 0);
  std::memcpy(bytes.data(), &file, sizeof(file));
  std::memcpy(bytes.data() + sizeof(file), &info, sizeof(info));
  for (int y = 0; y < height; ++y) {
    unsigned char* row = bytes.data() + file.bfOffBits + (height - 1 - y) * stride;
    for (int x = 0; x < width; ++x) {
      const COLORREF c = pixels[static_cast<std::size_t>(y * width + x)];
      row[x * 3 + 0] = GetBValue(c);
      row[x * 3 + 1] = GetGValue(c);
      row[x * 3 + 2] = GetRValue(c);
    }
  }
  return bytes;
}

// 2 x 2 RGB PNG: red, green / blue, yellow. Only the engine decodes it.
const unsigned char kPng2x2[] = {
    0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a, 0x00, 0x00, 0x00, 0x0d, 0x49, 0x48, 0x44, 0x52,
    0x00, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00, 0x02, 0x08, 0x02, 0x00, 0x00, 0x00, 0xfd, 0xd4, 0x9a,
    0x73, 0x00, 0x00, 0x00, 0x14, 0x49, 0x44, 0x41, 0x54, 0x78, 0xda, 0x63, 0xf8, 0xcf, 0xc0, 0xc0,
    0x00, 0xc2, 0x0c, 0xff, 0xff, 0xff, 0x67, 0x00, 0x00, 0x1e, 0xef, 0x04, 0xfc, 0x73, 0x1c, 0x53,
    0xcc, 0x00, 0x00, 0x00, 0x00, 0x49, 0x45, 0x4e, 0x44, 0xae, 0x42, 0x60, 0x82};

constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kGreen = RGB(0, 255, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kYellow = RGB(255, 255, 0);

COLORREF PixelOf(HWND hwnd, int x, int y) {
  HDC dc = ::GetDC(hwnd);
  const COLORREF c = ::GetPixel(dc, x, y);
  ::ReleaseDC(hwnd, dc);
  return c;
}

// Rectangle of `child` in the client coordinates of the top-level window `frame`.
RECT RectInClientOf(HWND frame, HWND child) {
  RECT r;
  ::GetWindowRect(child, &r);
  ::MapWindowPoints(HWND_DESKTOP, frame, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

std::vector<unsigned char> BlockBytes(HGLOBAL block) {
  std::vector<unsigned char> out;
  const SIZE_T size = ::GlobalSize(block);
  const void* p = ::GlobalLock(block);
  if (p != nullptr) {
    out.assign(static_cast<const unsigned char*>(p), static_cast<const unsigned char*>(p) + size);
    ::GlobalUnlock(block);
  }
  return out;
}

std::string TempFile(const char* name) {
  char dir[MAX_PATH];
  ::GetTempPathA(MAX_PATH, dir);
  return std::string(dir) + name;
}

void WriteFileBytes(const std::string& name, const std::vector<unsigned char>& bytes) {
  FILE* f = std::fopen(name.c_str(), "wb");
  ASSERT_NE(f, nullptr);
  std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
}

class DesktopHostTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window_ = host_.OpenWindow("refhost test", 320, 240, 10, 10);
    ASSERT_NE(window_, nullptr);
    DesktopHost::SetCurrentWindow(window_);
  }
  void TearDown() override { DesktopHost::SetCurrentWindow(nullptr); }

  std::intptr_t Read(std::int16_t field, HostProperty id) { return host_.ReadProperty(HostTarget::Of(window_, field), id); }
  void Write(std::int16_t field, HostProperty id, std::intptr_t v) {
    host_.WriteProperty(HostTarget::Of(window_, field), id, v);
  }
  void PixelUnits(bool on) { Write(0, HostProperty::PixelUnits, on ? 1 : 0); }

  DesktopHost host_;
  PixetHostWindow* window_ = nullptr;
};

TEST_F(DesktopHostTest, OpenWindowHasRequestedClientSizeAndAClientAreaChildFillingIt) {
  HWND frame = host_.WindowHwnd(window_);
  ASSERT_TRUE(::IsWindowVisible(frame));
  RECT client;
  ::GetClientRect(frame, &client);
  EXPECT_EQ(client.right, 320);
  EXPECT_EQ(client.bottom, 240);

  HWND area = reinterpret_cast<HWND>(Read(0, HostProperty::ClientAreaHandle));
  ASSERT_TRUE(::IsWindow(area));
  EXPECT_EQ(::GetParent(area), frame);
  const RECT r = RectInClientOf(frame, area);
  EXPECT_EQ(r.left, 0);
  EXPECT_EQ(r.top, 0);
  EXPECT_EQ(r.right, 320);
  EXPECT_EQ(r.bottom, 240);
  EXPECT_EQ(reinterpret_cast<HWND>(Read(0, HostProperty::WindowHandle)), frame);
}

TEST_F(DesktopHostTest, WindowSizeInPixelsIsTheOuterRectangleAndFollowsResizes) {
  HWND frame = host_.WindowHwnd(window_);
  PixelUnits(true);
  RECT outer;
  ::GetWindowRect(frame, &outer);
  EXPECT_EQ(Read(0, HostProperty::Width), outer.right - outer.left);
  EXPECT_EQ(Read(0, HostProperty::Height), outer.bottom - outer.top);
  EXPECT_GT(outer.right - outer.left, 320);  // borders count

  host_.ResizeWindow(window_, 200, 150);
  RECT client;
  ::GetClientRect(frame, &client);
  EXPECT_EQ(client.right, 200);
  EXPECT_EQ(client.bottom, 150);
  ::GetWindowRect(frame, &outer);
  EXPECT_EQ(Read(0, HostProperty::Width), outer.right - outer.left);

  // Writing the window's width resizes the real window; the client area follows.
  Write(0, HostProperty::Width, 400);
  ::GetWindowRect(frame, &outer);
  EXPECT_EQ(outer.right - outer.left, 400);
  RECT area;
  ::GetClientRect(host_.ClientHwnd(window_), &area);
  ::GetClientRect(frame, &client);
  EXPECT_EQ(area.right, client.right);
}

TEST_F(DesktopHostTest, HostUnitsAreDialogUnitsBothWays) {
  const LONG base = ::GetDialogBaseUnits();
  const int bx = LOWORD(base);
  const int by = HIWORD(base);
  ASSERT_GT(bx, 0);
  ASSERT_GT(by, 0);
  ASSERT_TRUE(host_.AddControl(window_, 3, 0, 0, 10, 10, ControlKind::Plain));
  HWND frame = host_.WindowHwnd(window_);
  HWND control = host_.ControlHwnd(window_, 3);

  EXPECT_EQ(Read(0, HostProperty::PixelUnits), 0);
  Write(3, HostProperty::Left, 20);
  Write(3, HostProperty::Top, 12);
  Write(3, HostProperty::Width, 40);
  Write(3, HostProperty::Height, 24);
  // The real child moved by the converted amounts.
  RECT r = RectInClientOf(frame, control);
  EXPECT_EQ(r.left, ::MulDiv(20, bx, 4));
  EXPECT_EQ(r.top, ::MulDiv(12, by, 8));
  EXPECT_EQ(r.right - r.left, ::MulDiv(40, bx, 4));
  EXPECT_EQ(r.bottom - r.top, ::MulDiv(24, by, 8));
  // Host units come back unchanged.
  EXPECT_EQ(Read(3, HostProperty::Left), 20);
  EXPECT_EQ(Read(3, HostProperty::Top), 12);
  EXPECT_EQ(Read(3, HostProperty::Width), 40);
  EXPECT_EQ(Read(3, HostProperty::Height), 24);

  // Pixels in, host units out.
  PixelUnits(true);
  EXPECT_EQ(Read(3, HostProperty::PixelUnits), 1);
  Write(3, HostProperty::Left, 3 * bx);
  Write(3, HostProperty::Height, 2 * by);
  PixelUnits(false);
  EXPECT_EQ(Read(3, HostProperty::Left), 12);
  EXPECT_EQ(Read(3, HostProperty::Height), 16);
  EXPECT_EQ(host_.UnitsToPixelsX(host_.PixelsToUnitsX(3 * bx)), 3 * bx);
}

TEST_F(DesktopHostTest, PixelUnitsAreAFlagOfEachWindow) {
  PixetHostWindow* other = host_.OpenWindow("other", 100, 100, 400, 10);
  ASSERT_NE(other, nullptr);
  PixelUnits(true);
  EXPECT_TRUE(host_.PixelUnits(window_));
  EXPECT_FALSE(host_.PixelUnits(other));
  EXPECT_EQ(host_.ReadProperty(HostTarget::Of(other), HostProperty::PixelUnits), 0);
}

TEST_F(DesktopHostTest, ControlGeometryInPixelsMatchesTheRealChildWindow) {
  ASSERT_TRUE(host_.AddControl(window_, 7, 13, 17, 50, 40, ControlKind::Plain));
  HWND frame = host_.WindowHwnd(window_);
  HWND control = host_.ControlHwnd(window_, 7);
  ASSERT_TRUE(::IsWindow(control));
  EXPECT_EQ(::GetParent(control), host_.ClientHwnd(window_));
  PixelUnits(true);
  RECT r = RectInClientOf(frame, control);
  EXPECT_EQ(r.left, 13);
  EXPECT_EQ(Read(7, HostProperty::Left), r.left);
  EXPECT_EQ(Read(7, HostProperty::Top), r.top);
  EXPECT_EQ(Read(7, HostProperty::Width), r.right - r.left);
  EXPECT_EQ(Read(7, HostProperty::Height), r.bottom - r.top);

  // A move made straight through the HWND shows in later reads.
  ::MoveWindow(control, 30, 31, 60, 61, TRUE);
  EXPECT_EQ(Read(7, HostProperty::Left), 30);
  EXPECT_EQ(Read(7, HostProperty::Top), 31);
  EXPECT_EQ(Read(7, HostProperty::Width), 60);
  EXPECT_EQ(Read(7, HostProperty::Height), 61);
}

TEST_F(DesktopHostTest, WindowHandleWritesAreKeptAndTheRealChildStays) {
  ASSERT_TRUE(host_.AddControl(window_, 2, 0, 0, 20, 20, ControlKind::Image));
  HWND control = host_.ControlHwnd(window_, 2);
  EXPECT_EQ(reinterpret_cast<HWND>(Read(2, HostProperty::WindowHandle)), control);
  HWND picture = ::CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE | SS_BITMAP, 0, 0, 10, 10,
                                   host_.ClientHwnd(window_), nullptr, ::GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(picture, nullptr);
  Write(2, HostProperty::WindowHandle, reinterpret_cast<std::intptr_t>(picture));
  EXPECT_EQ(reinterpret_cast<HWND>(Read(2, HostProperty::WindowHandle)), picture);
  EXPECT_EQ(host_.WrittenHandle(window_, 2), reinterpret_cast<std::intptr_t>(picture));
  EXPECT_EQ(host_.ControlHwnd(window_, 2), control);
  EXPECT_TRUE(::IsWindow(control));
}

TEST_F(DesktopHostTest, SystemObjectGivesTheProgramInstance) {
  EXPECT_EQ(host_.ReadProperty(HostTarget::System(), HostProperty::InstanceHandle),
            reinterpret_cast<std::intptr_t>(::GetModuleHandleA(nullptr)));
  EXPECT_NE(host_.ReadProperty(HostTarget::System(), HostProperty::InstanceHandle), 0);
}

TEST_F(DesktopHostTest, CurrentWindowIsPerThread) {
  PixetHostWindow* other = host_.OpenWindow("other", 100, 100, 400, 10);
  ASSERT_TRUE(host_.AddControl(other, 4, 0, 0, 10, 10, ControlKind::Plain));
  DesktopHost::SetCurrentWindow(other);
  EXPECT_EQ(reinterpret_cast<HWND>(host_.ReadProperty(HostTarget::Current(4), HostProperty::WindowHandle)),
            host_.ControlHwnd(other, 4));
  EXPECT_EQ(reinterpret_cast<HWND>(host_.ReadProperty(HostTarget::Current(0), HostProperty::WindowHandle)),
            host_.WindowHwnd(other));
  std::intptr_t seen = -1;
  std::thread([&] { seen = host_.ReadProperty(HostTarget::Current(0), HostProperty::WindowHandle); }).join();
  EXPECT_EQ(seen, 0);  // no current window on that thread
  EXPECT_EQ(DesktopHost::CurrentWindow(), other);
}

TEST_F(DesktopHostTest, ImageBytesAreShownAndComeBackAsAMemoryBlock) {
  ASSERT_TRUE(host_.AddControl(window_, 5, 20, 20, 40, 40, ControlKind::Image));
  HWND control = host_.ControlHwnd(window_, 5);
  const std::vector<unsigned char> bmp = MakeBmp(2, 2, {kRed, kGreen, kBlue, kYellow});
  host_.WritePropertyBytes(HostTarget::Of(window_, 5), HostProperty::ImageFileBytes, bmp.data(), bmp.size());
  host_.PumpMessages();

  EXPECT_EQ(host_.ImageBytes(window_, 5), bmp);
  EXPECT_EQ(host_.ImageBytesWrites(window_, 5), 1);
  EXPECT_EQ(host_.ShownImageSize(window_, 5).width, 2);
  EXPECT_EQ(host_.ShownImageSize(window_, 5).height, 2);
  // Stretched over 40 x 40: one quadrant per source pixel.
  EXPECT_EQ(PixelOf(control, 10, 10), kRed);
  EXPECT_EQ(PixelOf(control, 30, 10), kGreen);
  EXPECT_EQ(PixelOf(control, 10, 30), kBlue);
  EXPECT_EQ(PixelOf(control, 30, 30), kYellow);

  HGLOBAL block = reinterpret_cast<HGLOBAL>(Read(5, HostProperty::ImageMemoryBlock));
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(BlockBytes(block), bmp);
  // The host owns one block per control: reading again gives the same block.
  EXPECT_EQ(reinterpret_cast<HGLOBAL>(Read(5, HostProperty::ImageMemoryBlock)), block);
}

TEST_F(DesktopHostTest, PngBytesAreDecodedByTheEngine) {
  ASSERT_TRUE(host_.AddControl(window_, 5, 20, 20, 40, 40, ControlKind::Image));
  HWND control = host_.ControlHwnd(window_, 5);
  host_.WritePropertyBytes(HostTarget::Current(5), HostProperty::ImageFileBytes, kPng2x2, sizeof(kPng2x2));
  host_.PumpMessages();
  EXPECT_EQ(host_.ShownImageSize(window_, 5).width, 2);
  EXPECT_EQ(PixelOf(control, 10, 10), kRed);
  EXPECT_EQ(PixelOf(control, 30, 30), kYellow);
}

TEST_F(DesktopHostTest, ControlTextMakesAnImageControlReadTheFileAtOnce) {
  ASSERT_TRUE(host_.AddControl(window_, 6, 0, 0, 30, 30, ControlKind::Image));
  const std::string name = TempFile("refhost_text.bmp");
  const std::vector<unsigned char> bmp = MakeBmp(3, 1, {kBlue, kBlue, kBlue});
  WriteFileBytes(name, bmp);
  host_.WritePropertyText(HostTarget::Of(window_, 6), HostProperty::ControlText, name.c_str());
  ::DeleteFileA(name.c_str());  // read at once: the file is no longer needed
  host_.PumpMessages();
  EXPECT_EQ(host_.ControlText(window_, 6), name);
  EXPECT_EQ(host_.ImageFileLoads(window_, 6), 1);
  EXPECT_EQ(host_.ImageBytesWrites(window_, 6), 0);
  EXPECT_EQ(host_.ImageBytes(window_, 6), bmp);
  EXPECT_EQ(host_.ShownImageSize(window_, 6).width, 3);
  EXPECT_EQ(PixelOf(host_.ControlHwnd(window_, 6), 15, 15), kBlue);

  // A missing file leaves the control without an image.
  host_.WritePropertyText(HostTarget::Of(window_, 6), HostProperty::ControlText, name.c_str());
  EXPECT_TRUE(host_.ImageBytes(window_, 6).empty());
  EXPECT_EQ(Read(6, HostProperty::ImageMemoryBlock), 0);
  host_.PumpMessages();
  EXPECT_EQ(PixelOf(host_.ControlHwnd(window_, 6), 15, 15), pixet::refhost::kImageBackground);
}

TEST_F(DesktopHostTest, ReportsHoldImageControlsOffScreen) {
  PixetHostReport* report = host_.OpenReport();
  ASSERT_NE(report, nullptr);
  ASSERT_TRUE(host_.AddReportImageControl(report, 9, 10, 10, 100, 50));
  EXPECT_FALSE(::IsWindowVisible(host_.ReportHwnd(report)));
  const std::vector<unsigned char> bmp = MakeBmp(1, 1, {kGreen});
  host_.WritePropertyBytes(HostTarget::Of(report, 9), HostProperty::ImageFileBytes, bmp.data(), bmp.size());
  EXPECT_EQ(host_.ImageBytes(report, 9), bmp);
  EXPECT_TRUE(host_.ImageBytes(window_, 9).empty());
  HGLOBAL block = reinterpret_cast<HGLOBAL>(host_.ReadProperty(HostTarget::Of(report, 9), HostProperty::ImageMemoryBlock));
  EXPECT_EQ(BlockBytes(block), bmp);
  host_.WriteProperty(HostTarget::Of(report), HostProperty::PixelUnits, 1);
  EXPECT_EQ(host_.ReadProperty(HostTarget::Of(report, 9), HostProperty::Width), 100);
  EXPECT_FALSE(host_.PixelUnits(window_));
}

TEST_F(DesktopHostTest, RedrawRepaintsOneControlOrAllOfTheCurrentWindow) {
  ASSERT_TRUE(host_.AddControl(window_, 1, 0, 0, 30, 30, ControlKind::Plain));
  ASSERT_TRUE(host_.AddControl(window_, 2, 40, 0, 30, 30, ControlKind::Plain));
  host_.PumpMessages();
  HWND one = host_.ControlHwnd(window_, 1);
  HWND two = host_.ControlHwnd(window_, 2);
  ASSERT_EQ(PixelOf(one, 5, 5), pixet::refhost::kPlainColour);
  auto scribble = [](HWND hwnd) {
    HDC dc = ::GetDC(hwnd);
    RECT r{0, 0, 30, 30};
    HBRUSH brush = ::CreateSolidBrush(kYellow);
    ::FillRect(dc, &r, brush);
    ::DeleteObject(brush);
    ::ReleaseDC(hwnd, dc);
  };
  scribble(one);
  scribble(two);
  ASSERT_EQ(PixelOf(one, 5, 5), kYellow);

  host_.Redraw(HostTarget::Current(1));
  EXPECT_EQ(PixelOf(one, 5, 5), pixet::refhost::kPlainColour);
  EXPECT_EQ(PixelOf(two, 5, 5), kYellow);
  EXPECT_EQ(host_.RedrawCount(window_, 1), 1);
  EXPECT_EQ(host_.RedrawCount(window_, 2), 0);

  host_.Redraw(HostTarget::Current(0));
  EXPECT_EQ(PixelOf(two, 5, 5), pixet::refhost::kPlainColour);
  EXPECT_EQ(host_.RedrawCount(window_, 1), 2);
  EXPECT_EQ(host_.RedrawCount(window_, 2), 1);
  EXPECT_EQ(host_.RedrawCount(), 2);
}

TEST_F(DesktopHostTest, MessagesAreRecordedWithoutBlocking) {
  host_.ShowMessage("first|second", nullptr, MessageIcon::None);
  host_.ShowMessage("done", "Pixet", MessageIcon::Information);
  ASSERT_EQ(host_.Messages().size(), 2u);
  EXPECT_EQ(host_.Messages()[0].text, "first|second");
  EXPECT_TRUE(host_.Messages()[0].captionNull);
  EXPECT_EQ(host_.Messages()[0].icon, MessageIcon::None);
  EXPECT_EQ(host_.Messages()[1].caption, "Pixet");
  EXPECT_FALSE(host_.Messages()[1].captionNull);
  EXPECT_EQ(host_.Messages()[1].icon, MessageIcon::Information);
  host_.ClearMessages();
  EXPECT_TRUE(host_.Messages().empty());
}

TEST_F(DesktopHostTest, PrintingMessagesGoToStandardError) {
  host_.SetMessageMode(pixet::refhost::MessageMode::RecordAndPrint);
  ::testing::internal::CaptureStderr();
  host_.ShowMessage("x|y", "Cap", MessageIcon::Information);
  host_.ShowMessage("plain", nullptr, MessageIcon::None);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "message: x|y [Cap]\nmessage: plain\n");
  EXPECT_EQ(host_.Messages().size(), 2u);
}

TEST_F(DesktopHostTest, InteractiveMessagesAreRealMessageBoxesWithLineBreaks) {
  host_.SetMessageMode(pixet::refhost::MessageMode::Interactive);
  std::string shown;
  bool found = false;
  // The box is modal: a second thread reads it and presses OK.
  std::thread closer([&] {
    for (int i = 0; i < 500 && !found; ++i) {
      HWND box = ::FindWindowA("#32770", "refhost box");
      if (box != nullptr) {
        char text[64] = {};
        ::GetDlgItemTextA(box, 0xFFFF, text, sizeof(text));
        shown = text;
        found = true;
        ::PostMessageA(box, WM_COMMAND, IDOK, 0);
      }
      ::Sleep(10);
    }
  });
  host_.ShowMessage("one|two", "refhost box", MessageIcon::Information);
  closer.join();
  EXPECT_TRUE(found);
  EXPECT_EQ(shown, "one\ntwo");
  ASSERT_EQ(host_.Messages().size(), 1u);
  EXPECT_EQ(host_.Messages()[0].text, "one|two");
}

TEST_F(DesktopHostTest, UnknownTargetsReadZeroAndAreCounted) {
  EXPECT_EQ(Read(99, HostProperty::WindowHandle), 0);
  EXPECT_EQ(host_.ReadProperty(HostTarget::Of(reinterpret_cast<PixetHostWindow*>(&host_)), HostProperty::Width), 0);
  host_.WritePropertyBytes(HostTarget::Of(window_, 99), HostProperty::ImageFileBytes, "x", 1);
  EXPECT_EQ(host_.UnresolvedCount(), 3);
}

TEST(DesktopHostLifetime, DestroyingTheHostDestroysItsWindows) {
  HWND frame = nullptr;
  HWND control = nullptr;
  {
    DesktopHost host;
    PixetHostWindow* w = host.OpenWindow("short", 50, 50);
    ASSERT_TRUE(host.AddControl(w, 1, 0, 0, 10, 10, ControlKind::Image));
    frame = host.WindowHwnd(w);
    control = host.ControlHwnd(w, 1);
    DesktopHost::SetCurrentWindow(w);
  }
  EXPECT_FALSE(::IsWindow(frame));
  EXPECT_FALSE(::IsWindow(control));
  EXPECT_EQ(DesktopHost::CurrentWindow(), nullptr);
}

TEST(RecordingHostTest, RecordsCallsInOrderAndAnswersConfiguredValues) {
  RecordingHost host;
  auto* w = reinterpret_cast<PixetHostWindow*>(0x1000);
  host.SetValue(HostTarget::Kind::Window, w, 3, HostProperty::Width, 77);
  host.SetValue(HostTarget::Current(2), HostProperty::ImageMemoryBlock, 0x55);

  EXPECT_EQ(host.ReadProperty(HostTarget::Of(w, 3), HostProperty::Width), 77);
  EXPECT_EQ(host.ReadProperty(HostTarget::Of(w, 4), HostProperty::Width), 0);
  EXPECT_EQ(host.ReadProperty(HostTarget::Current(2), HostProperty::ImageMemoryBlock), 0x55);
  host.WriteProperty(HostTarget::Of(w), HostProperty::PixelUnits, 1);
  host.WritePropertyText(HostTarget::Of(w, 3), HostProperty::ControlText, "a.bmp");
  host.WritePropertyBytes(HostTarget::Of(w, 3), HostProperty::ImageFileBytes, "abc", 3);
  host.Redraw(HostTarget::Current(3));
  host.ShowMessage("m", nullptr, MessageIcon::Information);

  const auto& calls = host.Calls();
  ASSERT_EQ(calls.size(), 8u);
  using Op = RecordingHost::Operation;
  EXPECT_EQ(calls[0].operation, Op::Read);
  EXPECT_EQ(calls[0].target.window, w);
  EXPECT_EQ(calls[0].target.field, 3);
  EXPECT_EQ(calls[0].value, 77);
  EXPECT_EQ(calls[3].operation, Op::Write);
  EXPECT_EQ(calls[3].id, HostProperty::PixelUnits);
  EXPECT_EQ(calls[3].value, 1);
  EXPECT_EQ(calls[4].operation, Op::WriteText);
  EXPECT_EQ(calls[4].text, "a.bmp");
  EXPECT_EQ(calls[5].operation, Op::WriteBytes);
  EXPECT_EQ(calls[5].size, 3u);
  EXPECT_EQ(std::string(calls[5].bytes.begin(), calls[5].bytes.end()), "abc");
  EXPECT_EQ(calls[6].operation, Op::Redraw);
  EXPECT_EQ(calls[6].target.kind, HostTarget::Kind::CurrentWindow);
  EXPECT_EQ(calls[7].operation, Op::Message);
  EXPECT_TRUE(calls[7].captionNull);
  EXPECT_EQ(calls[7].icon, MessageIcon::Information);
  EXPECT_EQ(host.Count(Op::Read), 3u);

  // Writes change reads only when echoing is on.
  EXPECT_EQ(host.ReadProperty(HostTarget::Of(w), HostProperty::PixelUnits), 0);
  host.SetEchoWrites(true);
  host.WriteProperty(HostTarget::Of(w), HostProperty::PixelUnits, 1);
  EXPECT_EQ(host.ReadProperty(HostTarget::Of(w), HostProperty::PixelUnits), 1);
}

}  // namespace
