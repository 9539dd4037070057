// Hostile input across the whole API, one row per case: its result, its messages, and what
// it may change. Before each row the target "hostile-out.png" holds old bytes, both image
// controls a 40 x 30 picture and the clipboard a text; each keeps them unless the row says
// otherwise; what a row writes goes afterwards. The fixture checks that nothing else was left
// behind.
#include <windows.h>

#include <atomic>
#include <cctype>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "pixet/pixet_c.h"
#include "support/fixture.h"

using namespace pixet::testing;

namespace {

constexpr char kOut[] = "hostile-out";  // every file a row may write starts with this
constexpr char kOld[] = "old bytes";
constexpr char kBmp[] = "hostile-out.bmp";  // a capture target
constexpr char kNone[] = "<none>";  // what Bytes() gives for a missing file
constexpr char kClipText[] = "on the clipboard before";
constexpr char kLoadFailed[] = "There was an error while loading the bitmap";
constexpr char kPasteFailed[] = "There was an error while pasting the bitmap to the clipboard!";
constexpr char kNoModule[] = "Can't load no-such-module.dll";
constexpr std::int32_t kNoFile = ERROR_FILE_NOT_FOUND;

// What a row changes. writes: one decodable image under kOut (otherwise the target keeps its old bytes, and no
// other file appears). window, report: that control holds the BMP bytes of the 64 x 48 photo (otherwise its old
// picture). clipboard: the clipboard holds the 64 x 48 photo (otherwise its text). no_engine: not even an engine
// start-up.
// What the host is asked to change, in order; nothing but: window, report, given, given_report (a control the host
// may lack): the row's control of that window or report is given the BMP file; shown, drawn: what displaying in and
// drawing into the row's window ask (see the fixture); refused: displaying when the system makes no picture control;
// pasted: the row's control is emptied, named the pasted file, and redrawn.
struct Effects { bool writes = false, window = false, report = false, clipboard = false, no_engine = false,
                 given = false, given_report = false, shown = false, drawn = false, refused = false, pasted = false; };

class Hostile;
using Call = std::function<std::int32_t(Hostile&)>;
using Step = std::function<void(Hostile&)>;
using Texts = std::vector<std::string>;
struct Row { std::string name; Call call; std::int32_t result; Texts messages = {}; Effects effects = {}; };
void PrintTo(const Row& row, std::ostream* os) { *os << row.name; }

class Hostile : public PixetTest, public ::testing::WithParamInterface<Row> {
 public:
  using PixetTest::host_, PixetTest::TakeHostCalls, PixetTest::handles_, PixetTest::engine_, PixetTest::kImage, PixetTest::pixet_, PixetTest::report_;
  // What a row's calls act on; a row may change them.
  Pixet* object = pixet_.get();
  PixetHostWindow* target = window_;
  std::int16_t field = kImage;
};

std::string Out(const std::string& ext) { return std::string(kOut) + "." + ext; }
std::string Input(const std::string& file) { return Sample("hostile\\" + file); }
// Letters and digits only, for a test's name.
std::string Label(std::string s) { for (char& c : s) c = std::isalnum(c & 0xFF) ? c : '_'; return s; }
std::string Bytes(const std::string& file) {
  const std::vector<unsigned char> bytes = ReadWholeFile(file);
  return FileExists(file) ? std::string(bytes.begin(), bytes.end()) : kNone;
}
void RemoveOutputs() {  // by wide name, so that a name the code page cannot hold goes too
  WIN32_FIND_DATAW found;
  const HANDLE search = ::FindFirstFileW(L"hostile-out*", &found);
  if (search == INVALID_HANDLE_VALUE) return;
  do ::DeleteFileW(found.cFileName); while (::FindNextFileW(search, &found));
  ::FindClose(search);
}
std::string FullPath(const std::string& name) {
  char full[MAX_PATH];
  return ::GetFullPathNameA(name.c_str(), MAX_PATH, full, nullptr) != 0 ? full : name;
}
// An address on the test server: {port} is its port, {closed} one where nothing listens, {tls}
// {untrusted} {other} {mute} its TLS ports, and {pad} as many "p" as end the address at 511 characters after ".png".
std::string Expand(std::string text) {
  const std::pair<std::string, int> fields[] = {{"{port}", 0}, {"{closed}", 1}, {"{tls}", 3}, {"{untrusted}", 4},
                                                {"{other}", 5}, {"{mute}", 6}};
  for (const auto& [name, field] : fields)
    if (auto at = text.find(name); at != std::string::npos) text.replace(at, name.size(), std::to_string(ServerPort(field)));
  if (auto at = text.find("{pad}"); at != std::string::npos) text.replace(at, 5, 512 - text.find(".png"), 'p');
  return text;
}

enum Verb { kConvert, kGray, kLoad, kLoadReport, kCopy, kDraw, kDisplay, kBackground, kPaste, kSave, kSaveFrom,
            kHandle, kEncoder, kCapture, kCaptureWindow, kWeb, kWebC, kCopyAlpha, kPasteTo, kScreen };
std::int32_t Run(Hostile& t, Verb verb, const std::string& a, const std::string& b) {
  Pixet& p = *t.object;
  const std::string text = Expand(a);
  const char *s = text.c_str(), *u = b.c_str();
  GUID clsid{};
  switch (verb) {
    case kConvert: return p.ConvertImage(s, u);
    case kGray: return p.ConvertToGrayscaleImage(s, u);
    case kLoad: return p.LoadImage(t.target, s, t.field);
    case kLoadReport: return p.LoadImage(t.report_, s, t.field);
    case kCopy: return p.CopyToClipboard(s);
    case kDraw: return p.DrawImage(t.target, s, t.field, t.field == 0, 0);
    case kDisplay: return p.DisplayImage(t.target, s, t.field, t.field == 0, 0);
    case kBackground: return p.DisplayImageAsBackground(t.target, s, 0);
    case kPaste: return p.LoadImageFromClipboard(t.target, t.field);
    case kSave: return p.SaveResourceToFile(s, u);  // from the program
    case kSaveFrom: return p.SaveResourceToFile(s, Out("png").c_str(), u);
    case kHandle: return static_cast<std::int32_t>(p.ImageHandleFromResource(s, b.empty() ? nullptr : u));
    case kEncoder: p.GetEncoderClsid(s, &clsid); return clsid.Data1 != 0;
    case kCapture: p.CaptureClientToBmp(s); return 0;  // the captures give nothing
    case kCaptureWindow: p.CaptureWindowToBmp(s); return 0;
    case kWeb: return p.LoadImageFromWeb(t.target, s, t.field);
    case kWebC: return PixetLoadImageFromWeb(&p, t.target, s, t.field);
    case kCopyAlpha: return p.CopyToClipboardWithAlpha(s);
    case kPasteTo: return p.PasteFromClipboard(s);
    case kScreen: return p.CaptureScreen(std::atoi(u), s);
  }
  return -1;
}
Call Do(Verb verb, std::string a = "", std::string b = "") { return [=](Hostile& t) { return Run(t, verb, a, b); }; }

// `call` between `before` and `after`.
Call Around(Step before, Call call, Step after = [](Hostile&) {}) {
  return [=](Hostile& t) {
    before(t);
    const std::int32_t result = call(t);
    after(t);
    return result;
  };
}
// `call` while another handle holds `file` open with no sharing at all, or, given `share`, open for reading only
// and sharing that (so others can still read it).
Call Locked(std::string file, Call call, DWORD share = 0) {
  const auto held = std::make_shared<HANDLE>();
  const DWORD access = share == 0 ? GENERIC_READ | GENERIC_WRITE : GENERIC_READ;
  return Around([=](Hostile&) {
    *held = ::CreateFileA(file.c_str(), access, share, nullptr, OPEN_ALWAYS, 0, nullptr);
    EXPECT_NE(*held, INVALID_HANDLE_VALUE) << file;
  }, call, [=](Hostile&) { ::CloseHandle(*held); });
}
// `call` while `file` holds a copy of `sample`.
Call Copied(std::string sample, std::string file, Call call) {
  return Around([=](Hostile&) { ::CopyFileA(Sample(sample).c_str(), file.c_str(), FALSE); }, call,
                [=](Hostile&) { ::DeleteFileA(file.c_str()); });
}
// `call` while `file` is read-only.
Call ReadOnly(std::string file, Call call) {
  return Around([=](Hostile&) { ::SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_READONLY); }, call,
                [=](Hostile&) { ::SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_NORMAL); });
}
// `call` in a current folder where nothing can be created (the unix /proc).
Call Unwritable(Call call) {
  return Around([](Hostile&) { EXPECT_TRUE(::SetCurrentDirectoryA("Z:\\proc")); }, call,
                [work = FullPath(".")](Hostile&) { ::SetCurrentDirectoryA(work.c_str()); });
}
// `call` while a window of another thread holds the clipboard open.
Call Held(Call call) {
  return [=](Hostile& t) {
    std::atomic<int> state{0};  // 1: held (or failed to), 2: release
    std::thread holder([&] {
      HWND owner = ::CreateWindowExA(0, "STATIC", "holder", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
      const bool held = ::OpenClipboard(owner) != FALSE;
      EXPECT_TRUE(held) << "the other window could not open the clipboard";
      for (state = 1; state != 2;) ::Sleep(5);
      if (held) ::CloseClipboard();
      ::DestroyWindow(owner);
    });
    while (state != 1) ::Sleep(5);
    const std::int32_t result = call(t);
    state = 2;
    holder.join();
    return result;
  };
}
// `call` on a new window of this client size, made current, and on the window itself.
Call InWindow(int width, int height, Call call) {
  return Around([=](Hostile& t) {
    t.target = t.host_.OpenWindow("odd", width, height);
    DesktopHost::SetCurrentWindow(t.target);
    t.host_.names[t.target] = "odd";
    t.field = 0;
  }, call);
}
const Step kOn99 = [](Hostile& t) { t.field = 99; };  // a control the window and the report lack
Gdiplus::Status WINAPI RefusedStartup(ULONG_PTR*, const Gdiplus::GdiplusStartupInput*, Gdiplus::GdiplusStartupOutput*) {
  return Gdiplus::GenericError;
}
// `call` while the engine refuses to start.
Call EngineRefuses(Call call) {
  return Around([](Hostile& t) { t.engine_.Replace("GdiplusStartup", reinterpret_cast<void*>(&RefusedStartup)); }, call);
}
// `call` while every call the library makes to the system's `function` fails.
Call Failing(std::string function, Call call) {
  return Around([=](Hostile& t) { t.handles_.Fail(function); }, call);
}
const Step kPutPhoto = [](Hostile&) { PutBitmap(FilePixels(Sample("photo.png"))); };
class UnboundPixet : public Pixet {  // its binding fails
 public:
  std::int32_t GetFunctionPointers() override { return 0; }
};
// `call` on a new object of class `Made` (made from `args`), which goes when the call ends.
template <class Made, class... Args>
Call On(Call call, Args... args) {
  return [=](Hostile& t) {
    const auto made = Pixet::Create<Made>(args...);
    t.object = made.get();
    return call(t);
  };
}
class HoldingPixet : public Pixet {  // another handle holds each target it converts, sharing `share`, till it goes
 public:
  explicit HoldingPixet(DWORD share) : share(share) {}
  ~HoldingPixet() override { ::CloseHandle(held); }
  std::int32_t GetFunctionPointers() override { return 1; }  // the fixture's object filled the table
  std::int32_t ConvertImage(const char* source, const char* target) override {
    const std::int32_t result = Pixet::ConvertImage(source, target);
    held = ::CreateFileA(target, GENERIC_READ, share, nullptr, OPEN_EXISTING, 0, nullptr);
    return result;
  }
  const DWORD share;
  HANDLE held = INVALID_HANDLE_VALUE;
};

// The ways a file source reaches the library: for a source without an image, the result and message, and what the
// host is asked (`always`); for one with an image, what it changes (`effects`, `always` included; the result is 1).
struct Method { const char* label; Verb verb; std::int32_t none; Texts messages; Effects effects, always; };
const Method kMethods[] = {
    {"Convert", kConvert, 1, {}, {.writes = true}, {}}, {"Gray", kGray, 1, {}, {.writes = true}, {}},
    {"Load", kLoad, kNoFile, {}, {.window = true}, {}}, {"LoadReport", kLoadReport, kNoFile, {}, {.report = true}, {}},
    {"Copy", kCopy, 0, {kLoadFailed}, {.clipboard = true}, {}}, {"Draw", kDraw, 1, {}, {.drawn = true}, {.drawn = true}},
    {"Display", kDisplay, 1, {}, {.shown = true}, {.shown = true}},
    {"CopyAlpha", kCopyAlpha, 0, {kLoadFailed}, {.clipboard = true}, {}}};
// One row per method; `decoded_by`: the methods that find an image in `source`.
void AddSources(std::vector<Row>& rows, const std::string& label, const std::string& source,
                std::vector<Verb> decoded_by = {}, std::function<Call(Call)> wrap = [](Call call) { return call; }) {
  for (const Method& m : kMethods) {
    bool decodes = false;
    for (Verb verb : decoded_by) decodes = decodes || verb == m.verb || (verb == kConvert && m.verb == kCopyAlpha);
    rows.push_back({label + "_" + m.label, wrap(Do(m.verb, source, Out("png"))), decodes ? 1 : m.none,
                    decodes ? Texts{} : m.messages, decodes ? m.effects : m.always});
  }
}

// A load of `address`. Beforehand the temporary folder holds a stale picture under `local`;
// afterwards it holds `stored` there (a sample's name stands for its first `keep` bytes),
// and no copy outside. Without a file stored, nothing was read.
// `hold` wraps the load after the stale picture is written.
using Hold = std::function<Call(std::string file, Call call)>;
Row Fetch(std::string name, std::string address, std::int32_t result, std::string local, std::string stored,
          std::size_t keep = std::string::npos, Hold hold = [](std::string, Call call) { return call; }) {
  const std::string temp = TempDirectory(), file = temp + local;
  const Step stale = [=](Hostile&) { if (stored != kNone) WriteFileBytes(file, Bytes(Sample("palette.png"))); };
  const Step check = [=](Hostile& t) {
    EXPECT_TRUE(stored != kNone || t.handles_.reads == 0) << "the body was read";
    if (local.empty()) return;
    const bool sample = !stored.empty() && FileExists(Sample(stored));
    EXPECT_TRUE(Bytes(file) == (sample ? Bytes(Sample(stored)).substr(0, keep) : stored)) << file << " differs";
    for (const std::string& outside : {temp + "..\\" + local, temp + "..\\..\\" + local}) {
      EXPECT_FALSE(FileExists(outside)) << outside;
      RemoveFile(outside);
    }
    RemoveFile(file);
  };
  return {"Download_" + name, Around(stale, hold(file, Do(kLoad, address)), check), result, {},
          {.window = result == 1}};
}

std::vector<Row> Rows() {
  std::vector<Row> rows;
  const std::string photo = Sample("photo.png"), module = "pixet_test_resources.dll", long_name(300, 'R');
  // Broken, truncated, noisy and lying images under every extension (the system's own BMP reader, Copy's, takes a
  // BMP cut in half: the rest stays blank), valid ones under another, and texts that look like control numbers: only
  // "7" (which the window lacks) and "000001" name controls.
  const struct { const char* file; std::vector<Verb> decoded_by = {}; } broken[] = {
      {"zero.png"}, {"cut.png"}, {"noise.png"}, {"huge.png"}, {"zero.jpg"}, {"cut.jpg"}, {"noise.jpg"}, {"huge.jpg"},
      {"zero.gif"}, {"cut.gif"}, {"noise.gif"}, {"huge.gif"}, {"zero.tif"}, {"cut.tif"}, {"noise.tif"}, {"huge.tif"},
      {"zero.bmp"}, {"cut.bmp", {kCopy}}, {"noise.bmp"}, {"huge.bmp"}};
  for (const auto& source : broken) AddSources(rows, Label(source.file), Input(source.file), source.decoded_by);
  for (const char* misnamed : {"png_as.jpg", "jpg_as.png", "bmp_as.gif"})
    AddSources(rows, Label(misnamed), Input(misnamed), {kConvert, kGray, kLoad, kLoadReport, kCopy, kDraw, kDisplay});
  for (const char* number : {"0", "-1", "-32768", "7", "7.5", "32768", "40000", "abc"})
    AddSources(rows, "Number_" + Label(number), number);
  rows.push_back({"Number_000001", Do(kConvert, "000001", Out("png")), 1, {}, {.writes = true}});  // names control 1
  // Control numbers at both ends of their range, as sources and as the controls a load fills.
  const auto control = [](std::int16_t number, Call call) {
    return Around([=](Hostile& t) {
      t.field = number;
      t.host_.AddControl(t.target, number, 100, 10, 40, 30, ControlKind::Image);
      const std::string picture = Bytes(Sample("palette.png"));
      t.host_.WritePropertyBytes(Target::Of(t.target, number), Property::ImageFileBytes, picture.data(), picture.size());
      t.TakeHostCalls();
    }, call);
  };
  rows.insert(rows.end(), {{"Number_32767", control(32767, Do(kConvert, "32767", Out("png"))), 1, {}, {.writes = true}},
                           {"LoadIntoControl32767", control(32767, Do(kLoad, photo)), 1, {}, {.given = true}},
                           {"LoadIntoControlMinus32768", control(-32768, Do(kLoad, photo)), 1, {}, {.given = true}}});
  // A control's picture is written out (over a stale copy) before the target is looked at, and still removed.
  rows.push_back({"NumberToUnknownFormat", Around([](Hostile&) { WriteFileBytes("_vb_.xac", "stale"); },
                  Do(kGray, "1", Out("tga"))), 0, {"Invalid Format!"}});

  // Names: targets of up to 255 characters are written, no longer ones; sources name no file.
  for (std::size_t length : {255u, 256u, 1000u}) {
    const std::string target = kOut + std::string(length - 15, 'x') + ".png", n = std::to_string(length);
    const bool fits = length <= 255;
    // Conversions and resource saves refuse longer targets before the engine starts; captures write nothing (a cut
    // name could be another file's).
    rows.insert(rows.end(), {
        {"ConvertTarget" + n, Do(kConvert, photo, target), fits, {}, {.writes = fits, .no_engine = !fits}},
        {"GrayTarget" + n, Do(kGray, photo, target), fits, {}, {.writes = fits, .no_engine = !fits}},
        {"ResourceTarget" + n, Do(kSave, "LOGO", target), fits, {}, {.writes = fits, .no_engine = !fits}},
        {"CaptureTarget" + n, Do(kCapture, target.substr(0, length - 4) + ".bmp"), 0, {}, {.writes = fits}}});
    AddSources(rows, "Source" + n, std::string(length, 's') + ".bmp");
  }
  AddSources(rows, "Blank", "     ");
  for (const std::string sample : {"photo.png", "photo.bmp"}) {
    const std::string copy = "hostile-locked" + sample.substr(5);
    AddSources(rows, "Locked_" + Label(sample), copy, {},
               [=](Call call) { return Copied(sample, copy, Locked(copy, call)); });
  }
  for (const std::string& folder : {std::string("no-such-folder"), photo}) {  // missing, or a file
    const std::string at = folder + "\\" + Out("png"), label = folder == photo ? "FileAsFolder" : "MissingFolder";
    rows.insert(rows.end(), {{label + "Convert", Do(kConvert, photo, at), 0}, {label + "Gray", Do(kGray, photo, at), 0},
                             {label + "Resource", Do(kSave, "LOGO", at), 0}, {label + "Capture", Do(kCapture, at), 0}});
  }
  const std::string cp1252 = "hostile-in-\xe9t\xe9.png", kjj = TempDirectory() + "kjj___.bmp";
  rows.insert(rows.end(), {
      {"TrailingBlanks", Do(kConvert, photo + "    ", Out("png") + "   "), 1, {}, {.writes = true}},
      {"BlankTarget", Do(kConvert, photo, "    "), 0, {"Invalid Format!"}},
      {"BlankGrayTarget", Do(kGray, photo, "    "), 0, {"Invalid Format!"}},
      {"Cp1252Target", Do(kConvert, photo, std::string(kOut) + "-caf\xe9-\xc6\xf8.png"), 1, {}, {.writes = true}},
      {"Cp1252Source", Copied("photo.png", cp1252, Do(kConvert, cp1252, Out("jpg"))), 1, {}, {.writes = true}},
      {"ConvertInUnwritableFolder", Unwritable(Do(kConvert, FullPath(photo), Out("png"))), 0},
      {"ControlSourceInUnwritableFolder", Unwritable(Do(kConvert, "1", FullPath(Out("png")))), 1},
      {"CopyInUnwritableFolder", Unwritable(Do(kCopy, FullPath(photo))), 0, {kLoadFailed}},
      {"PasteInUnwritableFolder", Around(kPutPhoto, Unwritable(Do(kPaste))), 0, {}, {.clipboard = true}},
      {"LockedTarget", Locked(Out("png"), Do(kConvert, photo, Out("png"))), 0},
      {"LockedWorkingFile", Around([](Hostile&) {}, Locked(kjj, Do(kLoad, photo)), [=](Hostile&) { RemoveFile(kjj); }),
       ERROR_SHARING_VIOLATION},
      // "kjj___.bmp" held once converted: unreadable, the load refuses; read whole but undeletable, the image is
      // still given (and the file left for the next call to refuse).
      {"HeldWorkingFileUnreadable", On<HoldingPixet>(Do(kLoad, photo), DWORD{FILE_SHARE_WRITE | FILE_SHARE_DELETE}),
       ERROR_SHARING_VIOLATION},
      {"HeldWorkingFileUndeletable", Around([](Hostile&) {}, On<HoldingPixet>(Do(kLoad, photo),
       DWORD{FILE_SHARE_READ | FILE_SHARE_WRITE}), [=](Hostile&) { RemoveFile(kjj); }), 1, {}, {.window = true}},
      // A picture left in a working file is never shown or copied, also when it cannot be replaced.
      {"StaleWorkingFile", Copied("photo.bmp", kjj, Do(kLoad, Input("noise.png"))), kNoFile},
      {"ReadOnlyWorkingFile", Copied("photo.bmp", kjj, ReadOnly(kjj, Do(kLoadReport, photo))), ERROR_ACCESS_DENIED},
      {"StaleSavedFile", Copied("photo.bmp", "saved__0.bmp", Do(kPaste)), 0},
      {"StaleCopiedFile", Copied("photo.bmp", "__svcv.bmp", Do(kCopy, "missing.png")), 0, {kLoadFailed}},
  });
  // Nor one that cannot be made fresh, read-only or held open without delete sharing: the call fails as when
  // it cannot write that file.
  const std::pair<std::string, Hold> stuck[] = {
      {"ReadOnly", [](std::string file, Call call) { return ReadOnly(file, call); }},
      {"Held", [](std::string file, Call call) { return Locked(file, call, FILE_SHARE_READ | FILE_SHARE_WRITE); }}};
  for (const auto& [how, hold] : stuck) {
    const auto stale = [hold = hold](std::string file, Call call) { return Copied("photo.bmp", file, hold(file, call)); };
    rows.insert(rows.end(), {
        {"Stale" + how + "ControlFile", stale("_vb_.xac", Do(kConvert, "1", Out("png"))), 1},
        {"Stale" + how + "CopiedFile", stale("__svcv.bmp", Do(kCopy, Sample("palette.png"))), 0, {kLoadFailed}},
        {"Stale" + how + "SavedFile", Around(kPutPhoto, stale("saved__0.bmp", Do(kPaste))), 0, {}, {.clipboard = true}},
        {"Stale" + how + "WorkingFile", stale(kjj, Do(kLoad, photo)), how == "Held" ? ERROR_SHARING_VIOLATION
                                                                                    : ERROR_ACCESS_DENIED}});
  }

  // Downloads. The local name is what follows the last "/", query string included; a name
  // the system cannot hold, or that would name the folder itself or a device, stores nothing.
  const std::string img = "http://127.0.0.1:{port}/img/";
  const Step fail_open = [](Hostile& t) { t.handles_.Fail("InternetOpenW"); };
  for (const char* scheme : {"http", "HTTP", "HtTp"})
    rows.push_back(Fetch(std::string("Scheme_") + scheme, scheme + img.substr(4) + "dl.png", 1, "dl.png", "photo.png"));
  for (const char* segment : {"", ".", "..", "...", "NUL", "com1.png", "COM1:", "COM1:.png", "COM\xb9",
                              "lpt\xb2.gif", "Com\xb3.png"})
    rows.push_back(Fetch("NoFile_" + Label(segment), img + segment, kNoFile, "", kNone));
  rows.insert(rows.end(), {
      // The local path is cut at 80 characters, the name's own extension with it.
      Fetch("PathCutAt80", img + std::string(70, 'n') + ".png", 1, std::string(80 - TempDirectory().size(), 'n'),
            "photo.png"),
      Fetch("QueryNamesTheFile", img + "q?from=/dl-query.png", 1, "dl-query.png", "photo.png"),
      Fetch("QueryUnstorable", img + "dl-query.png?size=2", kNoFile, "dl-query.png", kNone),
      Fetch("BackslashTraversal", img + "..\\..\\dl-up.png", kNoFile, "dl-up.png", "no such image"),
      Fetch("Answer404", img + "missing-image", kNoFile, "missing-image", "no such image"),
      Fetch("Answer500", img + "error-image", kNoFile, "error-image", ""),
      Fetch("BodyCut", img + "cut-photo", kNoFile, "cut-photo", "photo.png", 30),
      Fetch("ServerNeverAnswers", img + "silent.png", kNoFile, "silent.png", ""),  // hangs up: an empty body
      // Past the cut the answer would be a 404 page.
      Fetch("AddressCutAt511", img + "{pad}/dl-long.png" + std::string(89, 'x') + "   ", 1, "dl-long.png", "photo.png"),
      // Not addresses: the secure scheme, and any text given to the report overload.
      Fetch("SecureScheme", "https" + img.substr(4) + "dl-secure.png", kNoFile, "dl-secure.png", kNone),
      {"Download_ReportTakesNone", Around([](Hostile&) {}, Do(kLoadReport, img + "dl-report.png"), [](Hostile&) {
         EXPECT_FALSE(FileExists(TempDirectory() + "dl-report.png"));
       }), kNoFile},
      {"Download_NothingListens", Do(kLoad, "http://127.0.0.1:{closed}/a.png"), 0,
       {"An error occurred calling InternetOpenUrl function!"}},
      {"Download_InternetOpenFails", Around(fail_open, Do(kLoad, img + "a.png")), 0,
       {"An error occurred calling InternetOpen function!"}},
      // An older file under the name that cannot be replaced is not loaded in the body's place. (Windows also
      // refuses to replace a read-only one; Wine's MoveFileEx replaces it, so only a held one shows here.)
      Fetch("StaleHeldName", img + "dl-stale.png", kNoFile, "dl-stale.png", "palette.png", std::string::npos,
            [](std::string file, Call call) { return Locked(file, call, FILE_SHARE_READ | FILE_SHARE_WRITE); }),
  });

  // Images from the web: certificates the system checks, redirects, statuses and limits (set as a C host sets them).
  // The body's own file never stays (the fixture looks for it).
  const std::string web = "https://localhost:{tls}/img/";
  const auto limits = [](int ms, unsigned bytes, Call call) {
    return Around([=](Hostile& t) { PixetSetWebTimeout(t.object, ms); PixetSetWebSizeLimit(t.object, bytes); }, call);
  };
  const auto within = [](DWORD ms, Call call, DWORD from = 0) -> Call {  // never a hang: the call ends in time
    return [=](Hostile& t) {
      const DWORD start = ::GetTickCount();
      const std::int32_t result = call(t);
      const DWORD took = ::GetTickCount() - start;
      EXPECT_TRUE(took >= from && took < ms) << took << " ms, not in [" << from << ", " << ms << ")";
      return result;
    };
  };
  const auto unread = [](Call call) -> Call {  // not one read of the body
    return Around([](Hostile&) {}, call, [](Hostile& t) { EXPECT_EQ(t.handles_.reads, 0) << "the body was read"; });
  };
  const Texts refused = {"The web server's certificate was not accepted!"}, late = {"The web server did not answer in time!"},
              large = {"The image is larger than the size limit!"};
  rows.insert(rows.end(), {
      {"Web_Trusted", Do(kWeb, web + "photo.png"), 1, {}, {.window = true}},
      {"Web_SchemeInCapitals", Do(kWeb, "HTTPS://LOCALHOST:{tls}/img/photo.png  "), 1, {}, {.window = true}},
      {"Web_PlainHttp", Do(kWeb, "hTTp://127.0.0.1:{port}/img/photo.png"), 1, {}, {.window = true}},
      {"Web_UntrustedAuthority", Do(kWeb, "https://localhost:{untrusted}/img/photo.png"), 0, refused},
      {"Web_CertificateForAnotherName", Do(kWeb, "https://localhost:{other}/img/photo.png"), 0, refused},
      {"Web_Redirect301", Do(kWeb, web + "moved?to=/img/photo.png"), 1, {}, {.window = true}},
      {"Web_Redirect308", Do(kWeb, web + "kept?to=/img/photo.png"), 1, {}, {.window = true}},
      {"Web_FiveRedirects302", Do(kWeb, web + "hop5.png"), 1, {}, {.window = true}},
      {"Web_SixRedirects", Do(kWeb, web + "hop6.png"), 0, {"Too many redirects (more than 5)!"}},
      {"Web_RedirectToHttp", Do(kWeb, web + "go?to=http://127.0.0.1:{port}/img/photo.png"), 0,
       {"A redirect from https to http was refused!"}},
      {"Web_Answer404", Do(kWeb, web + "missing-image"), 0, {"The web server answered with status 404!"}},
      {"Web_Answer500", Do(kWeb, web + "error-image"), 0, {"The web server answered with status 500!"}},
      {"Web_ServerNeverAnswers", limits(1000, 0, within(3000, Do(kWeb, web + "stall.png"))), 0, late},
      // The send it stopped waiting for goes on, holding the library, till the server hangs up (after 3 s).
      {"Web_HandshakeNeverAnswers", limits(1000, 0, within(3000, Do(kWeb, "https://localhost:{mute}/a.png"))), 0, late},
      {"Web_OverSizeLimit", limits(0, 1000, Do(kWeb, web + "photo.png")), 0, {"The image is larger than the size limit!"}},
      {"Web_AtSizeLimitUnannounced", limits(0, unsigned(Bytes(photo).size()), Do(kWeb, web + "unsized-photo")), 1, {},
       {.window = true}},
      {"Web_OverSizeLimitUnannounced", limits(0, 1000, Do(kWeb, web + "unsized-photo")), 0,
       {"The image is larger than the size limit!"}},
      {"Web_BodyCut", Do(kWeb, web + "cut-photo"), 0, {"The download was cut off before its end!"}},
      {"Web_NothingListens", Do(kWeb, "http://127.0.0.1:{closed}/a.png"), 0,
       {"An error occurred calling InternetOpenUrl function!"}},
      {"Web_NotAnAddress", Do(kWeb, photo), 0, {"Not a web address: give an http:// or https:// address!"}},
      {"Web_BodyFileFails", Failing("CreateFileW", Do(kWeb, web + "photo.png")), 0,
       {"The download could not be written to the temporary folder!"}},
      // A length announced at the limit is not refused: the body is awaited.
      {"Web_AnnouncedAtSizeLimit", limits(1000, 1001, Do(kWeb, web + "declared1001")), 0, late},
      {"Web_AnnouncedOverDefaultSizeLimit", limits(5000, 0, unread(within(4000, Do(kWeb, web + "declared268435457")))),
       0, large},
      {"Web_PauseOverTimeLimit", limits(300, 0, Do(kWeb, web + "pause-photo.png")), 0, late},
  });
  // Through both forms: a body that stops after its first bytes ends at the time limit; a length announced over
  // the size limit is refused at once, before any read (the server sends no body: a read would wait out the limit).
  for (const auto& [verb, form] : {std::pair{kWeb, ""}, std::pair{kWebC, "_C"}})
    rows.insert(rows.end(), {
        {"Web_BodyStalls" + std::string(form), limits(1000, 0, within(3500, Do(verb, web + "stuck-photo.png"), 1000)),
         0, late},
        {"Web_AnnouncedOverSizeLimit" + std::string(form),
         limits(5000, 1000, unread(within(4000, Do(verb, web + "declared1001")))), 0, large},
    });
  // A limit given back to its default by 0 (or a time below 0) reads as the default again and lets through what
  // the small limit stopped: a body that pauses for 0.8 s mid-way (over 300 ms: Web_PauseOverTimeLimit), photo.png
  // (over 1000 bytes: Web_OverSizeLimit).
  const struct { const char* name; Verb verb; int value; bool time; } resets[] = {
      {"TimeoutByZero", kWeb, 0, true}, {"TimeoutByNegative_C", kWebC, -1, true}, {"SizeLimitByZero", kWeb, 0, false},
      {"SizeLimitByZero_C", kWebC, 0, false}};
  for (const auto& r : resets)
    rows.push_back({std::string("Web_Reset") + r.name, Around([r](Hostile& t) {
      Pixet* p = t.object;
      const bool c = r.verb == kWebC;
      if (r.time) {
        p->SetWebTimeout(300);
        c ? PixetSetWebTimeout(p, r.value) : p->SetWebTimeout(r.value);
        EXPECT_EQ(c ? PixetGetWebTimeout(p) : p->WebTimeout(), 30000);
      } else {
        p->SetWebSizeLimit(1000);
        c ? PixetSetWebSizeLimit(p, r.value) : p->SetWebSizeLimit(r.value);
        EXPECT_EQ(c ? PixetGetWebSizeLimit(p) : p->WebSizeLimit(), 268435456u);
      }
    }, Do(r.verb, web + (r.time ? "pause-photo.png" : "photo.png"))), 1, {}, {.window = true}});

  // The engine refuses to start: every method that needs it says so, and changes nothing.
  for (const Method& m : kMethods)
    rows.push_back({std::string("EngineRefuses_") + m.label, EngineRefuses(Do(m.verb, photo, Out("png"))),
                    m.verb == kLoad || m.verb == kLoadReport ? kNoFile : 0,  // no converted file to open
                    m.verb == kCopy || m.verb == kCopyAlpha ? Texts{"Error initializing GDI+", kLoadFailed}
                                                            : Texts{"Error initializing GDI+"}});

  // Out of memory inside the library: nothing thrown gets out, the method gives its failure value. Drawing and
  // display first turn the image's name to wide text, which then gives none: they go on as for a missing image.
  for (const Method& m : kMethods) {
    const bool soft = m.verb == kDraw || m.verb == kDisplay;
    rows.push_back({std::string("OutOfMemory_") + m.label, Failing("malloc", Do(m.verb, FullPath(photo), Out("png"))),
                    soft ? m.none : 0, {}, soft ? m.always : Effects{}});
  }

  // Host oddities: missing controls, odd window sizes, no current window.
  rows.insert(rows.end(), {
      {"MissingControl_Load", Around(kOn99, Do(kLoad, photo)), 1, {}, {.given = true}},
      {"MissingControl_LoadReport", Around(kOn99, Do(kLoadReport, photo)), 1, {}, {.given_report = true}},
      {"MissingControl_Draw", Around(kOn99, Do(kDraw, photo)), 1, {}, {.drawn = true}},
      {"MissingControl_Display", Around(kOn99, Do(kDisplay, photo)), 1, {}, {.shown = true}}});
  for (int width : {0, 40000}) {
    const std::string n = std::to_string(width);
    rows.push_back({"DisplayInWindowOf" + n, InWindow(width, width / 1000, Do(kDisplay, photo)), 1, {}, {.shown = true}});
    rows.push_back({"DrawInWindowOf" + n, InWindow(width, width / 1000, Do(kDraw, photo)), 1, {}, {.drawn = true}});
  }
  const auto resource = [](std::string module, Call call) {  // the switch on and `module` named, as a host sets them
    return Around([=](Hostile& t) { t.pixet_->USERESOURCE = 1; module.copy(t.pixet_->RESOURCESDLLNAME, 127); }, call);
  };
  const auto rect = [](int x, int y, int width, int height) -> Call {
    return [=](Hostile& t) { t.pixet_->CaptureClientRectToBmp(kBmp, x, y, width, height); return 0; };
  };
  const Step empty = [](Hostile&) { ::OpenClipboard(nullptr); ::EmptyClipboard(); ::CloseClipboard(); };
  rows.insert(rows.end(), {
      // The clipboard: empty, text only, a DIB only, held by another window.
      {"PasteEmpty", Around(empty, Do(kPaste), [](Hostile&) { PutText(kClipText); }), 0},
      {"PasteTextOnly", Do(kPaste), 0},
      {"PasteDibOnly", Around([](Hostile&) { PutDibOnly(FilePixels(Sample("photo.png"))); }, Do(kPaste)), 1, {},
       {.window = true, .clipboard = true, .pasted = true}},
      // The host still reads why the paste failed once the call has cleaned up after itself.
      {"PasteWhileHeld", Around(kPutPhoto, Held(Around([](Hostile&) {}, Do(kPaste), [](Hostile&) {
         EXPECT_EQ(::GetLastError(), DWORD{ERROR_ACCESS_DENIED}) << "the error was lost";
       }))), 0, {}, {.clipboard = true}},
      {"CopyWhileHeld_bmp", Held(Do(kCopy, Sample("photo.bmp"))), 0, {kPasteFailed}},
      {"CopyWhileHeld_png", Held(Do(kCopy, photo)), 0, {kPasteFailed}},
      {"CopyAlphaWhileHeld", Held(Do(kCopyAlpha, photo)), 0, {kPasteFailed}},
      // Pasting into a file, and the screen's captures.
      {"PasteTo", Around(kPutPhoto, Do(kPasteTo, Out("png"))), 1, {}, {.writes = true, .clipboard = true}},
      {"PasteToTextOnly", Do(kPasteTo, Out("png")), 0},
      {"PasteToWhileHeld", Around(kPutPhoto, Held(Do(kPasteTo, Out("png")))), 0, {}, {.clipboard = true}},
      {"PasteToBadExtension", Around(kPutPhoto, Do(kPasteTo, Out("xyz"))), 0, {"Invalid Format!"}, {.clipboard = true}},
      {"PasteToUnwritableFolder", Around(kPutPhoto, Unwritable(Do(kPasteTo, "pasted.png"))), 0, {}, {.clipboard = true}},
      {"PasteToNameOf300", Around(kPutPhoto, Do(kPasteTo, std::string(300, 'p') + ".png")), 0, {}, {.clipboard = true}},
      {"Screen", Do(kScreen, Out("png"), "0"), 1, {}, {.writes = true}},
      {"ScreenMissingMonitor", Do(kScreen, Out("png"), "9"), 0},
      {"ScreenNegativeMonitor", Do(kScreen, Out("png"), "-1"), 0},
      {"ScreenBadExtension", Do(kScreen, Out("xyz"), "0"), 0, {"Invalid Format!"}},
      {"ScreenUnwritableFolder", Unwritable(Do(kScreen, "screen.png", "0")), 0},
      // Resources: missing names and modules, broken images.
      {"MissingName", Do(kSave, "NOSUCHIMAGE", Out("png")), 1}, {"NameOf300", Do(kSave, long_name, Out("png")), 1},
      {"MissingNameInModule", Do(kSaveFrom, "NOSUCHIMAGE", module), 1},
      {"MissingModule", Do(kSaveFrom, "LOGO", "no-such-module.dll"), 1, {kNoModule}},
      {"BlankModule", Do(kSaveFrom, "LOGO", "    "), 1, {"Can't load "}},
      {"ModuleNameOf300", Do(kSaveFrom, "LOGO", std::string(300, 'm')), 1, {"Can't load " + std::string(127, 'm')}},
      {"NotAnImage", Do(kSaveFrom, "BROKEN", module), 1}, {"TruncatedImage", Do(kSaveFrom, "TRUNCATED", module), 1},
      {"BadExtension", Do(kSave, "LOGO", Out("xyz")), 0, {"Invalid Format!"}},
      {"HandleMissingName", Do(kHandle, "NOSUCHIMAGE", module), 0},
      {"HandleMissingModule", Do(kHandle, "LOGO", "no-such-module.dll"), 0, {kNoModule}},
      {"DisplayMissingResource", resource("", Do(kDisplay, "NOSUCHIMAGE")), 1, {}, {.shown = true}},
      {"DrawFromMissingModule", resource("no-such-module.dll", Do(kDraw, "LOGO")), 1, {kNoModule}, {.drawn = true}},
      // The system refuses the picture control: the control is told it has none, and the picture goes with it.
      {"PictureControlRefused", Failing("CreateWindowExA", Do(kDisplay, photo)), 1, {}, {.refused = true}},
      {"BackgroundInZeroSizeWindow", InWindow(0, 0, Do(kBackground, photo)), 0, {}, {.shown = true}},
      {"CaptureZeroSizeWindow", InWindow(0, 0, Do(kCapture, kBmp)), 0},
      {"CaptureRectOf40000", rect(0, 0, 40000, 4), 0, {}, {.writes = true}},
      {"CaptureNegativeRect", rect(10, 10, -40000, -5), 0},
      {"CaptureWithNoCurrentWindow",
       Around([](Hostile&) { DesktopHost::SetCurrentWindow(nullptr); }, Do(kCaptureWindow, kBmp)), 0},
  });

  // Every method of an object that cannot use the engine: one whose flag was cleared, and
  // one whose binding failed. None may start the engine; an address is still downloaded.
  const Row unbound[] = {
      {"Convert", Do(kConvert, photo, Out("png")), 0}, {"Gray", Do(kGray, photo, Out("png")), 0},
      {"LoadWindow", Do(kLoad, photo), 0}, {"LoadReport", Do(kLoadReport, photo), 0}, {"Paste", Do(kPaste), 0},
      {"Display", Do(kDisplay, photo), 0}, {"Background", Do(kBackground, photo), 0}, {"Draw", Do(kDraw, photo), 0},
      {"SaveResource", Do(kSave, "LOGO", Out("png")), 0}, {"ResourceHandle", Do(kHandle, "LOGO"), 0},
      {"EncoderClsid", Do(kEncoder, "image/png"), 0}, {"CopyConverted", Do(kCopy, photo), 0, {kLoadFailed}},
      {"ResourceHandleFromMissingModule", Around([](Hostile& t) { t.object->USERESOURCE = 1; },
       Do(kHandle, "LOGO", "no-such-module.dll"), [](Hostile& t) { EXPECT_EQ(t.object->USERESOURCE, 0); }), 0,
       {kNoModule}},
      Fetch("", img + "dl-unbound.png", 0, "dl-unbound.png", "photo.png"), {"Web", Do(kWeb, web + "photo.png"), 0}};
  const Step cleared = [](Hostile& t) { t.pixet_->ENGINELOADED = 0; };
  for (Row row : unbound) {
    rows.push_back({"EngineFlagCleared_" + row.name, Around(cleared, row.call), 0, row.messages, {.no_engine = true}});
    row.messages.insert(row.messages.begin(), "Cannot obtain function pointers");
    rows.push_back({"BindingFailed_" + row.name, On<UnboundPixet>(row.call), 0, row.messages, {.no_engine = true}});
  }
  return rows;
}

TEST_P(Hostile, Row) {
  const Row& row = GetParam();
  RemoveOutputs();
  WriteFileBytes(Out("png"), kOld);
  const std::string picture = Bytes(Sample("palette.png"));  // 40 x 30
  for (const auto& control : {Target::Of(window_, kImage), Target::Of(report_, kImage)})
    host_.WritePropertyBytes(control, Property::ImageFileBytes, picture.data(), picture.size());
  TakeHostCalls();  // the test's own
  PutText(kClipText);

  EXPECT_EQ(row.call(*this), row.result);
  EXPECT_EQ(TakeMessages(), row.messages);
  const std::string window = target == window_ ? "window" : "odd", at = " " + std::to_string(field);
  const Effects& e = row.effects;
  Texts host;
  if (e.pasted)
    host = {"text window" + at + " ControlText=", "text window" + at + " ControlText=saved__0.bmp",
            "redraw window" + at};
  else if (e.window || e.report || e.given || e.given_report)
    host = {"bytes " + std::string(e.report || e.given_report ? "report" : window) + at + " ImageFileBytes=BM"};
  if (e.shown || e.refused)
    host = ShownCalls(static_cast<std::int16_t>(field), e.refused ? nullptr : pixet_->HPICTUREBOX, window);
  if (e.drawn) host = DrawnCalls(window);
  EXPECT_EQ(TakeHostCalls(), host);
  EXPECT_TRUE(!e.no_engine || engine_.Startups() == 0) << "the engine was started";
  std::vector<std::string> changed;  // files under kOut, but for the target with its old bytes
  for (const std::string& file : FilesStartingWith(kOut))
    if (file != Out("png") || Bytes(file) != kOld) changed.push_back(file);
  EXPECT_EQ(changed.size(), e.writes ? 1u : 0u) << (changed.empty() ? "" : changed[0]);
  EXPECT_TRUE(e.writes ? !changed.empty() && Decode(changed[0]).ok : Bytes(Out("png")) == kOld)
      << "no image written, or the target not kept";
  // Each control holds its old picture, or the BMP bytes of the photo.
  const auto expect_control = [&](auto* owner, bool loaded) {
    const auto state = host_.State(owner, kImage);
    const std::string held(state.imageBytes->begin(), state.imageBytes->end());
    const auto size = state.shownImage;
    EXPECT_TRUE(loaded ? held.rfind("BM", 0) == 0 && size.width == 64 && size.height == 48 : held == picture)
        << (loaded ? "no photo in the control" : "the control changed");
  };
  expect_control(window_, e.window);
  expect_control(report_, e.report);
  const Pixels clip = ClipboardPixels();
  EXPECT_TRUE(e.clipboard ? clip.width == 64 && clip.height == 48 : ClipboardText() == kClipText)
      << "the clipboard does not hold " << (e.clipboard ? "the photo" : "its text");
  RemoveOutputs();
}

std::string RowName(const ::testing::TestParamInfo<Row>& info) { return info.param.name; }
INSTANTIATE_TEST_SUITE_P(All, Hostile, ::testing::ValuesIn(Rows()), RowName);

}  // namespace
