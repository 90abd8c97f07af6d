// user: the console's users from the command line, above all the first owner.
#include <termios.h>
#include <unistd.h>

#include <iostream>

#include "accounts/accounts.h"
#include "command.h"
#include "storage/console_store.h"

namespace orvane::service::cli {
namespace {

// One line of standard input, not echoed when it is a terminal.
std::string readPassword() {
  const bool terminal = isatty(STDIN_FILENO) == 1;
  termios saved{};
  if (terminal) {
    std::cerr << "password (at least " << accounts::minPasswordLength << " characters): " << std::flush;
    tcgetattr(STDIN_FILENO, &saved);
    termios quiet = saved;
    quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
    tcsetattr(STDIN_FILENO, TCSANOW, &quiet);
  }
  std::string line;
  const bool read = static_cast<bool>(std::getline(std::cin, line));
  if (terminal) {
    tcsetattr(STDIN_FILENO, TCSANOW, &saved);
    std::cerr << "\n";
  }
  if (!read) throw UsageError("give the password as one line on standard input");
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return line;
}

storage::Role roleFrom(const ParsedFlags& flags) {
  const auto role = storage::roleNamed(flags.text("role"));
  if (!role) throw UsageError("--role is owner, editor or viewer");
  return *role;
}

int runUser(const ParsedFlags& flags) {
  const auto& arguments = flags.positional();
  const std::string& action = arguments.at(0);
  const auto needsName = [&] {
    if (arguments.size() != 2) throw UsageError("user " + action + " takes one NAME");
    return arguments[1];
  };
  if (action != "add" && action != "list" && action != "remove" && action != "role")
    throw UsageError("the user command is add, list, remove or role");
  if (action == "list" && arguments.size() != 1) throw UsageError("user list takes no NAME");

  auto store = storage::Store::open(flags.text("database"));
  storage::ConsoleStore& users = *store->console();
  if (action == "list") {
    for (const auto& user : users.users()) std::cout << user.name << "\t" << storage::roleName(user.role) << "\n";
    return 0;
  }
  const std::string name = needsName();
  if (action == "add") {
    if (auto problem = accounts::userNameProblem(name); !problem.empty()) throw UsageError(problem);
    const storage::Role role = roleFrom(flags);
    const std::string password = readPassword();
    if (auto problem = accounts::passwordProblem(password); !problem.empty()) throw UsageError(problem);
    const auto hash = accounts::hashPassword(password, accounts::PasswordHashing::interactive());
    if (!users.createUser(name, role, hash, std::chrono::system_clock::now()))
      throw std::runtime_error("a user " + name + " exists already");
    std::cout << "added " << name << " as " << storage::roleName(role) << "\n";
    return 0;
  }
  const auto outcome = action == "remove" ? users.removeUser(name) : users.updateUser(name, roleFrom(flags), std::nullopt);
  if (outcome == storage::UserChange::noSuchUser) throw std::runtime_error("no user " + name);
  if (outcome == storage::UserChange::lastOwner) throw std::runtime_error("the console needs at least one owner");
  if (action == "role") {
    // Sessions opened with the old rights end.
    if (auto user = users.userNamed(name)) users.removeSessionsOf(user->id, "");
  }
  std::cout << (action == "remove" ? "removed " : "changed the role of ") << name << "\n";
  return 0;
}

}  // namespace

Command userCommand() {
  return {"user",
          "orvane-content-service user add|list|remove|role [NAME] [options]",
          "Adds a console user (the password read as one line from standard input, at least 12\n"
          "characters), lists them, removes one, or changes one's role (--role).",
          {databaseFlag(), {"role", "", "ROLE", "viewer", "owner (apps, SDK keys, users), editor (content) or viewer (reports)"}},
          1,
          runUser,
          2};
}

}  // namespace orvane::service::cli
