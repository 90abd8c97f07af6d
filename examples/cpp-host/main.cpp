// A complete C++ host: fetches a placement's stories and banners and prints them.
//   cpp-host [PLACEMENT [BANNER_PLACEMENT]]   (default: home home_banner)
#include <chrono>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <orvane/api/story_api.h>
#include <orvane/core/story_sdk.h>
#include <orvane/platform/run_loop.h>

int main(int argc, char** argv) {
  const std::string placement = argc > 1 ? argv[1] : "home";
  const std::string bannerPlacement = argc > 2 ? argv[2] : "home_banner";

  // The SDK's callbacks run on this loop, the host's main thread.
  auto loop = std::make_shared<orvane::RunLoop>();
  orvane::Platform platform;
  platform.mainQueue = loop;
  // One's own deployment of the content service; unset, the SDK talks to the service itself.
  if (const char* origin = std::getenv("ORVANE_SERVICE_ORIGIN")) platform.serviceOrigin = origin;
  orvane::Platform::install(platform);

  auto& sdk = orvane::StorySDK::shared();
  sdk.configure(orvane::StoryConfiguration("demo-sdk-key", "demo-app"));
  orvane::StoryAPI api(sdk.platform().http, sdk.session());

  std::optional<orvane::Result<std::vector<orvane::StoryGroup>>> stories;
  std::optional<orvane::Result<std::vector<orvane::Banner>>> banners;
  api.fetchStories(placement, [&](auto result) { stories.emplace(std::move(result)); });
  api.fetchBanners(bannerPlacement, [&](auto result) { banners.emplace(std::move(result)); });
  if (!loop->runUntil([&] { return stories && banners; }, std::chrono::seconds(30))) {
    std::cerr << "no answer from the service\n";
    return 1;
  }
  if (!stories->ok() || !banners->ok()) {
    std::cerr << orvane::errorDescription(stories->ok() ? banners->error() : stories->error()) << "\n";
    return 1;
  }
  for (const auto& group : stories->value()) std::cout << "story group: " << group.title() << "\n";
  for (const auto& banner : banners->value()) std::cout << "banner: " << banner.id() << "\n";
  return 0;
}
