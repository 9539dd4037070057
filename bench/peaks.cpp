#include "peaks.h"

#include <psapi.h>

#include <cstdio>

#include "measure.h"

namespace bench {
namespace {

constexpr double kMB = 1024.0 * 1024.0;

// The process's working set now and at its peak so far, in bytes.
PROCESS_MEMORY_COUNTERS Memory() {
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  ::GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof counters);
  return counters;
}

// Runs this program again as a child for one leg; its working set added above what it
// had before the run, in bytes, or -1 when the child failed.
double ChildPeak(const std::string& data, const std::string& id, const std::string& leg) {
  const std::string output = RunSelf("--data \"" + data + "\" --peak " + id + " --leg " + leg);
  unsigned long long peak = 0;
  unsigned long long before = 0;
  int ok = 0;
  if (std::sscanf(output.c_str(), "peak %llu before %llu ok %d", &peak, &before, &ok) != 3 || ok != 1) return -1;
  return peak > before ? static_cast<double>(peak - before) : 0;
}

}  // namespace

int RunPeak(const std::vector<Op>& ops, const std::string& id, const std::string& leg) {
  for (const Op& op : ops) {
    if (op.id != id) continue;
    const Leg& run = leg == "floor" ? op.floor : op.pixet;
    if (!run) break;
    const bool ok = RunBetween(op, [&run] {
      const PROCESS_MEMORY_COUNTERS before = Memory();
      const bool done = run();
      const PROCESS_MEMORY_COUNTERS after = Memory();
      std::printf("peak %llu before %llu ok %d\n", static_cast<unsigned long long>(after.PeakWorkingSetSize),
                  static_cast<unsigned long long>(before.WorkingSetSize), done ? 1 : 0);
      return done;
    });
    return ok ? 0 : 1;
  }
  std::fprintf(stderr, "pixet_bench: no operation '%s' with leg '%s'\n", id.c_str(), leg.c_str());
  return 2;
}

void PrintPeaks(const std::string& data, UINT width, UINT height) {
  const double pixels24 = static_cast<double>(width) * height * 3;
  std::printf("\nPeak working set added by one run (child process per leg), against the image's own bytes\n");
  std::printf("(%u x %u: %.1f MB at 24 bpp, %.1f MB at 32 bpp; large.jpg %.1f MB)\n", width, height,
              pixels24 / kMB, pixels24 * 4 / 3 / kMB, static_cast<double>(FileSize("large.jpg")) / kMB);
  std::printf("%-40s %10s %10s %8s %10s\n", "operation", "Pixet MB", "floor MB", "ratio", "x 24bpp");
  const struct {
    const char* id;
    const char* label;
    bool floor;
  } kPeaks[] = {{"convert.jpg-png.large", "ConvertImage large JPEG->PNG", true},
                {"load.large", "LoadImage large JPEG", true},
                {"host.handoff", "host takes the large BMP (part of both)", false}};
  for (const auto& p : kPeaks) {
    const double mine = ChildPeak(data, p.id, "pixet");
    const double floor = p.floor ? ChildPeak(data, p.id, "floor") : 0;
    if (mine < 0 || floor < 0) {
      std::printf("%-40s   (a child run failed)\n", p.label);
      continue;
    }
    std::printf("%-40s %10.1f", p.label, mine / kMB);
    if (p.floor)
      std::printf(" %10.1f %8.3f", floor / kMB, floor > 0 ? mine / floor : 0.0);
    else
      std::printf(" %10s %8s", "-", "-");
    std::printf(" %10.2f\n", mine / pixels24);
  }
}

}  // namespace bench
