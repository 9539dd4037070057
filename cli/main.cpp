// pixet-cli: Pixet's methods from a shell, over the reference desktop host.
// Exit codes: 0 done, 1 the library reported failure, 2 wrong arguments.
#include <algorithm>
#include <limits>

#include "cli.h"
#include "cli_host.h"

namespace cli {
namespace {

constexpr std::size_t kAny = std::numeric_limits<std::size_t>::max();

const Command kCommands[] = {
    {"convert", kConvertUsage,
     "writes SOURCE in the format of TARGET's extension (bmp jpg jpeg png tif tiff gif); with --to, each source into DIR, "
     "on N workers (default: one per processor)",
     2, kAny, RunConvert},
    {"gray", kGrayUsage,
     "writes a grayscale copy of SOURCE in the format of TARGET's extension; with --to, into DIR on N workers", 2, kAny,
     RunGray},
    {"load", kLoadUsage,
     "shows SOURCE (a file, an http:// address, or an https:// address fetched with a time limit of SECONDS, "
     "default 30) in an image control",
     1, 3, RunLoad},
    {"copy", kCopyUsage,
     "puts the image FILE on the clipboard as a bitmap; with --alpha also as PNG and CF_DIBV5, keeping transparency",
     1, 2, RunCopy},
    {"paste", "paste TARGET",
     "writes the clipboard's image (PNG, CF_DIBV5, CF_DIB or bitmap) in the format of TARGET's extension, keeping "
     "transparency where the format holds it",
     1, 1, RunPaste},
    {"show", "show IMAGE [--as background|control|draw] [--seconds N] [--capture OUT.bmp]",
     "shows IMAGE for N seconds (default: just render) as the window's background, in a picture control over a "
     "control, or drawn into a control; --capture saves the client area",
     1, 7, RunShow},
    {"resources", "resources MODULE", "lists the image resources (type 0) of a program or library", 1, 1, RunResources},
    {"save-resource", "save-resource NAME FILE [MODULE]",
     "writes image resource NAME of MODULE in the format of FILE's extension", 2, 3, RunSaveResource},
    {"capture", kCaptureUsage,
     "saves the desktop (while a window shows IMAGE, if given), or a window showing IMAGE (with its frame, its "
     "client area, or X Y W H of it), as a BMP; screen: monitor N (default 0, the whole virtual screen) in physical "
     "pixels, in the format of OUT's extension", 2,
     7, RunCapture},
};

void PrintHelp(std::FILE* to, const Command* only) {
  if (only != nullptr) {
    std::fprintf(to, "usage: pixet-cli %s\n  %s\n", only->usage, only->summary);
    return;
  }
  std::fprintf(to, "usage: pixet-cli COMMAND [ARGS...]\n\ncommands:\n");
  for (const Command& c : kCommands) std::fprintf(to, "  %s\n      %s\n", c.usage, c.summary);
  std::fprintf(to, "\nexit codes: 0 done, 1 the library reported failure, 2 wrong arguments\n");
}

bool IsHelpOption(const std::string& s) { return s == "--help" || s == "-h"; }
bool IsHelp(const std::string& s) { return IsHelpOption(s) || s == "help"; }

// The program prints UTF-8: a console shows it as such while the program runs, and gets its
// own code page back after.
class Utf8Console {
 public:
  Utf8Console() : previous_(::GetConsoleOutputCP()) {
    if (previous_ != 0) ::SetConsoleOutputCP(CP_UTF8);
  }
  ~Utf8Console() {
    if (previous_ != 0) ::SetConsoleOutputCP(previous_);
  }
  Utf8Console(const Utf8Console&) = delete;
  Utf8Console& operator=(const Utf8Console&) = delete;

 private:
  const UINT previous_;
};

}  // namespace
}  // namespace cli

int wmain(int argc, wchar_t** argv) {
  using namespace cli;
  const Utf8Console console;
  Args args;
  for (int i = 1; i < argc; ++i) args.push_back(Utf8(argv[i]));
  if (args.empty()) {
    PrintHelp(stderr, nullptr);
    return kUsage;
  }
  if (IsHelp(args[0])) {
    PrintHelp(stdout, nullptr);
    return kDone;
  }
  const Command* command = nullptr;
  for (const Command& c : kCommands)
    if (args[0] == c.name) command = &c;
  if (command == nullptr) {
    std::fprintf(stderr, "pixet-cli: unknown command '%s' (try --help)\n", args[0].c_str());
    return kUsage;
  }
  Args rest(args.begin() + 1, args.end());
  if (!rest.empty() && (IsHelp(rest[0]) || std::any_of(rest.begin(), rest.end(), IsHelpOption))) {
    PrintHelp(stdout, command);
    return kDone;
  }
  if (rest.size() < command->min_args || rest.size() > command->max_args) {
    std::fprintf(stderr, "pixet-cli: wrong arguments\nusage: pixet-cli %s\n", command->usage);
    return kUsage;
  }
  CliHost host(pixet::refhost::MessageMode::RecordAndPrint);
  host.Register();
  int code = kFailed;
  {
    auto object = Pixet::Create();
    Context context{host, *object};
    code = command->run(context, rest);
  }
  CliHost::Unregister();
  std::fflush(stdout);
  return code;
}
