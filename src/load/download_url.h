// Fetching an image given by HTTP address into the temporary folder, for LoadImage.
#pragma once

#include <string>

namespace pixet {

enum class Download {
  Done,     // the file text now names the downloaded file
  Skipped,  // the address names no file to keep; the file text is unchanged
  Failed,   // the message has been shown; the load ends with 0
};

// Whether LoadImage takes `file_text` (as passed, blanks included) for an address.
bool IsHttpAddress(const char* file_text);

// Requests the address in `file_text` (trailing blanks removed, at most 511 characters)
// and stores the answer's body as it arrives under the address's last segment in the
// temporary folder. The caller holds the working-files lock.
Download DownloadUrl(std::string& file_text);

}  // namespace pixet
