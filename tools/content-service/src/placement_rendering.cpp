#include "placement_rendering.h"

#include <ctime>

namespace orvane::service {
namespace {

const std::string kOriginMarker = "{{origin}}";

void replaceOrigin(nlohmann::json& value, const std::string& origin) {
  if (value.is_string()) {
    auto& text = value.get_ref<std::string&>();
    for (auto at = text.find(kOriginMarker); at != std::string::npos; at = text.find(kOriginMarker, at + origin.size()))
      text.replace(at, kOriginMarker.size(), origin);
  } else if (value.is_structured()) {
    for (auto& child : value) replaceOrigin(child, origin);
  }
}

}  // namespace

nlohmann::json storiesForUser(nlohmann::json stories, const VoteLedger& ledger, const std::string& userId) {
  for (auto& group : stories.at("groups")) {
    for (auto& item : group.at("items")) {
      const auto itemId = item.at("id").get<std::string>();
      if (!ledger.hasItem(itemId)) continue;
      for (auto& option : item.at("widgetOptions")) option["voteCount"] = ledger.count(option.at("id").get<std::string>());
      if (userId.empty()) continue;
      if (auto vote = ledger.userVote(userId, itemId))
        item["userVote"] = {{"optionId", vote->optionId}, {"votedAt", iso8601(vote->votedAt)}};
    }
  }
  return stories;
}

nlohmann::json withOrigin(nlohmann::json document, const std::string& origin) {
  replaceOrigin(document, origin);
  return document;
}

std::string iso8601(std::chrono::system_clock::time_point time) {
  const std::time_t seconds = std::chrono::system_clock::to_time_t(time);
  std::tm parts{};
  gmtime_r(&seconds, &parts);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &parts);
  return text;
}

}  // namespace orvane::service
