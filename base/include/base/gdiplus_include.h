// <gdiplus.h> with what it needs: it uses unqualified min and max, and NOMINMAX takes
// the windows.h macros away, so the standard ones are brought into its namespace first.
// Every file that wants the engine's declarations includes this instead of <gdiplus.h>.
#pragma once

#include <windows.h>

#include <algorithm>
namespace Gdiplus {
using std::max;
using std::min;
}  // namespace Gdiplus
#include <gdiplus.h>
