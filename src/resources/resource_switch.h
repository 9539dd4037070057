// The one-shot resource switch of the display methods (USERESOURCE with
// RESOURCESDLLNAME), and the module-name field as text.
#pragma once

#include <cstddef>
#include <string>

#include "core/engine.h"
#include "pixet/pixet.h"

namespace pixet {

// Resource and module names are used up to this many characters (blanks removed first).
constexpr std::size_t kMaxResourceNameChars = 127;

// RESOURCESDLLNAME as text: its characters up to the first NUL (the host may have put a C
// string there), trailing blanks removed. Empty means the host program's own module.
std::string ModuleNameField(const Pixet& self);
// Stores `name` in RESOURCESDLLNAME, cut or blank-padded to the field.
void SetModuleNameField(Pixet& self, const std::string& name);

// The source image of a display call, owned by the caller. With USERESOURCE on, `image`
// names a resource: it comes through self.ImageHandleFromResource from the module in
// RESOURCESDLLNAME (or the host program's when blank), which then is blanked, and the
// lookup switches USERESOURCE off. Otherwise `image` is a file name. Null when there is
// no image. Runs inside the caller's engine session.
engine::unique_gp_image LoadDisplaySource(Pixet& self, const char* image);

}  // namespace pixet
