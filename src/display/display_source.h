// Where a display call's image comes from: a file, or (with the object's one-shot
// resource switch on) a resource.
#pragma once

#include <functional>

#include "core/engine.h"
#include "pixet/pixet.h"

namespace pixet {

// The source image of a display call, owned by the caller. With USERESOURCE on, `image`
// names a resource: it comes through self.ImageHandleFromResource from the module in
// RESOURCESDLLNAME (or the host program's when blank), which then is blanked, and the
// lookup switches USERESOURCE off. Otherwise `image` is a file name. Null when there is
// no image. Runs inside the caller's engine session.
engine::unique_gp_image LoadDisplaySource(Pixet& self, const char* image);
// The same for a name given as UTF-16: the resource comes through ImageHandleFromResourceW.
engine::unique_gp_image LoadDisplaySource(Pixet& self, const wchar_t* image);

// A display call's source, loaded when the call is ready for it (inside its session).
using SourceLoader = std::function<engine::unique_gp_image()>;

}  // namespace pixet
