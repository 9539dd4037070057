#include "screen/monitor_area.h"

namespace pixet::screen {

namespace {

struct Search {
  std::int32_t wanted;  // 1-based
  std::int32_t seen = 0;
  std::optional<RECT> found;
};

BOOL CALLBACK Visit(HMONITOR, HDC, LPRECT area, LPARAM parameter) {
  Search& search = *reinterpret_cast<Search*>(parameter);
  if (++search.seen != search.wanted) return TRUE;
  search.found = *area;
  return FALSE;  // found: stop
}

}  // namespace

std::optional<RECT> MonitorArea(std::int32_t monitor) {
  std::optional<RECT> area;
  if (monitor == 0) {
    const int left = ::GetSystemMetrics(SM_XVIRTUALSCREEN), top = ::GetSystemMetrics(SM_YVIRTUALSCREEN);
    area = RECT{left, top, left + ::GetSystemMetrics(SM_CXVIRTUALSCREEN), top + ::GetSystemMetrics(SM_CYVIRTUALSCREEN)};
  } else if (monitor > 0) {
    Search search{monitor, 0, std::nullopt};
    ::EnumDisplayMonitors(nullptr, nullptr, Visit, reinterpret_cast<LPARAM>(&search));
    area = search.found;
  }
  if (!area || area->right <= area->left || area->bottom <= area->top) return std::nullopt;
  return area;
}

}  // namespace pixet::screen
