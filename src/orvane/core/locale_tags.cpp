#include <orvane/core/locale_tags.h>

#include <orvane/platform/ascii_text.h>

#include <algorithm>
#include <string_view>
#include <vector>

namespace orvane {
namespace {

bool isLettersOfLength(std::string_view text, std::size_t minimum, std::size_t maximum, char first,
                       char last) {
  return text.size() >= minimum && text.size() <= maximum &&
         std::all_of(text.begin(), text.end(), [=](char c) { return c >= first && c <= last; });
}

// "en_US@calendar=gregorian" -> "en_US"; "@x" -> "x" (an empty side is dropped).
std::string_view withoutKeywords(std::string_view identifier) {
  auto at = identifier.find('@');
  if (at == std::string_view::npos) return identifier;
  auto before = identifier.substr(0, at);
  return before.empty() ? identifier.substr(at + 1) : before;
}

std::vector<std::string> tagParts(std::string_view identifier) {
  std::vector<std::string> parts;
  std::string current;
  for (char c : withoutKeywords(identifier)) {
    if (c == '-' || c == '_') {
      if (!current.empty()) parts.push_back(std::move(current));
      current.clear();
    } else {
      current.push_back(c);
    }
  }
  if (!current.empty()) parts.push_back(std::move(current));
  return parts;
}

std::optional<std::string> upperCasedRegion(const LocaleInfo& locale, std::size_t maximumLength) {
  auto region = locale.regionCode();
  if (!region) return std::nullopt;
  region = asciiUppercased(*std::move(region));
  if (!isLettersOfLength(*region, 2, maximumLength, 'A', 'Z')) return std::nullopt;
  return region;
}

}  // namespace

std::optional<std::string> requestLocale(const LocaleInfo& locale) {
  auto parts = tagParts(locale.identifier());
  if (parts.empty()) return std::nullopt;

  std::string language = asciiLowercased(parts[0].substr(0, 8));
  if (!isLettersOfLength(language, 2, 8, 'a', 'z')) return std::nullopt;
  if (parts.size() < 2) return language;

  const std::string region = asciiUppercased(parts[1]);
  if (!isLettersOfLength(region, 2, 8, 'A', 'Z')) return language;
  return language + "-" + region;
}

std::string sdkLocale(const LocaleInfo& locale) { return requestLocale(locale).value_or("en"); }

std::optional<std::string> requestCountry(const LocaleInfo& locale) { return upperCasedRegion(locale, 8); }

std::optional<std::string> analyticsCountry(const LocaleInfo& locale) { return upperCasedRegion(locale, 2); }

}  // namespace orvane
