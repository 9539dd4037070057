#include "measure.h"

#include <cstdio>

namespace bench {
namespace {

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
  std::printf("%-50s %4s %10s %10s %6s %13s %6s %7s %7s\n", "operation", "runs", "Pixet ms", "floor ms", "ratio",
              "rounds", "paired", "target", "spread%");
}

void PrintRow(const Op& op, const std::vector<Figures>& rounds, bool samples) {
  Figures all;
  std::vector<double> ratios;
  for (const Figures& f : rounds) {
    all.pixet.insert(all.pixet.end(), f.pixet.begin(), f.pixet.end());
    all.floor.insert(all.floor.end(), f.floor.begin(), f.floor.end());
    if (Median(f.floor) > 0) ratios.push_back(Median(f.pixet) / Median(f.floor));
  }
  std::printf("%-50s %4zu", op.label.c_str(), all.pixet.size());
  PrintMs(Median(all.pixet));
  if (op.floor && !ratios.empty()) {
    PrintMs(Median(all.floor));
    const double ratio = Median(ratios);
    const auto [low, high] = std::minmax_element(ratios.begin(), ratios.end());
    std::printf(" %6.3f  %5.3f-%5.3f %6.3f", ratio, *low, *high, PairedRatio(all));
    if (op.target > 0)
      std::printf(" %4.2f %-2s", op.target, ratio <= op.target ? "ok" : "!!");
    else
      std::printf(" %7s", "-");
  } else {
    std::printf(" %10s %6s %13s %6s %7s", "-", "-", "-", "-", "-");
  }
  std::printf(" %7.1f\n", std::max(Spread(all.pixet), Spread(all.floor)));
  if (!samples) return;
  for (const auto* leg : {&all.pixet, &all.floor}) {
    if (leg->empty()) continue;
    std::printf("  %s:", leg == &all.pixet ? "Pixet" : "floor");
    for (double ms : *leg) std::printf(" %.2f", ms);
    std::printf("\n");
  }
}

}  // namespace bench
