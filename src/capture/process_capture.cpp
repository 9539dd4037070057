#include "capture/process_capture.h"

#include <memory>
#include <new>

#include "capture/bmp_capture.h"

namespace pixet::capture {

namespace {
// Written only by DllMain, at process attach and detach, when no call runs.
std::unique_ptr<BmpCapture> g_capture;
}  // namespace

// Deliberately at load time: the capture file is reserved now, not at the first capture.
void MakeProcessCapture() { g_capture.reset(new (std::nothrow) BmpCapture()); }

void DeleteProcessCapture() { g_capture.reset(); }

BmpCapture* ProcessCapture() { return g_capture.get(); }

}  // namespace pixet::capture
