// Shared helpers for the tests: files, images decoded by the engine, the test host.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "pixet/host.h"
#include "pixet/refhost.h"

namespace pixet::testing {

bool FileExists(const std::string& path);
std::vector<unsigned char> ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const std::string& bytes);
void RemoveFile(const std::string& path);
// The current directory's files whose names start with `prefix`.
std::vector<std::string> FilesStartingWith(const std::string& prefix);

// What the engine makes of an image file, read with GDI+ linked directly (not through
// the library's table).
struct DecodedImage {
  bool ok = false;
  std::string format;  // "bmp", "jpeg", "png", "tiff", "gif", or "other"
  unsigned width = 0;
  unsigned height = 0;
  std::int32_t pixel_format = 0;
  std::uint32_t Pixel(unsigned x, unsigned y) const;  // ARGB
  std::vector<std::uint32_t> argb;
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

// Sample images made by ImageMagick before the tests start (see make-test-images.sh),
// as names relative to the tests' working directory.
std::string Sample(const std::string& name);
// A file in the folder that a later CTest step checks with `identify`.
std::string Output(const std::string& name);
// Lists an output for that step: its expected format ("png"...) and size.
void ExpectForIdentify(const std::string& name, const std::string& format, unsigned width, unsigned height);

// The test HTTP server on 127.0.0.1 that CTest starts (tests/scripts/http_server.py): its
// port, and a port where nothing listens; 0 (and a failed assertion) without it.
int HttpPort();
int ClosedHttpPort();
// "http://127.0.0.1:PORT" followed by `path`.
std::string HttpAddress(const std::string& path);
// The user's temporary folder as the system reports it, ending in a backslash.
std::string TempFolder();

// A visible 200 x 150 host window with an 80 x 60 image control `field` at (10, 10).
PixetHostWindow* OpenImageWindow(refhost::DesktopHost& host, const char* title, std::int16_t field);

// The recording host registered for the whole run. Tests that need another host
// register it for their own scope with ScopedHost.
struct Message {
  std::string text;
  std::string caption;
  bool has_caption = false;
  MessageIcon icon = MessageIcon::None;
};
std::vector<Message> Messages();  // those the default host recorded
std::vector<Message> MessagesOf(const refhost::RecordingHost& host);
int CountReads(const refhost::RecordingHost& host, HostProperty id);
void ClearMessages();
HostRuntime* DefaultHost();

class ScopedHost {
 public:
  explicit ScopedHost(HostRuntime* host);
  ~ScopedHost();
  ScopedHost(const ScopedHost&) = delete;
  ScopedHost& operator=(const ScopedHost&) = delete;

 private:
  HostRuntime* previous_;
};

}  // namespace pixet::testing
