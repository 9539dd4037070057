#include "floors.h"

#include <wininet.h>

#include <cstdlib>
#include <cstring>
#include <cwchar>

namespace bench {
namespace {

using namespace Gdiplus::DllExports;

CLSID EncoderFor(const wchar_t* mime) {
  UINT count = 0;
  UINT size = 0;
  GdipGetImageEncodersSize(&count, &size);
  std::vector<unsigned char> block(size);
  auto* codecs = reinterpret_cast<Gdiplus::ImageCodecInfo*>(block.data());
  if (size == 0 || GdipGetImageEncoders(count, size, codecs) != Gdiplus::Ok) return CLSID{};
  for (UINT i = 0; i < count; ++i)
    if (std::wcscmp(codecs[i].MimeType, mime) == 0) return codecs[i].Clsid;
  return CLSID{};
}

// A system colour, opaque, as the engine takes it.
Gdiplus::ARGB Opaque(int index) {
  const COLORREF c = ::GetSysColor(index);
  return 0xFF000000u | (static_cast<Gdiplus::ARGB>(GetRValue(c)) << 16) |
         (static_cast<Gdiplus::ARGB>(GetGValue(c)) << 8) | GetBValue(c);
}

}  // namespace

Encoders::Encoders()
    : bmp(EncoderFor(L"image/bmp")), jpeg(EncoderFor(L"image/jpeg")), png(EncoderFor(L"image/png")),
      tiff(EncoderFor(L"image/tiff")), gif(EncoderFor(L"image/gif")) {}

const CLSID& Encoders::For(const std::string& extension) const {
  return extension == "png" ? png : extension == "jpg" ? jpeg : extension == "tif" ? tiff : extension == "gif" ? gif : bmp;
}

bool FloorConvert(const std::wstring& source, const std::wstring& target, const CLSID& encoder) {
  Gdiplus::GpImage* image = nullptr;
  if (GdipLoadImageFromFile(source.c_str(), &image) != Gdiplus::Ok) return false;
  const bool saved = GdipSaveImageToFile(image, target.c_str(), &encoder, nullptr) == Gdiplus::Ok;
  GdipDisposeImage(image);
  return saved;
}

bool FloorGrayscale(const std::wstring& source, const std::wstring& target, const CLSID& encoder) {
  static const Gdiplus::ColorMatrix kMatrix = {{
      {0.35f, 0.35f, 0.35f, 0, 0},
      {0.35f, 0.35f, 0.35f, 0, 0},
      {0.35f, 0.35f, 0.35f, 0, 0},
      {0, 0, 0, 1, 0},
      {0, 0, 0, 0, 1},
  }};
  Gdiplus::GpImage* image = nullptr;
  if (GdipLoadImageFromFile(source.c_str(), &image) != Gdiplus::Ok) return false;
  UINT width = 0;
  UINT height = 0;
  GdipGetImageWidth(image, &width);
  GdipGetImageHeight(image, &height);
  Gdiplus::GpImageAttributes* attributes = nullptr;
  GdipCreateImageAttributes(&attributes);
  GdipSetImageAttributesColorMatrix(attributes, Gdiplus::ColorAdjustTypeDefault, TRUE, &kMatrix, nullptr,
                                    Gdiplus::ColorMatrixFlagsDefault);
  Gdiplus::GpGraphics* graphics = nullptr;
  GdipGetImageGraphicsContext(image, &graphics);
  Gdiplus::GpBitmap* grey = nullptr;
  GdipCreateBitmapFromGraphics(static_cast<INT>(width), static_cast<INT>(height), graphics, &grey);
  GdipDeleteGraphics(graphics);
  graphics = nullptr;
  GdipGetImageGraphicsContext(grey, &graphics);
  GdipDrawImageRectRectI(graphics, image, 0, 0, static_cast<INT>(width), static_cast<INT>(height), 0, 0,
                         static_cast<INT>(width), static_cast<INT>(height), Gdiplus::UnitPixel, attributes, nullptr,
                         nullptr);
  const bool saved = GdipSaveImageToFile(grey, target.c_str(), &encoder, nullptr) == Gdiplus::Ok;
  GdipDeleteGraphics(graphics);
  GdipDisposeImage(grey);
  GdipDisposeImage(image);
  GdipDisposeImageAttributes(attributes);
  return saved;
}

bool FloorLoad(pixet::refhost::DesktopHost& host, PixetHostWindow* window, const std::wstring& source,
               const std::string& temp, const CLSID& bmp) {
  if (!FloorConvert(source, Wide(temp), bmp)) return false;
  const bool handed = HandFileToImageControl(host, window, temp);
  ::DeleteFileA(temp.c_str());
  return handed;
}

HWND FloorDisplay(HWND parent, const std::wstring& source) {
  Gdiplus::GpImage* image = nullptr;
  GdipLoadImageFromFile(source.c_str(), &image);
  Gdiplus::PixelFormat format = 0;
  GdipGetImagePixelFormat(image, &format);
  Gdiplus::GpBitmap* target = nullptr;
  GdipCreateBitmapFromScan0(kDisplayWidth, kDisplayHeight, 0, format, nullptr, &target);
  Gdiplus::GpGraphics* graphics = nullptr;
  GdipGetImageGraphicsContext(target, &graphics);
  GdipSetInterpolationMode(graphics, Gdiplus::InterpolationModeLowQuality);
  Gdiplus::REAL x_dpi = 0;
  Gdiplus::REAL y_dpi = 0;
  GdipGetImageHorizontalResolution(image, &x_dpi);
  GdipGetImageVerticalResolution(image, &y_dpi);
  GdipBitmapSetResolution(target, x_dpi, y_dpi);
  GdipGraphicsClear(graphics, Opaque(COLOR_BTNFACE));
  GdipDrawImageRectI(graphics, image, 0, 0, kDisplayWidth, kDisplayHeight);
  HBITMAP bitmap = nullptr;
  GdipCreateHBITMAPFromBitmap(target, &bitmap, Opaque(COLOR_BTNFACE));
  const HWND picture = ::CreateWindowExA(WS_EX_TRANSPARENT, "STATIC", "", WS_CHILD | WS_VISIBLE | SS_BITMAP, 0, 0,
                                         kDisplayWidth, kDisplayHeight, parent, nullptr, ::GetModuleHandleA(nullptr),
                                         nullptr);
  ::SendMessageA(picture, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap));
  GdipDeleteGraphics(graphics);
  GdipDisposeImage(image);
  GdipDisposeImage(target);
  return picture;
}

bool ShowsBitmap(HWND picture) { return ::SendMessageA(picture, STM_GETIMAGE, IMAGE_BITMAP, 0) != 0; }

void RemovePicture(HWND& picture) {
  if (picture == nullptr || !::IsWindow(picture)) return;
  const HGDIOBJ bitmap = reinterpret_cast<HGDIOBJ>(::SendMessageA(picture, STM_GETIMAGE, IMAGE_BITMAP, 0));
  ::DestroyWindow(picture);
  if (bitmap != nullptr) ::DeleteObject(bitmap);
  picture = nullptr;
}

bool FloorSaveResource(const std::string& module, const char* name, const std::wstring& target,
                       const CLSID& encoder) {
  HMODULE library = ::LoadLibraryA(module.c_str());
  if (library == nullptr) return false;
  bool saved = false;
  if (HRSRC found = ::FindResourceA(library, name, "#0")) {
    const DWORD size = ::SizeofResource(library, found);
    const void* data = ::LockResource(::LoadResource(library, found));
    HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE, size);
    std::memcpy(::GlobalLock(block), data, size);
    ::GlobalUnlock(block);
    IStream* stream = nullptr;
    if (::CreateStreamOnHGlobal(block, TRUE, &stream) == S_OK) {  // the stream owns the block
      Gdiplus::GpBitmap* image = nullptr;
      GdipCreateBitmapFromStream(stream, &image);
      stream->Release();
      if (image != nullptr) {
        saved = GdipSaveImageToFile(image, target.c_str(), &encoder, nullptr) == Gdiplus::Ok;
        GdipDisposeImage(image);
      }
    } else {
      ::GlobalFree(block);
    }
  }
  ::FreeLibrary(library);
  return saved;
}

bool FloorCapture(HWND window, bool whole, const std::string& file, bool safely, const RECT* area) {
  RECT rect{};
  int width = 0;
  int height = 0;
  HDC source = nullptr;
  if (area != nullptr) {
    rect = *area;
    width = rect.right - rect.left;
    height = rect.bottom - rect.top;
    source = ::GetDC(window);
  } else if (whole) {
    ::GetWindowRect(window, &rect);
    width = rect.right - rect.left;
    if ((width % 4 + 4) % 4 == 3) ++width;  // as Pixet does: 4k + 3 is saved as 4k + 4
    height = rect.bottom - rect.top;
    source = ::GetWindowDC(window);
  } else {
    ::GetClientRect(window, &rect);
    width = rect.right;
    height = rect.bottom;
    source = ::GetDC(window);
  }
  HDC memory = ::CreateCompatibleDC(source);
  HBITMAP bitmap = ::CreateCompatibleBitmap(source, width, height);
  HGDIOBJ previous = ::SelectObject(memory, bitmap);
  ::BitBlt(memory, 0, 0, width, height, source, area != nullptr ? rect.left : 0, area != nullptr ? rect.top : 0,
           SRCCOPY);
  ::SelectObject(memory, previous);

  unsigned char head[kBmpPixelOffset] = {};
  auto* info = reinterpret_cast<BITMAPINFO*>(head + sizeof(BITMAPFILEHEADER));
  info->bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  bool ok = ::GetDIBits(memory, bitmap, 0, static_cast<UINT>(height), nullptr, info, DIB_RGB_COLORS) != 0;
  const DWORD stride = ((static_cast<DWORD>(info->bmiHeader.biWidth) * info->bmiHeader.biBitCount + 31) / 32) * 4;
  const DWORD pixel_bytes = stride * static_cast<DWORD>(std::abs(info->bmiHeader.biHeight));
  std::unique_ptr<unsigned char[]> pixels(new unsigned char[pixel_bytes != 0 ? pixel_bytes : 1]);
  ok = ok && ::GetDIBits(memory, bitmap, 0, static_cast<UINT>(height), pixels.get(), info, DIB_RGB_COLORS) != 0;
  BITMAPFILEHEADER header{};
  header.bfType = 0x4D42;
  header.bfSize = pixel_bytes + kBmpPixelOffset;
  header.bfOffBits = kBmpPixelOffset;
  std::memcpy(head, &header, sizeof header);
  if (ok) {
    const std::string to = safely ? file + ".tmp" : file;
    HANDLE out = ::CreateFileA(to.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    ok = out != INVALID_HANDLE_VALUE && ::WriteFile(out, head, sizeof head, &written, nullptr) &&
         ::WriteFile(out, pixels.get(), pixel_bytes, &written, nullptr);
    if (out != INVALID_HANDLE_VALUE) ::CloseHandle(out);
    if (safely) ok = ok && ::MoveFileExA(to.c_str(), file.c_str(), MOVEFILE_REPLACE_EXISTING);
  }
  ::DeleteDC(memory);
  ::ReleaseDC(window, source);
  ::DeleteObject(bitmap);
  return ok;
}

bool FloorWebLoad(pixet::refhost::DesktopHost& host, PixetHostWindow* window, const std::string& address,
                  const std::string& body, const std::string& temp, const CLSID& bmp) {
  HINTERNET session = ::InternetOpenA("floor", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
  HINTERNET url = session != nullptr ? ::InternetOpenUrlA(session, address.c_str(), nullptr, 0,
                                                          INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE, 0)
                                     : nullptr;
  HANDLE file = ::CreateFileA(body.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  bool ok = url != nullptr && file != INVALID_HANDLE_VALUE;
  char chunk[64 * 1024];
  for (DWORD got = 0; ok && ::InternetReadFile(url, chunk, sizeof chunk, &got) && got > 0;) {
    DWORD written = 0;
    ok = ::WriteFile(file, chunk, got, &written, nullptr) && written == got;
  }
  if (file != INVALID_HANDLE_VALUE) ::CloseHandle(file);
  if (url != nullptr) ::InternetCloseHandle(url);
  if (session != nullptr) ::InternetCloseHandle(session);
  ok = ok && FloorLoad(host, window, Wide(body), temp, bmp);
  ::DeleteFileA(body.c_str());
  return ok;
}

bool FloorCopy(const std::string& bmp, HWND owner) {
  HANDLE bitmap = ::LoadImageA(nullptr, bmp.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE);
  if (bitmap == nullptr) return false;
  if (!::OpenClipboard(owner)) {
    ::DeleteObject(bitmap);
    return false;
  }
  ::EmptyClipboard();
  const bool placed = ::SetClipboardData(CF_BITMAP, bitmap) != nullptr;
  ::CloseClipboard();
  if (!placed) ::DeleteObject(bitmap);
  return placed;
}

bool FloorPaste(pixet::refhost::DesktopHost& host, PixetHostWindow* window, const std::wstring& file,
                const CLSID& bmp) {
  Gdiplus::GpBitmap* bitmap = nullptr;
  if (!::OpenClipboard(nullptr)) return false;
  if (HANDLE shared = ::GetClipboardData(CF_BITMAP)) GdipCreateBitmapFromHBITMAP(static_cast<HBITMAP>(shared), nullptr, &bitmap);
  ::CloseClipboard();
  if (bitmap == nullptr) return false;
  const bool saved = GdipSaveImageToFile(bitmap, file.c_str(), &bmp, nullptr) == Gdiplus::Ok;
  GdipDisposeImage(bitmap);
  std::string name(file.begin(), file.end());
  const auto target = pixet::refhost::Target::Of(window, kImageField);
  host.WritePropertyText(target, pixet::refhost::Property::ControlText, "");
  host.WritePropertyText(target, pixet::refhost::Property::ControlText, name.c_str());
  ::DeleteFileW(file.c_str());
  host.Redraw(target);
  return saved;
}

}  // namespace bench
