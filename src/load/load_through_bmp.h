// The common end of the loads into image controls: the source through "kjj___.bmp".
#pragma once

#include <cstdint>

#include "pixet/host.h"

class Pixet;

namespace pixet {

// Converts `file_text` into "kjj___.bmp" in the temporary folder through the object's
// ConvertImage and hands the BMP file's bytes to the control: 1, 0 without the engine, or
// the error number of what failed. The caller holds the working-files lock.
std::int32_t LoadThroughBmp(Pixet& self, const HostTarget& control, const char* file_text);

}  // namespace pixet
