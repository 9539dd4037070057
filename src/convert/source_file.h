// Sources given as a control number: the control's image goes through a working file.
#pragma once

#include <optional>
#include <string>

#include "base/unique_any.h"
#include "core/working_files.h"

namespace pixet {

// The working file that holds a control's image while it is converted.
inline constexpr char kControlImageFile[] = "_vb_.xac";

// The file to load for `source`, and ownership of the working file when one was written.
// A source that is a whole number from 1 to 32767 (leading zeros allowed: "0007" is 7)
// names an image control of the current target window: its image (property 7CB6h) is
// written to "_vb_.xac", which is deleted when this object goes away; the working-files
// lock is held from before the write until after the delete. When that file cannot be
// written fresh, file() is empty and names nothing. Anything else is itself the file name,
// and no lock is taken.
class ResolvedSource {
 public:
  // `source` with its trailing blanks removed.
  explicit ResolvedSource(const std::wstring& source);
  ResolvedSource(const ResolvedSource&) = delete;
  ResolvedSource& operator=(const ResolvedSource&) = delete;

  const std::wstring& file() const { return file_; }

 private:
  std::optional<WorkingFilesLock> lock_;  // released after written_ has deleted the file
  auto_delete_file written_;
  std::wstring file_;
};

// The field number that `source` names, or 0 when it is a file name.
short ControlNumberOf(const char* source);

}  // namespace pixet
