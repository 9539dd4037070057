#include "convert/gif_transparency.h"

#include <cstring>
#include <vector>

#include "base/unique_any.h"
#include "base/whole_file.h"

namespace pixet {

namespace {

// The offset of the first image descriptor (0x2C), after the header, the screen
// descriptor, the global colour table and any extensions; `has_control` tells whether one of
// those extensions is a graphic control extension. 0 when the bytes are no GIF89a.
std::size_t FirstImage(const std::vector<unsigned char>& gif, bool& has_control) {
  has_control = false;
  if (gif.size() < 13 || std::memcmp(gif.data(), "GIF89a", 6) != 0) return 0;
  std::size_t at = 13;
  if (gif[10] & 0x80) at += 3u << ((gif[10] & 0x07) + 1);  // the global colour table
  while (at + 1 < gif.size() && gif[at] == 0x21) {
    has_control = has_control || gif[at + 1] == 0xF9;
    at += 2;
    while (at < gif.size() && gif[at] != 0) at += gif[at] + 1u;  // sub-blocks up to the empty one
    ++at;
  }
  return at < gif.size() && gif[at] == 0x2C ? at : 0;
}

}  // namespace

bool MarkGifTransparency(const WCHAR* name, int index) {
  std::vector<unsigned char> gif;
  if (ReadWholeFile(std::wstring(name), gif) != 0) return false;
  bool has_control = false;
  const std::size_t image = FirstImage(gif, has_control);
  if (image == 0) return false;
  if (has_control) return true;
  // Disposal unspecified, no user input, a transparent colour; no delay.
  const unsigned char control[] = {0x21, 0xF9, 0x04, 0x01, 0x00, 0x00, static_cast<unsigned char>(index), 0x00};
  gif.insert(gif.begin() + static_cast<std::ptrdiff_t>(image), std::begin(control), std::end(control));
  unique_file file(::CreateFileW(name, GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  return file && WriteAll(file.get(), gif.data(), static_cast<DWORD>(gif.size())) && CloseWritten(file);
}

}  // namespace pixet
