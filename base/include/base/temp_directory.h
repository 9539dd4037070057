// The user's temporary folder, where loads keep their working and downloaded files and
// captures reserve their names; the tests and the bench look there too.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>

namespace pixet {

// The longest folder name taken unless a caller asks for less: a MAX_PATH buffer's worth.
constexpr std::size_t kMaxTempDirectoryChars = MAX_PATH - 1;

// The folder as the system reports it, ending in a backslash; empty when the system gives
// none or needs more than `max_chars` characters for it. Always read as UTF-16: the ANSI
// text of a folder outside the code page has '?' where its characters were.
std::wstring TempDirectoryW(std::size_t max_chars = kMaxTempDirectoryChars);

// The same folder as ANSI text, for the paths whose names travel as ANSI text (a working
// file passed to an ANSI method, a fixed ANSI field): see AnsiNameOf. Empty when no ANSI
// text names it, or when that text is longer than `max_chars`.
std::string TempDirectory(std::size_t max_chars = kMaxTempDirectoryChars);

}  // namespace pixet
