#include "core/text.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "base/check.h"

namespace pixet::text {

std::string Clip(const char* text) {
  if (text == nullptr) return {};
  std::size_t n = std::strlen(text);
  while (n > 0 && text[n - 1] == ' ') --n;
  return std::string(text, n);
}

std::string ClipTo(const char* text, std::size_t max_chars) {
  std::string s = Clip(text);
  if (s.size() > max_chars) s.resize(max_chars);
  return s;
}

std::string Upper(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return s;
}

void CopyToField(char* field, std::size_t size, const std::string& text) {
  PIXET_DCHECK(field != nullptr || size == 0);
  if (size == 0) return;
  std::size_t n = std::min(text.size(), size - 1);
  std::memcpy(field, text.data(), n);
  std::memset(field + n, 0, size - n);
}

void FillBlanks(char* field, std::size_t size) { std::memset(field, ' ', size); }

}  // namespace pixet::text
