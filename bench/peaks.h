// Peak working sets: each leg runs once in a child process of its own (this program
// again, with --peak), so that no other run's memory counts.
#pragma once

#include "operations.h"

namespace bench {

// Child mode: one run of one leg of operation `id`, then "peak BYTES before BYTES ok 0|1"
// on stdout. Returns 0 when the run succeeded, 1 when it failed, 2 when there is no such
// operation or leg.
int RunPeak(const std::vector<Op>& ops, const std::string& id, const std::string& leg);

// The peak table for the large-image rows, each leg in a child run over the inputs in
// `data` (a full path); `width` x `height` is the large image's size.
void PrintPeaks(const std::string& data, UINT width, UINT height);

}  // namespace bench
