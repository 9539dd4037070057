// Choosing an output format: target extension to MIME type.
#pragma once

#include "pixet/export.h"

namespace pixet {

// The MIME type that the target name's extension selects (letter case and trailing blanks
// aside), or null when the extension is not one of .BMP .JPG .JPEG .PNG .TIFF .TIF .GIF.
PIXET_API const char* MimeTypeForTarget(const char* target);

}  // namespace pixet
