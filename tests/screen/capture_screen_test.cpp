// Captures of each monitor and of the whole virtual screen, read back and compared with
// what the screen shows there. CTest runs these on 16-bit and 8-bit screens too, and on a
// server of two screens joined by Xinerama.
#include <cstdio>
#include <thread>
#include <string>
#include <vector>

#include "pixet/pixet_c.h"
#include "support/fixture.h"

namespace pixet::testing {
namespace {

BOOL CALLBACK AddMonitor(HMONITOR, HDC, LPRECT area, LPARAM list) {
  reinterpret_cast<std::vector<RECT>*>(list)->push_back(*area);
  return TRUE;
}

// The calling thread's DPI awareness for the scope: -1 unaware (a scaled screen where the
// DPI is not 96), -3 aware of each monitor's (version 1: Wine 8 refuses version 2), which
// sees physical pixels, as the captures take them. Where the system offers no such call,
// nothing changes.
class ThreadDpiAwareness {
 public:
  using Set = DPI_AWARENESS_CONTEXT(WINAPI*)(DPI_AWARENESS_CONTEXT);
  explicit ThreadDpiAwareness(INT_PTR context)
      : set_(reinterpret_cast<Set>(reinterpret_cast<void (*)()>(
            ::GetProcAddress(::GetModuleHandleW(L"user32.dll"), "SetThreadDpiAwarenessContext")))),
        before_(set_ != nullptr ? set_(reinterpret_cast<DPI_AWARENESS_CONTEXT>(context)) : nullptr) {}
  ~ThreadDpiAwareness() {
    if (before_ != nullptr) set_(before_);
  }

 private:
  const Set set_;
  const DPI_AWARENESS_CONTEXT before_;
};

// Monitor 0, the whole virtual screen, then each monitor as the system lists them, in the
// calling thread's coordinates.
std::vector<RECT> AreasAsThisThreadSeesThem() {
  const int left = ::GetSystemMetrics(SM_XVIRTUALSCREEN), top = ::GetSystemMetrics(SM_YVIRTUALSCREEN);
  std::vector<RECT> areas = {
      {left, top, left + ::GetSystemMetrics(SM_CXVIRTUALSCREEN), top + ::GetSystemMetrics(SM_CYVIRTUALSCREEN)}};
  ::EnumDisplayMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&areas));
  return areas;
}

// The same in physical pixels.
std::vector<RECT> Areas() {
  const ThreadDpiAwareness physical(-3);
  return AreasAsThisThreadSeesThem();
}

std::string Text(const RECT& r) {
  char text[80];
  std::snprintf(text, sizeof text, "(%ld,%ld)-(%ld,%ld)", r.left, r.top, r.right, r.bottom);
  return text;
}

bool Near(COLORREF a, COLORREF b, int d) {
  for (int shift : {0, 8, 16})
    if (std::abs(static_cast<int>(a >> shift & 0xFF) - static_cast<int>(b >> shift & 0xFF)) > d) return false;
  return true;
}

class ScreenCapture : public PixetTest {
 protected:
  // A capture from a thread as a program unaware of DPI runs it, whatever the scope around.
  std::int32_t UnawareCapture(std::int32_t monitor, const std::string& file) {
    std::int32_t result = -1;
    std::thread([&] {
      const ThreadDpiAwareness scaled(-1);
      result = pixet_->CaptureScreen(monitor, file.c_str());
    }).join();
    return result;
  }
  // Colour blocks on the screen, so that no capture is a plain field.
  void SetUp() override {
    const struct { std::int16_t field; int x; COLORREF colour; } blocks[] = {
        {2, 100, RGB(255, 0, 0)}, {3, 160, RGB(0, 0, 255)}, {4, 220, RGB(0, 255, 0)}};
    for (const auto& b : blocks) {
      host_.AddControl(window_, b.field, b.x, 20, 60, 40, ControlKind::Plain);
      host_.SetControlColour(window_, b.field, b.colour);
    }
    Pump();
  }
};

// Each area in BMP and PNG, captured from this thread (not aware of DPI): the file is the
// area's size in physical pixels, and its pixels on a grid are what the screen shows there.
// A monitor that does not exist writes nothing; an unknown extension says "Invalid Format!".
TEST_F(ScreenCapture, EachMonitorAndTheWholeAsTheScreenShowsThem) {
  const std::vector<RECT> areas = Areas();
  std::string shown;
  for (std::size_t i = 0; i < areas.size(); ++i) shown += (i == 0 ? "virtual screen " : ", monitor ") + Text(areas[i]);
  std::vector<RECT> unaware;
  std::thread([&] {
    const ThreadDpiAwareness scaled(-1);
    unaware = AreasAsThisThreadSeesThem();
  }).join();
  std::printf("what the system shows: %s; to a thread unaware of DPI: %s\n", shown.c_str(), Text(unaware[0]).c_str());
  RecordProperty("areas", shown);
  const ThreadDpiAwareness physical(-3);  // for the probes only: the captures run outside it
  const HDC screen = ::GetDC(nullptr);
  for (std::size_t i = 0; i < areas.size(); ++i) {
    const RECT& area = areas[i];
    for (const char* extension : {".bmp", ".png"}) {
      const std::string file = "screen-" + std::to_string(i) + extension, label = file + " " + Text(area);
      RemoveFile(file);
      ASSERT_EQ(UnawareCapture(static_cast<std::int32_t>(i), file), 1) << label;
      const DecodedImage image = Decode(file);
      RemoveFile(file);
      ASSERT_EQ(std::to_string(image.width) + "x" + std::to_string(image.height),
                std::to_string(area.right - area.left) + "x" + std::to_string(area.bottom - area.top)) << label;
      int differ = 0, probes = 0;
      for (unsigned y = 3; y < image.height; y += 41)
        for (unsigned x = 5; x < image.width; x += 37, ++probes) {
          const std::uint32_t p = image.Pixel(x, y);
          const COLORREF in_file = RGB(p >> 16 & 0xFF, p >> 8 & 0xFF, p & 0xFF);
          differ += !Near(in_file, ::GetPixel(screen, area.left + static_cast<int>(x), area.top + static_cast<int>(y)), 8);
        }
      EXPECT_EQ(differ, 0) << label << ": of " << probes << " probes";
    }
  }
  ::ReleaseDC(nullptr, screen);
  for (std::int32_t missing : {static_cast<std::int32_t>(areas.size()), -1}) {
    EXPECT_EQ(pixet_->CaptureScreen(missing, "missing.bmp"), 0) << missing;
    EXPECT_FALSE(FileExists("missing.bmp")) << missing;
  }
  EXPECT_EQ(pixet_->CaptureScreen(0, "screen.xyz"), 0);
  EXPECT_EQ(TakeMessages(), std::vector<std::string>{"Invalid Format!"});
}

// The C and UTF-16 forms, a name outside the code page, every format the engine writes.
TEST_F(ScreenCapture, EveryFormatThroughTheCAndUtf16Forms) {
  const RECT whole = Areas()[0];
  const std::string size = std::to_string(whole.right - whole.left) + "x" + std::to_string(whole.bottom - whole.top);
  const std::wstring stem = L"\u044d\u043a\u0440\u0430\u043d-\U0001F5BC";
  for (const auto& [extension, format] : {std::pair{L".jpg", "jpeg"}, {L".tif", "tiff"}, {L".gif", "gif"}, {L".png", "png"}}) {
    const std::wstring file = stem + extension;
    ASSERT_EQ(PixetCaptureScreenW(pixet_.get(), 0, file.c_str()), 1) << format;
    ASSERT_TRUE(::CopyFileW(file.c_str(), L"screen-check", FALSE)) << format;
    EXPECT_TRUE(::DeleteFileW(file.c_str()));
    const DecodedImage image = Decode("screen-check");
    RemoveFile("screen-check");
    EXPECT_EQ(image.format + " " + std::to_string(image.width) + "x" + std::to_string(image.height),
              std::string(format) + " " + size);
  }
  EXPECT_EQ(PixetCaptureScreen(pixet_.get(), 1, "screen-c.bmp"), 1);
  EXPECT_TRUE(FileExists("screen-c.bmp"));
  RemoveFile("screen-c.bmp");
}

// Whatever the thread's DPI awareness before a capture (unaware, system-aware), it is the
// same after, on success and on each failure.
TEST_F(ScreenCapture, TheThreadsDpiAwarenessIsRestored) {
  const HMODULE user32 = ::GetModuleHandleW(L"user32.dll");
  using Set = DPI_AWARENESS_CONTEXT(WINAPI*)(DPI_AWARENESS_CONTEXT);
  using Get = DPI_AWARENESS_CONTEXT(WINAPI*)();
  using Equal = BOOL(WINAPI*)(DPI_AWARENESS_CONTEXT, DPI_AWARENESS_CONTEXT);
  const auto set = reinterpret_cast<Set>(reinterpret_cast<void (*)()>(::GetProcAddress(user32, "SetThreadDpiAwarenessContext")));
  const auto get = reinterpret_cast<Get>(reinterpret_cast<void (*)()>(::GetProcAddress(user32, "GetThreadDpiAwarenessContext")));
  const auto equal = reinterpret_cast<Equal>(reinterpret_cast<void (*)()>(::GetProcAddress(user32, "AreDpiAwarenessContextsEqual")));
  ASSERT_TRUE(set != nullptr && get != nullptr && equal != nullptr) << "the system has no per-thread DPI awareness";
  const DPI_AWARENESS_CONTEXT before = get();
  for (const auto context : {reinterpret_cast<DPI_AWARENESS_CONTEXT>(-1), reinterpret_cast<DPI_AWARENESS_CONTEXT>(-2)}) {
    ASSERT_NE(set(context), nullptr);
    EXPECT_EQ(pixet_->CaptureScreen(0, "dpi.bmp"), 1);
    EXPECT_TRUE(equal(get(), context)) << "after a capture";
    EXPECT_EQ(pixet_->CaptureScreen(1000, "dpi.png"), 0);
    EXPECT_TRUE(equal(get(), context)) << "after a missing monitor";
  }
  set(before);
  RemoveFile("dpi.bmp");
}

}  // namespace
}  // namespace pixet::testing
