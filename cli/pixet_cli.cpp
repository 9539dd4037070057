// pixet-cli: Pixet's methods from a shell, over the reference desktop host.
// Exit codes: 0 done, 1 the library reported failure, 2 wrong arguments.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "pixet/pixet.h"
#include "pixet/refhost.h"

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

const Command kCommands[] = {
    {"convert", "convert SOURCE TARGET", "writes SOURCE in the format of TARGET's extension (bmp jpg jpeg png tif tiff gif)",
     2, 2, RunConvert},
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
