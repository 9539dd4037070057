// A wide string from WideConverter with one owner.
#pragma once

#include <windows.h>

#include "base/unique_any.h"
#include "pixet/wide_converter.h"

namespace pixet {

class OwnedWide {
 public:
  explicit OwnedWide(WideString wide) : block_(wide.data) {}
  const WCHAR* get() const { return static_cast<const WCHAR*>(block_.get()); }
  explicit operator bool() const { return static_cast<bool>(block_); }

 private:
  unique_hglobal block_;
};

// TextToWide (trailing blanks removed, system code page) with an owner.
inline OwnedWide ToWide(const char* text) { return OwnedWide(WideConverter::TextToWide(text)); }

}  // namespace pixet
