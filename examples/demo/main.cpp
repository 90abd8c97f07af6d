// orvane-demo: a host app using the SDK against the local content service.
//   orvane-demo                 window with a story bar, a banner placement and the event log
//   orvane-demo --print         fetch and print the sample placements, no window
//   orvane-demo --origin URL    use a content service already running at URL
//   orvane-demo --open N        present story group N at start
//   orvane-demo --screenshot F  save the window to F after a moment, then quit
#include <QGuiApplication>
#include <QQmlApplicationEngine>
#include <QQmlContext>
#include <QQuickWindow>
#include <QTimer>
#include <QtQml/qqmlextensionplugin.h>

#include <cstdlib>
#include <iostream>
#include <memory>
#include <optional>
#include <string>

#include "api/story_api.h"
#include "content_service.h"
#include "core/story_sdk.h"
#include "event_log.h"
#include "model_printout.h"
#include "platform/curl_http_session.h"
#include "platform/run_loop.h"
#include "quick/platform/qt_platform.h"

Q_IMPORT_QML_PLUGIN(OrvaneStoriesPlugin)

namespace {

struct Options {
  bool print = false;
  std::optional<std::string> origin;
  std::optional<QString> screenshot;
  int openGroup = -1;
};

std::optional<Options> parse(int argc, char** argv) {
  Options options;
  for (int i = 1; i < argc; ++i) {
    std::string flag = argv[i];
    if (flag == "--print") {
      options.print = true;
    } else if (flag == "--origin" && i + 1 < argc) {
      options.origin = argv[++i];
    } else if (flag == "--open" && i + 1 < argc) {
      options.openGroup = std::atoi(argv[++i]);
    } else if (flag == "--screenshot" && i + 1 < argc) {
      options.screenshot = QString::fromLocal8Bit(argv[++i]);
    } else {
      std::cerr << "usage: orvane-demo [--print] [--origin URL] [--open GROUP] [--screenshot FILE]\n";
      return std::nullopt;
    }
  }
  return options;
}

// The SDK talks to its fixed service origin; the transport sends that origin to the local one.
std::shared_ptr<orvane::HttpSession> transportTo(const std::string& origin) {
  orvane::CurlHttpSession::Options options;
  options.originOverrides[orvane::baseURL(orvane::StoryEnvironment::production).string()] = origin;
  return std::make_shared<orvane::CurlHttpSession>(std::move(options));
}

orvane::StoryConfiguration demoConfiguration() {
  return orvane::StoryConfiguration("demo-sdk-key", "demo-app", orvane::StoryEnvironment::production,
                                    std::nullopt, std::nullopt, "demo-user");
}

int printPlacements(const std::string& origin) {
  auto loop = std::make_shared<orvane::RunLoop>();
  orvane::Platform platform;
  platform.http = transportTo(origin);
  platform.mainQueue = loop;
  orvane::Platform::install(platform);
  auto& sdk = orvane::StorySDK::shared();
  sdk.configure(demoConfiguration());

  orvane::StoryAPI api(sdk.platform().http, sdk);
  std::optional<orvane::Result<std::vector<orvane::StoryGroup>>> stories;
  std::optional<orvane::Result<std::vector<orvane::Banner>>> banners;
  api.fetchStories("home", [&](auto result) { stories.emplace(std::move(result)); });
  api.fetchBanners("home_banner", [&](auto result) { banners.emplace(std::move(result)); });
  if (!loop->runUntil([&] { return stories && banners; }, std::chrono::seconds(30))) {
    std::cerr << "no answer from " << origin << "\n";
    return 1;
  }
  // Printed once both are in, so the account reads the same on every run.
  if (stories->ok()) printStories(std::cout, stories->value());
  if (banners->ok()) printBanners(std::cout, banners->value());
  if (!stories->ok()) std::cerr << "stories: " << orvane::errorDescription(stories->error()) << "\n";
  if (!banners->ok()) std::cerr << "banners: " << orvane::errorDescription(banners->error()) << "\n";
  return stories->ok() && banners->ok() ? 0 : 1;
}

int showWindow(int argc, char** argv, const std::string& origin, const Options& options) {
  QGuiApplication app(argc, argv);
  QGuiApplication::setOrganizationDomain(QStringLiteral("orvane.io"));
  QGuiApplication::setApplicationName(QStringLiteral("Orvane Demo"));
  QGuiApplication::setApplicationVersion(QStringLiteral("1.0.0"));

  orvane::quick::QtPlatformOptions platformOptions;
  platformOptions.http = transportTo(origin);
  orvane::quick::installQtPlatform(platformOptions);

  auto& sdk = orvane::StorySDK::shared();
  auto* log = new EventLog(&app);
  sdk.setEventHandler([log](const orvane::StorySDKEvent& event) {
    std::cout << describe(event).toStdString() << std::endl;
    log->append(event);
  });
  sdk.configure(demoConfiguration());

  QQmlApplicationEngine engine;
  engine.rootContext()->setContextProperty(QStringLiteral("eventLog"), log);
  engine.rootContext()->setContextProperty(QStringLiteral("initialGroup"), options.openGroup);
  engine.load(QUrl(QStringLiteral("qrc:/OrvaneDemo/qml/Main.qml")));
  if (engine.rootObjects().isEmpty()) return 1;

  if (const auto& screenshot = options.screenshot) {
    auto* window = qobject_cast<QQuickWindow*>(engine.rootObjects().first());
    QTimer::singleShot(2500, &app, [window, path = *screenshot] {
      const bool saved = window != nullptr && window->grabWindow().save(path);
      std::cout << (saved ? "saved " : "could not save ") << path.toStdString() << std::endl;
      QCoreApplication::exit(saved ? 0 : 1);
    });
  }
  return QGuiApplication::exec();
}

}  // namespace

int main(int argc, char** argv) {
  auto options = parse(argc, argv);
  if (!options) return 2;

  std::unique_ptr<orvane::service::ContentService> service;
  std::string origin;
  if (options->origin) {
    origin = *options->origin;
  } else {
    service = std::make_unique<orvane::service::ContentService>(ORVANE_DEMO_CONTENT_DIR);
    service->start();
    origin = service->origin();
    std::cout << "content service at " << origin << std::endl;
  }
  return options->print ? printPlacements(origin) : showWindow(argc, argv, origin, *options);
}
