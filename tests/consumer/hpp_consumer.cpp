// A C++ program on an installed Pixet through pixet.hpp alone (the C functions, any compiler).
//   hpp_consumer SOURCE: converts SOURCE to a target named in Cyrillic and Chinese, then copies
//   that to hpp.png for the test to read; a bad target's message must reach the host.
#include <windows.h>

#include <filesystem>
#include <string>

#include "pixet/pixet.hpp"

struct Host final : pixet::flat::Host {  // no windows; keeps the last message box text
  std::string message;
  PixetIntPtr ReadProperty(const PixetHostTarget&, int) override { return 0; }
  void WriteProperty(const PixetHostTarget&, int, PixetIntPtr) override {}
  void WritePropertyText(const PixetHostTarget&, int, const char*) override {}
  void WritePropertyBytes(const PixetHostTarget&, int, const void*, std::size_t) override {}
  void Redraw(const PixetHostTarget&) override {}
  void ShowMessage(const char* text, const char*, int) override { message = text; }
};

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  Host host;
  if (!pixet::flat::RegisterHost(&host)) return 3;
  bool ok = false;
  {
    pixet::flat::Object pixet;
    pixet::flat::Object moved = std::move(pixet);  // the owner moves; the object stays one
    const std::filesystem::path target = L"\u043e\u0431\u0440\u0430\u0437\u0435\u0446-\u6837\u672c.png";
    ok = !pixet && moved.ConvertImage(argv[1], target) == pixet::flat::kDone &&
         moved.ConvertImage(argv[1], L"hpp.xyz") == pixet::flat::kFailed && host.message == "Invalid Format!" &&
         ::CopyFileW(target.c_str(), L"hpp.png", FALSE) && ::DeleteFileW(target.c_str());
  }
  pixet::flat::RegisterHost(nullptr);
  return ok ? 0 : 1;
}
