// A C++ program on an installed Pixet through pixet.hpp alone (the C functions, any compiler).
//   hpp_consumer SOURCE OUT: converts SOURCE to a target named in Cyrillic and Chinese, then
//   copies that to OUT.png for the test to read, and loads it into a report's control, whose
//   bytes go to OUT-loaded.bmp; a bad target's message must reach the host.
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "pixet/pixet.hpp"

struct Host final : pixet::flat::Host {  // no windows; keeps the last message box text and bytes
  std::string message, bytes;
  PixetIntPtr ReadProperty(const PixetHostTarget&, int) override { return 0; }
  void WriteProperty(const PixetHostTarget&, int, PixetIntPtr) override {}
  void WritePropertyText(const PixetHostTarget&, int, const char*) override {}
  void WritePropertyBytes(const PixetHostTarget&, int, const void* data, std::size_t size) override {
    bytes.assign(static_cast<const char*>(data), size);
  }
  void Redraw(const PixetHostTarget&) override {}
  void ShowMessage(const char* text, const char*, int) override { message = text; }
};

int main(int argc, char** argv) {
  if (argc != 3) return 2;
  const std::string out = argv[2];
  Host host;
  if (!pixet::flat::RegisterHost(&host)) return 3;
  bool ok = false;
  {
    pixet::flat::Object pixet;
    pixet::flat::Object moved = std::move(pixet);  // the owner moves; the object stays one
    const std::filesystem::path target = L"\u043e\u0431\u0440\u0430\u0437\u0435\u0446-\u6837\u672c.png";
    ok = !pixet && moved.ConvertImage(argv[1], target) == pixet::flat::kDone &&
         moved.ConvertImage(argv[1], L"hpp.xyz") == pixet::flat::kFailed && host.message == "Invalid Format!" &&
         ::CopyFileW(target.c_str(), std::filesystem::path(out + ".png").c_str(), FALSE);
    // Any pointer stands for a report: the library hands it to the host as it is.
    ok = ok && moved.LoadImage(reinterpret_cast<PixetHostReport*>(&host), target, 1) == pixet::flat::kDone &&
         host.bytes.rfind("BM", 0) == 0 && ::DeleteFileW(target.c_str());
    std::ofstream(out + "-loaded.bmp", std::ios::binary) << host.bytes;
  }
  pixet::flat::RegisterHost(nullptr);
  return ok ? 0 : 1;
}
