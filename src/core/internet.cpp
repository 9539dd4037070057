#include "core/internet.h"

namespace pixet {

void CloseInternetHandle(HINTERNET handle) noexcept { ::InternetCloseHandle(handle); }

}  // namespace pixet
