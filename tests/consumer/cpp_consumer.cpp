// A C++ program on an installed Pixet: the exported class over a host of its own.
//   cpp_consumer SOURCE TARGET: converts SOURCE; a bad target's message must reach the host.
#include <string>

#include "pixet/pixet.h"

struct Host final : pixet::HostRuntime {  // no windows; keeps the last message box text
  std::string message;
  std::intptr_t ReadProperty(const pixet::HostTarget&, pixet::HostProperty) override { return 0; }
  void WriteProperty(const pixet::HostTarget&, pixet::HostProperty, std::intptr_t) override {}
  void WritePropertyText(const pixet::HostTarget&, pixet::HostProperty, const char*) override {}
  void WritePropertyBytes(const pixet::HostTarget&, pixet::HostProperty, const void*, std::size_t) override {}
  void Redraw(const pixet::HostTarget&) override {}
  void ShowMessage(const char* text, const char*, pixet::MessageIcon) override { message = text; }
};

int main(int argc, char** argv) {
  if (argc != 3) return 2;
  Host host;
  PixetRegisterHost(&host);
  auto pixet = Pixet::Create();
  const bool converted = pixet->ConvertImage(argv[1], argv[2]) == 1;
  const bool refused = pixet->ConvertImage(argv[1], "cpp.xyz") == 0 && host.message == "Invalid Format!";
  pixet.reset();
  PixetRegisterHost(nullptr);
  return converted && refused ? 0 : 1;
}
