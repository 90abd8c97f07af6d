#include <gtest/gtest.h>

#include <thread>

#include "storage/event_partitions.h"
#include "storage/event_retention.h"
#include "storage_test.h"

namespace orvane::service::storage {
namespace {

using namespace std::chrono_literals;
using std::chrono::days;
using std::chrono::sys_days;

using EventDaysTest = StoreTest;

const sys_days firstDay = sys_days(std::chrono::year(2026) / 3 / 1);

StoredEvent opened(std::int64_t appId, TimePoint at) {
  StoredEvent event;
  event.appId = appId;
  event.receivedAt = at;
  event.eventType = "STORY_OPEN";
  event.placementKey = "home";
  event.groupId = "cccccccc-0000-4000-8000-000000000001";
  event.body = R"({"eventType":"STORY_OPEN"})";
  return event;
}

// Opens per day in the report of all time.
std::map<sys_days, std::int64_t> opensByDay(Store& store) {
  std::map<sys_days, std::int64_t> byDay;
  for (const auto& count : store.reportCounts(TimePoint(), std::chrono::system_clock::now() + 24h * 400))
    if (count.metric == "opens") byDay[count.day] += count.count;
  return byDay;
}

TEST_P(EventDaysTest, TheReportSumsEachDayAcrossDaysAndRetentionRemovesWholeOlderDays) {
  const App app = store->createApp("demo-app", "Demo");
  // The edges of days: the last millisecond of one and the first of the next.
  store->appendEvents({opened(app.id, firstDay + 1h), opened(app.id, firstDay + 24h - 1ms),
                       opened(app.id, firstDay + 24h), opened(app.id, firstDay + days(5) + 12h)});
  store->appendEvents({opened(app.id, firstDay + days(6)), opened(app.id, firstDay + days(6) + 1s)});
  EXPECT_EQ(opensByDay(*store),
            (std::map<sys_days, std::int64_t>{
                {firstDay, 2}, {firstDay + days(1), 1}, {firstDay + days(5), 1}, {firstDay + days(6), 2}}));

  store->removeEventsBefore(firstDay + days(5));
  EXPECT_EQ(opensByDay(*store),
            (std::map<sys_days, std::int64_t>{{firstDay + days(5), 1}, {firstDay + days(6), 2}}));
  EXPECT_EQ(store->events(app.id, EventChannel::service, 100).size(), 3u);
  if (GetParam() == test_support::StoreEngine::postgresql) {
    EXPECT_EQ(eventPartitionDays(*rawConnection()),
              (std::vector<sys_days>{firstDay + days(5), firstDay + days(6)}));
  }

  // A day removed can receive events again.
  store->appendEvents({opened(app.id, firstDay + 2h)});
  EXPECT_EQ(opensByDay(*store)[firstDay], 1);
}

TEST_P(EventDaysTest, APartitionDroppedUnderARunningInstanceLosesNoEvents) {
  if (GetParam() != test_support::StoreEngine::postgresql) GTEST_SKIP() << "day partitions are PostgreSQL's";
  const App app = store->createApp("demo-app", "Demo");
  store->appendEvents({opened(app.id, firstDay + 1h)});
  // Another instance keeping fewer days, or an operator, dropped the day this one knows.
  rawConnection()->executeScript("DROP TABLE " + eventPartitionName(firstDay));
  store->appendEvents({opened(app.id, firstDay + 2h), opened(app.id, firstDay + 3h)});
  EXPECT_EQ(opensByDay(*store)[firstDay], 2);
}

TEST_P(EventDaysTest, RetentionRunsAtStartReadiesTheComingDaysAndStopsAtOnce) {
  const App app = store->createApp("demo-app", "Demo");
  const sys_days today = std::chrono::floor<days>(std::chrono::system_clock::now());
  store->appendEvents({opened(app.id, today - days(31) + 1h), opened(app.id, today - days(30) + 1h),
                       opened(app.id, today - days(1))});
  std::vector<std::string> problems;
  {
    // The hourly rounds never come: the first one runs at once, and destroying does not wait.
    EventRetention retention(*store, 30, 1h,
                             [&](const std::string& problem) { problems.push_back(problem); });
    const auto deadline = std::chrono::steady_clock::now() + 20s;
    while (store->events(app.id, EventChannel::service, 100).size() != 2 &&
           std::chrono::steady_clock::now() < deadline)
      std::this_thread::sleep_for(5ms);
  }
  EXPECT_TRUE(problems.empty()) << problems.front();
  EXPECT_EQ(opensByDay(*store),
            (std::map<sys_days, std::int64_t>{{today - days(30), 1}, {today - days(1), 1}}));
  if (GetParam() == test_support::StoreEngine::postgresql) {
    const auto partitions = eventPartitionDays(*rawConnection());
    for (auto day : {today, today + days(1), today + days(2)})
      EXPECT_NE(std::find(partitions.begin(), partitions.end(), day), partitions.end())
          << eventPartitionName(day);
  }
}

INSTANTIATE_TEST_SUITE_P(Engines, EventDaysTest, ::testing::ValuesIn(test_support::storeEnginesForTests()),
                         test_support::engineName);

}  // namespace
}  // namespace orvane::service::storage
