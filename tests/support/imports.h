// Calls a module makes to other DLLs, redirected through its import address table: the
// module runs unchanged, and whoever patches it sees every call it makes by name.
#pragma once

#include <windows.h>

namespace pixet::testing {

// Points `module`'s import of `name` (from whichever DLL) at `replacement` and returns
// the address it held, or null when the module does not import that name.
void* PatchImport(HMODULE module, const char* name, void* replacement);

}  // namespace pixet::testing
