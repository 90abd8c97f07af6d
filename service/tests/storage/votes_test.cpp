#include <gtest/gtest.h>

#include <array>
#include <thread>

#include "storage_test.h"

namespace orvane::service::storage {
namespace {

using VotesTest = StoreTest;
using Result = VoteOutcome::Result;

class VotesOnPoll : public VotesTest {
 protected:
  void SetUp() override {
    VotesTest::SetUp();
    if (IsSkipped() || HasFailure()) return;
    app = store->createApp("demo-app", "Demo");
    store->saveDraft(app.id, "home", ContentKind::stories, storiesDocument("poll", 5));
  }
  VoteOutcome vote(const std::string& option, const std::string& user, const std::string& item = pollItem) {
    return store->recordVote(app.id, item, option, user, std::chrono::system_clock::now());
  }
  App app;
};

TEST_P(VotesOnPoll, AChangedVoteMovesTheCount) {
  const std::string upperA = "BBBBBBBB-0000-4000-8000-00000000000A";
  EXPECT_EQ(store->optionCounts(app.id, {upperA, optionB}),
            (std::map<std::string, std::int64_t>{{upperA, 5}, {optionB, 0}}));

  EXPECT_EQ(vote(optionA, "user-1").optionCount, 6);
  EXPECT_EQ(vote(optionA, "user-1").optionCount, 6);  // the same vote again counts once
  const VoteOutcome moved = vote(optionB, "user-1");
  EXPECT_EQ(moved.result, Result::counted);
  EXPECT_EQ(moved.optionCount, 1);
  EXPECT_EQ(store->optionCounts(app.id, {optionA, optionB, optionC}),
            (std::map<std::string, std::int64_t>{{optionA, 5}, {optionB, 1}, {optionC, 0}}));
  EXPECT_EQ(vote(optionC, "user-2", "AAAAAAAA-0000-4000-8000-000000000001").optionCount, 1);

  const auto votes = store->userVotes(app.id, "user-1", {pollItem, "aaaaaaaa-0000-4000-8000-000000000002"});
  ASSERT_EQ(votes.size(), 1u);
  EXPECT_EQ(votes.at(pollItem).optionId, optionB);

  // Saving the content again keeps the counts: the document's count only seeds a new option.
  store->saveDraft(app.id, "home", ContentKind::stories, storiesDocument("poll", 99));
  EXPECT_EQ(store->optionCounts(app.id, {optionA}).at(optionA), 5);
}

TEST_P(VotesOnPoll, VotesForWhatIsNotVotableAreNotCounted) {
  EXPECT_EQ(vote(optionA, "user-1", "aaaaaaaa-0000-4000-8000-000000000002").result, Result::unknownItem);
  EXPECT_EQ(vote(optionA, "user-1", "aaaaaaaa-0000-4000-8000-0000000000ff").result, Result::unknownItem);
  EXPECT_EQ(vote("bbbbbbbb-0000-4000-8000-0000000000ff", "user-1").result, Result::unknownOption);
  const App other = store->createApp("other-app", "Other");
  EXPECT_EQ(store->recordVote(other.id, pollItem, optionA, "user-1", std::chrono::system_clock::now()).result,
            Result::unknownItem);
  EXPECT_EQ(countRows("FROM votes"), 0);
  EXPECT_EQ(store->optionCounts(app.id, {optionA}).at(optionA), 5);
}

TEST_P(VotesTest, ConcurrentVotesKeepCountsExact) {
  const App app = store->createApp("demo-app", "Demo");
  store->saveDraft(app.id, "home", ContentKind::stories, storiesDocument("poll"));
  const std::array<std::string, 3> options{optionA, optionB, optionC};
  constexpr int threads = 32, votesPerThread = 1000;

  std::vector<std::thread> voters;
  std::atomic<int> refused{0};
  for (int t = 0; t < threads; ++t) {
    voters.emplace_back([&, t] {
      for (int i = 0; i < votesPerThread; ++i) {
        const std::string user = "user-" + std::to_string(t) + "-" + std::to_string(i);
        auto outcome = store->recordVote(app.id, pollItem, options[static_cast<std::size_t>(i % 3)], user,
                                         std::chrono::system_clock::now());
        // Every fourth user changes their mind, moving a count under the others' feet.
        if (i % 4 == 0) {
          outcome = store->recordVote(app.id, pollItem, options[static_cast<std::size_t>((i + 1) % 3)], user,
                                      std::chrono::system_clock::now());
        }
        if (outcome.result != Result::counted) ++refused;
      }
    });
  }
  for (auto& voter : voters) voter.join();

  std::map<std::string, std::int64_t> expected;
  for (int i = 0; i < votesPerThread; ++i) {
    expected[options[static_cast<std::size_t>((i % 4 == 0 ? i + 1 : i) % 3)]] += threads;
  }
  EXPECT_EQ(refused, 0);
  EXPECT_EQ(store->optionCounts(app.id, {optionA, optionB, optionC}), expected);
  auto stored =
      rawConnection()->run("SELECT option_id, COUNT(*) FROM votes GROUP BY option_id ORDER BY option_id");
  ASSERT_EQ(stored.size(), 3u);
  for (std::size_t row = 0; row < stored.size(); ++row) {
    EXPECT_EQ(stored.integer(row, 1), expected[stored.text(row, 0)]) << stored.text(row, 0);
  }
}

INSTANTIATE_TEST_SUITE_P(Engines, VotesOnPoll, ::testing::ValuesIn(test_support::storeEnginesForTests()),
                         test_support::engineName);
INSTANTIATE_TEST_SUITE_P(Engines, VotesTest, ::testing::ValuesIn(test_support::storeEnginesForTests()),
                         test_support::engineName);

}  // namespace
}  // namespace orvane::service::storage
