#include "core/module_runtime.h"

namespace pixet::runtime {

namespace {
HINSTANCE g_instance = nullptr;
}  // namespace

bool ProcessAttach(HINSTANCE instance) {
  g_instance = instance;
  return true;
}

void ProcessDetach() {}

HINSTANCE Instance() { return g_instance; }

}  // namespace pixet::runtime
