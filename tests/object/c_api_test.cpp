// The flat C functions: each reaches its slot of the object it is handed, with its
// arguments, and gives the method's result; nothing thrown gets past them.
#include "support/fixture.h"

namespace pixet::testing {
namespace {

// A window, report, GUID pointer or image handle with high bits set, so one cut to 32 bits shows.
template <class T> T High() { return T(static_cast<std::uintptr_t>(0xA5A5A5A5A5A5A5A0ull)); }

std::string Text(const char* text) { return text != nullptr ? text : "(null)"; }
std::string Text(const void* p) { return p == High<const void*>() ? "H" : "?"; }
std::string Text(long long number) { return std::to_string(number); }

using W = PixetHostWindow*;
using Name = const char*;

// Adds every method call as " slot arguments" to `calls`; each gives 100 + its slot.
struct Spy : public Pixet {
  std::string calls;
  bool throws = false;
  void CaptureDesktopToBmp(Name f) override { Note(0, f); } void CaptureClientToBmp(Name f) override { Note(1, f); }
  void CaptureClientRectToBmp(Name f, int x, int y, int w, int h) override { Note(2, f, x, y, w, h); }
  void CaptureWindowToBmp(Name f) override { Note(3, f); }
  int ConvertImage(Name s, Name t) override { return Note(4, s, t); }
  int ConvertToGrayscaleImage(Name s, Name t) override { return Note(5, s, t); }
  int CopyToClipboard(Name f) override { return Note(6, f); }
  int CreatePictureBox(W w, short c, int whole) override { return Note(7, w, c, whole); }
  int DrawImage(W w, Name i, short c, int whole, int unused) override { return Note(8, w, i, c, whole, unused); }
  int LoadImage(W w, Name s, short c) override { return Note(9, w, s, c); }
  int LoadImageFromClipboard(W w, short c) override { return Note(10, w, c); }
  int LoadImage(PixetHostReport* r, Name s, short c) override { return Note(11, r, s, c); }
  int DisplayImage(W w, Name i, short c, int whole, int colours) override { return Note(12, w, i, c, whole, colours); }
  int DisplayImageAsBackground(W w, Name i, int unused) override { return Note(13, w, i, unused); }
  void GetEncoderClsid(Name mime, _GUID* clsid) override { Note(14, mime, clsid); }
  int GetFunctionPointers() override { return Note(15); } void ResizeImage() override { Note(16); }
  std::intptr_t ImageHandleFromResource(Name n, Name m) override { return Note(17, n, m), High<std::intptr_t>(); }
  int SaveResourceToFile(Name n, Name f, Name m) override { return Note(18, n, f, m); }
  template <class... Args> int Note(int slot, Args... args) {
    if (throws) throw 1;
    for (const std::string& text : {Text(slot), Text(args)...}) calls += " " + text;
    return 100 + slot;
  }
};

TEST_F(PixetTest, CFunctionsReachTheirSlotsWithTheirArgumentsGiveTheResultsAndStopWhatIsThrown) {
  Spy spy;  // not bound, so no method has run yet
  PixetObject *o = &spy, *p = pixet_.get();
  // "result slot arguments"; then once more with every method throwing, where only the guard's 0 (or nothing, -1
  // here) comes back. In the 32-bit build each module has its own unwinder, so an exception thrown here cannot
  // pass the library's frames at all; there the guard only stops its own, and the second round repeats the first.
  for (bool throws : {false, sizeof(void*) == 8}) {
    spy.throws = throws;
    const auto check = [&](std::intptr_t result, std::string expected) {
      if (throws) expected = expected.rfind("-1 ", 0) == 0 ? "-1" : "0";
      EXPECT_EQ(Text(result) + std::exchange(spy.calls, ""), expected);
    };
    check((PixetCaptureDesktopToBmp(o, "d.bmp"), -1), "-1 0 d.bmp");
    check((PixetCaptureClientToBmp(o, "c.bmp"), -1), "-1 1 c.bmp");
    check((PixetCaptureClientRectToBmp(o, "r.bmp", 1, -2, 3, 4), -1), "-1 2 r.bmp 1 -2 3 4");
    check((PixetCaptureWindowToBmp(o, "w.bmp"), -1), "-1 3 w.bmp");
    check(PixetConvertImage(o, "a.png", "b.jpg"), "104 4 a.png b.jpg");
    check(PixetConvertToGrayscaleImage(o, "a.png", "g.tif"), "105 5 a.png g.tif");
    check(PixetCopyToClipboard(o, "a.png"), "106 6 a.png");
    check(PixetCreatePictureBox(o, High<W>(), 7, 1), "107 7 H 7 1");
    check(PixetDrawImage(o, High<W>(), "i.png", -3, 0, 9), "108 8 H i.png -3 0 9");
    check(PixetLoadImage(o, High<W>(), "l.png", 4), "109 9 H l.png 4");
    check(PixetLoadImageFromClipboard(o, High<W>(), 5), "110 10 H 5");
    check(PixetLoadReportImage(o, High<PixetHostReport*>(), "r.png", 32767), "111 11 H r.png 32767");
    check(PixetDisplayImage(o, High<W>(), "s.png", 8, 1, 0), "112 12 H s.png 8 1 0");
    check(PixetDisplayImageAsBackground(o, High<W>(), "b.png", 2), "113 13 H b.png 2");
    check((PixetGetEncoderClsid(o, "image/png", High<GUID*>()), -1), "-1 14 image/png H");
    check(PixetGetFunctionPointers(o), "115 15");
    check((PixetResizeImage(o), -1), "-1 16");
    check(PixetImageHandleFromResource(o, "LOGO", nullptr), Text(High<std::intptr_t>()) + " 17 LOGO (null)");
    check(PixetSaveResourceToFile(o, "LOGO", "l.bmp", "res.dll"), "118 18 LOGO l.bmp res.dll");
  }
  EXPECT_EQ(PixetConvertImage(nullptr, "a.png", "b.png"), 0) << "a null object";
  // The fields. The numbered resource has no name; past the end there is none.
  spy.HPICTUREBOX = High<HWND>();
  EXPECT_EQ(PixetPictureBox(o), High<void*>());
  EXPECT_EQ(Text(PixetUsedResourceName(p, 3)) + Text(PixetUsedResourceName(p, PixetUsedResourceCount(p))), "(null)");
  PixetSetResourcesDllName(p, "res.dll");
  char cut[4];  // filled by the call before operator+ reads it
  EXPECT_EQ(std::to_string(PixetGetResourcesDllName(p, cut, sizeof cut)) + cut, "7res") << "all its length";
  PixetSetResourcesDllName(p, nullptr);  // blank again, as the fixture checks
}

}  // namespace
}  // namespace pixet::testing
