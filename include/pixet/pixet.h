// Pixet: image conversion, display, loading, clipboard, resources and capture for
// Windows desktop hosts, on top of the GDI+ engine loaded at run time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <utility>

#include "pixet/dll_loader.h"
#include "pixet/export.h"
#include "pixet/host.h"

struct _GUID;
struct HWND__;

namespace pixet {

// The host program's image resources (type "#0"), in the order the system lists them.
struct UsedResource {
  char RESOURCENAME[256];  // empty for a resource known only by number
};

class PIXET_API UsedResourceList {
 public:
  UsedResourceList();
  ~UsedResourceList();
  UsedResourceList(const UsedResourceList&) = delete;
  UsedResourceList& operator=(const UsedResourceList&) = delete;

  std::size_t Count() const;
  const UsedResource* At(std::size_t index) const;  // null past the end
  void Append(const char* name);
  void Clear();

 private:
  struct Items;
  std::unique_ptr<Items> items_;  // null when memory ran out at construction
};

}  // namespace pixet

// <windows.h> maps LoadImage to LoadImageA; keep the method's own name here and
// give callers that see the macro a forwarder under the mapped names.
#pragma push_macro("LoadImage")
#undef LoadImage

class PIXET_API Pixet {
 public:
  // Creates a T (Pixet or a class derived from it) and binds it to the engine.
  // Binding runs after the constructors, so a derived GetFunctionPointers is used.
  // Always make objects here: a derived object made with `new Derived` (or on the
  // stack) is never bound, so its ENGINELOADED stays 0 and every method that needs the
  // engine returns 0 and does nothing, without a message. Such an object can still be
  // bound by calling Construct() on it once it is fully constructed.
  template <class T = Pixet, class... Args>
  static std::unique_ptr<T> Create(Args&&... args) {
    std::unique_ptr<T> object(new T(std::forward<Args>(args)...));
    object->Construct();
    return object;
  }

  // Binds the engine: loads "GDIPLUS.DLL", fills the function table through the method
  // table and lists the program's image resources. Does nothing when already bound.
  void Construct();
  // Unloads the engine library and frees the resource list. Also run by the destructor.
  void Destruct();

  // Slots 0 to 18, in this order.
  virtual void CaptureDesktopToBmp(const char* file);
  virtual void CaptureClientToBmp(const char* file);
  virtual void CaptureClientRectToBmp(const char* file, std::int32_t x, std::int32_t y, std::int32_t width,
                                      std::int32_t height);
  virtual void CaptureWindowToBmp(const char* file);
  virtual std::int32_t ConvertImage(const char* source, const char* target);
  virtual std::int32_t ConvertToGrayscaleImage(const char* source, const char* target);
  virtual std::int32_t CopyToClipboard(const char* file);
  virtual std::int32_t CreatePictureBox(PixetHostWindow* window, std::int16_t control, std::int32_t wholeWindow);
  virtual std::int32_t DrawImage(PixetHostWindow* window, const char* image, std::int16_t control,
                                 std::int32_t wholeWindow, std::int32_t unused);
  virtual std::int32_t LoadImage(PixetHostWindow* window, const char* source, std::int16_t control);
  virtual std::int32_t LoadImageFromClipboard(PixetHostWindow* window, std::int16_t control);
  virtual std::int32_t LoadImage(PixetHostReport* report, const char* source, std::int16_t control);
  virtual std::int32_t DisplayImage(PixetHostWindow* window, const char* image, std::int16_t control,
                                    std::int32_t wholeWindow, std::int32_t workspaceColours);
  virtual std::int32_t DisplayImageAsBackground(PixetHostWindow* window, const char* image, std::int32_t unused);
  virtual void GetEncoderClsid(const char* mimeType, _GUID* clsid);
  virtual std::int32_t GetFunctionPointers();
  virtual void ResizeImage();
  // An engine image (GpImage*) that the caller disposes, or 0. Module omitted (null):
  // the host program; given: the library of that name.
  virtual std::intptr_t ImageHandleFromResource(const char* name, const char* module = nullptr);
  virtual std::int32_t SaveResourceToFile(const char* name, const char* file, const char* module = nullptr);

  // Not a slot: only for deleting a derived object through a Pixet pointer.
  virtual ~Pixet();

  // ---- Images from the web: after the slots and the destructor's entries ----

  // Loads the image at `address` into image control `control` of `window`, as the window
  // overload of LoadImage loads an http address, with the same results (1 loaded; 0 when
  // the download failed or ENGINELOADED is 0; otherwise the error number of opening the
  // converted file, 2 when the body was no image) and these differences:
  // - "http://" and "https://" addresses, in any letter case (trailing blanks removed);
  //   any other text shows "Not a web address: give an http:// or https:// address!".
  //   ENGINELOADED 0 returns 0 before anything is fetched.
  // - The system checks certificates, and nothing asks it to ignore an error: a refused
  //   certificate (unknown authority, another name, expired, revoked) shows "The web
  //   server's certificate was not accepted!".
  // - At most 5 redirects (301, 302, 303, 307, 308) are followed: "Too many redirects
  //   (more than 5)!"; one from https to http: "A redirect from https to http was refused!".
  // - An answer outside 200 to 299 shows "The web server answered with status N!".
  // - Connecting (the secure handshake included), waiting for the answer and each read
  //   have WebTimeout(): "The web server did not answer in time!". A body over
  //   WebSizeLimit() (announced or received): "The image is larger than the size limit!";
  //   a body shorter than announced, or a read that fails: "The download was cut off
  //   before its end!". A refused connection shows LoadImage's "An error occurred calling
  //   InternetOpenUrl function!".
  // - The body goes to a file of its own in the temporary folder ("pxw*.tmp", a unique
  //   name) that is deleted when the call ends, whatever happened: no partial file stays.
  //   Nothing is stored under the address's last segment.
  // - The transfer runs without the process-wide working-files lock: a slow server delays
  //   only the calling thread. The lock is taken only for the conversion.
  // Every failure of the download returns 0 after its message box.
  virtual std::int32_t LoadImageFromWeb(PixetHostWindow* window, const char* address, std::int16_t control);

  // UTF-16 forms. A name given as UTF-16 stays UTF-16 to the engine and the file system,
  // so any name a file can have is taken; results, messages and files are those of the
  // ANSI form for the same name (whose text is turned into UTF-16 once, from the system
  // code page, and then shares this code).
  virtual std::int32_t ConvertImageW(const wchar_t* source, const wchar_t* target);
  virtual std::int32_t ConvertToGrayscaleImageW(const wchar_t* source, const wchar_t* target);
  virtual void CaptureDesktopToBmpW(const wchar_t* file);
  virtual void CaptureClientToBmpW(const wchar_t* file);
  virtual void CaptureClientRectToBmpW(const wchar_t* file, std::int32_t x, std::int32_t y, std::int32_t width,
                                       std::int32_t height);
  virtual void CaptureWindowToBmpW(const wchar_t* file);
  virtual std::intptr_t ImageHandleFromResourceW(const wchar_t* name, const wchar_t* module = nullptr);
  virtual std::int32_t SaveResourceToFileW(const wchar_t* name, const wchar_t* file, const wchar_t* module = nullptr);
  virtual std::int32_t DrawImageW(PixetHostWindow* window, const wchar_t* image, std::int16_t control,
                                  std::int32_t wholeWindow, std::int32_t unused);
  virtual std::int32_t DisplayImageW(PixetHostWindow* window, const wchar_t* image, std::int16_t control,
                                     std::int32_t wholeWindow, std::int32_t workspaceColours);
  virtual std::int32_t DisplayImageAsBackgroundW(PixetHostWindow* window, const wchar_t* image, std::int32_t unused);
  virtual std::int32_t CopyToClipboardW(const wchar_t* file);
  // The loads convert through ConvertImageW (the ANSI forms through ConvertImage), and an
  // address's last segment names the stored download in UTF-16. Characters outside ASCII
  // in an address are sent as UTF-8, percent-encoded. The ANSI loads name their working
  // file to ConvertImage in ANSI text: the temporary folder's own name, or its short (8.3)
  // name when the code page lacks some of its characters.
  virtual std::int32_t LoadImageW(PixetHostWindow* window, const wchar_t* source, std::int16_t control);
  virtual std::int32_t LoadImageW(PixetHostReport* report, const wchar_t* source, std::int16_t control);
  virtual std::int32_t LoadImageFromWebW(PixetHostWindow* window, const wchar_t* address, std::int16_t control);

  // Captures monitor `monitor` to `file`, in the format of its extension (.BMP as the
  // captures write theirs; .PNG .JPG .JPEG .TIF .TIFF .GIF through the engine; another
  // shows "Invalid Format!"). Monitor 0 is the whole virtual screen, from its own left and
  // top (negative when a monitor lies left of or above the primary one); 1..N are the
  // monitors in the system's order. While it captures, the calling thread is aware of
  // per-monitor DPI where the system offers that (Windows 10 1607 and later), so the file
  // holds physical pixels; its previous awareness is restored on every path. 1 when the
  // file was written; 0 for a monitor that does not exist, a name longer than 255
  // characters, or a file that could not be written (an existing one is then left as it
  // was for BMP).
  virtual std::int32_t CaptureScreen(std::int32_t monitor, const char* file);
  virtual std::int32_t CaptureScreenW(std::int32_t monitor, const wchar_t* file);

  // Puts the image of `file` on the clipboard in the forms that keep transparency: the
  // registered "PNG" format, CF_DIBV5 with straight alpha (32-bit, bottom-up, alpha mask
  // 0xFF000000), and CF_BITMAP (the picture over white) for older programs, in one opening
  // of the clipboard. The owner, the emptying, the results and the messages are those of
  // CopyToClipboard: "There was an error while loading the bitmap" when the file gives no
  // image, "There was an error while pasting the bitmap to the clipboard!" when the
  // clipboard cannot be filled.
  virtual std::int32_t CopyToClipboardWithAlpha(const char* file);
  virtual std::int32_t CopyToClipboardWithAlphaW(const wchar_t* file);
  // Writes the clipboard's image to `target` in the format of its extension (as
  // ConvertImage chooses it; another shows "Invalid Format!"), preferring its "PNG", then
  // CF_DIBV5 (alpha kept where its alpha mask, or without one its pixels, carry it), then
  // CF_DIB or CF_BITMAP. Alpha is kept where the format holds it (PNG, TIFF, 32-bit BMP; a
  // GIF keeps fully transparent pixels). 1 when written; 0, writing nothing, when the
  // clipboard holds no image.
  virtual std::int32_t PasteFromClipboard(const char* target);
  virtual std::int32_t PasteFromClipboardW(const wchar_t* target);

  // The limits of LoadImageFromWeb, per object; they are not fields of the object (its
  // layout is fixed) but kept beside it, and Destruct (or deleting it) forgets them. A
  // value of 0 or less restores the default. Safe to call from any thread.
  static constexpr std::int32_t kDefaultWebTimeoutMs = 30000;          // 30 s
  static constexpr std::uint32_t kDefaultWebSizeLimit = 256u << 20;  // 256 MiB
  void SetWebTimeout(std::int32_t milliseconds);
  std::int32_t WebTimeout() const;
  void SetWebSizeLimit(std::uint32_t bytes);
  std::uint32_t WebSizeLimit() const;

  // For callers that see <windows.h>'s LoadImage macro.
  std::int32_t LoadImageA(PixetHostWindow* w, const char* s, std::int16_t c) { return LoadImage(w, s, c); }
  std::int32_t LoadImageA(PixetHostReport* r, const char* s, std::int16_t c) { return LoadImage(r, s, c); }
  // With UNICODE defined the macro names LoadImageW; ANSI text still reaches LoadImage.
  std::int32_t LoadImageW(PixetHostWindow* w, const char* s, std::int16_t c) { return LoadImage(w, s, c); }
  std::int32_t LoadImageW(PixetHostReport* r, const char* s, std::int16_t c) { return LoadImage(r, s, c); }

  Pixet(const Pixet&) = delete;
  Pixet& operator=(const Pixet&) = delete;

  // Raw pointers and handles, as the layout has them.
  std::int32_t ENGINELOADED = 0;
  HWND__* HPICTUREBOX = nullptr;  // the last picture control made; its parent window owns it
  std::int32_t USERESOURCE = 0;
  pixet::DllLoader* GDI = nullptr;  // owned: replaced and deleted only by Construct and Destruct
  pixet::UsedResourceList* USEDRESOURCES = nullptr;  // owned, as GDI
  char RESOURCESDLLNAME[128];

 protected:
  Pixet();  // use Create, which also runs Construct
};

#pragma pop_macro("LoadImage")
