#include "base/file_names.h"

namespace pixet {

namespace {

template <class String>
String ExtensionOfName(const String& name, const typename String::value_type* separators) {
  const std::size_t component = name.find_last_of(separators);
  const std::size_t dot = name.rfind('.');
  if (dot == String::npos || (component != String::npos && dot < component)) return {};
  return name.substr(dot);
}

}  // namespace

std::string ExtensionOf(const std::string& name) { return ExtensionOfName(name, "\\/:"); }
std::wstring ExtensionOf(const std::wstring& name) { return ExtensionOfName(name, L"\\/:"); }

}  // namespace pixet
