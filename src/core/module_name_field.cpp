#include "core/module_name_field.h"

#include <algorithm>
#include <cstring>

#include "core/text.h"

namespace pixet {

std::string ModuleNameField(const char* field, std::size_t size) {
  const void* nul = std::memchr(field, '\0', size);
  std::size_t n = nul != nullptr ? static_cast<std::size_t>(static_cast<const char*>(nul) - field) : size;
  while (n > 0 && field[n - 1] == ' ') --n;
  return std::string(field, n);
}

void SetModuleNameField(char* field, std::size_t size, const std::string& name) {
  text::FillBlanks(field, size);
  std::memcpy(field, name.data(), std::min(name.size(), size));
}

}  // namespace pixet
