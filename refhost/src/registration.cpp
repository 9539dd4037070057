// The desktop host registered with pixet.dll through the library's flat C callback table,
// found by name at run time, as a host in any language registers: the host passes numbers
// (target kinds, property numbers, icons) and knows them from its own declarations.
#include <windows.h>

#include <cstddef>
#include <cstdint>

#include "pixet/refhost.h"

namespace pixet::refhost {

namespace {

// The callback table as the C interface lays it out: __stdcall callbacks, each given the
// `user` pointer first; targets as {kind, window, report, field}.
struct CTarget {
  std::int32_t kind;
  PixetHostWindow* window;
  PixetHostReport* report;
  std::int16_t field;
};
struct CallbackTable {
  void* user;
  std::intptr_t(__stdcall* read)(void* user, const CTarget* target, int id);
  void(__stdcall* write)(void* user, const CTarget* target, int id, std::intptr_t value);
  void(__stdcall* writeText)(void* user, const CTarget* target, int id, const char* text);
  void(__stdcall* writeBytes)(void* user, const CTarget* target, int id, const void* bytes, std::size_t size);
  void(__stdcall* redraw)(void* user, const CTarget* target);
  void(__stdcall* message)(void* user, const char* text, const char* caption, int icon);
};
using RegisterFn = int(__stdcall*)(const CallbackTable* table);

DesktopHost& Host(void* user) { return *static_cast<DesktopHost*>(user); }
Target Of(const CTarget* t) { return {static_cast<Target::Kind>(t->kind), t->window, t->report, t->field}; }

std::intptr_t __stdcall OnRead(void* user, const CTarget* t, int id) {
  return Host(user).ReadProperty(Of(t), static_cast<Property>(id));
}
void __stdcall OnWrite(void* user, const CTarget* t, int id, std::intptr_t value) {
  Host(user).WriteProperty(Of(t), static_cast<Property>(id), value);
}
void __stdcall OnWriteText(void* user, const CTarget* t, int id, const char* text) {
  Host(user).WritePropertyText(Of(t), static_cast<Property>(id), text);
}
void __stdcall OnWriteBytes(void* user, const CTarget* t, int id, const void* bytes, std::size_t size) {
  Host(user).WritePropertyBytes(Of(t), static_cast<Property>(id), bytes, size);
}
void __stdcall OnRedraw(void* user, const CTarget* t) { Host(user).Redraw(Of(t)); }
void __stdcall OnShowMessage(void* user, const char* text, const char* caption, int icon) {
  Host(user).ShowMessage(text, caption, static_cast<Icon>(icon));
}

// Hands `table` (null: none) to the library; false when it is not loaded or refuses.
bool Hand(const CallbackTable* table) {
  HMODULE library = ::GetModuleHandleA("pixet.dll");
  const auto hand = library != nullptr ? reinterpret_cast<RegisterFn>(reinterpret_cast<void (*)()>(
                                             ::GetProcAddress(library, "PixetRegisterCallbackHost")))
                                       : nullptr;
  return hand != nullptr && hand(table) == 1;
}

}  // namespace

bool DesktopHost::Register() {
  const CallbackTable table{this, &OnRead, &OnWrite, &OnWriteText, &OnWriteBytes, &OnRedraw, &OnShowMessage};
  return Hand(&table);
}

void DesktopHost::Unregister() { Hand(nullptr); }

}  // namespace pixet::refhost
