// show: an image as a window's background, in a picture control, or drawn.
#include "base/unique_any.h"
#include "cli.h"

namespace cli {
namespace {

// How `show` puts the image on the window.
enum class ShowAs { Background, Control, Draw };

// show IMAGE [--as background|control|draw] [--seconds N] [--capture OUT.bmp]
struct ShowOptions {
  std::string image;
  std::string capture;  // empty: no capture
  double seconds = 0;   // how long the window stays up after rendering
  ShowAs as = ShowAs::Background;
};

// kDone, or kUsage once it has said what is wrong.
int ParseShow(const Args& a, ShowOptions* o) {
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (a[i] == "--seconds" && i + 1 < a.size()) {
      if (!ParseSeconds(a[++i], &o->seconds)) {
        std::fprintf(stderr, "pixet-cli: --seconds takes a number from 0 to 86400, not '%s'\n", a[i].c_str());
        return kUsage;
      }
    } else if (a[i] == "--capture" && i + 1 < a.size()) {
      o->capture = a[++i];
    } else if (a[i] == "--as" && i + 1 < a.size()) {
      const std::string mode = a[++i];
      if (mode == "background") {
        o->as = ShowAs::Background;
      } else if (mode == "control") {
        o->as = ShowAs::Control;
      } else if (mode == "draw") {
        o->as = ShowAs::Draw;
      } else {
        std::fprintf(stderr, "pixet-cli: --as takes background, control or draw, not '%s'\n", mode.c_str());
        return kUsage;
      }
    } else if (o->image.empty() && a[i].compare(0, 2, "--") != 0) {
      o->image = a[i];
    } else {
      std::fprintf(stderr, "pixet-cli: unexpected '%s'\n", a[i].c_str());
      return kUsage;
    }
  }
  if (o->image.empty()) {
    std::fprintf(stderr, "pixet-cli: show needs an IMAGE\n");
    return kUsage;
  }
  return kDone;
}

// The plain control that the control and draw modes show the image in.
constexpr std::int16_t kShowControl = 1;
constexpr int kShowControlX = 60, kShowControlY = 45, kShowControlWidth = 360, kShowControlHeight = 270;

void AddShowControl(Context& c, PixetHostWindow* window) {
  c.host.AddControl(window, kShowControl, kShowControlX, kShowControlY, kShowControlWidth, kShowControlHeight,
                    pixet::refhost::ControlKind::Plain);
}

// After a display call: prints the picture control the library made and whether it
// shows a bitmap; true when it does.
bool ReportPicture(Context& c) {
  c.host.PumpMessages();
  HWND picture = c.pixet.HPICTUREBOX;
  BITMAP shown{};
  const HGDIOBJ bitmap =
      picture != nullptr ? reinterpret_cast<HGDIOBJ>(::SendMessageA(picture, STM_GETIMAGE, IMAGE_BITMAP, 0)) : nullptr;
  const bool has_image = bitmap != nullptr && ::GetObjectA(bitmap, sizeof shown, &shown) != 0;
  if (picture == nullptr) {
    std::printf("no picture control\n");
  } else {
    RECT r{};
    ::GetWindowRect(picture, &r);
    std::printf("picture control %ldx%ld, %s\n", r.right - r.left, r.bottom - r.top,
                has_image ? "showing the image" : "showing nothing");
  }
  return has_image;
}

// Each mode returns whether the image shows.
bool ShowAsBackground(Context& c, PixetHostWindow* window, const std::string& image) {
  std::printf("DisplayImageAsBackground -> %d\n",
              static_cast<int>(c.pixet.DisplayImageAsBackgroundW(window, Wide(image).c_str(), 0)));
  return ReportPicture(c);
}

bool ShowInControl(Context& c, PixetHostWindow* window, const std::string& image) {
  AddShowControl(c, window);
  std::printf("DisplayImage -> %d\n", static_cast<int>(c.pixet.DisplayImageW(window, Wide(image).c_str(), kShowControl, 0, 0)));
  return ReportPicture(c);
}

// Drawing leaves no control behind: what shows is read off the control's pixels, a grid
// of them 15 pixels apart, against the plain control's own colour.
bool ShowDrawn(Context& c, PixetHostWindow* window, const std::string& image) {
  AddShowControl(c, window);
  c.host.PumpMessages();
  std::printf("DrawImage -> %d\n", static_cast<int>(c.pixet.DrawImageW(window, Wide(image).c_str(), kShowControl, 0, 0)));
  HWND control = c.host.State(window, kShowControl).hwnd;
  int changed = 0;
  {
    const pixet::unique_window_dc dc = pixet::AcquireDC(control);
    for (int y = 0; y < kShowControlHeight; y += 15)
      for (int x = 0; x < kShowControlWidth; x += 15)
        if (::GetPixel(dc.get().dc, x, y) != pixet::refhost::kPlainColour) ++changed;
  }
  const bool has_image = changed > 0;
  std::printf("control %d %s\n", kShowControl, has_image ? "shows the drawn image" : "shows nothing drawn");
  return has_image;
}

// Keeps the window responsive for `seconds`, or until it is closed.
void KeepOpen(Context& c, PixetHostWindow* window, double seconds) {
  const ULONGLONG deadline = ::GetTickCount64() + static_cast<ULONGLONG>(seconds * 1000);
  while (::GetTickCount64() < deadline && c.host.IsOpen(window)) {
    c.host.PumpMessages();
    ::Sleep(15);
  }
}


}  // namespace

// Done when the image shows and, if asked for, the capture was written.
int RunShow(Context& c, const Args& a) {
  ShowOptions o;
  if (const int code = ParseShow(a, &o); code != kDone) return code;
  PixetHostWindow* window = c.host.OpenWindow("pixet-cli show", 480, 360);
  if (window == nullptr) {
    std::fprintf(stderr, "pixet-cli: cannot open a window\n");
    return kFailed;
  }
  // The current window parents the picture control, and is the one a capture reads.
  pixet::refhost::DesktopHost::SetCurrentWindow(window);
  bool has_image = false;
  switch (o.as) {
    case ShowAs::Background:
      has_image = ShowAsBackground(c, window, o.image);
      break;
    case ShowAs::Control:
      has_image = ShowInControl(c, window, o.image);
      break;
    case ShowAs::Draw:
      has_image = ShowDrawn(c, window, o.image);
      break;
  }
  KeepOpen(c, window, o.seconds);
  if (!o.capture.empty()) {
    c.host.PumpMessages();
    if (ReportWrite("CaptureClientToBmp", o.capture, [&] { c.pixet.CaptureClientToBmpW(Wide(o.capture).c_str()); }) != kDone)
      return kFailed;
  }
  return has_image ? kDone : kFailed;
}

}  // namespace cli
