// A complete C++ host: fetches a placement's stories and banners and prints them.
//   cpp-host [--vote] [PLACEMENT [BANNER_PLACEMENT]]   (default: home home_banner)
// Environment: ORVANE_SERVICE_ORIGIN (one's own content service), ORVANE_APP_KEY and
// ORVANE_SDK_KEY (default: the sample content's demo-app and demo-sdk-key), ORVANE_USER_ID
// (default for --vote: cpp-host).
// --vote casts a vote for the first option of the first poll or quiz and prints the answer.
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

namespace {

std::string environmentOr(const char* name, const char* fallback) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0' ? value : fallback;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> arguments(argv + 1, argv + argc);
  bool vote = false;
  if (!arguments.empty() && arguments.front() == "--vote") {
    vote = true;
    arguments.erase(arguments.begin());
  }
  const std::string placement = arguments.size() > 0 ? arguments[0] : "home";
  const std::string bannerPlacement = arguments.size() > 1 ? arguments[1] : "home_banner";

  // The SDK's callbacks run on this loop, the host's main thread.
  auto loop = std::make_shared<orvane::RunLoop>();
  orvane::Platform platform;
  platform.mainQueue = loop;
  // One's own deployment of the content service; unset, the SDK talks to the service itself.
  if (const char* origin = std::getenv("ORVANE_SERVICE_ORIGIN")) platform.serviceOrigin = origin;
  orvane::Platform::install(platform);

  auto& sdk = orvane::StorySDK::shared();
  // The service counts one vote per user, so a vote must say whose it is.
  std::optional<std::string> userId;
  if (const char* user = std::getenv("ORVANE_USER_ID")) userId = user;
  if (vote && !userId) userId = "cpp-host";
  sdk.configure(orvane::StoryConfiguration(environmentOr("ORVANE_SDK_KEY", "demo-sdk-key"),
                                           environmentOr("ORVANE_APP_KEY", "demo-app"),
                                           orvane::StoryEnvironment::production, std::nullopt, std::nullopt,
                                           userId));
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
  const orvane::StoryItem* poll = nullptr;
  for (const auto& group : stories->value()) {
    std::cout << "story group: " << group.title() << "\n";
    for (const auto& item : group.items()) {
      if (item.widgetOptions().empty()) continue;
      std::cout << "  question: " << item.widgetQuestion().value_or(item.title().value_or("")) << "\n";
      for (const auto& option : item.widgetOptions())
        std::cout << "    option: " << option.text() << " (" << option.voteCount() << " votes)\n";
      if (poll == nullptr) poll = &item;
    }
  }
  for (const auto& banner : banners->value()) std::cout << "banner: " << banner.id() << "\n";

  if (vote) {
    if (poll == nullptr) {
      std::cerr << "nothing to vote on\n";
      return 1;
    }
    const orvane::WidgetOption& option = poll->widgetOptions().front();
    std::optional<orvane::Result<orvane::VoteResponse>> answer;
    api.recordVote(poll->id(), option.id(), [&](auto result) { answer.emplace(std::move(result)); });
    if (!loop->runUntil([&] { return answer.has_value(); }, std::chrono::seconds(30))) {
      std::cerr << "no answer to the vote\n";
      return 1;
    }
    if (!answer->ok()) {
      std::cerr << orvane::errorDescription(answer->error()) << "\n";
      return 1;
    }
    std::cout << "voted: " << option.text() << " (" << answer->value().voteCount().value_or(0) << " votes)\n";
  }
  return 0;
}
