// A picture control's position and size as windows are given them.
#pragma once

#include <cstdint>

namespace pixet {

// A position or size as windows are given it: the low 16 bits taken as a signed number
// (-32768 to 32767 pass unchanged, 40000 becomes -25536).
inline int WindowCoordinate(std::intptr_t value) {
  return static_cast<std::int16_t>(static_cast<std::uint16_t>(static_cast<std::uintptr_t>(value) & 0xFFFFu));
}

}  // namespace pixet
