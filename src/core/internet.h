// The owner of WinINet handles. The library calls WinINet through its imports, where a
// test can count every handle opened and closed.
#pragma once

#include <windows.h>
#include <wininet.h>

#include "base/unique_any.h"

namespace pixet {

void CloseInternetHandle(HINTERNET handle) noexcept;
using unique_internet = unique_any<close_traits<HINTERNET, &CloseInternetHandle>>;

}  // namespace pixet
