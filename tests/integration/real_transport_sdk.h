#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include <orvane/api/story_api.h>
#include <orvane/core/story_sdk.h>
#include <orvane/platform/curl_http_session.h>
#include <orvane/platform/run_loop.h>
#include <orvane/platform/system_platform.h>
#include "support/temporary_folder.h"

namespace orvane::testing {

// An SDK on the real transport and a real run loop, its production origin pointed at `origin`,
// keeping what it caches in `cacheDirectory` (a folder of its own unless given).
struct RealTransportSdk {
  explicit RealTransportSdk(const std::string& origin, CurlHttpSession::Options transportOptions = {},
                            std::optional<std::string> cacheDirectory = std::nullopt) {
    transportOptions.originOverrides[baseURL(StoryEnvironment::production).string()] = origin;
    Platform platform;
    platform.http = std::make_shared<CurlHttpSession>(std::move(transportOptions));
    platform.mainQueue = loop;
    platform.cacheDirectory = cacheDirectory.value_or(cacheFolder.string());
    sdk = std::make_unique<StorySDK>(withHeadlessDefaults(std::move(platform)));
    api = std::make_unique<StoryAPI>(sdk->platform().http, sdk->session());
  }

  void configure(std::optional<std::string> userId = "user-1") {
    sdk->configure(StoryConfiguration("demo-sdk-key", "demo-app", StoryEnvironment::production, std::nullopt,
                                      std::nullopt, std::move(userId)));
  }

  // Runs the loop until the completion handed to `start` has been called.
  template <typename T, typename Start>
  std::optional<Result<T>> await(Start start) {
    std::optional<Result<T>> result;
    start([&](Result<T> value) { result.emplace(std::move(value)); });
    loop->runUntil([&] { return result.has_value(); }, std::chrono::seconds(10));
    return result;
  }

  Result<std::vector<StoryGroup>> stories(const std::string& placement) {
    auto result = await<std::vector<StoryGroup>>([&](auto done) { api->fetchStories(placement, done); });
    EXPECT_TRUE(result.has_value()) << "no answer in time";
    return result ? *result : Result<std::vector<StoryGroup>>(TransportError{});
  }

  Result<std::vector<Banner>> banners(const std::string& placement) {
    auto result = await<std::vector<Banner>>([&](auto done) { api->fetchBanners(placement, done); });
    EXPECT_TRUE(result.has_value()) << "no answer in time";
    return result ? *result : Result<std::vector<Banner>>(TransportError{});
  }

  // Waits for something the loop is not told about, such as fire-and-forget posts reaching a
  // server, by polling it.
  bool waitFor(const std::function<bool()>& condition) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!condition()) {
      if (std::chrono::steady_clock::now() >= deadline) return false;
      loop->runFor(std::chrono::milliseconds(5));
    }
    return true;
  }

  std::shared_ptr<RunLoop> loop = std::make_shared<RunLoop>();
  // Each harness keeps its answers and media apart from every other's.
  TemporaryFolder cacheFolder;
  std::unique_ptr<StorySDK> sdk;
  std::unique_ptr<StoryAPI> api;
};

}  // namespace orvane::testing
