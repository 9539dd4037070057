// Where a monitor, or the whole virtual screen, lies on the virtual screen.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>

namespace pixet::screen {

// Monitor 0: the whole virtual screen, from its own left and top (negative when a monitor
// lies left of or above the primary one). 1..N: the monitors in the order the system
// enumerates them. In the coordinates of the calling thread's DPI awareness. None for
// another number, or an empty area.
std::optional<RECT> MonitorArea(std::int32_t monitor);

}  // namespace pixet::screen
