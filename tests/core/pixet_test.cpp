// The object: slot order, binding, the resource list and dispatch through the method table.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "core/engine.h"
#include "pixet/pixet.h"
#include "support/engine_counter.h"
#include "support/test_support.h"

#undef LoadImage

using pixet::testing::Messages;

extern "C" __declspec(dllimport) Pixet* PixetResourceEnumTarget();

namespace {

// A virtual member-function pointer holds 1 + the slot's byte offset (Itanium ABI).
template <class M>
std::ptrdiff_t SlotOf(M member) {
  std::ptrdiff_t raw = 0;
  std::memcpy(&raw, &member, sizeof raw);
  return (raw - 1) / static_cast<std::ptrdiff_t>(sizeof(void*));
}

TEST(PixetSlots, MethodsSitInTheirFixedSlots) {
  using W = std::int32_t (Pixet::*)(PixetHostWindow*, const char*, std::int16_t);
  using R = std::int32_t (Pixet::*)(PixetHostReport*, const char*, std::int16_t);
  EXPECT_EQ(SlotOf(&Pixet::CaptureDesktopToBmp), 0);
  EXPECT_EQ(SlotOf(&Pixet::CaptureClientToBmp), 1);
  EXPECT_EQ(SlotOf(&Pixet::CaptureClientRectToBmp), 2);
  EXPECT_EQ(SlotOf(&Pixet::CaptureWindowToBmp), 3);
  EXPECT_EQ(SlotOf(&Pixet::ConvertImage), 4);
  EXPECT_EQ(SlotOf(&Pixet::ConvertToGrayscaleImage), 5);
  EXPECT_EQ(SlotOf(&Pixet::CopyToClipboard), 6);
  EXPECT_EQ(SlotOf(&Pixet::CreatePictureBox), 7);
  EXPECT_EQ(SlotOf(&Pixet::DrawImage), 8);
  EXPECT_EQ(SlotOf(static_cast<W>(&Pixet::LoadImage)), 9);
  EXPECT_EQ(SlotOf(&Pixet::LoadImageFromClipboard), 10);
  EXPECT_EQ(SlotOf(static_cast<R>(&Pixet::LoadImage)), 11);
  EXPECT_EQ(SlotOf(&Pixet::DisplayImage), 12);
  EXPECT_EQ(SlotOf(&Pixet::DisplayImageAsBackground), 13);
  EXPECT_EQ(SlotOf(&Pixet::GetEncoderClsid), 14);
  EXPECT_EQ(SlotOf(&Pixet::GetFunctionPointers), 15);
  EXPECT_EQ(SlotOf(&Pixet::ResizeImage), 16);
  EXPECT_EQ(SlotOf(&Pixet::ImageHandleFromResource), 17);
  EXPECT_EQ(SlotOf(&Pixet::SaveResourceToFile), 18);
}

class PixetObject : public ::testing::Test {
 protected:
  void SetUp() override { pixet::testing::ClearMessages(); }
};

TEST_F(PixetObject, BindsTheEngineAndFillsEveryTableEntry) {
  auto p = Pixet::Create();
  EXPECT_EQ(p->ENGINELOADED, 1);
  ASSERT_NE(p->GDI, nullptr);
  EXPECT_EQ(p->GDI->IsLoaded(), 1);
  EXPECT_STREQ(p->GDI->ModuleFileName(), "GDIPLUS.DLL");
  EXPECT_EQ(p->HPICTUREBOX, nullptr);
  EXPECT_EQ(p->USERESOURCE, 0);
  EXPECT_EQ(std::string(p->RESOURCESDLLNAME, 128), std::string(128, ' '));
  const auto* entries = reinterpret_cast<void* const*>(PixetEngineTable());
  EXPECT_EQ(pixet::engine::kEntryCount, 28);
  for (int i = 0; i < pixet::engine::kEntryCount; ++i) EXPECT_NE(entries[i], nullptr) << "entry " << i;
  EXPECT_EQ(reinterpret_cast<void*>(PixetEngineTable()->GdiplusStartup),
            reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleA("gdiplus.dll"), "GdiplusStartup")));
  EXPECT_TRUE(Messages().empty());
}

TEST_F(PixetObject, ListsTheProgramsTypeZeroResourcesInSystemOrder) {
  auto p = Pixet::Create();
  ASSERT_NE(p->USEDRESOURCES, nullptr);
  ASSERT_EQ(p->USEDRESOURCES->Count(), 4u);
  EXPECT_STREQ(p->USEDRESOURCES->At(0).RESOURCENAME, "LOGO");
  EXPECT_STREQ(p->USEDRESOURCES->At(1).RESOURCENAME, "PHOTO");
  EXPECT_STREQ(p->USEDRESOURCES->At(2).RESOURCENAME, "ZICON");
  EXPECT_STREQ(p->USEDRESOURCES->At(3).RESOURCENAME, "") << "a numeric id is listed as empty text";
}

TEST_F(PixetObject, SecondConstructChangesNothing) {
  auto p = Pixet::Create();
  pixet::DllLoader* loader = p->GDI;
  pixet::UsedResourceList* list = p->USEDRESOURCES;
  p->Construct();
  EXPECT_EQ(p->GDI, loader);
  EXPECT_EQ(p->USEDRESOURCES, list);
  EXPECT_EQ(p->USEDRESOURCES->Count(), 4u);
  EXPECT_EQ(p->ENGINELOADED, 1);
  EXPECT_TRUE(Messages().empty());
}

TEST_F(PixetObject, EnumTargetIsTheLastObjectBound) {
  auto first = Pixet::Create();
  auto second = Pixet::Create();
  EXPECT_EQ(PixetResourceEnumTarget(), second.get());
  EXPECT_EQ(first->USEDRESOURCES->Count(), 4u);
  EXPECT_EQ(second->USEDRESOURCES->Count(), 4u);
}

TEST_F(PixetObject, DestructReleasesTheLoaderAndTheList) {
  auto p = Pixet::Create();
  p->Destruct();
  EXPECT_EQ(p->GDI, nullptr);
  EXPECT_EQ(p->USEDRESOURCES, nullptr);
  EXPECT_EQ(p->ENGINELOADED, 1) << "Destruct leaves ENGINELOADED alone";
  p->Construct();  // rebinding after Destruct works
  EXPECT_NE(p->GDI, nullptr);
  EXPECT_EQ(p->USEDRESOURCES->Count(), 4u);
}

// A host class whose table lookup fails.
class NoPointers : public Pixet {
 public:
  int lookups = 0;
  std::int32_t GetFunctionPointers() override {
    ++lookups;
    ::SetLastError(1234);
    return 0;
  }
};

TEST_F(PixetObject, DerivedGetFunctionPointersIsTheOneConstructCalls) {
  auto p = Pixet::Create<NoPointers>();
  EXPECT_EQ(p->lookups, 1);
  EXPECT_EQ(p->ENGINELOADED, 0);
  EXPECT_EQ(p->USEDRESOURCES, nullptr);
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_EQ(Messages()[0].text, "Cannot obtain function pointers");
  EXPECT_EQ(Messages()[0].caption, "WINDOWS API ERROR - 1234");
  EXPECT_EQ(Messages()[0].icon, pixet::MessageIcon::Information);
}

TEST_F(PixetObject, UnboundObjectRefusesEngineWorkAtOnce) {
  auto p = Pixet::Create<NoPointers>();
  pixet::testing::ClearMessages();
  pixet::testing::EngineCounter counter;
  EXPECT_EQ(p->ConvertImage(pixet::testing::Sample("photo.png").c_str(), "unbound.png"), 0);
  GUID clsid{};
  clsid.Data1 = 0x55;
  p->GetEncoderClsid("image/png", &clsid);
  EXPECT_EQ(clsid.Data1, 0x55u);
  EXPECT_TRUE(counter.Order().empty()) << "no engine call";
  EXPECT_FALSE(pixet::testing::FileExists("unbound.png"));
  EXPECT_TRUE(Messages().empty());
  p.reset();  // destroying an object whose binding failed is safe
}

// Overrides reached through the method table.
class PngOnly : public Pixet {
 public:
  int asked = 0;
  void GetEncoderClsid(const char*, _GUID* clsid) override {
    ++asked;
    Pixet::GetEncoderClsid("image/png", clsid);
  }
};

TEST_F(PixetObject, ConvertImageReachesADerivedGetEncoderClsid) {
  auto p = Pixet::Create<PngOnly>();
  pixet::testing::RemoveFile("dispatch.bmp");
  EXPECT_EQ(p->ConvertImage(pixet::testing::Sample("photo.jpg").c_str(), "dispatch.bmp"), 1);
  EXPECT_EQ(p->asked, 1);
  EXPECT_EQ(pixet::testing::Decode("dispatch.bmp").format, "png") << "the derived encoder choice was used";
  pixet::testing::RemoveFile("dispatch.bmp");
}

class CountingConvert : public Pixet {
 public:
  int converts = 0;
  std::int32_t ConvertImage(const char*, const char*) override {
    ++converts;
    return 7;
  }
};

TEST_F(PixetObject, ADerivedConvertImageIsCalledThroughTheBase) {
  auto p = Pixet::Create<CountingConvert>();
  Pixet& base = *p;
  EXPECT_EQ(base.ConvertImage("a.png", "b.png"), 7);
  EXPECT_EQ(p->converts, 1);
}

TEST_F(PixetObject, CFactoryMakesABoundObject) {
  Pixet* p = PixetNew();
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(p->ENGINELOADED, 1);
  PixetDelete(p);
}

}  // namespace
