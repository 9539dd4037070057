// convert and gray: one file, or a batch into a folder on N workers.
#include <io.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <thread>

#include "base/file_names.h"
#include "cli.h"
#include "cli_host.h"
#include "one_file.h"

namespace cli {
namespace {

using FileMethod = std::int32_t (Pixet::*)(const wchar_t* source, const wchar_t* target);

constexpr std::int32_t kMostWorkers = 64;

// The target for `source` in `folder`: its file name with the extension replaced.
std::string BatchTarget(const std::string& source, const std::string& folder, const std::string& extension) {
  std::string name = source.substr(source.find_last_of("\\/:") + 1);
  const std::size_t old_extension = pixet::ExtensionOf(name).size();
  if (old_extension < name.size()) name.resize(name.size() - old_extension);  // ".name" keeps its dot
  return folder + "\\" + name + "." + extension;
}

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
                                   [&] { return (pixet->*method)(Wide(sources[i]).c_str(), Wide(targets[i]).c_str()); });
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
    return ReportWrite(name, sources[1],
                       [&] { return (c.pixet.*method)(Wide(sources[0]).c_str(), Wide(sources[1]).c_str()); });
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
  ::CreateDirectoryW(Wide(folder).c_str(), nullptr);
  const std::size_t count = std::min(workers != 0 ? static_cast<std::size_t>(workers) : Processors(), sources.size());
  const bool progress = sources.size() > 1 && _isatty(_fileno(stderr)) != 0;
  return RunBatch(c, method, name, sources, targets, count, progress);
}

}  // namespace

int RunConvert(Context& c, const Args& a) { return RunFiles(c, a, "ConvertImage", &Pixet::ConvertImageW, kConvertUsage); }

int RunGray(Context& c, const Args& a) {
  return RunFiles(c, a, "ConvertToGrayscaleImage", &Pixet::ConvertToGrayscaleImageW, kGrayUsage);
}

}  // namespace cli
