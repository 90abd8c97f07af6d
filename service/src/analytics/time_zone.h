#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orvane::service::analytics {

// An IANA time zone read from the system's compiled tz database (TZif files), since the standard
// library at hand has no time zone database. Past its last listed transition (2037 in Debian's
// files) the last offset holds.
class TimeZone {
 public:
  static TimeZone utc();
  // nullopt for a name that is not a zone of `database` (or not a safe relative path in it).
  static std::optional<TimeZone> load(std::string_view name,
                                      const std::filesystem::path& database = "/usr/share/zoneinfo");
  // Reads a TZif file's bytes; nullopt when they are not one.
  static std::optional<TimeZone> parse(std::string_view name, std::string_view bytes);

  const std::string& name() const { return name_; }
  // Local time minus UTC at an instant.
  std::chrono::seconds offsetAt(std::chrono::sys_seconds instant) const;
  // The first instant whose local date is `day` (midnight, or the end of a gap that skips it).
  std::chrono::sys_seconds startOf(std::chrono::sys_days day) const;

 private:
  std::string name_;
  std::vector<std::int64_t> transitions_;        // UTC seconds, ascending
  std::vector<std::int32_t> offsetAfter_;        // offset from each transition on
  std::int32_t initialOffset_ = 0;               // before the first transition
};

}  // namespace orvane::service::analytics
