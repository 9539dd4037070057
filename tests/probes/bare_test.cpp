// Runs in an executable without image resources. The MissingEngine cases run with
// gdiplus disabled (WINEDLLOVERRIDES=gdiplus=d); the others with the real engine.
#include <gtest/gtest.h>

#include <windows.h>

#include "pixet/pixet.h"
#include "support/engine_counter.h"
#include "support/test_support.h"

using namespace pixet::testing;

namespace {

TEST(NoResources, BoundObjectWithAnEmptyList) {
  ClearMessages();
  auto p = Pixet::Create();
  EXPECT_EQ(p->ENGINELOADED, 1);
  ASSERT_NE(p->USEDRESOURCES, nullptr);
  EXPECT_EQ(p->USEDRESOURCES->Count(), 0u);
  EXPECT_TRUE(Messages().empty());
}

TEST(MissingEngine, OneBoxAndAnUnboundObject) {
  ASSERT_EQ(::LoadLibraryA("GDIPLUS.DLL"), nullptr) << "run this case with WINEDLLOVERRIDES=gdiplus=d";
  ClearMessages();
  auto p = Pixet::Create();
  EXPECT_EQ(p->ENGINELOADED, 0);
  EXPECT_EQ(p->USEDRESOURCES, nullptr);
  ASSERT_NE(p->GDI, nullptr) << "the loader is kept";
  EXPECT_EQ(p->GDI->IsLoaded(), 0);
  EXPECT_EQ(p->GDI->LastError(), 126u);
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_EQ(Messages()[0].text, "Cannot load DLL engine!|Contact Quillmere");
  EXPECT_EQ(Messages()[0].caption, "WINDOWS API ERROR - 126");
  EXPECT_EQ(Messages()[0].icon, pixet::MessageIcon::Information);

  ClearMessages();
  EngineCounter counter;
  EXPECT_EQ(p->ConvertImage(Sample("photo.png").c_str(), "missing-engine.png"), 0);
  GUID clsid{};
  p->GetEncoderClsid("image/png", &clsid);
  EXPECT_EQ(clsid, GUID{});
  EXPECT_EQ(counter.Startups(), 0);
  EXPECT_FALSE(FileExists("missing-engine.png"));
  EXPECT_TRUE(Messages().empty());

  // Construct again retries the binding, and fails the same way.
  p->Construct();
  EXPECT_EQ(p->ENGINELOADED, 0);
  EXPECT_EQ(Messages().size(), 1u);
}

}  // namespace
