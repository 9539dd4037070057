#include "operations.h"

#include <utility>

namespace bench {
namespace {

using namespace Gdiplus::DllExports;

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

// The files the two legs of an operation write, under out\: p_ for Pixet, f_ for the floor.
struct Outputs {
  std::string mine;
  std::string floor;
};

Outputs OutputsFor(const std::string& stem) { return {"out\\p_" + stem, "out\\f_" + stem}; }

// Both outputs are deleted before every run, so a leg must write its file to pass.
void DeleteBeforeEachRun(Op& op, const Outputs& out) {
  op.reset = [out] { DeleteFiles({out.mine, out.floor}); };
}

void AddConversions(std::vector<Op>& ops, Bench& b, bool grey, const std::string& size, int reps, double target) {
  static const char* const kPairs[][2] = {{"jpg", "png"}, {"png", "jpg"}, {"jpg", "bmp"}};
  for (const auto& pair : kPairs) {
    const std::string from = pair[0];
    const std::string to = pair[1];
    const std::string source = size + "." + from;
    const Outputs out =
        OutputsFor(std::string(grey ? "gray_" : "convert_") + size + "_" + from + "2" + to + "." + to);
    const CLSID encoder = b.encoders.For(to);
    ops.push_back(Compared(
        std::string(grey ? "gray." : "convert.") + from + "-" + to + "." + size,
        std::string(grey ? "ConvertToGrayscaleImage " : "ConvertImage ") + size + " " + Upper(from) + "->" + Upper(to),
        reps, target,
        [&b, grey, source, mine = out.mine] {
          const std::int32_t result = grey ? b.pixet->ConvertToGrayscaleImage(source.c_str(), mine.c_str())
                                           : b.pixet->ConvertImage(source.c_str(), mine.c_str());
          return result == 1 && FileSize(mine) > 0;
        },
        [grey, source, floor = out.floor, encoder] {
          return grey ? FloorGrayscale(Wide(source), Wide(floor), encoder)
                      : FloorConvert(Wide(source), Wide(floor), encoder);
        }));
    DeleteBeforeEachRun(ops.back(), out);
  }
}

void AddLoad(std::vector<Op>& ops, Bench& b, const std::string& size, int reps, double target) {
  const std::string source = size + ".jpg";
  const std::string temp = b.temp + "floor___.bmp";
  ops.push_back(Compared(
      "load." + size, "LoadImage " + size + " JPEG", reps, target,
      [&b, source] {
        return b.pixet->LoadImage(b.window, source.c_str(), kImageField) == 1 &&
               b.host.State(b.window, kImageField).imageBytes->size() > 2;
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
        return done && ShowsBitmap(b.picture);
      },
      [&b, source] {
        b.picture = FloorDisplay(b.client, Wide(source));
        return ShowsBitmap(b.picture);
      }));
  ops.back().tidy = [&b] {
    RemovePicture(b.picture);
    b.host.PumpMessages();
  };
}

void AddSaveResource(std::vector<Op>& ops, Bench& b, const char* name, const std::string& size,
                     const std::string& to, int reps, double target) {
  const Outputs out = OutputsFor("resource_" + size + "." + to);
  const CLSID encoder = b.encoders.For(to);
  ops.push_back(Compared(
      "resource." + size, "SaveResourceToFile " + size + " JPEG->" + Upper(to), reps, target,
      [&b, name, mine = out.mine] {
        return b.pixet->SaveResourceToFile(name, mine.c_str(), b.resources.c_str()) == 1 && FileSize(mine) > 0;
      },
      [&b, name, floor = out.floor, encoder] {
        return FloorSaveResource(b.resources, name, Wide(floor), encoder);
      }));
  DeleteBeforeEachRun(ops.back(), out);
}

enum class Area { Desktop, Window, Client, Rect };

// Onto a new target, or onto an existing one (the previous run's capture, kept), which
// Pixet replaces only once the new file is whole. There the floor simply overwrites (no
// verdict: it does not keep the old file whole when the write fails), or, `safely`,
// replaces as Pixet does: through a new file beside it and a rename.
void AddCapture(std::vector<Op>& ops, Bench& b, Area area, bool existing, bool safely, int reps, double target) {
  static const char* const kNames[][2] = {{"desktop", "CaptureDesktopToBmp"}, {"window", "CaptureWindowToBmp"},
                                          {"client", "CaptureClientToBmp"}, {"rect", "CaptureClientRectToBmp"}};
  const auto& [what, method] = kNames[static_cast<int>(area)];
  const std::string id = std::string(what) + (existing ? ".existing" : "") + (safely ? ".floor-replaces" : "");
  const Outputs out = OutputsFor("capture_" + id + ".bmp");
  static const RECT kRect{20, 10, 220, 160};
  ops.push_back(Compared(
      "capture." + id, std::string(method) + (existing ? safely ? " onto a file (floor replaces)" : " onto a file" : ""),
      reps, target,
      [&b, area, mine = out.mine] {
        const char* file = mine.c_str();
        switch (area) {
          case Area::Desktop: b.pixet->CaptureDesktopToBmp(file); break;
          case Area::Window: b.pixet->CaptureWindowToBmp(file); break;
          case Area::Client: b.pixet->CaptureClientToBmp(file); break;
          case Area::Rect:
            b.pixet->CaptureClientRectToBmp(file, kRect.left, kRect.top, kRect.right - kRect.left,
                                            kRect.bottom - kRect.top);
            break;
        }
        return FileSize(mine) > kBmpPixelOffset;
      },
      [&b, area, safely, floor = out.floor] {
        switch (area) {
          case Area::Desktop: return FloorCapture(::GetDesktopWindow(), true, floor, safely);
          case Area::Window: return FloorCapture(b.host.WindowHwnd(b.window), true, floor, safely);
          case Area::Client: return FloorCapture(b.client, false, floor, safely);
          case Area::Rect: return FloorCapture(b.client, false, floor, safely, &kRect);
        }
        return false;
      }));
  if (!existing) DeleteBeforeEachRun(ops.back(), out);
}

// Targets and sources the main rows leave out: TIFF and GIF targets, a PNG with alpha. The
// GIF row's floor is the engine writing PNG from the same source (the engine alone writes no
// readable GIF from a photo), so its ratio is what a GIF costs over a PNG; no target.
void AddOtherFormats(std::vector<Op>& ops, Bench& b, int reps) {
  static const char* const kPairs[][2] = {{"large.jpg", "tif"}, {"large.jpg", "gif"}, {"alpha.png", "png"},
                                          {"alpha.png", "jpg"}};
  for (const auto& [source, to] : kPairs) {
    const std::string from = std::string(source).substr(0, std::string(source).find('.'));
    const bool gif = std::string(to) == "gif";
    Outputs out = OutputsFor("other_" + from + "." + to);
    if (gif) out.floor = OutputsFor("other_" + from + ".png").floor;
    const CLSID encoder = b.encoders.For(gif ? "png" : to);
    const std::string label = std::string(from == "alpha" ? "large alpha PNG" : "large JPG") + "->" + Upper(to);
    ops.push_back(Compared("convert." + from + "-" + to, "ConvertImage " + label + (gif ? " (floor: ->PNG)" : ""), reps,
                           gif ? 0 : 1.05,
                           [&b, source = std::string(source), mine = out.mine] {
                             return b.pixet->ConvertImage(source.c_str(), mine.c_str()) == 1 && FileSize(mine) > 0;
                           },
                           [source = std::string(source), floor = out.floor, encoder] {
                             return FloorConvert(Wide(source), Wide(floor), encoder);
                           }));
    DeleteBeforeEachRun(ops.back(), out);
  }
}

// A control number as the source: the control's image goes through a working file. The
// floor writes the same block to a file of its own and converts that.
void AddControlSource(std::vector<Op>& ops, Bench& b, int reps) {
  const Outputs out = OutputsFor("control_large.png");
  const auto block = [&b] {
    return reinterpret_cast<HGLOBAL>(b.host.ReadProperty(pixet::refhost::Target::Current(kSourceField),
                                                         pixet::refhost::Property::ImageMemoryBlock));
  };
  ops.push_back(Compared(
      "convert.control-png.large", "ConvertImage control (large JPEG)->PNG", reps, 1.05,
      [&b, mine = out.mine] {
        return b.pixet->ConvertImage(std::to_string(kSourceField).c_str(), mine.c_str()) == 1 && FileSize(mine) > 0;
      },
      [&b, block, floor = out.floor] {
        const HGLOBAL held = block();
        const auto* bytes = static_cast<const char*>(::GlobalLock(held));
        HANDLE file = ::CreateFileA("out\\f_control.jpg", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD written = 0;
        const bool ok = bytes != nullptr && file != INVALID_HANDLE_VALUE &&
                        ::WriteFile(file, bytes, static_cast<DWORD>(::GlobalSize(held)), &written, nullptr);
        ::GlobalUnlock(held);
        if (file != INVALID_HANDLE_VALUE) ::CloseHandle(file);
        const bool converted = ok && FloorConvert(L"out\\f_control.jpg", Wide(floor), b.encoders.png);
        ::DeleteFileA("out\\f_control.jpg");
        return converted;
      }));
  ops.back().reset = [&b, out, block] {
    DeleteFiles({out.mine, out.floor});
    if (block() == nullptr) HandFileToControl(b.host, b.window, kSourceField, "large.jpg");
  };
}

// The clipboard both ways: CopyToClipboard of a BMP (no conversion), and a paste of it
// into the image control.
void AddClipboard(std::vector<Op>& ops, Bench& b, int reps) {
  ops.push_back(Compared(
      "clipboard.copy.large", "CopyToClipboard large BMP", reps, 1.05,
      [&b] { return b.pixet->CopyToClipboard("large.bmp") == 1; },
      [&b] { return FloorCopy("large.bmp", b.host.WindowHwnd(b.window)); }));
  ops.push_back(Compared(
      "clipboard.paste.large", "LoadImageFromClipboard large", reps, 1.05,
      [&b] { return b.pixet->LoadImageFromClipboard(b.window, kImageField) == 1; },
      [&b] { return FloorPaste(b.host, b.window, L"floor_pasted.bmp", b.encoders.bmp); }));
  ops.back().reset = [&b] { FloorCopy("large.bmp", b.host.WindowHwnd(b.window)); };
}

// LoadImageFromWeb of the large JPEG from a local server (bench/run.sh starts one), against
// a plain WinINet download and the same load.
void AddWebLoad(std::vector<Op>& ops, Bench& b, int reps) {
  if (b.web_port == 0) return;
  const std::string address = "http://127.0.0.1:" + std::to_string(b.web_port) + "/large.jpg";
  ops.push_back(Compared(
      "web.large", "LoadImageFromWeb large JPEG (local server)", reps, 1.05,
      [&b, address] { return b.pixet->LoadImageFromWeb(b.window, address.c_str(), kImageField) == 1; },
      [&b, address] {
        return FloorWebLoad(b.host, b.window, address, b.temp + "floor_web.jpg", b.temp + "floor___.bmp",
                            b.encoders.bmp);
      }));
}

// Figures without a floor: what the per-call design and the host cost on their own.
void AddOwnCosts(std::vector<Op>& ops, Bench& b, int reps) {
  const Leg startup = [] {
    ULONG_PTR token = 0;
    if (!StartEngine(token)) return false;
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
    HandToImageControl(b.host, b.window, b.bmp_bytes.data(), static_cast<DWORD>(b.bmp_bytes.size()));
    return !b.bmp_bytes.empty() && b.host.State(b.window, kImageField).imageBytes->size() == b.bmp_bytes.size();
  }));
  ops.back().reset = [&b] {
    if (b.bmp_bytes.empty()) pixet::ReadWholeFile("large.bmp", b.bmp_bytes);
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
    return HandFileToImageControl(b.host, b.window, "large.jpg") &&
           b.host.State(b.window, kImageField).shownImage.width > 0;
  }));
}

}  // namespace

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
  AddOtherFormats(ops, b, reps);
  AddControlSource(ops, b, reps);
  AddClipboard(ops, b, reps);
  AddWebLoad(ops, b, reps);
  for (const auto& [existing, safely] : {std::pair{false, false}, {true, false}, {true, true}})
    for (Area area : {Area::Desktop, Area::Window, Area::Client, Area::Rect})
      AddCapture(ops, b, area, existing, safely, small_reps, existing && !safely ? 0 : 1.10);
  return ops;
}

}  // namespace bench
