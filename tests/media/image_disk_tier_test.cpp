#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include <orvane/media/story_image_pipeline.h>
#include <orvane/storage/disk_cache.h>
#include <orvane/storage/sha256.h>
#include "support/fake_platform.h"
#include "support/temporary_folder.h"

namespace orvane::testing {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Headers = std::vector<std::pair<std::string, std::string>>;

const Url kPhoto = *Url::parse("https://cdn.example.com/photo.jpg");

// One start of the app: its own platform, disk cache object and pipeline over a shared folder.
struct AppRun {
  explicit AppRun(const fs::path& folder, Date now, DiskCacheOptions diskOptions = {})
      : disk(std::make_shared<DiskCache>(folder, std::move(diskOptions))) {
    platform.clock->set(now);
    StoryImagePipeline::Options options;
    options.disk = disk;
    options.clock = platform.clock;
    pipeline = std::make_unique<StoryImagePipeline>(platform.http, platform.imageDecoder, platform.mainQueue,
                                                    platform.workers, options);
  }

  // What image() gives once every exchange the script allows has finished.
  std::shared_ptr<const Image> load(const Url& url = kPhoto) {
    bool done = false;
    std::shared_ptr<const Image> image;
    pipeline->image(url, [&](std::shared_ptr<const Image> result) {
      done = true;
      image = std::move(result);
    });
    platform.settle();
    EXPECT_TRUE(done);
    return image;
  }
  void answer(HttpResult result) {
    platform.http->setResponder([result = std::move(result)](const HttpRequest&) { return result; });
  }
  std::size_t requestCount() const { return platform.http->requests().size(); }

  FakePlatform platform;
  std::shared_ptr<DiskCache> disk;
  std::unique_ptr<StoryImagePipeline> pipeline;
};

HttpResult image(std::string body, Headers headers) {
  return ScriptedHttpSession::withHeaders(200, std::move(body), std::move(headers));
}

struct ImageDiskTierTest : ::testing::Test {
  TemporaryFolder root;
  fs::path folder = root.path() / "media";
  Date start = FakePlatform().clock->now();
};

// The fault: every start of the app downloaded every image again.
TEST_F(ImageDiskTierTest, AnImageDownloadedBeforeARestartIsShownWithoutTheNetwork) {
  {
    AppRun first(folder, start);
    first.answer(image("IMG:40x30", {{"Cache-Control", "max-age=3600"}}));
    ASSERT_TRUE(first.load());
    EXPECT_EQ(first.requestCount(), 1u);
  }
  AppRun second(folder, start + 10min);
  second.answer(ScriptedHttpSession::failure());
  auto shown = second.load();
  ASSERT_TRUE(shown);
  EXPECT_EQ(shown->width(), 40);
  EXPECT_EQ(second.requestCount(), 0u);
}

TEST_F(ImageDiskTierTest, AStaleImageIsRevalidatedWithItsEtagAndA304KeepsIt) {
  {
    AppRun first(folder, start);
    first.answer(image("IMG:40x30", {{"Cache-Control", "max-age=60"}, {"ETag", "\"v1\""}}));
    ASSERT_TRUE(first.load());
  }
  {
    AppRun later(folder, start + 2min);
    later.answer(ScriptedHttpSession::withHeaders(304, "", {{"Cache-Control", "max-age=600"}}));
    auto shown = later.load();
    ASSERT_TRUE(shown);
    EXPECT_EQ(shown->width(), 40);
    ASSERT_EQ(later.requestCount(), 1u);
    const auto request = later.platform.http->requests().front();
    ASSERT_TRUE(request.header("If-None-Match"));
    EXPECT_EQ(*request.header("If-None-Match"), "\"v1\"");
  }
  {
    // The 304 gave the entry a new life, and kept the validator it did not repeat.
    AppRun soon(folder, start + 5min);
    EXPECT_TRUE(soon.load());
    EXPECT_EQ(soon.requestCount(), 0u);
    EXPECT_EQ(soon.disk->find(kPhoto.string())->etag, "\"v1\"");
  }
  {
    AppRun changed(folder, start + 30min);
    changed.answer(image("IMG:80x60", {{"ETag", "\"v2\""}}));
    EXPECT_EQ(changed.load()->width(), 80);
    EXPECT_EQ(changed.disk->find(kPhoto.string())->etag, "\"v2\"");
  }
}

TEST_F(ImageDiskTierTest, NoStoreAndNoCacheAreHonoured) {
  {
    AppRun first(folder, start);
    first.answer(image("IMG:40x30", {{"Cache-Control", "max-age=3600"}}));
    ASSERT_TRUE(first.load());
  }
  {
    // The origin now forbids keeping it: the kept copy goes too.
    AppRun second(folder, start + 2h);
    second.answer(image("IMG:40x30", {{"Cache-Control", "no-store"}}));
    ASSERT_TRUE(second.load());
    EXPECT_FALSE(second.disk->find(kPhoto.string()));
  }
  {
    AppRun third(folder, start + 2h);
    third.answer(image("IMG:40x30", {{"Cache-Control", "no-cache"}, {"ETag", "\"n\""}}));
    ASSERT_TRUE(third.load());
    EXPECT_EQ(third.requestCount(), 1u);
  }
  // no-cache: kept, but asked about every time, and never shown unchecked.
  AppRun fourth(folder, start + 2h);
  fourth.answer(ScriptedHttpSession::failure());
  EXPECT_FALSE(fourth.load());
  ASSERT_EQ(fourth.requestCount(), 1u);
  EXPECT_EQ(*fourth.platform.http->requests().front().header("If-None-Match"), "\"n\"");
}

TEST_F(ImageDiskTierTest, AStaleImageStandsInWhileTheOriginCannotBeReached) {
  {
    AppRun first(folder, start);
    first.answer(image("IMG:40x30", {{"Cache-Control", "max-age=60"}}));
    ASSERT_TRUE(first.load());
    first.answer(image("IMG:50x50", {{"Cache-Control", "max-age=60, must-revalidate"}}));
    ASSERT_TRUE(first.load(*Url::parse("https://cdn.example.com/strict.jpg")));
  }
  AppRun offline(folder, start + 1h);
  offline.answer(ScriptedHttpSession::failure(TransportError::Code::timeout));
  EXPECT_EQ(offline.load()->width(), 40);
  EXPECT_FALSE(offline.load(*Url::parse("https://cdn.example.com/strict.jpg")));

  AppRun failing(folder, start + 1h);
  failing.answer(ScriptedHttpSession::status(503, "IMG:1x1"));
  EXPECT_EQ(failing.load()->width(), 40);
  // A 404 still shows what it carries, as before, but is not kept.
  failing.answer(ScriptedHttpSession::status(404, "IMG:7x7"));
  EXPECT_EQ(failing.load(*Url::parse("https://cdn.example.com/missing.jpg"))->width(), 7);
  EXPECT_FALSE(failing.disk->find("https://cdn.example.com/missing.jpg"));
}

TEST_F(ImageDiskTierTest, KeptBytesThatAreDamagedOrNoImageGoToTheNetworkInstead) {
  {
    AppRun first(folder, start);
    ASSERT_TRUE(first.disk->store(
        kPhoto.string(), "not an image",
        {.etag = "\"bad\"", .storedAt = start, .freshFor = 1h, .usableWhenStale = true, .size = 0}));
    first.answer(image("IMG:40x30", {{"Cache-Control", "max-age=3600"}}));
    EXPECT_EQ(first.load()->width(), 40);
    EXPECT_EQ(first.requestCount(), 1u);
    EXPECT_FALSE(first.platform.http->requests().front().header("If-None-Match"));
  }
  std::ofstream(folder / sha256Hex(kPhoto.string()), std::ios::binary | std::ios::trunc)
      << "IMG:40x30 cut sho";
  AppRun second(folder, start);
  second.answer(image("IMG:41x30", {{"Cache-Control", "max-age=3600"}}));
  EXPECT_EQ(second.load()->width(), 41);
  EXPECT_EQ(second.requestCount(), 1u);
  EXPECT_EQ(second.disk->read(kPhoto.string())->bytes, "IMG:41x30");
}

TEST_F(ImageDiskTierTest, AFullDiskStillShowsTheImage) {
  AppRun full(folder, start, {.maxBytes = 1 << 20, .write = [](int, std::string_view) { return ENOSPC; }});
  full.answer(image("IMG:40x30", {{"Cache-Control", "max-age=3600"}}));
  EXPECT_EQ(full.load()->width(), 40);
  EXPECT_FALSE(full.disk->find(kPhoto.string()));
  EXPECT_EQ(full.disk->bytesOnDisk(), 0u);
}

}  // namespace
}  // namespace orvane::testing
