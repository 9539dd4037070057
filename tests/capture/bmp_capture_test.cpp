// The process-wide capture object: its reserved file, at library load and unload.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "capture/bmp_capture.h"
#include "support/test_support.h"

using namespace pixet::testing;

namespace {

std::string TempFolder() {
  char folder[MAX_PATH];
  ::GetTempPathA(MAX_PATH, folder);
  return folder;
}

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(::tolower(static_cast<unsigned char>(c)));
  return s;
}

// TMP (where the temporary folder comes from) points at `folder`, emptied of earlier
// reservations, for the scope.
class ScopedTempFolder {
 public:
  explicit ScopedTempFolder(const std::string& folder) {
    char old[MAX_PATH];
    had_ = ::GetEnvironmentVariableA("TMP", old, MAX_PATH) > 0;
    if (had_) old_ = old;
    ::CreateDirectoryA(folder.c_str(), nullptr);
    for (const std::string& name : FilesStartingWith(folder + "Bcr")) RemoveFile(folder + name);
    ::SetEnvironmentVariableA("TMP", folder.c_str());
  }
  ~ScopedTempFolder() { ::SetEnvironmentVariableA("TMP", had_ ? old_.c_str() : nullptr); }
  ScopedTempFolder(const ScopedTempFolder&) = delete;
  ScopedTempFolder& operator=(const ScopedTempFolder&) = delete;

 private:
  bool had_ = false;
  std::string old_;
};

std::string FullPath(const std::string& relative) {
  char full[MAX_PATH];
  ::GetFullPathNameA(relative.c_str(), MAX_PATH, full, nullptr);
  return full;
}

TEST(BmpCapture, TheLoadedLibraryHoldsAReservedBmpFileInTheTemporaryFolder) {
  pixet::BmpCapture* capture = PixetBmpCapture();
  ASSERT_NE(capture, nullptr);
  const std::string name = capture->GRADIENTFILE;
  const std::string prefix = TempFolder() + "Bcr";
  ASSERT_GT(name.size(), prefix.size() + 4);
  EXPECT_EQ(Lower(name.substr(0, prefix.size())), Lower(prefix));
  EXPECT_EQ(name.substr(name.size() - 4), ".bmp");
  EXPECT_TRUE(FileExists(name));
  EXPECT_FALSE(FileExists(name.substr(0, name.size() - 4) + ".tmp"));
}

TEST(BmpCapture, AnotherObjectReservesItsOwnFileAndRemovesItWhenDestroyed) {
  ASSERT_NE(PixetBmpCapture(), nullptr);
  const std::string folder = FullPath("capture-temp") + "\\";
  ScopedTempFolder scoped(folder);
  std::string name;
  {
    pixet::BmpCapture capture;
    name = capture.GRADIENTFILE;
    EXPECT_EQ(Lower(name.substr(0, folder.size() + 3)), Lower(folder + "Bcr"));
    EXPECT_NE(name, PixetBmpCapture()->GRADIENTFILE);
    EXPECT_EQ(FilesStartingWith(folder + "Bcr"), std::vector<std::string>{name.substr(folder.size())});
  }
  EXPECT_FALSE(FileExists(name));
  EXPECT_TRUE(FilesStartingWith(folder + "Bcr").empty());
}

// Its ".bmp" name would not fit the 127-character field: nothing is kept or left behind.
TEST(BmpCapture, ANameTooLongToKeepLeavesNoReservedFile) {
  const std::string base = FullPath("capture-temp");
  const std::string folder = base + "\\" + std::string(127 - base.size(), 'f') + "\\";
  ScopedTempFolder scoped(folder);
  {
    pixet::BmpCapture capture;
    EXPECT_STREQ(capture.GRADIENTFILE, "");
    EXPECT_TRUE(FilesStartingWith(folder + "Bcr").empty());
  }
  ::RemoveDirectoryA(folder.c_str());
}

// The suite links the library, so a probe process loads and unloads it at run time.
TEST(BmpCapture, LoadingTheLibraryReservesTheFileAndUnloadingRemovesIt) {
  ASSERT_NE(PixetBmpCapture(), nullptr);
  char program[MAX_PATH];
  ::GetModuleFileNameA(nullptr, program, MAX_PATH);
  std::string probe = program;
  probe = probe.substr(0, probe.find_last_of('\\') + 1) + "pixet_load_probe.exe";
  const std::string report = FullPath(Output("load-probe.txt"));
  RemoveFile(report);
  std::string command = "\"" + probe + "\" \"" + report + "\"";
  const std::vector<std::string> reservations = FilesStartingWith(TempFolder() + "Bcr");

  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  ASSERT_TRUE(::CreateProcessA(probe.c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                               &process))
      << probe;
  ::WaitForSingleObject(process.hProcess, 300000);
  DWORD code = 1;
  ::GetExitCodeProcess(process.hProcess, &code);
  ::CloseHandle(process.hThread);
  ::CloseHandle(process.hProcess);
  ASSERT_EQ(code, 0u);

  std::map<std::string, std::string> seen;
  std::ifstream in(report);
  for (std::string key, value; in >> key && std::getline(in, value);) seen[key] = value.substr(1);
  EXPECT_EQ(seen["loaded"], "1");
  EXPECT_EQ(Lower(seen["file"].substr(0, TempFolder().size() + 3)), Lower(TempFolder() + "Bcr"));
  EXPECT_NE(seen["file"], PixetBmpCapture()->GRADIENTFILE) << "each process reserves its own";
  EXPECT_EQ(seen["exists_loaded"], "1");
  for (const std::string& name : FilesStartingWith(TempFolder() + "Bcr"))
    if (std::find(reservations.begin(), reservations.end(), name) == reservations.end())
      ADD_FAILURE() << name << " was left behind";
  EXPECT_EQ(seen["freed"], "1");
  EXPECT_EQ(seen["exists_freed"], "0");
}

}  // namespace
