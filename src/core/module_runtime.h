// Process-wide start-up and shut-down of the library.
#pragma once

#include <windows.h>

namespace pixet {
class BmpCapture;
}

namespace pixet::runtime {

bool ProcessAttach(HINSTANCE instance);
void ProcessDetach();
// The library's own module handle.
HINSTANCE Instance();
// The process-wide capture object, made at load; null before, after unload, or when it
// could not be made.
BmpCapture* Capture();

}  // namespace pixet::runtime
