// pixet_bench: what Pixet's methods cost against the same work done straight through
// the GDI+ flat API and Win32 (the floor), run interleaved in one process.
//
//   pixet_bench --data DIR [--reps N] [--small-reps N] [--only TEXT] [--no-peak] [--samples]
//   pixet_bench --data DIR --peak OP --leg pixet|floor      (one run; prints its peak)
//
// DIR holds the inputs of bench/make-inputs.sh. Each operation runs once per leg to warm
// up, then N times per leg in the order A B, B A, B A, A B, ...; the table gives the medians,
// their ratio Pixet/floor, the median of the ratios of neighbouring pairs (less moved by
// changes in the machine's load) and the spread ((max - min) / median, the worse leg).
// The floor keeps one engine session for the whole process and looks each encoder up
// once, so the per-call start-up and encoder lookup that Pixet pays show in the
// small-image rows. Peak working sets come from child processes, one run each.
//
// Exit status: 0 when every run of every leg succeeded, 1 otherwise, 2 wrong arguments.
#include <windows.h>

#include <psapi.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace Gdiplus {
using std::max;
using std::min;
}  // namespace Gdiplus
#include <gdiplus.h>

#include "pixet/pixet.h"
#include "pixet/refhost.h"

#undef LoadImage

namespace {

using namespace Gdiplus::DllExports;
using pixet::HostProperty;
using pixet::HostTarget;
using pixet::refhost::ControlKind;
using pixet::refhost::DesktopHost;

// The window the display, load and capture operations work in.
constexpr int kClientWidth = 1024;
constexpr int kClientHeight = 640;
constexpr std::int16_t kDisplayField = 1;  // plain control, 800 x 600 at 0, 0
constexpr int kDisplayWidth = 800;
constexpr int kDisplayHeight = 600;
constexpr std::int16_t kImageField = 2;  // image control beside it
constexpr DWORD kBmpPixelOffset = 1078;   // 14 + 40 + 1024: Pixet's capture file layout

double NowMs() {
  static const double frequency = [] {
    LARGE_INTEGER f;
    ::QueryPerformanceFrequency(&f);
    return static_cast<double>(f.QuadPart) / 1000.0;
  }();
  LARGE_INTEGER t;
  ::QueryPerformanceCounter(&t);
  return static_cast<double>(t.QuadPart) / frequency;
}

long long FileSize(const std::string& name) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!::GetFileAttributesExA(name.c_str(), GetFileExInfoStandard, &data)) return -1;
  return (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

std::wstring Wide(const std::string& s) { return std::wstring(s.begin(), s.end()); }  // ASCII names only

std::string Upper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

// ---- The floor: direct GDI+ and Win32 ---------------------------------------------

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

struct Encoders {
  CLSID bmp = EncoderFor(L"image/bmp");
  CLSID jpeg = EncoderFor(L"image/jpeg");
  CLSID png = EncoderFor(L"image/png");
  const CLSID& For(const std::string& extension) const {
    return extension == "png" ? png : extension == "jpg" ? jpeg : bmp;
  }
};

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

// Reads a whole file into memory with one read.
bool ReadWhole(const std::string& name, std::unique_ptr<unsigned char[]>& bytes, DWORD& size) {
  HANDLE file = ::CreateFileA(name.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  size = ::GetFileSize(file, nullptr);
  bytes.reset(new unsigned char[size != 0 ? size : 1]);
  DWORD read = 0;
  const bool ok = ::ReadFile(file, bytes.get(), size, &read, nullptr) && read == size;
  ::CloseHandle(file);
  return ok;
}

// Decode, save as BMP, read the bytes, hand them to the control.
bool FloorLoad(DesktopHost& host, PixetHostWindow* window, const std::wstring& source, const std::string& temp,
               const CLSID& bmp) {
  if (!FloorConvert(source, Wide(temp), bmp)) return false;
  std::unique_ptr<unsigned char[]> bytes;
  DWORD size = 0;
  const bool read = ReadWhole(temp, bytes, size);
  if (read) host.WritePropertyBytes(HostTarget::Of(window, kImageField), HostProperty::ImageFileBytes, bytes.get(), size);
  ::DeleteFileA(temp.c_str());
  return read;
}

Gdiplus::ARGB Opaque(int index) {
  const COLORREF c = ::GetSysColor(index);
  return 0xFF000000u | (static_cast<Gdiplus::ARGB>(GetRValue(c)) << 16) |
         (static_cast<Gdiplus::ARGB>(GetGValue(c)) << 8) | GetBValue(c);
}

// The image stretched onto a bitmap of the control's size, shown in a new picture control.
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

// Removes a picture control and the bitmap it shows.
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
    if (::CreateStreamOnHGlobal(block, TRUE, &stream) == S_OK) {
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

// BitBlt, GetDIBits and WriteFile of the area Pixet captures, in the same file layout.
bool FloorCapture(HWND window, bool whole, const std::string& file) {
  RECT rect{};
  int width = 0;
  int height = 0;
  HDC source = nullptr;
  if (whole) {
    ::GetWindowRect(window, &rect);
    width = rect.right - rect.left;
    if ((width % 4 + 4) % 4 == 3) ++width;
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
  ::BitBlt(memory, 0, 0, width, height, source, 0, 0, SRCCOPY);
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
    HANDLE out = ::CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    ok = out != INVALID_HANDLE_VALUE && ::WriteFile(out, head, sizeof head, &written, nullptr) &&
         ::WriteFile(out, pixels.get(), pixel_bytes, &written, nullptr);
    if (out != INVALID_HANDLE_VALUE) ::CloseHandle(out);
  }
  ::DeleteDC(memory);
  ::ReleaseDC(window, source);
  ::DeleteObject(bitmap);
  return ok;
}

// ---- Operations --------------------------------------------------------------------

using Leg = std::function<bool()>;

struct Op {
  std::string id;     // for --only and --peak
  std::string label;  // for the table
  int reps = 1;
  double target = 0;  // highest acceptable ratio; 0: reported as it is
  bool alone = false;  // measured with the benchmark's own engine session shut down
  Leg pixet;
  Leg floor;                   // empty: an absolute figure without a floor
  std::function<void()> reset;  // untimed, before every run of either leg
  std::function<void()> tidy;   // untimed, after every run of either leg
};

// What every operation works with.
struct Bench {
  DesktopHost host;
  std::unique_ptr<Pixet> pixet = Pixet::Create();
  Encoders encoders;
  PixetHostWindow* window = nullptr;
  HWND client = nullptr;
  HWND picture = nullptr;  // the latest picture control, removed after each display run
  std::string temp;        // the temporary folder, with its closing backslash
  std::string resources;   // full path of bench_resources.dll
  std::unique_ptr<unsigned char[]> bmp_bytes;  // large.bmp, read for the host hand-off row
  DWORD bmp_size = 0;
};

void DeleteFiles(const std::vector<std::string>& names) {
  for (const std::string& name : names) ::DeleteFileA(name.c_str());
}

// An operation with both legs.
Op Compared(std::string id, std::string label, int reps, double target, Leg pixet, Leg floor) {
  Op op;
  op.id = std::move(id);
  op.label = std::move(label);
  op.reps = reps;
  op.target = target;
  op.pixet = std::move(pixet);
  op.floor = std::move(floor);
  return op;
}

// A figure without a floor.
Op Plain(const char* id, const char* label, int reps, Leg run) { return Compared(id, label, reps, 0, std::move(run), {}); }

void AddConversions(std::vector<Op>& ops, Bench& b, bool grey, const std::string& size, int reps, double target) {
  static const char* const kPairs[][2] = {{"jpg", "png"}, {"png", "jpg"}, {"jpg", "bmp"}};
  for (const auto& pair : kPairs) {
    const std::string from = pair[0];
    const std::string to = pair[1];
    const std::string source = size + "." + from;
    const std::string stem = std::string(grey ? "gray_" : "convert_") + size + "_" + from + "2" + to + "." + to;
    const std::string mine = "out\\p_" + stem;
    const std::string floor = "out\\f_" + stem;
    const CLSID encoder = b.encoders.For(to);
    ops.push_back(Compared(
        std::string(grey ? "gray." : "convert.") + from + "-" + to + "." + size,
        std::string(grey ? "ConvertToGrayscaleImage " : "ConvertImage ") + size + " " + Upper(from) + "->" + Upper(to),
        reps, target,
        [&b, grey, source, mine] {
          const std::int32_t result = grey ? b.pixet->ConvertToGrayscaleImage(source.c_str(), mine.c_str())
                                           : b.pixet->ConvertImage(source.c_str(), mine.c_str());
          return result == 1 && FileSize(mine) > 0;
        },
        [grey, source, floor, encoder] {
          return grey ? FloorGrayscale(Wide(source), Wide(floor), encoder)
                      : FloorConvert(Wide(source), Wide(floor), encoder);
        }));
    ops.back().reset = [mine, floor] { DeleteFiles({mine, floor}); };
  }
}

void AddLoad(std::vector<Op>& ops, Bench& b, const std::string& size, int reps, double target) {
  const std::string source = size + ".jpg";
  const std::string temp = b.temp + "floor___.bmp";
  ops.push_back(Compared(
      "load." + size, "LoadImage " + size + " JPEG", reps, target,
      [&b, source] {
        return b.pixet->LoadImage(b.window, source.c_str(), kImageField) == 1 &&
               b.host.ImageBytes(b.window, kImageField).size() > 2;
      },
      [&b, source, temp] { return FloorLoad(b.host, b.window, Wide(source), temp, b.encoders.bmp); }));
}

void AddDisplay(std::vector<Op>& ops, Bench& b, const std::string& size, int reps, double target) {
  const std::string source = size + ".jpg";
  ops.push_back(Compared(
      "display." + size, "DisplayImage " + size + " JPEG 800x600", reps, target,
      [&b, source] {
        const bool done = b.pixet->DisplayImage(b.window, source.c_str(), kDisplayField, 0, 0) == 1;
        b.picture = b.pixet->HPICTUREBOX;
        return done && ::SendMessageA(b.picture, STM_GETIMAGE, IMAGE_BITMAP, 0) != 0;
      },
      [&b, source] {
        b.picture = FloorDisplay(b.client, Wide(source));
        return ::SendMessageA(b.picture, STM_GETIMAGE, IMAGE_BITMAP, 0) != 0;
      }));
  ops.back().tidy = [&b] {
    RemovePicture(b.picture);
    b.host.PumpMessages();
  };
}

void AddSaveResource(std::vector<Op>& ops, Bench& b, const char* name, const std::string& size,
                     const std::string& to, int reps, double target) {
  const std::string mine = "out\\p_resource_" + size + "." + to;
  const std::string floor = "out\\f_resource_" + size + "." + to;
  const CLSID encoder = b.encoders.For(to);
  ops.push_back(Compared(
      "resource." + size, "SaveResourceToFile " + size + " JPEG->" + Upper(to), reps, target,
      [&b, name, mine] {
        return b.pixet->SaveResourceToFile(name, mine.c_str(), b.resources.c_str()) == 1 && FileSize(mine) > 0;
      },
      [&b, name, floor, encoder] { return FloorSaveResource(b.resources, name, Wide(floor), encoder); }));
  ops.back().reset = [mine, floor] { DeleteFiles({mine, floor}); };
}

void AddCapture(std::vector<Op>& ops, Bench& b, bool desktop, int reps, double target) {
  const std::string what = desktop ? "desktop" : "client";
  const std::string mine = "out\\p_capture_" + what + ".bmp";
  const std::string floor = "out\\f_capture_" + what + ".bmp";
  ops.push_back(Compared(
      "capture." + what, desktop ? "CaptureDesktopToBmp" : "CaptureClientToBmp", reps, target,
      [&b, desktop, mine] {
        if (desktop)
          b.pixet->CaptureDesktopToBmp(mine.c_str());
        else
          b.pixet->CaptureClientToBmp(mine.c_str());
        return FileSize(mine) > kBmpPixelOffset;
      },
      [&b, desktop, floor] {
        return desktop ? FloorCapture(::GetDesktopWindow(), true, floor) : FloorCapture(b.client, false, floor);
      }));
  ops.back().reset = [mine, floor] { DeleteFiles({mine, floor}); };
}

// Figures without a floor: what the per-call design and the host cost on their own.
void AddOwnCosts(std::vector<Op>& ops, Bench& b, int reps) {
  const Leg startup = [] {
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    if (Gdiplus::GdiplusStartup(&token, &input, nullptr) != Gdiplus::Ok) return false;
    Gdiplus::GdiplusShutdown(token);
    return true;
  };
  // Measured with the benchmark's own engine session open (as the floors run), and with
  // no other session in the process (as a program that uses only Pixet runs).
  ops.push_back(Plain("engine.startup", "engine start-up + shutdown (every call)", reps, startup));
  ops.push_back(Plain("engine.alone", "engine start-up + shutdown, no other session", reps, startup));
  ops.back().alone = true;
  ops.push_back(Plain("pixet.object", "Pixet object create + destroy (binding)", reps,
                      [] { return Pixet::Create()->ENGINELOADED == 1; }));

  ops.push_back(Plain("host.handoff", "host takes the large BMP (in both LoadImage legs)", std::max(1, reps / 20), [&b] {
    b.host.WritePropertyBytes(HostTarget::Of(b.window, kImageField), HostProperty::ImageFileBytes, b.bmp_bytes.get(),
                              b.bmp_size);
    return b.bmp_size > 0 && b.host.ImageBytes(b.window, kImageField).size() == b.bmp_size;
  }));
  ops.back().reset = [&b] {
    if (!b.bmp_bytes) ReadWhole("large.bmp", b.bmp_bytes, b.bmp_size);
  };
}

// What LoadImage's round trip through a BMP file adds: the decode alone, and the JPEG's
// own bytes handed to the host (which decodes any format) instead of a BMP.
void AddRoundTripParts(std::vector<Op>& ops, Bench& b, int reps) {
  ops.push_back(Plain("decode.large", "large JPEG decode alone (GDI+)", reps, [] {
    Gdiplus::GpImage* image = nullptr;
    if (GdipLoadImageFromFile(L"large.jpg", &image) != Gdiplus::Ok) return false;
    GdipDisposeImage(image);
    return true;
  }));
  ops.push_back(Plain("direct.large", "host takes the large JPEG's own bytes (no BMP)", reps, [&b] {
    std::unique_ptr<unsigned char[]> bytes;
    DWORD size = 0;
    if (!ReadWhole("large.jpg", bytes, size)) return false;
    b.host.WritePropertyBytes(HostTarget::Of(b.window, kImageField), HostProperty::ImageFileBytes, bytes.get(), size);
    return b.host.ShownImageSize(b.window, kImageField).width > 0;
  }));
}

std::vector<Op> MakeOps(Bench& b, int reps, int small_reps) {
  std::vector<Op> ops;
  AddOwnCosts(ops, b, small_reps * 4);
  AddConversions(ops, b, false, "large", reps, 1.05);
  AddConversions(ops, b, false, "icon", small_reps, 0);
  AddConversions(ops, b, true, "large", reps, 1.05);
  AddConversions(ops, b, true, "icon", small_reps, 0);
  AddLoad(ops, b, "large", reps, 1.15);
  AddRoundTripParts(ops, b, reps);
  AddLoad(ops, b, "icon", small_reps, 0);
  AddDisplay(ops, b, "large", reps, 0);
  AddDisplay(ops, b, "icon", small_reps, 0);
  AddSaveResource(ops, b, "LARGE", "large", "bmp", reps, 1.05);
  AddSaveResource(ops, b, "SMALL", "icon", "png", small_reps, 0);
  AddCapture(ops, b, true, small_reps, 1.10);
  AddCapture(ops, b, false, small_reps, 1.10);
  return ops;
}

// ---- Running -----------------------------------------------------------------------

struct Figures {
  std::vector<double> pixet;
  std::vector<double> floor;
  int pixet_failures = 0;
  int floor_failures = 0;
};

double RunLeg(const Op& op, const Leg& leg, int& failures) {
  if (op.reset) op.reset();
  const double start = NowMs();
  const bool ok = leg();
  const double elapsed = NowMs() - start;
  if (op.tidy) op.tidy();
  if (!ok) ++failures;
  return elapsed;
}

// One warm-up run per leg, then the timed runs in pairs ordered A B, B A, B A, A B, ...,
// so that each leg goes first equally often over every four pairs.
Figures Measure(const Op& op) {
  Figures f;
  for (int i = -1; i < op.reps; ++i) {
    const bool pixet_first = i < 0 || i % 4 == 0 || i % 4 == 3;
    for (int turn = 0; turn < 2; ++turn) {
      const bool pixet = (turn == 0) == pixet_first;
      if (!pixet && !op.floor) continue;
      const double ms = RunLeg(op, pixet ? op.pixet : op.floor, pixet ? f.pixet_failures : f.floor_failures);
      if (i >= 0) (pixet ? f.pixet : f.floor).push_back(ms);
    }
  }
  return f;
}

double Median(std::vector<double> v) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  const std::size_t n = v.size();
  return n % 2 == 1 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

double Spread(const std::vector<double>& v) {
  const double median = Median(v);
  if (v.empty() || median <= 0) return 0;
  const auto [low, high] = std::minmax_element(v.begin(), v.end());
  return (*high - *low) / median * 100;
}

// Pixet/floor of each pair of runs next to each other in time: slow changes in the
// machine's load cancel out of it.
double PairedRatio(const Figures& f) {
  std::vector<double> ratios;
  for (std::size_t i = 0; i < f.pixet.size() && i < f.floor.size(); ++i)
    if (f.floor[i] > 0) ratios.push_back(f.pixet[i] / f.floor[i]);
  return Median(ratios);
}

void PrintMs(double ms) { std::printf(ms < 1 ? " %10.4f" : " %10.2f", ms); }

void PrintHeader() {
  std::printf("%-50s %4s %10s %10s %6s %6s %7s %7s\n", "operation", "reps", "Pixet ms", "floor ms", "ratio", "paired",
              "target", "spread%");
}

// Medians, their ratio, the median of the paired ratios, the target and the worse leg's
// spread.
void PrintRow(const Op& op, const Figures& f, bool samples) {
  std::printf("%-50s %4d", op.label.c_str(), op.reps);
  PrintMs(Median(f.pixet));
  if (op.floor) {
    const double floor = Median(f.floor);
    PrintMs(floor);
    const double ratio = floor > 0 ? Median(f.pixet) / floor : 0;
    std::printf(" %6.3f %6.3f", ratio, PairedRatio(f));
    if (op.target > 0)
      std::printf(" %4.2f %-2s", op.target, ratio <= op.target ? "ok" : "!!");
    else
      std::printf(" %7s", "-");
  } else {
    std::printf(" %10s %6s %6s %7s", "-", "-", "-", "-");
  }
  std::printf(" %7.1f\n", std::max(Spread(f.pixet), Spread(f.floor)));
  if (!samples) return;
  for (const auto* leg : {&f.pixet, &f.floor}) {
    if (leg->empty()) continue;
    std::printf("  %s:", leg == &f.pixet ? "Pixet" : "floor");
    for (double ms : *leg) std::printf(" %.2f", ms);
    std::printf("\n");
  }
}

// The process's working set now and at its peak so far, in bytes.
PROCESS_MEMORY_COUNTERS Memory() {
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  ::GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof counters);
  return counters;
}

// Child mode: one run of one leg, then "peak BYTES before BYTES ok 0|1".
int RunPeak(const std::vector<Op>& ops, const std::string& id, const std::string& leg) {
  for (const Op& op : ops) {
    if (op.id != id) continue;
    const Leg& run = leg == "floor" ? op.floor : op.pixet;
    if (!run) break;
    if (op.reset) op.reset();
    const PROCESS_MEMORY_COUNTERS before = Memory();
    const bool ok = run();
    const PROCESS_MEMORY_COUNTERS after = Memory();
    std::printf("peak %llu before %llu ok %d\n", static_cast<unsigned long long>(after.PeakWorkingSetSize),
                static_cast<unsigned long long>(before.WorkingSetSize), ok ? 1 : 0);
    if (op.tidy) op.tidy();
    return ok ? 0 : 1;
  }
  std::fprintf(stderr, "pixet_bench: no operation '%s' with leg '%s'\n", id.c_str(), leg.c_str());
  return 2;
}

// Runs this program again as a child for one leg; its working set added above what it
// had before the run, in bytes, or -1.
double ChildPeak(const std::string& data, const std::string& id, const std::string& leg) {
  char self[MAX_PATH] = {};
  ::GetModuleFileNameA(nullptr, self, MAX_PATH);
  std::string command = "\"" + std::string(self) + "\" --data \"" + data + "\" --peak " + id + " --leg " + leg;
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE read = nullptr;
  HANDLE write = nullptr;
  if (!::CreatePipe(&read, &write, &inherit, 0)) return -1;
  ::SetHandleInformation(read, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = write;
  startup.hStdError = ::GetStdHandle(STD_ERROR_HANDLE);
  startup.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
  PROCESS_INFORMATION process{};
  const BOOL started =
      ::CreateProcessA(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process);
  ::CloseHandle(write);
  std::string output;
  if (started) {
    char buffer[256];
    DWORD got = 0;
    while (::ReadFile(read, buffer, sizeof buffer, &got, nullptr) && got > 0) output.append(buffer, got);
    ::WaitForSingleObject(process.hProcess, INFINITE);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
  }
  ::CloseHandle(read);
  unsigned long long peak = 0;
  unsigned long long before = 0;
  int ok = 0;
  if (std::sscanf(output.c_str(), "peak %llu before %llu ok %d", &peak, &before, &ok) != 3 || ok != 1) return -1;
  return peak > before ? static_cast<double>(peak - before) : 0;
}

constexpr double kMB = 1024.0 * 1024.0;

void PrintPeaks(const std::string& data, UINT width, UINT height) {
  const double pixels24 = static_cast<double>(width) * height * 3;
  std::printf("\nPeak working set added by one run (child process per leg), against the image's own bytes\n");
  std::printf("(%u x %u: %.1f MB at 24 bpp, %.1f MB at 32 bpp; large.jpg %.1f MB)\n", width, height,
              pixels24 / kMB, pixels24 * 4 / 3 / kMB, static_cast<double>(FileSize("large.jpg")) / kMB);
  std::printf("%-40s %10s %10s %8s %10s\n", "operation", "Pixet MB", "floor MB", "ratio", "x 24bpp");
  const struct {
    const char* id;
    const char* label;
    bool floor;
  } kPeaks[] = {{"convert.jpg-png.large", "ConvertImage large JPEG->PNG", true},
                {"load.large", "LoadImage large JPEG", true},
                {"host.handoff", "host takes the large BMP (part of both)", false}};
  for (const auto& p : kPeaks) {
    const double mine = ChildPeak(data, p.id, "pixet");
    const double floor = p.floor ? ChildPeak(data, p.id, "floor") : 0;
    if (mine < 0 || floor < 0) {
      std::printf("%-40s   (a child run failed)\n", p.label);
      continue;
    }
    std::printf("%-40s %10.1f", p.label, mine / kMB);
    if (p.floor)
      std::printf(" %10.1f %8.3f", floor / kMB, floor > 0 ? mine / floor : 0.0);
    else
      std::printf(" %10s %8s", "-", "-");
    std::printf(" %10.2f\n", mine / pixels24);
  }
}

void ImageSize(const wchar_t* file, UINT& width, UINT& height) {
  Gdiplus::GpImage* image = nullptr;
  if (GdipLoadImageFromFile(file, &image) != Gdiplus::Ok) return;
  GdipGetImageWidth(image, &width);
  GdipGetImageHeight(image, &height);
  GdipDisposeImage(image);
}

int Usage() {
  std::fprintf(stderr,
               "usage: pixet_bench --data DIR [--reps N] [--small-reps N] [--only TEXT] [--no-peak] [--samples]\n"
               "       pixet_bench --data DIR --peak OP --leg pixet|floor\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::string data;
  std::string only;
  std::string peak;
  std::string leg = "pixet";
  int reps = 6;
  int small_reps = 40;
  bool peaks = true;
  bool samples = false;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    const bool has_value = i + 1 < argc;
    if (a == "--data" && has_value)
      data = argv[++i];
    else if (a == "--reps" && has_value)
      reps = std::max(1, std::atoi(argv[++i]));
    else if (a == "--small-reps" && has_value)
      small_reps = std::max(1, std::atoi(argv[++i]));
    else if (a == "--only" && has_value)
      only = argv[++i];
    else if (a == "--peak" && has_value)
      peak = argv[++i];
    else if (a == "--leg" && has_value)
      leg = argv[++i];
    else if (a == "--no-peak")
      peaks = false;
    else if (a == "--samples")
      samples = true;
    else
      return Usage();
  }
  if (data.empty() || !::SetCurrentDirectoryA(data.c_str())) return Usage();
  char full[MAX_PATH] = {};
  ::GetCurrentDirectoryA(MAX_PATH, full);
  data = full;
  ::CreateDirectoryA("out", nullptr);

  Gdiplus::GdiplusStartupInput input;
  ULONG_PTR token = 0;
  if (Gdiplus::GdiplusStartup(&token, &input, nullptr) != Gdiplus::Ok) {
    std::fprintf(stderr, "pixet_bench: GDI+ does not start\n");
    return 1;
  }
  int status = 0;
  {
    Bench b;
    PixetRegisterHost(&b.host);
    b.window = b.host.OpenWindow("pixet_bench", kClientWidth, kClientHeight);
    b.host.AddControl(b.window, kDisplayField, 0, 0, kDisplayWidth, kDisplayHeight, ControlKind::Plain);
    b.host.AddControl(b.window, kImageField, kDisplayWidth + 8, 0, 200, 150, ControlKind::Image);
    DesktopHost::SetCurrentWindow(b.window);
    b.client = b.host.ClientHwnd(b.window);
    b.host.PumpMessages();
    char temp[MAX_PATH + 1] = {};
    ::GetTempPathA(sizeof temp, temp);
    b.temp = temp;
    b.resources = data + "\\bench_resources.dll";
    std::vector<Op> ops = MakeOps(b, reps, small_reps);

    if (!peak.empty()) {
      status = RunPeak(ops, peak, leg);
    } else if (b.window == nullptr || FileSize("large.bmp") <= 0) {
      std::fprintf(stderr, "pixet_bench: no window, or no inputs in %s (run bench/make-inputs.sh)\n", data.c_str());
      status = 1;
    } else {
      UINT width = 0;
      UINT height = 0;
      ImageSize(L"large.jpg", width, height);
      UINT icon_width = 0;
      UINT icon_height = 0;
      ImageSize(L"icon.jpg", icon_width, icon_height);
      std::printf("pixet_bench: large %u x %u (%.1f MP), icon %u x %u; %d reps (icon and small: %d) per leg\n",
                  width, height, width * static_cast<double>(height) / 1e6, icon_width, icon_height, reps,
                  small_reps);
      PrintHeader();
      for (const Op& op : ops) {
        if (!only.empty() && op.id.find(only) == std::string::npos) continue;
        if (op.alone) Gdiplus::GdiplusShutdown(token);
        const Figures f = Measure(op);
        if (op.alone && Gdiplus::GdiplusStartup(&token, &input, nullptr) != Gdiplus::Ok) status = 1;
        PrintRow(op, f, samples);
        if (f.pixet_failures + f.floor_failures > 0) {
          std::printf("  FAILED: %s: Pixet %d, floor %d of %d runs each\n", op.id.c_str(), f.pixet_failures,
                      f.floor_failures, op.reps + 1);
          status = 1;
        }
        std::fflush(stdout);
      }
      if (peaks && only.empty()) PrintPeaks(data, width, height);
    }
    b.host.CloseWindow(b.window);
    PixetRegisterHost(nullptr);
  }
  Gdiplus::GdiplusShutdown(token);
  std::fflush(stdout);
  return status;
}
