#pragma once

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include <orvane/core/story_sdk.h>
#include <orvane/media/story_image_pipeline.h>
#include <orvane/media/video_streams.h>
#include <orvane/model/story.h>
#include <orvane/stories/story_bar_view_model.h>
#include <orvane/stories/story_viewer_view_model.h>
#include "support/fake_platform.h"

namespace orvane::testing {

// Service ids are UUIDs; these keep them readable: uuid(2, 1) ends in ...000200000001.
std::string uuid(int major, int minor = 0);
Url mediaUrl(const std::string& name);
Url videoUrl(const std::string& name);

struct PageSpec {
  std::string id;
  double duration = 5;
  WidgetType widget = WidgetType::none;
  std::vector<WidgetOption> options = {};
  std::optional<std::string> userVote = std::nullopt;
  std::optional<Url> swipeURL = std::nullopt;
  std::optional<Url> media = std::nullopt;
  StoryMediaType mediaType = StoryMediaType::image;
};
StoryItem page(const PageSpec& spec);
WidgetOption option(const std::string& id, std::int64_t voteCount);
StoryGroup group(const std::string& id, std::vector<StoryItem> items,
                 std::optional<Url> cover = std::nullopt);
// Group g (1-based) with `pages` plain 5 s pages, ids uuid(g) and uuid(g, 1...).
StoryGroup plainGroup(int g, int pages);

// The stories answer the service would send for these groups (durations whole seconds).
std::string storiesBody(const std::vector<StoryGroup>& groups);
std::string voteBody(const std::string& optionId, std::int64_t voteCount);

// A configured SDK on fakes. Answers: stories from `storiesAnswer`, votes from `voteAnswer`,
// images "IMG:1x1", everything else an empty 200.
class StoryModelTest : public ::testing::Test {
 protected:
  StoryModelTest();

  // Models for placement "home"; links a viewer opens are collected in `opened`.
  std::shared_ptr<StoryBarViewModel> makeBar(const std::string& placementKey = "home");
  std::shared_ptr<StoryViewerViewModel> makeViewer(std::vector<StoryGroup> groups, int startIndex = 0);
  std::shared_ptr<StoryViewerViewModel> startedViewer(std::vector<StoryGroup> groups, int startIndex = 0);

  // Host events in the order they were reported.
  std::vector<StorySDKEvent> events;
  std::vector<StorySDKEvent::Kind> eventKinds() const;
  std::size_t count(StorySDKEvent::Kind kind) const;
  // Ignores what was reported so far.
  void forgetEvents() { events.clear(); }
  // Moves virtual time on by `count` periods of the viewer's progress timer.
  void ticks(int count);
  // Lets exactly the answers sent so far arrive.
  void deliverOnce();

  std::vector<HttpRequest> storyRequests() const;
  std::vector<HttpRequest> voteRequests() const;
  std::vector<std::string> imageUrls() const;
  // The "eventType" of every service event sent, in order.
  std::vector<std::string> serviceEventTypes() const;
  // Service events of one type, as (storyGroupId, storyItemId or "").
  std::vector<std::pair<std::string, std::string>> serviceEvents(const std::string& type) const;

  FakePlatform fake;
  StorySDK sdk{fake.platform()};
  StoryImagePipeline pipeline{fake.http, fake.imageDecoder, fake.mainQueue, fake.workers};
  VideoStreams videos{fake.http};
  HttpResult storiesAnswer = ScriptedHttpSession::ok(R"({"groups": []})");
  HttpResult voteAnswer = ScriptedHttpSession::ok(R"({"voted": true})");
  std::vector<std::string> opened;
};

}  // namespace orvane::testing
