// The cold row: a host's first conversion in a fresh process, engine loading and codec
// start-up included, against the floor's first conversion. Each run is a child process of
// its own (this program again, with --cold).
#pragma once

#include <string>

namespace bench {

// Child mode, before the bench starts any engine: one conversion of icon.jpg to PNG by
// `leg` ("pixet": Pixet::Create and ConvertImage; "floor": GdiplusStartup, the encoder
// look-up, decode and encode, GdiplusShutdown), then "cold MS ok 0|1" on stdout. Returns 0
// when it succeeded.
int RunCold(const std::string& leg);

// Runs `runs` children per leg, alternating, over the inputs in `data` (a full path), and
// prints the row.
void PrintCold(const std::string& data, int runs);

}  // namespace bench
