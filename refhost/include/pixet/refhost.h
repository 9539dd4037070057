// The reference desktop host: a small Win32 application runtime for Pixet.
//
// DesktopHost owns real top-level windows, each with a client-area child window that
// holds numbered controls (real child windows), and off-screen reports. It answers
// Pixet's property reads and writes, redraws and message boxes.
//
// Units. Positions and sizes read or written through properties are host units unless
// the window's (or report's) pixel-units flag (PixelUnits, 0x7C1E) is 1. Host units are
// dialog units taken from GetDialogBaseUnits: x px = MulDiv(u, baseX, 4) and
// y px = MulDiv(u, baseY, 8); pixels go back with the inverse MulDiv. The C++ set-up
// functions below (OpenWindow, ResizeWindow, AddControl) always take pixels.
//
// Geometry. A control's Left/Top are its position in the client area of its window;
// Width/Height are its outer size. For the window itself (field 0), Left/Top are the
// top-level window's screen position and Width/Height its outer size (GetWindowRect).
// Reads always measure the real windows, so moves made straight through the HWND show.
//
// Properties. WindowHandle reads the real HWND (top-level window for field 0, the
// control's child window otherwise) until a value is written; then it reads that value
// (the real child stays and keeps its geometry). ClientAreaHandle reads the client-area
// window whatever the field. PixelUnits is one flag per window or report, whichever
// field names it. InstanceHandle (system object) is GetModuleHandle(nullptr).
// Image controls take ImageFileBytes (bytes copied, decoded with GDI+ loaded at run
// time, or as a plain BMP without it) and ControlText (the named file is read at once;
// a missing file empties the control). The picture is stretched over the control.
// ImageMemoryBlock reads the control's own GMEM_MOVEABLE block holding its image-file
// bytes: the host owns it, every read returns the same block until the image changes,
// and it is freed when the image changes or the control or host goes. 0 without image.
// Plain controls ignore ImageFileBytes; ControlText on field 0 sets the window title.
// Geometry writes move or resize the real windows. Other properties read 0.
//
// Wine without a window manager: closing a captioned window waits about 2 s for the
// window manager unless the prefix has HKCU\Software\Wine\X11 Driver\Managed = "N".
//
// Threads. Windows belong to the thread that opened them; open, close and pump on that
// thread. The current target window is per thread. Look-ups are guarded by a mutex.
//
// Windows and reports are handed to Pixet as PixetHostWindow* / PixetHostReport*; they
// are pointers to the host's own objects and stay valid until closed or the host goes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "pixet/host.h"

struct HWND__;

namespace pixet::refhost {

enum class ControlKind {
  Plain,  // child window painted in one colour (kPlainColour unless changed)
  Image,  // child window showing an image file's picture stretched over it
};

// COLORREF values (0x00BBGGRR).
constexpr std::uint32_t kPlainColour = 0x00604020;       // RGB(0x20, 0x40, 0x60)
constexpr std::uint32_t kImageBackground = 0x00C0C0C0;   // image control without an image
constexpr std::uint32_t kClientAreaColour = 0x00FFFFFF;  // client-area window

struct Message {
  std::string text;          // as given, '|' kept
  std::string caption;       // empty when none was given
  bool captionNull = false;  // the caption pointer was null
  MessageIcon icon = MessageIcon::None;
};

enum class MessageMode {
  Record,          // record only; never blocks (the default)
  RecordAndPrint,  // record and print "message: TEXT [CAPTION]" to stderr
  Interactive,     // real MessageBoxA ('|' becomes a line break); also recorded
};

struct PixelSize {
  int width = 0;
  int height = 0;
};

// Image-file bytes, shared and never changed in place.
using SharedBytes = std::shared_ptr<const std::vector<unsigned char>>;
SharedBytes EmptyBytes();  // one shared empty buffer

// What a control is and holds at one moment (DesktopHost::State).
struct ControlState {
  HWND__* hwnd = nullptr;  // the control's child window; null once it is destroyed
  // The image-file bytes an image control holds: last received through ImageFileBytes or
  // read from the file named through ControlText; empty if none. Shared with the control
  // (no copy), they stay as they were when its image changes later.
  SharedBytes imageBytes = EmptyBytes();
  PixelSize shownImage;      // pixel size of the decoded picture it shows; 0 x 0: none
  std::string text;          // last written through ControlText
  // Last value written to WindowHandle (0 if never). Reading WindowHandle returns it once
  // written; the real child window stays.
  std::intptr_t writtenHandle = 0;
};

class DesktopHost : public HostRuntime {
 public:
  explicit DesktopHost(MessageMode mode = MessageMode::Record);
  // Destroys every window and report and frees every image block. Run it on the thread
  // that opened the windows.
  virtual ~DesktopHost();
  DesktopHost(const DesktopHost&) = delete;
  DesktopHost& operator=(const DesktopHost&) = delete;

  // HostRuntime. Unknown targets and properties read as 0 and drop writes.
  std::intptr_t ReadProperty(const HostTarget& target, HostProperty id) override;
  void WriteProperty(const HostTarget& target, HostProperty id, std::intptr_t value) override;
  void WritePropertyText(const HostTarget& target, HostProperty id, const char* text) override;
  void WritePropertyBytes(const HostTarget& target, HostProperty id, const void* bytes, std::size_t size) override;
  // Field 0: every control of the resolved window or report (for CurrentWindow, the
  // calling thread's current window). Otherwise that one control.
  void Redraw(const HostTarget& target) override;
  void ShowMessage(const char* text, const char* caption, MessageIcon icon) override;

  // --- Windows -------------------------------------------------------------------
  // A visible top-level window whose client area is clientWidthPx x clientHeightPx.
  // Null when the window cannot be created.
  PixetHostWindow* OpenWindow(const char* title, int clientWidthPx, int clientHeightPx, int screenX = 0,
                              int screenY = 0);
  // Gives the window a new client size in pixels (its outer size follows).
  void ResizeWindow(PixetHostWindow* window, int clientWidthPx, int clientHeightPx);
  void CloseWindow(PixetHostWindow* window);
  bool IsOpen(PixetHostWindow* window) const;

  // The calling thread's current target window (HostTarget::Kind::CurrentWindow).
  static void SetCurrentWindow(PixetHostWindow* window);
  static PixetHostWindow* CurrentWindow();

  // --- Reports (hidden windows holding controls) -----------------------------------
  PixetHostReport* OpenReport(int widthPx = 800, int heightPx = 1000);
  void CloseReport(PixetHostReport* report);

  // --- Controls (field > 0, unique per window or report); geometry in pixels ---------
  bool AddControl(PixetHostWindow* window, std::int16_t field, int x, int y, int width, int height,
                  ControlKind kind);
  bool AddControl(PixetHostReport* report, std::int16_t field, int x, int y, int width, int height,
                  ControlKind kind);
  void RemoveControl(PixetHostWindow* window, std::int16_t field);
  void SetControlColour(PixetHostWindow* window, std::int16_t field, std::uint32_t colourref);
  // Whether client-area windows opened afterwards clip their children (WS_CLIPCHILDREN,
  // the default). Without it, drawing through the client area's DC lands on controls too.
  void SetClientClipsChildren(bool on) { client_clips_children_ = on; }

  // --- Inspection for tests --------------------------------------------------------
  HWND__* WindowHwnd(PixetHostWindow* window) const;  // top-level window
  HWND__* ClientHwnd(PixetHostWindow* window) const;  // client-area window
  HWND__* ReportHwnd(PixetHostReport* report) const;  // the report's (hidden) window
  bool PixelUnits(PixetHostWindow* window) const;     // the window's pixel-units flag
  // A snapshot of control `field` (> 0) of a window or report; the defaults when there
  // is no such control.
  ControlState State(PixetHostWindow* window, std::int16_t field) const;
  ControlState State(PixetHostReport* report, std::int16_t field) const;

  // Message boxes.
  void SetMessageMode(MessageMode mode);
  const std::vector<Message>& Messages() const;  // not guarded: read it on a quiet host
  void ClearMessages();

  // Processes pending window messages of the calling thread so windows paint.
  void PumpMessages();

  // Host-unit conversion used by the property interface.
  int BaseUnitX() const { return base_x_; }
  int BaseUnitY() const { return base_y_; }
  int UnitsToPixelsX(int units) const;
  int UnitsToPixelsY(int units) const;
  int PixelsToUnitsX(int pixels) const;
  int PixelsToUnitsY(int pixels) const;

  // The host's own records behind PixetHostWindow*/PixetHostReport* (internal).
  struct Surface;
  struct Control;

 private:
  Surface* Find(const void* record, bool report) const;
  Surface* Find(PixetHostWindow* window) const { return Find(window, false); }
  Surface* Find(PixetHostReport* report) const { return Find(report, true); }
  // The surface a target names and, for field > 0, its control; false when either is
  // missing.
  bool Resolve(const HostTarget& target, Surface** surface, Control** control) const;
  // Takes a surface whose frame was just made (or not): gives it its client area and
  // keeps it. Null, with the frame destroyed, on failure.
  Surface* Keep(std::unique_ptr<Surface> surface, bool clipChildren);
  void Close(Surface* surface);
  bool AddControlTo(Surface* surface, std::int16_t field, int x, int y, int width, int height, ControlKind kind);
  void SetImage(Control* control, const unsigned char* bytes, std::size_t size);

  mutable std::recursive_mutex mutex_;
  std::vector<std::unique_ptr<Surface>> surfaces_;
  std::vector<Message> messages_;
  MessageMode mode_;
  int base_x_ = 8;
  int base_y_ = 16;
  bool client_clips_children_ = true;
};

}  // namespace pixet::refhost
