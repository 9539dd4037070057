#include "cold.h"

#include <cstdio>
#include <vector>

#include "common.h"
#include "floors.h"

namespace bench {

int RunCold(const std::string& leg) {
  bool ok = false;
  const double start = NowMs();
  if (leg == "pixet") {
    const auto pixet = Pixet::Create();
    ok = pixet->ConvertImage("icon.jpg", "out\\cold_p.png") == 1;
  } else {
    ULONG_PTR token = 0;
    if (StartEngine(token)) {
      const Encoders encoders;  // looked up as a program does once
      ok = FloorConvert(L"icon.jpg", L"out\\cold_f.png", encoders.png);
      Gdiplus::GdiplusShutdown(token);
    }
  }
  const double ms = NowMs() - start;
  ok = ok && FileSize(leg == "pixet" ? "out\\cold_p.png" : "out\\cold_f.png") > 0;
  DeleteFiles({"out\\cold_p.png", "out\\cold_f.png"});
  std::printf("cold %.4f ok %d\n", ms, ok ? 1 : 0);
  return ok ? 0 : 1;
}

void PrintCold(const std::string& data, int runs) {
  std::vector<double> legs[2];
  int failed = 0;
  for (int i = 0; i < runs; ++i)
    for (int turn = 0; turn < 2; ++turn) {
      const int leg = (turn + i) % 2;  // each leg first every other time
      double ms = 0;
      int ok = 0;
      const std::string output = RunSelf("--data \"" + data + "\" --cold " + (leg == 0 ? "pixet" : "floor"));
      if (std::sscanf(output.c_str(), "cold %lf ok %d", &ms, &ok) == 2 && ok == 1)
        legs[leg].push_back(ms);
      else
        ++failed;
    }
  std::printf("\nFirst conversion in a fresh process (icon JPG->PNG, engine and codecs loaded by the call; %d runs "
              "per leg, each its own process)\n", runs);
  const double mine = Median(legs[0]), floor = Median(legs[1]);
  std::printf("%-40s %10.2f %10.2f %8.3f%s\n", "first ConvertImage (ms: Pixet, floor)", mine, floor,
              floor > 0 ? mine / floor : 0.0, failed != 0 ? "  (some child runs failed)" : "");
}

}  // namespace bench
