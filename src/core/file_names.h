// File names as the caller gives them: a path component ends at '\', '/' or ':'.
// Header-only, so programs beside the library (the command line) use the same rules.
#pragma once

#include <string>

namespace pixet {

// The extension of the name's last path component, dot included; empty without a dot.
inline std::string ExtensionOf(const std::string& name) {
  const std::size_t component = name.find_last_of("\\/:");
  const std::size_t dot = name.rfind('.');
  if (dot == std::string::npos || (component != std::string::npos && dot < component)) return {};
  return name.substr(dot);
}

}  // namespace pixet
