// File names as the caller gives them: a path component ends at '\', '/' or ':'. Programs
// beside the library (the command line) use the same rules.
#pragma once

#include <string>

namespace pixet {

// The extension of the name's last path component, dot included; empty without a dot.
std::string ExtensionOf(const std::string& name);
std::wstring ExtensionOf(const std::wstring& name);

// ANSI text (system code page) that names the same file or folder as `path`, for a name
// that must travel as ANSI text: the code page's own text when it holds every character
// (converted back, it gives `path` again); else the short (8.3) name the file system keeps
// for the path, or for its folder followed by the last component. Empty when none of these
// names it: a volume without short names, or a last component outside the code page whose
// file does not exist yet. A trailing backslash is kept.
std::string AnsiNameOf(const std::wstring& path);

}  // namespace pixet
