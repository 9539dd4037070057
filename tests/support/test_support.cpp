#include "support/test_support.h"

#include <fstream>
#include <iterator>

#include <gtest/gtest.h>

#include "pixet/refhost.h"

namespace pixet::testing {

bool FileExists(const std::string& path) { return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::vector<unsigned char> ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFileBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

void RemoveFile(const std::string& path) { ::DeleteFileA(path.c_str()); }

std::vector<std::string> FilesStartingWith(const std::string& prefix) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA found;
  HANDLE search = ::FindFirstFileA((prefix + "*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    names.emplace_back(found.cFileName);
  } while (::FindNextFileA(search, &found));
  ::FindClose(search);
  return names;
}

std::string Sample(const std::string& name) { return "data\\" + name; }
std::string Output(const std::string& name) {
  ::CreateDirectoryA("out", nullptr);
  return "out\\" + name;
}

namespace {

// "PORT CLOSED_PORT PID", written by the server once it listens.
std::pair<int, int> HttpServerPorts() {
  std::ifstream info("http-server.txt");
  int port = 0;
  int closed = 0;
  info >> port >> closed;
  EXPECT_NE(port, 0) << "no test HTTP server: run the suite through ctest, which starts it";
  return {port, closed};
}

refhost::DesktopHost& Recorder() {
  static refhost::DesktopHost host;
  return host;
}

}  // namespace

int HttpPort() { return HttpServerPorts().first; }
int ClosedHttpPort() { return HttpServerPorts().second; }

std::string TempFolder() {
  char buffer[MAX_PATH + 1];
  const DWORD n = ::GetTempPathA(sizeof buffer, buffer);
  return n > 0 && n < sizeof buffer ? std::string(buffer, n) : std::string();
}

HostRuntime* DefaultHost() { return &Recorder(); }
std::vector<refhost::Message> Messages() { return Recorder().Messages(); }
void ClearMessages() { Recorder().ClearMessages(); }

ScopedHost::ScopedHost(HostRuntime* host) : previous_(PixetRegisteredHost()) { PixetRegisterHost(host); }
ScopedHost::~ScopedHost() { PixetRegisterHost(previous_); }

}  // namespace pixet::testing
