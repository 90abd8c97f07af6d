#include "flags.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>

namespace orvane::service::cli {
namespace {

const Flag* findFlag(const std::vector<Flag>& flags, std::string_view name) {
  const auto found =
      std::find_if(flags.begin(), flags.end(), [&](const Flag& flag) { return flag.name == name; });
  return found == flags.end() ? nullptr : &*found;
}

std::optional<bool> switchValue(std::string_view text) {
  if (text == "1" || text == "true" || text == "yes" || text == "on") return true;
  if (text == "0" || text == "false" || text == "no" || text == "off" || text.empty()) return false;
  return std::nullopt;
}

}  // namespace

Environment processEnvironment() {
  return [](const std::string& name) -> std::optional<std::string> {
    const char* value = std::getenv(name.c_str());
    if (value == nullptr) return std::nullopt;
    return std::string(value);
  };
}

ParsedFlags parseFlags(const std::vector<Flag>& flags, const std::vector<std::string>& arguments,
                       const Environment& environment) {
  ParsedFlags parsed;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (argument == "--help" || argument == "-h") {
      parsed.helpAsked_ = true;
      continue;
    }
    if (argument.rfind("--", 0) != 0 || argument == "--") {
      if (argument.size() > 1 && argument.front() == '-') throw UsageError("unknown option " + argument);
      parsed.positional_.push_back(argument);
      continue;
    }
    const std::size_t equals = argument.find('=');
    const std::string name = argument.substr(2, equals == std::string::npos ? std::string::npos : equals - 2);
    const Flag* flag = findFlag(flags, name);
    if (flag == nullptr) throw UsageError("unknown option --" + name);
    std::string value;
    if (flag->valueName.empty()) {
      if (equals != std::string::npos) throw UsageError("--" + name + " takes no value");
      value = "1";
    } else if (equals != std::string::npos) {
      value = argument.substr(equals + 1);
    } else {
      if (i + 1 >= arguments.size()) throw UsageError("missing " + flag->valueName + " after --" + name);
      value = arguments[++i];
    }
    parsed.values_[name] = std::move(value);
    parsed.sources_[name] = "--" + name;
  }
  for (const Flag& flag : flags) {
    if (parsed.values_.count(flag.name) != 0) continue;
    if (!flag.environment.empty()) {
      if (auto value = environment(flag.environment)) {
        if (flag.valueName.empty()) {
          const std::optional<bool> on = switchValue(*value);
          if (!on) throw UsageError(flag.environment + " must be 1 or 0, not \"" + *value + "\"");
          *value = *on ? "1" : "0";
        }
        parsed.values_[flag.name] = *value;
        parsed.sources_[flag.name] = flag.environment;
        continue;
      }
    }
    if (!flag.defaultValue.empty()) {
      parsed.values_[flag.name] = flag.defaultValue;
      parsed.sources_[flag.name] = "the default of --" + flag.name;
    }
  }
  return parsed;
}

std::optional<std::string> ParsedFlags::value(const std::string& name) const {
  const auto found = values_.find(name);
  if (found == values_.end()) return std::nullopt;
  return found->second;
}

std::string ParsedFlags::text(const std::string& name) const { return value(name).value_or(""); }

bool ParsedFlags::enabled(const std::string& name) const {
  const auto found = values_.find(name);
  return found != values_.end() && found->second == "1";
}

std::int64_t ParsedFlags::integer(const std::string& name, std::int64_t min, std::int64_t max) const {
  const std::string text = this->text(name);
  std::int64_t number = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
  if (text.empty() || error != std::errc() || end != text.data() + text.size() || number < min ||
      number > max) {
    throw UsageError(sources_.at(name) + " must be a whole number from " + std::to_string(min) + " to " +
                     std::to_string(max) + ", not \"" + text + "\"");
  }
  return number;
}

std::uint64_t ParsedFlags::bytes(const std::string& name) const {
  const std::string text = this->text(name);
  std::uint64_t number = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
  const std::string_view suffix(end, static_cast<std::size_t>(text.data() + text.size() - end));
  std::uint64_t unit = 0;
  if (suffix.empty()) unit = 1;
  if (suffix == "KiB") unit = 1024;
  if (suffix == "MiB") unit = 1024 * 1024;
  if (suffix == "GiB") unit = 1024 * 1024 * 1024;
  constexpr std::uint64_t kMost = std::uint64_t{1} << 40;
  if (text.empty() || error != std::errc() || end == text.data() || unit == 0 || number == 0 ||
      number > kMost / unit) {
    throw UsageError(sources_.at(name) + " must be a byte count such as 1048576, 512KiB or 20MiB, not \"" +
                     text + "\"");
  }
  return number * unit;
}

std::string usage(std::string_view synopsis, std::string_view summary, const std::vector<Flag>& flags) {
  constexpr std::size_t kColumn = 24;
  const std::string indent(kColumn, ' ');
  std::string text = "usage: " + std::string(synopsis) + "\n" + std::string(summary) + "\n";
  if (!flags.empty()) text += "\noptions (a flag beats its environment variable, which beats the default):\n";
  for (const Flag& flag : flags) {
    std::string left = "  --" + flag.name + (flag.valueName.empty() ? "" : " " + flag.valueName);
    left = left.size() < kColumn ? left + std::string(kColumn - left.size(), ' ') : left + "\n" + indent;
    text += left + flag.help + "\n";
    std::string notes;
    if (!flag.environment.empty()) notes += "env " + flag.environment;
    if (!flag.defaultValue.empty())
      notes += (notes.empty() ? "" : ", ") + std::string("default ") + flag.defaultValue;
    if (!notes.empty()) text += indent + "(" + notes + ")\n";
  }
  text += "  --help" + std::string(kColumn - 8, ' ') + "this help\n";
  return text;
}

}  // namespace orvane::service::cli
