#include "support/fixture.h"

#include <algorithm>
#include <cstdlib>

namespace pixet::testing {

namespace {

const char* PropertyName(Property id) {
  switch (id) {
    case Property::ControlText: return "ControlText";
    case Property::Left: return "Left";
    case Property::Top: return "Top";
    case Property::Width: return "Width";
    case Property::Height: return "Height";
    case Property::PixelUnits: return "PixelUnits";
    case Property::ImageFileBytes: return "ImageFileBytes";
    case Property::WindowHandle: return "WindowHandle";
    case Property::ClientAreaHandle: return "ClientAreaHandle";
    case Property::ImageMemoryBlock: return "ImageMemoryBlock";
    case Property::InstanceHandle: return "InstanceHandle";
  }
  return "unknown";
}

}  // namespace

std::intptr_t TestHost::ReadProperty(const Target& target, Property id) {
  const auto found = answers.find(id);
  return found != answers.end() ? found->second : DesktopHost::ReadProperty(target, id);
}
void TestHost::WriteProperty(const Target& target, Property id, std::intptr_t value) {
  Record("write", target, PropertyName(id) + ("=" + std::to_string(value)));
  DesktopHost::WriteProperty(target, id, value);
}
void TestHost::WritePropertyText(const Target& target, Property id, const char* text) {
  Record("text", target, PropertyName(id) + ("=" + std::string(text != nullptr ? text : "(null)")));
  DesktopHost::WritePropertyText(target, id, text);
}
void TestHost::WritePropertyBytes(const Target& target, Property id, const void* bytes, std::size_t size) {
  const char* at = static_cast<const char*>(bytes);
  Record("bytes", target, PropertyName(id) + ("=" + std::string(at, at != nullptr ? std::min<std::size_t>(size, 2) : 0)));
  DesktopHost::WritePropertyBytes(target, id, bytes, size);
}
void TestHost::Redraw(const Target& target) {
  Record("redraw", target, "");
  DesktopHost::Redraw(target);
}
void TestHost::Record(const std::string& what, const Target& target, const std::string& change) {
  std::string owner = "system";
  if (target.kind == Target::Kind::CurrentWindow) owner = "current";
  if (target.kind == Target::Kind::Window || target.kind == Target::Kind::Report) {
    const void* record = target.kind == Target::Kind::Window ? static_cast<const void*>(target.window) : target.report;
    const auto named = names.find(record);
    owner = named != names.end() ? named->second : "unnamed";
  }
  std::lock_guard<std::mutex> lock(mutex_);
  calls_.push_back(what + " " + owner + (target.kind == Target::Kind::System ? "" : " " + std::to_string(target.field)) +
                   (change.empty() ? "" : " " + change));
}
std::vector<std::string> TestHost::TakeCalls() {
  std::lock_guard<std::mutex> lock(mutex_);
  return std::move(calls_);
}

PixetTest::PixetTest() {
  window_ = host_.OpenWindow("pixet test", kClientWidth, kClientHeight);
  host_.AddControl(window_, kImage, 10, 10, 80, 60, ControlKind::Image);
  DesktopHost::SetCurrentWindow(window_);
  report_ = host_.OpenReport();
  host_.names = {{window_, "window"}, {report_, "report"}};
  host_.AddControl(report_, kImage, 0, 0, 80, 60, ControlKind::Image);
}

PixetTest::~PixetTest() { DesktopHost::SetCurrentWindow(nullptr); }

std::vector<std::string> PixetTest::TakeMessages() {
  std::vector<std::string> texts;
  for (const refhost::Message& m : host_.Messages()) texts.push_back(m.text);
  host_.ClearMessages();
  return texts;
}

void PixetTest::TearDown() {
  EXPECT_EQ(engine_.Startups(), engine_.Shutdowns()) << "engine start-ups without shutdown";
  EXPECT_EQ(engine_.Objects().Held(), 0u) << "engine objects left undisposed";
  EXPECT_EQ(engine_.Objects().Unknown(), 0) << "engine objects released twice";
  EXPECT_EQ(engine_.StreamsLeft(), 0) << "resource streams or their blocks left";
  for (const std::string& file : WorkingFiles()) {
    EXPECT_FALSE(FileExists(file)) << file << " left behind";
    ::DeleteFileA(file.c_str());
  }
  AwaitAbandonedSends();
  for (const std::string& left : handles_.Left()) ADD_FAILURE() << left;
  EXPECT_EQ(pixet_->USERESOURCE, 0) << "resource switch left on";
  const std::string name(pixet_->RESOURCESDLLNAME, sizeof pixet_->RESOURCESDLLNAME);
  EXPECT_EQ(name.find_first_not_of(' '), std::string::npos) << "resource library left named: " << name;
  const std::vector<std::string> unexpected = TakeMessages();
  EXPECT_TRUE(unexpected.empty()) << "message box not expected: " << unexpected.front();
  const std::vector<std::string> calls = TakeHostCalls();
  EXPECT_EQ(calls, std::vector<std::string>{}) << "host changes not expected";
}

std::vector<std::string> ShownCalls(std::int16_t control, HWND picture, const std::string& window) {
  const std::string on = "write " + window + " 0 PixelUnits=1";
  std::vector<std::string> calls = {on, on, "write " + window + " 0 PixelUnits=0"};
  const std::string handle = std::to_string(reinterpret_cast<std::intptr_t>(picture));
  if (control != 0) calls.insert(calls.begin() + 2, "write current " + std::to_string(control) + " WindowHandle=" + handle);
  return calls;
}

std::vector<std::string> DrawnCalls(const std::string& window) {
  return {"write " + window + " 0 PixelUnits=1", "write current 0 PixelUnits=1", "redraw current 0",
          "write current 0 PixelUnits=0"};
}

std::vector<std::string> WorkingFiles() {
  std::vector<std::string> files = {TempDirectory() + "kjj___.bmp", "_vb_.xac", "saved__0.bmp", "__svcv.bmp"};
  for (const std::string& fetched : FilesStartingWith(TempDirectory() + "pxw")) files.push_back(TempDirectory() + fetched);
  return files;
}

COLORREF ScreenPixel(HWND hwnd, int x, int y) {
  HDC dc = ::GetDC(hwnd);
  const COLORREF c = ::GetPixel(dc, x, y);
  ::ReleaseDC(hwnd, dc);
  return c;
}

bool Near(COLORREF a, COLORREF b, int tolerance) {
  return std::abs(GetRValue(a) - GetRValue(b)) <= tolerance && std::abs(GetGValue(a) - GetGValue(b)) <= tolerance &&
         std::abs(GetBValue(a) - GetBValue(b)) <= tolerance;
}

}  // namespace pixet::testing
