#include "load/web_limits.h"

#include <map>
#include <mutex>

#include "pixet/pixet.h"

namespace pixet {

namespace {

std::mutex g_limits_mutex;
std::map<const void*, WebLimits> g_limits;  // objects whose limits differ from the defaults

}  // namespace

WebLimits WebLimitsOf(const void* object) {
  std::lock_guard<std::mutex> lock(g_limits_mutex);
  const auto found = g_limits.find(object);
  return found != g_limits.end() ? found->second
                                 : WebLimits{Pixet::kDefaultWebTimeoutMs, Pixet::kDefaultWebSizeLimit};
}

void SetWebLimits(const void* object, const WebLimits& limits) {
  std::lock_guard<std::mutex> lock(g_limits_mutex);
  g_limits[object] = limits;
}

void ForgetWebLimits(const void* object) {
  std::lock_guard<std::mutex> lock(g_limits_mutex);
  g_limits.erase(object);
}

}  // namespace pixet
