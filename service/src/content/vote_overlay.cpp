#include "vote_overlay.h"

#include "identifiers.h"
#include "time_text.h"

namespace orvane::service::content {
namespace {

using nlohmann::json;

// Calls `visit` for every item of the document that has a list of widget options.
template <typename Document, typename Visit>
void forEachVotableItem(Document& stories, Visit visit) {
  for (auto& group : stories.at("groups")) {
    for (auto& item : group.at("items")) {
      auto options = item.find("widgetOptions");
      if (options != item.end() && options->is_array() && !options->empty()) visit(item, *options);
    }
  }
}

}  // namespace

VotableIds votableIds(const json& stories) {
  VotableIds ids;
  forEachVotableItem(stories, [&](const json& item, const json& options) {
    ids.itemIds.push_back(lowercase(item.at("id").get_ref<const std::string&>()));
    for (const auto& option : options) ids.optionIds.push_back(lowercase(option.at("id").get_ref<const std::string&>()));
  });
  return ids;
}

void overlayCounts(json& stories, const std::map<std::string, std::int64_t>& counts) {
  forEachVotableItem(stories, [&](json&, json& options) {
    for (auto& option : options) {
      auto count = counts.find(lowercase(option.at("id").get_ref<const std::string&>()));
      if (count != counts.end()) option["voteCount"] = count->second;
    }
  });
}

void overlayUserVotes(json& stories, const std::map<std::string, storage::UserVote>& votes) {
  if (votes.empty()) return;
  forEachVotableItem(stories, [&](json& item, json&) {
    auto vote = votes.find(lowercase(item.at("id").get_ref<const std::string&>()));
    if (vote != votes.end())
      item["userVote"] = {{"optionId", vote->second.optionId}, {"votedAt", formatDateTime(vote->second.votedAt)}};
  });
}

}  // namespace orvane::service::content
