// The library's entry point: process and thread start-up and clean-up.
#include <windows.h>

#include "capture/process_capture.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
  switch (reason) {
    case DLL_PROCESS_ATTACH:
      pixet::capture::MakeProcessCapture();
      return TRUE;
    case DLL_PROCESS_DETACH:
      pixet::capture::DeleteProcessCapture();
      return TRUE;
    case DLL_THREAD_ATTACH:
    case DLL_THREAD_DETACH:
    default:
      return TRUE;
  }
}
