// The common end of the loads into image controls: the source through "kjj___.bmp".
#pragma once

#include <cstdint>

#include "pixet/host.h"

class Pixet;

namespace pixet {

// Converts `file_text` into "kjj___.bmp" in the temporary folder through the object's
// converter, ConvertImage for ANSI text and ConvertImageW for UTF-16 (a host's override of
// either is honoured on its own path), and hands the BMP file's bytes to the control: 1, 0
// without the engine, or the error number of what failed. The caller holds the
// working-files lock.
std::int32_t LoadThroughBmp(Pixet& self, const HostTarget& control, const char* file_text);
std::int32_t LoadThroughBmp(Pixet& self, const HostTarget& control, const wchar_t* file_text);

}  // namespace pixet
