// Writing an engine image to the target file, in the format its extension chose.
#pragma once

#include <windows.h>

#include <string>

#include "core/engine.h"

namespace pixet {

// Saves `image` to `target` with `encoder`. A GIF target gets an 8-bit indexed image
// (MakeIndexed), its transparent entry marked, and must read back as an image of the same
// size. False when any step fails, as when the engine's save fails. Inside the caller's
// engine session.
bool SaveImage(Gdiplus::GpImage* image, const std::wstring& target, const GUID* encoder);

}  // namespace pixet
