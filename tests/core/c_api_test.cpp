// The flat C functions: each reaches its slot of the object it is handed, with its
// arguments, and gives the method's result; nothing thrown gets past them.
#include <functional>
#include <stdexcept>

#include "support/fixture.h"

namespace pixet::testing {
namespace {

// A window, a report and an engine image with high bits set, so a handle cut to 32 bits shows.
const std::uintptr_t kHigh = static_cast<std::uintptr_t>(0xA5A5A5A5A5A5A5A0ull);
auto* const kWindow = reinterpret_cast<PixetHostWindow*>(kHigh);
auto* const kReport = reinterpret_cast<PixetHostReport*>(kHigh + 16);
const std::intptr_t kImageHandle = static_cast<std::intptr_t>(kHigh + 32);

std::string Text(const char* text) { return text != nullptr ? text : "(null)"; }
std::string Text(const void* p) { return p == kWindow ? "W" : p == kReport ? "R" : std::to_string((std::uintptr_t)p); }
std::string Text(long long number) { return std::to_string(number); }

using I = std::int32_t;
using S = std::int16_t;
using W = PixetHostWindow*;
using Name = const char*;

// Records every method call as "slot: arguments"; slot N gives 100 + N.
class Spy : public Pixet {
 public:
  std::vector<std::string> calls;
  bool throws = false;

  void CaptureDesktopToBmp(Name f) override { Note(0, f); }
  void CaptureClientToBmp(Name f) override { Note(1, f); }
  void CaptureClientRectToBmp(Name f, I x, I y, I w, I h) override { Note(2, f, x, y, w, h); }
  void CaptureWindowToBmp(Name f) override { Note(3, f); }
  I ConvertImage(Name s, Name t) override { return Note(4, s, t); }
  I ConvertToGrayscaleImage(Name s, Name t) override { return Note(5, s, t); }
  I CopyToClipboard(Name f) override { return Note(6, f); }
  I CreatePictureBox(W w, S c, I whole) override { return Note(7, w, c, whole); }
  I DrawImage(W w, Name i, S c, I whole, I unused) override { return Note(8, w, i, c, whole, unused); }
  I LoadImage(W w, Name s, S c) override { return Note(9, w, s, c); }
  I LoadImageFromClipboard(W w, S c) override { return Note(10, w, c); }
  I LoadImage(PixetHostReport* r, Name s, S c) override { return Note(11, r, s, c); }
  I DisplayImage(W w, Name i, S c, I whole, I colours) override { return Note(12, w, i, c, whole, colours); }
  I DisplayImageAsBackground(W w, Name i, I unused) override { return Note(13, w, i, unused); }
  void GetEncoderClsid(Name mime, _GUID* clsid) override { Note(14, mime, clsid); }
  I GetFunctionPointers() override { return Note(15); }
  void ResizeImage() override { Note(16); }
  std::intptr_t ImageHandleFromResource(Name n, Name m) override { return Note(17, n, m), kImageHandle; }
  I SaveResourceToFile(Name n, Name f, Name m) override { return Note(18, n, f, m); }

 private:
  template <class... Args>
  I Note(int slot, Args... args) {
    if (throws) throw std::runtime_error("thrown by a host's class");
    std::string call = std::to_string(slot) + ":";
    ((call += " " + Text(args)), ...);
    calls.push_back(call);
    return 100 + slot;
  }
};

using CApi = PixetTest;
constexpr std::intptr_t kNone = -1;  // functions without a result

TEST_F(CApi, EachFunctionReachesItsSlotWithItsArgumentsAndGivesItsResult) {
  auto spy = Pixet::Create<Spy>();
  PixetObject* o = spy.get();
  GUID g{};
  struct Row { std::function<std::intptr_t()> call; std::intptr_t result; std::string expected; };
  const std::vector<Row> rows = {
      {[&] { return PixetCaptureDesktopToBmp(o, "d.bmp"), kNone; }, kNone, "0: d.bmp"},
      {[&] { return PixetCaptureClientToBmp(o, "c.bmp"), kNone; }, kNone, "1: c.bmp"},
      {[&] { return PixetCaptureClientRectToBmp(o, "r.bmp", 1, -2, 3, 4), kNone; }, kNone, "2: r.bmp 1 -2 3 4"},
      {[&] { return PixetCaptureWindowToBmp(o, "w.bmp"), kNone; }, kNone, "3: w.bmp"},
      {[&] { return PixetConvertImage(o, "a.png", "b.jpg"); }, 104, "4: a.png b.jpg"},
      {[&] { return PixetConvertToGrayscaleImage(o, "a.png", "g.tif"); }, 105, "5: a.png g.tif"},
      {[&] { return PixetCopyToClipboard(o, "a.png"); }, 106, "6: a.png"},
      {[&] { return PixetCreatePictureBox(o, kWindow, 7, 1); }, 107, "7: W 7 1"},
      {[&] { return PixetDrawImage(o, kWindow, "i.png", -3, 0, 9); }, 108, "8: W i.png -3 0 9"},
      {[&] { return PixetLoadImage(o, kWindow, "l.png", 4); }, 109, "9: W l.png 4"},
      {[&] { return PixetLoadImageFromClipboard(o, kWindow, 5); }, 110, "10: W 5"},
      {[&] { return PixetLoadReportImage(o, kReport, "r.png", 32767); }, 111, "11: R r.png 32767"},
      {[&] { return PixetDisplayImage(o, kWindow, "s.png", 8, 1, 0); }, 112, "12: W s.png 8 1 0"},
      {[&] { return PixetDisplayImageAsBackground(o, kWindow, "b.png", 2); }, 113, "13: W b.png 2"},
      {[&] { return PixetGetEncoderClsid(o, "image/png", &g), kNone; }, kNone, "14: image/png " + Text(&g)},
      {[&] { return PixetGetFunctionPointers(o); }, 115, "15:"},
      {[&] { return PixetResizeImage(o), kNone; }, kNone, "16:"},
      {[&] { return PixetImageHandleFromResource(o, "LOGO", nullptr); }, kImageHandle, "17: LOGO (null)"},
      {[&] { return PixetSaveResourceToFile(o, "LOGO", "l.bmp", "res.dll"); }, 118, "18: LOGO l.bmp res.dll"},
  };
  for (const Row& row : rows) {
    spy->calls.clear();
    EXPECT_EQ(row.call(), row.result) << row.expected;
    EXPECT_EQ(spy->calls, std::vector<std::string>{row.expected});
  }
  // In the 32-bit build each module has its own unwinder, so an exception thrown here
  // cannot pass the library's frames at all; there the guard only stops its own.
#if defined(__x86_64__)
  spy->throws = true;
  for (const Row& row : rows) EXPECT_EQ(row.call(), row.result == kNone ? kNone : 0) << row.expected;
#endif
  EXPECT_EQ(PixetConvertImage(nullptr, "a.png", "b.png"), 0) << "a null object";
}

TEST_F(CApi, FieldsThroughTheHandle) {
  PixetObject* o = pixet_.get();
  pixet_->HPICTUREBOX = reinterpret_cast<HWND>(kHigh);
  EXPECT_EQ(PixetPictureBox(o), reinterpret_cast<void*>(kHigh));
  pixet_->HPICTUREBOX = nullptr;
  PixetSetResourcesDllName(o, "res.dll");
  char cut[4];
  EXPECT_EQ(PixetGetResourcesDllName(o, cut, sizeof cut), 7) << "the whole length, as snprintf gives";
  EXPECT_STREQ(cut, "res");
  PixetSetResourcesDllName(o, nullptr);
  EXPECT_STREQ(PixetUsedResourceName(o, 3), "") << "a numbered resource";
  EXPECT_EQ(PixetUsedResourceName(o, PixetUsedResourceCount(o)), nullptr);
}

}  // namespace
}  // namespace pixet::testing
