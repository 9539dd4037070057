// pixet-cli: Pixet's methods from a shell, over the reference desktop host.
// Exit codes: 0 done, 1 the library reported failure, 2 wrong arguments.
#include <windows.h>

#include <io.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <limits>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <type_traits>
#include <vector>

#include "core/file_names.h"
#include "core/unique_any.h"
#include "one_file.h"
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

// What a path holds: whether a file is there, its size and when it was last written.
struct FileState {
  bool exists = false;
  long size = -1;
  FILETIME written{};
};

FileState StateOf(const std::string& path) {
  FileState state;
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return state;
  state.exists = true;
  state.size = static_cast<long>(data.nFileSizeLow);
  state.written = data.ftLastWriteTime;
  return state;
}

// printf onto the end of `out`.
void Append(std::string& out, const char* format, ...) {
  va_list args;
  va_start(args, format);
  va_list again;
  va_copy(again, args);
  const int n = std::vsnprintf(nullptr, 0, format, args);
  va_end(args);
  if (n > 0) {
    const std::size_t end = out.size();
    out.resize(end + static_cast<std::size_t>(n) + 1);
    std::vsnprintf(&out[end], static_cast<std::size_t>(n) + 1, format, again);
    out.resize(end + static_cast<std::size_t>(n));
  }
  va_end(again);
}

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

bool ParseInt(const std::string& text, std::int32_t* value);

using FileMethod = std::int32_t (Pixet::*)(const char* source, const char* target);

constexpr char kConvertUsage[] = "convert SOURCE TARGET | convert SOURCE... --to DIR [--ext EXT] [-j N]";
constexpr char kGrayUsage[] = "gray SOURCE TARGET | gray SOURCE... --to DIR [--ext EXT] [-j N]";
constexpr std::int32_t kMostWorkers = 64;

int UsageError(const char* usage, const char* why) {
  std::fprintf(stderr, "pixet-cli: %s\nusage: pixet-cli %s\n", why, usage);
  return kUsage;
}

// The target for `source` in `folder`: its file name with the extension replaced.
std::string BatchTarget(const std::string& source, const std::string& folder, const std::string& extension) {
  std::string name = source.substr(source.find_last_of("\\/:") + 1);
  const std::size_t old_extension = pixet::ExtensionOf(name).size();
  if (old_extension < name.size()) name.resize(name.size() - old_extension);  // ".name" keeps its dot
  return folder + "\\" + name + "." + extension;
}

// The program's host: the desktop host, except that while a batch runs, each worker
// thread's message boxes go to the text of the source it is converting, so that they are
// printed with that source's lines, in the order of the sources. (The desktop host guards
// its own records; a conversion reads only the calling thread's current window from it.)
class CliHost final : public pixet::refhost::DesktopHost {
 public:
  using DesktopHost::DesktopHost;

  // Message boxes of the calling thread go to `text` until it is given null.
  static void CollectMessages(std::string* text) { messages_ = text; }

  // As the desktop host prints them in its RecordAndPrint mode.
  void ShowMessage(const char* text, const char* caption, pixet::refhost::Icon icon) override {
    if (messages_ == nullptr) return DesktopHost::ShowMessage(text, caption, icon);
    Append(*messages_, "message: %s", text != nullptr ? text : "");
    if (caption != nullptr) Append(*messages_, " [%s]", caption);
    Append(*messages_, "\n");
  }

 private:
  static thread_local std::string* messages_;
};

thread_local std::string* CliHost::messages_ = nullptr;

// What converting one source printed, once it is done.
struct Outcome {
  std::string out;  // standard output
  std::string err;  // its message boxes, for standard error
  int code = kDone;
  bool done = false;
};

// Converts sources[i] to targets[i] with `workers` threads, each with its own object, and
// prints each source's lines in the order of the sources as soon as it and all before it
// are done. With `progress`, a line on stderr counts the sources done so far.
int RunBatch(Context& c, FileMethod method, const char* name, const Args& sources, const Args& targets,
             std::size_t workers, bool progress) {
  // The first worker uses the program's object; each other one makes its own on its own
  // thread. Without an engine, no more are made.
  if (c.pixet.ENGINELOADED == 0) workers = 1;
  std::vector<Outcome> outcomes(sources.size());
  std::mutex mutex;
  std::condition_variable changed;
  std::size_t done = 0;
  std::atomic<std::size_t> next{0};
  const auto work = [&](std::size_t worker) {
    const std::unique_ptr<Pixet> own = worker == 0 ? nullptr : Pixet::Create();
    Pixet* pixet = worker == 0 ? &c.pixet : own.get();
    for (std::size_t i; (i = next++) < sources.size();) {
      Outcome outcome;
      CliHost::CollectMessages(&outcome.err);
      outcome.code = ReportWriteTo(outcome.out, name, targets[i],
                                   [&] { return (pixet->*method)(sources[i].c_str(), targets[i].c_str()); });
      CliHost::CollectMessages(nullptr);
      outcome.done = true;
      std::lock_guard<std::mutex> lock(mutex);
      outcomes[i] = std::move(outcome);
      ++done;
      changed.notify_one();
    }
  };
  std::vector<std::thread> threads;
  for (std::size_t worker = 0; worker < workers; ++worker) threads.emplace_back(work, worker);
  int code = kDone;
  {
    std::unique_lock<std::mutex> lock(mutex);
    std::size_t printed = 0;
    std::size_t counted = 0;
    while (printed < sources.size()) {
      changed.wait(lock, [&] { return outcomes[printed].done || (progress && done != counted); });
      for (; printed < sources.size() && outcomes[printed].done; ++printed) {
        const Outcome& o = outcomes[printed];
        std::fputs(o.out.c_str(), stdout);
        std::fflush(stdout);
        std::fputs(o.err.c_str(), stderr);
        if (o.code != kDone) code = kFailed;
      }
      if (progress && done != counted) {
        counted = done;
        std::fprintf(stderr, "pixet-cli: %zu of %zu done\n", counted, sources.size());
      }
      std::fflush(stderr);
    }
  }
  for (std::thread& thread : threads) thread.join();
  return code;
}

// The number of processors.
std::size_t Processors() {
  SYSTEM_INFO info;
  ::GetSystemInfo(&info);
  return std::max<std::size_t>(1, info.dwNumberOfProcessors);
}

// SOURCE TARGET, or several sources written into one folder with one extension by
// N workers (default: one per processor). Progress goes to stderr when it is a terminal.
int RunFiles(Context& c, const Args& a, const char* name, FileMethod method, const char* usage) {
  Args sources;
  std::string folder;
  std::string extension;
  std::int32_t workers = 0;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (a[i] == "--to" || a[i] == "--ext" || a[i] == "-j") {
      if (i + 1 >= a.size()) return UsageError(usage, (a[i] + " needs a value").c_str());
      if (a[i] == "-j") {
        if (!ParseInt(a[i + 1], &workers) || workers < 1 || workers > kMostWorkers)
          return UsageError(usage, ("-j takes a number of workers from 1 to " + std::to_string(kMostWorkers) +
                                    ", not '" + a[i + 1] + "'").c_str());
      } else {
        (a[i] == "--to" ? folder : extension) = a[i + 1];
      }
      ++i;
    } else if (a[i].compare(0, 2, "--") == 0) {
      return UsageError(usage, ("unknown option " + a[i]).c_str());
    } else {
      sources.push_back(a[i]);
    }
  }
  if (folder.empty()) {
    if (!extension.empty()) return UsageError(usage, "--ext goes with --to");
    if (workers != 0) return UsageError(usage, "-j goes with --to");
    if (sources.size() != 2) return UsageError(usage, "give SOURCE and TARGET, or sources with --to DIR");
    return ReportWrite(name, sources[1], [&] { return (c.pixet.*method)(sources[0].c_str(), sources[1].c_str()); });
  }
  if (sources.empty()) return UsageError(usage, "no sources");
  if (extension.empty()) extension = "png";
  if (extension.rfind('.', 0) == 0) extension.erase(0, 1);
  // Two sources whose targets are one file (a.png, A.jpg) would overwrite each other's.
  Args targets;
  for (const std::string& source : sources) targets.push_back(BatchTarget(source, folder, extension));
  if (const auto twins = pixet::cli::FirstTwins(targets)) {
    const std::string& first = targets[twins->first];
    const std::string& second = targets[twins->second];
    return UsageError(usage, (sources[twins->first] + " and " + sources[twins->second] + " would both be written to " +
                              (first == second ? first : "one file, " + first + " and " + second))
                                 .c_str());
  }
  ::CreateDirectoryA(folder.c_str(), nullptr);
  const std::size_t count = std::min(workers != 0 ? static_cast<std::size_t>(workers) : Processors(), sources.size());
  const bool progress = sources.size() > 1 && _isatty(_fileno(stderr)) != 0;
  return RunBatch(c, method, name, sources, targets, count, progress);
}

int RunConvert(Context& c, const Args& a) { return RunFiles(c, a, "ConvertImage", &Pixet::ConvertImage, kConvertUsage); }

int RunGray(Context& c, const Args& a) {
  return RunFiles(c, a, "ConvertToGrayscaleImage", &Pixet::ConvertToGrayscaleImage, kGrayUsage);
}

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

constexpr const char* kLoadUsage = "load SOURCE [--timeout SECONDS]";

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
      web ? c.pixet.LoadImageFromWeb(window, a[0].c_str(), 1) : c.pixet.LoadImage(window, a[0].c_str(), 1);
  std::printf("%s -> %d\n", web ? "LoadImageFromWeb" : "LoadImage", static_cast<int>(result));
  c.host.PumpMessages();
  DescribeControl(c, window);
  return result == 1 ? kDone : kFailed;
}

int RunCopy(Context& c, const Args& a) {
  const std::int32_t result = c.pixet.CopyToClipboard(a[0].c_str());
  std::printf("CopyToClipboard -> %d\n", static_cast<int>(result));
  if (const pixet::unique_clipboard clipboard = pixet::AcquireClipboard(nullptr)) {
    BITMAP b{};
    // The clipboard's own bitmap, only looked at.
    if (HANDLE bitmap = ::GetClipboardData(CF_BITMAP); bitmap != nullptr && ::GetObjectA(bitmap, sizeof b, &b) != 0)
      std::printf("clipboard holds a %ldx%ld bitmap\n", b.bmWidth, b.bmHeight);
    else
      std::printf("clipboard holds no bitmap\n");
  }
  return result == 1 ? kDone : kFailed;
}

// Pastes into a control, then writes the BMP file that the control was given.
int RunPaste(Context& c, const Args& a) {
  PixetHostWindow* window = ImageWindow(c, "pixet-cli paste");
  if (window == nullptr) return kFailed;
  return ReportWrite("LoadImageFromClipboard", a[0], [&] {
    const std::int32_t result = c.pixet.LoadImageFromClipboard(window, 1);
    DescribeControl(c, window);
    const pixet::refhost::SharedBytes held = c.host.State(window, 1).imageBytes;
    const auto& bytes = *held;
    if (result == 1 && !bytes.empty()) {
      std::ofstream out(a[0], std::ios::binary | std::ios::trunc);
      out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    return result;
  });
}

// A plain decimal number of seconds, up to a day.
bool ParseSeconds(const std::string& text, double* seconds) {
  char* end = nullptr;
  const double value = std::strtod(text.c_str(), &end);
  if (text.empty() || *end != '\0' || !(value >= 0 && value <= 86400)) return false;
  *seconds = value;
  return true;
}

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
              static_cast<int>(c.pixet.DisplayImageAsBackground(window, image.c_str(), 0)));
  return ReportPicture(c);
}

bool ShowInControl(Context& c, PixetHostWindow* window, const std::string& image) {
  AddShowControl(c, window);
  std::printf("DisplayImage -> %d\n", static_cast<int>(c.pixet.DisplayImage(window, image.c_str(), kShowControl, 0, 0)));
  return ReportPicture(c);
}

// Drawing leaves no control behind: what shows is read off the control's pixels, a grid
// of them 15 pixels apart, against the plain control's own colour.
bool ShowDrawn(Context& c, PixetHostWindow* window, const std::string& image) {
  AddShowControl(c, window);
  c.host.PumpMessages();
  std::printf("DrawImage -> %d\n", static_cast<int>(c.pixet.DrawImage(window, image.c_str(), kShowControl, 0, 0)));
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
    if (ReportWrite("CaptureClientToBmp", o.capture, [&] { c.pixet.CaptureClientToBmp(o.capture.c_str()); }) != kDone)
      return kFailed;
  }
  return has_image ? kDone : kFailed;
}

BOOL CALLBACK CollectName(HMODULE, LPCSTR, LPSTR name, LONG_PTR names) {
  reinterpret_cast<std::vector<std::string>*>(names)->push_back(
      IS_INTRESOURCE(name) ? "#" + std::to_string(reinterpret_cast<std::uintptr_t>(name)) : std::string(name));
  return TRUE;
}

// resources MODULE: the module is read as data; none of its code runs.
int RunResources(Context&, const Args& a) {
  const pixet::unique_module library(::LoadLibraryExA(a[0].c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
  const HMODULE module = library.get();
  if (module == nullptr) {
    std::fprintf(stderr, "pixet-cli: cannot load %s (error %lu)\n", a[0].c_str(), ::GetLastError());
    return kFailed;
  }
  std::vector<std::string> names;
  ::EnumResourceNamesA(module, "#0", CollectName, reinterpret_cast<LONG_PTR>(&names));
  for (const std::string& name : names) {
    HRSRC found = ::FindResourceA(module, name.c_str(), "#0");
    std::printf("%-32s %lu bytes\n", name.c_str(), found != nullptr ? ::SizeofResource(module, found) : 0ul);
  }
  std::printf("%zu image resources (type 0) in %s\n", names.size(), a[0].c_str());
  return kDone;
}

int RunSaveResource(Context& c, const Args& a) {
  const char* module = a.size() > 2 ? a[2].c_str() : nullptr;  // omitted: this program's own
  return ReportWrite("SaveResourceToFile", a[1],
                     [&] { return c.pixet.SaveResourceToFile(a[0].c_str(), a[1].c_str(), module); });
}

// A decimal whole number that fits in 32 bits, with nothing after it. The 64-bit parse
// sees values just past the 32-bit range as they are; longer ones clamp, still outside it.
bool ParseInt(const std::string& text, std::int32_t* value) {
  char* end = nullptr;
  const long long v = std::strtoll(text.c_str(), &end, 10);
  if (text.empty() || *end != '\0') return false;
  if (v < std::numeric_limits<std::int32_t>::min() || v > std::numeric_limits<std::int32_t>::max()) return false;
  *value = static_cast<std::int32_t>(v);
  return true;
}

// Why ParseInt refused `text`, given as argument `name`.
std::string NotAnInt(const char* name, const std::string& text) {
  return std::string(name) + " takes a whole number from " + std::to_string(std::numeric_limits<std::int32_t>::min()) +
         " to " + std::to_string(std::numeric_limits<std::int32_t>::max()) + ", not '" + text + "'";
}

// A host window whose client area is IMAGE's size, shown by an image control; it becomes
// the current window. A captioned window has a minimum width (about 110 pixels under
// Wine), so the client area of a narrower image is wider than the image. Null when the
// host cannot show the image.
PixetHostWindow* OpenWindowShowing(pixet::refhost::DesktopHost& host, const std::string& image) {
  using pixet::refhost::Property;
  using pixet::refhost::Target;
  PixetHostWindow* window = host.OpenWindow(("pixet-cli " + image).c_str(), 64, 64, 0, 0);
  if (window == nullptr || !host.AddControl(window, 1, 0, 0, 64, 64, pixet::refhost::ControlKind::Image)) return nullptr;
  host.WritePropertyText(Target::Of(window, 1), Property::ControlText, image.c_str());
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

constexpr const char* kCaptureUsage =
    "capture desktop [IMAGE] OUT.bmp | capture window|client|rect IMAGE OUT.bmp [X Y W H]";

int RunCapture(Context& c, const Args& a) {
  const std::string& what = a[0];
  if (what == "desktop" && (a.size() == 2 || a.size() == 3)) {
    // With an IMAGE, a window shows it on the desktop while it is captured.
    if (a.size() == 3 && OpenWindowShowing(c.host, a[1]) == nullptr) {
      std::fprintf(stderr, "pixet-cli: cannot show %s in a window\n", a[1].c_str());
      return kFailed;
    }
    const std::string& target = a.back();
    return ReportWrite("CaptureDesktopToBmp", target, [&] { c.pixet.CaptureDesktopToBmp(target.c_str()); });
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
    return ReportWrite("CaptureWindowToBmp", target, [&] { c.pixet.CaptureWindowToBmp(target.c_str()); });
  if (what == "client")
    return ReportWrite("CaptureClientToBmp", target, [&] { c.pixet.CaptureClientToBmp(target.c_str()); });
  return ReportWrite("CaptureClientRectToBmp", target,
                     [&] { c.pixet.CaptureClientRectToBmp(target.c_str(), x, y, w, h); });
}

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
    {"copy", "copy FILE", "puts the image FILE on the clipboard as a bitmap", 1, 1, RunCopy},
    {"paste", "paste TARGET.bmp", "pastes the clipboard's bitmap into an image control and writes it", 1, 1, RunPaste},
    {"show", "show IMAGE [--as background|control|draw] [--seconds N] [--capture OUT.bmp]",
     "shows IMAGE for N seconds (default: just render) as the window's background, in a picture control over a "
     "control, or drawn into a control; --capture saves the client area",
     1, 7, RunShow},
    {"resources", "resources MODULE", "lists the image resources (type 0) of a program or library", 1, 1, RunResources},
    {"save-resource", "save-resource NAME FILE [MODULE]",
     "writes image resource NAME of MODULE in the format of FILE's extension", 2, 3, RunSaveResource},
    {"capture", kCaptureUsage,
     "saves the desktop (while a window shows IMAGE, if given), or a window showing IMAGE (with its frame, its "
     "client area, or X Y W H of it), as a BMP", 2,
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

}  // namespace

int main(int argc, char** argv) {
  Args args(argv + 1, argv + argc);
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
