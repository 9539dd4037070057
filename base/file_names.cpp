#include "base/file_names.h"

namespace pixet {

std::string ExtensionOf(const std::string& name) {
  const std::size_t component = name.find_last_of("\\/:");
  const std::size_t dot = name.rfind('.');
  if (dot == std::string::npos || (component != std::string::npos && dot < component)) return {};
  return name.substr(dot);
}

}  // namespace pixet
