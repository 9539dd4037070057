// Loads pixet.dll at run time, looks at the capture object's reserved file, unloads the
// library and looks again. Writes "key value" lines to the file named by its argument.
// It must not link the library: loading it here is what is being watched.
#include <windows.h>

#include <cstdio>
#include <string>

#include "capture/bmp_capture.h"

namespace {

bool Exists(const std::string& path) { return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  FILE* out = std::fopen(argv[1], "w");
  if (out == nullptr) return 2;
  HMODULE library = ::LoadLibraryA("pixet.dll");
  std::fprintf(out, "loaded %d\n", library != nullptr);
  using Getter = pixet::BmpCapture* (*)();
  FARPROC entry = library != nullptr ? ::GetProcAddress(library, "PixetBmpCapture") : nullptr;
  auto get = reinterpret_cast<Getter>(reinterpret_cast<void*>(entry));
  pixet::BmpCapture* capture = get != nullptr ? get() : nullptr;
  const std::string name = capture != nullptr ? capture->GRADIENTFILE : "";
  std::fprintf(out, "file %s\n", name.c_str());
  std::fprintf(out, "exists_loaded %d\n", !name.empty() && Exists(name));

  std::fprintf(out, "freed %d\n", library != nullptr && ::FreeLibrary(library));
  std::fprintf(out, "exists_freed %d\n", !name.empty() && Exists(name));
  std::fclose(out);
  return 0;
}
