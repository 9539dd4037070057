// The object core: slot order, binding to the engine, the run-time loader, text
// conversions, file-name, temporary-folder and whole-file helpers, and the process-wide
// lock around the fixed-name working files.
#include <atomic>
#include <cstdio>
#include <cstring>
#include <thread>

#include "base/file_names.h"
#include "pixet/wide_converter.h"
#include "support/fixture.h"

namespace pixet::testing {
namespace {

using Core = PixetTest;
using WorkingFiles = PixetTest;

// A virtual member-function pointer holds 1 + the slot's byte offset (Itanium ABI).
template <class M> std::ptrdiff_t Raw(M m) { std::ptrdiff_t raw = 0; return std::memcpy(&raw, &m, sizeof raw), raw; }

TEST_F(Core, MethodsSitInTheirSlots) {
#define S(method) Raw(&Pixet::method)
  const std::vector<std::ptrdiff_t> slots = {S(CaptureDesktopToBmp), S(CaptureClientToBmp), S(CaptureClientRectToBmp),
      S(CaptureWindowToBmp), S(ConvertImage), S(ConvertToGrayscaleImage), S(CopyToClipboard), S(CreatePictureBox),
      S(DrawImage), Raw<std::int32_t (Pixet::*)(PixetHostWindow*, const char*, std::int16_t)>(&Pixet::LoadImage),
      S(LoadImageFromClipboard), Raw<std::int32_t (Pixet::*)(PixetHostReport*, const char*, std::int16_t)>(
          &Pixet::LoadImage), S(DisplayImage), S(DisplayImageAsBackground), S(GetEncoderClsid),
      S(GetFunctionPointers), S(ResizeImage), S(ImageHandleFromResource), S(SaveResourceToFile)};
  for (std::size_t i = 0; i < slots.size(); ++i) EXPECT_EQ(slots[i], 1 + i * sizeof(void*)) << i;
  // New methods come after the destructor's two entries (complete and deleting), which follow slot 18.
  EXPECT_EQ(S(LoadImageFromWeb), 1 + 21 * sizeof(void*));
  EXPECT_EQ(S(ConvertImageW), 1 + 22 * sizeof(void*));
  EXPECT_EQ(S(ConvertToGrayscaleImageW), 1 + 23 * sizeof(void*));
  EXPECT_EQ(S(CaptureWindowToBmpW), 1 + 27 * sizeof(void*));
  EXPECT_EQ(S(SaveResourceToFileW), 1 + 29 * sizeof(void*));
  EXPECT_EQ(S(DisplayImageAsBackgroundW), 1 + 32 * sizeof(void*));
  EXPECT_EQ(S(CopyToClipboardW), 1 + 33 * sizeof(void*));
  EXPECT_EQ(Raw<std::int32_t (Pixet::*)(PixetHostWindow*, const wchar_t*, std::int16_t)>(&Pixet::LoadImageW),
            1 + 34 * sizeof(void*));
  EXPECT_EQ(Raw<std::int32_t (Pixet::*)(PixetHostReport*, const wchar_t*, std::int16_t)>(&Pixet::LoadImageW),
            1 + 35 * sizeof(void*));
  EXPECT_EQ(S(LoadImageFromWebW), 1 + 36 * sizeof(void*));
  EXPECT_EQ(S(CaptureScreen), 1 + 37 * sizeof(void*));
  EXPECT_EQ(S(CaptureScreenW), 1 + 38 * sizeof(void*));
  EXPECT_EQ(S(CopyToClipboardWithAlpha), 1 + 39 * sizeof(void*));
  EXPECT_EQ(S(PasteFromClipboardW), 1 + 42 * sizeof(void*));
}

TEST_F(Core, BindingFillsWhatItFindsOnceAndDestructLetsGo) {
  pixet_->USEDRESOURCES->Append("mark");
  pixet_->Construct();  // bound already: nothing changes
  EXPECT_EQ(pixet_->USEDRESOURCES->Count(), 5u);
  // Bound again to this program, which lacks the engine's names, the binding fails (the loader says why) and
  // leaves the process's table as it was: conversions still work.
  ASSERT_EQ(pixet_->GDI->Unload(), 0);
  ASSERT_EQ(pixet_->GDI->Load("pixet_tests.exe", DllLoader::kModuleHandle), 0);
  ASSERT_EQ(pixet_->GetFunctionPointers(), 0);
  EXPECT_EQ(pixet_->GDI->LastError(), static_cast<DWORD>(ERROR_PROC_NOT_FOUND));
  EXPECT_EQ(pixet_->ConvertImage(Sample("photo.png").c_str(), "rebound.png"), 1);
  EXPECT_TRUE(Decode("rebound.png").ok);
  RemoveFile("rebound.png");
  pixet_->Destruct();
  EXPECT_TRUE(pixet_->GDI == nullptr && pixet_->USEDRESOURCES == nullptr);
}

TEST_F(Core, DllLoaderHoldsReleasesAndLooksUp) {
  for (int method : {0, 3, -1}) {  // load as 1 does, taking a reference
    DllLoader loader;
    EXPECT_EQ(loader.Load("msimg32.dll  ", method), 0) << method;
    EXPECT_EQ(loader.Load("GDIPLUS.DLL", 1), 1) << method;
    EXPECT_EQ(loader.Unload(), 0) << method;
    EXPECT_EQ(::GetModuleHandleA("msimg32.dll"), nullptr) << method;
  }
  DllLoader loader;
  EXPECT_EQ(loader.Load("no-such-library.dll", 1), 1);
  EXPECT_EQ(loader.LastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
  ASSERT_EQ(loader.Load("msimg32.dll", 1), 0);
  EXPECT_EQ(loader.GetProcedure("AlphaBlend  "), (void*)::GetProcAddress(loader.Module(), "AlphaBlend"));
  EXPECT_EQ(loader.GetProcedure(std::string(70, 'x').c_str()), nullptr);
  EXPECT_EQ(loader.ProcedureName() + std::to_string(loader.LastError()), std::string(63, 'x') + "127");
}

// Text to wide (trailing blanks cut, code page 1252) and back into a fixed-length field (all but its last "!").
TEST_F(Core, WideConverterUsesTheSystemCodePageAndFixedLengthText) {
  struct Row { const char* text; std::wstring wide; std::string field; int status; std::string after; };
  for (Row row : {Row{"ab   ", L"ab", "xxxxxx!", 0, "ab    !"}, {"  ", L"", "abc!", 0, "   !"},
                  {"\xE9 \x80", L"\xE9 \x20AC", "000!", 0, "\xE9 \x80!"}, {"12345", L"12345", "keep!", 5, "keep!"}}) {
    WideString w = WideConverter::TextToWide(row.text);
    EXPECT_EQ(std::wstring(w.data, w.bytes / 2), row.wide + L'\0');  // the size in bytes counts the terminator
    EXPECT_EQ(WideConverter::WideToText(w.data, &row.field[0], row.field.size() - 1), row.status) << row.text;
    EXPECT_EQ(row.field, row.after);
    WideConverter::Free(w);
  }
}

// The extension is taken from the last path component only ('\\', '/' and ':' end one).
TEST(FileNames, TheExtensionIsTheLastComponentsFromItsLastDot) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"photo.png", ".png"}, {"a.b.JPEG", ".JPEG"}, {"C:\\dir.x\\name", ""}, {"dir.x/name", ""},
      {"C:name.gif", ".gif"}, {"dir.x:name", ""}, {".hidden", ".hidden"}, {"dir\\.png", ".png"},
      {"noext", ""}, {"name.", "."}, {"", ""}};
  for (const auto& [name, extension] : cases) EXPECT_EQ(ExtensionOf(name), extension) << name;
}

// An ANSI name for a UTF-16 path names the same file: the code page's text when it holds every
// character (never a look-alike: "\u0101" is not "a"), else a short name that resolves to the
// path; none for a new file whose own name the code page lacks.
TEST(FileNames, AnAnsiNameNamesTheSameFileOrThereIsNone) {
  const std::wstring folder = L"ansi-\u0444\u043e\u0442\u043e", inside = folder + L"\\";
  ASSERT_TRUE(::CreateDirectoryW(folder.c_str(), nullptr) || ::GetLastError() == ERROR_ALREADY_EXISTS);
  ASSERT_TRUE(::CopyFileW(Wide(Sample("photo.png")).c_str(), (inside + L"\u0101.png").c_str(), FALSE));
  const auto full = [](const std::wstring& path) {
    wchar_t whole[MAX_PATH] = {}, long_name[MAX_PATH] = {};
    ::GetFullPathNameW(path.c_str(), MAX_PATH, whole, nullptr);
    return ::GetLongPathNameW(whole, long_name, MAX_PATH) != 0 ? std::wstring(long_name) : std::wstring(whole);
  };
  // The path, whether its ANSI name must be the path itself, whether it exists.
  const struct { std::wstring path; bool exact, exists; } rows[] = {
      {L"photo \u00e9t\u00e9.png", true, false}, {folder, false, true}, {inside, false, true},
      {inside + L"new.png", false, false}, {inside + L"\u0101.png", false, true}};
  for (const auto& row : rows) {
    const std::string ansi = AnsiNameOf(row.path);
    ASSERT_FALSE(ansi.empty()) << Ansi(row.path);
    EXPECT_EQ(ansi.find('?'), std::string::npos) << ansi;
    if (row.exact) {
      EXPECT_EQ(Wide(ansi), row.path);
    } else if (row.exists) {
      EXPECT_EQ(full(Wide(ansi)), full(row.path)) << ansi;
    } else {
      EXPECT_EQ(full(Wide(ansi).substr(0, Wide(ansi).rfind(L'\\'))), full(folder)) << ansi;
    }
  }
  EXPECT_EQ(AnsiNameOf(inside + L"\u0101-new.png"), "");
  EXPECT_EQ(AnsiNameOf(L"\u7167\u7247-nowhere\\a.png"), "");
  EXPECT_TRUE(::DeleteFileW((inside + L"\u0101.png").c_str()));
  EXPECT_TRUE(::RemoveDirectoryW(folder.c_str()));
}

// Sixteen threads at once. Eight make 16 objects each, which each list every resource of this program in order,
// and run rounds with four of them in a window of their own: loads through "kjj___.bmp", conversions out of a
// control through "_vb_.xac" and grey copies each give what they give alone. Meanwhile the other eight make, bind
// and destroy objects without pause, and every one of those bindings holds.
TEST_F(WorkingFiles, EightThreadsWorkWhileEightOthersBindAndDestroy) {
  const char* sources[] = {"photo.png", "palette.png", "primaries.png", "photo.jpg"};
  std::atomic<int> calls{0};
  const auto round = [&](Pixet& p, int i) {
    PixetHostWindow* window = host_.OpenWindow("worker", 200, 150);
    host_.AddControl(window, kImage, 10, 10, 80, 60, ControlKind::Image);
    DesktopHost::SetCurrentWindow(window);
    const std::string out = "mt-" + std::to_string(i) + ".bmp", gray = "mt-" + std::to_string(i) + "-gray.png";
    std::string written = std::to_string(p.LoadImage(window, Sample(sources[i % 4]).c_str(), kImage));
    written += std::to_string(p.ConvertImage("1", out.c_str()));
    written += std::to_string(p.ConvertToGrayscaleImage(Sample(sources[i % 4]).c_str(), gray.c_str()));
    calls += 3;
    for (const std::string& file : {out, gray}) {
      const std::vector<unsigned char> bytes = ReadWholeFile(file);
      written.append(bytes.begin(), bytes.end());
      RemoveFile(file);
    }
    host_.CloseWindow(window);
    return written;
  };
  std::vector<std::string> alone;
  for (int i = 0; i < 8; ++i) alone.push_back(round(*pixet_, i));
  ASSERT_EQ(alone[0].substr(0, 5), "111BM");
  std::atomic<int> waiting{16}, working{8}, made{0}, unbound{0};
  const DWORD start = ::GetTickCount();
  std::vector<std::thread> threads;
  for (int i = 0; i < 8; ++i) threads.emplace_back([&, i] {
    for (--waiting; waiting > 0;) std::this_thread::yield();
    std::vector<std::unique_ptr<Pixet>> objects(16);
    for (auto& p : objects) p = Pixet::Create();
    for (const auto& p : objects) {
      std::string names;
      for (std::size_t k = 0; k < p->USEDRESOURCES->Count(); ++k) names += p->USEDRESOURCES->At(k)->RESOURCENAME + std::string(";");
      EXPECT_EQ(names, "LOGO;PHOTO;ZICON;;");
    }
    for (int n = 0; n < 4; ++n) EXPECT_TRUE(round(*objects[n], i) == alone[i]) << i;
    --working;
  });
  for (int i = 0; i < 8; ++i) threads.emplace_back([&] {
    for (--waiting; waiting > 0;) std::this_thread::yield();
    while (working > 0) {
      unbound += Pixet::Create()->ENGINELOADED != 1;
      ++made;
    }
  });
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(unbound, 0) << "bindings failed";
  std::printf("[ figures  ] %d objects made and destroyed on 8 threads while 8 others made 128 and ran %d calls, in %lu ms\n",
              made.load(), calls.load() - 24, ::GetTickCount() - start);
  EXPECT_EQ(TakeHostCalls(), std::vector<std::string>(8 + 8 * 4, "bytes unnamed 1 ImageFileBytes=BM"));
}

}  // namespace
}  // namespace pixet::testing
