#include "convert/conversion.h"

#include "convert/encoder.h"
#include "core/host_access.h"
#include "core/text.h"
#include "pixet/pixet.h"

namespace pixet {

Conversion::Conversion(Pixet& pixet, const std::wstring& source, const std::wstring& target) {
  if (pixet.ENGINELOADED == 0) return;
  if (target.size() > kMaxTargetChars) return;
  session_.emplace();
  if (!session_->started()) return;
  source_.emplace(source);  // before the extension is looked at
  const char* mime = MimeTypeForTarget(target);
  if (mime == nullptr) {
    host::ShowMessage("Invalid Format!");
    return;
  }
  pixet.GetEncoderClsid(mime, &encoder_);  // through the method table
  ready_ = true;
}

}  // namespace pixet
