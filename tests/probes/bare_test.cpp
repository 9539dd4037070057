// Runs in an executable without image resources. The MissingEngine cases run with
// gdiplus disabled (WINEDLLOVERRIDES=gdiplus=d); the others with the real engine.
#include <gtest/gtest.h>

#include "pixet/pixet.h"
#include "support/counters.h"
#include "support/test_support.h"

using namespace pixet::testing;

TEST(NoResources, BoundObjectWithAnEmptyList) {
  auto p = Pixet::Create();
  EXPECT_TRUE(p->ENGINELOADED == 1 && p->USEDRESOURCES != nullptr && p->USEDRESOURCES->Count() == 0);
}

// The message boxes shown since the last call, as "text [caption] icon".
static std::vector<std::string> Boxes() {
  std::vector<std::string> boxes;
  for (const pixet::refhost::Message& m : DefaultHost().Messages()) boxes.push_back(m.text + " [" + m.caption + "] " + std::to_string((int)m.icon));
  DefaultHost().ClearMessages();
  return boxes;
}

TEST(MissingEngine, OneBoxAndAnUnboundObject) {
  ASSERT_EQ(::LoadLibraryA("GDIPLUS.DLL"), nullptr) << "run this case with WINEDLLOVERRIDES=gdiplus=d";
  auto p = Pixet::Create();
  const std::vector<std::string> box = {"Cannot load DLL engine!|Contact Quillmere [WINDOWS API ERROR - 126] " +
                                        std::to_string(static_cast<int>(pixet::refhost::Icon::Information))};
  EXPECT_EQ(Boxes(), box);
  EXPECT_TRUE(p->ENGINELOADED == 0 && p->USEDRESOURCES == nullptr);
  EXPECT_EQ(p->GDI != nullptr ? p->GDI->LastError() : 0u, 126u) << "the loader is kept, with the error";
  // Nothing else starts the engine, writes a file or shows a box.
  EngineCounter counter;
  EXPECT_EQ(p->ConvertImage(Sample("photo.png").c_str(), "missing-engine.png"), 0);
  GUID clsid{};
  p->GetEncoderClsid("image/png", &clsid);
  EXPECT_TRUE(clsid == GUID{} && counter.Startups() == 0 && !FileExists("missing-engine.png"));
  EXPECT_EQ(Boxes(), std::vector<std::string>{});
  p->Construct();  // tries again, and fails the same way
  EXPECT_EQ(Boxes(), box);
}
