// What the commands share: the state of a target before and after a call, appending to
// a command's text, usage errors, and the argument parsers.
#include <cstdarg>
#include <cstdlib>

#include "cli.h"

namespace cli {

std::wstring Wide(const std::string& utf8) {
  const int size = static_cast<int>(utf8.size());
  const int n = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(n > 0 ? n : 0), L'\0');
  if (n > 0) ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, &wide[0], n);
  return wide;
}

std::string Utf8(const std::wstring& wide) {
  const int size = static_cast<int>(wide.size());
  const int n = ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<std::size_t>(n > 0 ? n : 0), '\0');
  if (n > 0) ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, &utf8[0], n, nullptr, nullptr);
  return utf8;
}

FileState StateOf(const std::string& path) {
  FileState state;
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!::GetFileAttributesExW(Wide(path).c_str(), GetFileExInfoStandard, &data)) return state;
  state.exists = true;
  state.size = static_cast<long>(data.nFileSizeLow);
  state.written = data.ftLastWriteTime;
  return state;
}

void Append(std::string& out, const char* format, ...) {
  va_list args;
  va_start(args, format);
  va_list again;
  va_copy(again, args);
  const int n = std::vsnprintf(nullptr, 0, format, args);
  va_end(args);
  if (n > 0) {
    const std::size_t end = out.size();
    out.resize(end + static_cast<std::size_t>(n) + 1);
    std::vsnprintf(&out[end], static_cast<std::size_t>(n) + 1, format, again);
    out.resize(end + static_cast<std::size_t>(n));
  }
  va_end(again);
}

int UsageError(const char* usage, const char* why) {
  std::fprintf(stderr, "pixet-cli: %s\nusage: pixet-cli %s\n", why, usage);
  return kUsage;
}

bool ParseInt(const std::string& text, std::int32_t* value) {
  char* end = nullptr;
  const long long v = std::strtoll(text.c_str(), &end, 10);
  if (text.empty() || *end != '\0') return false;
  if (v < std::numeric_limits<std::int32_t>::min() || v > std::numeric_limits<std::int32_t>::max()) return false;
  *value = static_cast<std::int32_t>(v);
  return true;
}

// Why ParseInt refused `text`, given as argument `name`.
std::string NotAnInt(const char* name, const std::string& text) {
  return std::string(name) + " takes a whole number from " + std::to_string(std::numeric_limits<std::int32_t>::min()) +
         " to " + std::to_string(std::numeric_limits<std::int32_t>::max()) + ", not '" + text + "'";
}

bool ParseSeconds(const std::string& text, double* seconds) {
  char* end = nullptr;
  const double value = std::strtod(text.c_str(), &end);
  if (text.empty() || *end != '\0' || !(value >= 0 && value <= 86400)) return false;
  *seconds = value;
  return true;
}

}  // namespace cli
