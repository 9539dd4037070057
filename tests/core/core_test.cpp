// The object core: slot order, binding to the engine, the run-time loader, text
// conversions, and the process-wide lock around the fixed-name working files.
#include <cstring>
#include <thread>

#include "core/engine.h"
#include "pixet/wide_converter.h"
#include "support/fixture.h"

// This program exports the last name the binding looks up, as a stand-in never called.
extern "C" void PixetStandIn() {}
__asm__(".section .drectve\n.ascii \" -export:GdipCreateBitmapFromHBITMAP=PixetStandIn\"\n.text");

namespace pixet::testing {
namespace {

using Core = PixetTest;
class WorkingFiles : public PixetTest {};

// A virtual member-function pointer holds 1 + the slot's byte offset (Itanium ABI).
template <class M>
std::ptrdiff_t Slot(M member) {
  std::ptrdiff_t raw = 0;
  std::memcpy(&raw, &member, sizeof raw);
  return (raw - 1) / static_cast<std::ptrdiff_t>(sizeof(void*));
}

TEST_F(Core, MethodsSitInTheirSlots) {
  using W = std::int32_t (Pixet::*)(PixetHostWindow*, const char*, std::int16_t);
  using R = std::int32_t (Pixet::*)(PixetHostReport*, const char*, std::int16_t);
  const std::vector<std::ptrdiff_t> slots = {Slot(&Pixet::CaptureDesktopToBmp), Slot(&Pixet::CaptureClientToBmp),
      Slot(&Pixet::CaptureClientRectToBmp), Slot(&Pixet::CaptureWindowToBmp), Slot(&Pixet::ConvertImage),
      Slot(&Pixet::ConvertToGrayscaleImage), Slot(&Pixet::CopyToClipboard), Slot(&Pixet::CreatePictureBox),
      Slot(&Pixet::DrawImage), Slot(static_cast<W>(&Pixet::LoadImage)), Slot(&Pixet::LoadImageFromClipboard),
      Slot(static_cast<R>(&Pixet::LoadImage)), Slot(&Pixet::DisplayImage), Slot(&Pixet::DisplayImageAsBackground),
      Slot(&Pixet::GetEncoderClsid), Slot(&Pixet::GetFunctionPointers), Slot(&Pixet::ResizeImage),
      Slot(&Pixet::ImageHandleFromResource), Slot(&Pixet::SaveResourceToFile)};
  for (std::size_t i = 0; i < slots.size(); ++i) EXPECT_EQ(slots[i], static_cast<std::ptrdiff_t>(i));
}

// Every table entry is what `module` exports under the entry's name (null if nothing).
void ExpectTableFrom(HMODULE module) {
#define PIXET_EXPECT_ENTRY(name, declaration) \
  EXPECT_EQ(reinterpret_cast<void*>(PixetEngineTable()->name), (void*)::GetProcAddress(module, #name)) << #name;
  PIXET_ENGINE_ENTRIES(PIXET_EXPECT_ENTRY)
#undef PIXET_EXPECT_ENTRY
}

// A host class whose binding looks the names up in this program instead of the engine.
class MissingNames : public Pixet {
  std::int32_t GetFunctionPointers() override {
    char self[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, self, MAX_PATH);
    GDI->Unload();
    GDI->Load(self, DllLoader::kModuleHandle);
    return Pixet::GetFunctionPointers();
  }
};

TEST_F(Core, BindingFillsWhatItFindsOnceAndDestructLetsGo) {
  EXPECT_EQ(pixet_->GetFunctionPointers(), 1);  // again, over the counting shims
  ExpectTableFrom(::GetModuleHandleA("gdiplus.dll"));
  pixet_->USEDRESOURCES->Append("mark");
  pixet_->Construct();  // bound already: nothing changes
  EXPECT_EQ(pixet_->USEDRESOURCES->Count(), 5u);
  pixet_->Destruct();
  EXPECT_TRUE(pixet_->GDI == nullptr && pixet_->USEDRESOURCES == nullptr);
  // Names the engine lacks stay null, the loader records why, and the object still binds.
  auto p = Pixet::Create<MissingNames>();
  EXPECT_EQ(p->ENGINELOADED, 1);
  EXPECT_EQ(p->GDI->LastError(), static_cast<DWORD>(ERROR_PROC_NOT_FOUND));
  EXPECT_EQ(p->USEDRESOURCES->Count(), 4u) << "the program's images, listed for the newest object";
  EXPECT_EQ((void*)PixetEngineTable()->GdipCreateBitmapFromHBITMAP, (void*)&PixetStandIn) << "looked up after misses";
  ExpectTableFrom(::GetModuleHandleA(nullptr));
}

TEST_F(Core, DllLoaderHoldsReleasesAndLooksUp) {
  ASSERT_EQ(::GetModuleHandleA("msimg32.dll"), nullptr);  // held by no one else, so a release shows
  for (int method : {0, 3, -1}) {                          // load as 1 does, taking a reference
    DllLoader loader;
    ASSERT_EQ(loader.Load("msimg32.dll   ", method), 0) << method;
    EXPECT_EQ(loader.Load("GDIPLUS.DLL", 1), 1) << "a second library is refused";
    EXPECT_EQ(loader.Unload(), 0);
    EXPECT_EQ(::GetModuleHandleA("msimg32.dll"), nullptr) << method;
  }
  DllLoader loader;
  EXPECT_TRUE(loader.GetProcedure("AlphaBlend") == nullptr && loader.LastError() == 0) << "nothing loaded";
  EXPECT_EQ(loader.Load("no-such-library.dll", 1), 1);
  EXPECT_EQ(loader.LastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
  ASSERT_EQ(loader.Load("msimg32.dll", 1), 0);
  EXPECT_EQ(loader.GetProcedure("AlphaBlend  "), (void*)::GetProcAddress(loader.Module(), "AlphaBlend"));
  const std::string seventy = "AlphaBlend" + std::string(60, 'x');
  EXPECT_EQ(loader.GetProcedure(seventy.c_str()), nullptr);
  EXPECT_EQ(loader.ProcedureName() + std::to_string(loader.LastError()), seventy.substr(0, 63) + "127");
}

TEST_F(Core, WideConverterUsesTheSystemCodePageAndFixedLengthText) {
  using Wide = std::pair<const char*, std::wstring>;
  for (auto [text, wide] : {Wide{"ab   ", L"ab"}, {"  ", L""}, {"\xE9 \x80", L"\xE9 \x20AC"}}) {  // code page 1252
    WideString w = WideConverter::TextToWide(text);
    ASSERT_NE(w.data, nullptr);
    EXPECT_EQ(std::wstring(w.data), wide);
    EXPECT_EQ(w.bytes, 2 * wide.size() + 2) << text;
    WideConverter::Free(w);
  }
  struct Row { const wchar_t* wide; std::string before; int status; std::string after; };
  for (const Row& row : {Row{L"caf\xE9", "xxxxxxx", 0, "caf\xE9   "}, {L"abcde", "00000", 0, "abcde"},
                         {L"", "abc", 0, "   "}, {L"12345", "keep", 5, "keep"}}) {
    std::string dest = row.before + "!";  // nothing may be written past the destination
    EXPECT_EQ(WideConverter::WideToText(row.wide, &dest[0], row.before.size()), row.status) << row.after;
    EXPECT_EQ(dest, row.after + "!");
  }
}

// Eight threads, each with its own object and window, load different images through
// "kjj___.bmp" and convert them back out of their controls through "_vb_.xac", all at
// once: each gets what it gets alone.
TEST_F(WorkingFiles, EightThreadsAtOnceEachGetWhatTheyGetAlone) {
  const std::string sources[] = {Sample("photo.png"), Sample("palette.png"), Sample("primaries.png"),
                                 Sample("photo.jpg")};
  const auto round = [&](Pixet& p, PixetHostWindow* window, int i) {
    const std::string out = "mt-" + std::to_string(i) + ".bmp";
    const int loaded = p.LoadImage(window, sources[i % 4].c_str(), 1);
    const int converted = p.ConvertImage("1", out.c_str());
    const std::vector<unsigned char> shown = host_.ImageBytes(window, 1), written = ReadFileBytes(out);
    RemoveFile(out);
    return std::to_string(loaded + converted) + std::string(shown.begin(), shown.end()) + "|" +
           std::string(written.begin(), written.end());
  };
  std::vector<std::string> alone;
  std::vector<std::unique_ptr<Pixet>> objects;  // made one after another: only their calls overlap
  for (int i = 0; i < 8; ++i) objects.push_back(Pixet::Create()), alone.push_back(round(*pixet_, window_, i));
  std::vector<int> same(8, 0);
  std::vector<std::thread> threads;
  for (int i = 0; i < 8; ++i)
    threads.emplace_back([&, i] {
      PixetHostWindow* window = host_.OpenWindow("worker", 100, 80);
      host_.AddControl(window, 1, 0, 0, 80, 60, ControlKind::Image);
      DesktopHost::SetCurrentWindow(window);
      for (int n = 0; n < 4; ++n) same[i] += round(*objects[i], window, i) == alone[i];
      host_.CloseWindow(window);
    });
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(alone[0].substr(0, 3), "2BM");
  EXPECT_EQ(same, std::vector<int>(8, 4));
}

}  // namespace
}  // namespace pixet::testing
