// Loads pixet.dll at run time, looks at the capture object's reserved file, unloads the
// library and looks again. Writes "key value" lines to the file named by its argument.
// It must not link the library: loading it here is what is being watched (by the
// BmpCapture test of the capture suite).
#include <windows.h>

#include <cstdio>
#include <string>

#include "capture/bmp_capture.h"

int main(int argc, char** argv) {
  FILE* out = argc == 2 ? std::fopen(argv[1], "w") : nullptr;
  if (out == nullptr) return 2;
  HMODULE library = ::LoadLibraryA("pixet.dll");
  FARPROC entry = library != nullptr ? ::GetProcAddress(library, "PixetBmpCapture") : nullptr;
  using Getter = pixet::BmpCapture* (*)();
  pixet::BmpCapture* capture = entry != nullptr ? reinterpret_cast<Getter>(reinterpret_cast<void*>(entry))() : nullptr;
  const std::string name = capture != nullptr ? capture->GRADIENTFILE : "";  // a copy: the library goes
  const auto exists = [&] { return !name.empty() && ::GetFileAttributesA(name.c_str()) != INVALID_FILE_ATTRIBUTES; };
  std::fprintf(out, "loaded %d\nfile %s\nexists_loaded %d\n", library != nullptr, name.c_str(), exists());
  std::fprintf(out, "freed %d\n", library != nullptr && ::FreeLibrary(library));
  std::fprintf(out, "exists_freed %d\n", exists());
  return std::fclose(out), 0;
}
