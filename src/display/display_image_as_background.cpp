#include "base/boundary.h"
#include "pixet/pixet.h"

std::int32_t Pixet::DisplayImageAsBackground(PixetHostWindow* window, const char* image, std::int32_t) {
  return pixet::Guarded(std::int32_t{0}, [&]() -> std::int32_t {
    if (ENGINELOADED == 0) return 0;
    // The whole window, workspace colours; through the method table. Its result is not passed on.
    DisplayImage(window, image, 0, 1, 1);
    return 0;
  });
}

std::int32_t Pixet::DisplayImageAsBackgroundW(PixetHostWindow* window, const wchar_t* image, std::int32_t) {
  return pixet::Guarded(std::int32_t{0}, [&]() -> std::int32_t {
    if (ENGINELOADED == 0) return 0;
    DisplayImageW(window, image, 0, 1, 1);  // as the ANSI form, through the method table
    return 0;
  });
}
