// The common end of the loads into image controls: the source through "kjj___.bmp".
#pragma once

#include <cstdint>
#include <string>

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

// The same for a file the load made itself (a download), named in UTF-16: an ANSI form's
// converter gets its ANSI name (AnsiNameOf; empty when it has none).
std::int32_t LoadMadeFileThroughBmp(Pixet& self, const HostTarget& control, const std::wstring& file, bool ansi_form);

}  // namespace pixet
