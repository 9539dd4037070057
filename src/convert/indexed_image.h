// An 8-bit indexed copy of an engine image, for encoders that write only indexed images.
#pragma once

#include "core/engine.h"

namespace pixet {

struct IndexedImage {
  // The image to encode: `made` when a new bitmap was made, else the source itself
  // (converted in place by the engine, or indexed already).
  Gdiplus::GpImage* image = nullptr;
  engine::unique_gp_bitmap made;
  int transparent = -1;  // the palette entry that clear pixels took, or -1
};

// `source` as an 8-bit indexed image of at most 256 colours. An 8-bit indexed source stays
// as it is. Any other gets its own colours when they fit, else the engine's optimal palette
// (a uniform one where the engine has none), refined; pixels under half opaque (fully
// transparent ones among them) take one transparent entry. The engine converts where it
// can; elsewhere the pixels are mapped here, with error diffusion. False when a step fails:
// nothing usable was made. Inside the caller's engine session.
bool MakeIndexed(Gdiplus::GpImage* source, IndexedImage& indexed);

}  // namespace pixet
