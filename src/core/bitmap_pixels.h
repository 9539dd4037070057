// The pixels of an engine bitmap, locked in a chosen format for as long as the owner lives.
#pragma once

#include "core/engine.h"

namespace pixet::engine {

class BitmapPixels {
 public:
  // Locks the whole `width` x `height` bitmap with `mode` (ImageLockModeRead or Write) in
  // `format`; locked() is false when the engine refuses.
  BitmapPixels(Gdiplus::GpBitmap* bitmap, UINT width, UINT height, UINT mode, Gdiplus::PixelFormat format) noexcept
      : bitmap_(bitmap) {
    const Gdiplus::GpRect all(0, 0, static_cast<INT>(width), static_cast<INT>(height));
    locked_ = PIXET_CALL(GdipBitmapLockBits, bitmap, &all, mode, format, &data_) == Gdiplus::Ok;
  }
  ~BitmapPixels() {
    if (locked_) PIXET_CALL(GdipBitmapUnlockBits, bitmap_, &data_);
  }
  BitmapPixels(const BitmapPixels&) = delete;
  BitmapPixels& operator=(const BitmapPixels&) = delete;

  bool locked() const { return locked_; }
  // Row `y`, top first, whichever way the engine lays the rows out.
  BYTE* row(UINT y) const { return static_cast<BYTE*>(data_.Scan0) + static_cast<INT_PTR>(y) * data_.Stride; }

 private:
  Gdiplus::GpBitmap* const bitmap_;
  Gdiplus::BitmapData data_{};
  bool locked_ = false;
};

}  // namespace pixet::engine
