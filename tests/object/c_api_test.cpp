// The flat C functions: each reaches its slot of the object it is handed, with its
// arguments, and gives the method's result; nothing thrown gets past them.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>

#include "pixet/pixet_c_refhost.h"
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
  std::intptr_t ImageHandleFromResource(Name n, Name m) override { Note(17, n, m); return High<std::intptr_t>(); }
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
  // "result slot arguments"; then once more with every method throwing, and once on no object at all, where only
  // 0 (or nothing, -1 here) comes back. In the 32-bit build each module has its own unwinder, so an exception
  // thrown here cannot pass the library's frames at all; there the guard only stops its own, and the second round
  // repeats the first.
  for (int round : {0, sizeof(void*) == 8 ? 1 : 0, 2}) {
    spy.throws = round == 1;
    o = round == 2 ? nullptr : &spy;
    const auto check = [&](std::intptr_t result, std::string expected) {
      if (round != 0) expected = expected.rfind("-1 ", 0) == 0 ? "-1" : "0";
      EXPECT_EQ(Text(result) + std::exchange(spy.calls, ""), expected) << "round " << round;
    };
    PixetCaptureDesktopToBmp(o, "d.bmp");
    check(-1, "-1 0 d.bmp");
    PixetCaptureClientToBmp(o, "c.bmp");
    check(-1, "-1 1 c.bmp");
    PixetCaptureClientRectToBmp(o, "r.bmp", 1, -2, 3, 4);
    check(-1, "-1 2 r.bmp 1 -2 3 4");
    PixetCaptureWindowToBmp(o, "w.bmp");
    check(-1, "-1 3 w.bmp");
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
    PixetGetEncoderClsid(o, "image/png", High<GUID*>());
    check(-1, "-1 14 image/png H");
    check(PixetGetFunctionPointers(o), "115 15");
    PixetResizeImage(o);
    check(-1, "-1 16");
    check(PixetImageHandleFromResource(o, "LOGO", nullptr), Text(High<std::intptr_t>()) + " 17 LOGO (null)");
    check(PixetSaveResourceToFile(o, "LOGO", "l.bmp", "res.dll"), "118 18 LOGO l.bmp res.dll");
  }
  spy.HPICTUREBOX = High<HWND>();
  EXPECT_EQ(PixetPictureBox(&spy), High<void*>());
  EXPECT_EQ(PixetPictureBox(p), nullptr) << "no picture control made yet";
}

// Each field set through C reads back through C and on the object.
TEST_F(PixetTest, CFieldsReadBackWhatWasSet) {
  Pixet* p = pixet_.get();
  PixetSetUseResource(p, 1);
  EXPECT_EQ(std::to_string(PixetGetUseResource(p)) + std::to_string(p->USERESOURCE), "11");
  PixetSetUseResource(p, 0);
  EXPECT_EQ(std::to_string(PixetGetUseResource(p)) + std::to_string(p->USERESOURCE), "00");
  // The library name: kept cut or blank-padded to 128 characters; read back without its trailing blanks, cut to
  // size - 1 characters, and its full length returned. Nothing is written past `size`, nor anything at all into
  // no buffer.
  const std::string n(200, 'n');
  const struct { const char* name; int size; const char* read; int length; } rows[] = {
      {"res.dll", 64, "res.dll", 7}, {"res.dll", 4, "res", 7}, {"res.dll", 1, "", 7}, {"res.dll", 0, nullptr, 7},
      {"res dir\\x.dll     ", 64, "res dir\\x.dll", 13}, {n.c_str(), 300, n.c_str() + 72, 128},
      {n.c_str() + 72, 300, n.c_str() + 72, 128}, {n.c_str() + 72, 128, n.c_str() + 73, 128}, {"", 8, "", 0},
      {"   ", 8, "", 0}, {nullptr, 8, "", 0}, {"x.dll", -1, nullptr, 5}};
  for (const auto& row : rows) {
    PixetSetResourcesDllName(p, row.name);
    const std::string given = row.name != nullptr ? row.name : "";
    EXPECT_EQ(std::string(p->RESOURCESDLLNAME, 128), (given + std::string(128, ' ')).substr(0, 128)) << given;
    std::string buffer(300, '#');
    EXPECT_EQ(PixetGetResourcesDllName(p, &buffer[0], row.size), row.length) << given << " into " << row.size;
    const std::size_t written = row.size > 0 ? std::strlen(buffer.c_str()) + 1 : 0;
    EXPECT_EQ(buffer.substr(0, written), row.read != nullptr ? std::string(row.read) + '\0' : "") << given;
    EXPECT_EQ(buffer.find_first_not_of('#', std::max(row.size, 0)), std::string::npos) << "written past the buffer";
  }
  EXPECT_EQ(PixetGetResourcesDllName(p, nullptr, 8), 5) << "no buffer";
  PixetSetResourcesDllName(p, nullptr);  // blank again, as the fixture checks
  // The program's image resources (tests/resources/test_resources.rc): names in order, then the numbered one
  // without a name; none before the start or past the end.
  std::string names;
  for (int i = -1; i <= PixetUsedResourceCount(p); ++i) names += Text(PixetUsedResourceName(p, i)) + ",";
  EXPECT_EQ(names, "(null),LOGO,PHOTO,ZICON,,(null),");
}

// A picture control made through C is the object's; C fits it to the current window.
TEST_F(PixetTest, CPictureBoxIsTheOneMadeAndResizeFitsIt) {
  Pixet* p = pixet_.get();
  const int made = PixetCreatePictureBox(p, window_, kImage, 0);
  const HWND box = static_cast<HWND>(PixetPictureBox(p));
  RECT shown, window;
  ::GetWindowRect(box, &shown);
  EXPECT_TRUE(made != 0 && made == static_cast<int>(reinterpret_cast<std::intptr_t>(box)) && ::IsWindow(box));
  EXPECT_EQ(std::to_string(shown.right - shown.left) + "x" + std::to_string(shown.bottom - shown.top), "80x60");
  PixetResizeImage(p);
  ::GetWindowRect(box, &shown);
  ::GetWindowRect(host_.WindowHwnd(window_), &window);
  EXPECT_TRUE(shown.right - shown.left == window.right - window.left && shown.bottom - shown.top == window.bottom - window.top);
  std::vector<std::string> calls = ShownCalls(kImage, box);
  calls.erase(calls.begin());  // CreatePictureBox alone
  calls.insert(calls.end(), {"write current 0 PixelUnits=1", "write current 0 PixelUnits=0"});  // the resize
  EXPECT_EQ(TakeHostCalls(), calls);
}

// The engine as C sees it: new objects bound or not, each encoder the engine lists (asked for through GDI+ itself) by
// its MIME type, and a binding that checks the engine's entries again.
TEST_F(PixetTest, CEngineFunctionsGiveTheEnginesOwnAnswers) {
  struct Unbound : Pixet {} unbound;  // made without Create: never bound
  PixetObject* fresh = PixetNew();
  EXPECT_EQ(std::to_string(PixetEngineLoaded(fresh)) + std::to_string(PixetEngineLoaded(&unbound)), "10");
  EXPECT_EQ(PixetUsedResourceCount(fresh), 4) << "a new object lists the program's resources";
  PixetDelete(fresh);
  struct Noted : Pixet {
    explicit Noted(bool* gone) : gone(gone) {}
    ~Noted() override { *gone = true; }
    bool* gone;
  };
  bool gone = false;
  PixetDelete(Pixet::Create<Noted>(&gone).release());
  EXPECT_TRUE(gone) << "deleted, through its own destructor";
  EngineStarted started;
  UINT count = 0, size = 0;
  ASSERT_EQ(Gdiplus::DllExports::GdipGetImageEncodersSize(&count, &size), Gdiplus::Ok);
  std::vector<char> block(size);
  auto* codecs = reinterpret_cast<Gdiplus::ImageCodecInfo*>(block.data());
  ASSERT_EQ(Gdiplus::DllExports::GdipGetImageEncoders(count, size, codecs), Gdiplus::Ok);
  std::string mimes;
  for (UINT i = 0; i < count; ++i) {
    char mime[64] = {};
    ::WideCharToMultiByte(CP_ACP, 0, codecs[i].MimeType, -1, mime, sizeof mime, nullptr, nullptr);
    GUID clsid;
    std::memset(&clsid, 0xA5, sizeof clsid);
    PixetGetEncoderClsid(pixet_.get(), mime, &clsid);
    EXPECT_TRUE(::IsEqualGUID(clsid, codecs[i].Clsid)) << mime;
    mimes += std::string(mime) + " ";
  }
  EXPECT_NE(mimes.find("image/png "), std::string::npos) << mimes;
  // Binding again only checks the process's table against the library the object holds: this program, which lacks
  // the entries, fails; the engine passes. Either way the table stays as it was, and conversions work.
  const std::string out = Output("c-rebound.png");
  for (const char* engine : {"pixet_tests.exe", "GDIPLUS.DLL"}) {
    const bool real = engine[0] == 'G';
    pixet_->GDI->Unload();
    pixet_->GDI->Load(engine, real ? pixet::DllLoader::kLoadLibrary : pixet::DllLoader::kModuleHandle);
    EXPECT_EQ(PixetGetFunctionPointers(pixet_.get()), real ? 1 : 0) << engine;
    RemoveFile(out);
    EXPECT_EQ(PixetConvertImage(pixet_.get(), Sample("photo.png").c_str(), out.c_str()), 1) << engine;
    EXPECT_TRUE(Decode(out).ok) << engine;
  }
  RemoveFile(out);
}

// A null object: every function beyond the methods' gives 0 (or nothing) and does nothing: no message, no engine,
// no download, no control changed, no buffer written.
TEST_F(PixetTest, CFunctionsOnANullObjectGiveZeroAndDoNothing) {
  PixetObject* o = nullptr;
  const std::string web = "http://127.0.0.1:" + std::to_string(HttpPort()) + "/img/photo.png";
  char name[8] = "#######";
#define PIXET_ROW(call) {#call, [&]() -> std::intptr_t { return (std::intptr_t)call; }}
#define PIXET_VOID(call) {#call, [&]() -> std::intptr_t { call; return 0; }}
  const std::pair<const char*, std::function<std::intptr_t()>> rows[] = {
      PIXET_VOID(PixetDelete(o)), PIXET_ROW(PixetEngineLoaded(o)), PIXET_ROW(PixetGetUseResource(o)),
      PIXET_VOID(PixetSetUseResource(o, 1)), PIXET_ROW(PixetGetResourcesDllName(o, name, sizeof name)),
      PIXET_VOID(PixetSetResourcesDllName(o, "x.dll")), PIXET_ROW(PixetPictureBox(o)),
      PIXET_ROW(PixetUsedResourceCount(o)), PIXET_ROW(PixetUsedResourceName(o, 0)),
      PIXET_ROW(PixetLoadImageFromWeb(o, window_, web.c_str(), kImage)), PIXET_VOID(PixetSetWebTimeout(o, 10)),
      PIXET_ROW(PixetGetWebTimeout(o)), PIXET_VOID(PixetSetWebSizeLimit(o, 10)), PIXET_ROW(PixetGetWebSizeLimit(o)),
      PIXET_ROW(PixetConvertImageW(o, L"a.png", L"b.png")), PIXET_ROW(PixetConvertToGrayscaleImageW(o, L"a.png", L"c.png")),
      PIXET_VOID(PixetCaptureDesktopToBmpW(o, L"d.bmp")), PIXET_VOID(PixetCaptureClientToBmpW(o, L"c.bmp")),
      PIXET_VOID(PixetCaptureClientRectToBmpW(o, L"r.bmp", 0, 0, 5, 5)), PIXET_VOID(PixetCaptureWindowToBmpW(o, L"w.bmp")),
      PIXET_ROW(PixetImageHandleFromResourceW(o, L"LOGO", nullptr)),
      PIXET_ROW(PixetSaveResourceToFileW(o, L"LOGO", L"s.png", nullptr)),
      PIXET_ROW(PixetDrawImageW(o, window_, L"i.png", kImage, 0, 0)),
      PIXET_ROW(PixetDisplayImageW(o, window_, L"i.png", kImage, 0, 0)),
      PIXET_ROW(PixetDisplayImageAsBackgroundW(o, window_, L"i.png", 0)), PIXET_ROW(PixetCopyToClipboardW(o, L"i.png")),
      PIXET_ROW(PixetLoadImageW(o, window_, Wide(web).c_str(), kImage)),
      PIXET_ROW(PixetLoadReportImageW(o, report_, L"i.png", kImage)),
      PIXET_ROW(PixetLoadImageFromWebW(o, window_, Wide(web).c_str(), kImage)),
      PIXET_ROW(PixetCaptureScreen(o, 0, "s.bmp")), PIXET_ROW(PixetCaptureScreenW(o, 1, L"s.png")),
      PIXET_ROW(PixetCopyToClipboardWithAlpha(o, "i.png")), PIXET_ROW(PixetCopyToClipboardWithAlphaW(o, L"i.png")),
      PIXET_ROW(PixetPasteFromClipboard(o, "p.png")), PIXET_ROW(PixetPasteFromClipboardW(o, L"p.png"))};
#undef PIXET_ROW
#undef PIXET_VOID
  for (const auto& [call, run] : rows) EXPECT_EQ(run(), 0) << call;
  EXPECT_TRUE(host_.State(window_, kImage).imageBytes->empty());
  EXPECT_EQ(std::string(name), "#######");
  for (const char* file : {"s.bmp", "s.png", "p.png"}) EXPECT_FALSE(FileExists(file)) << file;
  EXPECT_EQ(std::to_string(engine_.Startups()) + std::to_string(handles_.reads.load()), "00");
}

// A host of C callbacks that notes each call as "what target id" and hands it on to the fixture's host. Targets:
// kind (S system, W window, R report, C current window), then w for window_ or r for report_, then the field.
struct Recorder {
  TestHost* host;
  PixetHostWindow* window;
  PixetHostReport* report;
  std::vector<std::string> calls;

  static Recorder& Of(void* user) { return *static_cast<Recorder*>(user); }
  std::string Note(const char* what, const PixetHostTarget* t, int id, std::string rest = "") {
    char text[96];
    std::snprintf(text, sizeof text, "%s %c%s%s%d %x%s", what, "SWRC"[t->kind], t->window == window ? "w" : "",
                  t->report == report ? "r" : "", t->field, id, rest.c_str());
    calls.push_back(text);
    return text;
  }
  static Target To(const PixetHostTarget* t) {
    return {static_cast<Target::Kind>(t->kind), t->window, t->report, t->field};
  }
  static PixetIntPtr PIXET_C_CALL Read(void* user, const PixetHostTarget* t, int id) {
    Of(user).Note("read", t, id);
    return Of(user).host->ReadProperty(To(t), Property(id));
  }
  static void PIXET_C_CALL Write(void* user, const PixetHostTarget* t, int id, PixetIntPtr value) {
    Of(user).Note("write", t, id, id == PIXET_PROPERTY_PIXEL_UNITS ? "=" + std::to_string(value) : "");
    Of(user).host->WriteProperty(To(t), Property(id), value);
  }
  static void PIXET_C_CALL WriteText(void* user, const PixetHostTarget* t, int id, const char* text) {
    Of(user).Note("text", t, id, std::string(" '") + text + "'");
    Of(user).host->WritePropertyText(To(t), Property(id), text);
  }
  static void PIXET_C_CALL WriteBytes(void* user, const PixetHostTarget* t, int id, const void* bytes, size_t size) {
    Of(user).Note("bytes", t, id, size > 0 ? " some" : " none");
    Of(user).host->WritePropertyBytes(To(t), Property(id), bytes, size);
  }
  static void PIXET_C_CALL Redraw(void* user, const PixetHostTarget* t) {
    Of(user).Note("redraw", t, 0);
    Of(user).host->Redraw(To(t));
  }
  static void PIXET_C_CALL Show(void* user, const char* text, const char* caption, int icon) {
    Of(user).calls.push_back(std::string("message ") + text + (caption != nullptr ? " captioned " : " ") +
                             std::to_string(icon));
  }
};

// Every callback is called with the target, field and property the call is about.
TEST_F(PixetTest, CCallbackHostIsAskedAboutTheRightTargets) {
  Recorder recorder{&host_, window_, report_, {}};
  PixetHostCallbacks callbacks = {&recorder, &Recorder::Read, &Recorder::Write, &Recorder::WriteText,
                                  &Recorder::WriteBytes, &Recorder::Redraw, &Recorder::Show};
  ASSERT_EQ(PixetRegisterCallbackHost(&callbacks), 1);
  callbacks = {};  // the host keeps its own copy
  Pixet* p = pixet_.get();
  const std::string photo = Sample("photo.png"), out = Output("c-callback.png");
  struct UnboundPixet : Pixet {
    std::int32_t GetFunctionPointers() override { return 0; }
  };
  const struct { std::function<int()> call; int result; std::vector<std::string> calls; } rows[] = {
      {[&] { return PixetLoadImage(p, window_, photo.c_str(), kImage); }, 1, {"bytes Ww1 7c94 some"}},
      {[&] { return PixetLoadReportImage(p, report_, photo.c_str(), kImage); }, 1, {"bytes Rr1 7c94 some"}},
      {[&] { PutBitmap(FilePixels(Sample("halves.png"))); return PixetLoadImageFromClipboard(p, window_, kImage); }, 1,
       {"text Ww1 7c00 'saved__0.bmp'", "redraw Ww1 0"}},
      // A control number names a control of the current window.
      {[&] { return PixetConvertImage(p, "1", out.c_str()); }, 1, {"read C1 7cb6"}},
      {[&] { return PixetCreatePictureBox(p, window_, kImage, 0) != 0; }, 1,
       {"write Ww0 7c1e=1", "read C1 7c02", "read C1 7c03", "read C1 7c04", "read C1 7c05", "read C0 7cab",
        "read S0 7cbe", "write C1 7c96", "write Ww0 7c1e=0"}},
      {[&] { return PixetDrawImage(p, window_, photo.c_str(), kImage, 0, 0); }, 1, {"redraw C0 0"}},
      {[&] { PixetCaptureWindowToBmp(p, Output("c-callback.bmp").c_str()); return 1; }, 1, {"read C0 7c96"}},
      {[&] { return PixetConvertImage(p, photo.c_str(), "c-callback.xyz"); }, 0, {"message Invalid Format! 0"}},
      {[&] { return Pixet::Create<UnboundPixet>()->ENGINELOADED; }, 0,
       {"message Cannot obtain function pointers captioned 64"}}};
  for (const auto& row : rows) {
    recorder.calls.clear();
    EXPECT_EQ(row.call(), row.result) << row.calls[0];
    for (const std::string& call : row.calls)
      EXPECT_TRUE(std::find(recorder.calls.begin(), recorder.calls.end(), call) != recorder.calls.end())
          << call << " missing from: " << ::testing::PrintToString(recorder.calls);
  }
  // What the callbacks handed on reached the fixture's host.
  EXPECT_EQ(FilePixels(out), FilePixels(Sample("halves.png"))) << "the pasted picture, written out from control 1";
  EXPECT_FALSE(host_.State(report_, kImage).imageBytes->empty());
  // Null callbacks do nothing: the load is done, and neither it nor the message reaches anyone.
  PixetHostCallbacks none{};
  none.user = &recorder;
  recorder.calls.clear();
  ASSERT_EQ(PixetRegisterCallbackHost(&none), 1);
  host_.WritePropertyText(Target::Of(window_, kImage), Property::ControlText, "missing.bmp");
  EXPECT_EQ(PixetLoadImage(p, window_, photo.c_str(), kImage), 1);
  EXPECT_EQ(PixetConvertImage(p, photo.c_str(), "c-callback.xyz"), 0);
  EXPECT_TRUE(recorder.calls.empty() && host_.State(window_, kImage).imageBytes->empty());
  EXPECT_EQ(PixetRegisterCallbackHost(nullptr), 1);  // none
  host_.Register();
  TakeHostCalls();  // handed on by the recorder, and checked above
  RemoveFile(out);
  RemoveFile(Output("c-callback.bmp"));
}

// The desktop host for C callers, read back through its own functions.
TEST_F(PixetTest, CDesktopHostFunctionsReadBackWhatTheyMade) {
  ASSERT_EQ(PixetRegisterDesktopHost(PIXET_MESSAGES_RECORD), 1);
  // An unknown mode changes nothing: the desktop host still takes the message boxes (below).
  EXPECT_EQ(PixetRegisterDesktopHost(3), 0);
  EXPECT_EQ(PixetRegisterDesktopHost(-1), 0);
  PixetHostWindow* w = PixetDesktopOpenWindow("c host", 200, 100);
  const HWND top = static_cast<HWND>(PixetDesktopWindowHandle(w, 0));
  RECT r;
  ::GetClientRect(top, &r);
  EXPECT_EQ(std::to_string(r.right) + "x" + std::to_string(r.bottom), "200x100");
  // Controls: fields above 0, once each per window or report.
  PixetHostReport* report = PixetDesktopOpenReport(100, 80);
  const int added[] = {PixetDesktopAddControl(w, 3, 10, 20, 64, 48, 1), PixetDesktopAddControl(w, 3, 0, 0, 9, 9, 1),
                       PixetDesktopAddControl(w, 0, 0, 0, 9, 9, 1), PixetDesktopAddControl(w, 4, 80, 0, 9, 9, 0),
                       PixetDesktopAddReportControl(report, 2, 0, 0, 80, 60, 1),
                       PixetDesktopAddReportControl(report, 2, 0, 0, 80, 60, 1)};
  EXPECT_EQ(std::vector<int>(std::begin(added), std::end(added)), (std::vector<int>{1, 0, 0, 1, 1, 0}));
  const HWND control = static_cast<HWND>(PixetDesktopWindowHandle(w, 3));
  ::GetWindowRect(control, &r);
  ::MapWindowPoints(nullptr, ::GetParent(control), reinterpret_cast<POINT*>(&r), 2);
  EXPECT_EQ(std::vector<LONG>({r.left, r.top, r.right, r.bottom}), (std::vector<LONG>{10, 20, 74, 68}));
  EXPECT_EQ(PixetDesktopWindowHandle(w, 9), nullptr);
  // A file the application shows, and seen; a missing one empties the control. Pumping handles what is pending.
  int size[2] = {-1, -1};
  PixetDesktopShowFile(w, 3, Sample("halves.png").c_str());
  MSG pending;
  ::PostThreadMessageA(::GetCurrentThreadId(), WM_APP, 0, 0);
  PixetDesktopPumpMessages();
  EXPECT_FALSE(::PeekMessageA(&pending, nullptr, 0, 0, PM_NOREMOVE)) << "a message still pending: " << pending.message;
  const DecodedImage halves = Decode(Sample("halves.png"));
  EXPECT_TRUE(PixetDesktopShownImageSize(w, 3, &size[0], &size[1]) == 1 && unsigned(size[0]) == halves.width &&
              unsigned(size[1]) == halves.height);
  EXPECT_TRUE(Near(ScreenPixel(control, 5, 24), RGB(255, 0, 0)) && Near(ScreenPixel(control, 58, 24), RGB(0, 0, 255)));
  // The current window is where a control number is looked for.
  PixetDesktopSetCurrentWindow(w);
  const std::string out = Output("c-desktop.png");
  EXPECT_EQ(PixetConvertImage(pixet_.get(), "3", out.c_str()), 1);
  EXPECT_EQ(FilePixels(out), FilePixels(Sample("halves.png")));
  RemoveFile(out);
  PixetDesktopShowFile(w, 3, "missing.png");
  EXPECT_TRUE(PixetDesktopShownImageSize(w, 3, &size[0], &size[1]) == 1 && size[0] == 0 && size[1] == 0);
  EXPECT_EQ(PixetDesktopShownImageSize(w, 9, &size[0], &size[1]), 0);
  // Messages, oldest first.
  EXPECT_EQ(PixetConvertImage(pixet_.get(), "a.png", "c.xyz"), 0);
  EXPECT_EQ(PixetConvertImage(pixet_.get(), "a.png", "c.abc"), 0);
  EXPECT_EQ(PixetDesktopMessageCount(), 2);
  EXPECT_EQ(Text(PixetDesktopMessageText(-1)) + Text(PixetDesktopMessageText(0)) + Text(PixetDesktopMessageText(2)),
            "(null)Invalid Format!(null)");
  PixetDesktopClearMessages();
  EXPECT_EQ(PixetDesktopMessageCount(), 0);
  // Closed, a report or window takes no controls.
  PixetDesktopCloseReport(report);
  PixetDesktopCloseWindow(w);
  EXPECT_EQ(PixetDesktopAddReportControl(report, 5, 0, 0, 9, 9, 1), 0);
  EXPECT_EQ(PixetDesktopAddControl(w, 5, 0, 0, 9, 9, 1), 0);
  EXPECT_FALSE(::IsWindow(top));
  PixetDesktopSetCurrentWindow(nullptr);
  PixetReleaseDesktopHost();
  EXPECT_EQ(PixetDesktopOpenWindow("no host", 10, 10), nullptr);
  host_.Register();
}

}  // namespace
}  // namespace pixet::testing
