// Whether two file names given to Win32 calls name one file.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace pixet::cli {

// Two targets of a batch that would be one file: `first` < `second`.
struct Twins {
  std::size_t first;
  std::size_t second;
};

// The first pair of `names` (by the later one's place) that Windows would store as one
// file; none when every name is a file of its own. Names are UTF-8 text. One file means:
// - one full path (relative parts, '/' and '.' or '..' resolved, the trailing dots and
//   blanks of the last component dropped, devices such as "con.png" as the device),
//   compared as the system compares file names, ignoring case ("É" is "é");
// - with the long name of every part that exists: an 8.3 short name is its long one;
// - or one name that does not exist yet but has the form of a generated short name
//   ("LONGER~1.PNG") the file system could give another of the names (not 8.3 itself)
//   when that one is written first.
std::optional<Twins> FirstTwins(const std::vector<std::string>& names);

}  // namespace pixet::cli
