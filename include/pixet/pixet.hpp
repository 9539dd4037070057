/* pixet.hpp: a header-only C++17 layer over Pixet's C functions. It uses only the C ABI,
 * so any compiler (MSVC, clang-cl, MinGW g++) can use it with pixet.lib or
 * libpixet.dll.a, where the exported class needs the compiler that built the DLL.
 * Names go through the UTF-16 forms, as std::filesystem::path or std::wstring_view;
 * results are the methods' own values. */
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <utility>

#include "pixet/pixet_c.h"

namespace pixet::flat {

// The methods' results that have names; the loads also give the system's error numbers.
constexpr int kFailed = 0;
constexpr int kDone = 1;

// A Pixet object, owned: made bound to the engine, deleted with the owner. Move-only.
class Object {
 public:
  Object() : object_(PixetNew()) {}
  ~Object() {
    if (object_ != nullptr) PixetDelete(object_);
  }
  Object(Object&& other) noexcept : object_(std::exchange(other.object_, nullptr)) {}
  Object& operator=(Object&& other) noexcept {
    if (this != &other) {
      if (object_ != nullptr) PixetDelete(object_);
      object_ = std::exchange(other.object_, nullptr);
    }
    return *this;
  }
  Object(const Object&) = delete;
  Object& operator=(const Object&) = delete;

  // False when no object could be made.
  explicit operator bool() const { return object_ != nullptr; }
  PixetObject* get() const { return object_; }
  bool EngineLoaded() const { return PixetEngineLoaded(object_) != 0; }

  int ConvertImage(const std::filesystem::path& source, const std::filesystem::path& target) {
    return PixetConvertImageW(object_, source.c_str(), target.c_str());
  }
  int ConvertToGrayscaleImage(const std::filesystem::path& source, const std::filesystem::path& target) {
    return PixetConvertToGrayscaleImageW(object_, source.c_str(), target.c_str());
  }
  int CopyToClipboard(const std::filesystem::path& file) { return PixetCopyToClipboardW(object_, file.c_str()); }
  int DrawImage(PixetHostWindow* window, const std::filesystem::path& image, short control, bool whole_window) {
    return PixetDrawImageW(object_, window, image.c_str(), control, whole_window ? 1 : 0, 0);
  }
  int DisplayImage(PixetHostWindow* window, const std::filesystem::path& image, short control, bool whole_window,
                   bool workspace_colours) {
    return PixetDisplayImageW(object_, window, image.c_str(), control, whole_window ? 1 : 0,
                              workspace_colours ? 1 : 0);
  }
  int DisplayImageAsBackground(PixetHostWindow* window, const std::filesystem::path& image) {
    return PixetDisplayImageAsBackgroundW(object_, window, image.c_str(), 0);
  }
  // An engine image of the type-0 resource `name` of `module` (empty: the host program's),
  // which the caller disposes; 0 when there is none.
  PixetIntPtr ImageHandleFromResource(std::wstring_view name, const std::filesystem::path& module = {}) {
    const std::wstring resource(name);
    return PixetImageHandleFromResourceW(object_, resource.c_str(), module.empty() ? nullptr : module.c_str());
  }
  int SaveResourceToFile(std::wstring_view name, const std::filesystem::path& file,
                         const std::filesystem::path& module = {}) {
    const std::wstring resource(name);
    return PixetSaveResourceToFileW(object_, resource.c_str(), file.c_str(), module.empty() ? nullptr : module.c_str());
  }
  void CaptureDesktopToBmp(const std::filesystem::path& file) { PixetCaptureDesktopToBmpW(object_, file.c_str()); }
  void CaptureClientToBmp(const std::filesystem::path& file) { PixetCaptureClientToBmpW(object_, file.c_str()); }
  void CaptureClientRectToBmp(const std::filesystem::path& file, int x, int y, int width, int height) {
    PixetCaptureClientRectToBmpW(object_, file.c_str(), x, y, width, height);
  }
  void CaptureWindowToBmp(const std::filesystem::path& file) { PixetCaptureWindowToBmpW(object_, file.c_str()); }
  // `source` is a file, or an "http:" address (a path holds it as given).
  int LoadImage(PixetHostWindow* window, const std::filesystem::path& source, short control) {
    return PixetLoadImageW(object_, window, source.c_str(), control);
  }
  int LoadImage(PixetHostReport* report, const std::filesystem::path& source, short control) {
    return PixetLoadReportImageW(object_, report, source.c_str(), control);
  }
  int LoadImageFromClipboard(PixetHostWindow* window, short control) {
    return PixetLoadImageFromClipboard(object_, window, control);
  }
  int LoadImageFromWeb(PixetHostWindow* window, std::wstring_view address, short control) {
    const std::wstring text(address);
    return PixetLoadImageFromWebW(object_, window, text.c_str(), control);
  }
  // Monitor 0: the whole virtual screen; 1..N: each monitor. In physical pixels.
  int CaptureScreen(int monitor, const std::filesystem::path& file) {
    return PixetCaptureScreenW(object_, monitor, file.c_str());
  }
  // "PNG", CF_DIBV5 with straight alpha, and CF_BITMAP; the paste prefers them in that order.
  int CopyToClipboardWithAlpha(const std::filesystem::path& file) {
    return PixetCopyToClipboardWithAlphaW(object_, file.c_str());
  }
  int PasteFromClipboard(const std::filesystem::path& target) { return PixetPasteFromClipboardW(object_, target.c_str()); }
  void SetWebTimeout(int milliseconds) { PixetSetWebTimeout(object_, milliseconds); }
  void SetWebSizeLimit(unsigned int bytes) { PixetSetWebSizeLimit(object_, bytes); }

 private:
  PixetObject* object_;
};

// What a host provides, as a C++ interface (see PixetHostCallbacks for each call).
class Host {
 public:
  virtual ~Host() = default;
  virtual PixetIntPtr ReadProperty(const PixetHostTarget& target, int id) = 0;
  virtual void WriteProperty(const PixetHostTarget& target, int id, PixetIntPtr value) = 0;
  virtual void WritePropertyText(const PixetHostTarget& target, int id, const char* text) = 0;
  // The bytes are valid only during the call.
  virtual void WritePropertyBytes(const PixetHostTarget& target, int id, const void* bytes, std::size_t size) = 0;
  virtual void Redraw(const PixetHostTarget& target) = 0;
  virtual void ShowMessage(const char* text, const char* caption, int icon) = 0;
};

namespace detail {
inline Host& Of(void* user) { return *static_cast<Host*>(user); }
inline PixetIntPtr PIXET_C_CALL Read(void* user, const PixetHostTarget* target, int id) {
  return Of(user).ReadProperty(*target, id);
}
inline void PIXET_C_CALL Write(void* user, const PixetHostTarget* target, int id, PixetIntPtr value) {
  Of(user).WriteProperty(*target, id, value);
}
inline void PIXET_C_CALL WriteText(void* user, const PixetHostTarget* target, int id, const char* text) {
  Of(user).WritePropertyText(*target, id, text);
}
inline void PIXET_C_CALL WriteBytes(void* user, const PixetHostTarget* target, int id, const void* bytes,
                                    std::size_t size) {
  Of(user).WritePropertyBytes(*target, id, bytes, size);
}
inline void PIXET_C_CALL Redraw(void* user, const PixetHostTarget* target) { Of(user).Redraw(*target); }
inline void PIXET_C_CALL Show(void* user, const char* text, const char* caption, int icon) {
  Of(user).ShowMessage(text, caption, icon);
}
}  // namespace detail

// Registers `host` for the whole process in place of any before it; null registers none.
// The host must outlive its registration. False when it could not be registered.
inline bool RegisterHost(Host* host) {
  if (host == nullptr) return PixetRegisterCallbackHost(nullptr) != 0;
  const PixetHostCallbacks callbacks = {host,          &detail::Read,   &detail::Write, &detail::WriteText,
                                        &detail::WriteBytes, &detail::Redraw, &detail::Show};
  return PixetRegisterCallbackHost(&callbacks) != 0;
}

}  // namespace pixet::flat
