#include "capture/process_capture.h"

#include <new>

#include "capture/bmp_capture.h"

namespace pixet::capture {

namespace {
BmpCapture* g_capture = nullptr;
}  // namespace

// Deliberately at load time: the capture file is reserved now, not at the first capture.
void MakeProcessCapture() { g_capture = new (std::nothrow) BmpCapture(); }

void DeleteProcessCapture() {
  delete g_capture;
  g_capture = nullptr;
}

BmpCapture* ProcessCapture() { return g_capture; }

}  // namespace pixet::capture
