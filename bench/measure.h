// Timing the operations and printing the table: medians, their ratio Pixet/floor, the
// median of the ratios of neighbouring pairs, and the spread. An operation is measured in
// several rounds (the whole table once per round, so a change in the machine's load falls
// on every row alike); its verdict is the median of the rounds' ratios.
#pragma once

#include "operations.h"

namespace bench {

// The timed runs of each leg, in milliseconds, and how many runs of each failed (the
// warm-up run included).
struct Figures {
  std::vector<double> pixet;
  std::vector<double> floor;
  int pixet_failures = 0;
  int floor_failures = 0;
};

// Runs `run` between the operation's untimed reset and tidy; returns what `run` returned.
bool RunBetween(const Op& op, const std::function<bool()>& run);

// One warm-up run per leg, then op.reps timed runs per leg in pairs ordered A B, B A, B A,
// A B, ..., so that each leg goes first equally often over every four pairs.
Figures Measure(const Op& op);

void PrintHeader();

// One table row from the rounds of one operation: medians over every run, the median of
// the rounds' ratios (the verdict), the lowest and highest round ratio, the median of the
// paired ratios, and the spread of the noisier leg. With `samples`, every timed run of each
// leg on the lines below it.
void PrintRow(const Op& op, const std::vector<Figures>& rounds, bool samples);

}  // namespace bench
