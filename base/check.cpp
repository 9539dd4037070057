#include "base/check.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>

namespace pixet {

void CheckFailed(const char* condition, const char* file, int line) noexcept {
  char text[512];
  std::snprintf(text, sizeof text, "Pixet check failed: %s (%s:%d)\n", condition, file, line);
  ::OutputDebugStringA(text);
  std::fputs(text, stderr);
  std::fflush(stderr);
  std::abort();
}

}  // namespace pixet
