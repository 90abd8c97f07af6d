#include <orvane/stories/story_voting.h>

#include <utility>

namespace orvane {

StoryVoting::StoryVoting(Observable& owner, StorySession& session)
    : session_(session),
      votedOptionId_(owner, std::nullopt),
      isVotingInProgress_(owner, false),
      showResults_(owner, false),
      updatedVoteCounts_(owner, {}) {}

void StoryVoting::restore(const StoryItem& item) {
  std::optional<std::string> restored;
  if (item.userVote()) {
    restored = item.userVote()->optionId();
  } else {
    restored = session_.platform().store->string(session_.voteStorageKey(item.id()));
  }
  const bool hasVote = restored.has_value();
  votedOptionId_.set(std::move(restored));
  showResults_.set(hasVote);
  updatedVoteCounts_.set({});
}

bool StoryVoting::begin(const StoryItem& item, const std::string& optionId) {
  const WidgetType widgetType = item.widgetType();
  if (widgetType != WidgetType::poll && widgetType != WidgetType::quiz) return false;
  // One answer per page: also an answer restored from the service or from this device.
  if (isVotingInProgress() || votedOptionId()) return false;
  isVotingInProgress_.set(true);
  votedOptionId_.set(optionId);
  return true;
}

bool StoryVoting::finish(const Result<VoteResponse>& result, const std::string& itemId,
                         const std::string& optionId, bool stillShown) {
  isVotingInProgress_.set(false);
  if (!result.ok()) {
    // Only the page that was answered may be rolled back; the user may vote there again.
    if (stillShown) {
      votedOptionId_.set(std::nullopt);
      showResults_.set(false);
    }
    return false;
  }

  // The choice sent is what this device remembers, whatever the answer echoes.
  session_.platform().store->set(session_.voteStorageKey(itemId), optionId);
  // A page the user has moved on to keeps its own, unanswered state.
  if (stillShown) {
    const VoteResponse& response = result.value();
    if (response.optionId() && response.voteCount()) {
      auto counts = updatedVoteCounts();
      counts[*response.optionId()] = *response.voteCount();
      updatedVoteCounts_.set(std::move(counts));
    }
    showResults_.set(true);
  }
  return true;
}

void StoryVoting::refresh(const StoryItem& item, const std::string& optionId) {
  std::map<std::string, std::int64_t> counts;
  // Of two options sharing an id, the later one's count stands.
  for (const auto& option : item.widgetOptions()) counts[option.id()] = option.voteCount();
  updatedVoteCounts_.set(std::move(counts));
  std::optional<std::string> voted = item.userVote() ? item.userVote()->optionId() : optionId;
  votedOptionId_.set(std::move(voted));
  showResults_.set(votedOptionId().has_value());
}

}  // namespace orvane
