// The calling thread's last error as a result: never 0, so a failure cannot read as "no
// error".
#pragma once

#include <windows.h>

namespace pixet {

inline DWORD LastError() {
  const DWORD error = ::GetLastError();
  return error != 0 ? error : ERROR_GEN_FAILURE;
}

}  // namespace pixet
