// One run of a host app, for the restart tests: fetches the sample stories from an in-process
// content service over the real transport with the Qt platform on the given data folder (and the
// host's settings file that earlier versions wrote into, if given), and opens the viewer on the
// first poll.
//   restart_child DATA MODE [EARLIER SETTINGS FILE]
//   restart_child DATA vote   votes for the poll's first option and, once the vote is
//                                 stored, dies at once (_exit: no destructors, no final sync)
//   restart_child DATA read   says which vote the viewer restored
//   restart_child DATA seen   reads the first group to its last page, then dies as `vote` does
//   restart_child DATA seenIds  says which groups are remembered as seen
//   restart_child DATA first-launch
//                                 says "ready" and waits for a line on stdin, so that several
//                                 start at once, then prints "device=<id>" and stops
// All print "anonymous=<id>" first.
#include <unistd.h>

#include <QElapsedTimer>
#include <QGuiApplication>
#include <cstdio>
#include <functional>
#include <iostream>
#include <optional>
#include <string>

#include <orvane/api/story_api.h>
#include <orvane/core/story_sdk.h>
#include <orvane/platform/curl_http_session.h>
#include <orvane/quick/platform/qt_platform.h>
#include <orvane/core/seen_story_groups.h>
#include <orvane/stories/story_viewer_view_model.h>
#include "local_content_service.h"

namespace {

bool spinUntil(const std::function<bool()>& done) {
  QElapsedTimer waited;
  waited.start();
  while (!done()) {
    if (waited.elapsed() > 10000) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3 && argc != 4) return 2;
  const std::string mode = argv[2];
  QGuiApplication application(argc, argv);

  // A database of this run's own, beside the data folder: the run may end in _exit, and the test's
  // folder goes with everything in it. Votes come back from the device's own store only.
  orvane::service::LocalContentServiceOptions serviceOptions;
  serviceOptions.databaseUrl = "sqlite:" + std::string(argv[1]) + "." + std::to_string(::getpid()) + ".sqlite";
  orvane::service::LocalContentService service(ORVANE_SAMPLE_CONTENT_DIR, serviceOptions);
  service.start();
  orvane::CurlHttpSession::Options transport;
  transport.originOverrides[orvane::baseURL(orvane::StoryEnvironment::production).string()] =
      service.origin();
  orvane::quick::QtPlatformOptions options;
  options.dataDirectory = QString::fromLocal8Bit(argv[1]);
  if (argc == 4) options.settingsFile = QString::fromLocal8Bit(argv[3]);
  options.http = std::make_shared<orvane::CurlHttpSession>(std::move(transport));

  if (mode == "first-launch") {
    std::cout << "ready" << std::endl;
    std::string go;
    std::getline(std::cin, go);
  }
  orvane::quick::installQtPlatform(options);
  auto& sdk = orvane::StorySDK::shared();
  sdk.configure(orvane::StoryConfiguration("demo-sdk-key", "demo-app", orvane::StoryEnvironment::production,
                                           std::nullopt, std::nullopt, "restart-user"));
  std::cout << "anonymous=" << sdk.anonymousUserId() << std::endl;
  if (mode == "first-launch") {
    std::cout << "device=" << sdk.platform().device->identifierForVendor().value_or("none") << std::endl;
    return 0;
  }

  orvane::StoryAPI api(sdk.platform().http, sdk.session());
  std::optional<orvane::Result<std::vector<orvane::StoryGroup>>> stories;
  api.fetchStories("home", [&](auto result) { stories.emplace(std::move(result)); });
  if (!spinUntil([&] { return stories.has_value(); }) || !stories->ok()) return 3;

  const auto& groups = stories->value();
  if (mode == "seenIds") {
    std::cout << "seen=";
    for (const auto& id : sdk.seenStoryGroups().groupIds()) std::cout << id << ",";
    std::cout << std::endl;
    return 0;
  }
  if (mode == "seen") {
    if (groups.empty()) return 6;
    auto viewer = orvane::StoryViewerViewModel::create(groups, 0, "home", sdk.services());
    viewer->start();
    for (std::size_t page = 1; page < groups.front().items().size(); ++page) viewer->goToNext();
    const auto& store = *sdk.platform().store;
    if (!spinUntil([&] { return store.string(orvane::SeenStoryGroups::storageKey).has_value(); })) return 4;
    std::cout << "seen=" << groups.front().id() << "," << std::endl;
    std::fflush(nullptr);
    _exit(0);
  }
  for (std::size_t index = 0; index < groups.size(); ++index) {
    const auto& page = groups[index].items().front();
    if (page.widgetType() != orvane::WidgetType::poll || page.widgetOptions().empty()) continue;

    auto viewer = orvane::StoryViewerViewModel::create(groups, static_cast<int>(index), "home", sdk.services());
    viewer->start();
    if (mode == "read") {
      std::cout << "restored=" << viewer->votedOptionId().value_or("none") << std::endl;
      return 0;
    }
    const auto& option = page.widgetOptions().front().id();
    const auto key = sdk.voteStorageKey(page.id());
    viewer->vote(option);
    if (!spinUntil([&] { return sdk.platform().store->string(key).has_value(); })) return 4;
    std::cout << "voted=" << option << std::endl;
    std::fflush(nullptr);
    _exit(0);
  }
  return 5;
}
