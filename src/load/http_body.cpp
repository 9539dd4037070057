#include "load/http_body.h"

#include <cwchar>
#include <memory>
#include <new>

#include "base/temp_directory.h"
#include "base/whole_file.h"

namespace pixet {

namespace {

constexpr DWORD kChunkBytes = 64 * 1024;

}  // namespace

unique_internet OpenInternetSession() {
  return unique_internet(::InternetOpenW(L"Pixet", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
}

unique_file NewBodyFile(auto_delete_wide_file& owner) {
  wchar_t name[MAX_PATH];
  const std::wstring folder = TempDirectoryW();
  if (::GetTempFileNameW(folder.empty() ? L"." : folder.c_str(), L"pxw", 0, name) == 0) return unique_file();
  owner.reset(name);
  return unique_file(
      ::CreateFileW(name, GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

std::wstring QueryHeader(HINTERNET request, DWORD what) {
  DWORD size = 0;  // in bytes
  ::HttpQueryInfoW(request, what, nullptr, &size, nullptr);
  if (size == 0) return {};
  std::wstring value(size / sizeof(wchar_t) + 1, L'\0');
  if (!::HttpQueryInfoW(request, what, &value[0], &size, nullptr)) return {};
  value.resize(size / sizeof(wchar_t));
  return value;
}

std::wstring EncodedAddress(const std::wstring& address) {
  static const wchar_t kHex[] = L"0123456789ABCDEF";
  std::wstring encoded;
  for (std::size_t i = 0; i < address.size(); ++i) {
    if (address[i] < 0x80) {
      encoded += address[i];
      continue;
    }
    // One character: a surrogate pair counts as one.
    const int units = IS_HIGH_SURROGATE(address[i]) && i + 1 < address.size() && IS_LOW_SURROGATE(address[i + 1]) ? 2 : 1;
    char bytes[4];
    const int n = ::WideCharToMultiByte(CP_UTF8, 0, &address[i], units, bytes, sizeof bytes, nullptr, nullptr);
    for (int b = 0; b < n; ++b) {
      const unsigned char byte = static_cast<unsigned char>(bytes[b]);
      encoded += L'%';
      encoded += kHex[byte >> 4];
      encoded += kHex[byte & 15];
    }
    i += static_cast<std::size_t>(units - 1);
  }
  return encoded;
}

bool TimedOut(DWORD error, DWORD started, DWORD limit_ms) {
  return error == ERROR_INTERNET_TIMEOUT || ::GetTickCount() - started >= limit_ms;
}

BodyEnd CopyBody(HINTERNET request, const BodyLimits& limits, HANDLE file) {
  const std::wstring announced = QueryHeader(request, HTTP_QUERY_CONTENT_LENGTH);
  const unsigned long long length = std::wcstoull(announced.c_str(), nullptr, 10);
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
