#include "core/working_files.h"

namespace pixet {

std::recursive_mutex& WorkingFilesMutex() {
  static std::recursive_mutex mutex;
  return mutex;
}

}  // namespace pixet
