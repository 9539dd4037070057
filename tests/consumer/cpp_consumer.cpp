// A C++ program on an installed Pixet: converts an image through the exported class.
//   cpp_consumer SOURCE TARGET
#include <cstdio>

#include "pixet/pixet.h"

namespace {

// Prints Pixet's message boxes instead of showing them; has no windows.
class PrintingHost final : public pixet::HostRuntime {
 public:
  std::intptr_t ReadProperty(const pixet::HostTarget&, pixet::HostProperty) override { return 0; }
  void WriteProperty(const pixet::HostTarget&, pixet::HostProperty, std::intptr_t) override {}
  void WritePropertyText(const pixet::HostTarget&, pixet::HostProperty, const char*) override {}
  void WritePropertyBytes(const pixet::HostTarget&, pixet::HostProperty, const void*, std::size_t) override {}
  void Redraw(const pixet::HostTarget&) override {}
  void ShowMessage(const char* text, const char*, pixet::MessageIcon) override {
    std::fprintf(stderr, "message: %s\n", text);
  }
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: cpp_consumer SOURCE TARGET\n");
    return 2;
  }
  PrintingHost host;
  PixetRegisterHost(&host);
  int result = 0;
  {
    auto pixet = Pixet::Create();
    if (pixet->ENGINELOADED == 1) result = pixet->ConvertImage(argv[1], argv[2]);
    std::printf("cpp_consumer: engine %d, %u program resources, ConvertImage gave %d\n",
                static_cast<int>(pixet->ENGINELOADED),
                pixet->USEDRESOURCES != nullptr ? static_cast<unsigned>(pixet->USEDRESOURCES->Count()) : 0u,
                static_cast<int>(result));
  }
  PixetRegisterHost(nullptr);
  return result == 1 ? 0 : 1;
}
