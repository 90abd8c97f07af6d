#include "selection.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "identifiers.h"
#include "time_text.h"

namespace orvane::service::content {
namespace {

using nlohmann::json;

const std::string kOriginMarker = "{{origin}}";

bool isLive(const json& record, std::chrono::sys_seconds now) {
  const auto bound = [&](const char* key) -> std::optional<std::chrono::sys_seconds> {
    auto found = record.find(key);
    if (found == record.end() || !found->is_string()) return std::nullopt;
    return parseDateTime(found->get_ref<const std::string&>());
  };
  const auto start = bound("startAt"), end = bound("endAt");
  return (!start || *start <= now) && (!end || now < *end);
}

// A listed locale reaches the request's locale itself and, when it names a language alone,
// every region of it: "fr" reaches "fr-CA", "fr-CA" does not reach "fr".
bool localeMatches(const std::string& listed, const std::string& requested) {
  const auto want = lowercase(requested), entry = lowercase(listed);
  if (entry == want) return true;
  const auto dash = want.find('-');
  return dash != std::string::npos && entry == want.substr(0, dash);
}

bool isMeantFor(const json& record, const Audience& audience) {
  const auto listMatches = [&](const char* key, const std::string& requested, auto matches) {
    auto found = record.find(key);
    if (found == record.end() || !found->is_array() || found->empty()) return true;
    if (requested.empty()) return false;
    return std::any_of(found->begin(), found->end(), [&](const json& entry) {
      return entry.is_string() && matches(entry.get_ref<const std::string&>(), requested);
    });
  };
  return listMatches("locales", audience.locale, localeMatches) &&
         listMatches("countries", audience.country,
                     [](const std::string& listed, const std::string& requested) {
                       return lowercase(listed) == lowercase(requested);
                     });
}

std::optional<std::int64_t> priorityOf(const json& record) {
  auto found = record.find("priority");
  if (found == record.end() || !found->is_number_integer()) return std::nullopt;
  return found->get<std::int64_t>();
}

void replaceIn(json& value, const std::string& origin) {
  if (value.is_string()) {
    auto& text = value.get_ref<std::string&>();
    for (auto at = text.find(kOriginMarker); at != std::string::npos; at = text.find(kOriginMarker, at + origin.size()))
      text.replace(at, kOriginMarker.size(), origin);
  } else if (value.is_structured()) {
    for (auto& child : value) replaceIn(child, origin);
  }
}

}  // namespace

json liveSelection(const json& document, storage::ContentKind kind, std::chrono::system_clock::time_point now,
                   const Audience& audience) {
  const char* listKey = kind == storage::ContentKind::stories ? "groups" : "banners";
  std::vector<const json*> chosen;
  for (const auto& record : document.at(listKey))
    if (isLive(record, std::chrono::floor<std::chrono::seconds>(now)) && isMeantFor(record, audience)) chosen.push_back(&record);
  std::stable_sort(chosen.begin(), chosen.end(), [](const json* a, const json* b) {
    const auto left = priorityOf(*a), right = priorityOf(*b);
    if (left && right) return *left < *right;
    return left.has_value() && !right.has_value();
  });

  json answer = document;
  auto& list = answer[listKey];
  list = json::array();
  for (const json* record : chosen) {
    auto& kept = list.emplace_back(*record);
    kept.erase("locales");
    kept.erase("countries");
  }
  return answer;
}

std::optional<std::chrono::system_clock::time_point> nextScheduleChange(const json& document, storage::ContentKind kind,
                                                                         std::chrono::system_clock::time_point now) {
  const char* listKey = kind == storage::ContentKind::stories ? "groups" : "banners";
  const auto second = std::chrono::floor<std::chrono::seconds>(now);
  std::optional<std::chrono::sys_seconds> next;
  for (const auto& record : document.at(listKey)) {
    for (const char* key : {"startAt", "endAt"}) {
      auto found = record.find(key);
      if (found == record.end() || !found->is_string()) continue;
      auto at = parseDateTime(found->get_ref<const std::string&>());
      if (at && *at > second && (!next || *at < *next)) next = *at;
    }
  }
  // Content may be scheduled up to the year 9999; the clock counts nanoseconds only to 2262.
  const auto latest = std::chrono::floor<std::chrono::seconds>(std::chrono::system_clock::time_point::max());
  if (!next || *next > latest) return std::nullopt;
  return std::chrono::system_clock::time_point(*next);
}

void replaceOrigin(json& document, const std::string& origin) { replaceIn(document, origin); }

}  // namespace orvane::service::content
