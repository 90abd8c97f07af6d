#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>

#include "content/content_error.h"
#include "content/content_folder.h"
#include "content/wire_shape.h"

namespace orvane::service::content {
namespace {

using nlohmann::json;
using storage::ContentKind;

class ScratchFolder {
 public:
  ScratchFolder()
      : path_(std::filesystem::temp_directory_path() /
              ("orvane-content-" + std::to_string(getpid()) + "-" + std::to_string(counter_++))) {
    std::filesystem::create_directories(path_);
  }
  ~ScratchFolder() { std::filesystem::remove_all(path_); }
  void write(const std::string& name, const std::string& text) { std::ofstream(path_ / name) << text; }
  const std::filesystem::path& path() const { return path_; }

 private:
  static inline int counter_ = 0;
  std::filesystem::path path_;
};

std::string failure(const std::function<void()>& action) {
  try {
    action();
  } catch (const ContentError& error) {
    return error.what();
  }
  return "(accepted)";
}

std::string shapeFailure(const json& document, ContentKind kind = ContentKind::stories) {
  return failure([&] { checkDocument(document, kind, "doc"); });
}

json story(json item) {
  return {{"groups", json::array({{{"id", "8c1e8a0e-3b5f-4c4e-9f0a-2a4b6c8d0e1f"},
                                   {"title", "t"},
                                   {"items", json::array({std::move(item)})}}})}};
}

json pollItem(json options) {
  return {{"id", "5d2f9b1a-7c3e-4d5f-8a9b-0c1d2e3f4a5b"}, {"type", "POLL"}, {"widgetOptions", std::move(options)}};
}

TEST(ContentFolder, ReadsTheSampleContentSortedAndWritesItBackUnchanged) {
  const auto placements = readContentFolder(ORVANE_SAMPLE_CONTENT_DIR);
  ASSERT_EQ(placements.size(), 3u);
  EXPECT_EQ(placements[0].placementKey, "home");
  EXPECT_EQ(placements[0].kind, ContentKind::stories);
  EXPECT_EQ(placements[1].placementKey, "home_banner");
  EXPECT_EQ(placements[1].kind, ContentKind::banners);
  EXPECT_EQ(placements[2].placementKey, "home_story_banner");

  ScratchFolder exported;
  writeContentFolder(exported.path() / "out", placements);
  const auto again = readContentFolder(exported.path() / "out");
  ASSERT_EQ(again.size(), placements.size());
  for (std::size_t i = 0; i < again.size(); ++i) EXPECT_EQ(again[i].document, placements[i].document);
  EXPECT_FALSE(std::filesystem::exists(exported.path() / "out" / "home.stories.json.partial"));
}

TEST(ContentFolder, NamesTheFileAndPlaceOfTheFirstProblem) {
  ScratchFolder empty;
  EXPECT_NE(failure([&] { readContentFolder(empty.path()); }).find("holds no"), std::string::npos);
  EXPECT_NE(failure([&] { readContentFolder(empty.path() / "missing"); }).find("not a content folder"),
            std::string::npos);

  ScratchFolder bad;
  bad.write("home.stories.json", story(pollItem(json::array({{{"id", "nope"}, {"text", "a"}, {"orderIndex", 0}}}))).dump());
  EXPECT_NE(failure([&] { readContentFolder(bad.path()); })
                .find("home.stories.json: groups[0].items[0].widgetOptions[0].id is not a UUID"),
            std::string::npos);

  ScratchFolder broken;
  broken.write("side.banners.json", R"({"banners": [{"id": 1.5}]})");
  EXPECT_NE(failure([&] { readContentFolder(broken.path()); }).find("banners[0].id is not a 64-bit integer"),
            std::string::npos);

  ScratchFolder notJson;
  notJson.write("home.stories.json", "{\"groups\": [");
  EXPECT_NE(failure([&] { readContentFolder(notJson.path()); }).find("not JSON"), std::string::npos);

  ScratchFolder badName;
  badName.write("a b.stories.json", R"({"groups": []})");
  EXPECT_NE(failure([&] { readContentFolder(badName.path()); }).find("placement key"), std::string::npos);
}

TEST(WireShape, RefusesWhatWouldFailTheSdksWholeAnswer) {
  const json option{{"id", "0b6b8a7c-8a56-4f1e-9b7d-3f2c1e0d9a8b"}, {"text", "a"}, {"orderIndex", 0}};
  EXPECT_EQ(shapeFailure(story(pollItem(json::array({option})))), "(accepted)");

  auto noText = option;
  noText.erase("text");
  EXPECT_NE(shapeFailure(story(pollItem(json::array({noText})))).find("widgetOptions[0].text is missing"),
            std::string::npos);
  auto fractional = option;
  fractional["orderIndex"] = 0.5;
  EXPECT_NE(shapeFailure(story(pollItem(json::array({fractional})))).find("orderIndex is not a 64-bit integer"),
            std::string::npos);
  EXPECT_NE(shapeFailure(story(pollItem(json::array({option, option})))).find("widgetOptions[1].id appears twice"),
            std::string::npos);

  auto item = pollItem(json::array({option}));
  item["title"] = 3;
  EXPECT_NE(shapeFailure(story(item)).find("items[0].title is not a text"), std::string::npos);
  item = pollItem(json::array({option}));
  item["userVote"] = {{"optionId", option["id"]}};
  EXPECT_NE(shapeFailure(story(item)).find("userVote is the service's to set"), std::string::npos);
  item = pollItem(json::array({option}));
  item["media"] = {{"mediaType", "IMAGE"}};
  EXPECT_NE(shapeFailure(story(item)).find("media.mediaUrl is missing"), std::string::npos);

  auto scheduled = story(pollItem(json::array({option})));
  scheduled["groups"][0]["startAt"] = "2024-05-01 12:30";
  EXPECT_NE(shapeFailure(scheduled).find("groups[0].startAt is not a date"), std::string::npos);
  scheduled["groups"][0]["startAt"] = "2024-02-30T00:00:00Z";
  EXPECT_NE(shapeFailure(scheduled).find("startAt is not a date"), std::string::npos);
  scheduled["groups"][0]["startAt"] = "2024-05-01T12:30:00+02:00";
  EXPECT_EQ(shapeFailure(scheduled), "(accepted)");
  scheduled["groups"][0]["locales"] = json::array({"fr", "fr CA"});
  EXPECT_NE(shapeFailure(scheduled).find("groups[0].locales holds something other"), std::string::npos);

  const json banner{{"id", 1}, {"type", "STATIC"}, {"placementKey", "p"}, {"viewOrder", 1},
                    {"items", json::array({{{"id", 2}, {"mediaUrl", "u"}, {"orderIndex", 0}}})}};
  EXPECT_EQ(shapeFailure({{"banners", json::array({banner})}}, ContentKind::banners), "(accepted)");
  auto huge = banner;
  huge["id"] = std::uint64_t{1} << 63;  // beyond the SDK's signed 64-bit ids
  EXPECT_NE(shapeFailure({{"banners", json::array({huge})}}, ContentKind::banners).find("banners[0].id"),
            std::string::npos);
  EXPECT_NE(shapeFailure({{"groups", json::array()}}, ContentKind::banners).find("banners is missing"),
            std::string::npos);
  EXPECT_NE(shapeFailure(json::array()).find("the document is not an object"), std::string::npos);
}

}  // namespace
}  // namespace orvane::service::content
