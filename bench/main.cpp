// pixet_bench: what Pixet's methods cost against the same work done straight through
// the GDI+ flat API and Win32 (the floor), run interleaved in one process.
//
//   pixet_bench --data DIR [--reps N] [--small-reps N] [--rounds N] [--only TEXT] [--no-peak] [--samples]
//               [--web-port PORT]
//   pixet_bench --data DIR --peak OP --leg pixet|floor      (one run; prints its peak)
//   pixet_bench --data DIR --cold pixet|floor               (one first conversion; prints its time)
//
// DIR holds the inputs of bench/make-inputs.sh. Each operation runs once per leg to warm
// up, then N times per leg in the order A B, B A, B A, A B, ...; the table gives the medians,
// their ratio Pixet/floor, the median of the ratios of neighbouring pairs (less moved by
// changes in the machine's load) and the spread ((max - min) / median, the worse leg).
// The floor keeps one engine session for the whole process and looks each encoder up
// once, so the per-call start-up and encoder lookup that Pixet pays show in the
// small-image rows. Peak working sets come from child processes, one run each.
//
// Exit status: 0 when every run of every leg succeeded, 1 otherwise, 2 wrong arguments.
//
// The parts: floors.cpp (the direct calls), operations.cpp (the rows), measure.cpp (timing
// and the table), peaks.cpp (child runs for working sets), common.cpp (shared helpers).
#include <cstdio>
#include <cstdlib>

#include "base/temp_directory.h"
#include "cold.h"
#include "common.h"
#include "measure.h"
#include "operations.h"
#include "peaks.h"

namespace {

using namespace bench;

struct Options {
  std::string data;   // the inputs' folder
  std::string only;   // measure only operations whose id contains this
  std::string peak;   // child mode: the operation to run once
  std::string leg = "pixet";
  std::string cold;   // child mode: the leg of one cold conversion
  int cold_runs = 7;  // children per leg for the cold row
  int web_port = 0;   // a local HTTP server serving the inputs' folder
  int reps = 2;         // large-image rows, per round
  int small_reps = 14;  // icon and per-call rows, per round
  int rounds = 3;       // the whole table this often; each row's verdict is the median round
  bool peaks = true;
  bool samples = false;
};

// False on an unknown option or one missing its value. Counts below 1 become 1.
bool ParseOptions(int argc, char** argv, Options& o) {
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    const bool has_value = i + 1 < argc;
    if (a == "--data" && has_value)
      o.data = argv[++i];
    else if (a == "--reps" && has_value)
      o.reps = std::max(1, std::atoi(argv[++i]));
    else if (a == "--small-reps" && has_value)
      o.small_reps = std::max(1, std::atoi(argv[++i]));
    else if (a == "--rounds" && has_value)
      o.rounds = std::max(1, std::atoi(argv[++i]));
    else if (a == "--only" && has_value)
      o.only = argv[++i];
    else if (a == "--peak" && has_value)
      o.peak = argv[++i];
    else if (a == "--leg" && has_value)
      o.leg = argv[++i];
    else if (a == "--cold" && has_value)
      o.cold = argv[++i];
    else if (a == "--web-port" && has_value)
      o.web_port = std::atoi(argv[++i]);
    else if (a == "--no-peak")
      o.peaks = false;
    else if (a == "--samples")
      o.samples = true;
    else
      return false;
  }
  return !o.data.empty();
}

int Usage() {
  std::fprintf(stderr,
               "usage: pixet_bench --data DIR [--reps N] [--small-reps N] [--rounds N] [--only TEXT] [--no-peak] [--samples]\n"
               "                   [--web-port PORT]\n"
               "       pixet_bench --data DIR --peak OP --leg pixet|floor\n"
               "       pixet_bench --data DIR --cold pixet|floor\n");
  return 2;
}

// Leaves width and height as they are when the file does not decode.
void ImageSize(const wchar_t* file, UINT& width, UINT& height) {
  using namespace Gdiplus::DllExports;
  Gdiplus::GpImage* image = nullptr;
  if (GdipLoadImageFromFile(file, &image) != Gdiplus::Ok) return;
  GdipGetImageWidth(image, &width);
  GdipGetImageHeight(image, &height);
  GdipDisposeImage(image);
}

// The bench's window: a plain control for the display rows, an image control beside it
// for the load rows; it is the current window, which the captures read.
void OpenWindow(Bench& b) {
  b.window = b.host.OpenWindow("pixet_bench", kClientWidth, kClientHeight);
  b.host.AddControl(b.window, kDisplayField, 0, 0, kDisplayWidth, kDisplayHeight,
                    pixet::refhost::ControlKind::Plain);
  b.host.AddControl(b.window, kImageField, kDisplayWidth + 8, 0, 200, 150, pixet::refhost::ControlKind::Image);
  b.host.AddControl(b.window, kSourceField, kDisplayWidth + 8, 160, 200, 150, pixet::refhost::ControlKind::Image);
  pixet::refhost::DesktopHost::SetCurrentWindow(b.window);
  b.client = b.host.ClientHwnd(b.window);
  b.host.PumpMessages();
}

// Measures and prints every selected operation, then the peaks. `token` is the bench's
// engine session, shut down around the rows that must run without it. Returns the exit
// status.
int RunTable(const std::vector<Op>& ops, const Options& o, const std::string& data, ULONG_PTR& token) {
  UINT width = 0;
  UINT height = 0;
  ImageSize(L"large.jpg", width, height);
  UINT icon_width = 0;
  UINT icon_height = 0;
  ImageSize(L"icon.jpg", icon_width, icon_height);
  std::printf("pixet_bench: large %u x %u (%.1f MP), icon %u x %u; %d reps (icon and small: %d) per leg and round, "
              "%d rounds\n", width, height, width * static_cast<double>(height) / 1e6, icon_width, icon_height, o.reps,
              o.small_reps, o.rounds);
  std::vector<const Op*> chosen;
  for (const Op& op : ops)
    if (o.only.empty() || op.id.find(o.only) != std::string::npos) chosen.push_back(&op);
  std::vector<std::vector<Figures>> rounds(chosen.size());
  int status = 0;
  for (int round = 1; round <= o.rounds; ++round) {
    std::fprintf(stderr, "pixet_bench: round %d of %d\n", round, o.rounds);
    for (std::size_t i = 0; i < chosen.size(); ++i) {
      const Op& op = *chosen[i];
      if (op.alone) Gdiplus::GdiplusShutdown(token);
      rounds[i].push_back(Measure(op));
      if (op.alone && !StartEngine(token)) status = 1;
      const Figures& f = rounds[i].back();
      if (f.pixet_failures + f.floor_failures > 0) {
        std::printf("  FAILED: %s: Pixet %d, floor %d of %d runs each\n", op.id.c_str(), f.pixet_failures,
                    f.floor_failures, op.reps + 1);
        status = 1;
      }
    }
  }
  PrintHeader();
  for (std::size_t i = 0; i < chosen.size(); ++i) PrintRow(*chosen[i], rounds[i], o.samples);
  std::fflush(stdout);
  if (o.peaks && o.only.empty()) {
    PrintPeaks(data, width, height);
    PrintCold(data, o.cold_runs);
  }
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  Options o;
  if (!ParseOptions(argc, argv, o) || !::SetCurrentDirectoryA(o.data.c_str())) return Usage();
  char full[MAX_PATH] = {};
  ::GetCurrentDirectoryA(MAX_PATH, full);
  const std::string data = full;  // child runs get the full path
  ::CreateDirectoryA("out", nullptr);
  if (!o.cold.empty()) return RunCold(o.cold);  // before this process starts any engine

  ULONG_PTR token = 0;
  if (!StartEngine(token)) {
    std::fprintf(stderr, "pixet_bench: GDI+ does not start\n");
    return 1;
  }
  int status = 0;
  {
    Bench b;  // inside the engine session: it looks the encoders up
    b.host.Register();
    OpenWindow(b);
    b.temp = pixet::TempDirectory();
    b.resources = data + "\\bench_resources.dll";
    b.web_port = o.web_port;
    const std::vector<Op> ops = MakeOps(b, o.reps, o.small_reps);

    if (!o.peak.empty()) {
      status = RunPeak(ops, o.peak, o.leg);
    } else if (b.window == nullptr || FileSize("large.bmp") <= 0) {
      std::fprintf(stderr, "pixet_bench: no window, or no inputs in %s (run bench/make-inputs.sh)\n", data.c_str());
      status = 1;
    } else {
      status = RunTable(ops, o, data, token);
    }
    b.host.CloseWindow(b.window);
    pixet::refhost::DesktopHost::Unregister();
  }
  Gdiplus::GdiplusShutdown(token);
  std::fflush(stdout);
  return status;
}
