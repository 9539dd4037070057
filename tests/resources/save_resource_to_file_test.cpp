// Resource images written out in the format of the target's extension.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>

#include "pixet/pixet.h"
#include "pixet/refhost.h"
#include "support/counted_pixet.h"
#include "support/engine_counter.h"
#include "support/engine_tap.h"
#include "support/test_support.h"

using namespace pixet::testing;

namespace {

constexpr char kLibrary[] = "pixet_test_resources.dll";

std::string Field(const Pixet& p) { return std::string(p.RESOURCESDLLNAME, sizeof p.RESOURCESDLLNAME); }
const std::string kBlankField(128, ' ');

void SetField(Pixet& p, const std::string& text) {
  std::memset(p.RESOURCESDLLNAME, ' ', sizeof p.RESOURCESDLLNAME);
  std::memcpy(p.RESOURCESDLLNAME, text.data(), text.size());
}

class SaveResourceToFile : public CountedPixetTest {
 protected:
  void TearDown() override {
    CountedPixetTest::TearDown();
    EXPECT_EQ(pixet_->USERESOURCE, 0);
    EXPECT_EQ(Field(*pixet_), kBlankField);
  }
};

TEST_F(SaveResourceToFile, ReencodesByTheTargetExtension) {
  struct Case {
    const char* name;
    const char* module;
    const char* target;
    const char* format;
    unsigned width, height;
  };
  for (const Case& c : {Case{"LOGO", nullptr, "res-logo.bmp", "bmp", 16, 16},
                        Case{"PHOTO", nullptr, "res-photo.png", "png", 24, 16},
                        Case{"ZICON", nullptr, "res-zicon.jpg", "jpeg", 8, 8},
                        Case{"LOGO", kLibrary, "res-module-logo.tif", "tiff", 20, 12},
                        Case{"SNAP", kLibrary, "res-module-snap.bmp", "bmp", 30, 20},
                        Case{"TILE  ", kLibrary, "res-module-tile.PNG  ", "png", 10, 6}}) {
    const std::string target = Output(c.target);
    const std::string file = target.substr(0, target.find_last_not_of(' ') + 1);
    RemoveFile(file);
    EXPECT_EQ(pixet_->SaveResourceToFile(c.name, target.c_str(), c.module), 1) << c.target;
    const DecodedImage out = Decode(file);
    ASSERT_TRUE(out.ok) << c.target;
    EXPECT_EQ(out.format, c.format) << c.target;
    EXPECT_EQ(out.width, c.width) << c.target;
    EXPECT_EQ(out.height, c.height) << c.target;
    ExpectForIdentify(file.substr(4), c.format, c.width, c.height);
  }
  EXPECT_EQ(Decode(Output("res-logo.bmp")).Pixel(8, 8), 0xFF00FF00u);
  EXPECT_EQ(Decode(Output("res-module-tile.PNG")).Pixel(5, 3), 0xFF00FFFFu);
  EXPECT_TRUE(Messages().empty());
}

TEST_F(SaveResourceToFile, MissingResourceGivesOneAndNoFile) {
  RemoveFile("never.png");
  EXPECT_EQ(pixet_->SaveResourceToFile("NOSUCH", "never.png"), 1);
  EXPECT_EQ(pixet_->SaveResourceToFile("BROKEN", "never.png", kLibrary), 1);
  EXPECT_FALSE(FileExists("never.png"));
  EXPECT_TRUE(Messages().empty());
}

TEST_F(SaveResourceToFile, UnknownExtensionShowsInvalidFormatAfterTheLookup) {
  EXPECT_EQ(pixet_->SaveResourceToFile("LOGO", "logo.txt"), 0);
  EXPECT_FALSE(FileExists("logo.txt"));
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_EQ(Messages()[0].text, "Invalid Format!");
  EXPECT_EQ(counter_.Calls("GdipCreateBitmapFromStream"), 1) << "the image is fetched first";
  EXPECT_EQ(counter_.Calls("GdipSaveImageToFile"), 0);
}

TEST_F(SaveResourceToFile, MissingLibraryShowsCantLoad) {
  RemoveFile("never.png");
  EXPECT_EQ(pixet_->SaveResourceToFile("LOGO", "never.png", "no-such-module.dll"), 1);
  EXPECT_FALSE(FileExists("never.png"));
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_EQ(Messages()[0].text, "Can't load no-such-module.dll");

  ClearMessages();
  EXPECT_EQ(pixet_->SaveResourceToFile("LOGO", "never.txt", "no-such-module.dll"), 0);
  ASSERT_EQ(Messages().size(), 2u);
  EXPECT_EQ(Messages()[0].text, "Can't load no-such-module.dll");
  EXPECT_EQ(Messages()[1].text, "Invalid Format!");

  ClearMessages();
  EXPECT_EQ(pixet_->SaveResourceToFile("LOGO", "never.png", "   "), 1) << "a blank module is given, not omitted";
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_EQ(Messages()[0].text, "Can't load ");
  EXPECT_FALSE(FileExists("never.png"));
}

TEST_F(SaveResourceToFile, OmittedModuleIgnoresAPresetField) {
  SetField(*pixet_, kLibrary);
  const std::string target = Output("res-preset.png");
  EXPECT_EQ(pixet_->SaveResourceToFile("LOGO", target.c_str()), 1);
  EXPECT_EQ(Decode(target).width, 16u) << "the program's LOGO, not the library's";
}

// A derived lookup sees the module name in the field and is called through the table.
class Recorded : public Pixet {
 public:
  std::string module, field, mime;
  bool module_given = false;
  std::intptr_t ImageHandleFromResource(const char* name, const char* m) override {
    module_given = m != nullptr;
    module = m != nullptr ? m : "";
    field = std::string(RESOURCESDLLNAME, sizeof RESOURCESDLLNAME);
    return Pixet::ImageHandleFromResource(name, m);
  }
  void GetEncoderClsid(const char* m, _GUID* clsid) override {
    mime = m;
    Pixet::GetEncoderClsid(m, clsid);
  }
};

TEST_F(SaveResourceToFile, ModuleNameGoesThroughTheFieldAndTheMethodTable) {
  auto recorded = Pixet::Create<Recorded>();
  EngineCounter counter;
  const std::string target = Output("res-recorded.gif");
  EXPECT_EQ(recorded->SaveResourceToFile("TILE", target.c_str(), "pixet_test_resources.dll  "), 1);
  EXPECT_TRUE(recorded->module_given);
  EXPECT_EQ(recorded->module, kLibrary);
  EXPECT_EQ(recorded->field, kLibrary + std::string(128 - std::strlen(kLibrary), ' '));
  EXPECT_EQ(recorded->mime, "image/gif");
  EXPECT_EQ(Field(*recorded), kBlankField);
  EXPECT_EQ(recorded->USERESOURCE, 0);

  SetField(*recorded, kLibrary);
  EXPECT_EQ(recorded->SaveResourceToFile("LOGO", Output("res-recorded.png").c_str()), 1);
  EXPECT_FALSE(recorded->module_given);
  EXPECT_EQ(Field(*recorded), kBlankField);
  PIXET_EXPECT_BALANCED(counter);
}

// Mend: a target of more than 255 characters is refused rather than overflowing.
TEST_F(SaveResourceToFile, TargetsLongerThan255CharactersAreRefused) {
  const std::string too_long = std::string(252, 'r') + ".png";  // 256 characters
  EXPECT_EQ(pixet_->SaveResourceToFile("LOGO", too_long.c_str()), 0);
  EXPECT_FALSE(FileExists(too_long));
  EXPECT_EQ(counter_.Calls("GdipSaveImageToFile"), 0) << "never handed to the engine";
  const std::string fits = std::string(251, 's') + ".png";
  EXPECT_EQ(pixet_->SaveResourceToFile("LOGO", fits.c_str()), 1);
  EXPECT_TRUE(FileExists(fits));
  RemoveFile(fits);
}

// Unbound: 0 and nothing touched. Failed start-up: the message, 0, no lookup.
TEST(ResourceRefusals, UnboundObjectAndFailedStartUp) {
  pixet::refhost::RecordingHost recorder;
  ScopedHost registered(&recorder);
  auto pixet = Pixet::Create();
  EngineCounter counter;
  RemoveFile("refused.png");

  pixet->ENGINELOADED = 0;
  pixet->USERESOURCE = 1;
  EXPECT_EQ(pixet->SaveResourceToFile("LOGO", "refused.png", kLibrary), 0);
  EXPECT_EQ(pixet->ImageHandleFromResource("LOGO", "no-such-module.dll"), 0);
  EXPECT_EQ(pixet->USERESOURCE, 1);
  EXPECT_EQ(Field(*pixet), kBlankField);
  EXPECT_TRUE(recorder.Calls().empty());
  EXPECT_TRUE(counter.Order().empty());

  pixet->ENGINELOADED = 1;
  {
    EngineTap<&pixet::engine::Table::GdiplusStartup> failing(Gdiplus::GenericError);
    EXPECT_EQ(pixet->SaveResourceToFile("LOGO", "refused.png", kLibrary), 0);
  }
  ASSERT_EQ(MessagesOf(recorder).size(), 1u);
  EXPECT_EQ(MessagesOf(recorder)[0].text, "Error initializing GDI+");
  EXPECT_EQ(pixet->USERESOURCE, 1);
  EXPECT_EQ(Field(*pixet), kBlankField);
  EXPECT_EQ(counter.Streams(), 0);
  EXPECT_FALSE(FileExists("refused.png"));
  pixet->USERESOURCE = 0;
}

}  // namespace
