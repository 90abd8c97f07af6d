// orvane-content-service: the content service and the commands that look after its database.
#include <algorithm>
#include <iostream>
#include <string>
#include <vector>

#include "command.h"

namespace {

using orvane::service::cli::Command;

std::vector<Command> allCommands() {
  using namespace orvane::service::cli;
  return {serveCommand(), importCommand(), exportCommand(), reportCommand(), backupCommand(), userCommand()};
}

std::string overview(const std::vector<Command>& commands) {
  std::string text =
      "usage: orvane-content-service [COMMAND] [options]\n"
      "The Orvane content service: stories and banners for the SDK, kept in SQLite or "
      "PostgreSQL.\n\ncommands:\n";
  for (const Command& command : commands)
    text += "  " + command.synopsis.substr(sizeof("orvane-content-service")) + "\n";
  text += "\nWithout a command it serves. `orvane-content-service COMMAND --help` tells more.\n";
  return text;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace orvane::service::cli;
  const std::vector<Command> commands = allCommands();
  std::vector<std::string> arguments(argv + 1, argv + argc);

  const Command* command = &commands.front();
  if (!arguments.empty() && arguments.front().rfind('-', 0) != 0) {
    command = nullptr;
    for (const Command& candidate : commands) {
      if (candidate.name == arguments.front()) command = &candidate;
    }
    if (command == nullptr) {
      std::cerr << "orvane-content-service: unknown command " << arguments.front() << "\n\n"
                << overview(commands);
      return 2;
    }
    arguments.erase(arguments.begin());
  } else if (!arguments.empty() && (arguments.front() == "--help" || arguments.front() == "-h")) {
    std::cout << overview(commands) << "\n" << usage(command->synopsis, command->summary, command->flags);
    return 0;
  }

  try {
    const ParsedFlags flags = parseFlags(command->flags, arguments, processEnvironment());
    if (flags.helpAsked()) {
      std::cout << usage(command->synopsis, command->summary, command->flags);
      return 0;
    }
    const std::size_t given = flags.positional().size();
    if (given < command->positionalCount || given > std::max(command->positionalCount, command->positionalMaximum)) {
      throw UsageError(command->positionalCount == 0
                           ? "unexpected argument " + flags.positional().front()
                           : "expected " + std::to_string(command->positionalCount) +
                                 " argument(s), see the usage");
    }
    return command->run(flags);
  } catch (const UsageError& error) {
    std::cerr << "orvane-content-service " << command->name << ": " << error.what() << "\n"
              << usage(command->synopsis, command->summary, command->flags);
    return 2;
  } catch (const std::exception& error) {
    std::cerr << "orvane-content-service " << command->name << ": " << error.what() << "\n";
    return 1;
  }
}
