// Conversions between ANSI text (the system code page) and the engine's UTF-16 text.
#pragma once

#include <cstddef>
#include <cstdint>

#include "pixet/export.h"

namespace pixet {

// A heap block owned by the caller: release it with WideConverter::Free.
// `bytes` counts the 2-byte terminator.
struct WideString {
  wchar_t* data;
  std::uint32_t bytes;
};

class PIXET_API WideConverter {
 public:
  enum Status : std::uint8_t { kDone = 0, kNotConverted = 3, kTooShort = 5 };

  // Trailing blanks removed first. All-blank text gives the empty 2-byte string;
  // failure gives a null `data`.
  static WideString TextToWide(const char* text);
  static WideString CStringToWide(const char* text);
  // Writes `source` into `dest` as `length` characters, blank-padded, no terminator.
  // Too long for `length` bytes: kTooShort and `dest` is left alone.
  static Status WideToText(const wchar_t* source, char* dest, std::size_t length);
  static void Free(WideString& wide);
};

}  // namespace pixet
