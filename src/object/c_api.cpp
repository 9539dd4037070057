// The flat C interface. Every method call goes through the object's method table, so a
// derived object's overrides are the ones used; nothing thrown gets past these functions.
#include "pixet/pixet_c.h"

#include <memory>
#include <mutex>
#include <new>
#include <string>
#include <utility>

#include "base/boundary.h"
#include "core/module_name_field.h"
#include "core/text.h"
#include "pixet/pixet.h"

#undef LoadImage

namespace {

using pixet::GuardedCall;
using pixet::HostProperty;
using pixet::HostTarget;

static_assert(static_cast<int>(HostTarget::Kind::System) == PIXET_TARGET_SYSTEM &&
                  static_cast<int>(HostTarget::Kind::Window) == PIXET_TARGET_WINDOW &&
                  static_cast<int>(HostTarget::Kind::Report) == PIXET_TARGET_REPORT &&
                  static_cast<int>(HostTarget::Kind::CurrentWindow) == PIXET_TARGET_CURRENT_WINDOW,
              "target kinds");
static_assert(static_cast<int>(pixet::MessageIcon::Information) == PIXET_ICON_INFORMATION, "icons");
static_assert(sizeof(PixetIntPtr) == sizeof(std::intptr_t), "PixetIntPtr is pointer-sized");

// The host runtime made of a C caller's callbacks.
class CallbackHost final : public pixet::HostRuntime {
 public:
  explicit CallbackHost(const PixetHostCallbacks& callbacks) : c_(callbacks) {}

  std::intptr_t ReadProperty(const HostTarget& target, HostProperty id) override {
    if (c_.readProperty == nullptr) return 0;
    const PixetHostTarget t = ToC(target);
    return c_.readProperty(c_.user, &t, static_cast<int>(id));
  }
  void WriteProperty(const HostTarget& target, HostProperty id, std::intptr_t value) override {
    if (c_.writeProperty == nullptr) return;
    const PixetHostTarget t = ToC(target);
    c_.writeProperty(c_.user, &t, static_cast<int>(id), value);
  }
  void WritePropertyText(const HostTarget& target, HostProperty id, const char* text) override {
    if (c_.writePropertyText == nullptr) return;
    const PixetHostTarget t = ToC(target);
    c_.writePropertyText(c_.user, &t, static_cast<int>(id), text);
  }
  void WritePropertyBytes(const HostTarget& target, HostProperty id, const void* bytes, std::size_t size) override {
    if (c_.writePropertyBytes == nullptr) return;
    const PixetHostTarget t = ToC(target);
    c_.writePropertyBytes(c_.user, &t, static_cast<int>(id), bytes, size);
  }
  void Redraw(const HostTarget& target) override {
    if (c_.redraw == nullptr) return;
    const PixetHostTarget t = ToC(target);
    c_.redraw(c_.user, &t);
  }
  void ShowMessage(const char* text, const char* caption, pixet::MessageIcon icon) override {
    if (c_.showMessage != nullptr) c_.showMessage(c_.user, text, caption, static_cast<int>(icon));
  }

 private:
  static PixetHostTarget ToC(const HostTarget& target) {
    return {static_cast<int>(target.kind), target.window, target.report, target.field};
  }
  const PixetHostCallbacks c_;
};

std::mutex g_callback_host_mutex;
std::unique_ptr<CallbackHost> g_callback_host;  // the one registered last

}  // namespace

extern "C" {

int PIXET_C_CALL PixetRegisterCallbackHost(const PixetHostCallbacks* callbacks) {
  std::unique_ptr<CallbackHost> host;
  if (callbacks != nullptr) {
    host.reset(new (std::nothrow) CallbackHost(*callbacks));
    if (!host) return 0;
  }
  std::lock_guard<std::mutex> lock(g_callback_host_mutex);
  PixetRegisterHost(host.get());
  g_callback_host = std::move(host);  // the previous one goes now that it is unregistered
  return 1;
}

PixetObject* PIXET_C_CALL PixetNew(void) {
  try {
    return Pixet::Create().release();
  } catch (...) {
    return nullptr;
  }
}

void PIXET_C_CALL PixetDelete(PixetObject* object) {
  GuardedCall(object, [&](Pixet& p) { delete &p; });
}

int PIXET_C_CALL PixetEngineLoaded(PixetObject* object) {
  return GuardedCall(object, 0, [](Pixet& p) { return p.ENGINELOADED; });
}

int PIXET_C_CALL PixetGetUseResource(PixetObject* object) {
  return GuardedCall(object, 0, [](Pixet& p) { return p.USERESOURCE; });
}

void PIXET_C_CALL PixetSetUseResource(PixetObject* object, int use) {
  GuardedCall(object, [&](Pixet& p) { p.USERESOURCE = use; });
}

int PIXET_C_CALL PixetGetResourcesDllName(PixetObject* object, char* buffer, int size) {
  return GuardedCall(object, 0, [&](Pixet& p) {
    const std::string name = pixet::ModuleNameField(p.RESOURCESDLLNAME);
    if (buffer != nullptr && size > 0) pixet::text::CopyToField(buffer, static_cast<std::size_t>(size), name);
    return static_cast<int>(name.size());
  });
}

void PIXET_C_CALL PixetSetResourcesDllName(PixetObject* object, const char* name) {
  GuardedCall(object, [&](Pixet& p) { pixet::SetModuleNameField(p.RESOURCESDLLNAME, name != nullptr ? name : ""); });
}

void* PIXET_C_CALL PixetPictureBox(PixetObject* object) {
  return GuardedCall(object, static_cast<void*>(nullptr), [](Pixet& p) { return static_cast<void*>(p.HPICTUREBOX); });
}

int PIXET_C_CALL PixetUsedResourceCount(PixetObject* object) {
  return GuardedCall(object, 0, [](Pixet& p) {
    return p.USEDRESOURCES != nullptr ? static_cast<int>(p.USEDRESOURCES->Count()) : 0;
  });
}

const char* PIXET_C_CALL PixetUsedResourceName(PixetObject* object, int index) {
  return GuardedCall(object, static_cast<const char*>(nullptr), [&](Pixet& p) -> const char* {
    if (p.USEDRESOURCES == nullptr || index < 0) return nullptr;
    const pixet::UsedResource* used = p.USEDRESOURCES->At(static_cast<std::size_t>(index));
    return used != nullptr ? used->RESOURCENAME : nullptr;
  });
}

void PIXET_C_CALL PixetCaptureDesktopToBmp(PixetObject* object, const char* file) {
  GuardedCall(object, [&](Pixet& p) { p.CaptureDesktopToBmp(file); });
}

void PIXET_C_CALL PixetCaptureClientToBmp(PixetObject* object, const char* file) {
  GuardedCall(object, [&](Pixet& p) { p.CaptureClientToBmp(file); });
}

void PIXET_C_CALL PixetCaptureClientRectToBmp(PixetObject* object, const char* file, int x, int y, int width,
                                              int height) {
  GuardedCall(object, [&](Pixet& p) { p.CaptureClientRectToBmp(file, x, y, width, height); });
}

void PIXET_C_CALL PixetCaptureWindowToBmp(PixetObject* object, const char* file) {
  GuardedCall(object, [&](Pixet& p) { p.CaptureWindowToBmp(file); });
}

int PIXET_C_CALL PixetConvertImage(PixetObject* object, const char* source, const char* target) {
  return GuardedCall(object, 0, [&](Pixet& p) { return p.ConvertImage(source, target); });
}

int PIXET_C_CALL PixetConvertToGrayscaleImage(PixetObject* object, const char* source, const char* target) {
  return GuardedCall(object, 0, [&](Pixet& p) { return p.ConvertToGrayscaleImage(source, target); });
}

int PIXET_C_CALL PixetCopyToClipboard(PixetObject* object, const char* file) {
  return GuardedCall(object, 0, [&](Pixet& p) { return p.CopyToClipboard(file); });
}

int PIXET_C_CALL PixetCreatePictureBox(PixetObject* object, PixetHostWindow* window, short control,
                                       int wholeWindow) {
  return GuardedCall(object, 0, [&](Pixet& p) { return p.CreatePictureBox(window, control, wholeWindow); });
}

int PIXET_C_CALL PixetDrawImage(PixetObject* object, PixetHostWindow* window, const char* image, short control,
                                int wholeWindow, int unused) {
  return GuardedCall(object, 0, [&](Pixet& p) { return p.DrawImage(window, image, control, wholeWindow, unused); });
}

int PIXET_C_CALL PixetLoadImage(PixetObject* object, PixetHostWindow* window, const char* source, short control) {
  return GuardedCall(object, 0, [&](Pixet& p) { return p.LoadImage(window, source, control); });
}

int PIXET_C_CALL PixetLoadImageFromClipboard(PixetObject* object, PixetHostWindow* window, short control) {
  return GuardedCall(object, 0, [&](Pixet& p) { return p.LoadImageFromClipboard(window, control); });
}

int PIXET_C_CALL PixetLoadReportImage(PixetObject* object, PixetHostReport* report, const char* source,
                                      short control) {
  return GuardedCall(object, 0, [&](Pixet& p) { return p.LoadImage(report, source, control); });
}

int PIXET_C_CALL PixetDisplayImage(PixetObject* object, PixetHostWindow* window, const char* image, short control,
                                   int wholeWindow, int workspaceColours) {
  return GuardedCall(object, 0,
                     [&](Pixet& p) { return p.DisplayImage(window, image, control, wholeWindow, workspaceColours); });
}

int PIXET_C_CALL PixetDisplayImageAsBackground(PixetObject* object, PixetHostWindow* window, const char* image,
                                               int unused) {
  return GuardedCall(object, 0, [&](Pixet& p) { return p.DisplayImageAsBackground(window, image, unused); });
}

void PIXET_C_CALL PixetGetEncoderClsid(PixetObject* object, const char* mimeType, struct _GUID* clsid) {
  GuardedCall(object, [&](Pixet& p) { p.GetEncoderClsid(mimeType, clsid); });
}

int PIXET_C_CALL PixetGetFunctionPointers(PixetObject* object) {
  return GuardedCall(object, 0, [](Pixet& p) { return p.GetFunctionPointers(); });
}

void PIXET_C_CALL PixetResizeImage(PixetObject* object) {
  GuardedCall(object, [](Pixet& p) { p.ResizeImage(); });
}

PixetIntPtr PIXET_C_CALL PixetImageHandleFromResource(PixetObject* object, const char* name, const char* module) {
  return GuardedCall(object, PixetIntPtr{0}, [&](Pixet& p) { return p.ImageHandleFromResource(name, module); });
}

int PIXET_C_CALL PixetSaveResourceToFile(PixetObject* object, const char* name, const char* file,
                                         const char* module) {
  return GuardedCall(object, 0, [&](Pixet& p) { return p.SaveResourceToFile(name, file, module); });
}

int PIXET_C_CALL PixetLoadImageFromWeb(PixetObject* object, PixetHostWindow* window, const char* address,
                                       short control) {
  return GuardedCall(object, 0, [&](Pixet& p) { return p.LoadImageFromWeb(window, address, control); });
}

void PIXET_C_CALL PixetSetWebTimeout(PixetObject* object, int milliseconds) {
  GuardedCall(object, [&](Pixet& p) { p.SetWebTimeout(milliseconds); });
}

int PIXET_C_CALL PixetGetWebTimeout(PixetObject* object) {
  return GuardedCall(object, 0, [](Pixet& p) { return p.WebTimeout(); });
}

void PIXET_C_CALL PixetSetWebSizeLimit(PixetObject* object, unsigned int bytes) {
  GuardedCall(object, [&](Pixet& p) { p.SetWebSizeLimit(bytes); });
}

unsigned int PIXET_C_CALL PixetGetWebSizeLimit(PixetObject* object) {
  return GuardedCall(object, 0u, [](Pixet& p) { return p.WebSizeLimit(); });
}

int PIXET_C_CALL PixetConvertImageW(PixetObject* object, const wchar_t* source, const wchar_t* target) {
  return GuardedCall(object, 0, [&](Pixet& p) { return p.ConvertImageW(source, target); });
}

int PIXET_C_CALL PixetConvertToGrayscaleImageW(PixetObject* object, const wchar_t* source, const wchar_t* target) {
  return GuardedCall(object, 0, [&](Pixet& p) { return p.ConvertToGrayscaleImageW(source, target); });
}

void PIXET_C_CALL PixetCaptureDesktopToBmpW(PixetObject* object, const wchar_t* file) {
  GuardedCall(object, [&](Pixet& p) { p.CaptureDesktopToBmpW(file); });
}

void PIXET_C_CALL PixetCaptureClientToBmpW(PixetObject* object, const wchar_t* file) {
  GuardedCall(object, [&](Pixet& p) { p.CaptureClientToBmpW(file); });
}

void PIXET_C_CALL PixetCaptureClientRectToBmpW(PixetObject* object, const wchar_t* file, int x, int y, int width,
                                               int height) {
  GuardedCall(object, [&](Pixet& p) { p.CaptureClientRectToBmpW(file, x, y, width, height); });
}

void PIXET_C_CALL PixetCaptureWindowToBmpW(PixetObject* object, const wchar_t* file) {
  GuardedCall(object, [&](Pixet& p) { p.CaptureWindowToBmpW(file); });
}

PixetIntPtr PIXET_C_CALL PixetImageHandleFromResourceW(PixetObject* object, const wchar_t* name,
                                                       const wchar_t* module) {
  return GuardedCall(object, PixetIntPtr{0}, [&](Pixet& p) { return p.ImageHandleFromResourceW(name, module); });
}

int PIXET_C_CALL PixetSaveResourceToFileW(PixetObject* object, const wchar_t* name, const wchar_t* file,
                                          const wchar_t* module) {
  return GuardedCall(object, 0, [&](Pixet& p) { return p.SaveResourceToFileW(name, file, module); });
}

int PIXET_C_CALL PixetDrawImageW(PixetObject* object, PixetHostWindow* window, const wchar_t* image, short control,
                                 int wholeWindow, int unused) {
  return GuardedCall(object, 0, [&](Pixet& p) { return p.DrawImageW(window, image, control, wholeWindow, unused); });
}

int PIXET_C_CALL PixetDisplayImageW(PixetObject* object, PixetHostWindow* window, const wchar_t* image, short control,
                                    int wholeWindow, int workspaceColours) {
  return GuardedCall(object, 0,
                     [&](Pixet& p) { return p.DisplayImageW(window, image, control, wholeWindow, workspaceColours); });
}

int PIXET_C_CALL PixetDisplayImageAsBackgroundW(PixetObject* object, PixetHostWindow* window, const wchar_t* image,
                                                int unused) {
  return GuardedCall(object, 0, [&](Pixet& p) { return p.DisplayImageAsBackgroundW(window, image, unused); });
}

int PIXET_C_CALL PixetCopyToClipboardW(PixetObject* object, const wchar_t* file) {
  return GuardedCall(object, 0, [&](Pixet& p) { return p.CopyToClipboardW(file); });
}

int PIXET_C_CALL PixetLoadImageW(PixetObject* object, PixetHostWindow* window, const wchar_t* source, short control) {
  return GuardedCall(object, 0, [&](Pixet& p) { return p.LoadImageW(window, source, control); });
}

int PIXET_C_CALL PixetLoadReportImageW(PixetObject* object, PixetHostReport* report, const wchar_t* source,
                                       short control) {
  return GuardedCall(object, 0, [&](Pixet& p) { return p.LoadImageW(report, source, control); });
}

int PIXET_C_CALL PixetCaptureScreen(PixetObject* object, int monitor, const char* file) {
  return GuardedCall(object, 0, [&](Pixet& p) { return p.CaptureScreen(monitor, file); });
}

int PIXET_C_CALL PixetCaptureScreenW(PixetObject* object, int monitor, const wchar_t* file) {
  return GuardedCall(object, 0, [&](Pixet& p) { return p.CaptureScreenW(monitor, file); });
}

int PIXET_C_CALL PixetCopyToClipboardWithAlpha(PixetObject* object, const char* file) {
  return GuardedCall(object, 0, [&](Pixet& p) { return p.CopyToClipboardWithAlpha(file); });
}

int PIXET_C_CALL PixetCopyToClipboardWithAlphaW(PixetObject* object, const wchar_t* file) {
  return GuardedCall(object, 0, [&](Pixet& p) { return p.CopyToClipboardWithAlphaW(file); });
}

int PIXET_C_CALL PixetPasteFromClipboard(PixetObject* object, const char* target) {
  return GuardedCall(object, 0, [&](Pixet& p) { return p.PasteFromClipboard(target); });
}

int PIXET_C_CALL PixetPasteFromClipboardW(PixetObject* object, const wchar_t* target) {
  return GuardedCall(object, 0, [&](Pixet& p) { return p.PasteFromClipboardW(target); });
}

int PIXET_C_CALL PixetLoadImageFromWebW(PixetObject* object, PixetHostWindow* window, const wchar_t* address,
                                        short control) {
  return GuardedCall(object, 0, [&](Pixet& p) { return p.LoadImageFromWebW(window, address, control); });
}

}  // extern "C"
