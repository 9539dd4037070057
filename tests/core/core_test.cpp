// The object core: slot order, binding to the engine, the run-time loader, text
// conversions, file-name, temporary-folder and whole-file helpers, and the process-wide
// lock around the fixed-name working files.
#include <atomic>
#include <cstring>
#include <thread>

#include "core/file_names.h"
#include "core/test_seams.h"
#include "pixet/wide_converter.h"
#include "support/fixture.h"

// This program exports the last name the binding looks up, as a stand-in never called.
extern "C" void PixetStandIn() {}
__asm__(".section .drectve\n.ascii \" -export:GdipCreateBitmapFromHBITMAP=PixetStandIn\"\n.text");

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
}

TEST_F(Core, BindingFillsWhatItFindsOnceAndDestructLetsGo) {
  pixet_->USEDRESOURCES->Append("mark");
  pixet_->Construct();  // bound already: nothing changes
  EXPECT_EQ(pixet_->USEDRESOURCES->Count(), 5u);
  // Bound to this program instead, the names it lacks become null (not left as they were), the last one, which
  // it has, is still looked up, and the loader says why.
  ASSERT_EQ((std::vector<int>{pixet_->GDI->Unload(), pixet_->GDI->Load("pixet_tests.exe", DllLoader::kModuleHandle),
                              pixet_->GetFunctionPointers()}), (std::vector<int>{0, 0, 1}));
  EXPECT_EQ(pixet_->GDI->LastError(), static_cast<DWORD>(ERROR_PROC_NOT_FOUND));
#define PIXET_EXPECT_ENTRY(name, declaration) \
  EXPECT_EQ((void*)PixetEngineTable()->name, (void*)::GetProcAddress(::GetModuleHandleA(nullptr), #name)) << #name;
  PIXET_ENGINE_ENTRIES(PIXET_EXPECT_ENTRY)
  pixet_->Destruct();
  EXPECT_TRUE(pixet_->GDI == nullptr && pixet_->USEDRESOURCES == nullptr);
}

// Objects made on eight threads at once each list all of this program's resources, in order.
TEST_F(Core, ObjectsMadeOnEightThreadsAtOnceEachListEveryResource) {
  std::vector<std::unique_ptr<Pixet>> objects(128);
  std::vector<std::thread> threads;
  std::atomic<int> waiting{8};  // all start together
  for (int i = 0; i < 8; ++i) threads.emplace_back([&, i] {
    for (--waiting; waiting > 0;) std::this_thread::yield();
    for (int n = i; n < 128; n += 8) objects[n] = Pixet::Create();
  });
  for (std::thread& thread : threads) thread.join();
  for (const auto& p : objects) {
    std::string names;
    for (std::size_t k = 0; k < p->USEDRESOURCES->Count(); ++k)
      names += p->USEDRESOURCES->At(k).RESOURCENAME + std::string(";");
    EXPECT_EQ(names, "LOGO;PHOTO;ZICON;;");
  }
}

TEST_F(Core, DllLoaderHoldsReleasesAndLooksUp) {
  for (int method : {0, 3, -1}) {  // load as 1 does, taking a reference; braces run in order
    DllLoader loader;
    EXPECT_EQ((std::vector<int>{loader.Load("msimg32.dll  ", method), loader.Load("GDIPLUS.DLL", 1),
                                loader.Unload(), ::GetModuleHandleA("msimg32.dll") != nullptr}),
              (std::vector<int>{0, 1, 0, 0})) << method;
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

// TMP set for the scope: the system takes the temporary folder from it first.
class TmpSetTo {
 public:
  explicit TmpSetTo(const std::string& folder) {
    char old[MAX_PATH * 2];
    const DWORD n = ::GetEnvironmentVariableA("TMP", old, sizeof old);
    had_ = n > 0 && n < sizeof old;
    if (had_) old_.assign(old, n);
    ::SetEnvironmentVariableA("TMP", folder.c_str());
  }
  ~TmpSetTo() { ::SetEnvironmentVariableA("TMP", had_ ? old_.c_str() : nullptr); }
  TmpSetTo(const TmpSetTo&) = delete;
  TmpSetTo& operator=(const TmpSetTo&) = delete;

 private:
  bool had_ = false;
  std::string old_;
};

// The folder ends in a backslash; one longer than the caller takes gives nothing.
TEST(TempDirectory, IsTheSystemsFolderWithABackslashUpToTheLongestTaken) {
  {
    TmpSetTo tmp("C:\\pixet-temp-check");
    EXPECT_EQ(TempDirectory(), "C:\\pixet-temp-check\\");
  }
  const auto folder_of = [](std::size_t chars) { return "C:\\" + std::string(chars - 4, 'd') + "\\"; };
  for (const std::size_t chars : {254u, 255u}) {
    TmpSetTo tmp(folder_of(chars).substr(0, chars - 1));  // the system adds the backslash
    EXPECT_EQ(TempDirectory(254), chars <= 254 ? folder_of(chars) : "") << chars;
    EXPECT_EQ(TempDirectory(), folder_of(chars)) << chars;
  }
  {
    TmpSetTo tmp(folder_of(kMaxTempDirectoryChars).substr(0, kMaxTempDirectoryChars - 1));
    EXPECT_EQ(TempDirectory(), folder_of(kMaxTempDirectoryChars));
  }
  EXPECT_FALSE(TempDirectory().empty());  // the real one again
}

// Every byte, or the reason and no bytes; others may hold the file open for writing.
TEST(WholeFile, ReadsEveryByteOrSaysWhyAndGivesNone) {
  std::string pattern(300000, '\0');
  for (std::size_t i = 0; i < pattern.size(); ++i) pattern[i] = static_cast<char>(i * 7 % 251);
  const std::string name = Output("whole-file.bin"), empty = Output("whole-file-empty.bin");
  WriteFileBytes(name, pattern);
  WriteFileBytes(empty, "");
  std::vector<unsigned char> bytes = {1, 2, 3};
  EXPECT_EQ(ReadWholeFile(empty, bytes), 0u);
  EXPECT_TRUE(bytes.empty());
  {
    HANDLE writer = ::CreateFileA(name.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(writer, INVALID_HANDLE_VALUE);
    EXPECT_EQ(ReadWholeFile(name, bytes), 0u);
    ::CloseHandle(writer);
  }
  EXPECT_EQ(bytes, std::vector<unsigned char>(pattern.begin(), pattern.end()));
  EXPECT_EQ(ReadWholeFile(name), bytes);
  {
    HANDLE alone = ::CreateFileA(name.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(alone, INVALID_HANDLE_VALUE);
    EXPECT_EQ(ReadWholeFile(name, bytes), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    EXPECT_TRUE(bytes.empty());
    ::CloseHandle(alone);
  }
  bytes = {1};
  EXPECT_EQ(ReadWholeFile(Output("whole-file-missing.bin"), bytes), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_TRUE(bytes.empty() && ReadWholeFile(Output("whole-file-missing.bin")).empty());
  RemoveFile(name);
  RemoveFile(empty);
}

// Eight threads, each with its own object and window, load different images through
// "kjj___.bmp" and convert them back out of their controls through "_vb_.xac", all at
// once: each gets what it gets alone.
TEST_F(WorkingFiles, EightThreadsAtOnceEachGetWhatTheyGetAlone) {
  const char* sources[] = {"photo.png", "palette.png", "primaries.png", "photo.jpg"};
  const auto round = [&](Pixet& p, int i) {  // in a window of its own, current for the thread
    PixetHostWindow* window = host_.OpenWindow("worker", 200, 150);
    host_.AddControl(window, kImage, 10, 10, 80, 60, ControlKind::Image);
    DesktopHost::SetCurrentWindow(window);
    const std::string out = "mt-" + std::to_string(i) + ".bmp";
    p.LoadImage(window, Sample(sources[i % 4]).c_str(), kImage);
    p.ConvertImage("1", out.c_str());
    const std::vector<unsigned char> written = ReadWholeFile(out);
    RemoveFile(out);
    host_.CloseWindow(window);
    return std::string(written.begin(), written.end());
  };
  std::vector<std::string> alone;
  std::vector<std::unique_ptr<Pixet>> objects;  // made one after another: only their calls overlap
  for (int i = 0; i < 8; ++i) objects.push_back(Pixet::Create()), alone.push_back(round(*pixet_, i));
  ASSERT_EQ(alone[0].substr(0, 2), "BM");
  std::vector<std::thread> threads;
  for (int i = 0; i < 8; ++i)
    threads.emplace_back([&, i] { for (int n = 0; n < 4; ++n) EXPECT_TRUE(round(*objects[i], i) == alone[i]) << i; });
  for (std::thread& thread : threads) thread.join();
}

}  // namespace
}  // namespace pixet::testing
