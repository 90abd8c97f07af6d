#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>

#include <orvane/api/errors.h>
#include <orvane/api/vote_response.h>
#include <orvane/core/observable.h>
#include <orvane/core/story_session.h>
#include <orvane/model/story.h>

namespace orvane {

// The poll or quiz answer on the page a story viewer shows: the option chosen (just now, earlier
// on this device, or known to the service), whether a vote is on its way, and counts fresher than
// the page's own. Published by the viewer that owns it, whose observers hear every change. Main
// thread only.
class StoryVoting {
 public:
  StoryVoting(Observable& owner, StorySession& session);

  const std::optional<std::string>& votedOptionId() const { return votedOptionId_.get(); }
  bool isVotingInProgress() const { return isVotingInProgress_.get(); }
  bool showResults() const { return showResults_.get(); }
  const std::map<std::string, std::int64_t>& updatedVoteCounts() const { return updatedVoteCounts_.get(); }

  // A page comes up: the service's answer for it, else the one remembered on this device.
  void restore(const StoryItem& item);
  // Takes the choice at once; false when the page asks nothing or already has its one answer.
  bool begin(const StoryItem& item, const std::string& optionId);
  // The service's answer to a vote begun on `itemId`, whose page may since have been left
  // (`stillShown` false). True when the vote counted: it is then remembered on this device.
  bool finish(const Result<VoteResponse>& result, const std::string& itemId, const std::string& optionId,
              bool stillShown);
  // The voted page as a refetch after the vote returned it.
  void refresh(const StoryItem& item, const std::string& optionId);

 private:
  StorySession& session_;
  Published<std::optional<std::string>> votedOptionId_;
  Published<bool> isVotingInProgress_;
  Published<bool> showResults_;
  Published<std::map<std::string, std::int64_t>> updatedVoteCounts_;
};

}  // namespace orvane
