// The library's side of the host runtime: calls to the registered host, with the
// fallbacks used when no host is registered.
#pragma once

#include <cstddef>
#include <cstdint>

#include "pixet/host.h"

namespace pixet::host {

std::intptr_t Read(const HostTarget& target, HostProperty id);
void Write(const HostTarget& target, HostProperty id, std::intptr_t value);
void WriteText(const HostTarget& target, HostProperty id, const char* text);
void WriteBytes(const HostTarget& target, HostProperty id, const void* bytes, std::size_t size);
void Redraw(const HostTarget& target);
void ShowMessage(const char* text, const char* caption = nullptr, MessageIcon icon = MessageIcon::None);

}  // namespace pixet::host
