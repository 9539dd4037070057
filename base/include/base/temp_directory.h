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
// none or needs more than `max_chars` characters for it.
std::string TempDirectory(std::size_t max_chars = kMaxTempDirectoryChars);

}  // namespace pixet
