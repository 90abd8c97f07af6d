#pragma once

#include <chrono>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace orvane::service {

// Poll and quiz votes: a count per option and each user's current choice per item. One vote
// per user and item; voting again moves it. Ids are compared in lower case. Not thread-safe.
class VoteLedger {
 public:
  struct UserVote {
    std::string optionId;
    std::chrono::system_clock::time_point votedAt;
  };
  enum class Outcome { counted, unknownItem, unknownOption };

  // Makes the item's options votable, starting from the given counts.
  void addItem(const std::string& itemId, const std::vector<std::pair<std::string, std::int64_t>>& options);
  bool hasItem(const std::string& itemId) const;

  // An empty user id counts the vote without remembering whose it is.
  Outcome record(const std::string& itemId, const std::string& optionId, const std::string& userId,
                 std::chrono::system_clock::time_point now);

  std::int64_t count(const std::string& optionId) const;
  std::optional<UserVote> userVote(const std::string& userId, const std::string& itemId) const;

 private:
  std::map<std::string, std::vector<std::string>> itemOptions_;
  std::map<std::string, std::int64_t> counts_;
  std::map<std::pair<std::string, std::string>, UserVote> userVotes_;  // (user, item)
};

std::string lowercaseId(std::string id);

}  // namespace orvane::service
