// Choosing an output format: target extension to MIME type.
#pragma once

#include <cstddef>
#include <string>

namespace pixet {

// Longest target file name handed to the engine, in characters (a 512-byte wide buffer
// with its terminator).
constexpr std::size_t kMaxTargetChars = 255;

// The MIME type that the target name's extension selects (letter case and trailing blanks
// aside), or null when the extension is not one of .BMP .JPG .JPEG .PNG .TIFF .TIF .GIF.
const char* MimeTypeForTarget(const char* target);
const char* MimeTypeForTarget(const std::wstring& target);

}  // namespace pixet
