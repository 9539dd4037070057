// The library's entry point: process and thread start-up and clean-up.
#include <windows.h>

#include "core/module_runtime.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  switch (reason) {
    case DLL_PROCESS_ATTACH:
      return pixet::runtime::ProcessAttach(instance) ? TRUE : FALSE;
    case DLL_PROCESS_DETACH:
      pixet::runtime::ProcessDetach();
      return TRUE;
    case DLL_THREAD_ATTACH:
    case DLL_THREAD_DETACH:
    default:
      return TRUE;
  }
}
