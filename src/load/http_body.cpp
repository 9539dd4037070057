#include "load/http_body.h"

#include <cstdlib>
#include <memory>
#include <new>

#include "base/temp_directory.h"
#include "base/whole_file.h"

namespace pixet {

namespace {

constexpr DWORD kChunkBytes = 64 * 1024;

}  // namespace

unique_internet OpenInternetSession() {
  return unique_internet(::InternetOpenA("Pixet", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
}

unique_file NewBodyFile(auto_delete_file& owner) {
  char name[MAX_PATH];
  const std::string folder = TempDirectory();
  if (::GetTempFileNameA(folder.empty() ? "." : folder.c_str(), "pxw", 0, name) == 0) return unique_file();
  owner.reset(name);
  return unique_file(
      ::CreateFileA(name, GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

std::string QueryHeader(HINTERNET request, DWORD what) {
  DWORD size = 0;
  ::HttpQueryInfoA(request, what, nullptr, &size, nullptr);
  if (size == 0) return {};
  std::string value(size, '\0');
  if (!::HttpQueryInfoA(request, what, &value[0], &size, nullptr)) return {};
  value.resize(size);
  return value;
}

bool TimedOut(DWORD error, DWORD started, DWORD limit_ms) {
  return error == ERROR_INTERNET_TIMEOUT || ::GetTickCount() - started >= limit_ms;
}

BodyEnd CopyBody(HINTERNET request, const BodyLimits& limits, HANDLE file) {
  const std::string announced = QueryHeader(request, HTTP_QUERY_CONTENT_LENGTH);
  const unsigned long long length = std::strtoull(announced.c_str(), nullptr, 10);
  if (!announced.empty() && length > limits.max_bytes) return BodyEnd::TooLarge;
  std::unique_ptr<char[]> chunk(new (std::nothrow) char[kChunkBytes]);
  if (!chunk) return BodyEnd::Disk;
  std::uint64_t total = 0;
  for (;;) {
    DWORD read = 0;
    const DWORD started = ::GetTickCount();
    if (!::InternetReadFile(request, chunk.get(), kChunkBytes, &read))
      return TimedOut(::GetLastError(), started, limits.timeout_ms) ? BodyEnd::TimedOut : BodyEnd::Cut;
    if (read == 0) break;
    if ((total += read) > limits.max_bytes) return BodyEnd::TooLarge;
    if (!WriteAll(file, chunk.get(), read)) return BodyEnd::Disk;
  }
  return !announced.empty() && total < length ? BodyEnd::Cut : BodyEnd::Whole;
}

}  // namespace pixet
