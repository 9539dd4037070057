// The real clipboard for the clipboard tests: what to put on it and how to read it back.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace pixet::testing {

// Pixels as 0x00RRGGBB, row by row from the top.
struct Pixels {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> rgb;
  bool operator==(const Pixels& o) const { return width == o.width && height == o.height && rgb == o.rgb; }
};

// A 4 x 3 picture of distinct colours.
Pixels TestPicture();
// Empties the clipboard and puts only this, as CF_BITMAP, CF_DIB or CF_TEXT.
void PutBitmap(const Pixels& pixels);
void PutDibOnly(const Pixels& pixels);
void PutText(const std::string& text);
// What the clipboard holds now: its CF_BITMAP's pixels (empty when none), its text.
Pixels ClipboardPixels();
std::string ClipboardText();
// The pixels of an image file, as the engine decodes it (alpha dropped).
Pixels FilePixels(const std::string& path);

}  // namespace pixet::testing
