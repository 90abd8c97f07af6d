#include <gtest/gtest.h>

#include <sstream>

#include "report/report.h"
#include "storage_test.h"

namespace orvane::service::storage {
namespace {

using EventsTest = StoreTest;
using namespace std::chrono_literals;

const std::string group = "cccccccc-0000-4000-8000-000000000001";
const std::string plainPage = "aaaaaaaa-0000-4000-8000-000000000002";
const TimePoint firstDay = std::chrono::sys_days(std::chrono::year(2026) / 3 / 1);
const TimePoint secondDay = firstDay + 24h;

StoredEvent storyEvent(std::int64_t appId, TimePoint at, std::string type, std::string item = "",
                       EventChannel channel = EventChannel::service) {
  StoredEvent event;
  event.appId = appId;
  event.channel = channel;
  event.receivedAt = at;
  event.occurredAt = at - 1s;
  event.eventType = std::move(type);
  event.placementKey = "home";
  event.groupId = group;
  event.itemId = std::move(item);
  event.sessionId = "session";
  event.body = R"({"eventType":")" + event.eventType + "\"}";
  return event;
}

StoredEvent bannerEvent(std::int64_t appId, TimePoint at, std::string type) {
  StoredEvent event = storyEvent(appId, at, std::move(type));
  event.placementKey = "top";
  event.groupId.clear();
  event.bannerId = "42";
  event.bannerItemId = "7";
  return event;
}

TEST_P(EventsTest, BatchesAreStoredWholeAndListedOldestFirst) {
  const App app = store->createApp("demo-app", "Demo");
  const App other = store->createApp("other-app", "Other");
  std::vector<StoredEvent> batch;
  for (int i = 0; i < 120; ++i)
    batch.push_back(storyEvent(app.id, firstDay + std::chrono::seconds(i), "E" + std::to_string(i)));
  batch.push_back(storyEvent(app.id, firstDay, "STORY_GROUP_OPENED", "", EventChannel::analytics));
  batch.push_back(storyEvent(other.id, firstDay, "STORY_OPEN"));
  batch.back().occurredAt.reset();
  store->appendEvents(batch);
  store->appendEvents({});

  const auto service = store->events(app.id, EventChannel::service, 1000);
  ASSERT_EQ(service.size(), 120u);
  for (std::size_t i = 0; i < service.size(); ++i) ASSERT_EQ(service[i].eventType, "E" + std::to_string(i));
  EXPECT_EQ(service[3].receivedAt, firstDay + 3s);
  EXPECT_EQ(service[3].occurredAt, firstDay + 2s);
  EXPECT_EQ(service[3].groupId, group);
  EXPECT_EQ(service[3].body, R"({"eventType":"E3"})");
  EXPECT_EQ(store->events(app.id, EventChannel::service, 10).size(), 10u);
  EXPECT_EQ(store->events(app.id, EventChannel::analytics, 10).size(), 1u);
  EXPECT_FALSE(store->events(other.id, EventChannel::service, 10).at(0).occurredAt);

  // A batch that cannot be written leaves nothing behind.
  std::vector<StoredEvent> broken{storyEvent(app.id, secondDay, "STORY_OPEN"),
                                  storyEvent(other.id + 100, secondDay, "X")};
  EXPECT_THROW(store->appendEvents(broken), StoreError);
  EXPECT_EQ(store->events(app.id, EventChannel::service, 1000).size(), 120u);
}

class ReportTest : public EventsTest {
 protected:
  void SetUp() override {
    EventsTest::SetUp();
    if (IsSkipped() || HasFailure()) return;
    const App app = store->createApp("demo-app", "Demo");
    const App other = store->createApp("other-app", "Other");
    store->saveDraft(app.id, "home", ContentKind::stories, storiesDocument("poll"));
    std::vector<StoredEvent> events;
    auto add = [&](int times, const StoredEvent& event) {
      events.insert(events.end(), static_cast<std::size_t>(times), event);
    };
    add(3, storyEvent(app.id, firstDay + 1h, "STORY_GROUP_IMPRESSION"));
    add(2, storyEvent(app.id, firstDay + 2h, "STORY_OPEN"));
    add(2, storyEvent(app.id, firstDay + 2h, "STORY_ITEM_VIEW", pollItem));
    add(1, storyEvent(app.id, firstDay + 2h, "STORY_ITEM_VIEW", plainPage));
    add(1, storyEvent(app.id, firstDay + 3h, "STORY_COMPLETE"));
    add(2, storyEvent(app.id, firstDay + 3h, "CTA_CLICK", pollItem));
    add(1, storyEvent(app.id, firstDay + 3h, "POLL_VIEW", pollItem));
    add(1, bannerEvent(app.id, firstDay + 4h, "BANNER_IMPRESSION"));
    add(1, bannerEvent(app.id, firstDay + 4h, "BANNER_CLICK"));
    add(5, storyEvent(app.id, firstDay + 1h, "STORY_OPEN", "", EventChannel::analytics));
    add(1, storyEvent(app.id, secondDay + 23h, "STORY_OPEN"));
    add(1, storyEvent(other.id, firstDay + 23h + 59min, "STORY_OPEN"));
    store->appendEvents(events);
    store->recordVote(app.id, pollItem, optionA, "user-1", firstDay + 5h);
    store->recordVote(app.id, pollItem, optionA, "user-2", firstDay + 6h);
    store->recordVote(app.id, pollItem, optionB, "user-3", secondDay);
  }

  std::string report(report::ReportQuery query) {
    std::ostringstream out;
    report::writeReport(*store, query, out);
    return out.str();
  }
};

TEST_P(ReportTest, CountsEachPlacementGroupPageAndDay) {
  const auto day = std::chrono::sys_days(std::chrono::year(2026) / 3 / 1);
  const std::string g = "2026-03-01,demo-app,home," + group + ",";
  EXPECT_EQ(report({day, day, report::ReportFormat::csv}),
            "date,app,placement,group,page,option,metric,count\n" + g + ",,completions,1\n" + g +
                ",,impressions,3\n" + g + ",,opens,2\n" + g + pollItem + ",,cta_clicks,2\n" + g + pollItem +
                ",,page_views,2\n" + g + pollItem + "," + optionA + ",votes,2\n" + g + plainPage +
                ",,page_views,1\n" + "2026-03-01,demo-app,top,42,7,,banner_clicks,1\n" +
                "2026-03-01,demo-app,top,42,7,,impressions,1\n" + "2026-03-01,other-app,home," + group +
                ",,,opens,1\n");

  const auto all = nlohmann::json::parse(report({std::nullopt, std::nullopt, report::ReportFormat::json}));
  ASSERT_EQ(all.size(), 12u);
  EXPECT_EQ(all.back(), (nlohmann::json{{"date", "2026-03-02"},
                                        {"app", "demo-app"},
                                        {"placement", "home"},
                                        {"group", group},
                                        {"page", pollItem},
                                        {"option", optionB},
                                        {"metric", "votes"},
                                        {"count", 1}}));
  const auto second =
      nlohmann::json::parse(report({day + std::chrono::days(1), std::nullopt, report::ReportFormat::json}));
  EXPECT_EQ(second.size(), 2u);
  EXPECT_THROW(report({day + std::chrono::days(1), day, report::ReportFormat::csv}), StoreError);
}

TEST_P(ReportTest, IdsASpreadsheetWouldRunAsFormulasAreWrittenAsText) {
  // Event ids may start with a minus sign, and "-A1" is a formula to a spreadsheet.
  const auto day = std::chrono::sys_days(std::chrono::year(2026) / 3 / 9);
  StoredEvent event = bannerEvent(store->appByKey("demo-app")->id, TimePoint(day) + 1h, "BANNER_CLICK");
  event.bannerId = "-A1";
  event.bannerItemId = "7";
  store->appendEvents({event});
  EXPECT_EQ(report({day, day, report::ReportFormat::csv}),
            "date,app,placement,group,page,option,metric,count\n2026-03-09,demo-app,top,'-A1,7,,banner_clicks,1\n");
}

TEST(ReportDates, OnlyRealCalendarDaysAreAccepted) {
  EXPECT_EQ(report::parseReportDate("2026-03-01"), std::chrono::sys_days(std::chrono::year(2026) / 3 / 1));
  EXPECT_EQ(report::parseReportDate("2024-02-29"), std::chrono::sys_days(std::chrono::year(2024) / 2 / 29));
  for (const char* bad :
       {"2026-02-29", "2026-13-01", "2026-3-1", "20260301", "2026-03-01T00:00", "", "2026-03-0x"}) {
    EXPECT_FALSE(report::parseReportDate(bad)) << bad;
  }
  EXPECT_EQ(report::parseReportFormat("json"), report::ReportFormat::json);
  EXPECT_FALSE(report::parseReportFormat("xml"));
}

INSTANTIATE_TEST_SUITE_P(Engines, EventsTest, ::testing::ValuesIn(test_support::storeEnginesForTests()),
                         test_support::engineName);
INSTANTIATE_TEST_SUITE_P(Engines, ReportTest, ::testing::ValuesIn(test_support::storeEnginesForTests()),
                         test_support::engineName);

}  // namespace
}  // namespace orvane::service::storage
