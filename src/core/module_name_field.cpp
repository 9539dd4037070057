#include "core/module_name_field.h"

#include <algorithm>
#include <cstring>

#include "core/text.h"

namespace pixet {

std::string ModuleNameField(const Pixet& self) {
  const char* field = self.RESOURCESDLLNAME;
  const std::size_t size = sizeof self.RESOURCESDLLNAME;
  const void* nul = std::memchr(field, '\0', size);
  std::size_t n = nul != nullptr ? static_cast<std::size_t>(static_cast<const char*>(nul) - field) : size;
  while (n > 0 && field[n - 1] == ' ') --n;
  return std::string(field, n);
}

void SetModuleNameField(Pixet& self, const std::string& name) {
  text::FillBlanks(self.RESOURCESDLLNAME, sizeof self.RESOURCESDLLNAME);
  std::memcpy(self.RESOURCESDLLNAME, name.data(), std::min(name.size(), sizeof self.RESOURCESDLLNAME));
}
}  // namespace pixet
