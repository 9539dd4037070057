// Eight threads loading, downloading, converting and pasting at once: each call still
// sees only its own working files, so each gives what it gives alone.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "pixet/pixet.h"
#include "pixet/refhost.h"
#include "support/clipboard_support.h"
#include "support/engine_counter.h"
#include "support/internet_counter.h"
#include "support/test_support.h"

#undef LoadImage

using namespace pixet::testing;
using pixet::refhost::ControlKind;
using pixet::refhost::DesktopHost;

namespace {

constexpr int kThreads = 8;
constexpr int kRounds = 4;

// What one call gave: its result and the image (pixels) it produced.
struct Outcome {
  std::int32_t result = -1;
  Pixels pixels;
};

Pixels PixelsOfBytes(const std::vector<unsigned char>& bytes, const std::string& name) {
  WriteFileBytes(name, std::string(bytes.begin(), bytes.end()));
  Pixels pixels = FilePixels(name);
  RemoveFile(name);
  return pixels;
}

class Worker {
 public:
  Worker(int index, DesktopHost& host, Pixet& pixet) : index_(index), host_(host), pixet_(pixet) {}

  // One round of this worker's kind of call.
  void Round(PixetHostWindow* window, PixetHostReport* report) {
    const std::string own = "mt-" + std::to_string(index_);
    Outcome out;
    switch (index_) {
      case 0:
      case 1: {
        const std::string source = Sample(index_ == 0 ? "photo.png" : "palette.png");
        out.result = pixet_.LoadImage(window, source.c_str(), 1);
        out.pixels = PixelsOfBytes(host_.ImageBytes(window, 1), own + ".bmp");
        break;
      }
      case 2:
        out.result = pixet_.LoadImage(report, Sample("indexed.gif").c_str(), 1);
        out.pixels = PixelsOfBytes(host_.ImageBytes(report, 1), own + ".bmp");
        break;
      case 3:
      case 7:  // the same downloaded file name on two threads
        out.result = pixet_.LoadImage(window, HttpAddress("/img/mt-shared.png").c_str(), 1);
        out.pixels = PixelsOfBytes(host_.ImageBytes(window, 1), own + ".bmp");
        break;
      case 4:  // control 5 of the current window through "_vb_.xac"
        RemoveFile(own + ".png");
        out.result = pixet_.ConvertImage("5", (own + ".png").c_str());
        out.pixels = FilePixels(own + ".png");
        break;
      case 5:
        RemoveFile(own + ".png");
        out.result = pixet_.ConvertToGrayscaleImage("5", (own + ".png").c_str());
        out.pixels = FilePixels(own + ".png");
        break;
      case 6:
        out.result = pixet_.LoadImageFromClipboard(window, 1);
        out.pixels = PixelsOfBytes(host_.ImageBytes(window, 1), own + ".bmp");
        break;
    }
    outcomes.push_back(out);
  }

  void Run() {
    PixetHostWindow* window = host_.OpenWindow(("worker " + std::to_string(index_)).c_str(), 200, 100);
    PixetHostReport* report = host_.OpenReport();
    host_.AddControl(window, 1, 0, 0, 90, 60, ControlKind::Image);
    host_.AddControl(window, 5, 100, 0, 90, 60, ControlKind::Image);
    host_.AddReportImageControl(report, 1, 0, 0, 90, 60);
    DesktopHost::SetCurrentWindow(window);
    // The control source: photo.png, or palette.png for the plain conversion.
    setup = pixet_.LoadImage(window, Sample(index_ == 4 ? "palette.png" : "photo.png").c_str(), 5);
    for (int i = 0; i < kRounds; ++i) Round(window, report);
    DesktopHost::SetCurrentWindow(nullptr);
    host_.CloseWindow(window);
    host_.CloseReport(report);
  }

  std::int32_t setup = -1;
  std::vector<Outcome> outcomes;

 private:
  int index_;
  DesktopHost& host_;
  Pixet& pixet_;
};

TEST(WorkingFiles, EightThreadsNeverSeeEachOthersFiles) {
  // Objects are made one after the other; only their calls run at once.
  std::vector<std::unique_ptr<Pixet>> objects;
  for (int i = 0; i < kThreads; ++i) objects.push_back(Pixet::Create());
  DesktopHost host;
  ScopedHost scoped(&host);
  PutBitmap(TestPicture());

  // What each kind of call gives alone.
  Pixet& alone = *objects[0];
  ASSERT_EQ(alone.ConvertToGrayscaleImage(Sample("photo.png").c_str(), "mt-grey.png"), 1);
  const Pixels expected[kThreads] = {FilePixels(Sample("photo.png")),  FilePixels(Sample("palette.png")),
                                     FilePixels(Sample("indexed.gif")), FilePixels(Sample("photo.png")),
                                     FilePixels(Sample("palette.png")), FilePixels("mt-grey.png"),
                                     TestPicture(),                     FilePixels(Sample("photo.png"))};
  RemoveFile("mt-grey.png");

  EngineCounter counter;
  InternetCounter internet;
  std::vector<std::unique_ptr<Worker>> workers;
  for (int i = 0; i < kThreads; ++i) workers.push_back(std::make_unique<Worker>(i, host, *objects[i]));
  std::vector<std::thread> threads;
  for (auto& worker : workers) threads.emplace_back([&worker] { worker->Run(); });
  for (auto& thread : threads) thread.join();

  for (int i = 0; i < kThreads; ++i) {
    EXPECT_EQ(workers[i]->setup, 1) << "thread " << i;
    ASSERT_EQ(workers[i]->outcomes.size(), static_cast<std::size_t>(kRounds));
    for (int round = 0; round < kRounds; ++round) {
      const Outcome& out = workers[i]->outcomes[round];
      EXPECT_EQ(out.result, 1) << "thread " << i << " round " << round;
      EXPECT_TRUE(out.pixels == expected[i]) << "thread " << i << " round " << round << ": " << out.pixels.width
                                             << "x" << out.pixels.height;
    }
  }
  PIXET_EXPECT_BALANCED(counter);
  EXPECT_EQ(internet.Live(), 0u);
  EXPECT_TRUE(host.Messages().empty());
  for (const char* name : {"_vb_.xac", "saved__0.bmp", "__svcv.bmp"}) EXPECT_FALSE(FileExists(name)) << name;
  EXPECT_FALSE(FileExists(TempFolder() + "kjj___.bmp"));
}

}  // namespace
