#include "time_text.h"

#include <ctime>

namespace orvane::service::content {
namespace {

// The number of `width` digits at `at`, or -1.
int digits(std::string_view text, std::size_t at, std::size_t width) {
  if (at + width > text.size()) return -1;
  int value = 0;
  for (std::size_t i = at; i < at + width; ++i) {
    if (text[i] < '0' || text[i] > '9') return -1;
    value = value * 10 + (text[i] - '0');
  }
  return value;
}

bool isLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int daysInMonth(int year, int month) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && isLeapYear(year) ? 29 : kDays[month - 1];
}

}  // namespace

std::optional<std::chrono::sys_seconds> parseDateTime(std::string_view text) {
  // YYYY-MM-DDTHH:MM:SS then Z or +HH:MM / -HH:MM
  if (text.size() != 20 && text.size() != 25) return std::nullopt;
  if (text[4] != '-' || text[7] != '-' || (text[10] != 'T' && text[10] != 't') || text[13] != ':' ||
      text[16] != ':')
    return std::nullopt;
  const int year = digits(text, 0, 4), month = digits(text, 5, 2), day = digits(text, 8, 2);
  const int hour = digits(text, 11, 2), minute = digits(text, 14, 2), second = digits(text, 17, 2);
  if (year < 1 || month < 1 || month > 12 || day < 1 || hour < 0 || hour > 23 || minute < 0 || minute > 59 ||
      second < 0 || second > 59 || day > daysInMonth(year, month))
    return std::nullopt;
  int offsetMinutes = 0;
  if (text.size() == 20) {
    if (text[19] != 'Z' && text[19] != 'z') return std::nullopt;
  } else {
    const int offsetHours = digits(text, 20, 2), offsetRest = digits(text, 23, 2);
    if ((text[19] != '+' && text[19] != '-') || text[22] != ':' || offsetHours < 0 || offsetHours > 23 ||
        offsetRest < 0 || offsetRest > 59)
      return std::nullopt;
    offsetMinutes = (offsetHours * 60 + offsetRest) * (text[19] == '-' ? -1 : 1);
  }
  using namespace std::chrono;
  const sys_days date = year_month_day{std::chrono::year{year}, std::chrono::month{static_cast<unsigned>(month)},
                                       std::chrono::day{static_cast<unsigned>(day)}};
  return sys_seconds{date} + hours(hour) + minutes(minute) + seconds(second) - minutes(offsetMinutes);
}

std::string formatDateTime(std::chrono::system_clock::time_point time) {
  const std::time_t seconds = std::chrono::system_clock::to_time_t(time);
  std::tm parts{};
  gmtime_r(&seconds, &parts);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &parts);
  return text;
}

}  // namespace orvane::service::content
