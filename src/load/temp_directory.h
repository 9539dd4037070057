// The user's temporary folder, where loads keep their working and downloaded files.
#pragma once

#include <string>

namespace pixet {

// The folder as the system reports it, ending in a backslash; empty when the system
// gives none or needs more than 260 characters for it.
std::string TempDirectory();

}  // namespace pixet
