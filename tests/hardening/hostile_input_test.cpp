// Hostile input across the whole API. Every case must give its documented result and
// messages, and leave behind no engine start-up or object, no WinINet handle, no open
// clipboard, none of the fixed working files, and no target file it should not write.
#include <gtest/gtest.h>

#include <winsock2.h>
#include <windows.h>

#include <atomic>
#include <cstring>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "pixet/pixet.h"
#include "pixet/refhost.h"
#include "support/clipboard_support.h"
#include "support/engine_counter.h"
#include "support/internet_counter.h"
#include "support/test_support.h"

#undef LoadImage

using namespace pixet::testing;
using pixet::refhost::DesktopHost;

namespace {

constexpr char kOut[] = "hostile-out";  // every target a case may write starts with this
constexpr std::int16_t kImageControl = 1;
constexpr char kLoadBitmapFailed[] = "There was an error while loading the bitmap";
constexpr char kPasteFailed[] = "There was an error while pasting the bitmap to the clipboard!";
constexpr char kOpenUrlFailed[] = "An error occurred calling InternetOpenUrl function!";

enum class Left { Nothing, Image };  // what a case leaves under kOut

struct World {
  DesktopHost& host;
  PixetHostWindow* window;
  PixetHostReport* report;
  Pixet& pixet;
};

struct Case {
  std::string name;
  std::function<std::int32_t(World&)> call;
  std::int32_t result;
  std::vector<std::string> messages;
  Left left = Left::Nothing;
  bool engine_untouched = false;  // no start-up may happen at all
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

std::string Out(const std::string& ext) { return std::string(kOut) + "." + ext; }
std::string HostileFile(const std::string& file) { return Sample("hostile\\" + file); }
// A name of exactly `length` characters under kOut, ending in ".png".
std::string OutOfLength(std::size_t length) { return kOut + std::string(length - sizeof kOut + 1 - 4, 'x') + ".png"; }
std::string FullPath(const std::string& name) {
  char full[MAX_PATH];
  return ::GetFullPathNameA(name.c_str(), MAX_PATH, full, nullptr) != 0 ? full : name;
}

// The ways a file source reaches the library, and what each gives for a source that
// yields no image.
struct SourceMethod {
  const char* label;
  std::int32_t (*call)(World&, const std::string& source);
  std::int32_t no_image;
  std::vector<std::string> no_image_messages;
  std::int32_t image;
  Left image_left;
};

const std::vector<SourceMethod>& SourceMethods() {
  static const std::vector<SourceMethod> methods = {
      {"Convert", [](World& w, const std::string& s) { return w.pixet.ConvertImage(s.c_str(), Out("png").c_str()); },
       1, {}, 1, Left::Image},
      {"Gray",
       [](World& w, const std::string& s) { return w.pixet.ConvertToGrayscaleImage(s.c_str(), Out("png").c_str()); },
       1, {}, 1, Left::Image},
      {"LoadWindow",
       [](World& w, const std::string& s) { return w.pixet.LoadImage(w.window, s.c_str(), kImageControl); },
       ERROR_FILE_NOT_FOUND, {}, 1, Left::Nothing},
      {"LoadReport",
       [](World& w, const std::string& s) { return w.pixet.LoadImage(w.report, s.c_str(), kImageControl); },
       ERROR_FILE_NOT_FOUND, {}, 1, Left::Nothing},
      {"Copy", [](World& w, const std::string& s) { return w.pixet.CopyToClipboard(s.c_str()); },
       0, {kLoadBitmapFailed}, 1, Left::Nothing},
      {"Draw", [](World& w, const std::string& s) { return w.pixet.DrawImage(w.window, s.c_str(), kImageControl, 0, 0); },
       1, {}, 1, Left::Nothing},
      {"Display",
       [](World& w, const std::string& s) { return w.pixet.DisplayImage(w.window, s.c_str(), kImageControl, 0, 0); },
       1, {}, 1, Left::Nothing},
  };
  return methods;
}

// Every source method on `source`, which the engine decodes or not.
void AddSourceCases(std::vector<Case>& cases, const std::string& label, const std::string& source, bool decodes) {
  for (const SourceMethod& m : SourceMethods()) {
    auto call = m.call;
    cases.push_back({label + "_" + m.label, [call, source](World& w) { return call(w, source); },
                     decodes ? m.image : m.no_image, decodes ? std::vector<std::string>{} : m.no_image_messages,
                     decodes ? m.image_left : Left::Nothing});
  }
}

// Broken, truncated, noisy and lying images under every extension. The engine decodes
// none of the broken ones. The system's own BMP loader, which the clipboard copy of a
// .bmp uses, takes a BMP cut in half (the missing rows stay blank).
std::vector<Case> ImageCases() {
  std::vector<Case> cases;
  for (const char* ext : {"png", "jpg", "gif", "tif", "bmp"})
    for (const char* stem : {"zero", "cut", "noise", "huge"})
      AddSourceCases(cases, std::string(stem) + "_" + ext, HostileFile(std::string(stem) + "." + ext), false);
  for (Case& c : cases)
    if (c.name == "cut_bmp_Copy") {
      c.result = 1;
      c.messages.clear();
    }
  for (const char* misnamed : {"photo-png.jpg", "photo-jpg.png", "photo-bmp.gif"}) {
    std::string label = misnamed;
    for (char& c : label)
      if (c == '.' || c == '-') c = '_';
    AddSourceCases(cases, label, HostileFile(misnamed), true);
  }
  return cases;
}

// Runs `call` while another handle holds `file` open with no sharing at all.
std::int32_t WhileLocked(const std::string& file, const std::function<std::int32_t()>& call) {
  HANDLE held = ::CreateFileA(file.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, 0, nullptr);
  EXPECT_NE(held, INVALID_HANDLE_VALUE) << file;
  const std::int32_t result = call();
  ::CloseHandle(held);
  return result;
}

// Runs `call` with a current directory where no file can be created (the unix /proc,
// refused even to root), then returns to the tests' folder.
std::int32_t InUnwritableFolder(const std::function<std::int32_t()>& call) {
  char saved[MAX_PATH];
  ::GetCurrentDirectoryA(MAX_PATH, saved);
  EXPECT_TRUE(::SetCurrentDirectoryA("Z:\\proc"));
  const std::int32_t result = call();
  ::SetCurrentDirectoryA(saved);
  return result;
}

std::vector<Case> NameCases() {
  const std::string photo = Sample("photo.png");
  auto convert_to = [photo](const std::string& target) {
    return [photo, target](World& w) { return w.pixet.ConvertImage(photo.c_str(), target.c_str()); };
  };
  auto gray_to = [photo](const std::string& target) {
    return [photo, target](World& w) { return w.pixet.ConvertToGrayscaleImage(photo.c_str(), target.c_str()); };
  };
  auto resource_to = [](const std::string& target) {
    return [target](World& w) { return w.pixet.SaveResourceToFile("LOGO", target.c_str()); };
  };
  auto capture_to = [](const std::string& target) {
    return [target](World& w) {
      w.pixet.CaptureClientToBmp(target.c_str());
      return 0;
    };
  };
  std::vector<Case> cases;
  for (std::size_t length : {255u, 256u, 1000u}) {
    const std::string target = OutOfLength(length);
    const bool fits = length <= 255;
    const std::string n = std::to_string(length);
    cases.push_back({"ConvertTarget" + n, convert_to(target), fits, {}, fits ? Left::Image : Left::Nothing});
    cases.push_back({"GrayTarget" + n, gray_to(target), fits, {}, fits ? Left::Image : Left::Nothing});
    cases.push_back({"ResourceTarget" + n, resource_to(target), fits, {}, fits ? Left::Image : Left::Nothing});
    // Capture names are cut to their first 255 characters, as every fixed-length name is.
    cases.push_back({"CaptureTarget" + n, capture_to(target.substr(0, target.size() - 4) + ".bmp"), 0, {}, Left::Image});
    const std::string missing_source = std::string(length, 's');
    cases.push_back({"ConvertSource" + n, [missing_source](World& w) {
                       return w.pixet.ConvertImage(missing_source.c_str(), Out("png").c_str());
                     }, 1, {}});
    cases.push_back({"LoadSource" + n, [missing_source](World& w) {
                       return w.pixet.LoadImage(w.window, missing_source.c_str(), kImageControl);
                     }, ERROR_FILE_NOT_FOUND, {}});
    cases.push_back({"CopySource" + n, [missing_source](World& w) {
                       return w.pixet.CopyToClipboard((missing_source + ".bmp").c_str());
                     }, 0, {kLoadBitmapFailed}});
  }
  cases.push_back({"TrailingBlanks", [photo](World& w) {
                     return w.pixet.ConvertImage((photo + "    ").c_str(), (Out("png") + "   ").c_str());
                   }, 1, {}, Left::Image});
  cases.push_back({"BlankSource", [](World& w) { return w.pixet.ConvertImage("     ", Out("png").c_str()); }, 1, {}});
  cases.push_back({"BlankTarget", convert_to("    "), 0, {"Invalid Format!"}});
  cases.push_back({"BlankGrayTarget", gray_to("    "), 0, {"Invalid Format!"}});
  cases.push_back({"BlankLoad", [](World& w) { return w.pixet.LoadImage(w.window, "   ", kImageControl); },
                   ERROR_FILE_NOT_FOUND, {}});
  cases.push_back({"BlankCopy", [](World& w) { return w.pixet.CopyToClipboard("   "); }, 0, {kLoadBitmapFailed}});
  cases.push_back({"Cp1252Target", convert_to(std::string(kOut) + "-caf\xe9-\xc6\xf8.png"), 1, {}, Left::Image});
  cases.push_back({"Cp1252Source", [photo](World& w) {
                     const std::string source = "hostile-in-\xe9t\xe9.png";
                     ::CopyFileA(photo.c_str(), source.c_str(), FALSE);
                     const std::int32_t result = w.pixet.ConvertImage(source.c_str(), Out("jpg").c_str());
                     ::DeleteFileA(source.c_str());
                     return result;
                   }, 1, {}, Left::Image});
  cases.push_back({"MissingFolderTarget", convert_to("no-such-folder\\" + Out("png")), 0, {}});
  cases.push_back({"MissingFolderGray", gray_to("no-such-folder\\" + Out("png")), 0, {}});
  cases.push_back({"MissingFolderResource", resource_to("no-such-folder\\" + Out("png")), 0, {}});
  cases.push_back({"FolderIsAFile", convert_to(photo + "\\" + Out("png")), 0, {}});
  cases.push_back({"CaptureIntoFolderThatIsAFile", capture_to(photo + "\\" + Out("bmp")), 0, {}});
  cases.push_back({"ConvertIntoUnwritableFolder", [photo](World& w) {
                     const std::string source = FullPath(photo);
                     return InUnwritableFolder([&] { return w.pixet.ConvertImage(source.c_str(), Out("png").c_str()); });
                   }, 0, {}});
  cases.push_back({"PasteInUnwritableFolder", [](World& w) {
                     PutBitmap(TestPicture());
                     return InUnwritableFolder([&] { return w.pixet.LoadImageFromClipboard(w.window, kImageControl); });
                   }, 0, {}});
  cases.push_back({"CopyInUnwritableFolder", [photo](World& w) {
                     const std::string source = FullPath(photo);
                     return InUnwritableFolder([&] { return w.pixet.CopyToClipboard(source.c_str()); });
                   }, 0, {kLoadBitmapFailed}});
  cases.push_back({"ControlSourceInUnwritableFolder", [](World& w) {
                     const std::string target = FullPath(Out("png"));
                     return InUnwritableFolder([&] { return w.pixet.ConvertImage("1", target.c_str()); });
                   }, 1, {}});
  cases.push_back({"LockedSourceConvert", [photo](World& w) {
                     ::CopyFileA(photo.c_str(), "hostile-locked.png", FALSE);
                     const std::int32_t result = WhileLocked("hostile-locked.png", [&] {
                       return w.pixet.ConvertImage("hostile-locked.png", Out("png").c_str());
                     });
                     ::DeleteFileA("hostile-locked.png");
                     return result;
                   }, 1, {}});
  cases.push_back({"LockedSourceLoad", [photo](World& w) {
                     ::CopyFileA(photo.c_str(), "hostile-locked.png", FALSE);
                     const std::int32_t result = WhileLocked("hostile-locked.png", [&] {
                       return w.pixet.LoadImage(w.window, "hostile-locked.png", kImageControl);
                     });
                     ::DeleteFileA("hostile-locked.png");
                     return result;
                   }, ERROR_FILE_NOT_FOUND, {}});
  cases.push_back({"LockedSourceCopy", [](World& w) {
                     ::CopyFileA(Sample("photo.bmp").c_str(), "hostile-locked.bmp", FALSE);
                     const std::int32_t result =
                         WhileLocked("hostile-locked.bmp", [&] { return w.pixet.CopyToClipboard("hostile-locked.bmp"); });
                     ::DeleteFileA("hostile-locked.bmp");
                     return result;
                   }, 0, {kLoadBitmapFailed}});
  cases.push_back({"LockedTarget", [photo](World& w) {
                     const std::int32_t result =
                         WhileLocked(Out("png"), [&] { return w.pixet.ConvertImage(photo.c_str(), Out("png").c_str()); });
                     ::DeleteFileA(Out("png").c_str());
                     return result;
                   }, 0, {}});
  cases.push_back({"LockedWorkingFile", [photo](World& w) {
                     const std::string working = TempFolder() + "kjj___.bmp";
                     const std::int32_t result = WhileLocked(working, [&] {
                       return w.pixet.LoadImage(w.window, photo.c_str(), kImageControl);
                     });
                     ::DeleteFileA(working.c_str());
                     return result;
                   }, ERROR_SHARING_VIOLATION, {}});
  return cases;
}

// Source texts that look like control numbers, or almost. Only "7" names a control (one
// the window does not have); the others are file names that do not exist.
std::vector<Case> NumberCases() {
  std::vector<Case> cases;
  for (const char* number : {"0", "-2", "7", "7.5", "40000", "abc"}) {
    std::string label = std::string("Number_") + number;
    for (char& c : label)
      if (c == '-' || c == '.') c = '_';
    const std::string source = number;
    cases.push_back({label + "_Convert", [source](World& w) {
                       return w.pixet.ConvertImage(source.c_str(), Out("png").c_str());
                     }, 1, {}});
    cases.push_back({label + "_Gray", [source](World& w) {
                       return w.pixet.ConvertToGrayscaleImage(source.c_str(), Out("png").c_str());
                     }, 1, {}});
    cases.push_back({label + "_Load", [source](World& w) {
                       return w.pixet.LoadImage(w.window, source.c_str(), kImageControl);
                     }, ERROR_FILE_NOT_FOUND, {}});
    cases.push_back({label + "_Copy", [source](World& w) { return w.pixet.CopyToClipboard(source.c_str()); }, 0,
                     {kLoadBitmapFailed}});
  }
  return cases;
}

// A server on 127.0.0.1 that accepts one connection, reads the request, never answers,
// and hangs up after two seconds: the download must end when it does.
class SilentServer {
 public:
  SilentServer() {
    WSADATA data;
    ::WSAStartup(MAKEWORD(2, 2), &data);
    listener_ = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in at{};
    at.sin_family = AF_INET;
    at.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(listener_, reinterpret_cast<sockaddr*>(&at), sizeof at);
    int length = sizeof at;
    ::getsockname(listener_, reinterpret_cast<sockaddr*>(&at), &length);
    port_ = ntohs(at.sin_port);
    ::listen(listener_, 4);
    thread_ = std::thread([this] {
      SOCKET peer = ::accept(listener_, nullptr, nullptr);
      if (peer == INVALID_SOCKET) return;
      char request[2048];
      ::recv(peer, request, sizeof request, 0);
      ::Sleep(2000);
      ::closesocket(peer);
    });
  }
  ~SilentServer() {
    ::closesocket(listener_);
    thread_.join();
    ::WSACleanup();
  }
  int port() const { return port_; }

 private:
  SOCKET listener_ = INVALID_SOCKET;
  int port_ = 0;
  std::thread thread_;
};

std::vector<Case> AddressCases() {
  auto load = [](std::function<std::string()> address) {
    return [address](World& w) { return w.pixet.LoadImage(w.window, address().c_str(), kImageControl); };
  };
  auto at = [](const std::string& path) { return [path] { return HttpAddress(path); }; };
  std::vector<Case> cases;
  cases.push_back({"Address600", load(at("/" + std::string(580, 'a') + ".png")), ERROR_FILE_NOT_FOUND, {}});
  cases.push_back({"AddressQuery", load(at("/photo.png?size=large&x=1")), ERROR_FILE_NOT_FOUND, {}});
  cases.push_back({"AddressTrailingSlash", load(at("/images/")), ERROR_FILE_NOT_FOUND, {}});
  // Whatever the server answers, the file stays in the temporary folder.
  cases.push_back({"AddressBackslashTraversal", [](World& w) {
                     const std::int32_t result =
                         w.pixet.LoadImage(w.window, HttpAddress("/..\\..\\..\\escape.png").c_str(), kImageControl);
                     const bool kept = FileExists(TempFolder() + "escape.png");
                     for (const char* up : {"..\\escape.png", "..\\..\\escape.png", "..\\..\\..\\escape.png"})
                       if (FileExists(TempFolder() + up)) return -1;
                     return kept ? result : -2;
                   }, ERROR_FILE_NOT_FOUND, {}});
  cases.push_back({"AddressDotsOnly", load(at("/images/..")), ERROR_FILE_NOT_FOUND, {}});
  cases.push_back({"AddressDevice", load(at("/NUL.png")), ERROR_FILE_NOT_FOUND, {}});
  cases.push_back({"Answer404", load(at("/missing-image")), ERROR_FILE_NOT_FOUND, {}});
  cases.push_back({"Answer500", load(at("/error.png")), ERROR_FILE_NOT_FOUND, {}});
  cases.push_back({"BodyCutMidway", load(at("/cut.png")), ERROR_FILE_NOT_FOUND, {}});
  cases.push_back({"NothingListens", load([] { return "http://127.0.0.1:" + std::to_string(ClosedHttpPort()) + "/a.png"; }),
                   0, {kOpenUrlFailed}});
  // The system's internet client takes a connection closed without an answer as an
  // empty body: the load then finds no image.
  cases.push_back({"ServerNeverAnswers", [](World& w) {
                     SilentServer silent;
                     const std::string address = "http://127.0.0.1:" + std::to_string(silent.port()) + "/a.png";
                     return w.pixet.LoadImage(w.window, address.c_str(), kImageControl);
                   }, ERROR_FILE_NOT_FOUND, {}});
  cases.push_back({"SchemeWithoutHost", load([] { return std::string("http://"); }), 0, {kOpenUrlFailed}});
  return cases;
}

// Runs `call` while a window of another thread holds the clipboard open.
std::int32_t WhileClipboardHeld(const std::function<std::int32_t()>& call) {
  std::atomic<int> state{0};  // 1 held (or failed to hold), 2 release
  std::thread holder([&] {
    HWND owner = ::CreateWindowExA(0, "STATIC", "holder", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    const bool held = ::OpenClipboard(owner) != FALSE;
    EXPECT_TRUE(held) << "the other window could not open the clipboard";
    state = 1;
    while (state != 2) ::Sleep(5);
    if (held) ::CloseClipboard();
    ::DestroyWindow(owner);
  });
  while (state != 1) ::Sleep(5);
  const std::int32_t result = call();
  state = 2;
  holder.join();
  return result;
}

std::vector<Case> ClipboardCases() {
  auto paste = [](void (*prepare)()) {
    return [prepare](World& w) {
      prepare();
      return w.pixet.LoadImageFromClipboard(w.window, kImageControl);
    };
  };
  std::vector<Case> cases;
  cases.push_back({"PasteEmpty", paste([] {
                     ::OpenClipboard(nullptr);
                     ::EmptyClipboard();
                     ::CloseClipboard();
                   }), 0, {}});
  cases.push_back({"PasteTextOnly", paste([] { PutText("not a picture"); }), 0, {}});
  cases.push_back({"PasteDibOnly", paste([] { PutDibOnly(TestPicture()); }), 1, {}});
  cases.push_back({"PasteWhileHeld", [](World& w) {
                     PutBitmap(TestPicture());
                     return WhileClipboardHeld([&] { return w.pixet.LoadImageFromClipboard(w.window, kImageControl); });
                   }, 0, {}});
  cases.push_back({"CopyWhileHeld", [](World& w) {
                     const std::string bmp = Sample("photo.bmp");
                     return WhileClipboardHeld([&] { return w.pixet.CopyToClipboard(bmp.c_str()); });
                   }, 0, {kPasteFailed}});
  cases.push_back({"CopyConvertedWhileHeld", [](World& w) {
                     const std::string png = Sample("photo.png");
                     return WhileClipboardHeld([&] { return w.pixet.CopyToClipboard(png.c_str()); });
                   }, 0, {kPasteFailed}});
  cases.push_back({"CopyThenPaste", [](World& w) {
                     if (w.pixet.CopyToClipboard(Sample("photo.jpg").c_str()) != 1) return 0;
                     return w.pixet.LoadImageFromClipboard(w.window, kImageControl);
                   }, 1, {}});
  return cases;
}

std::vector<Case> ResourceCases() {
  const std::string module = "pixet_test_resources.dll";
  auto save = [](std::string name, std::string module_name, bool with_module) {
    return [=](World& w) {
      return w.pixet.SaveResourceToFile(name.c_str(), Out("png").c_str(), with_module ? module_name.c_str() : nullptr);
    };
  };
  auto handle = [](std::string name, std::string module_name) {
    return [=](World& w) { return static_cast<std::int32_t>(w.pixet.ImageHandleFromResource(name.c_str(), module_name.c_str())); };
  };
  const std::string long_name(300, 'R');
  std::vector<Case> cases;
  cases.push_back({"MissingName", save("NOSUCHIMAGE", "", false), 1, {}});
  cases.push_back({"MissingNameInModule", save("NOSUCHIMAGE", module, true), 1, {}});
  cases.push_back({"NameOf300", save(long_name, "", false), 1, {}});
  cases.push_back({"NameOf300InModule", save(long_name, module, true), 1, {}});
  cases.push_back({"MissingModule", save("LOGO", "no-such-module.dll", true), 1, {"Can't load no-such-module.dll"}});
  cases.push_back({"BlankModule", save("LOGO", "    ", true), 1, {"Can't load "}});
  cases.push_back({"ModuleNameOf300", save("LOGO", std::string(300, 'm'), true), 1,
                   {"Can't load " + std::string(127, 'm')}});
  cases.push_back({"NotAnImage", save("BROKEN", module, true), 1, {}});
  cases.push_back({"TruncatedImage", save("TRUNCATED", module, true), 1, {}});
  cases.push_back({"BadExtension", [](World& w) { return w.pixet.SaveResourceToFile("LOGO", "hostile-out.xyz"); }, 0,
                   {"Invalid Format!"}});
  cases.push_back({"HandleMissingName", handle("NOSUCHIMAGE", module), 0, {}});
  cases.push_back({"HandleMissingModule", handle("LOGO", "no-such-module.dll"), 0, {"Can't load no-such-module.dll"}});
  cases.push_back({"HandleNotAnImage", handle("BROKEN", module), 0, {}});
  cases.push_back({"DisplayMissingResource", [](World& w) {
                     w.pixet.USERESOURCE = 1;
                     return w.pixet.DisplayImage(w.window, "NOSUCHIMAGE", kImageControl, 0, 0);
                   }, 1, {}});
  cases.push_back({"DrawResourceFromMissingModule", [](World& w) {
                     w.pixet.USERESOURCE = 1;
                     std::strcpy(w.pixet.RESOURCESDLLNAME, "no-such-module.dll");
                     return w.pixet.DrawImage(w.window, "LOGO", kImageControl, 0, 0);
                   }, 1, {"Can't load no-such-module.dll"}});
  return cases;
}

std::vector<Case> HostCases() {
  const std::string photo = Sample("photo.png");
  std::vector<Case> cases;
  cases.push_back({"LoadIntoMissingControl", [photo](World& w) { return w.pixet.LoadImage(w.window, photo.c_str(), 99); },
                   1, {}});
  cases.push_back({"LoadIntoMissingReportControl",
                   [photo](World& w) { return w.pixet.LoadImage(w.report, photo.c_str(), 99); }, 1, {}});
  cases.push_back({"DrawIntoMissingControl",
                   [photo](World& w) { return w.pixet.DrawImage(w.window, photo.c_str(), 99, 0, 0); }, 1, {}});
  cases.push_back({"DisplayIntoMissingControl",
                   [photo](World& w) { return w.pixet.DisplayImage(w.window, photo.c_str(), 99, 0, 0); }, 1, {}});
  cases.push_back({"ConvertFromMissingControl", [](World& w) { return w.pixet.ConvertImage("99", Out("png").c_str()); },
                   1, {}});
  auto in_window = [photo](int width, int height, std::int32_t (*call)(World&, PixetHostWindow*, const std::string&)) {
    return [=](World& w) {
      PixetHostWindow* odd = w.host.OpenWindow("odd", width, height);
      DesktopHost::SetCurrentWindow(odd);
      const std::int32_t result = call(w, odd, photo);
      DesktopHost::SetCurrentWindow(w.window);
      w.host.CloseWindow(odd);
      return result;
    };
  };
  auto display = [](World& w, PixetHostWindow* odd, const std::string& image) {
    return w.pixet.DisplayImage(odd, image.c_str(), 0, 1, 0);
  };
  auto draw = [](World& w, PixetHostWindow* odd, const std::string& image) {
    return w.pixet.DrawImage(odd, image.c_str(), 0, 1, 0);
  };
  auto background = [](World& w, PixetHostWindow* odd, const std::string& image) {
    return w.pixet.DisplayImageAsBackground(odd, image.c_str(), 0);
  };
  auto capture = [](World& w, PixetHostWindow*, const std::string&) {
    w.pixet.CaptureClientToBmp(Out("bmp").c_str());
    return 0;
  };
  cases.push_back({"DisplayInZeroSizeWindow", in_window(0, 0, display), 1, {}});
  cases.push_back({"DrawInZeroSizeWindow", in_window(0, 0, draw), 1, {}});
  cases.push_back({"BackgroundInZeroSizeWindow", in_window(0, 0, background), 0, {}});
  cases.push_back({"CaptureZeroSizeWindow", in_window(0, 0, capture), 0, {}});
  cases.push_back({"DisplayInWindowOf40000", in_window(40000, 40, display), 1, {}});
  cases.push_back({"DrawInWindowOf40000", in_window(40000, 40, draw), 1, {}});
  cases.push_back({"CaptureRectOf40000", [](World& w) {
                     w.pixet.CaptureClientRectToBmp(Out("bmp").c_str(), 0, 0, 40000, 4);
                     return 0;
                   }, 0, {}, Left::Image});
  cases.push_back({"CaptureNegativeRect", [](World& w) {
                     w.pixet.CaptureClientRectToBmp(Out("bmp").c_str(), 10, 10, -40000, -5);
                     return 0;
                   }, 0, {}});
  cases.push_back({"CaptureWithNoCurrentWindow", [](World& w) {
                     DesktopHost::SetCurrentWindow(nullptr);
                     w.pixet.CaptureWindowToBmp(Out("bmp").c_str());
                     DesktopHost::SetCurrentWindow(w.window);
                     return 0;
                   }, 0, {}});
  return cases;
}

// Every method of an object that cannot use the engine: one whose flag was cleared, and
// one whose binding failed. None may start the engine.
class UnboundPixet : public Pixet {
 public:
  std::int32_t GetFunctionPointers() override { return 0; }
};

std::vector<Case> UnboundCases() {
  struct Method {
    const char* label;
    std::int32_t (*call)(World&, Pixet&);
  };
  static const Method methods[] = {
      {"Convert", [](World&, Pixet& p) { return p.ConvertImage(Sample("photo.png").c_str(), Out("png").c_str()); }},
      {"Gray", [](World&, Pixet& p) { return p.ConvertToGrayscaleImage(Sample("photo.png").c_str(), Out("png").c_str()); }},
      {"LoadWindow", [](World& w, Pixet& p) { return p.LoadImage(w.window, Sample("photo.png").c_str(), kImageControl); }},
      {"LoadReport", [](World& w, Pixet& p) { return p.LoadImage(w.report, Sample("photo.png").c_str(), kImageControl); }},
      {"Paste", [](World& w, Pixet& p) { return p.LoadImageFromClipboard(w.window, kImageControl); }},
      {"Display", [](World& w, Pixet& p) { return p.DisplayImage(w.window, Sample("photo.png").c_str(), 1, 0, 0); }},
      {"Background", [](World& w, Pixet& p) { return p.DisplayImageAsBackground(w.window, Sample("photo.png").c_str(), 0); }},
      {"Draw", [](World& w, Pixet& p) { return p.DrawImage(w.window, Sample("photo.png").c_str(), 1, 0, 0); }},
      {"SaveResource", [](World&, Pixet& p) { return p.SaveResourceToFile("LOGO", Out("png").c_str()); }},
      {"ResourceHandle", [](World&, Pixet& p) { return static_cast<std::int32_t>(p.ImageHandleFromResource("LOGO")); }},
      {"CopyConverted", [](World&, Pixet& p) { return p.CopyToClipboard(Sample("photo.png").c_str()); }},
      {"EncoderClsid", [](World&, Pixet& p) {
         GUID clsid{};
         p.GetEncoderClsid("image/png", &clsid);
         return static_cast<std::int32_t>(clsid.Data1 != 0);
       }},
  };
  std::vector<Case> cases;
  for (const Method& m : methods) {
    const bool copy = std::string(m.label) == "CopyConverted";
    std::vector<std::string> shown;
    if (copy) shown = {kLoadBitmapFailed};
    auto call = m.call;
    cases.push_back({std::string("EngineFlagCleared_") + m.label, [call](World& w) {
                       w.pixet.ENGINELOADED = 0;
                       const std::int32_t result = call(w, w.pixet);
                       w.pixet.ENGINELOADED = 1;
                       return result;
                     }, 0, shown, Left::Nothing, true});
    std::vector<std::string> with_box = {"Cannot obtain function pointers"};
    with_box.insert(with_box.end(), shown.begin(), shown.end());
    cases.push_back({std::string("BindingFailed_") + m.label, [call](World& w) {
                       auto unbound = Pixet::Create<UnboundPixet>();
                       return call(w, *unbound);
                     }, 0, with_box, Left::Nothing, true});
  }
  return cases;
}

class Hostile : public ::testing::TestWithParam<Case> {
 protected:
  void SetUp() override {
    window_ = OpenImageWindow(host_, "hostile", kImageControl);
    ASSERT_NE(window_, nullptr);
    DesktopHost::SetCurrentWindow(window_);
    report_ = host_.OpenReport();
    ASSERT_TRUE(host_.AddReportImageControl(report_, kImageControl, 0, 0, 80, 60));
    RemoveOutputs();
  }
  void TearDown() override {
    DesktopHost::SetCurrentWindow(nullptr);
    RemoveOutputs();
  }
  static void RemoveOutputs() {
    for (const std::string& file : FilesStartingWith(kOut)) RemoveFile(file);
  }

  DesktopHost host_;
  ScopedHost scoped_{&host_};
  PixetHostWindow* window_ = nullptr;
  PixetHostReport* report_ = nullptr;
  std::unique_ptr<Pixet> pixet_ = Pixet::Create();  // before the counter: binding refills the table
  EngineCounter counter_;
  InternetCounter internet_;
};

TEST_P(Hostile, GivesItsResultAndLosesNothing) {
  const Case& c = GetParam();
  World world{host_, window_, report_, *pixet_};
  EXPECT_EQ(c.call(world), c.result);

  std::vector<std::string> shown;
  for (const auto& m : host_.Messages()) shown.push_back(m.text);
  EXPECT_EQ(shown, c.messages);

  PIXET_EXPECT_BALANCED(counter_);
  if (c.engine_untouched) {
    EXPECT_EQ(counter_.Startups(), 0);
  }
  EXPECT_EQ(internet_.Live(), 0u) << "WinINet handles left open";
  EXPECT_EQ(internet_.UnknownCloses(), 0);
  for (const std::string& file : {TempFolder() + "kjj___.bmp", std::string("_vb_.xac"), std::string("saved__0.bmp"),
                                  std::string("__svcv.bmp")}) {
    EXPECT_FALSE(FileExists(file)) << file << " left behind";
  }
  EXPECT_TRUE(::OpenClipboard(nullptr)) << "clipboard left open";
  ::CloseClipboard();

  const std::vector<std::string> written = FilesStartingWith(kOut);
  if (c.left == Left::Nothing) {
    EXPECT_TRUE(written.empty()) << written.front();
  } else {
    ASSERT_EQ(written.size(), 1u);
    EXPECT_TRUE(Decode(written.front()).ok) << written.front();
  }
}

std::string CaseName(const ::testing::TestParamInfo<Case>& info) { return info.param.name; }

INSTANTIATE_TEST_SUITE_P(Images, Hostile, ::testing::ValuesIn(ImageCases()), CaseName);
INSTANTIATE_TEST_SUITE_P(Names, Hostile, ::testing::ValuesIn(NameCases()), CaseName);
INSTANTIATE_TEST_SUITE_P(Numbers, Hostile, ::testing::ValuesIn(NumberCases()), CaseName);
INSTANTIATE_TEST_SUITE_P(Addresses, Hostile, ::testing::ValuesIn(AddressCases()), CaseName);
INSTANTIATE_TEST_SUITE_P(Clipboard, Hostile, ::testing::ValuesIn(ClipboardCases()), CaseName);
INSTANTIATE_TEST_SUITE_P(Resources, Hostile, ::testing::ValuesIn(ResourceCases()), CaseName);
INSTANTIATE_TEST_SUITE_P(Host, Hostile, ::testing::ValuesIn(HostCases()), CaseName);
INSTANTIATE_TEST_SUITE_P(Unbound, Hostile, ::testing::ValuesIn(UnboundCases()), CaseName);

}  // namespace
