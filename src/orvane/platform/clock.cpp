#include <orvane/platform/clock.h>

#include <algorithm>
#include <charconv>
#include <cstdio>

namespace orvane {
namespace {

bool readNumber(std::string_view text, std::size_t at, std::size_t digits, int& out) {
  if (at + digits > text.size()) return false;
  for (std::size_t i = at; i < at + digits; ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
  }
  return std::from_chars(text.data() + at, text.data() + at + digits, out).ec == std::errc();
}

// The instants four-digit years can write in UTC.
constexpr std::chrono::sys_seconds kEarliest =
    std::chrono::sys_days{std::chrono::year{0} / std::chrono::January / 1};
constexpr std::chrono::sys_seconds kLatest =
    std::chrono::sys_days{std::chrono::year{9999} / std::chrono::December / 31} + std::chrono::hours{23} +
    std::chrono::minutes{59} + std::chrono::seconds{59};

}  // namespace

std::string iso8601String(Date date) {
  using namespace std::chrono;
  const auto seconds = std::clamp(floor<std::chrono::seconds>(date), kEarliest, kLatest);
  auto days = floor<std::chrono::days>(seconds);
  year_month_day ymd{days};
  hh_mm_ss time{seconds - days};
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%04d-%02u-%02uT%02d:%02d:%02dZ", static_cast<int>(ymd.year()),
                static_cast<unsigned>(ymd.month()), static_cast<unsigned>(ymd.day()),
                static_cast<int>(time.hours().count()), static_cast<int>(time.minutes().count()),
                static_cast<int>(time.seconds().count()));
  return buffer;
}

std::optional<Date> parseIso8601(std::string_view text) {
  using namespace std::chrono;
  // yyyy-mm-ddThh:mm:ss followed by Z or ±hh:mm
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
  if (text.size() < 20 || text[4] != '-' || text[7] != '-' || text[10] != 'T' || text[13] != ':' ||
      text[16] != ':')
    return std::nullopt;
  if (!readNumber(text, 0, 4, year) || !readNumber(text, 5, 2, month) || !readNumber(text, 8, 2, day) ||
      !readNumber(text, 11, 2, hour) || !readNumber(text, 14, 2, minute) || !readNumber(text, 17, 2, second))
    return std::nullopt;
  if (hour > 23 || minute > 59 || second > 59) return std::nullopt;

  int offsetMinutes = 0;
  std::string_view zone = text.substr(19);
  if (zone == "Z") {
    offsetMinutes = 0;
  } else if (zone.size() == 6 && (zone[0] == '+' || zone[0] == '-') && zone[3] == ':') {
    int offsetHours = 0, offsetMins = 0;
    if (!readNumber(zone, 1, 2, offsetHours) || !readNumber(zone, 4, 2, offsetMins) || offsetHours > 23 ||
        offsetMins > 59)
      return std::nullopt;
    offsetMinutes = (offsetHours * 60 + offsetMins) * (zone[0] == '-' ? -1 : 1);
  } else {
    return std::nullopt;
  }

  year_month_day ymd{std::chrono::year{year}, std::chrono::month{static_cast<unsigned>(month)},
                     std::chrono::day{static_cast<unsigned>(day)}};
  if (!ymd.ok()) return std::nullopt;
  const sys_seconds instant =
      sys_days{ymd} + hours{hour} + minutes{minute} + seconds{second} - minutes{offsetMinutes};
  if (instant < kEarliest || instant > kLatest) return std::nullopt;
  return Date{instant};
}

}  // namespace orvane
