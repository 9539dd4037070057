#include "core/module_runtime.h"

#include <new>

#include "capture/bmp_capture.h"

namespace pixet::runtime {

namespace {
HINSTANCE g_instance = nullptr;
BmpCapture* g_capture = nullptr;  // the process-wide capture object
}  // namespace

bool ProcessAttach(HINSTANCE instance) {
  g_instance = instance;
  // Without it the capture methods do nothing; the rest of the library still works.
  g_capture = new (std::nothrow) BmpCapture();
  return true;
}

void ProcessDetach() {
  delete g_capture;
  g_capture = nullptr;
}

HINSTANCE Instance() { return g_instance; }
BmpCapture* Capture() { return g_capture; }

}  // namespace pixet::runtime
