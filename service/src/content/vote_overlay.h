#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "storage/store.h"

namespace orvane::service::content {

// The poll and quiz ids of a stories document, in lower case.
struct VotableIds {
  std::vector<std::string> itemIds;    // items with options
  std::vector<std::string> optionIds;
};
VotableIds votableIds(const nlohmann::json& stories);

// Every option's "voteCount" set from `counts` (keyed by lower-case option id); options without
// a count keep what they have. Everything else stays as it is.
void overlayCounts(nlohmann::json& stories, const std::map<std::string, std::int64_t>& counts);

// "userVote" {"optionId", "votedAt"} on each item the user voted on (keyed by lower-case item id).
void overlayUserVotes(nlohmann::json& stories, const std::map<std::string, storage::UserVote>& votes);

}  // namespace orvane::service::content
