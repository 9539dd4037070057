// The reference desktop host behind a flat C interface (pixet_c_refhost.dll).
#include "pixet/pixet_c_refhost.h"

#include <cstddef>

#include "base/boundary.h"
#include "pixet/refhost.h"

namespace {

using pixet::GuardedCall;
using pixet::refhost::DesktopHost;

// Made by PixetRegisterDesktopHost, destroyed only by PixetReleaseDesktopHost: at
// process exit the system takes the windows, and destroying them from the library's
// exit code would run on whichever thread ends the process.
DesktopHost* g_host = nullptr;

pixet::refhost::ControlKind KindOf(int image) {
  return image != 0 ? pixet::refhost::ControlKind::Image : pixet::refhost::ControlKind::Plain;
}

}  // namespace

extern "C" {

int PIXET_C_CALL PixetRegisterDesktopHost(int messageMode) {
  if (messageMode < PIXET_MESSAGES_RECORD || messageMode > PIXET_MESSAGES_INTERACTIVE) return 0;
  const auto mode = static_cast<pixet::refhost::MessageMode>(messageMode);
  try {
    if (g_host == nullptr) g_host = new DesktopHost(mode);
    g_host->SetMessageMode(mode);
  } catch (...) {
    return 0;
  }
  return g_host->Register() ? 1 : 0;
}

void PIXET_C_CALL PixetReleaseDesktopHost(void) {
  if (g_host == nullptr) return;
  DesktopHost::Unregister();
  delete g_host;
  g_host = nullptr;
}

PixetHostWindow* PIXET_C_CALL PixetDesktopOpenWindow(const char* title, int clientWidth, int clientHeight) {
  return GuardedCall(g_host, static_cast<PixetHostWindow*>(nullptr), [&](DesktopHost& host) {
    return host.OpenWindow(title != nullptr ? title : "", clientWidth, clientHeight);
  });
}

void PIXET_C_CALL PixetDesktopCloseWindow(PixetHostWindow* window) {
  GuardedCall(g_host, [&](DesktopHost& host) { host.CloseWindow(window); });
}

PixetHostReport* PIXET_C_CALL PixetDesktopOpenReport(int width, int height) {
  return GuardedCall(g_host, static_cast<PixetHostReport*>(nullptr),
                     [&](DesktopHost& host) { return host.OpenReport(width, height); });
}

void PIXET_C_CALL PixetDesktopCloseReport(PixetHostReport* report) {
  GuardedCall(g_host, [&](DesktopHost& host) { host.CloseReport(report); });
}

int PIXET_C_CALL PixetDesktopAddControl(PixetHostWindow* window, short field, int x, int y, int width, int height,
                                        int image) {
  return GuardedCall(g_host, 0, [&](DesktopHost& host) {
    return host.AddControl(window, field, x, y, width, height, KindOf(image)) ? 1 : 0;
  });
}

int PIXET_C_CALL PixetDesktopAddReportControl(PixetHostReport* report, short field, int x, int y, int width,
                                              int height, int image) {
  return GuardedCall(g_host, 0, [&](DesktopHost& host) {
    return host.AddControl(report, field, x, y, width, height, KindOf(image)) ? 1 : 0;
  });
}

void PIXET_C_CALL PixetDesktopShowFile(PixetHostWindow* window, short field, const char* file) {
  GuardedCall(g_host, [&](DesktopHost& host) {
    host.WritePropertyText(pixet::refhost::Target::Of(window, field), pixet::refhost::Property::ControlText,
                           file != nullptr ? file : "");
  });
}

int PIXET_C_CALL PixetDesktopShownImageSize(PixetHostWindow* window, short field, int* width, int* height) {
  return GuardedCall(g_host, 0, [&](DesktopHost& host) {
    const pixet::refhost::ControlState state = host.State(window, field);
    if (state.hwnd == nullptr) return 0;
    if (width != nullptr) *width = state.shownImage.width;
    if (height != nullptr) *height = state.shownImage.height;
    return 1;
  });
}

void* PIXET_C_CALL PixetDesktopWindowHandle(PixetHostWindow* window, short field) {
  return GuardedCall(g_host, static_cast<void*>(nullptr), [&](DesktopHost& host) -> void* {
    return field == 0 ? host.WindowHwnd(window) : host.State(window, field).hwnd;
  });
}

void PIXET_C_CALL PixetDesktopSetCurrentWindow(PixetHostWindow* window) { DesktopHost::SetCurrentWindow(window); }

void PIXET_C_CALL PixetDesktopPumpMessages(void) {
  GuardedCall(g_host, [](DesktopHost& host) { host.PumpMessages(); });
}

int PIXET_C_CALL PixetDesktopMessageCount(void) {
  return GuardedCall(g_host, 0, [](DesktopHost& host) { return static_cast<int>(host.Messages().size()); });
}

const char* PIXET_C_CALL PixetDesktopMessageText(int index) {
  return GuardedCall(g_host, static_cast<const char*>(nullptr), [&](DesktopHost& host) -> const char* {
    const auto& messages = host.Messages();
    if (index < 0 || static_cast<std::size_t>(index) >= messages.size()) return nullptr;
    return messages[static_cast<std::size_t>(index)].text.c_str();
  });
}

void PIXET_C_CALL PixetDesktopClearMessages(void) {
  GuardedCall(g_host, [](DesktopHost& host) { host.ClearMessages(); });
}

}  // extern "C"
