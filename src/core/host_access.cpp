#include "core/host_access.h"

#include <windows.h>

#include <atomic>
#include <string>

namespace pixet::host {

namespace {
std::atomic<HostRuntime*> g_host{nullptr};
}  // namespace

std::intptr_t Read(const HostTarget& target, HostProperty id) {
  HostRuntime* h = g_host.load();
  return h != nullptr ? h->ReadProperty(target, id) : 0;
}

void Write(const HostTarget& target, HostProperty id, std::intptr_t value) {
  if (HostRuntime* h = g_host.load()) h->WriteProperty(target, id, value);
}

void WriteText(const HostTarget& target, HostProperty id, const char* text) {
  if (HostRuntime* h = g_host.load()) h->WritePropertyText(target, id, text);
}

void WriteBytes(const HostTarget& target, HostProperty id, const void* bytes, std::size_t size) {
  if (HostRuntime* h = g_host.load()) h->WritePropertyBytes(target, id, bytes, size);
}

void Redraw(const HostTarget& target) {
  if (HostRuntime* h = g_host.load()) h->Redraw(target);
}

void ShowMessage(const char* text, const char* caption, MessageIcon icon) {
  if (HostRuntime* h = g_host.load()) {
    h->ShowMessage(text, caption, icon);
    return;
  }
  std::string lines(text);
  for (char& c : lines)
    if (c == '|') c = '\n';
  ::MessageBoxA(nullptr, lines.c_str(), caption, MB_OK | static_cast<UINT>(icon));
}

}  // namespace pixet::host

extern "C" PIXET_API void PixetRegisterHost(pixet::HostRuntime* host) { pixet::host::g_host.store(host); }
extern "C" PIXET_API pixet::HostRuntime* PixetRegisteredHost() { return pixet::host::g_host.load(); }
