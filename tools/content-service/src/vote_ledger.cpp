#include "vote_ledger.h"

#include <algorithm>
#include <cctype>

namespace orvane::service {

std::string lowercaseId(std::string id) {
  std::transform(id.begin(), id.end(), id.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return id;
}

void VoteLedger::addItem(const std::string& itemId, const std::vector<std::pair<std::string, std::int64_t>>& options) {
  auto& known = itemOptions_[lowercaseId(itemId)];
  for (const auto& [optionId, initialCount] : options) {
    auto id = lowercaseId(optionId);
    known.push_back(id);
    counts_[id] = initialCount;
  }
}

bool VoteLedger::hasItem(const std::string& itemId) const { return itemOptions_.count(lowercaseId(itemId)) != 0; }

VoteLedger::Outcome VoteLedger::record(const std::string& itemId, const std::string& optionId,
                                       const std::string& userId, std::chrono::system_clock::time_point now) {
  const auto item = lowercaseId(itemId);
  const auto option = lowercaseId(optionId);
  auto options = itemOptions_.find(item);
  if (options == itemOptions_.end()) return Outcome::unknownItem;
  if (std::find(options->second.begin(), options->second.end(), option) == options->second.end())
    return Outcome::unknownOption;

  if (userId.empty()) {
    ++counts_[option];
    return Outcome::counted;
  }
  auto [previous, isFirst] = userVotes_.try_emplace({userId, item}, UserVote{option, now});
  if (!isFirst) {
    if (previous->second.optionId == option) return Outcome::counted;
    --counts_[previous->second.optionId];
    previous->second = UserVote{option, now};
  }
  ++counts_[option];
  return Outcome::counted;
}

std::int64_t VoteLedger::count(const std::string& optionId) const {
  auto found = counts_.find(lowercaseId(optionId));
  return found == counts_.end() ? 0 : found->second;
}

std::optional<VoteLedger::UserVote> VoteLedger::userVote(const std::string& userId, const std::string& itemId) const {
  auto found = userVotes_.find({userId, lowercaseId(itemId)});
  if (found == userVotes_.end()) return std::nullopt;
  return found->second;
}

}  // namespace orvane::service
