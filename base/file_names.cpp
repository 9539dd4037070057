#include "base/file_names.h"

#include <windows.h>

namespace pixet {

namespace {

template <class String>
String ExtensionOfName(const String& name, const typename String::value_type* separators) {
  const std::size_t component = name.find_last_of(separators);
  const std::size_t dot = name.rfind('.');
  if (dot == String::npos || (component != String::npos && dot < component)) return {};
  return name.substr(dot);
}

// `wide` in the system code page when it comes back unchanged, else empty. No best-fit
// mapping is accepted: a name turned into a look-alike would name another file.
std::string ExactAnsi(const std::wstring& wide) {
  if (wide.empty()) return {};
  const int size = static_cast<int>(wide.size());
  const int n = ::WideCharToMultiByte(CP_ACP, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
  if (n <= 0) return {};
  std::string ansi(static_cast<std::size_t>(n), '\0');
  ::WideCharToMultiByte(CP_ACP, 0, wide.data(), size, &ansi[0], n, nullptr, nullptr);
  std::wstring back(wide.size(), L'\0');
  const int m = ::MultiByteToWideChar(CP_ACP, 0, ansi.data(), n, &back[0], size);
  return m == size && back == wide ? ansi : std::string();
}

// The short name the file system keeps for an existing `path`; empty without one.
std::wstring ShortNameOf(const std::wstring& path) {
  const DWORD n = ::GetShortPathNameW(path.c_str(), nullptr, 0);
  if (n == 0) return {};
  std::wstring shorter(n, L'\0');
  const DWORD written = ::GetShortPathNameW(path.c_str(), &shorter[0], n);
  if (written == 0 || written >= n) return {};
  shorter.resize(written);
  return shorter;
}

}  // namespace

std::string AnsiNameOf(const std::wstring& path) {
  std::string ansi = ExactAnsi(path);
  if (!ansi.empty() || path.empty()) return ansi;
  ansi = ExactAnsi(ShortNameOf(path));
  if (!ansi.empty()) return ansi;
  // A file not made yet: its folder's short name, then the last component as it is.
  const std::size_t last = path.find_last_of(L"\\/", path.size() - 2);
  if (last == std::wstring::npos) return {};
  const std::string folder = ExactAnsi(ShortNameOf(path.substr(0, last + 1)));
  const std::string leaf = ExactAnsi(path.substr(last + 1));
  return folder.empty() || leaf.empty() ? std::string() : folder + leaf;
}

std::string ExtensionOf(const std::string& name) { return ExtensionOfName(name, "\\/:"); }
std::wstring ExtensionOf(const std::wstring& name) { return ExtensionOfName(name, L"\\/:"); }

}  // namespace pixet
