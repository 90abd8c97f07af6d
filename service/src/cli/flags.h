#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace orvane::service::cli {

// A command line that cannot be understood; the message says what to change. Exit status 2.
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct Flag {
  std::string name;          // "port" is given as --port N or --port=N
  std::string environment;   // the variable read when the flag is absent ("ORVANE_PORT"); empty: none
  std::string valueName;     // "N" in the help; empty for a switch, which takes no value
  std::string defaultValue;  // used when neither flag nor variable is given; empty: unset
  std::string help;
};

// Reads an environment variable; nullopt when unset.
using Environment = std::function<std::optional<std::string>(const std::string&)>;
Environment processEnvironment();

// The values of one command's flags: the flag's own, else its variable's, else its default.
class ParsedFlags {
 public:
  bool helpAsked() const { return helpAsked_; }
  const std::vector<std::string>& positional() const { return positional_; }

  std::optional<std::string> value(const std::string& name) const;
  std::string text(const std::string& name) const;  // empty when unset
  bool enabled(const std::string& name) const;      // a switch
  // Whole numbers within [min, max]; a flag outside them is a UsageError naming the flag.
  std::int64_t integer(const std::string& name, std::int64_t min, std::int64_t max) const;
  // A byte count: digits with an optional KiB, MiB or GiB suffix ("20MiB").
  std::uint64_t bytes(const std::string& name) const;

 private:
  friend ParsedFlags parseFlags(const std::vector<Flag>&, const std::vector<std::string>&,
                                const Environment&);
  std::map<std::string, std::string> values_;
  std::map<std::string, std::string> sources_;  // "--port" or "ORVANE_PORT", for messages
  std::vector<std::string> positional_;
  bool helpAsked_ = false;
};

// Parses `arguments` (the command's, without the program and command names). An unknown flag, a
// missing value, or a value given to a switch is a UsageError.
ParsedFlags parseFlags(const std::vector<Flag>& flags, const std::vector<std::string>& arguments,
                       const Environment& environment);

// The command's help: its synopsis, then one line per flag with its variable and default.
std::string usage(std::string_view synopsis, std::string_view summary, const std::vector<Flag>& flags);

}  // namespace orvane::service::cli
