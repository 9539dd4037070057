// The one-shot resource switch of the display methods, on real windows.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>

#include "support/desktop_fixture.h"

using namespace pixet::testing;

namespace {

constexpr char kLibrary[] = "pixet_test_resources.dll";
constexpr std::int16_t kControl = 2;
constexpr COLORREF kGreen = RGB(0, 255, 0);
constexpr COLORREF kYellow = RGB(255, 255, 0);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);

class ResourceSwitch : public DesktopTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(host_.AddControl(window_, kControl, 20, 20, 80, 40, ControlKind::Plain));
    // A file that bears a resource's name: red left, blue right.
    const auto bytes = ReadFileBytes(Sample("halves.png"));
    WriteFileBytes("LOGO", std::string(bytes.begin(), bytes.end()));
  }
  void TearDown() override {
    RemoveFile("LOGO");
    DesktopTest::TearDown();
  }
  void SetModule(const std::string& name) {
    std::memset(pixet_->RESOURCESDLLNAME, ' ', sizeof pixet_->RESOURCESDLLNAME);
    std::memcpy(pixet_->RESOURCESDLLNAME, name.data(), name.size());
  }
  bool ModuleBlank() const {
    return std::string(pixet_->RESOURCESDLLNAME, sizeof pixet_->RESOURCESDLLNAME) == std::string(128, ' ');
  }
  COLORREF PictureCentre() {
    Pump();
    return ScreenPixel(Picture(), 40, 20);
  }
  COLORREF DrawnPixel(int x) const { return WindowPixel(host_.ControlHwnd(window_, kControl), x, 20); }
};

TEST_F(ResourceSwitch, DisplayTakesOneResourceThenFilesAgain) {
  pixet_->USERESOURCE = 1;
  EXPECT_EQ(pixet_->DisplayImage(window_, "LOGO   ", kControl, 0, 0), 1);
  EXPECT_EQ(PictureCentre(), kGreen) << "the program's LOGO resource";
  EXPECT_EQ(pixet_->USERESOURCE, 0);
  EXPECT_TRUE(ModuleBlank());

  EXPECT_EQ(pixet_->DisplayImage(window_, "LOGO", kControl, 0, 0), 1);
  Pump();
  EXPECT_EQ(ScreenPixel(Picture(), 5, 20), kRed) << "the file named LOGO";
  EXPECT_EQ(ScreenPixel(Picture(), 75, 20), kBlue);
  EXPECT_EQ(counter_.Streams(), 1);
}

TEST_F(ResourceSwitch, LibraryNamedInTheFieldServesOneCall) {
  SetModule(kLibrary);
  pixet_->USERESOURCE = 1;
  EXPECT_EQ(pixet_->DisplayImage(window_, "LOGO", kControl, 0, 0), 1);
  EXPECT_EQ(PictureCentre(), kYellow) << "the library's LOGO";
  EXPECT_TRUE(ModuleBlank());
  EXPECT_EQ(pixet_->USERESOURCE, 0);
  EXPECT_EQ(counter_.StreamsHeld(), 0) << "released with the image";
}

TEST_F(ResourceSwitch, DrawImageTakesTheSwitchToo) {
  SetModule(kLibrary);
  pixet_->USERESOURCE = 1;
  EXPECT_EQ(pixet_->DrawImage(window_, "LOGO", kControl, 0, 0), 1);
  EXPECT_EQ(DrawnPixel(40), kYellow);
  EXPECT_TRUE(ModuleBlank());
  EXPECT_EQ(pixet_->USERESOURCE, 0);

  EXPECT_EQ(pixet_->DrawImage(window_, "LOGO", kControl, 0, 0), 1);
  EXPECT_EQ(DrawnPixel(5), kRed) << "the file this time";
  EXPECT_EQ(DrawnPixel(75), kBlue);
}

TEST_F(ResourceSwitch, LibraryThatCannotLoadStillDisplaysNothingAndResets) {
  SetModule("no-such-module.dll");
  pixet_->USERESOURCE = 1;
  EXPECT_EQ(pixet_->DisplayImage(window_, "LOGO", kControl, 0, 0), 1);
  ASSERT_EQ(host_.Messages().size(), 1u);
  EXPECT_EQ(host_.Messages()[0].text, "Can't load no-such-module.dll");
  EXPECT_TRUE(::IsWindow(Picture()));
  EXPECT_EQ(pixet_->USERESOURCE, 0);
  EXPECT_TRUE(ModuleBlank());

  pixet_->USERESOURCE = 1;
  SetModule("no-such-module.dll");
  EXPECT_EQ(pixet_->DrawImage(window_, "LOGO", kControl, 0, 0), 1);
  EXPECT_EQ(DrawnPixel(40), kPlainColour);
  EXPECT_EQ(host_.Messages().size(), 2u);
  EXPECT_TRUE(ModuleBlank());
}

// The lookup goes through the method table: module omitted when the field is blank,
// the field's text when it is not.
class Recorded : public Pixet {
 public:
  std::vector<std::string> modules;  // "(omitted)" for a null module
  std::intptr_t ImageHandleFromResource(const char* name, const char* module) override {
    modules.emplace_back(module != nullptr ? module : "(omitted)");
    return Pixet::ImageHandleFromResource(name, module);
  }
};

TEST_F(ResourceSwitch, LookupGoesThroughTheMethodTable) {
  auto recorded = Pixet::Create<Recorded>();
  EngineCounter counter;
  recorded->USERESOURCE = 1;
  EXPECT_EQ(recorded->DisplayImage(window_, "LOGO", kControl, 0, 0), 1);
  std::memcpy(recorded->RESOURCESDLLNAME, kLibrary, std::strlen(kLibrary));
  recorded->USERESOURCE = 1;
  EXPECT_EQ(recorded->DrawImage(window_, "LOGO", kControl, 0, 0), 1);
  EXPECT_EQ(recorded->DisplayImage(window_, "LOGO", kControl, 0, 0), 1) << "switch off: no lookup";
  EXPECT_EQ(recorded->modules, (std::vector<std::string>{"(omitted)", kLibrary}));
  PIXET_EXPECT_BALANCED(counter);
}

}  // namespace
