// Process-wide start-up and shut-down of the library.
#pragma once

#include <windows.h>

namespace pixet::runtime {

bool ProcessAttach(HINSTANCE instance);
void ProcessDetach();
// The library's own module handle.
HINSTANCE Instance();

}  // namespace pixet::runtime
