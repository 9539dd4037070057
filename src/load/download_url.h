// Fetching an image given by HTTP address into the temporary folder, for LoadImage.
#pragma once

#include <string>

#include "base/unique_any.h"

namespace pixet {

enum class Download {
  Done,     // the file text now names the downloaded file
  Skipped,  // the address names no file to keep; the file text is unchanged
  Failed,   // the message has been shown; the load ends with 0
};

// Whether LoadImage takes `file_text` (trailing blanks removed) for an address.
bool IsHttpAddress(const std::wstring& file_text);

// Requests the address in `file_text` (trailing blanks removed, at most 511 characters)
// and stores the answer's body as it arrives in a file of its own in the temporary folder,
// owned by `fetched`; `file_text` becomes the path named after the address's last segment.
// Runs without the working-files lock.
Download DownloadUrl(std::wstring& file_text, auto_delete_wide_file& fetched);

// Under the working-files lock, after a Done: gives the fetched body its name `local_path`, in
// place of any file of that name. When it cannot (nothing fetched, or the name read-only or
// held open by another handle), the fetched file goes and `local_path` is emptied: an older
// file of that name must not pass for the body, so the load finds no image.
void KeepDownload(auto_delete_wide_file& fetched, std::wstring& local_path);

}  // namespace pixet
