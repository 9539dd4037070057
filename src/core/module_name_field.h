// The object's resource-library field (RESOURCESDLLNAME) as text, and the length up to
// which resource and module names are used.
#pragma once

#include <cstddef>
#include <string>

#include "pixet/pixet.h"

namespace pixet {

// Resource and module names are used up to this many characters (blanks removed first).
constexpr std::size_t kMaxResourceNameChars = 127;

// RESOURCESDLLNAME as text: its characters up to the first NUL (the host may have put a C
// string there), trailing blanks removed. Empty means the host program's own module.
std::string ModuleNameField(const Pixet& self);
// Stores `name` in RESOURCESDLLNAME, cut or blank-padded to the field.
void SetModuleNameField(Pixet& self, const std::string& name);

}  // namespace pixet
