#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "storage/store.h"

namespace orvane::service::content {

// A stories or banners answer serialized once, with the places where one user's own votes go, so
// an answer for a user who voted costs a splice instead of a rebuild.
struct AnswerText {
  struct VoteSlot {
    std::size_t offset = 0;  // where the item's "userVote" member goes in `text`
    std::string itemId;      // lower case
    bool firstMember = false;  // the member opens its object: a comma follows it, none precedes
  };
  std::string text;
  std::vector<VoteSlot> slots;  // in text order
};

// `answer` as JSON text (counts already laid over), with a slot on every item that has options.
AnswerText answerText(nlohmann::json answer);

// The text with "userVote" {"optionId", "votedAt"} on each item of `votes` (keyed by lower-case item id).
std::string withUserVotes(const AnswerText& answer, const std::map<std::string, storage::UserVote>& votes);

}  // namespace orvane::service::content
