// What ConvertImage and ConvertToGrayscaleImage do before they load the source: refuse
// an unbound object or an over-long target, start the engine, resolve the source, choose
// the encoder from the target's extension.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "convert/source_file.h"
#include "core/engine.h"

class Pixet;

namespace pixet {

// Holds the engine start-up and the resolved source for the caller's scope; engine
// objects the caller declares afterwards are released first, then "_vb_.xac" is deleted,
// then the engine is shut down. When ready() is false the call ends with 0: nothing was
// started, or the start-up failure or "Invalid Format!" has been shown.
class Conversion {
 public:
  // `source` and `target` with their trailing blanks removed.
  Conversion(Pixet& pixet, const std::wstring& source, const std::wstring& target);
  bool ready() const { return ready_; }
  const std::wstring& source_file() const { return source_->file(); }
  const GUID* encoder() const { return &encoder_; }

 private:
  std::optional<engine::Session> session_;
  std::optional<ResolvedSource> source_;
  GUID encoder_{};
  bool ready_ = false;
};

}  // namespace pixet
