// capture: the desktop, or a window showing an image (frame, client area or part of it).
#include "base/file_names.h"
#include "cli.h"

namespace cli {
namespace {

// A host window whose client area is IMAGE's size, shown by an image control; it becomes
// the current window. A captioned window has a minimum width (about 110 pixels under
// Wine), so the client area of a narrower image is wider than the image. Null when the
// host cannot show the image.
PixetHostWindow* OpenWindowShowing(pixet::refhost::DesktopHost& host, const std::string& image) {
  using pixet::refhost::Property;
  using pixet::refhost::Target;
  // The host reads ANSI text: a name outside the code page goes by its short name.
  std::string ansi = pixet::AnsiNameOf(Wide(image));
  if (ansi.empty()) ansi = image;
  PixetHostWindow* window = host.OpenWindow(("pixet-cli " + ansi).c_str(), 64, 64, 0, 0);
  if (window == nullptr || !host.AddControl(window, 1, 0, 0, 64, 64, pixet::refhost::ControlKind::Image)) return nullptr;
  host.WritePropertyText(Target::Of(window, 1), Property::ControlText, ansi.c_str());
  const pixet::refhost::PixelSize size = host.State(window, 1).shownImage;
  if (size.width <= 0 || size.height <= 0) return nullptr;
  host.ResizeWindow(window, size.width, size.height);
  host.WriteProperty(Target::Of(window, 1), Property::PixelUnits, 1);
  host.WriteProperty(Target::Of(window, 1), Property::Width, size.width);
  host.WriteProperty(Target::Of(window, 1), Property::Height, size.height);
  host.Redraw(Target::Of(window, 1));  // shrinking alone does not repaint the picture
  pixet::refhost::DesktopHost::SetCurrentWindow(window);
  host.PumpMessages();
  return window;
}

}  // namespace

int RunCapture(Context& c, const Args& a) {
  const std::string& what = a[0];
  if (what == "desktop" && (a.size() == 2 || a.size() == 3)) {
    // With an IMAGE, a window shows it on the desktop while it is captured.
    if (a.size() == 3 && OpenWindowShowing(c.host, a[1]) == nullptr) {
      std::fprintf(stderr, "pixet-cli: cannot show %s in a window\n", a[1].c_str());
      return kFailed;
    }
    const std::string& target = a.back();
    return ReportWrite("CaptureDesktopToBmp", target, [&] { c.pixet.CaptureDesktopToBmpW(Wide(target).c_str()); });
  }
  if (what == "screen" && (a.size() == 2 || a.size() == 3)) {
    std::int32_t monitor = 0;
    if (a.size() == 3 && (!ParseInt(a[1], &monitor) || monitor < 0))
      return UsageError(kCaptureUsage, ("N takes a monitor number from 0, not '" + a[1] + "'").c_str());
    const std::string& target = a.back();
    return ReportWrite("CaptureScreen", target, [&] { return c.pixet.CaptureScreenW(monitor, Wide(target).c_str()); });
  }
  const bool rect = what == "rect";
  const bool known = what == "window" || what == "client" || rect;
  if (!known || a.size() != (rect ? 7u : 3u)) return UsageError(kCaptureUsage, "wrong arguments");
  std::int32_t x = 0, y = 0, w = 0, h = 0;
  if (rect) {
    const char* const names[] = {"X", "Y", "W", "H"};
    std::int32_t* const values[] = {&x, &y, &w, &h};
    for (std::size_t i = 0; i < 4; ++i)
      if (!ParseInt(a[3 + i], values[i])) return UsageError(kCaptureUsage, NotAnInt(names[i], a[3 + i]).c_str());
  }
  const std::string& image = a[1];
  const std::string& target = a[2];
  if (OpenWindowShowing(c.host, image) == nullptr) {
    std::fprintf(stderr, "pixet-cli: cannot show %s in a window\n", image.c_str());
    return kFailed;
  }
  if (what == "window")
    return ReportWrite("CaptureWindowToBmp", target, [&] { c.pixet.CaptureWindowToBmpW(Wide(target).c_str()); });
  if (what == "client")
    return ReportWrite("CaptureClientToBmp", target, [&] { c.pixet.CaptureClientToBmpW(Wide(target).c_str()); });
  return ReportWrite("CaptureClientRectToBmp", target,
                     [&] { c.pixet.CaptureClientRectToBmpW(Wide(target).c_str(), x, y, w, h); });
}

}  // namespace cli
