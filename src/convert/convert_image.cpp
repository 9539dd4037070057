#include <windows.h>

#include "base/boundary.h"
#include "convert/conversion.h"
#include "core/engine.h"
#include "convert/save_image.h"
#include "core/owned_wide.h"
#include "pixet/pixet.h"

std::int32_t Pixet::ConvertImage(const char* source, const char* target) {
  return pixet::Guarded(std::int32_t{0}, [&]() -> std::int32_t {
    using namespace pixet;
    Conversion conversion(*this, source, target);
    if (!conversion.ready()) return 0;
    engine::unique_gp_image image;
    {
      OwnedWide wide_source = ToWide(conversion.source_file().c_str());
      PIXET_CALL(GdipLoadImageFromFile, wide_source.get(), image.put());
    }
    if (!image) return 1;  // nothing to convert; a caller that needs the file checks for it
    return SaveImage(image.get(), target, conversion.encoder()) ? 1 : 0;
  });
}
