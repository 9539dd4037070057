// A repeatable fuzz round over the library's own handling of text: file names and targets,
// web addresses, control numbers, resource and module names, built from pieces and then
// mutated, through the class and the ANSI C functions. Whatever comes, the library must not
// crash, must touch no file outside the working and the temporary folder, and must leave no
// handle or engine object behind (the fixture counts them over the whole round).
// PIXET_FUZZ_INPUTS (default 2000) and PIXET_FUZZ_STREAM (default 1) choose the round; the same
// stream number gives the same inputs. tests/scripts/fuzz.sh runs a long one.
//
// Targets stay plain names in the working folder: a host that names another folder gets
// it. Devices that can block (CON, COM, LPT) are left out of sources and targets, where
// the system opens whatever the host names; they do come in addresses, whose last segment
// the library turns into a file name itself.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <set>

#include "pixet/pixet_c.h"
#include "support/fixture.h"

namespace pixet::testing {
namespace {

class Fuzz : public PixetTest {
 protected:
  std::size_t Pick(std::size_t n) { return std::uniform_int_distribution<std::size_t>(0, n - 1)(random_); }
  template <class T, std::size_t N>
  const T& OneOf(const T (&items)[N]) { return items[Pick(N)]; }

  // Edits that make names odd: separators, wildcards, dots, blanks, CP1252 and control characters, cuts, repeats.
  std::string Mutated(std::string s) {
    static const char kOdd[] = "\\/:*?\"<>|. %#\xe9\x80\xff\x01~";
    for (std::size_t edits = Pick(4); edits-- > 0;) {
      const std::size_t at = s.empty() ? 0 : Pick(s.size());
      switch (Pick(5)) {
        case 0: if (!s.empty()) s[at] = kOdd[Pick(sizeof kOdd - 1)]; break;
        case 1: s.insert(at, 1, kOdd[Pick(sizeof kOdd - 1)]); break;
        case 2: s.erase(at, 1 + Pick(3)); break;
        case 3: s.insert(at, s.substr(at, Pick(8))); break;
        case 4: s.resize(at); break;
      }
    }
    return s;
  }
  // Names around 255 characters, where targets stop being written.
  std::string Padded(std::string s) {
    if (Pick(6) == 0) s.insert(0, 250 + Pick(10) - std::min<std::size_t>(s.size(), 250), 'n');
    return s;
  }
  std::string Name() {
    static const char* const kStems[] = {"fz", "a", "NUL", "nul", ".", "..", "...", "", " ", "caf\xe9", "photo",
                                         "x y", "-", "%2e", "fz.fz"};
    static const char* const kExtensions[] = {".png", ".JPG", ".jpeg", ".bmp", ".Bmp", ".gif", ".tif", ".tiff",
                                              ".xyz", ".", "", ".png.", ".png ", ".bmp:x", ".PNG   ", ".b"};
    std::string name = OneOf(kStems);
    if (Pick(3) == 0) name += OneOf(kStems);
    name += OneOf(kExtensions);
    return Padded(Pick(2) == 0 ? Mutated(name) : name);
  }
  // A target in the working folder: no separator, and no drive.
  std::string Target() {
    std::string name = Name();
    for (char& c : name)
      if (c == '\\' || c == '/') c = '_';
    if (name.size() > 1 && name[1] == ':') name[1] = '_';
    return name;
  }
  std::string ControlNumber() {
    static const char* const kNumbers[] = {"1", "0001", "32767", "32768", "-1", "+1", " 1", "1 ", "0", "99",
                                           "1e1", "0x1", "65537", "00000000001", "1.0"};
    return Pick(3) == 0 ? Mutated(OneOf(kNumbers)) : OneOf(kNumbers);
  }
  std::string Source() {
    static const char* const kSamples[] = {"photo.png", "photo.jpg", "palette.png", "indexed.gif", "photo.tif",
                                           "photo.bmp", "hostile\\cut.png", "hostile\\noise.gif", "hostile\\huge.bmp",
                                           "hostile\\zero.jpg", "not-image.png"};
    switch (Pick(4)) {
      case 0: return Name();
      case 1: return ControlNumber();
      case 2: return Mutated(Sample(OneOf(kSamples)));
      default: {  // the sample first, then its trailing blanks: one draw after the other
        const std::string sample = Sample(OneOf(kSamples));
        return sample + std::string(Pick(3), ' ');
      }
    }
  }
  std::string Address() {
    static const char* const kSchemes[] = {"http://", "HTTP://", "hTtP://", "http:/", "http:\\\\", "https://",
                                           "ftp://", "http://:@", ""};
    static const char* const kSegments[] = {"img", "..", ".", "%2e%2e", "photo.png", "a%00b.png", "q?from=/dl.png",
                                            "NUL", "com1.png", "LPT1:", "COM\xb9", "con.gif", "#frag", "", "dl.png",
                                            "missing-image", "error-image", "..\\..\\up.png", "a b.png", "x:y.png"};
    // Only the path is mutated: a host name the resolver has to look up would only wait for it.
    const std::string server = OneOf(kSchemes) + std::string("127.0.0.1:") + std::to_string(port_);
    static const char* const kLastSegments[] = {"..\\..\\up.png", "..\\x.png", "sub\\..\\..\\y.png", "..\\",
                                                "\\..\\z.gif", "..%5cq.png"};
    std::string path;
    for (std::size_t n = Pick(4); n-- > 0;) {  // each draw a statement of its own, so a stream is the same everywhere
      path += Pick(4) == 0 ? "\\" : "/";
      path += OneOf(kSegments);
    }
    path += Pick(4) == 0 ? "\\" : "/";
    path += Pick(3) == 0 ? OneOf(kLastSegments) : OneOf(kSegments);
    if (Pick(8) == 0) path += std::string(500 + Pick(20) - std::min<std::size_t>(server.size() + path.size(), 500), 'p');
    return server + (Pick(3) == 0 ? Mutated(path) : path);
  }
  std::string ResourceName() {
    static const char* const kNames[] = {"LOGO", "logo  ", "PHOTO", "ZICON", "#1", "#7", "#0", "#65535", "", " ",
                                         "BROKEN", "TRUNCATED", "TILE", "#"};
    return Padded(Pick(3) == 0 ? Mutated(OneOf(kNames)) : OneOf(kNames));
  }
  std::string Module() {
    static const char* const kModules[] = {"pixet_test_resources.dll", "PIXET_TEST_RESOURCES  ", "no-such.dll",
                                           "data\\photo.png", "kernel32.dll", "..\\x.dll", "", " ", ".dll"};
    return Padded(Pick(3) == 0 ? Mutated(OneOf(kModules)) : OneOf(kModules));
  }

  // One call, chosen and filled from the generator; its result does not matter here.
  void OneInput() {
    Pixet* p = pixet_.get();
    const bool c = Pick(2) == 0;  // through the C functions
    const std::int16_t field = Pick(4) == 0 ? static_cast<std::int16_t>(Pick(65536)) : kImage;
    const std::string a = Pick(8) == 0 ? Address() : Source(), t = Target();
    switch (Pick(10)) {
      case 0: c ? PixetConvertImage(p, a.c_str(), t.c_str()) : p->ConvertImage(a.c_str(), t.c_str()); break;
      case 1: c ? PixetConvertToGrayscaleImage(p, a.c_str(), t.c_str()) : p->ConvertToGrayscaleImage(a.c_str(), t.c_str()); break;
      case 2: {  // the one way a download is stored under a name from the address
        const std::string s = Pick(2) == 0 ? Address() : a;
        c ? PixetLoadImage(p, window_, s.c_str(), field) : p->LoadImage(window_, s.c_str(), field);
        break;
      }
      case 3: c ? PixetLoadReportImage(p, report_, a.c_str(), field) : p->LoadImage(report_, a.c_str(), field); break;
      case 4: c ? PixetCopyToClipboard(p, a.c_str()) : p->CopyToClipboard(a.c_str()); break;
      case 5: {
        const std::string module = Module();
        const char* m = Pick(3) == 0 ? nullptr : module.c_str();
        const std::string name = ResourceName();
        c ? PixetSaveResourceToFile(p, name.c_str(), t.c_str(), m) : p->SaveResourceToFile(name.c_str(), t.c_str(), m);
        break;
      }
      case 6: {
        const std::string module = Module(), name = ResourceName();
        auto* image = reinterpret_cast<Gdiplus::GpImage*>(p->ImageHandleFromResource(name.c_str(), module.c_str()));
        if (image != nullptr) {
          Gdiplus::DllExports::GdipDisposeImage(image);
          engine_.Objects().Gone(image);
        }
        break;
      }
      case 7: {
        const std::string address = Address();
        c ? PixetLoadImageFromWeb(p, window_, address.c_str(), field) : p->LoadImageFromWeb(window_, address.c_str(), field);
        break;
      }
      case 8: c ? PixetCaptureClientRectToBmp(p, t.c_str(), 0, 0, 8, 8) : p->CaptureClientRectToBmp(t.c_str(), 0, 0, 8, 8); break;
      case 9: {  // the resource switch and library name, as a host sets them, then a drawing that takes them
        const std::string module = Module(), name = ResourceName();
        std::string back(Pick(200), '#');
        PixetSetResourcesDllName(p, module.c_str());
        PixetGetResourcesDllName(p, back.empty() ? nullptr : &back[0], static_cast<int>(back.size()));
        PixetSetUseResource(p, 1);
        c ? PixetDrawImage(p, window_, name.c_str(), field, 0, 0) : p->DrawImage(window_, name.c_str(), field, 0, 0);
        PixetSetUseResource(p, 0);
        PixetSetResourcesDllName(p, nullptr);
        break;
      }
    }
    TakeMessages();
    TakeHostCalls();
  }

  std::mt19937 random_;
  int port_ = HttpPort();
};

// What a folder holds now, by wide name (a name the code page cannot hold is listed too).
std::set<std::wstring> Listing(const std::string& folder) {
  std::set<std::wstring> names;
  const std::wstring pattern = std::wstring(folder.begin(), folder.end()) + L"*";
  WIN32_FIND_DATAW found;
  const HANDLE search = ::FindFirstFileW(pattern.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do names.insert(found.cFileName); while (::FindNextFileW(search, &found));
  ::FindClose(search);
  return names;
}
// Deletes the files `folder` holds that `before` did not, but for the library's working
// files, which the tear-down looks for; gives how many were capture files ("Bcr*.tmp"),
// which a capture must never leave.
int RemoveNew(const std::string& folder, const std::set<std::wstring>& before) {
  static const std::set<std::wstring> kWorking = {L"kjj___.bmp", L"_vb_.xac", L"saved__0.bmp", L"__svcv.bmp"};
  int captures = 0;
  for (const std::wstring& name : Listing(folder)) {
    if (before.count(name) != 0 || kWorking.count(name) != 0 || name.rfind(L"pxw", 0) == 0) continue;
    captures += name.rfind(L"Bcr", 0) == 0 && name.size() > 4 && name.substr(name.size() - 4) == L".tmp";
    const std::wstring path = std::wstring(folder.begin(), folder.end()) + name;
    ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    ::DeleteFileW(path.c_str());
  }
  return captures;
}

TEST_F(Fuzz, TextInputsNeverCrashEscapeTheFoldersOrLeak) {
  const char* inputs_text = std::getenv("PIXET_FUZZ_INPUTS");
  const char* stream_text = std::getenv("PIXET_FUZZ_STREAM");
  const long inputs = inputs_text != nullptr ? std::atol(inputs_text) : 2000;
  const unsigned long stream = stream_text != nullptr ? std::strtoul(stream_text, nullptr, 10) : 1;
  random_ = std::mt19937(static_cast<std::mt19937::result_type>(stream));
  char work[MAX_PATH];
  ::GetCurrentDirectoryA(MAX_PATH, work);
  const std::string here = std::string(work) + "\\", temp = TempDirectory();
  handles_.Confine({here, temp});
  const std::set<std::wstring> here_before = Listing(here), temp_before = Listing(temp);
  EngineStarted started;  // the caller's engine, for the resource images it disposes
  pixet_->SetWebTimeout(2000);
  int captures_left = 0;
  const auto start = std::chrono::steady_clock::now();
  for (long i = 1; i <= inputs; ++i) {
    OneInput();
    if (i % 200 == 0 || i == inputs) {
      captures_left += RemoveNew(here, here_before);
      captures_left += RemoveNew(temp, temp_before);
    }
  }
  EXPECT_EQ(captures_left, 0) << "captures left their temporary files";
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
  std::printf("[ figures  ] stream %lu: %ld inputs in %lld ms\n", stream, inputs, static_cast<long long>(ms.count()));
  // The fixture's tear-down counts what was left and any file touched outside the two folders.
}

}  // namespace
}  // namespace pixet::testing
