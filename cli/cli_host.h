// The program's host (see CliHost).
#pragma once

#include <string>

#include "cli.h"

namespace cli {

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

}  // namespace cli
