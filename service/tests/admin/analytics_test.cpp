// Days cut in a time zone, and the analytics figures summed from stored events and votes.
#include <gtest/gtest.h>

#include "analytics/analytics_report.h"
#include "analytics/time_zone.h"
#include "console_harness.h"
#include "content/time_text.h"

namespace orvane::service::admin {
namespace {

using nlohmann::json;
using std::chrono::sys_days;
using namespace std::chrono_literals;

std::chrono::sys_seconds at(const std::string& text) {
  return std::chrono::time_point_cast<std::chrono::seconds>(*content::parseDateTime(text));
}

sys_days day(int y, unsigned m, unsigned d) {
  return sys_days(std::chrono::year_month_day{std::chrono::year(y), std::chrono::month(m), std::chrono::day(d)});
}

TEST(TimeZone, DaysStartAtLocalMidnightThroughOffsetsOfMinutesAndDaylightSaving) {
  const auto kathmandu = analytics::TimeZone::load("Asia/Kathmandu");
  ASSERT_TRUE(kathmandu);
  EXPECT_EQ(kathmandu->offsetAt(at("2026-12-01T00:00:00Z")), 5h + 45min);
  EXPECT_EQ(kathmandu->startOf(day(2026, 12, 1)), at("2026-11-30T18:15:00Z"));

  const auto paris = analytics::TimeZone::load("Europe/Paris");
  ASSERT_TRUE(paris);
  EXPECT_EQ(paris->startOf(day(2026, 3, 29)), at("2026-03-28T23:00:00Z"));
  EXPECT_EQ(paris->startOf(day(2026, 3, 30)), at("2026-03-29T22:00:00Z")) << "a day of 23 hours";
  EXPECT_EQ(paris->startOf(day(2026, 10, 26)) - paris->startOf(day(2026, 10, 25)), 25h);

  // Chile moves its clocks at midnight: 6 September 2026 starts at 01:00, when the gap ends.
  const auto santiago = analytics::TimeZone::load("America/Santiago");
  ASSERT_TRUE(santiago);
  EXPECT_EQ(santiago->startOf(day(2026, 9, 6)), at("2026-09-06T04:00:00Z"));
  EXPECT_EQ(santiago->startOf(day(2026, 4, 5)), at("2026-04-05T04:00:00Z")) << "after the repeated hour";

  EXPECT_EQ(analytics::TimeZone::load("UTC")->startOf(day(2026, 1, 2)), at("2026-01-02T00:00:00Z"));
  for (const char* name : {"", "../../etc/passwd", "/etc/passwd", "Europe/Nowhere", "Europe//Paris", "zone.tab"})
    EXPECT_FALSE(analytics::TimeZone::load(name)) << name;
  EXPECT_FALSE(analytics::TimeZone::parse("x", "TZif2 but cut short"));
}

class AnalyticsHttpTest : public ::testing::Test {
 protected:
  static constexpr const char* welcome = "0c787a5d-0f85-5d16-b908-e42609841160";
  static constexpr const char* page1 = "d6d010e1-3186-5f8a-9b23-250c1f592507";
  static constexpr const char* page2 = "16e3356f-9c32-5187-826c-cd2c27fb149f";
  static constexpr const char* page3 = "66cee415-a09c-5b10-a407-e847f0c9b20b";
  static constexpr const char* poll = "2A3F1C49-6B5B-5013-A748-3B0B4B8D176D";
  static constexpr const char* quiz = "ade90e15-84f5-5ba0-8f5f-780b98f27936";

  void SetUp() override {
    server_ = std::make_unique<ConsoleServer>("sqlite:" + (folder_.path() / "db.sqlite").string());
    server_->addUser("victor", storage::Role::viewer);
    viewer_ = server_->signIn("victor");
    appId_ = server_->service().store().appByKey("demo-app")->id;
  }

  void event(const std::string& when, const std::string& type, const std::string& placement, const std::string& group,
             const std::string& item, const std::string& banner = "", const std::string& slide = "") {
    storage::StoredEvent stored;
    stored.appId = appId_;
    stored.receivedAt = *content::parseDateTime(when);
    stored.eventType = type;
    stored.placementKey = placement;
    stored.groupId = group;
    stored.itemId = item;
    stored.bannerId = banner;
    stored.bannerItemId = slide;
    stored.body = "{}";
    events_.push_back(stored);
  }

  void vote(const std::string& when, const std::string& item, const std::string& option, const std::string& user) {
    const auto outcome =
        server_->service().store().recordVote(appId_, item, option, user, *content::parseDateTime(when));
    ASSERT_EQ(outcome.result, storage::VoteOutcome::Result::counted) << item << " " << option;
  }

  httplib::Result get(const std::string& query) {
    server_->service().store().appendEvents(events_);
    events_.clear();
    return server_->send("GET", "/admin/v1/apps/demo-app/analytics?" + query, &viewer_);
  }

  json report(const std::string& query) {
    auto answer = get(query);
    EXPECT_TRUE(answer);
    if (!answer) return json();
    EXPECT_EQ(answer->status, 200) << answer->body;
    return json::parse(answer->body, nullptr, false);
  }

  static const json& find(const json& list, const char* key, const std::string& value) {
    for (const json& entry : list)
      if (entry[key] == value) return entry;
    static const json none;
    ADD_FAILURE() << "no " << key << " " << value << " in " << list.dump();
    return none;
  }

  media::TemporaryFolder folder_;
  std::unique_ptr<ConsoleServer> server_;
  Browser viewer_;
  std::int64_t appId_ = 0;
  std::vector<storage::StoredEvent> events_;
};

TEST_F(AnalyticsHttpTest, FiguresPerGroupPageOptionAndBannerCountTheLocalDaysOfAZoneWithAQuarterHourOffset) {
  // Kathmandu is UTC+5:45: its 1 December runs from 30 November 18:15 to 1 December 18:15 UTC.
  const std::string inside = "2026-11-30T18:20:00Z", before = "2026-11-30T18:10:00Z", after = "2026-12-01T18:20:00Z";
  for (int i = 0; i < 4; ++i) event(inside, "STORY_GROUP_IMPRESSION", "home", welcome, "");
  event(before, "STORY_GROUP_IMPRESSION", "home", welcome, "");
  event(after, "STORY_GROUP_IMPRESSION", "home", welcome, "");
  for (int i = 0; i < 2; ++i) event(inside, "STORY_OPEN", "home", welcome, "");
  for (int i = 0; i < 2; ++i) event(inside, "STORY_ITEM_VIEW", "home", welcome, page1);
  event("2026-12-01T18:10:00Z", "STORY_ITEM_VIEW", "home", welcome, page2);
  event(inside, "STORY_ITEM_VIEW", "home", welcome, page3);
  event(inside, "STORY_COMPLETE", "home", welcome, "");
  event(inside, "CTA_CLICK", "home", welcome, page1);
  for (int i = 0; i < 4; ++i)
    event(inside, "BANNER_IMPRESSION", "home_banner", "", "", "4611686018427387905", "4611686018427387906");
  event(inside, "BANNER_CLICK", "home_banner", "", "", "4611686018427387905", "4611686018427387906");
  vote(inside, poll, "F7D563B8-A35F-5600-B3FB-4FC1CDDF0AF1", "u1");
  vote(inside, poll, "f7d563b8-a35f-5600-b3fb-4fc1cddf0af1", "u2");
  vote(inside, poll, "4EEC43C3-6A86-519C-97D8-357BDFEE7373", "u3");
  vote(before, poll, "4EEC43C3-6A86-519C-97D8-357BDFEE7373", "u4");
  vote(inside, quiz, "ff8a72a2-07ef-5df0-b325-b952c9e5e6fe", "u1");
  for (const char* user : {"u2", "u3", "u4"}) vote(inside, quiz, "d0971364-e541-5428-9082-57979e23e0c8", user);

  const json figures = report("from=2026-12-01&to=2026-12-01&timeZone=Asia/Kathmandu");
  EXPECT_EQ(figures["timeZone"], "Asia/Kathmandu");
  EXPECT_EQ(figures["totals"]["impressions"], 4);
  EXPECT_EQ(figures["totals"]["votes"], 7);
  ASSERT_EQ(figures["daily"].size(), 1u);
  EXPECT_EQ(figures["daily"][0]["date"], "2026-12-01");
  EXPECT_EQ(figures["daily"][0]["pageViews"], 4);

  const json& stories = find(figures["placements"], "placement", "home");
  const json& group = find(stories["groups"], "group", welcome);
  EXPECT_EQ(group["title"], "Welcome");
  EXPECT_EQ(group["opens"], 2);
  EXPECT_EQ(group["openRate"], 0.5);
  EXPECT_EQ(group["completionRate"], 0.5);
  std::vector<json> funnel;
  for (const json& page : group["pages"]) funnel.push_back(page["reachRate"]);
  EXPECT_EQ(funnel, (std::vector<json>{1.0, 0.5, 0.5, 0.0})) << "page by page, in the document's order (the streamed video last, never reached)";
  EXPECT_EQ(group["pages"][0]["ctaClickThroughRate"], 0.5);

  const json& pollPage = find(find(stories["groups"], "group", "91ed0206-f9c3-572c-8b4b-0824ff6381e5")["pages"],
                              "page", "2a3f1c49-6b5b-5013-a748-3b0b4b8d176d");
  EXPECT_EQ(pollPage["votes"], 3);
  std::vector<json> percents;
  for (const json& option : pollPage["options"]) percents.push_back(option["percent"]);
  EXPECT_EQ(percents, (std::vector<json>{66.7, 33.3, 0.0}));
  EXPECT_TRUE(pollPage["correctRate"].is_null());
  const json& quizPage =
      find(find(stories["groups"], "group", "a2bcb616-4c26-54c1-a889-8c5686e33bfc")["pages"], "page", quiz);
  EXPECT_EQ(quizPage["correctRate"], 0.25);

  const json& banners = find(figures["placements"], "placement", "home_banner");
  const json& banner = find(banners["banners"], "banner", "4611686018427387905");
  EXPECT_EQ(banner["clickThroughRate"], 0.25);
  EXPECT_EQ(banner["slides"][0]["impressions"], 4);
  EXPECT_EQ(banner["slides"][1]["impressions"], 0) << "slides the document lists are shown with no events";

  auto csv = get("from=2026-12-01&to=2026-12-01&timeZone=Asia/Kathmandu&format=csv&table=options");
  ASSERT_TRUE(csv);
  EXPECT_EQ(csv->status, 200);
  EXPECT_EQ(csv->get_header_value("Content-Type"), "text/csv; charset=utf-8");
  EXPECT_NE(csv->get_header_value("Content-Disposition").find("analytics-options-2026-12-01-2026-12-01.csv"),
            std::string::npos);
  EXPECT_TRUE(csv->body.starts_with("placement,group,page,option,text,votes,percent,isCorrect\r\n"));
  EXPECT_NE(csv->body.find(",f7d563b8-a35f-5600-b3fb-4fc1cddf0af1,Stories,2,66.7,false\r\n"), std::string::npos)
      << csv->body;
  EXPECT_NE(csv->body.find(",5 seconds,1,25.0,true\r\n"), std::string::npos) << csv->body;
}

TEST_F(AnalyticsHttpTest, ADaylightSavingDayAndBadPeriodsAreTakenAsTheyAre) {
  // Paris moves to summer time on 29 March 2026: the day ends at 22:00 UTC, not 23:00.
  event("2026-03-29T21:30:00Z", "STORY_OPEN", "home", welcome, "");
  event("2026-03-29T22:30:00Z", "STORY_OPEN", "home", welcome, "");
  event("2026-03-28T23:30:00Z", "STORY_OPEN", "home", welcome, "");
  const json figures = report("from=2026-03-28&to=2026-03-30&timeZone=Europe/Paris");
  ASSERT_EQ(figures["daily"].size(), 3u);
  EXPECT_EQ(figures["daily"][0]["opens"], 0);
  EXPECT_EQ(figures["daily"][1]["opens"], 2);
  EXPECT_EQ(figures["daily"][2]["opens"], 1);
  EXPECT_EQ(report("from=2026-03-29&to=2026-03-29&placement=home_banner")["totals"]["opens"], 0);

  for (const char* query : {"from=2026-03-29", "from=2026-03-30&to=2026-03-29", "from=2026-02-30&to=2026-03-01",
                            "from=2025-01-01&to=2026-03-01", "from=2026-03-29&to=2026-03-29&timeZone=Mars/Olympus",
                            "from=2026-03-29&to=2026-03-29&format=csv&table=secrets",
                            "from=2026-03-29&to=2026-03-29&format=xml"}) {
    auto answer = get(query);
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->status, 400) << query;
  }
  EXPECT_EQ(server_->send("GET", "/admin/v1/apps/nobody/analytics?from=2026-03-29&to=2026-03-29", &viewer_)->status,
            404);
}

TEST(AnalyticsCsv, AFieldASpreadsheetWouldRunIsDefused) {
  storage::DayCounts counts;
  const json document{{"groups", {{{"id", "g"}, {"title", "=HYPERLINK(\"x\"), \"quoted\""}, {"items", json::array()}}}}};
  const json report = analytics::analyticsReport({{"home", storage::ContentKind::stories, document}}, counts,
                                                 {"2026-12-01"});
  const auto csv = analytics::analyticsCsv(report, "groups");
  ASSERT_TRUE(csv);
  EXPECT_NE(csv->find("home,g,\"'=HYPERLINK(\"\"x\"\"), \"\"quoted\"\"\",0,"), std::string::npos) << *csv;
}

}  // namespace
}  // namespace orvane::service::admin
