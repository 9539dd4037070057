// File names as the caller gives them: a path component ends at '\', '/' or ':'. Programs
// beside the library (the command line) use the same rules.
#pragma once

#include <string>

namespace pixet {

// The extension of the name's last path component, dot included; empty without a dot.
std::string ExtensionOf(const std::string& name);
std::wstring ExtensionOf(const std::wstring& name);

}  // namespace pixet
