// Showing images in host windows, checked on the screen: picture controls stretched over
// a control or the whole window, drawing straight into a control's window, and fitting
// the newest picture control to its window.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "pixet/pixet_c.h"
#include "support/fixture.h"

namespace pixet::testing {
namespace {

constexpr COLORREF kRed = RGB(255, 0, 0), kBlue = RGB(0, 0, 255);
constexpr int kBackground = -1;  // a row of DisplayImageAsBackground
using Box = std::vector<long>;   // left, top, right, bottom
struct Probe { int x, y; COLORREF colour; };
enum Kind { kInParent, kOuter, kPending };  // kOuter: the window's own size at the origin

Box BoxOf(HWND hwnd, Kind kind) {
  RECT r{};
  if (kind == kPending) ::GetUpdateRect(hwnd, &r, FALSE); else ::GetWindowRect(hwnd, &r);
  if (kind == kInParent) ::MapWindowPoints(nullptr, ::GetParent(hwnd), reinterpret_cast<POINT*>(&r), 2);
  return kind == kOuter ? Box{0, 0, r.right - r.left, r.bottom - r.top} : Box{r.left, r.top, r.right, r.bottom};
}

class DisplayTest : public PixetTest {};

// The picture takes the control's place, or the whole window's (with the window's size,
// as the background does); stretched without bars, the fill showing through transparency.
TEST_F(DisplayTest, PictureControlShowsTheImageStretchedOverItsTarget) {
  constexpr std::int16_t kWide = 2;  // 4:1, where the samples are 4:3
  host_.AddControl(window_, kWide, 100, 100, 200, 50, ControlKind::Plain);
  // Off the screen's origin, where a picture placed at the window's own position would pass.
  ::SetWindowPos(host_.WindowHwnd(window_), nullptr, 60, 40, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  const COLORREF face = ::GetSysColor(COLOR_BTNFACE), workspace = ::GetSysColor(COLOR_APPWORKSPACE);
  struct Row { std::string image; int whole; std::int16_t control; int workspace; std::vector<Probe> probes; };
  const Row rows[] = {
      {Sample("halves.png"), 0, kWide, 0, {{1, 1, kRed}, {95, 47, kRed}, {105, 2, kBlue}, {190, 47, kBlue}}},
      {Sample("halves.png"), 1, kWide, 0, {{1, 1, kRed}, {1, 238, kRed}, {318, 1, kBlue}, {318, 238, kBlue}}},
      {Sample("transparent.png"), 0, kImage, 0, {{2, 2, face}, {40, 30, kRed}}},
      {Sample("transparent.png"), 0, kImage, 1, {{2, 2, workspace}, {40, 30, kRed}}},
      {Sample("transparent.png"), kBackground, 0, 1, {{2, 2, workspace}, {160, 120, kRed}}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(::testing::Message() << "row " << (&row - rows));
    if (row.whole == kBackground) EXPECT_EQ(pixet_->DisplayImageAsBackground(window_, row.image.c_str(), 0), 0);
    else EXPECT_EQ(pixet_->DisplayImage(window_, row.image.c_str(), row.control, row.whole, row.workspace), 1);
    HWND picture = pixet_->HPICTUREBOX;
    EXPECT_EQ(TakeHostCalls(), ShownCalls(row.whole != 0 ? 0 : row.control, picture));
    EXPECT_EQ(::GetParent(picture), host_.ClientHwnd(window_));
    EXPECT_EQ(BoxOf(picture, kInParent),
              row.whole != 0 ? BoxOf(host_.WindowHwnd(window_), kOuter) : BoxOf(ControlHwnd(row.control), kInParent));
    EXPECT_FALSE(host_.PixelUnits(window_));
    Pump();
    for (const Probe& p : row.probes) EXPECT_EQ(ScreenPixel(picture, p.x, p.y), p.colour) << p.x << ", " << p.y;
    ::DestroyWindow(picture);
  }
}

// The UTF-16 forms (C++ and C) show a file whose name no code page holds; the ANSI form,
// given that name as the code page holds it, shows no image.
TEST_F(DisplayTest, Utf16FormsShowAnyName) {
  const std::string halves = Sample("halves.png");
  const std::wstring name = L"\u043f\u043e\u043b\u043e\u0432\u0438\u043d\u044b-\u4e00\u534a-\U0001F5BC.png";
  ASSERT_TRUE(::CopyFileW(std::wstring(halves.begin(), halves.end()).c_str(), name.c_str(), FALSE));
  char ansi[MAX_PATH] = {};
  ::WideCharToMultiByte(CP_ACP, 0, name.c_str(), -1, ansi, MAX_PATH, nullptr, nullptr);
  const struct { const char* form; std::function<std::int32_t()> show; std::int32_t result; bool shown; } rows[] = {
      {"DisplayImageW", [&] { return pixet_->DisplayImageW(window_, name.c_str(), kImage, 0, 0); }, 1, true},
      {"PixetDisplayImageAsBackgroundW", [&] { return PixetDisplayImageAsBackgroundW(pixet_.get(), window_, name.c_str(), 0); },
       0, true},
      {"DisplayImage (ANSI)", [&] { return pixet_->DisplayImage(window_, ansi, kImage, 0, 0); }, 1, false}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.form);
    EXPECT_EQ(row.show(), row.result);
    TakeHostCalls();
    HWND picture = pixet_->HPICTUREBOX;
    Pump();
    const Box box = BoxOf(picture, kOuter);
    const COLORREF left = ScreenPixel(picture, 2, 2), right = ScreenPixel(picture, static_cast<int>(box[2] * 3 / 4), 2);
    if (row.shown) EXPECT_EQ((std::pair{left, right}), (std::pair{kRed, kBlue}));
    else EXPECT_TRUE(left != kRed && right != kBlue) << std::hex << left << " " << right;
    ::DestroyWindow(picture);
  }
  // Drawn into a plain control of the current window, which keeps the drawing till it is painted.
  PixetHostWindow* current = host_.OpenWindow("current", 200, 150, 400, 0);
  host_.AddControl(current, kImage, 30, 20, 100, 50, ControlKind::Plain);
  DesktopHost::SetCurrentWindow(current);
  Pump();
  EXPECT_EQ(PixetDrawImageW(pixet_.get(), window_, name.c_str(), kImage, 1, 0), 1);
  const HWND drawn = host_.State(current, kImage).hwnd;
  EXPECT_EQ((std::pair{ScreenPixel(drawn, 1, 1), ScreenPixel(drawn, 97, 47)}), (std::pair{kRed, kBlue}));
  EXPECT_EQ(TakeHostCalls(), DrawnCalls());
  EXPECT_TRUE(::DeleteFileW(name.c_str()));
}

// Given a window that is not the current one, the methods take the control (its handle,
// size and place, read in the current window's own units) and the parent from the current
// window; the given window gives only its pixel units (left on by DrawImage), the client
// area that DrawImage invalidates, and the whole-window size of a picture control.
TEST_F(DisplayTest, ControlsAreTheCurrentWindowsWhicheverWindowIsGiven) {
  PixetHostWindow* current = host_.OpenWindow("current", 200, 150, 400, 0);
  host_.AddControl(current, kImage, 30, 20, 100, 50, ControlKind::Plain);
  DesktopHost::SetCurrentWindow(current);
  const HWND drawn = host_.State(current, kImage).hwnd;
  const int x = host_.PixelsToUnitsX(30), y = host_.PixelsToUnitsY(20);
  const Box in_units = {x, y, x + host_.PixelsToUnitsX(100), y + host_.PixelsToUnitsY(50)};
  for (int whole : {0, 1}) {  // the flag only skips the invalidation
    ::InvalidateRect(drawn, nullptr, TRUE);  // no drawing left from before
    Pump();
    EXPECT_EQ(pixet_->DrawImage(window_, Sample("halves.png").c_str(), kImage, whole, 0), 1);
    EXPECT_EQ((std::pair{ScreenPixel(drawn, 1, 1), ScreenPixel(drawn, 97, 47)}), (std::pair{kRed, kBlue}));
    EXPECT_EQ(BoxOf(host_.ClientHwnd(window_), kPending), (whole != 0 ? Box{0, 0, 0, 0} : in_units)) << whole;
    EXPECT_EQ(TakeHostCalls(), DrawnCalls());
  }
  EXPECT_EQ(ScreenPixel(ControlHwnd(), 40, 30), refhost::kImageBackground) << "the given window's control";
  EXPECT_TRUE(host_.PixelUnits(window_));
  EXPECT_FALSE(host_.PixelUnits(current));

  // A window the host does not know has no client area: nothing is invalidated (a null
  // window would repaint every window on the desktop, window_ included).
  Pump();
  EXPECT_EQ(pixet_->DrawImage(reinterpret_cast<PixetHostWindow*>(0x3000), Sample("halves.png").c_str(), kImage, 0, 0), 1);
  EXPECT_FALSE(::GetUpdateRect(ControlHwnd(), nullptr, FALSE)) << "window_'s control is to be repainted";
  EXPECT_EQ(TakeHostCalls(), DrawnCalls("unnamed"));

  for (int whole : {1, 0}) {
    HWND picture = reinterpret_cast<HWND>(static_cast<std::intptr_t>(pixet_->CreatePictureBox(window_, kImage, whole)));
    EXPECT_EQ(picture, pixet_->HPICTUREBOX);
    std::vector<std::string> made = ShownCalls(whole != 0 ? 0 : kImage, picture);
    made.erase(made.begin());  // DisplayImage's own switch to pixels, before it makes the control
    EXPECT_EQ(TakeHostCalls(), made);
    EXPECT_EQ(::GetParent(picture), host_.ClientHwnd(current));
    EXPECT_EQ(BoxOf(picture, kInParent), whole != 0 ? BoxOf(host_.WindowHwnd(window_), kOuter) : in_units);
    EXPECT_FALSE(host_.PixelUnits(window_));
  }
  EXPECT_EQ(host_.State(current, kImage).writtenHandle, reinterpret_cast<std::intptr_t>(pixet_->HPICTUREBOX));
  EXPECT_EQ(host_.State(window_, kImage).writtenHandle, 0);

  // With no current window there is no parent, so no control takes the bitmap: it is deleted, not leaked.
  DesktopHost::SetCurrentWindow(nullptr);
  EXPECT_EQ(pixet_->DisplayImage(window_, Sample("halves.png").c_str(), kImage, 1, 0), 1);
  EXPECT_EQ(TakeHostCalls(), ShownCalls(0, pixet_->HPICTUREBOX));
  EXPECT_TRUE(engine_.LastHbitmap() != nullptr && ::GetObjectType(engine_.LastHbitmap()) == 0) << "left undeleted";
}

// The newest picture control is fitted to the current window, without drawing it again.
TEST_F(DisplayTest, ResizeFitsTheNewestPictureToTheCurrentWindow) {
  const HWND first = reinterpret_cast<HWND>(static_cast<std::intptr_t>(pixet_->CreatePictureBox(window_, kImage, 0)));
  ASSERT_EQ(pixet_->DisplayImage(window_, Sample("halves.png").c_str(), kImage, 0, 0), 1);
  const HWND newest = pixet_->HPICTUREBOX;
  std::vector<std::string> calls = ShownCalls(kImage, first);
  calls.erase(calls.begin());  // CreatePictureBox alone
  for (const std::string& call : ShownCalls(kImage, newest)) calls.push_back(call);
  EXPECT_EQ(TakeHostCalls(), calls);
  const std::vector<std::string> fitted = {"write current 0 PixelUnits=1", "write current 0 PixelUnits=0"};
  const LRESULT held = ::SendMessageA(newest, STM_GETIMAGE, IMAGE_BITMAP, 0);
  host_.ResizeWindow(window_, 400, 300);
  pixet_->ResizeImage();
  RECT window, picture, old;
  ::GetWindowRect(host_.WindowHwnd(window_), &window);
  ::GetClientRect(newest, &picture);
  ::GetClientRect(first, &old);
  EXPECT_EQ(picture.right, window.right - window.left);
  EXPECT_EQ(picture.bottom, window.bottom - window.top);
  EXPECT_EQ(old.right, 80) << "only the newest is fitted";
  EXPECT_EQ(::SendMessageA(newest, STM_GETIMAGE, IMAGE_BITMAP, 0), held) << "not redrawn";
  EXPECT_EQ(TakeHostCalls(), fitted) << "sizes read in pixels, nothing else changed";
  // Sizes reach the system as signed 16-bit values: a host size of 65636 becomes 100, and
  // one of 105536 becomes -25536 (no height at all), not 40000.
  host_.answers = {{Property::Width, 65636}, {Property::Height, 105536}};
  pixet_->ResizeImage();
  ::GetClientRect(newest, &picture);
  EXPECT_EQ(picture.right, 100);
  EXPECT_EQ(TakeHostCalls(), fitted);
  EXPECT_LE(picture.bottom, 0);
}

}  // namespace
}  // namespace pixet::testing
