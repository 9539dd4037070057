#include "capture/bmp_capture.h"

#include <atomic>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <string>

#include "base/file_names.h"
#include "base/temp_directory.h"
#include "base/unique_any.h"
#include "base/whole_file.h"
#include "core/host_access.h"
#include "core/text.h"

namespace pixet {

namespace {

// A logical palette with room for every entry of a 256-colour device.
struct Palette256 {
  WORD version;
  WORD count;
  PALETTEENTRY entries[256];
};
static_assert(sizeof(Palette256) == 1028, "palette record");

// The information header followed by the full colour table, written to every file as is.
struct BitmapInfo256 {
  BITMAPINFOHEADER header;
  RGBQUAD colors[256];
};
static_assert(sizeof(BitmapInfo256) == 1064, "bitmap-information record");
static_assert(sizeof(BITMAPFILEHEADER) == 14, "file header");
static_assert(sizeof(BITMAPFILEHEADER) + sizeof(BitmapInfo256) == kBmpPixelOffset, "pixel rows follow the table");

constexpr std::size_t kMaxFileName = 255;
constexpr std::uint64_t kMaxPixelBytes = 0xFFFFFFFFull - kBmpPixelOffset;  // BFSIZE is 32 bits

// A unique "Bcr" file in the temporary folder, renamed from ".tmp" to ".bmp", by its ANSI
// name (the field is ANSI text); empty when no such name can be kept, and then the
// reserved file is removed again.
std::string ReserveBmpName() {
  const std::wstring folder = TempDirectoryW(254);  // room left for the name
  if (folder.empty()) return {};
  wchar_t reserved[MAX_PATH] = {};
  if (::GetTempFileNameW(folder.c_str(), L"Bcr", 0, reserved) == 0) return {};
  auto_delete_wide_file kept(std::wstring(reserved, std::wcslen(reserved) - 4) + L".bmp");  // without ".tmp"
  if (!::MoveFileW(reserved, kept.get().c_str())) {
    ::DeleteFileW(reserved);
    return {};
  }
  const std::string name = AnsiNameOf(kept.get());
  // A name cut to fit GRADIENTFILE would no longer end in ".bmp".
  if (name.empty() || name.size() >= sizeof BmpCapture::GRADIENTFILE) return {};
  kept.release();
  return name;
}

// The part of the source DC to copy: its origin there and its size.
struct SourceArea {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
};

SourceArea AreaOf(HWND window, CaptureMode mode, std::int32_t x, std::int32_t y, std::int32_t width,
                  std::int32_t height) {
  SourceArea area;
  RECT rect{};
  switch (mode) {
    case CaptureClientArea:
      ::GetClientRect(window, &rect);
      area.width = rect.right;
      area.height = rect.bottom;
      break;
    case CaptureWholeWindow:
      ::GetWindowRect(window, &rect);
      area.width = rect.right - rect.left;
      if ((area.width % 4 + 4) % 4 == 3) ++area.width;  // 4k + 3 is saved as 4k + 4
      area.height = rect.bottom - rect.top;
      break;
    case CaptureRectangle:
      area = {x, y, width, height};
      break;
  }
  return area;
}

// Realises the system palette of a 256-colour palette device in `memory`; does nothing
// on other devices.
void RealizeSystemPalette(HDC source, HDC memory, unique_hpalette& palette, unique_palette_selection& selection) {
  if ((::GetDeviceCaps(source, RASTERCAPS) & RC_PALETTE) == 0 || ::GetDeviceCaps(source, SIZEPALETTE) != 256) return;
  Palette256 record{};
  record.version = 0x300;
  record.count = 256;
  ::GetSystemPaletteEntries(source, 0, 256, record.entries);
  palette.reset(::CreatePalette(reinterpret_cast<const LOGPALETTE*>(&record)));
  if (!palette) return;
  selection = AcquirePaletteSelection(memory, palette.get());
  if (selection) ::RealizePalette(memory);
}

// The folder that holds `name` as written ("." for a bare name), where the file is made
// before it takes the name's place.
std::wstring FolderOf(const std::wstring& name) {
  const std::size_t end = name.find_last_of(L"\\/:");
  if (end == std::wstring::npos) return L".";
  return name[end] == L':' ? name.substr(0, end + 1) + L"." : name.substr(0, end + 1);
}

// A new empty file of this call's own beside `name` ("Bcr<n>.tmp" in its folder, the first
// n free), open for writing and owned by `written`; empty when none can be made.
unique_file CreateFileBeside(const std::wstring& name, auto_delete_wide_file& written) {
  static std::atomic<unsigned> next{::GetTickCount()};
  std::wstring folder = FolderOf(name);
  if (folder.back() != L'\\' && folder.back() != L'/') folder += L'\\';
  for (int tries = 0; tries < 64; ++tries) {
    wchar_t leaf[16];
    std::swprintf(leaf, 16, L"Bcr%04X.tmp", next++ & 0xFFFFu);
    const std::wstring path = folder + leaf;
    unique_file out(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (out) {
      written.reset(path);
      return out;
    }
    if (::GetLastError() != ERROR_FILE_EXISTS) break;
  }
  return {};
}

// Writes the file whole and keeps it only then: a new `name` directly, an existing one by
// way of a new temporary file beside it that takes its place when complete. A write that
// fails (a full disk, say) leaves an existing file as it was and no other file behind.
bool WriteBmpFile(const std::wstring& name, const BITMAPFILEHEADER& file, const BitmapInfo256& info,
                  const void* pixels, std::uint32_t pixel_bytes) {
  auto_delete_wide_file written;
  unique_file out(::CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (out)
    written.reset(name);
  else if (::GetLastError() == ERROR_FILE_EXISTS)
    out = CreateFileBeside(name, written);
  if (!out || !WriteAll(out.get(), &file, sizeof file) || !WriteAll(out.get(), &info, sizeof info) ||
      !WriteAll(out.get(), pixels, pixel_bytes) || !CloseWritten(out))
    return false;
  if (written.get() != name && !::MoveFileExW(written.get().c_str(), name.c_str(), MOVEFILE_REPLACE_EXISTING))
    return false;
  written.release();  // committed
  return true;
}

// Copies `area` of `source_dc` into a bitmap of the device's format and hands its pixels
// to `use(info, pixels, pixel_bytes)` as a bottom-up DIB with a full colour table (the
// system palette's on a palette device); false when no bitmap could be captured, else
// what `use` returns.
template <class Use>
bool CaptureArea(HDC source_dc, const SourceArea& area, Use use) {
  // Released in the reverse order of declaration: memory block, palette, memory DC, and
  // the captured bitmap last.
  unique_hbitmap captured;
  const unique_hdc memory(::CreateCompatibleDC(source_dc));
  if (!memory) return false;
  captured.reset(::CreateCompatibleBitmap(source_dc, area.width, area.height));
  if (!captured) return false;
  unique_selection selected_bitmap = AcquireSelection(memory.get(), captured.get());
  unique_hpalette palette;
  unique_palette_selection selected_palette;
  RealizeSystemPalette(source_dc, memory.get(), palette, selected_palette);

  ::BitBlt(memory.get(), 0, 0, area.width, area.height, source_dc, area.x, area.y, SRCCOPY);
  selected_bitmap.reset();  // the captured bitmap comes out of the memory DC

  BitmapInfo256 info{};
  info.header.biSize = sizeof info.header;
  const UINT lines = static_cast<UINT>(area.height);
  if (::GetDIBits(memory.get(), captured.get(), 0, lines, nullptr, reinterpret_cast<BITMAPINFO*>(&info),
                  DIB_RGB_COLORS) == 0)
    return false;
  const std::int64_t row_bits = static_cast<std::int64_t>(info.header.biWidth) * info.header.biBitCount;
  const std::uint64_t stride = static_cast<std::uint64_t>((row_bits + 31) / 32) * 4;
  const std::int64_t rows = info.header.biHeight < 0 ? -std::int64_t{info.header.biHeight} : info.header.biHeight;
  const std::uint64_t pixel_bytes = stride * static_cast<std::uint64_t>(rows);
  if (row_bits <= 0 || pixel_bytes == 0 || pixel_bytes > kMaxPixelBytes) return false;

  const unique_hglobal block(::GlobalAlloc(GMEM_MOVEABLE, static_cast<SIZE_T>(pixel_bytes)));
  if (!block) return false;
  const unique_hglobal_locked pixels(block.get());
  if (!pixels) return false;
  if (::GetDIBits(memory.get(), captured.get(), 0, lines, pixels.get(), reinterpret_cast<BITMAPINFO*>(&info),
                  DIB_RGB_COLORS) == 0)
    return false;
  return use(info, pixels.get(), static_cast<std::uint32_t>(pixel_bytes));
}

// Writes a captured DIB as the captures' BMP file.
bool WriteCapture(const std::wstring& name, const BitmapInfo256& info, const void* pixels, std::uint32_t pixel_bytes) {
  BITMAPFILEHEADER header{};
  header.bfType = 0x4D42;  // "BM"
  header.bfSize = pixel_bytes + kBmpPixelOffset;
  header.bfOffBits = kBmpPixelOffset;
  return WriteBmpFile(name, header, info, pixels, pixel_bytes);
}

HWND CurrentWindowHandle(HostProperty id) {
  return reinterpret_cast<HWND>(host::Read(HostTarget::Current(), id));
}

}  // namespace

// Deliberately reserved when the object is made (at load), before any capture asks for it.
BmpCapture::BmpCapture() { text::CopyToField(GRADIENTFILE, sizeof GRADIENTFILE, ReserveBmpName()); }

BmpCapture::~BmpCapture() {
  if (GRADIENTFILE[0] != '\0') ::DeleteFileA(GRADIENTFILE);
}

void BmpCapture::CaptureToBmp(HWND window, CaptureMode mode, std::int32_t x, std::int32_t y, std::int32_t width,
                              std::int32_t height, const char* file) {
  if (text::Clip(file).size() > kMaxFileName) return;  // in bytes, as the name was given
  CaptureToFile(window, mode, x, y, width, height, text::WideFromAnsi(file));
}

void BmpCapture::CaptureToFile(HWND window, CaptureMode mode, std::int32_t x, std::int32_t y, std::int32_t width,
                               std::int32_t height, const std::wstring& name) {
  // A longer name is refused, not cut: the cut name could be another file's.
  if (name.empty() || name.size() > kMaxFileName) return;
  // No window or no area: there is no bitmap, and an existing file must not be replaced
  // by an empty one.
  if (window == nullptr) return;
  const SourceArea area = AreaOf(window, mode, x, y, width, height);
  if (area.width <= 0 || area.height <= 0) return;

  const unique_window_dc source = mode == CaptureWholeWindow ? AcquireWindowDC(window) : AcquireDC(window);
  if (!source) return;
  CaptureArea(source.get().dc, area, [&](const BitmapInfo256& info, const void* pixels, std::uint32_t pixel_bytes) {
    return WriteCapture(name, info, pixels, pixel_bytes);
  });
}

bool BmpCapture::CaptureScreenArea(const RECT& area, const std::wstring& name, const ScreenPixelsUse& use) {
  const SourceArea source_area{area.left, area.top, area.right - area.left, area.bottom - area.top};
  if (source_area.width <= 0 || source_area.height <= 0) return false;
  const unique_window_dc screen = AcquireDC(nullptr);  // the whole virtual screen, from the primary's origin
  if (!screen) return false;
  return CaptureArea(screen.get().dc, source_area,
                     [&](const BitmapInfo256& info, const void* pixels, std::uint32_t pixel_bytes) {
                       return use ? use(reinterpret_cast<const BITMAPINFO*>(&info), pixels)
                                  : WriteCapture(name, info, pixels, pixel_bytes);
                     });
}

void BmpCapture::CaptureDesktopToBmp(const char* file) {
  CaptureToBmp(::GetDesktopWindow(), CaptureWholeWindow, 0, 0, 0, 0, file);
}

void BmpCapture::CaptureClientToBmp(const char* file) {
  CaptureToBmp(CurrentWindowHandle(HostProperty::ClientAreaHandle), CaptureClientArea, 0, 0, 0, 0, file);
}

void BmpCapture::CaptureClientRectToBmp(const char* file, std::int32_t x, std::int32_t y, std::int32_t width,
                                        std::int32_t height) {
  CaptureToBmp(CurrentWindowHandle(HostProperty::ClientAreaHandle), CaptureRectangle, x, y, width, height, file);
}

void BmpCapture::CaptureWindowToBmp(const char* file) {
  CaptureToBmp(CurrentWindowHandle(HostProperty::WindowHandle), CaptureWholeWindow, 0, 0, 0, 0, file);
}

void BmpCapture::CaptureDesktopToBmpW(const wchar_t* file) {
  CaptureToFile(::GetDesktopWindow(), CaptureWholeWindow, 0, 0, 0, 0, text::Clip(file));
}

void BmpCapture::CaptureClientToBmpW(const wchar_t* file) {
  CaptureToFile(CurrentWindowHandle(HostProperty::ClientAreaHandle), CaptureClientArea, 0, 0, 0, 0, text::Clip(file));
}

void BmpCapture::CaptureClientRectToBmpW(const wchar_t* file, std::int32_t x, std::int32_t y, std::int32_t width,
                                         std::int32_t height) {
  CaptureToFile(CurrentWindowHandle(HostProperty::ClientAreaHandle), CaptureRectangle, x, y, width, height,
                text::Clip(file));
}

void BmpCapture::CaptureWindowToBmpW(const wchar_t* file) {
  CaptureToFile(CurrentWindowHandle(HostProperty::WindowHandle), CaptureWholeWindow, 0, 0, 0, 0, text::Clip(file));
}

}  // namespace pixet
