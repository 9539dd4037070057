// The WinINet calls the library makes, through one module-wide table so that tests can
// wrap them (as they wrap the engine table) and count every handle opened and closed.
#pragma once

#include <windows.h>
#include <wininet.h>

#include "core/unique_any.h"

namespace pixet::internet {

struct Table {
  decltype(&::InternetOpenA) InternetOpenA;
  decltype(&::InternetOpenUrlA) InternetOpenUrlA;
  decltype(&::InternetReadFile) InternetReadFile;
  decltype(&::InternetCloseHandle) InternetCloseHandle;
  // The web loader's own calls: addresses taken apart and joined, connections, requests
  // with their options, and the answer's status and headers.
  decltype(&::InternetCrackUrlA) InternetCrackUrlA;
  decltype(&::InternetCombineUrlA) InternetCombineUrlA;
  decltype(&::InternetSetOptionA) InternetSetOptionA;
  decltype(&::InternetConnectA) InternetConnectA;
  decltype(&::HttpOpenRequestA) HttpOpenRequestA;
  decltype(&::HttpSendRequestA) HttpSendRequestA;
  decltype(&::HttpQueryInfoA) HttpQueryInfoA;
};

// Filled with the system's entry points when the library loads.
Table& table();

}  // namespace pixet::internet

namespace pixet {

// A WinINet handle, closed through the table.
void CloseInternetHandle(HINTERNET handle) noexcept;
using unique_internet = unique_any<close_traits<HINTERNET, &CloseInternetHandle>>;

}  // namespace pixet
