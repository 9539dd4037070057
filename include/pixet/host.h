// What Pixet needs from the application that hosts it: properties of its windows,
// reports and numbered controls, control redraws and modal message boxes.
//
// Windows and reports are opaque: the host defines `struct PixetHostWindow` and
// `struct PixetHostReport` (or just casts its own objects to these pointers). Pixet
// never looks inside them; it hands them back to the host.
#pragma once

#include <cstddef>
#include <cstdint>

#include "pixet/export.h"

struct PixetHostWindow;
struct PixetHostReport;

namespace pixet {

// Property identifiers understood by the host.
enum class HostProperty : std::int32_t {
  ControlText = 0x7C00,       // text of a control; for an image control, the image file it shows
  Left = 0x7C02,              // position of a control in its window's client area
  Top = 0x7C03,
  Width = 0x7C04,             // size of a control, or of the window (field 0)
  Height = 0x7C05,
  PixelUnits = 0x7C1E,        // 1: positions and sizes read afterwards are pixels; 0: host units
  ImageFileBytes = 0x7C94,    // image of an image control, as the bytes of an image file
  WindowHandle = 0x7C96,      // HWND of a control, or of the window itself
  ClientAreaHandle = 0x7CAB,  // HWND of the window's client area (parent of its controls)
  ImageMemoryBlock = 0x7CB6,  // image of an image control, as an HGLOBAL holding an image file
  InstanceHandle = 0x7CBE,    // the application's HINSTANCE (system object)
};

// Whose property is meant. A field number of 0 means the window or report itself.
struct HostTarget {
  enum class Kind : std::int32_t {
    System,         // the host's application-wide object
    Window,         // `window`, or one of its controls
    Report,         // `report`, or one of its controls
    CurrentWindow,  // the calling thread's current target window, or one of its controls
  };
  Kind kind;
  PixetHostWindow* window;
  PixetHostReport* report;
  std::int16_t field;

  static HostTarget System() { return {Kind::System, nullptr, nullptr, 0}; }
  static HostTarget Of(PixetHostWindow* w, std::int16_t field = 0) { return {Kind::Window, w, nullptr, field}; }
  static HostTarget Of(PixetHostReport* r, std::int16_t field = 0) { return {Kind::Report, nullptr, r, field}; }
  static HostTarget Current(std::int16_t field = 0) { return {Kind::CurrentWindow, nullptr, nullptr, field}; }
};

enum class MessageIcon : std::int32_t { None = 0, Information = 0x40 /* MB_ICONINFORMATION */ };

// The host runtime. Pixet calls it on the thread that called the Pixet method.
// Implementations must not throw.
class HostRuntime {
 public:
  // Reads a property as a number; handles come back as their integer value.
  // Unknown targets or properties read as 0.
  virtual std::intptr_t ReadProperty(const HostTarget& target, HostProperty id) = 0;
  virtual void WriteProperty(const HostTarget& target, HostProperty id, std::intptr_t value) = 0;
  virtual void WritePropertyText(const HostTarget& target, HostProperty id, const char* text) = 0;
  // The host copies the bytes before it returns.
  virtual void WritePropertyBytes(const HostTarget& target, HostProperty id, const void* bytes,
                                  std::size_t size) = 0;
  // Redraws one control, or every control of the current target window when
  // `target.field` is 0.
  virtual void Redraw(const HostTarget& target) = 0;
  // Modal box with one OK button. A '|' in `text` starts a new line. `caption` may be null.
  virtual void ShowMessage(const char* text, const char* caption, MessageIcon icon) = 0;

 protected:
  ~HostRuntime() = default;
};

}  // namespace pixet

// Registers the host for the whole process (null unregisters it). Without a host,
// property reads give 0, writes are dropped and messages go to a plain MessageBoxA.
// Module and thread start-up and clean-up are the DLL's own entry point's work.
extern "C" PIXET_API void PixetRegisterHost(pixet::HostRuntime* host);
extern "C" PIXET_API pixet::HostRuntime* PixetRegisteredHost();
