// The object's resource-library field (RESOURCESDLLNAME, a fixed blank-padded field of
// `N` characters) as text, and the length up to which resource and module names are used.
#pragma once

#include <cstddef>
#include <string>

namespace pixet {

// Resource and module names are used up to this many characters (blanks removed first).
constexpr std::size_t kMaxResourceNameChars = 127;

// The field as text: its characters up to the first NUL (the host may have put a C
// string there), trailing blanks removed. Empty means the host program's own module.
std::string ModuleNameField(const char* field, std::size_t size);
// Stores `name` in the field, cut or blank-padded to it.
void SetModuleNameField(char* field, std::size_t size, const std::string& name);

template <std::size_t N>
std::string ModuleNameField(const char (&field)[N]) {
  return ModuleNameField(field, N);
}
template <std::size_t N>
void SetModuleNameField(char (&field)[N], const std::string& name) {
  SetModuleNameField(field, N, name);
}

}  // namespace pixet
