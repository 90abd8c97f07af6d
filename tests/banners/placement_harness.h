#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include <orvane/banners/banner_placement.h>
#include <orvane/core/story_sdk.h>
#include "support/fake_platform.h"

namespace orvane::testing {

// Banners as the service sends them; ids are numbers on the wire and text in the model.
struct SlideSpec {
  std::int64_t id;
  std::int64_t orderIndex;
  std::string ctaType = "NONE";
  std::optional<std::string> ctaUrl = std::nullopt;
};

struct BannerSpec {
  std::int64_t id;
  std::string type;
  std::int64_t autoplaySeconds;
  std::vector<SlideSpec> slides;
};

// Slides 1...count in that order.
inline std::vector<SlideSpec> slides(int count) {
  std::vector<SlideSpec> result;
  for (int i = 1; i <= count; ++i) result.push_back({i, i});
  return result;
}

inline std::string mediaUrl(std::int64_t bannerId, std::int64_t itemId) {
  return "https://cdn.example.com/" + std::to_string(bannerId) + "/" + std::to_string(itemId) + ".png";
}

inline std::string bannersBody(const std::vector<BannerSpec>& banners) {
  nlohmann::json list = nlohmann::json::array();
  for (const auto& banner : banners) {
    nlohmann::json items = nlohmann::json::array();
    for (const auto& slide : banner.slides) {
      nlohmann::json item{{"id", slide.id},
                          {"mediaUrl", mediaUrl(banner.id, slide.id)},
                          {"orderIndex", slide.orderIndex},
                          {"ctaType", slide.ctaType}};
      if (slide.ctaUrl) item["ctaUrl"] = *slide.ctaUrl;
      items.push_back(item);
    }
    list.push_back({{"id", banner.id},
                    {"type", banner.type},
                    {"placementKey", "home"},
                    {"viewOrder", 0},
                    {"autoplaySeconds", banner.autoplaySeconds},
                    {"items", items}});
  }
  return nlohmann::json{{"banners", list}}.dump();
}

// A configured SDK on fakes whose service answers with the banners given to serve(); the image
// pipeline downloads through a session of its own so prefetches can be told apart.
class PlacementHarness : public ::testing::Test {
 protected:
  PlacementHarness() {
    sdk.configure(StoryConfiguration("sdk-key", "app-key", StoryEnvironment::production, std::nullopt,
                                     std::nullopt, std::nullopt, StoryUIStrings::default_(), false));
    sdk.setEventHandler([this](const StorySDKEvent& event) { events.push_back(event); });
    serve({});
  }

  void serve(const std::vector<BannerSpec>& banners) {
    fake.http->setResponder([body = bannersBody(banners)](const HttpRequest& request) {
      const bool isBanners = request.url.string().find("/banners") != std::string::npos;
      return isBanners ? ScriptedHttpSession::ok(body) : ScriptedHttpSession::ok("{}");
    });
  }

  // A placement that has appeared and received its banners.
  std::shared_ptr<BannerPlacement> show(const std::vector<BannerSpec>& banners, std::string key = "home") {
    serve(banners);
    auto placement = BannerPlacement::create(std::move(key), sdk.services(), pipeline);
    placement->appear();
    fake.settle();
    return placement;
  }

  // One story-bar tick of virtual time per step.
  void tick(int steps = 1) {
    for (int i = 0; i < steps; ++i) fake.mainQueue->advance(std::chrono::microseconds(50'000));
  }
  void wait(std::chrono::microseconds span) { fake.mainQueue->advance(span); }

  std::vector<StorySDKEvent> eventsOf(StorySDKEvent::Kind kind) const {
    std::vector<StorySDKEvent> matching;
    for (const auto& event : events) {
      if (event.kind() == kind) matching.push_back(event);
    }
    return matching;
  }

  // Service events posted with that "eventType".
  std::size_t servicePosts(const std::string& eventType) const {
    std::size_t count = 0;
    for (const auto& request : fake.http->requests()) {
      if (request.body && request.body->find("\"eventType\":\"" + eventType + "\"") != std::string::npos)
        ++count;
    }
    return count;
  }

  std::vector<std::string> imageRequests() const {
    std::vector<std::string> urls;
    for (const auto& request : images->requests()) urls.push_back(request.url.string());
    return urls;
  }

  static std::vector<std::string> ids(const std::vector<BannerItem>& items) {
    std::vector<std::string> result;
    result.reserve(items.size());
    for (const auto& item : items) result.push_back(item.id());
    return result;
  }

  // "banner/slide" of what is shown, for compact expectations.
  static std::string shown(const BannerPlacement& placement) {
    auto state = placement.renderState();
    return state ? state->banner().id() + "/" + state->item().id() : "nothing";
  }

  FakePlatform fake;
  std::shared_ptr<ScriptedHttpSession> images = std::make_shared<ScriptedHttpSession>();
  StorySDK sdk{fake.platform()};
  StoryImagePipeline pipeline{images, fake.imageDecoder, fake.mainQueue, fake.workers};
  std::vector<StorySDKEvent> events;
};

}  // namespace orvane::testing
