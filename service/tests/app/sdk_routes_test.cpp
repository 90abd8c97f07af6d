#include "content_service.h"

#include <gtest/gtest.h>
#include <httplib.h>
#include <unistd.h>
#include <zlib.h>

#include <chrono>
#include <fstream>
#include <thread>

namespace orvane::service {
namespace {

using nlohmann::json;

const std::string kStories = "/sdk/v1/apps/demo/placements/home/stories";
const std::string kBanners = "/sdk/v1/apps/demo/placements/home_banner/banners";

// The sample poll; the file spells its ids in upper case, clients send them in lower case.
const std::string kPollItem = "2a3f1c49-6b5b-5013-a748-3b0b4b8d176d";
const std::string kStoriesOption = "f7d563b8-a35f-5600-b3fb-4fc1cddf0af1";
const std::string kBannersOption = "4eec43c3-6a86-519c-97d8-357bdfee7373";

class ContentServiceTest : public ::testing::Test {
 protected:
  ContentServiceTest() : service_(ORVANE_SAMPLE_CONTENT_DIR) {
    service_.start();
    client_ = std::make_unique<httplib::Client>("127.0.0.1", service_.port());
    client_->set_connection_timeout(5);
    client_->set_read_timeout(5);
  }

  httplib::Result get(const std::string& path, const std::string& userId = "",
                      const std::string& key = "demo-sdk-key") {
    httplib::Headers headers{{"X-Zephro-SDK-Key", key}};
    if (!userId.empty()) headers.emplace("X-Zephro-UserId", userId);
    return client_->Get(path, headers);
  }

  httplib::Result post(const std::string& path, const std::string& body, const std::string& userId = "") {
    httplib::Headers headers{{"X-Zephro-SDK-Key", "demo-sdk-key"}};
    if (!userId.empty()) headers.emplace("X-Zephro-UserId", userId);
    return client_->Post(path, headers, body, "application/json");
  }

  httplib::Result vote(const std::string& optionId, const std::string& userId) {
    return post("/sdk/v1/apps/demo/story-items/" + kPollItem + "/vote", json{{"optionId", optionId}}.dump(),
                userId);
  }

  json pollItem(const std::string& userId) {
    auto answer = get(kStories, userId);
    EXPECT_EQ(answer->status, 200);
    const auto document = json::parse(answer->body);
    for (const auto& group : document["groups"])
      for (const auto& item : group["items"])
        if (lowercaseId(item["id"].get<std::string>()) == kPollItem) return item;
    ADD_FAILURE() << "no poll item";
    return {};
  }

  static std::int64_t countOf(const json& item, std::size_t option) {
    return item["widgetOptions"][option]["voteCount"].get<std::int64_t>();
  }

  ContentService service_;
  std::unique_ptr<httplib::Client> client_;
};

TEST_F(ContentServiceTest, ServesTheSamplePlacementsInWireFormWithItsOwnImageLinks) {
  auto stories = get(kStories);
  ASSERT_TRUE(stories);
  ASSERT_EQ(stories->status, 200);
  EXPECT_EQ(stories->get_header_value("Content-Type"), "application/json");
  EXPECT_EQ(stories->body.find("{{origin}}"), std::string::npos);
  auto groups = json::parse(stories->body)["groups"];
  ASSERT_EQ(groups.size(), 4u);
  const auto imageOrigin = service_.origin() + "/images/";
  EXPECT_EQ(groups[0]["items"][0]["media"]["mediaUrl"], imageOrigin + "welcome-1.png");

  auto banners = get(kBanners);
  ASSERT_EQ(banners->status, 200);
  auto list = json::parse(banners->body)["banners"];
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list[0]["id"].get<std::int64_t>(), 4611686018427387905);  // beyond a double's exact range
  EXPECT_EQ(list[0]["items"][0]["mediaUrl"], imageOrigin + "carousel-1.png?w=800&h=450");
  auto storyBanner = get("/sdk/v1/apps/demo/placements/home_story_banner/banners");
  ASSERT_EQ(storyBanner->status, 200);
  EXPECT_EQ(json::parse(storyBanner->body)["banners"][0]["type"], "STORY");
}

TEST_F(ContentServiceTest, RefusesWrongKeysAndUnknownPlacements) {
  EXPECT_EQ(get(kStories, "", "")->status, 401);
  EXPECT_EQ(get(kStories, "", "other-key")->status, 401);
  EXPECT_EQ(client_->Post("/sdk/v1/events", json::object().dump(), "application/json")->status, 401);
  EXPECT_TRUE(service_.events().empty());

  EXPECT_EQ(get("/sdk/v1/apps/demo/placements/nowhere/stories")->status, 404);
  EXPECT_EQ(get("/sdk/v1/apps/demo/placements/home/banners")->status, 404);
  EXPECT_EQ(get("/sdk/v1/apps/demo/placements/home_banner/stories")->status, 404);
}

TEST_F(ContentServiceTest, CountsVotesAndShowsEachUserTheirOwn) {
  const auto before = countOf(pollItem(""), 0);

  auto answer = vote(kStoriesOption, "user-1");
  ASSERT_EQ(answer->status, 200);
  EXPECT_EQ(json::parse(answer->body),
            (json{{"voted", true}, {"optionId", kStoriesOption}, {"voteCount", before + 1}}));

  auto mine = pollItem("user-1");
  EXPECT_EQ(mine["userVote"]["optionId"], kStoriesOption);
  EXPECT_TRUE(mine["userVote"]["votedAt"].is_string());
  EXPECT_EQ(countOf(mine, 0), before + 1);
  auto theirs = pollItem("user-2");
  EXPECT_FALSE(theirs.contains("userVote"));
  EXPECT_EQ(countOf(theirs, 0), before + 1);

  // Changing one's mind moves the vote; repeating it counts nothing.
  const auto bannersBefore = service_.voteCount(kBannersOption);
  vote(kBannersOption, "user-1");
  vote(kBannersOption, "user-1");
  EXPECT_EQ(service_.voteCount(kStoriesOption), before);
  EXPECT_EQ(service_.voteCount(kBannersOption), bannersBefore + 1);
  EXPECT_EQ(service_.userVote("user-1", kPollItem), kBannersOption);

  EXPECT_EQ(vote("00000000-0000-4000-8000-000000000000", "user-1")->status, 400);
  EXPECT_EQ(post("/sdk/v1/apps/demo/story-items/" + kPollItem + "/vote", "not json", "user-1")->status, 400);
  EXPECT_EQ(post("/sdk/v1/apps/demo/story-items/00000000-0000-4000-8000-000000000000/vote",
                 json{{"optionId", kStoriesOption}}.dump(), "user-1")
                ->status,
            404);
  EXPECT_EQ(service_.voteCount(kBannersOption), bannersBefore + 1);
}

TEST_F(ContentServiceTest, RecordsEventsAndAnalyticsForReadingBack) {
  const json event{{"appKey", "demo"}, {"eventType", "STORY_OPEN"}};
  const json record{{"placementKey", "home"}, {"eventType", "STORY_GROUP_OPENED"}};
  EXPECT_EQ(post("/sdk/v1/events", event.dump())->status, 202);
  EXPECT_EQ(post("/sdk/v1/apps/demo/events", record.dump())->status, 202);
  EXPECT_EQ(post("/sdk/v1/events", "[1, 2")->status, 400);

  EXPECT_EQ(service_.events(), std::vector<json>{event});
  EXPECT_EQ(service_.analytics(), std::vector<json>{record});
  EXPECT_EQ(json::parse(client_->Get("/debug/events")->body), json::array({event}));
  EXPECT_EQ(json::parse(client_->Get("/debug/analytics")->body), json::array({record}));
}

TEST_F(ContentServiceTest, AnswersEverything503WhileUnavailable) {
  service_.setUnavailable(true);
  EXPECT_EQ(get(kStories)->status, 503);
  EXPECT_EQ(client_->Get("/images/a.png")->status, 503);
  EXPECT_EQ(post("/sdk/v1/events", "{}")->status, 503);
  EXPECT_TRUE(service_.events().empty());
  service_.setUnavailable(false);
  EXPECT_EQ(get(kStories)->status, 200);
}

TEST_F(ContentServiceTest, HoldsMediaBackWhileSlowAndStoppingCutsTheWaitShort) {
  using std::chrono::milliseconds;
  const auto timed = [](auto&& request) {
    const auto start = std::chrono::steady_clock::now();
    request();
    return std::chrono::duration_cast<milliseconds>(std::chrono::steady_clock::now() - start);
  };
  service_.setMediaDelay(milliseconds(150));
  EXPECT_GE(timed([&] { EXPECT_EQ(client_->Get("/images/a.png?w=4&h=4")->status, 200); }), milliseconds(150));
  EXPECT_GE(timed([&] { EXPECT_EQ(client_->Get("/videos/v.avi?w=16&h=16&s=1")->status, 200); }),
            milliseconds(150));
  EXPECT_LT(timed([&] { EXPECT_EQ(get(kStories)->status, 200); }), milliseconds(150));

  service_.setMediaDelay(milliseconds(30000));
  std::thread waiting([&] { client_->Get("/images/b.png?w=4&h=4"); });
  std::this_thread::sleep_for(milliseconds(50));
  EXPECT_LT(timed([&] { service_.stop(); }), milliseconds(5000));
  waiting.join();
}

std::uint32_t bigEndian(const std::string& bytes, std::size_t at) {
  std::uint32_t value = 0;
  for (std::size_t i = 0; i < 4; ++i) value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
  return value;
}

TEST_F(ContentServiceTest, GeneratesDecodablePngImagesPerName) {
  auto image = client_->Get("/images/welcome-1.png?w=40&h=20");
  ASSERT_EQ(image->status, 200);
  EXPECT_EQ(image->get_header_value("Content-Type"), "image/png");
  const auto& png = image->body;
  ASSERT_EQ(png.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
  ASSERT_EQ(png.substr(12, 4), "IHDR");
  EXPECT_EQ(bigEndian(png, 16), 40u);
  EXPECT_EQ(bigEndian(png, 20), 20u);
  EXPECT_EQ(bigEndian(png, 29), crc32(0L, reinterpret_cast<const Bytef*>(png.data() + 12), 17));

  const std::size_t idat = 33;
  ASSERT_EQ(png.substr(idat + 4, 4), "IDAT");
  std::string pixels((40 * 3 + 1) * 20 + 1, '\0');
  uLongf size = pixels.size();
  ASSERT_EQ(uncompress(reinterpret_cast<Bytef*>(pixels.data()), &size,
                       reinterpret_cast<const Bytef*>(png.data() + idat + 8), bigEndian(png, idat)),
            Z_OK);
  EXPECT_EQ(size, (40u * 3 + 1) * 20);

  EXPECT_EQ(client_->Get("/images/welcome-1.png?w=40&h=20")->body, png);
  EXPECT_NE(client_->Get("/images/welcome-2.png?w=40&h=20")->body, png);
  EXPECT_EQ(client_->Get("/images/a.png?w=0")->status, 400);
  EXPECT_EQ(client_->Get("/images/a.png?h=4096")->status, 400);
}

std::uint32_t littleEndian(const std::string& bytes, std::size_t at) {
  std::uint32_t value = 0;
  for (std::size_t i = 4; i-- > 0;) value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
  return value;
}

TEST_F(ContentServiceTest, GeneratesIndexedMotionJpegVideosWithinASizeBound) {
  auto video = client_->Get("/videos/intro.avi?w=10&h=6&s=2");
  ASSERT_EQ(video->status, 200);
  EXPECT_EQ(video->get_header_value("Content-Type"), "video/x-msvideo");
  const auto& avi = video->body;
  ASSERT_GE(avi.size(), 12u);
  EXPECT_EQ(avi.substr(0, 4), "RIFF");
  EXPECT_EQ(littleEndian(avi, 4), avi.size() - 8);
  EXPECT_EQ(avi.substr(8, 4), "AVI ");
  EXPECT_NE(avi.find("vidsMJPG"), std::string::npos);

  // 16 frames (2 s at 8 fps), each a whole JPEG in the chunk the index points at.
  const auto movie = avi.find("movi");
  const auto index = avi.find("idx1");
  ASSERT_NE(movie, std::string::npos);
  ASSERT_NE(index, std::string::npos);
  ASSERT_EQ(littleEndian(avi, index + 4), 16u * 16);
  std::size_t expectedOffset = 4;
  for (std::size_t frame = 0; frame < 16; ++frame) {
    const auto entry = index + 8 + frame * 16;
    EXPECT_EQ(avi.substr(entry, 4), "00dc");
    const auto offset = littleEndian(avi, entry + 8), size = littleEndian(avi, entry + 12);
    EXPECT_EQ(offset, expectedOffset);
    const auto chunk = movie + offset;
    ASSERT_LE(chunk + 8 + size, index);
    EXPECT_EQ(avi.substr(chunk, 4), "00dc");
    EXPECT_EQ(littleEndian(avi, chunk + 4), size);
    EXPECT_EQ(avi.substr(chunk + 8, 2), "\xFF\xD8") << "frame " << frame;
    EXPECT_EQ(avi.substr(chunk + 8 + size - 2, 2), "\xFF\xD9") << "frame " << frame;
    expectedOffset += 8 + size + size % 2;
  }
  EXPECT_EQ(movie + expectedOffset, index);

  EXPECT_NE(client_->Get("/videos/intro.avi?w=10&h=6&s=3")->body, avi);
  EXPECT_EQ(client_->Get("/videos/intro.avi?s=31")->status, 400);
  EXPECT_EQ(client_->Get("/videos/intro.avi?w=2048&h=2048")->status, 400);
}

class ScratchDirectory {
 public:
  ScratchDirectory()
      : path_(std::filesystem::temp_directory_path() /
              ("orvane-content-" + std::to_string(getpid()) + "-" + std::to_string(counter_++))) {
    std::filesystem::create_directories(path_);
  }
  ~ScratchDirectory() { std::filesystem::remove_all(path_); }
  void write(const std::string& name, const std::string& text) { std::ofstream(path_ / name) << text; }
  const std::filesystem::path& path() const { return path_; }

 private:
  static inline int counter_ = 0;
  std::filesystem::path path_;
};

TEST(ContentServiceLoading, NamesWhatIsWrongWithTheContent) {
  auto failure = [](const std::filesystem::path& directory) -> std::string {
    try {
      ContentService service(directory);
    } catch (const ContentError& error) {
      return error.what();
    }
    return "(loaded)";
  };

  ScratchDirectory empty;
  EXPECT_NE(failure(empty.path()).find("holds no"), std::string::npos);
  EXPECT_NE(failure(empty.path() / "missing").find("not a content directory"), std::string::npos);

  ScratchDirectory bad;
  bad.write("home.stories.json", R"({"groups": [{"id": "8c1e8a0e-3b5f-4c4e-9f0a-2a4b6c8d0e1f", "title": "t",
      "items": [{"id": "5d2f9b1a-7c3e-4d5f-8a9b-0c1d2e3f4a5b", "type": "POLL",
                 "widgetOptions": [{"id": "nope", "text": "a", "orderIndex": 0}]}]}]})");
  EXPECT_NE(
      failure(bad.path()).find("home.stories.json: groups[0].items[0].widgetOptions[0].id is not a UUID"),
      std::string::npos);

  ScratchDirectory broken;
  broken.write("side.banners.json", R"({"banners": [{"id": 1.5}]})");
  EXPECT_NE(failure(broken.path()).find("banners[0].id is not an integer"), std::string::npos);
}

}  // namespace
}  // namespace orvane::service
