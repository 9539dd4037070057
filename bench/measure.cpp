#include "measure.h"

#include <cstdio>

namespace bench {
namespace {

double Median(std::vector<double> v) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  const std::size_t n = v.size();
  return n % 2 == 1 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// (max - min) / median, in percent; 0 without runs.
double Spread(const std::vector<double>& v) {
  const double median = Median(v);
  if (v.empty() || median <= 0) return 0;
  const auto [low, high] = std::minmax_element(v.begin(), v.end());
  return (*high - *low) / median * 100;
}

// Pixet/floor of each pair of runs next to each other in time: slow changes in the
// machine's load cancel out of it.
double PairedRatio(const Figures& f) {
  std::vector<double> ratios;
  for (std::size_t i = 0; i < f.pixet.size() && i < f.floor.size(); ++i)
    if (f.floor[i] > 0) ratios.push_back(f.pixet[i] / f.floor[i]);
  return Median(ratios);
}

// Milliseconds as they are printed: four decimals under 1 ms, two above.
void PrintMs(double ms) { std::printf(ms < 1 ? " %10.4f" : " %10.2f", ms); }

}  // namespace

bool RunBetween(const Op& op, const std::function<bool()>& run) {
  if (op.reset) op.reset();
  const bool ok = run();
  if (op.tidy) op.tidy();
  return ok;
}

Figures Measure(const Op& op) {
  Figures f;
  for (int i = -1; i < op.reps; ++i) {
    const bool pixet_first = i < 0 || i % 4 == 0 || i % 4 == 3;
    for (int turn = 0; turn < 2; ++turn) {
      const bool pixet = (turn == 0) == pixet_first;
      if (!pixet && !op.floor) continue;
      const Leg& leg = pixet ? op.pixet : op.floor;
      double ms = 0;
      const bool ok = RunBetween(op, [&] {
        const double start = NowMs();
        const bool done = leg();
        ms = NowMs() - start;
        return done;
      });
      if (!ok) ++(pixet ? f.pixet_failures : f.floor_failures);
      if (i >= 0) (pixet ? f.pixet : f.floor).push_back(ms);
    }
  }
  return f;
}

void PrintHeader() {
  std::printf("%-50s %4s %10s %10s %6s %6s %7s %7s\n", "operation", "reps", "Pixet ms", "floor ms", "ratio", "paired",
              "target", "spread%");
}

// Medians, their ratio, the median of the paired ratios, the target and the worse leg's
// spread.
void PrintRow(const Op& op, const Figures& f, bool samples) {
  std::printf("%-50s %4d", op.label.c_str(), op.reps);
  PrintMs(Median(f.pixet));
  if (op.floor) {
    const double floor = Median(f.floor);
    PrintMs(floor);
    const double ratio = floor > 0 ? Median(f.pixet) / floor : 0;
    std::printf(" %6.3f %6.3f", ratio, PairedRatio(f));
    if (op.target > 0)
      std::printf(" %4.2f %-2s", op.target, ratio <= op.target ? "ok" : "!!");
    else
      std::printf(" %7s", "-");
  } else {
    std::printf(" %10s %6s %6s %7s", "-", "-", "-", "-");
  }
  std::printf(" %7.1f\n", std::max(Spread(f.pixet), Spread(f.floor)));
  if (!samples) return;
  for (const auto* leg : {&f.pixet, &f.floor}) {
    if (leg->empty()) continue;
    std::printf("  %s:", leg == &f.pixet ? "Pixet" : "floor");
    for (double ms : *leg) std::printf(" %.2f", ms);
    std::printf("\n");
  }
}

}  // namespace bench
