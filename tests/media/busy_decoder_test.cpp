#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include <orvane/api/story_api.h>
#include <orvane/core/story_sdk.h>
#include <orvane/media/story_image_pipeline.h>
#include "support/fake_platform.h"

namespace orvane::testing {
namespace {

// Decodes like the fake, except that "IMG:9x9" blocks until released.
class GatedDecoder final : public ImageDecoder {
 public:
  std::shared_ptr<const Image> decode(std::string_view bytes,
                                      const ImageDecodeLimits& limits) const override {
    if (bytes == "IMG:9x9") {
      std::unique_lock lock(mutex_);
      ++blocked_;
      changed_.notify_all();
      changed_.wait(lock, [this] { return released_; });
    }
    return FakeImageDecoder().decode(bytes, limits);
  }
  void waitUntilBlocked(int count = 1) const {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this, count] { return blocked_ >= count; });
  }
  void release() {
    std::lock_guard lock(mutex_);
    released_ = true;
    changed_.notify_all();
  }

 private:
  mutable std::mutex mutex_;
  mutable std::condition_variable changed_;
  mutable int blocked_ = 0;
  bool released_ = false;
};

// Runs the main queue until `done` holds; false when it still does not after a generous while.
template <typename Done>
bool drainUntil(VirtualMainQueue& mainQueue, Done done) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    mainQueue.drain();
    std::this_thread::yield();
  }
  return true;
}

TEST(BusyDecoder, OtherRequestsCompleteWhileOneImageIsStillDecoding) {
  FakePlatform fake;
  // Three threads: two may decode images, one is kept for answers.
  fake.workers = std::make_shared<WorkerPool>(3);
  auto decoder = std::make_shared<GatedDecoder>();
  StoryImagePipeline pipeline(fake.http, decoder, fake.mainQueue, fake.workers);
  StorySDK sdk(fake.platform());
  sdk.configure(StoryConfiguration("sdk-key", "app-key"));
  StoryAPI api(fake.http, sdk.session());
  fake.http->setResponder([](const HttpRequest& request) {
    const auto path = request.url.string();
    if (path.find("/stories") != std::string::npos) return ScriptedHttpSession::ok(R"({"groups": []})");
    return ScriptedHttpSession::ok(path.find("slow") != std::string::npos ? "IMG:9x9" : "IMG:2x2");
  });

  std::shared_ptr<const Image> slow, fast;
  int slowCalls = 0;
  std::optional<Result<std::vector<StoryGroup>>> stories;
  pipeline.image(*Url::parse("https://cdn.example.com/slow"), [&](auto image) {
    ++slowCalls;
    slow = std::move(image);
  });
  // The transport hands the bytes over and is free again at once.
  std::thread([&] { fake.http->deliver(); }).join();
  decoder->waitUntilBlocked();

  pipeline.image(*Url::parse("https://cdn.example.com/fast"), [&](auto image) { fast = std::move(image); });
  api.fetchStories("home", [&](auto result) { stories = std::move(result); });
  std::thread([&] { fake.http->deliver(); }).join();

  EXPECT_TRUE(drainUntil(*fake.mainQueue, [&] { return fast && stories; }));
  EXPECT_TRUE(stories && stories->ok());
  EXPECT_EQ(slowCalls, 0);

  // Images never take the last thread: with both image slots blocked, answers still arrive.
  pipeline.image(*Url::parse("https://cdn.example.com/slow-too"), [](auto) {});
  std::thread([&] { fake.http->deliver(); }).join();
  decoder->waitUntilBlocked(2);
  stories.reset();
  api.fetchStories("home", [&](auto result) { stories = std::move(result); });
  std::thread([&] { fake.http->deliver(); }).join();
  EXPECT_TRUE(drainUntil(*fake.mainQueue, [&] { return stories.has_value(); }));

  decoder->release();
  fake.settle();
  EXPECT_EQ(slowCalls, 1);
  ASSERT_TRUE(slow);
  EXPECT_EQ(slow->width(), 9);
}

}  // namespace
}  // namespace orvane::testing
