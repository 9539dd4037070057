// load, copy and paste: image controls and the clipboard.
#include <cstdlib>
#include <cstring>

#include "base/unique_any.h"
#include "cli.h"

namespace cli {
namespace {

// A host window with image control 1, where loads and pastes show their picture.
PixetHostWindow* ImageWindow(Context& c, const char* title) {
  PixetHostWindow* window = c.host.OpenWindow(title, 320, 240);
  if (window != nullptr) c.host.AddControl(window, 1, 0, 0, 320, 240, pixet::refhost::ControlKind::Image);
  return window;
}

// What the control holds now: byte count, the first two bytes, the picture's size.
void DescribeControl(Context& c, PixetHostWindow* window) {
  const pixet::refhost::ControlState state = c.host.State(window, 1);
  const auto& bytes = *state.imageBytes;
  const auto shown = state.shownImage;
  const std::string head = bytes.size() >= 2 ? std::string(bytes.begin(), bytes.begin() + 2) : std::string();
  std::printf("control received %zu bytes (starting \"%s\"), showing %dx%d\n", bytes.size(), head.c_str(),
              shown.width, shown.height);
}

}  // namespace

// An https:// address goes to LoadImageFromWeb (with --timeout, its time limit); any other
// source to LoadImage.
int RunLoad(Context& c, const Args& a) {
  std::int32_t seconds = 0;
  if (a.size() == 3 && (a[1] != "--timeout" || !ParseInt(a[2], &seconds) || seconds <= 0 || seconds > 2000000))
    return UsageError(kLoadUsage, ("--timeout takes a number of seconds, not '" + a.back() + "'").c_str());
  if (a.size() == 2) return UsageError(kLoadUsage, "wrong arguments");
  PixetHostWindow* window = ImageWindow(c, "pixet-cli load");
  if (window == nullptr) return kFailed;
  const bool web = _strnicmp(a[0].c_str(), "https://", 8) == 0;
  if (seconds > 0) c.pixet.SetWebTimeout(seconds * 1000);
  const std::int32_t result =
      web ? c.pixet.LoadImageFromWebW(window, Wide(a[0]).c_str(), 1) : c.pixet.LoadImageW(window, Wide(a[0]).c_str(), 1);
  std::printf("%s -> %d\n", web ? "LoadImageFromWeb" : "LoadImage", static_cast<int>(result));
  c.host.PumpMessages();
  DescribeControl(c, window);
  return result == 1 ? kDone : kFailed;
}

// With --alpha, also the forms that keep transparency; each form the clipboard then holds is
// printed.
int RunCopy(Context& c, const Args& a) {
  const bool alpha = a.size() == 2;
  if (alpha && a[1] != "--alpha") return UsageError(kCopyUsage, ("unknown option " + a[1]).c_str());
  const std::wstring file = Wide(a[0]);
  const std::int32_t result = alpha ? c.pixet.CopyToClipboardWithAlphaW(file.c_str()) : c.pixet.CopyToClipboardW(file.c_str());
  std::printf("%s -> %d\n", alpha ? "CopyToClipboardWithAlpha" : "CopyToClipboard", static_cast<int>(result));
  if (const pixet::unique_clipboard clipboard = pixet::AcquireClipboard(nullptr)) {
    if (::IsClipboardFormatAvailable(::RegisterClipboardFormatW(L"PNG"))) std::printf("clipboard holds PNG\n");
    HANDLE dib = ::GetClipboardData(CF_DIBV5);
    const pixet::unique_hglobal_locked held(dib != nullptr && ::GlobalSize(dib) >= sizeof(BITMAPV5HEADER) ? dib : nullptr);
    if (held) {
      BITMAPV5HEADER header{};
      std::memcpy(&header, held.get(), sizeof header);
      std::printf("clipboard holds a %ldx%ld CF_DIBV5 of %u bits%s\n", header.bV5Width, std::labs(header.bV5Height),
                  header.bV5BitCount, header.bV5AlphaMask != 0 ? " with alpha" : "");
    }
    BITMAP b{};
    // The clipboard's own bitmap, only looked at.
    if (HANDLE bitmap = ::GetClipboardData(CF_BITMAP); bitmap != nullptr && ::GetObjectA(bitmap, sizeof b, &b) != 0)
      std::printf("clipboard holds a %ldx%ld bitmap\n", b.bmWidth, b.bmHeight);
    else
      std::printf("clipboard holds no bitmap\n");
  }
  return result == 1 ? kDone : kFailed;
}

int RunPaste(Context& c, const Args& a) {
  return ReportWrite("PasteFromClipboard", a[0], [&] { return c.pixet.PasteFromClipboardW(Wide(a[0]).c_str()); });
}

}  // namespace cli
