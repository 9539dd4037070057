#include "cli_host.h"

namespace cli {

thread_local std::string* CliHost::messages_ = nullptr;

}  // namespace cli
