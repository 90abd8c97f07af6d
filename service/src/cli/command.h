#pragma once

#include <functional>
#include <string>
#include <vector>

#include "flags.h"

namespace orvane::service::cli {

// One of orvane-content-service's commands. `run` returns the exit status; it throws UsageError
// for a command line it cannot use (status 2) and anything else for a failure (status 1).
struct Command {
  std::string name;
  std::string synopsis;
  std::string summary;
  std::vector<Flag> flags;
  std::size_t positionalCount = 0;  // the operands it takes, exactly (at least, with a larger maximum)
  std::function<int(const ParsedFlags&)> run;
  std::size_t positionalMaximum = 0;
};

Command serveCommand();
Command importCommand();
Command exportCommand();
Command reportCommand();
Command backupCommand();
Command userCommand();

// Flags several commands share.
Flag databaseFlag();
Flag appFlag();

}  // namespace orvane::service::cli
