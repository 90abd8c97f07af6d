#include <gtest/gtest.h>

#include "service_harness.h"

namespace orvane::service::app::testing {
namespace {

using nlohmann::json;
using storage::ContentKind;

json group(const std::string& id, const std::string& title, json extra = json::object()) {
  json record{{"id", id},
              {"title", title},
              {"items", json::array({{{"id", "5d2f9b1a-7c3e-4d5f-8a9b-0c1d2e3f4a" + id.substr(34)}, {"type", "IMAGE"}}})}};
  record.update(extra);
  return record;
}

std::vector<std::string> titles(ServiceHarness& harness, const std::string& query) {
  std::vector<std::string> seen;
  const auto answer = harness.getJson("/sdk/v1/apps/demo-app/placements/rules/stories" + query);
  for (const auto& record : answer["groups"]) {
    EXPECT_FALSE(record.contains("locales"));
    EXPECT_FALSE(record.contains("countries"));
    seen.push_back(record["title"]);
  }
  return seen;
}

using Titles = std::vector<std::string>;

void publish(ServiceHarness& harness, const std::string& placement, const json& document) {
  harness.store().saveDraft(harness.appId(), placement, ContentKind::stories, document);
  harness.store().publish(harness.appId(), placement, ContentKind::stories);
}

using ContentRules = OnEngines;

TEST_P(ContentRules, AnswersHoldWhatIsLiveForTheAskerInPriorityOrder) {
  ServiceHarness harness({}, databaseUrl());
  publish(harness, "rules",
          {{"groups", json::array({
                          group("00000000-0000-4000-8000-000000000001", "later", {{"priority", 5}}),
                          group("00000000-0000-4000-8000-000000000002", "first", {{"priority", 1}}),
                          group("00000000-0000-4000-8000-000000000003", "unranked"),
                          group("00000000-0000-4000-8000-000000000004", "over", {{"endAt", "2020-01-01T00:00:00Z"}}),
                          group("00000000-0000-4000-8000-000000000005", "to come", {{"startAt", "2999-01-01T00:00:00Z"}}),
                          group("00000000-0000-4000-8000-000000000006", "running",
                                {{"priority", 3}, {"startAt", "2020-01-01T00:00:00Z"}, {"endAt", "2999-01-01T00:00:00Z"}}),
                          group("00000000-0000-4000-8000-000000000007", "french", {{"priority", 2}, {"locales", {"fr"}}}),
                          group("00000000-0000-4000-8000-000000000008", "canada", {{"countries", {"CA"}}}),
                      })}});
  EXPECT_EQ(titles(harness, ""), (Titles{"first", "running", "later", "unranked"}));
  EXPECT_EQ(titles(harness, "?locale=fr-CA&country=CA"), (Titles{"first", "french", "running", "later", "unranked", "canada"}));
  EXPECT_EQ(titles(harness, "?environment=PRODUCTION&locale=de-DE&country=CA"),
            (Titles{"first", "running", "later", "unranked", "canada"}));
}

TEST_P(ContentRules, StagingSeesTheDraftAndEveryoneElseWhatIsPublished) {
  ServiceHarness harness({}, databaseUrl());
  const std::string path = "/sdk/v1/apps/demo-app/placements/home/stories";
  auto draft = harness.getJson(path);
  draft["groups"][0]["title"] = "Draft title";
  for (auto& record : draft["groups"])
    for (auto& item : record["items"]) item.erase("userVote");
  harness.store().saveDraft(harness.appId(), "home", ContentKind::stories, draft);

  EXPECT_EQ(harness.getJson(path)["groups"][0]["title"], "Welcome");
  EXPECT_EQ(harness.getJson(path + "?environment=PRODUCTION")["groups"][0]["title"], "Welcome");
  EXPECT_EQ(harness.getJson(path + "?environment=staging")["groups"][0]["title"], "Welcome") << "the SDK's spelling only";
  EXPECT_EQ(harness.getJson(path + "?environment=STAGING")["groups"][0]["title"], "Draft title");

  harness.store().publish(harness.appId(), "home", ContentKind::stories);
  EXPECT_EQ(harness.getJson(path)["groups"][0]["title"], "Draft title");

  // A placement never published exists for staging only.
  harness.store().saveDraft(harness.appId(), "preview", ContentKind::stories, {{"groups", json::array()}});
  EXPECT_EQ(harness.get("/sdk/v1/apps/demo-app/placements/preview/stories")->status, 404);
  EXPECT_EQ(harness.getJson("/sdk/v1/apps/demo-app/placements/preview/stories?environment=STAGING")["groups"],
            json::array());
}

INSTANTIATE_TEST_SUITE_P(Engines, ContentRules, ::testing::ValuesIn(test_support::storeEnginesForTests()),
                         test_support::engineName);

}  // namespace
}  // namespace orvane::service::app::testing
