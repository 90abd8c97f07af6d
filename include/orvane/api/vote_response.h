#pragma once

#include <orvane/export.h>

#include <cstdint>
#include <optional>
#include <string>
#include <utility>

namespace orvane {

// The service's answer to a poll or quiz vote.
//
// \code
// sdk.recordVote(pageId, optionId, [](Result<VoteResponse> answer) {
//   if (answer && answer.value().voted()) showCount(answer.value().voteCount().value_or(0));
// });
// \endcode
class ORVANE_EXPORT VoteResponse {
 public:
  // As decoded from the service's answer.
  VoteResponse(bool voted, std::optional<std::string> optionId, std::optional<std::int64_t> voteCount)
      : voted_(voted), optionId_(std::move(optionId)), voteCount_(voteCount) {}

  // Whether the vote counted, the option it counted for, and that option's votes since.
  //@{
  bool voted() const { return voted_; }
  const std::optional<std::string>& optionId() const { return optionId_; }
  std::optional<std::int64_t> voteCount() const { return voteCount_; }
  //@}

  // Field by field.
  bool operator==(const VoteResponse&) const = default;

 private:
  bool voted_;
  std::optional<std::string> optionId_;
  std::optional<std::int64_t> voteCount_;
};

}  // namespace orvane
