// Shared helpers for the tests: files, images decoded by the engine, the test host.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "base/temp_directory.h"
#include "base/whole_file.h"
#include "pixet/host.h"
#include "pixet/refhost.h"

namespace pixet::testing {

// Files and the temporary folder as the library reads them (base/whole_file.h and
// base/temp_directory.h, tested on their own in core_test.cpp).
using pixet::ReadWholeFile;
using pixet::TempDirectory;
bool FileExists(const std::string& path);
void WriteFileBytes(const std::string& path, const std::string& bytes);
void RemoveFile(const std::string& path);
std::vector<std::string> FilesStartingWith(const std::string& prefix);  // names in that folder
// Text in the system code page as UTF-16, and back with '?' for what the code page lacks,
// as a host holding such a name as ANSI text has it.
std::wstring Wide(const std::string& text);
std::string Ansi(const std::wstring& text);
// The names in `folder` (UTF-16), without "." and "..".
std::vector<std::wstring> FilesInW(const std::wstring& folder);
// TMP and TEMP set, for the scope, to `folder` (which ends in '\\'), as a user whose profile
// folder is so named has them.
class ScopedTempFolder {
 public:
  explicit ScopedTempFolder(const std::wstring& folder);
  ~ScopedTempFolder();
  ScopedTempFolder(const ScopedTempFolder&) = delete;
  ScopedTempFolder& operator=(const ScopedTempFolder&) = delete;

 private:
  std::vector<std::wstring> saved_;  // TMP's and TEMP's values; empty when unset
};

// What the engine makes of an image file, read with GDI+ linked directly (not through
// the library's table).
struct DecodedImage {
  bool ok = false;
  std::string format;  // "bmp", "jpeg", "png", "tiff", "gif", or "other"
  unsigned width = 0, height = 0;
  std::vector<std::uint32_t> argb;
  std::uint32_t Pixel(unsigned x, unsigned y) const { return argb.at(y * width + x); }
};
DecodedImage Decode(const std::string& path);

// GDI+ started directly (not through the library) for the scope.
class EngineStarted {
 public:
  EngineStarted();
  ~EngineStarted();
  EngineStarted(const EngineStarted&) = delete;
  EngineStarted& operator=(const EngineStarted&) = delete;

 private:
  ULONG_PTR token_ = 0;
};

// Sample images made by ImageMagick before the tests start (scripts/make-test-images.sh),
// and the folder outputs may be kept in, both relative to the tests' working directory.
std::string Sample(const std::string& name);
std::string Output(const std::string& name);

// The test HTTP server on 127.0.0.1 that CTest starts: its port, and one where nothing
// listens.
int HttpPort();
int ClosedHttpPort();
// Field `field` (from 0) of the server's line: 3 TLS, 4 untrusted TLS, 5 TLS for another name, 6 mute.
int ServerPort(int field);

// The real clipboard. Pixels as 0x00RRGGBB, row by row from the top.
struct Pixels {
  int width = 0, height = 0;
  std::vector<std::uint32_t> rgb;
  bool operator==(const Pixels& o) const { return width == o.width && height == o.height && rgb == o.rgb; }
};
// Empties the clipboard and puts only this, as CF_BITMAP, CF_DIB or CF_TEXT.
void PutBitmap(const Pixels& pixels);
void PutDibOnly(const Pixels& pixels);
void PutText(const std::string& text);
// What the clipboard holds now: its CF_BITMAP's pixels (empty when none), its text.
Pixels ClipboardPixels();
std::string ClipboardText();
// The pixels of an image file, as the engine decodes it (alpha dropped).
Pixels FilePixels(const std::string& path);

// The desktop host registered for the whole run (it records message boxes), for programs
// without the fixture.
refhost::DesktopHost& DefaultHost();


}  // namespace pixet::testing
