// The forms in which an image with transparency travels on the clipboard: the registered
// "PNG" format and CF_DIBV5 with straight alpha (what browsers and office programs put
// there), beside CF_BITMAP for older programs.
#pragma once

#include <windows.h>

#include "base/unique_any.h"
#include "core/engine.h"

namespace pixet::clipboard {

// The "PNG" format's number in this session (the same in every process).
UINT PngFormat();

// `image`'s PNG file bytes in a movable block, as the "PNG" format holds them; empty when
// the engine cannot encode it. `png` is the PNG encoder. Inside an engine session.
unique_hglobal PngBlock(Gdiplus::GpImage* image, const GUID& png);

// A packed CF_DIBV5 block of `bitmap` (`width` x `height`): a BITMAPV5HEADER with
// BI_BITFIELDS masks (alpha 0xFF000000, red 0x00FF0000, green 0x0000FF00, blue 0x000000FF),
// sRGB, and 32-bit rows bottom-up with straight (not premultiplied) alpha. Empty when it
// cannot be made. Inside an engine session.
unique_hglobal DibV5Block(Gdiplus::GpBitmap* bitmap, UINT width, UINT height);

// An engine bitmap of the clipboard's image, which must be open: its "PNG" first, then the
// first of CF_DIBV5, CF_DIB and CF_BITMAP that was put there (not one the system made from
// it). A 32-bit DIB keeps alpha where its alpha mask says so, or, in BI_RGB, where the
// pixels carry alpha; other uncompressed DIBs and bitmaps are opaque. Null when it holds
// none of them, or what it holds does not read whole (rows past the end of the block, more
// than 16384 x 16384 pixels, a compressed DIB). The bitmap owns its pixels: it outlives the
// clipboard's data. Inside an engine session.
engine::unique_gp_bitmap BitmapFromOpenClipboard();

}  // namespace pixet::clipboard
