// What the console may save: links the SDK opens, answerable polls and quizzes, banners that lay out.
#include <gtest/gtest.h>

#include "admin/authoring_rules.h"
#include "console_harness.h"

namespace orvane::service::admin {
namespace {

using nlohmann::json;

TEST(LinkRules, OnlyLinksTheSdkWouldOpenPass) {
  const std::vector<std::string> app{"orvane-demo"};
  for (const char* fine : {"https://example.com/x", "  example.com/offer ", "HTTP://Example.com:8080/a?b#c",
                           "mailto:team@example.com?subject=Hi", "tel:+33123456789", "orvane-demo://catalogue",
                           "https://[::1]:8443/x"}) {
    EXPECT_EQ(linkProblem(fine, app), "") << fine;
  }
  for (const char* refused : {"javascript:alert(1)", "JavaScript:alert(1)", "data:text/html,x", "file:///etc/passwd",
                              "https://bank.example@evil.example/", "https:///nohost", "https://exa mple.com",
                              "mailto:a@example.com?attach=/etc/passwd", "mailto:a@example.com?%61ttach%3D/x",
                              "mailto:a@example.com;file=/x", "intent://x", "   ", "other-app://x", "https://[",
                              "https://exa<mple.com/", "https://[::1/x"}) {
    EXPECT_NE(linkProblem(refused, app), "") << refused;
  }
}

json quizPage(const json& options) {
  return {{"id", "aaaaaaaa-0000-4000-8000-000000000001"}, {"type", "QUIZ"}, {"widgetType", "QUIZ"},
          {"widgetOptions", options}};
}

json option(const char* id, const char* text, bool correct) {
  return {{"id", id}, {"text", text}, {"orderIndex", 0}, {"isCorrect", correct}};
}

TEST(AuthoringRules, EveryProblemIsListedWithItsPath) {
  const json document{
      {"groups",
       {{{"id", "cccccccc-0000-4000-8000-000000000001"},
         {"title", " "},
         {"items",
          {quizPage({option("bbbbbbbb-0000-4000-8000-00000000000a", "A", false),
                     option("bbbbbbbb-0000-4000-8000-00000000000b", "", false)}),
           {{"id", "aaaaaaaa-0000-4000-8000-000000000002"},
            {"type", "VIDEO"},
            {"ctaText", "Buy"},
            {"durationSeconds", 0},
            {"media", {{"mediaType", "GIF"}, {"mediaUrl", "ftp://example.com/a.gif"}}}},
           {{"id", "aaaaaaaa-0000-4000-8000-000000000003"}, {"type", "IMAGE"}, {"widgetType", "poll"}},
           {{"id", "aaaaaaaa-0000-4000-8000-000000000004"},
            {"type", "IMAGE"},
            {"widgetType", "SWIPE"},
            {"ctaText", "Go"},
            {"ctaUrl", "javascript:alert(1)"}}}}}}}};
  std::vector<std::string> found;
  for (const ContentProblem& problem : authoringProblems(document, storage::ContentKind::stories, "home", {}))
    found.push_back(problem.path);
  EXPECT_EQ(found, (std::vector<std::string>{
                       "groups[0].title",
                       "groups[0].items[0].widgetOptions[1].text",
                       "groups[0].items[0].widgetOptions",
                       "groups[0].items[1].media.mediaType",
                       "groups[0].items[1].media.mediaUrl",
                       "groups[0].items[1].durationSeconds",
                       "groups[0].items[1].ctaUrl",
                       "groups[0].items[2].widgetType",
                       "groups[0].items[3].ctaUrl",
                       "groups[0].items[3].swipeCallbackUrl",
                   }));

  const json banners{{"banners",
                      {{{"id", 1},
                        {"type", "STATIC"},
                        {"placementKey", "elsewhere"},
                        {"viewOrder", 0},
                        {"bannerAspectRatio", "16/9"},
                        {"items",
                         {{{"id", 2}, {"mediaUrl", "{{origin}}/media/a.png"}, {"orderIndex", 0}, {"ctaUrl", "data:x"}},
                          {{"id", 2},
                           {"mediaUrl", "{{origin}}/media/b.png"},
                           {"orderIndex", 1},
                           {"ctaType", "DEEP_LINK"},
                           {"ctaUrl", "anything://host-reads-it"}}}}}}}};
  found.clear();
  for (const ContentProblem& problem : authoringProblems(banners, storage::ContentKind::banners, "home_banner", {}))
    found.push_back(problem.path);
  EXPECT_EQ(found, (std::vector<std::string>{"banners[0].placementKey", "banners[0].items", "banners[0].bannerAspectRatio",
                                             "banners[0].items[0].ctaUrl", "banners[0].items[1].id"}));
}

TEST(AuthoringOverHttp, AWholeStoryRoundTripsAndABadOneIsRefusedWithItsProblems) {
  media::TemporaryFolder folder;
  ConsoleServer server("sqlite:" + (folder.path() / "db.sqlite").string());
  server.addUser("edith", storage::Role::editor);
  const Browser editor = server.signIn("edith");
  ASSERT_EQ(server.send("POST", "/admin/v1/apps/demo-app/placements", &editor, R"({"key": "promo", "kind": "stories"})")
                ->status,
            201);
  const std::string png = std::string("\x89PNG\r\n\x1A\n", 8) + std::string(64, '\0');
  auto uploaded = server.send("POST", "/admin/v1/media", &editor, png);
  ASSERT_EQ(uploaded->status, 201) << uploaded->body;
  const std::string imageUrl = "{{origin}}" + json::parse(uploaded->body)["url"].get<std::string>();

  const json group{{"id", "cccccccc-0000-4000-8000-000000000009"},
                   {"title", "Spring"},
                   {"coverUrl", imageUrl},
                   {"priority", 2},
                   {"startAt", "2026-03-01T00:00:00Z"},
                   {"endAt", "2026-04-01T00:00:00Z"},
                   {"locales", {"fr", "fr-CA"}},
                   {"countries", {"FR"}},
                   {"theme", {{"name", "Sun"}, {"progressStyle", "BAR"}, {"primaryColor", "#FF6B35"}}},
                   {"items",
                    {{{"id", "aaaaaaaa-0000-4000-8000-000000000009"},
                      {"type", "IMAGE"},
                      {"title", "Hello"},
                      {"bodyText", "World"},
                      {"ctaText", "More"},
                      {"ctaUrl", "example.com/more"},
                      {"durationSeconds", 7},
                      {"media", {{"mediaType", "IMAGE"}, {"mediaUrl", imageUrl}}},
                      {"widgetType", "QUIZ"},
                      {"widgetQuestion", "Which?"},
                      {"widgetOptions",
                       {option("bbbbbbbb-0000-4000-8000-00000000000a", "A", false),
                        option("bbbbbbbb-0000-4000-8000-00000000000b", "B", true)}}}}}};
  const json document{{"groups", {group}}};
  const std::string draft = "/admin/v1/apps/demo-app/placements/promo/stories/draft";
  auto saved = server.send("PUT", draft, &editor, document.dump());
  ASSERT_EQ(saved->status, 200) << saved->body;
  EXPECT_EQ(json::parse(server.send("GET", draft, &editor)->body)["document"], document);

  json broken = document;
  broken["groups"][0]["items"][0]["ctaUrl"] = "javascript:alert(1)";
  broken["groups"][0]["items"][0]["widgetOptions"][0]["isCorrect"] = true;
  auto refused = server.send("PUT", draft, &editor, broken.dump());
  ASSERT_EQ(refused->status, 400);
  const json answer = json::parse(refused->body);
  ASSERT_EQ(answer["problems"].size(), 2u) << answer.dump();
  EXPECT_EQ(answer["problems"][0]["path"], "groups[0].items[0].ctaUrl");
  EXPECT_EQ(answer["problems"][1]["path"], "groups[0].items[0].widgetOptions");

  broken = document;
  broken["groups"][0]["items"][0]["id"] = "not-a-uuid";
  const json shape = json::parse(server.send("PUT", draft, &editor, broken.dump())->body);
  EXPECT_EQ(shape["problems"][0]["path"], "groups[0].items[0].id") << shape.dump();
  EXPECT_EQ(json::parse(server.send("GET", draft, &editor)->body)["document"], document) << "nothing refused is kept";

  EXPECT_EQ(server.send("POST", "/admin/v1/apps/demo-app/placements", &editor, R"({"key": "promo", "kind": "stories"})")
                ->status,
            409);
  EXPECT_EQ(server.send("DELETE", "/admin/v1/apps/demo-app/placements/promo/stories", &editor)->status, 200);
  EXPECT_EQ(server.send("GET", draft, &editor)->status, 404);
  EXPECT_EQ(server.send("DELETE", "/admin/v1/apps/demo-app/placements/promo/stories", &editor)->status, 404);
}

}  // namespace
}  // namespace orvane::service::admin
