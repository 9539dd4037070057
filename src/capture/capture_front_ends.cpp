// The Pixet capture methods: each forwards to the operation of the same name on the
// process-wide capture object. They need no engine and no field of the object.
#include "base/boundary.h"
#include "capture/bmp_capture.h"
#include "capture/process_capture.h"
#include "pixet/pixet.h"

void Pixet::CaptureDesktopToBmp(const char* file) {
  pixet::Guarded([&] {
    if (pixet::BmpCapture* capture = pixet::capture::ProcessCapture()) capture->CaptureDesktopToBmp(file);
  });
}

void Pixet::CaptureClientToBmp(const char* file) {
  pixet::Guarded([&] {
    if (pixet::BmpCapture* capture = pixet::capture::ProcessCapture()) capture->CaptureClientToBmp(file);
  });
}

void Pixet::CaptureClientRectToBmp(const char* file, std::int32_t x, std::int32_t y, std::int32_t width,
                                   std::int32_t height) {
  pixet::Guarded([&] {
    if (pixet::BmpCapture* capture = pixet::capture::ProcessCapture()) capture->CaptureClientRectToBmp(file, x, y, width, height);
  });
}

void Pixet::CaptureWindowToBmp(const char* file) {
  pixet::Guarded([&] {
    if (pixet::BmpCapture* capture = pixet::capture::ProcessCapture()) capture->CaptureWindowToBmp(file);
  });
}

void Pixet::CaptureDesktopToBmpW(const wchar_t* file) {
  pixet::Guarded([&] {
    if (pixet::BmpCapture* capture = pixet::capture::ProcessCapture()) capture->CaptureDesktopToBmpW(file);
  });
}

void Pixet::CaptureClientToBmpW(const wchar_t* file) {
  pixet::Guarded([&] {
    if (pixet::BmpCapture* capture = pixet::capture::ProcessCapture()) capture->CaptureClientToBmpW(file);
  });
}

void Pixet::CaptureClientRectToBmpW(const wchar_t* file, std::int32_t x, std::int32_t y, std::int32_t width,
                                    std::int32_t height) {
  pixet::Guarded([&] {
    if (pixet::BmpCapture* capture = pixet::capture::ProcessCapture())
      capture->CaptureClientRectToBmpW(file, x, y, width, height);
  });
}

void Pixet::CaptureWindowToBmpW(const wchar_t* file) {
  pixet::Guarded([&] {
    if (pixet::BmpCapture* capture = pixet::capture::ProcessCapture()) capture->CaptureWindowToBmpW(file);
  });
}
