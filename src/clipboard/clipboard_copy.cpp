#include "clipboard/clipboard_copy.h"

#include "core/host_access.h"

namespace pixet::clipboard {

HWND CopyOwner() { return reinterpret_cast<HWND>(host::Read(HostTarget::Current(), HostProperty::WindowHandle)); }

}  // namespace pixet::clipboard
