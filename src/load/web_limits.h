// The web loader's limits of each Pixet object, kept beside the objects (whose layout is
// fixed) in a table that Destruct clears for its object.
#pragma once

#include "load/web_fetch.h"

namespace pixet {

WebLimits WebLimitsOf(const void* object);
void SetWebLimits(const void* object, const WebLimits& limits);
void ForgetWebLimits(const void* object);

}  // namespace pixet
