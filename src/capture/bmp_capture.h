// The process-wide capture object: copies screen contents with GDI into a memory bitmap
// and writes it as an uncompressed BMP file. Made when the library loads, destroyed when
// it unloads (see capture/process_capture.cpp); the Pixet capture methods forward to it.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

namespace pixet {

enum CaptureMode : std::uint8_t {
  CaptureClientArea = 0,   // the window's client area, from its GetDC
  CaptureWholeWindow = 1,  // the window with its frame, from its GetWindowDC
  CaptureRectangle = 2,    // x, y, width, height of the client area
};

// What every file written starts with: 14-byte file header, a 40-byte information header
// and a 1024-byte colour table, whatever the bit count.
constexpr std::uint32_t kBmpPixelOffset = 14 + 40 + 256 * 4;

class BmpCapture {
 public:
  // Reserves GRADIENTFILE: a unique "Bcr" file in the temporary folder, renamed to end in
  // ".bmp". When no such name can be kept, GRADIENTFILE is empty and no file is left.
  BmpCapture();
  BmpCapture(const BmpCapture&) = delete;
  BmpCapture& operator=(const BmpCapture&) = delete;

  // Virtual slots, in this order. File names: trailing blanks removed; a name longer
  // than 255 characters writes nothing. Nothing is written when no bitmap could be captured (no window, an
  // empty or negative area) or the file cannot be written whole (a full disk): an existing
  // file of that name is then left as it was. The file is written beside the target
  // under a temporary "Bcr" name and takes the target's place only once complete.
  // x, y, width and height are read in CaptureRectangle mode only.
  virtual void CaptureToBmp(HWND window, CaptureMode mode, std::int32_t x, std::int32_t y, std::int32_t width,
                            std::int32_t height, const char* file);
  virtual void CaptureDesktopToBmp(const char* file);
  virtual void CaptureClientToBmp(const char* file);
  virtual void CaptureClientRectToBmp(const char* file, std::int32_t x, std::int32_t y, std::int32_t width,
                                      std::int32_t height);
  virtual void CaptureWindowToBmp(const char* file);

  // The UTF-16 forms, after the slots: the same captures to a name given as UTF-16.
  void CaptureDesktopToBmpW(const wchar_t* file);
  void CaptureClientToBmpW(const wchar_t* file);
  void CaptureClientRectToBmpW(const wchar_t* file, std::int32_t x, std::int32_t y, std::int32_t width,
                               std::int32_t height);
  void CaptureWindowToBmpW(const wchar_t* file);

  // What a screen capture hands its pixels to: a bottom-up DIB with a full colour table
  // and its rows, valid during the call; true when it used them.
  using ScreenPixelsUse = std::function<bool(const BITMAPINFO* info, const void* rows)>;
  // Copies `area` of the virtual screen (its coordinates: the primary monitor's origin is 0,
  // 0) as the captures copy a window. Without `use`, writes it to `name` as the captures
  // write their BMP files (replacing an existing file only once complete); with `use`,
  // hands the pixels to it and writes nothing. False when nothing was captured or written.
  bool CaptureScreenArea(const RECT& area, const std::wstring& name, const ScreenPixelsUse& use = nullptr);

  // Removes the file named in GRADIENTFILE.
  virtual ~BmpCapture();

  char GRADIENTFILE[128];

 private:
  // What every form does, on a name with its trailing blanks removed.
  void CaptureToFile(HWND window, CaptureMode mode, std::int32_t x, std::int32_t y, std::int32_t width,
                     std::int32_t height, const std::wstring& name);
};

}  // namespace pixet
