// What the two copies to the clipboard share: who owns the clipboard they fill, and the
// messages a host sees when the image or the clipboard fails.
#pragma once

#include <windows.h>

namespace pixet::clipboard {

inline constexpr char kNotLoaded[] = "There was an error while loading the bitmap";
inline constexpr char kNotPlaced[] = "There was an error while pasting the bitmap to the clipboard!";

// The current window's own handle, which owns what a copy places (null without one).
HWND CopyOwner();

}  // namespace pixet::clipboard
