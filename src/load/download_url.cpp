#include "load/download_url.h"

#include <windows.h>
#include <wininet.h>


#include "base/temp_directory.h"
#include "base/unique_any.h"
#include "core/host_access.h"
#include "core/internet.h"
#include "core/text.h"
#include "load/http_body.h"

namespace pixet {

namespace {

constexpr std::size_t kMaxAddressChars = 511;  // a 512-byte field with its terminator
constexpr std::size_t kMaxLocalPathChars = 80;

// The open handles of one download; the address handle is declared last so that it is
// closed first on every way out.
struct Connection {
  unique_internet session;
  unique_internet address;
};

// Whether `name`, put after the folder, would name the folder itself or leave it:
// empty, only dots and blanks (".", "..", "..." all resolve to a folder), or a device
// name such as NUL or COM1 (with or without an extension or a colon: "COM1:.png").
// COM and LPT take a digit or a superscript one, two or three (CP1252 B9, B2, B3).
bool NamesNoFileInFolder(const std::string& name) {
  if (name.find_first_not_of(". ") == std::string::npos) return true;
  std::string stem = text::Upper(name.substr(0, name.find_first_of(".:")));
  stem.erase(stem.find_last_not_of(' ') + 1);
  static const char* const kDevices[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$", "CLOCK$"};
  for (const char* device : kDevices)
    if (stem == device) return true;
  if (stem.size() != 4 || (stem.compare(0, 3, "COM") != 0 && stem.compare(0, 3, "LPT") != 0)) return false;
  const char unit = stem[3];
  return (unit >= '0' && unit <= '9') || unit == '\xB9' || unit == '\xB2' || unit == '\xB3';
}

// The local path for `address`: the folder and the last segment after "/" or "\", cut to
// 80 characters within the segment. Empty when there is no file name to keep.
std::string LocalPathFor(const std::string& address) {
  const std::size_t slash = address.find_last_of("/\\");
  if (slash == std::string::npos) return {};
  const std::string folder = TempDirectory();
  if (folder.size() >= kMaxLocalPathChars) return {};
  std::string name = address.substr(slash + 1, kMaxLocalPathChars - folder.size());
  if (NamesNoFileInFolder(name)) return {};
  return folder + name;
}

}  // namespace

bool IsHttpAddress(const char* file_text) {
  return file_text != nullptr && text::Upper(file_text).find("HTTP:") != std::string::npos;
}

Download DownloadUrl(std::string& file_text, auto_delete_file& fetched) {
  const std::string address = text::ClipTo(file_text.c_str(), kMaxAddressChars);
  static const char kEmpty[] = "";
  Connection connection;
  connection.session = OpenInternetSession();
  if (!connection.session) {
    host::ShowMessage("An error occurred calling InternetOpen function!");
    return Download::Failed;  // the connection closes what is open, address first
  }
  connection.address.reset(::InternetOpenUrlA(connection.session.get(), address.c_str(), kEmpty, 0,
                                                              INTERNET_FLAG_EXISTING_CONNECT, 0));
  if (!connection.address) {
    host::ShowMessage("An error occurred calling InternetOpenUrl function!");
    return Download::Failed;  // the connection closes what is open, address first
  }
  const std::string local_path = LocalPathFor(address);
  if (local_path.empty()) return Download::Skipped;
  file_text = local_path;
  // A name that no file can have (a query string's "?", say) is not worth the transfer.
  const bool storable = local_path.find_first_of("<>:\"|?*", TempDirectory().size()) == std::string::npos;
  if (!storable) return Download::Done;
  // No limits here, and a body that ends early is kept as far as it came: the load then
  // finds what the server gave.
  if (const unique_file file = NewBodyFile(fetched)) CopyBody(connection.address.get(), BodyLimits{}, file.get());
  return Download::Done;
}

void KeepDownload(auto_delete_file& fetched, std::string& local_path) {
  if (fetched && ::MoveFileExA(fetched.get().c_str(), local_path.c_str(), MOVEFILE_REPLACE_EXISTING))
    fetched.release();
  else
    local_path.clear();
}

}  // namespace pixet
