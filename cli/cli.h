// What pixet-cli's parts share: exit codes, the command table's shape, the context a
// command runs in, reporting what a call wrote, argument parsing, and the commands.
#pragma once

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <type_traits>
#include <vector>

#include "pixet/pixet.h"
#include "pixet/refhost.h"

#undef LoadImage

namespace cli {

constexpr int kDone = 0;
constexpr int kFailed = 1;
constexpr int kUsage = 2;

// The arguments as UTF-8 text: the program reads its command line as UTF-16, so any name
// a file can have arrives whole, and every name goes to the library's UTF-16 forms and to
// the system's W calls through Wide. What the program prints is UTF-8.
using Args = std::vector<std::string>;

std::wstring Wide(const std::string& utf8);
std::string Utf8(const std::wstring& wide);

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

// What a path holds: whether a file is there, its size and when it was last written.
struct FileState {
  bool exists = false;
  long size = -1;
  FILETIME written{};
};

FileState StateOf(const std::string& path);

// printf onto the end of `out`.
void Append(std::string& out, const char* format, ...);

// Runs `call`, a method meant to write `target`, and appends to `out` its result and what
// it left at `target`. Success needs a file made or rewritten by the call: some methods
// return 1 without writing, and a file left from an earlier run must not pass for their
// output. Methods without a result (the captures) are judged by the file alone.
template <class Call>
int ReportWriteTo(std::string& out, const char* method, const std::string& target, Call call) {
  const FileState before = StateOf(target);
  bool succeeded = true;
  if constexpr (std::is_void_v<decltype(call())>) {
    call();
    Append(out, "%s\n", method);
  } else {
    const std::int32_t result = call();
    Append(out, "%s -> %d\n", method, static_cast<int>(result));
    succeeded = result != 0;
  }
  const FileState after = StateOf(target);
  const bool written = after.exists && (!before.exists || ::CompareFileTime(&before.written, &after.written) != 0);
  if (written)
    Append(out, "wrote %s (%ld bytes)\n", target.c_str(), after.size);
  else if (after.exists)
    Append(out, "left %s as it was\n", target.c_str());
  else
    Append(out, "no file at %s\n", target.c_str());
  return succeeded && written ? kDone : kFailed;
}

// The same, printed on standard output.
template <class Call>
int ReportWrite(const char* method, const std::string& target, Call call) {
  std::string out;
  const int code = ReportWriteTo(out, method, target, call);
  std::fputs(out.c_str(), stdout);
  return code;
}

// Says what is wrong and how the command is used, on stderr; kUsage.
int UsageError(const char* usage, const char* why);
// A decimal whole number that fits in 32 bits, with nothing after it. The 64-bit parse
// sees values just past the 32-bit range as they are; longer ones clamp, still outside it.
bool ParseInt(const std::string& text, std::int32_t* value);
// Why ParseInt refused `text`, given as argument `name`.
std::string NotAnInt(const char* name, const std::string& text);
// A plain decimal number of seconds, up to a day.
bool ParseSeconds(const std::string& text, double* seconds);

// The commands, and the usage lines the table and their errors share.
constexpr char kConvertUsage[] = "convert SOURCE TARGET | convert SOURCE... --to DIR [--ext EXT] [-j N]";
constexpr char kGrayUsage[] = "gray SOURCE TARGET | gray SOURCE... --to DIR [--ext EXT] [-j N]";
constexpr char kLoadUsage[] = "load SOURCE [--timeout SECONDS]";
constexpr char kCaptureUsage[] =
    "capture desktop [IMAGE] OUT.bmp | capture screen [N] OUT | capture window|client|rect IMAGE OUT.bmp [X Y W H]";
constexpr char kCopyUsage[] = "copy FILE [--alpha]";
int RunConvert(Context& c, const Args& a);
int RunGray(Context& c, const Args& a);
int RunLoad(Context& c, const Args& a);
int RunCopy(Context& c, const Args& a);
int RunPaste(Context& c, const Args& a);
int RunShow(Context& c, const Args& a);
int RunResources(Context& c, const Args& a);
int RunSaveResource(Context& c, const Args& a);
int RunCapture(Context& c, const Args& a);

}  // namespace cli
