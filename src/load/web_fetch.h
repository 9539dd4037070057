// Fetching the body at a web address (http:// or https://) into a file of its own in the
// temporary folder, with the object's limits, on the calling thread and without the
// working-files lock.
#pragma once

#include <cstdint>
#include <string>

#include "base/unique_any.h"

namespace pixet {

struct WebLimits {
  std::uint32_t timeout_ms;  // for connecting (the secure handshake included), for the answer, and for each read
  std::uint32_t max_bytes;   // the largest body kept
};

// Whether `address` (trailing blanks removed) begins with "http://" or "https://", in any
// letter case.
bool IsWebAddress(const std::wstring& address);

// Fetches `address` with GET, following at most 5 redirects and never from https to http;
// the system checks certificates. True with the whole body in `file`. Otherwise false,
// after the failure's message box, with no file left.
bool FetchWebAddress(const std::wstring& address, const WebLimits& limits, auto_delete_wide_file& file);

}  // namespace pixet
