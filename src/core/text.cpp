#include "core/text.h"

#include <windows.h>

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

std::wstring Clip(const wchar_t* text) {
  if (text == nullptr) return {};
  std::wstring s(text);
  s.erase(s.find_last_not_of(L' ') + 1);
  return s;
}

std::wstring Widen(const std::string& text) {
  if (text.empty()) return {};
  const int n = ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  if (n <= 0) return {};
  std::wstring wide(static_cast<std::size_t>(n), L'\0');
  ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &wide[0], n);
  return wide;
}

std::wstring WideFromAnsi(const char* text) { return Widen(Clip(text)); }

std::string AnsiFromWide(const std::wstring& text) {
  if (text.empty()) return {};
  const int n = ::WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  if (n <= 0) return {};
  std::string ansi(static_cast<std::size_t>(n), '\0');
  ::WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &ansi[0], n, nullptr, nullptr);
  return ansi;
}

std::string AsciiOnly(const std::wstring& text) {
  std::string narrow;
  for (const wchar_t c : text) {
    if (c > 0x7F) return {};
    narrow += static_cast<char>(c);
  }
  return narrow;
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

std::wstring Upper(std::wstring s) {
  for (wchar_t& c : s)
    if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - L'a' + L'A');
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
