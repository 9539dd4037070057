// The transparent entry of a written GIF file.
#pragma once

#include <windows.h>

namespace pixet {

// Makes palette entry `index` transparent in the GIF file `name`, whose first image has no
// graphic control extension (the engine here writes none: Wine's encoder drops the
// palette's alpha, where Windows' writes the extension itself). A file that has one already
// is left as it is. False when the file cannot be read, is no GIF89a, or cannot be written
// whole.
bool MarkGifTransparency(const WCHAR* name, int index);

}  // namespace pixet
