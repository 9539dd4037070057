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
// COM and LPT take a digit or a superscript one, two or three.
bool NamesNoFileInFolder(const std::wstring& name) {
  if (name.find_first_not_of(L". ") == std::wstring::npos) return true;
  std::wstring stem = text::Upper(name.substr(0, name.find_first_of(L".:")));
  stem.erase(stem.find_last_not_of(L' ') + 1);
  static const wchar_t* const kDevices[] = {L"CON", L"PRN", L"AUX", L"NUL", L"CONIN$", L"CONOUT$", L"CLOCK$"};
  for (const wchar_t* device : kDevices)
    if (stem == device) return true;
  if (stem.size() != 4 || (stem.compare(0, 3, L"COM") != 0 && stem.compare(0, 3, L"LPT") != 0)) return false;
  const wchar_t unit = stem[3];
  return (unit >= L'0' && unit <= L'9') || unit == L'\u00B9' || unit == L'\u00B2' || unit == L'\u00B3';
}

// The local path for `address`: the folder and the last segment after "/" or "\", cut to
// 80 characters (UTF-16 units, a pair beyond the BMP kept whole or dropped) within the segment. Empty when there is no file name to keep.
std::wstring LocalPathFor(const std::wstring& address, const std::wstring& folder) {
  const std::size_t slash = address.find_last_of(L"/\\");
  if (slash == std::wstring::npos) return {};
  if (folder.size() >= kMaxLocalPathChars) return {};
  std::wstring name = address.substr(slash + 1, kMaxLocalPathChars - folder.size());
  if (!name.empty() && IS_HIGH_SURROGATE(name.back())) name.pop_back();  // never half a character
  if (NamesNoFileInFolder(name)) return {};
  return folder + name;
}

}  // namespace

bool IsHttpAddress(const std::wstring& file_text) {
  return text::Upper(file_text).find(L"HTTP:") != std::wstring::npos;
}

Download DownloadUrl(std::wstring& file_text, auto_delete_wide_file& fetched) {
  const std::wstring address = file_text.substr(0, kMaxAddressChars);
  static const wchar_t kEmpty[] = L"";
  Connection connection;
  connection.session = OpenInternetSession();
  if (!connection.session) {
    host::ShowMessage("An error occurred calling InternetOpen function!");
    return Download::Failed;  // the connection closes what is open, address first
  }
  connection.address.reset(::InternetOpenUrlW(connection.session.get(), EncodedAddress(address).c_str(), kEmpty, 0,
                                                              INTERNET_FLAG_EXISTING_CONNECT, 0));
  if (!connection.address) {
    host::ShowMessage("An error occurred calling InternetOpenUrl function!");
    return Download::Failed;  // the connection closes what is open, address first
  }
  const std::wstring folder = TempDirectoryW();
  const std::wstring local_path = LocalPathFor(address, folder);
  if (local_path.empty()) return Download::Skipped;
  file_text = local_path;
  // A name that no file can have (a query string's "?", say) is not worth the transfer.
  const bool storable = local_path.find_first_of(L"<>:\"|?*", folder.size()) == std::wstring::npos;
  if (!storable) return Download::Done;
  // No limits here, and a body that ends early is kept as far as it came: the load then
  // finds what the server gave.
  if (const unique_file file = NewBodyFile(fetched)) CopyBody(connection.address.get(), BodyLimits{}, file.get());
  return Download::Done;
}

void KeepDownload(auto_delete_wide_file& fetched, std::wstring& local_path) {
  if (fetched && ::MoveFileExW(fetched.get().c_str(), local_path.c_str(), MOVEFILE_REPLACE_EXISTING))
    fetched.release();
  else
    local_path.clear();
}

}  // namespace pixet
