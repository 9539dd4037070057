// The operations measured: each a Pixet leg and, where there is one, its floor leg, with
// untimed set-up and clean-up around every run of either leg.
#pragma once

#include <functional>

#include "common.h"
#include "floors.h"

namespace bench {

// One run; false when the work failed.
using Leg = std::function<bool()>;

struct Op {
  std::string id;     // for --only and --peak
  std::string label;  // for the table
  int reps = 1;
  double target = 0;   // highest acceptable ratio; 0: reported as it is
  bool alone = false;  // measured with the benchmark's own engine session shut down
  Leg pixet;
  Leg floor;                    // empty: an absolute figure without a floor
  std::function<void()> reset;  // untimed, before every run of either leg
  std::function<void()> tidy;   // untimed, after every run of either leg
};

// What every operation works with. Made inside the bench's engine session (the encoders
// are looked up on construction); the operations hold references to it.
struct Bench {
  pixet::refhost::DesktopHost host;
  std::unique_ptr<Pixet> pixet = Pixet::Create();
  Encoders encoders;
  PixetHostWindow* window = nullptr;
  HWND client = nullptr;
  HWND picture = nullptr;  // the latest picture control, removed after each display run
  std::string temp;        // the temporary folder, with its closing backslash
  std::string resources;   // full path of bench_resources.dll
  std::vector<unsigned char> bmp_bytes;  // large.bmp, read for the host hand-off row
  int web_port = 0;  // a local HTTP server for the inputs' folder; 0: no web row
};

// Every operation in table order. `reps` sets the large-image rows, `small_reps` the icon
// and per-call rows. The current directory holds the inputs and an "out" folder.
std::vector<Op> MakeOps(Bench& b, int reps, int small_reps);

}  // namespace bench
