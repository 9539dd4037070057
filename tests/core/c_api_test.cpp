// The flat C interface: every function reaches its slot with its arguments and returns
// the method's result; fields; nothing thrown escapes; the host made of callbacks.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <functional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <type_traits>
#include <vector>

#include "pixet/pixet.h"
#include "pixet/pixet_c.h"
#include "support/test_support.h"

#undef LoadImage

using namespace pixet::testing;

namespace {

std::string Show(const char* text) { return text != nullptr ? text : "(null)"; }
template <class T>
std::string Show(T* pointer) {
  return std::to_string(reinterpret_cast<std::uintptr_t>(pointer));
}
std::string Show(long long number) { return std::to_string(number); }

// "Name(arg,arg,...)"
template <class... Args>
std::string CallText(const char* name, Args... args) {
  std::ostringstream out;
  out << name << '(';
  ((out << Show(args) << ','), ...);
  out << ')';
  return out.str();
}

// Records each call it gets; slot N returns 100 + N (slot 17 a value wider than 32 bits
// where pointers are).
class Spy : public Pixet {
 public:
  std::string last;
  bool throws = false;
  static constexpr std::intptr_t kHandle = sizeof(void*) > 4 ? (std::intptr_t{1} << 40) + 117 : 117;

  void CaptureDesktopToBmp(const char* f) override { Note("CaptureDesktopToBmp", f); }
  void CaptureClientToBmp(const char* f) override { Note("CaptureClientToBmp", f); }
  void CaptureClientRectToBmp(const char* f, std::int32_t x, std::int32_t y, std::int32_t w,
                              std::int32_t h) override {
    Note("CaptureClientRectToBmp", f, x, y, w, h);
  }
  void CaptureWindowToBmp(const char* f) override { Note("CaptureWindowToBmp", f); }
  std::int32_t ConvertImage(const char* s, const char* t) override { return Note("ConvertImage", s, t), 104; }
  std::int32_t ConvertToGrayscaleImage(const char* s, const char* t) override {
    return Note("ConvertToGrayscaleImage", s, t), 105;
  }
  std::int32_t CopyToClipboard(const char* f) override { return Note("CopyToClipboard", f), 106; }
  std::int32_t CreatePictureBox(PixetHostWindow* w, std::int16_t c, std::int32_t whole) override {
    return Note("CreatePictureBox", w, c, whole), 107;
  }
  std::int32_t DrawImage(PixetHostWindow* w, const char* i, std::int16_t c, std::int32_t whole,
                         std::int32_t unused) override {
    return Note("DrawImage", w, i, c, whole, unused), 108;
  }
  std::int32_t LoadImage(PixetHostWindow* w, const char* s, std::int16_t c) override {
    return Note("LoadImage", w, s, c), 109;
  }
  std::int32_t LoadImageFromClipboard(PixetHostWindow* w, std::int16_t c) override {
    return Note("LoadImageFromClipboard", w, c), 110;
  }
  std::int32_t LoadImage(PixetHostReport* r, const char* s, std::int16_t c) override {
    return Note("LoadImage", r, s, c), 111;
  }
  std::int32_t DisplayImage(PixetHostWindow* w, const char* i, std::int16_t c, std::int32_t whole,
                            std::int32_t colours) override {
    return Note("DisplayImage", w, i, c, whole, colours), 112;
  }
  std::int32_t DisplayImageAsBackground(PixetHostWindow* w, const char* i, std::int32_t unused) override {
    return Note("DisplayImageAsBackground", w, i, unused), 113;
  }
  void GetEncoderClsid(const char* mime, _GUID* clsid) override { Note("GetEncoderClsid", mime, clsid); }
  std::int32_t GetFunctionPointers() override {
    if (!armed_) return Pixet::GetFunctionPointers();  // Create binds the real engine first
    return Note("GetFunctionPointers"), 115;
  }
  void ResizeImage() override { Note("ResizeImage"); }
  std::intptr_t ImageHandleFromResource(const char* n, const char* m) override {
    return Note("ImageHandleFromResource", n, m), kHandle;
  }
  std::int32_t SaveResourceToFile(const char* n, const char* f, const char* m) override {
    return Note("SaveResourceToFile", n, f, m), 118;
  }

  void Arm() { armed_ = true; }

 private:
  template <class... Args>
  void Note(const char* name, Args... args) {
    if (throws) throw std::runtime_error(name);
    last = CallText(name, static_cast<std::conditional_t<std::is_integral_v<Args>, long long, Args>>(args)...);
  }
  bool armed_ = false;
};

constexpr long long kNone = -1;  // for methods without a result

struct Row {
  std::function<long long()> call;
  long long result;
  std::string expected;
};

TEST(CApi, EachFunctionReachesItsSlotWithItsArgumentsAndGivesItsResult) {
  auto spy = Pixet::Create<Spy>();
  spy->Arm();
  PixetObject* o = spy.get();
  auto* w = reinterpret_cast<PixetHostWindow*>(std::uintptr_t{0x1000});
  auto* r = reinterpret_cast<PixetHostReport*>(std::uintptr_t{0x2000});
  GUID g{};
  const char* none = nullptr;
  const std::vector<Row> rows = {
      {[&] { return PixetCaptureDesktopToBmp(o, "d.bmp"), kNone; }, kNone, CallText("CaptureDesktopToBmp", "d.bmp")},
      {[&] { return PixetCaptureClientToBmp(o, "c.bmp"), kNone; }, kNone, CallText("CaptureClientToBmp", "c.bmp")},
      {[&] { return PixetCaptureClientRectToBmp(o, "r.bmp", 1, -2, 3, 4), kNone; }, kNone,
       CallText("CaptureClientRectToBmp", "r.bmp", 1LL, -2LL, 3LL, 4LL)},
      {[&] { return PixetCaptureWindowToBmp(o, "w.bmp"), kNone; }, kNone, CallText("CaptureWindowToBmp", "w.bmp")},
      {[&] { return PixetConvertImage(o, "a.png", "b.jpg"); }, 104, CallText("ConvertImage", "a.png", "b.jpg")},
      {[&] { return PixetConvertToGrayscaleImage(o, "a.png", "g.tif"); }, 105,
       CallText("ConvertToGrayscaleImage", "a.png", "g.tif")},
      {[&] { return PixetCopyToClipboard(o, "a.png"); }, 106, CallText("CopyToClipboard", "a.png")},
      {[&] { return PixetCreatePictureBox(o, w, 7, 1); }, 107, CallText("CreatePictureBox", w, 7LL, 1LL)},
      {[&] { return PixetDrawImage(o, w, "i.png", -3, 0, 9); }, 108, CallText("DrawImage", w, "i.png", -3LL, 0LL, 9LL)},
      {[&] { return PixetLoadImage(o, w, "l.png", 4); }, 109, CallText("LoadImage", w, "l.png", 4LL)},
      {[&] { return PixetLoadImageFromClipboard(o, w, 5); }, 110, CallText("LoadImageFromClipboard", w, 5LL)},
      {[&] { return PixetLoadReportImage(o, r, "r.png", 32767); }, 111, CallText("LoadImage", r, "r.png", 32767LL)},
      {[&] { return PixetDisplayImage(o, w, "s.png", 8, 1, 0); }, 112,
       CallText("DisplayImage", w, "s.png", 8LL, 1LL, 0LL)},
      {[&] { return PixetDisplayImageAsBackground(o, w, "b.png", 2); }, 113,
       CallText("DisplayImageAsBackground", w, "b.png", 2LL)},
      {[&] { return PixetGetEncoderClsid(o, "image/png", &g), kNone; }, kNone,
       CallText("GetEncoderClsid", "image/png", &g)},
      {[&] { return PixetGetFunctionPointers(o); }, 115, CallText("GetFunctionPointers")},
      {[&] { return PixetResizeImage(o), kNone; }, kNone, CallText("ResizeImage")},
      {[&] { return PixetImageHandleFromResource(o, "LOGO", nullptr); }, Spy::kHandle,
       CallText("ImageHandleFromResource", "LOGO", none)},
      {[&] { return PixetSaveResourceToFile(o, "LOGO", "l.bmp", "res.dll"); }, 118,
       CallText("SaveResourceToFile", "LOGO", "l.bmp", "res.dll")},
  };
  for (const Row& row : rows) {
    spy->last.clear();
    EXPECT_EQ(row.call(), row.result) << row.expected;
    EXPECT_EQ(spy->last, row.expected);
  }

  // A method that throws gives 0 (or nothing), and the exception stays inside. In the
  // 32-bit build each module links its own DWARF unwinder, so an exception thrown by
  // code in this program cannot unwind through the library's frames at all (the
  // process terminates); there the guard can only stop what the library throws itself.
#if defined(__x86_64__)
  spy->throws = true;
  for (const Row& row : rows) EXPECT_EQ(row.call(), row.result == kNone ? kNone : 0) << row.expected;
#endif
}

TEST(CApi, ANullHandleGivesZeroAndDoesNothing) {
  EXPECT_EQ(PixetConvertImage(nullptr, "a.png", "b.png"), 0);
  EXPECT_EQ(PixetImageHandleFromResource(nullptr, "LOGO", nullptr), 0);
  EXPECT_EQ(PixetEngineLoaded(nullptr), 0);
  EXPECT_EQ(PixetUsedResourceName(nullptr, 0), nullptr);
  EXPECT_EQ(PixetGetResourcesDllName(nullptr, nullptr, 0), 0);
  PixetCaptureDesktopToBmp(nullptr, "never.bmp");
  PixetSetResourcesDllName(nullptr, "x.dll");
  PixetDelete(nullptr);
}

TEST(CApi, NewObjectConvertsAndShowsItsFields) {
  ClearMessages();
  PixetObject* o = PixetNew();
  ASSERT_NE(o, nullptr);
  EXPECT_EQ(PixetEngineLoaded(o), 1);
  const std::string target = Output("c-api.jpg");
  EXPECT_EQ(PixetConvertImage(o, Sample("photo.png").c_str(), target.c_str()), 1);
  EXPECT_EQ(Decode(target).format, "jpeg");
  ExpectForIdentify("c-api.jpg", "jpeg", 64, 48);

  ASSERT_EQ(PixetUsedResourceCount(o), 4);
  EXPECT_STREQ(PixetUsedResourceName(o, 0), "LOGO");
  EXPECT_STREQ(PixetUsedResourceName(o, 3), "");
  EXPECT_EQ(PixetUsedResourceName(o, 4), nullptr);
  EXPECT_EQ(PixetUsedResourceName(o, -1), nullptr);

  PixetSetUseResource(o, 1);
  EXPECT_EQ(o->USERESOURCE, 1);
  EXPECT_EQ(PixetGetUseResource(o), 1);

  PixetSetResourcesDllName(o, "res.dll");
  EXPECT_EQ(std::string(o->RESOURCESDLLNAME, 128), "res.dll" + std::string(121, ' '));
  char name[8];
  EXPECT_EQ(PixetGetResourcesDllName(o, name, sizeof name), 7);
  EXPECT_STREQ(name, "res.dll");
  char cut[4];
  EXPECT_EQ(PixetGetResourcesDllName(o, cut, sizeof cut), 7) << "the full length, as snprintf";
  EXPECT_STREQ(cut, "res");
  PixetSetResourcesDllName(o, std::string(200, 'x').c_str());
  EXPECT_EQ(std::string(o->RESOURCESDLLNAME, 128), std::string(128, 'x'));
  EXPECT_EQ(PixetGetResourcesDllName(o, nullptr, 0), 128);
  PixetSetResourcesDllName(o, nullptr);
  EXPECT_EQ(PixetGetResourcesDllName(o, nullptr, 0), 0);

  EXPECT_EQ(PixetPictureBox(o), nullptr);
  o->HPICTUREBOX = reinterpret_cast<HWND>(std::uintptr_t{0x55});
  EXPECT_EQ(PixetPictureBox(o), reinterpret_cast<void*>(std::uintptr_t{0x55}));
  o->HPICTUREBOX = nullptr;
  PixetDelete(o);
  EXPECT_TRUE(Messages().empty());
}

// A C host: callbacks that write what they get into the user's list.
std::vector<std::string>& Log(void* user) { return *static_cast<std::vector<std::string>*>(user); }
std::string Target(const PixetHostTarget* t) {
  std::ostringstream out;
  out << t->kind << ' ' << Show(t->window) << ' ' << Show(t->report) << ' ' << t->field;
  return out.str();
}
PixetIntPtr PIXET_C_CALL Read(void* user, const PixetHostTarget* t, int id) {
  Log(user).push_back("read " + Target(t) + " " + std::to_string(id));
  return 0x7777;
}
void PIXET_C_CALL Write(void* user, const PixetHostTarget* t, int id, PixetIntPtr value) {
  Log(user).push_back("write " + Target(t) + " " + std::to_string(id) + " " + std::to_string(value));
}
void PIXET_C_CALL WriteText(void* user, const PixetHostTarget* t, int id, const char* text) {
  Log(user).push_back("text " + Target(t) + " " + std::to_string(id) + " " + Show(text));
}
void PIXET_C_CALL WriteBytes(void* user, const PixetHostTarget* t, int id, const void* bytes, size_t size) {
  Log(user).push_back("bytes " + Target(t) + " " + std::to_string(id) + " " +
                      std::string(static_cast<const char*>(bytes), size));
}
void PIXET_C_CALL Redraw(void* user, const PixetHostTarget* t) { Log(user).push_back("redraw " + Target(t)); }
void PIXET_C_CALL Message(void* user, const char* text, const char* caption, int icon) {
  Log(user).push_back("message " + Show(text) + " " + Show(caption) + " " + std::to_string(icon));
}

PixetHostCallbacks AllCallbacks(std::vector<std::string>* log) {
  PixetHostCallbacks c{};
  c.user = log;
  c.readProperty = Read;
  c.writeProperty = Write;
  c.writePropertyText = WriteText;
  c.writePropertyBytes = WriteBytes;
  c.redraw = Redraw;
  c.showMessage = Message;
  return c;
}

using pixet::HostProperty;
using pixet::HostTarget;

TEST(CApiCallbackHost, EveryHostOperationReachesItsCallback) {
  ScopedHost restore(DefaultHost());
  std::vector<std::string> log;
  PixetHostCallbacks callbacks = AllCallbacks(&log);
  ASSERT_EQ(PixetRegisterCallbackHost(&callbacks), 1);
  callbacks.readProperty = nullptr;  // the registered host keeps its own copy
  pixet::HostRuntime* host = PixetRegisteredHost();
  ASSERT_NE(host, nullptr);
  ASSERT_NE(host, DefaultHost());

  auto* w = reinterpret_cast<PixetHostWindow*>(std::uintptr_t{0x1000});
  auto* r = reinterpret_cast<PixetHostReport*>(std::uintptr_t{0x2000});
  EXPECT_EQ(host->ReadProperty(HostTarget::Of(w, 3), HostProperty::Width), 0x7777);
  host->WriteProperty(HostTarget::Of(r, 2), HostProperty::Left, -5);
  host->WritePropertyText(HostTarget::Current(4), HostProperty::ControlText, "file.png");
  host->WritePropertyBytes(HostTarget::System(), HostProperty::ImageFileBytes, "BM\0x", 4);
  host->Redraw(HostTarget::Current(0));
  host->ShowMessage("Text|line", "Caption", pixet::MessageIcon::Information);
  host->ShowMessage("plain", nullptr, pixet::MessageIcon::None);
  EXPECT_EQ(log, (std::vector<std::string>{
                     "read 1 4096 0 3 31748",
                     "write 2 0 8192 2 31746 -5",
                     "text 3 0 0 4 31744 file.png",
                     "bytes 0 0 0 0 31892 " + std::string("BM\0x", 4),
                     "redraw 3 0 0 0",
                     "message Text|line Caption 64",
                     "message plain (null) 0",
                 }));

  // A real method's message box goes to the callbacks.
  log.clear();
  PixetObject* o = PixetNew();
  EXPECT_EQ(PixetConvertImage(o, Sample("photo.png").c_str(), "c-api.xyz"), 0);
  PixetDelete(o);
  EXPECT_EQ(log, std::vector<std::string>{"message Invalid Format! (null) 0"});
}

TEST(CApiCallbackHost, ReplacedHostsAndMissingCallbacksStayQuiet) {
  ScopedHost restore(DefaultHost());
  std::vector<std::string> first_log, second_log;
  PixetHostCallbacks first = AllCallbacks(&first_log);
  PixetHostCallbacks second{};
  second.user = &second_log;
  second.redraw = Redraw;  // the only operation this host has
  ASSERT_EQ(PixetRegisterCallbackHost(&first), 1);
  ASSERT_EQ(PixetRegisterCallbackHost(&second), 1);
  pixet::HostRuntime* host = PixetRegisteredHost();
  EXPECT_EQ(host->ReadProperty(HostTarget::System(), HostProperty::InstanceHandle), 0);
  host->WriteProperty(HostTarget::System(), HostProperty::Left, 1);
  host->WritePropertyText(HostTarget::System(), HostProperty::ControlText, "x");
  host->WritePropertyBytes(HostTarget::System(), HostProperty::ImageFileBytes, "x", 1);
  host->ShowMessage("never shown", nullptr, pixet::MessageIcon::None);  // no box: it would block
  host->Redraw(HostTarget::Current(6));
  EXPECT_TRUE(first_log.empty()) << "the first host was replaced";
  EXPECT_EQ(second_log, std::vector<std::string>{"redraw 3 0 0 6"});

  ASSERT_EQ(PixetRegisterCallbackHost(nullptr), 1);
  EXPECT_EQ(PixetRegisteredHost(), nullptr);
}

}  // namespace
