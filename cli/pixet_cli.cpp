// pixet-cli: Pixet's methods from a shell, over the reference desktop host.
// Exit codes: 0 done, 1 the library reported failure, 2 wrong arguments.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "pixet/pixet.h"
#include "pixet/refhost.h"

#undef LoadImage

namespace {

constexpr int kDone = 0;
constexpr int kFailed = 1;
constexpr int kUsage = 2;

using Args = std::vector<std::string>;

struct Context {
  pixet::refhost::DesktopHost& host;
  Pixet& pixet;
};

struct Command {
  const char* name;
  const char* usage;
  const char* summary;
  std::size_t min_args;
  std::size_t max_args;
  int (*run)(Context&, const Args&);
};

long FileSize(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return -1;
  return static_cast<long>(data.nFileSizeLow);
}

// Prints a method's result and what it left at `target`.
int Report(const char* method, std::int32_t result, const std::string& target) {
  std::printf("%s -> %d\n", method, static_cast<int>(result));
  const long size = FileSize(target);
  if (size >= 0)
    std::printf("wrote %s (%ld bytes)\n", target.c_str(), size);
  else
    std::printf("no file at %s\n", target.c_str());
  return result != 0 && size >= 0 ? kDone : kFailed;
}

int RunConvert(Context& c, const Args& a) { return Report("ConvertImage", c.pixet.ConvertImage(a[0].c_str(), a[1].c_str()), a[1]); }

int RunGray(Context& c, const Args& a) {
  return Report("ConvertToGrayscaleImage", c.pixet.ConvertToGrayscaleImage(a[0].c_str(), a[1].c_str()), a[1]);
}

// A host window with image control 1, where loads and pastes show their picture.
PixetHostWindow* ImageWindow(Context& c, const char* title) {
  PixetHostWindow* window = c.host.OpenWindow(title, 320, 240);
  if (window != nullptr) c.host.AddControl(window, 1, 0, 0, 320, 240, pixet::refhost::ControlKind::Image);
  return window;
}

// What the control holds now: byte count, the first two bytes, the picture's size.
void DescribeControl(Context& c, PixetHostWindow* window) {
  const auto& bytes = c.host.ImageBytes(window, 1);
  const auto shown = c.host.ShownImageSize(window, 1);
  const std::string head = bytes.size() >= 2 ? std::string(bytes.begin(), bytes.begin() + 2) : std::string();
  std::printf("control received %zu bytes (starting \"%s\"), showing %dx%d\n", bytes.size(), head.c_str(),
              shown.width, shown.height);
}

int RunLoad(Context& c, const Args& a) {
  PixetHostWindow* window = ImageWindow(c, "pixet-cli load");
  if (window == nullptr) return kFailed;
  const std::int32_t result = c.pixet.LoadImage(window, a[0].c_str(), 1);
  std::printf("LoadImage -> %d\n", static_cast<int>(result));
  c.host.PumpMessages();
  DescribeControl(c, window);
  return result == 1 ? kDone : kFailed;
}

int RunCopy(Context& c, const Args& a) {
  const std::int32_t result = c.pixet.CopyToClipboard(a[0].c_str());
  std::printf("CopyToClipboard -> %d\n", static_cast<int>(result));
  if (::OpenClipboard(nullptr)) {
    BITMAP b{};
    if (HANDLE bitmap = ::GetClipboardData(CF_BITMAP); bitmap != nullptr && ::GetObjectA(bitmap, sizeof b, &b) != 0)
      std::printf("clipboard holds a %ldx%ld bitmap\n", b.bmWidth, b.bmHeight);
    else
      std::printf("clipboard holds no bitmap\n");
    ::CloseClipboard();
  }
  return result == 1 ? kDone : kFailed;
}

// Pastes into a control, then writes the BMP file that the control was given.
int RunPaste(Context& c, const Args& a) {
  PixetHostWindow* window = ImageWindow(c, "pixet-cli paste");
  if (window == nullptr) return kFailed;
  const std::int32_t result = c.pixet.LoadImageFromClipboard(window, 1);
  DescribeControl(c, window);
  const auto& bytes = c.host.ImageBytes(window, 1);
  if (result == 1 && !bytes.empty()) {
    std::ofstream out(a[0], std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }
  return Report("LoadImageFromClipboard", result, a[0]);
}

const Command kCommands[] = {
    {"convert", "convert SOURCE TARGET", "writes SOURCE in the format of TARGET's extension (bmp jpg jpeg png tif tiff gif)",
     2, 2, RunConvert},
    {"gray", "gray SOURCE TARGET", "writes a grayscale copy of SOURCE in the format of TARGET's extension", 2, 2, RunGray},
    {"load", "load SOURCE", "shows SOURCE (a file or an http:// address) in an image control", 1, 1, RunLoad},
    {"copy", "copy FILE", "puts the image FILE on the clipboard as a bitmap", 1, 1, RunCopy},
    {"paste", "paste TARGET.bmp", "pastes the clipboard's bitmap into an image control and writes it", 1, 1, RunPaste},
};

void PrintHelp(const Command* only) {
  if (only != nullptr) {
    std::printf("usage: pixet-cli %s\n  %s\n", only->usage, only->summary);
    return;
  }
  std::printf("usage: pixet-cli COMMAND [ARGS...]\n\ncommands:\n");
  for (const Command& c : kCommands) std::printf("  %-28s %s\n", c.usage, c.summary);
  std::printf("\nexit codes: 0 done, 1 the library reported failure, 2 wrong arguments\n");
}

bool IsHelp(const std::string& s) { return s == "--help" || s == "-h" || s == "help"; }

}  // namespace

int main(int argc, char** argv) {
  Args args(argv + 1, argv + argc);
  if (args.empty() || IsHelp(args[0])) {
    PrintHelp(nullptr);
    return args.empty() ? kUsage : kDone;
  }
  const Command* command = nullptr;
  for (const Command& c : kCommands)
    if (args[0] == c.name) command = &c;
  if (command == nullptr) {
    std::fprintf(stderr, "pixet-cli: unknown command '%s' (try --help)\n", args[0].c_str());
    return kUsage;
  }
  Args rest(args.begin() + 1, args.end());
  if (!rest.empty() && IsHelp(rest[0])) {
    PrintHelp(command);
    return kDone;
  }
  if (rest.size() < command->min_args || rest.size() > command->max_args) {
    std::fprintf(stderr, "pixet-cli: wrong arguments\nusage: pixet-cli %s\n", command->usage);
    return kUsage;
  }
  pixet::refhost::DesktopHost host(pixet::refhost::MessageMode::RecordAndPrint);
  PixetRegisterHost(&host);
  int code = kFailed;
  {
    auto object = Pixet::Create();
    Context context{host, *object};
    code = command->run(context, rest);
  }
  PixetRegisterHost(nullptr);
  std::fflush(stdout);
  return code;
}
