// Runs the tests with the recording host registered, so no message box ever blocks.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "support/counters.h"
#include "support/test_support.h"

namespace {

// Leaves out the tests named, one per line, in the file PIXET_SKIP_TESTS names: a run
// that resumes after its process was lost skips what already passed. Kept out of the
// command line, which could not hold a whole suite's names.
void SkipListedTests() {
  const char* list = std::getenv("PIXET_SKIP_TESTS");
  if (list == nullptr || *list == '\0') return;
  std::ifstream in(list);
  std::string names;
  for (std::string name; std::getline(in, name);) {
    if (!name.empty() && name.back() == '\r') name.pop_back();
    if (!name.empty()) names += (names.empty() ? "" : ":") + name;
  }
  if (names.empty()) return;
  std::string filter = ::testing::GTEST_FLAG(filter);
  filter += filter.find('-') == std::string::npos ? "-" : ":";
  ::testing::GTEST_FLAG(filter) = filter + names;
}

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  SkipListedTests();
  pixet::testing::InstallImportHooks();  // before any object binds
  pixet::testing::DefaultHost().Register();
  const int result = RUN_ALL_TESTS();
  pixet::refhost::DesktopHost::Unregister();
  return result;
}
