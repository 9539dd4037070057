// What the two downloads share, LoadImage's (an "http:" address, no limits) and
// LoadImageFromWeb's (the object's limits): the session set-up, the file a body goes to,
// and the one body copier.
#pragma once

#include <windows.h>
#include <wininet.h>

#include <cstdint>
#include <string>

#include "base/unique_any.h"
#include "core/internet.h"

namespace pixet {

struct BodyLimits {
  std::uint64_t max_bytes = UINT64_MAX;  // the largest body kept
  DWORD timeout_ms = MAXDWORD;           // a read that fails after this long has timed out
};

enum class BodyEnd { Whole, TooLarge, Cut, TimedOut, Disk };

// A WinINet session as "Pixet", with the system's proxy settings; empty when none opens.
unique_internet OpenInternetSession();

// A new empty file with a name of its own in the temporary folder ("pxw*.tmp"), owned by
// `owner`, opened for writing. Empty when none can be made; `owner` then holds the name of
// a file made but not opened, or none.
unique_file NewBodyFile(auto_delete_wide_file& owner);

// A header of the answer to `request` as text; empty when it has none.
std::wstring QueryHeader(HINTERNET request, DWORD what);

// `address` as WinINet must send it: every character outside ASCII as its UTF-8 bytes,
// percent-encoded (an address as a browser sends it); the rest unchanged.
std::wstring EncodedAddress(const std::wstring& address);

// Whether a failure with `error`, in a wait that began at `started`, came from the time limit
// (the system reports a silent server as a timeout or as a connection it gave up).
bool TimedOut(DWORD error, DWORD started, DWORD limit_ms);

// Appends the answer's body to `file` until it ends. A body over `max_bytes`, announced or
// read, ends as TooLarge; one shorter than announced as Cut; a read that fails ends as Cut or
// TimedOut, a write as Disk. What was written stays.
BodyEnd CopyBody(HINTERNET request, const BodyLimits& limits, HANDLE file);

}  // namespace pixet
