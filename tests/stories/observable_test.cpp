#include <orvane/core/observable.h>

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <vector>

namespace orvane {
namespace {

class Counter final : public Observable {
 public:
  int value() const { return value_.get(); }
  void set(int value) { value_.set(value); }

 private:
  Published<int> value_{*this, 0};
};

TEST(ObservableTest, ObserversAreToldBeforeEveryChange) {
  Counter counter;
  std::vector<int> seen;
  auto subscription = counter.observe([&] { seen.push_back(counter.value()); });
  counter.set(1);
  counter.set(1);
  counter.set(2);
  EXPECT_EQ(seen, (std::vector<int>{0, 1, 1}));
  EXPECT_EQ(counter.value(), 2);
}

TEST(ObservableTest, SubscriptionLastsAsLongAsItsTokenWhichMayOutliveTheObservable) {
  Counter counter;
  int calls = 0;
  {
    auto subscription = counter.observe([&] { ++calls; });
    Subscription moved = std::move(subscription);
    counter.set(1);
    Subscription assigned;
    assigned = std::move(moved);
    counter.set(2);
  }
  counter.set(3);
  EXPECT_EQ(calls, 2);

  auto cancelled = counter.observe([&] { ++calls; });
  cancelled.cancel();
  cancelled.cancel();
  counter.set(4);
  EXPECT_EQ(calls, 2);

  // A token may outlive what it observes.
  {
    Counter shortLived;
    cancelled = shortLived.observe([] {});
  }
  cancelled.cancel();
}

TEST(ObservableTest, ObserversMaySubscribeAndCancelWhileBeingTold) {
  Counter counter;
  std::vector<char> calls;
  Subscription second;
  std::optional<Subscription> added;
  auto first = counter.observe([&] {
    calls.push_back('a');
    second.cancel();
    if (!added) added = counter.observe([&] { calls.push_back('c'); });
  });
  second = counter.observe([&] { calls.push_back('b'); });
  counter.set(1);
  EXPECT_EQ(calls, (std::vector<char>{'a'}));
  counter.set(2);
  EXPECT_EQ(calls, (std::vector<char>{'a', 'a', 'c'}));
}

}  // namespace
}  // namespace orvane
