// The reference desktop host: a small Win32 application runtime for Pixet.
//
// DesktopHost owns real top-level windows, each with a client-area child window that
// holds numbered controls (real child windows), and off-screen reports. It answers
// Pixet's property reads and writes, redraws and message boxes. It is a peer of the
// library, not a part of it: it knows the property numbers, target kinds and operations
// from the host runtime's own documentation, takes none of the library's declarations, and
// registers itself through the library's flat C callback table (Register), as a host
// written in any language would.
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


struct HWND__;
struct PixetHostWindow;
struct PixetHostReport;

namespace pixet::refhost {

// The properties a host runtime answers, by the numbers it documents.
enum class Property : std::int32_t {
  ControlText = 0x7C00,       // text of a control; an image control reads the file it names
  Left = 0x7C02,              // position of a control in its window's client area
  Top = 0x7C03,
  Width = 0x7C04,             // size of a control, or of the window (field 0)
  Height = 0x7C05,
  PixelUnits = 0x7C1E,        // 1: positions and sizes are pixels from now on; 0: host units
  ImageFileBytes = 0x7C94,    // an image control's image, as the bytes of an image file
  WindowHandle = 0x7C96,      // HWND of a control, or of the window itself
  ClientAreaHandle = 0x7CAB,  // HWND of the window's client area, the parent of its controls
  ImageMemoryBlock = 0x7CB6,  // an image control's image file, in a global memory block
  InstanceHandle = 0x7CBE,    // the application's HINSTANCE (system object)
};

// Whose property is meant; a field of 0 is the window or report itself.
struct Target {
  enum class Kind : std::int32_t { System = 0, Window = 1, Report = 2, CurrentWindow = 3 };
  Kind kind;
  PixetHostWindow* window;
  PixetHostReport* report;
  std::int16_t field;

  static Target System() { return {Kind::System, nullptr, nullptr, 0}; }
  static Target Of(PixetHostWindow* w, std::int16_t field = 0) { return {Kind::Window, w, nullptr, field}; }
  static Target Of(PixetHostReport* r, std::int16_t field = 0) { return {Kind::Report, nullptr, r, field}; }
  static Target Current(std::int16_t field = 0) { return {Kind::CurrentWindow, nullptr, nullptr, field}; }
};

enum class Icon : std::int32_t { None = 0, Information = 0x40 /* MB_ICONINFORMATION */ };

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
  Icon icon = Icon::None;
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

class DesktopHost {
 public:
  explicit DesktopHost(MessageMode mode = MessageMode::Record);
  // Destroys every window and report and frees every image block. Run it on the thread
  // that opened the windows.
  virtual ~DesktopHost();
  DesktopHost(const DesktopHost&) = delete;
  DesktopHost& operator=(const DesktopHost&) = delete;

  // Makes this the host of pixet.dll (already loaded in the process) for the whole process;
  // false when there is no such DLL or it refuses. Unregister leaves the process without a
  // host. Neither may run while a library call runs on another thread.
  bool Register();
  static void Unregister();

  // The host runtime's operations. Unknown targets and properties read as 0 and drop writes.
  virtual std::intptr_t ReadProperty(const Target& target, Property id);
  virtual void WriteProperty(const Target& target, Property id, std::intptr_t value);
  virtual void WritePropertyText(const Target& target, Property id, const char* text);
  virtual void WritePropertyBytes(const Target& target, Property id, const void* bytes, std::size_t size);
  // Field 0: every control of the resolved window or report (for CurrentWindow, the
  // calling thread's current window). Otherwise that one control.
  virtual void Redraw(const Target& target);
  virtual void ShowMessage(const char* text, const char* caption, Icon icon);

  // --- Windows -------------------------------------------------------------------
  // A visible top-level window whose client area is clientWidthPx x clientHeightPx.
  // Null when the window cannot be created.
  PixetHostWindow* OpenWindow(const char* title, int clientWidthPx, int clientHeightPx, int screenX = 0,
                              int screenY = 0);
  // Gives the window a new client size in pixels (its outer size follows).
  void ResizeWindow(PixetHostWindow* window, int clientWidthPx, int clientHeightPx);
  void CloseWindow(PixetHostWindow* window);
  bool IsOpen(PixetHostWindow* window) const;

  // The calling thread's current target window (Target::Kind::CurrentWindow).
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
  bool Resolve(const Target& target, Surface** surface, Control** control) const;
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
