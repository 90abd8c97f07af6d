#include "http/router.h"

#include <gtest/gtest.h>

#include "http/request_target.h"

namespace orvane::service::http {
namespace {

Response ok(Request&) { return Response::json(200, nlohmann::json::object()); }

TEST(Router, MatchesLiteralsAndPlaceholdersAndTellsAKnownPathFromAnUnknownOne) {
  Router router;
  router.add("GET", "/sdk/v1/apps/{}/placements/{}/stories", "stories", {}, ok);
  router.add("POST", "/sdk/v1/events", "events", {1024}, ok);
  router.add("PUT", "/sdk/v1/events", "events-put", {}, ok);

  auto stories = router.match("GET", "/sdk/v1/apps/demo/placements/home/stories");
  ASSERT_NE(stories.route, nullptr);
  EXPECT_EQ(stories.route->name, "stories");
  EXPECT_EQ(stories.parameters, (std::vector<std::string>{"demo", "home"}));

  auto wrongMethod = router.match("GET", "/sdk/v1/events");
  EXPECT_EQ(wrongMethod.route, nullptr);
  EXPECT_TRUE(wrongMethod.pathKnown);
  EXPECT_EQ(router.allowedMethods({"sdk", "v1", "events"}), "POST, PUT");

  auto unknown = router.match("GET", "/sdk/v1/apps/demo/placements/home");
  EXPECT_EQ(unknown.route, nullptr);
  EXPECT_FALSE(unknown.pathKnown);
  // A placeholder takes one non-empty segment.
  EXPECT_EQ(router.match("GET", "/sdk/v1/apps//placements/home/stories").route, nullptr);
  EXPECT_EQ(router.match("GET", "/sdk/v1/apps/demo/placements/home/stories/").route, nullptr);
}

TEST(Router, DecodesSegmentsAfterSplittingSoAnEncodedSlashStaysInItsSegment) {
  Router router;
  router.add("GET", "/media/{}", "media", {}, ok);
  router.add("GET", "/media/{}/{}", "nested", {}, ok);

  auto match = router.match("GET", "/media/a%2Fb");
  ASSERT_NE(match.route, nullptr);
  EXPECT_EQ(match.route->name, "media");
  EXPECT_EQ(match.parameters, (std::vector<std::string>{"a/b"}));
  EXPECT_EQ(router.match("GET", "/media/caf%C3%A9").parameters, (std::vector<std::string>{"caf\xC3\xA9"}));

  EXPECT_EQ(router.match("GET", "/media/%2E%2E").route, nullptr);
  EXPECT_EQ(router.match("GET", "/media/a%00b").route, nullptr);
  EXPECT_EQ(router.match("GET", "/media/a%zz").route, nullptr);
}

TEST(RequestTarget, DecodesThePathAndTheQueryAndRefusesUnsafeTargets) {
  auto target = parseRequestTarget("/sdk/v1/apps/demo%20app/x?environment=STAGING&locale=fr%2DCA&q=a+b&locale=de&flag");
  ASSERT_TRUE(target);
  EXPECT_EQ(target->path, "/sdk/v1/apps/demo app/x");
  EXPECT_EQ(target->query.at("environment"), "STAGING");
  EXPECT_EQ(target->query.at("locale"), "fr-CA");  // the first of repeated names
  EXPECT_EQ(target->query.at("q"), "a b");
  EXPECT_EQ(target->query.at("flag"), "");

  EXPECT_FALSE(parseRequestTarget("http://example.com/x"));
  EXPECT_FALSE(parseRequestTarget("*"));
  EXPECT_FALSE(parseRequestTarget("/a/../b"));
  EXPECT_FALSE(parseRequestTarget("/a/%2e/b"));
  EXPECT_FALSE(parseRequestTarget("/a?x=%00"));
  EXPECT_FALSE(parseRequestTarget("/a?x=%4"));
  EXPECT_TRUE(parseRequestTarget("/a/..b/c%FF"));  // not a parent segment; bytes pass as they are
}

}  // namespace
}  // namespace orvane::service::http
