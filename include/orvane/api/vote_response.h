#pragma once

#include <orvane/export.h>

#include <cstdint>
#include <optional>
#include <string>
#include <utility>

namespace orvane {

// The service's answer to a poll or quiz vote.
class ORVANE_EXPORT VoteResponse {
 public:
  VoteResponse(bool voted, std::optional<std::string> optionId, std::optional<std::int64_t> voteCount)
      : voted_(voted), optionId_(std::move(optionId)), voteCount_(voteCount) {}

  bool voted() const { return voted_; }
  const std::optional<std::string>& optionId() const { return optionId_; }
  std::optional<std::int64_t> voteCount() const { return voteCount_; }

  bool operator==(const VoteResponse&) const = default;

 private:
  bool voted_;
  std::optional<std::string> optionId_;
  std::optional<std::int64_t> voteCount_;
};

}  // namespace orvane
