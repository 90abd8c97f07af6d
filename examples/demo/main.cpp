// orvane-demo: a host app using the SDK against the local content service.
//   orvane-demo                 window with a story bar, a banner placement and the event log
//   orvane-demo --print         fetch and print the sample placements, no window
//   orvane-demo --origin URL    use a content service already running at URL
//   orvane-demo --database URL  keep the in-process service's content and votes there (default: a
//                               SQLite file in the build folder, seeded with the sample content
//                               on first start, so votes survive a restart)
//   orvane-demo --open N        present story group N at start
//   orvane-demo --open-story PLACEMENT/GROUP[/PAGE]
//                               open a story by its ids at start, as the link
//                               orvanedemo://stories/PLACEMENT/GROUP[/PAGE] would; the tour opens it
//                               (or the sample poll's second page) and saves 9-opened-by-id
//   orvane-demo --tour DIR      walk through bar, viewer, poll, quiz and banners at a phone's and a
//                               laptop's window size saving PNGs to DIR/390x844 and DIR/1280x800,
//                               then quit (runs without a display on the offscreen platform)
#include <QtQml/qqmlextensionplugin.h>
#include <QDir>
#include <QGuiApplication>
#include <QQmlApplicationEngine>
#include <QQmlContext>
#include <QQuickWindow>

#include <algorithm>
#include <cstdlib>
#include <iostream>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <variant>

#include <orvane/api/story_api.h>
#include <orvane/core/story_sdk.h>
#include <orvane/platform/run_loop.h>
#include <orvane/quick/platform/qt_platform.h>
#include <orvane/stories/story_link.h>
#include <orvane/version.h>
#include "local_content_service.h"
#include "event_log.h"
#include "model_printout.h"
#include "screenshot_tour.h"

Q_IMPORT_QML_PLUGIN(OrvaneStoriesPlugin)

namespace {

constexpr const char* kStoryPlacement = "home";
constexpr const char* kBannerPlacements[] = {"home_banner", "home_story_banner"};
// The scheme of the demo's story links, shared pages included.
constexpr const char* kLinkScheme = "orvanedemo";
// The sample poll's second page, in other letters than the service writes its ids.
constexpr const char* kTourStory = "home/91ed0206-f9c3-572c-8b4b-0824ff6381e5/0a3de4f0-2523-5418-9cbc-87069037a3fc";

struct Options {
  bool print = false;
  std::optional<std::string> origin;
  std::string database = "sqlite:" ORVANE_DEMO_DATABASE;
  std::optional<QString> tour;
  int openGroup = -1;
  std::optional<orvane::StoryLink> openStory;
};

// PLACEMENT/GROUP[/PAGE], held to the rules of a story link.
std::optional<orvane::StoryLink> storyPath(const std::string& path) {
  auto parsed = orvane::parseStoryLink(std::string(kLinkScheme) + "://stories/" + path, kLinkScheme);
  if (const auto* error = std::get_if<orvane::StoryLinkError>(&parsed)) {
    std::cerr << "--open-story " << path << ": " << orvane::describe(*error) << "\n";
    return std::nullopt;
  }
  return std::get<orvane::StoryLink>(parsed);
}

std::optional<Options> parse(int argc, char** argv) {
  Options options;
  for (int i = 1; i < argc; ++i) {
    std::string flag = argv[i];
    if (flag == "--print") {
      options.print = true;
    } else if (flag == "--origin" && i + 1 < argc) {
      options.origin = argv[++i];
    } else if (flag == "--database" && i + 1 < argc) {
      options.database = argv[++i];
    } else if (flag == "--open" && i + 1 < argc) {
      options.openGroup = std::atoi(argv[++i]);
    } else if (flag == "--open-story" && i + 1 < argc) {
      options.openStory = storyPath(argv[++i]);
      if (!options.openStory) return std::nullopt;
    } else if (flag == "--tour" && i + 1 < argc) {
      options.tour = QString::fromLocal8Bit(argv[++i]);
    } else {
      std::cerr << "usage: orvane-demo [--print] [--origin URL] [--database URL] [--open GROUP] "
                   "[--open-story PLACEMENT/GROUP[/PAGE]] [--tour DIRECTORY]\n";
      return std::nullopt;
    }
  }
  return options;
}

orvane::StoryConfiguration demoConfiguration() {
  return orvane::StoryConfiguration("demo-sdk-key", "demo-app", orvane::StoryEnvironment::production,
                                    std::nullopt, std::nullopt, "demo-user");
}

int printPlacements(const std::string& origin) {
  auto loop = std::make_shared<orvane::RunLoop>();
  orvane::Platform platform;
  platform.serviceOrigin = origin;
  platform.mainQueue = loop;
  orvane::Platform::install(platform);
  auto& sdk = orvane::StorySDK::shared();
  sdk.configure(demoConfiguration());

  orvane::StoryAPI api(sdk.platform().http, sdk.session());
  std::optional<orvane::Result<std::vector<orvane::StoryGroup>>> stories;
  std::map<std::string, std::optional<orvane::Result<std::vector<orvane::Banner>>>> banners;
  api.fetchStories(kStoryPlacement, [&](auto result) { stories.emplace(std::move(result)); });
  for (const char* placement : kBannerPlacements)
    api.fetchBanners(placement,
                     [&, placement](auto result) { banners[placement].emplace(std::move(result)); });
  const auto allIn = [&] {
    return stories && std::all_of(std::begin(kBannerPlacements), std::end(kBannerPlacements),
                                  [&](const char* placement) { return banners[placement].has_value(); });
  };
  if (!loop->runUntil(allIn, std::chrono::seconds(30))) {
    std::cerr << "no answer from " << origin << "\n";
    return 1;
  }
  // Printed once everything is in, so the account reads the same on every run.
  bool ok = stories->ok();
  std::cout << "placement " << kStoryPlacement << ": ";
  if (stories->ok()) {
    printStories(std::cout, stories->value());
  } else {
    std::cout << orvane::errorDescription(stories->error()) << "\n";
  }
  for (const char* placement : kBannerPlacements) {
    const auto& answer = *banners[placement];
    std::cout << "placement " << placement << ": ";
    if (answer.ok()) {
      printBanners(std::cout, answer.value());
    } else {
      ok = false;
      std::cout << orvane::errorDescription(answer.error()) << "\n";
    }
  }
  return ok ? 0 : 1;
}

int showWindow(int argc, char** argv, const std::string& origin, const Options& options,
               orvane::service::LocalContentService* service) {
  QGuiApplication app(argc, argv);
  QGuiApplication::setOrganizationDomain(QStringLiteral("orvane.io"));
  QGuiApplication::setApplicationName(QStringLiteral("Orvane Demo"));
  QGuiApplication::setApplicationVersion(QStringLiteral(ORVANE_VERSION_STRING));

  orvane::quick::QtPlatformOptions platformOptions;
  platformOptions.serviceOrigin = origin;
  // Debian's default GStreamer backend crashes without its plugins; FFmpeg's come with Qt.
  platformOptions.mediaBackend = "ffmpeg";
  // A tour starts from a device that has never voted, so every run shows the same votes being cast.
  if (options.tour) {
    QDir state(QDir(*options.tour).filePath(QStringLiteral("state")));
    state.removeRecursively();  // the SDK's settings and votes
    platformOptions.dataDirectory = state.path();
  }
  orvane::quick::installQtPlatform(platformOptions);

  auto& sdk = orvane::StorySDK::shared();
  auto* log = new EventLog(&app);
  sdk.setEventHandler([log](const orvane::StorySDKEvent& event) {
    std::cout << describe(event).toStdString() << std::endl;
    log->append(event);
  });
  sdk.configure(demoConfiguration());
  sdk.setStoryLinkScheme(kLinkScheme);

  QQmlApplicationEngine engine;
  engine.rootContext()->setContextProperty(QStringLiteral("eventLog"), log);
  engine.rootContext()->setContextProperty(QStringLiteral("initialGroup"), options.openGroup);
  engine.load(QUrl(QStringLiteral("qrc:/OrvaneDemo/qml/Main.qml")));
  if (engine.rootObjects().isEmpty()) return 1;

  const auto openById = [target = options.openStory.value_or(*storyPath(kTourStory))] {
    orvane::StorySDK::shared().openStory(target, [](const std::optional<orvane::StoryOpenRefusal>& refusal) {
      if (refusal) std::cerr << refusal->reason << std::endl;
    });
  };
  // The tour opens it in its turn.
  if (options.openStory && !options.tour) openById();

  if (options.tour) {
    auto* window = qobject_cast<QQuickWindow*>(engine.rootObjects().first());
    if (window == nullptr) return 1;
    // A phone held upright, then a laptop's window.
    ScreenshotTour::MediaDelay slowMedia;
    if (service != nullptr)
      slowMedia = [service](std::chrono::milliseconds delay) { service->setMediaDelay(delay); };
    auto* tour = new ScreenshotTour(window, QDir(*options.tour), {QSize(390, 844), QSize(1280, 800)},
                                    std::move(slowMedia), &app);
    tour->setStoryOpenedById(openById, QString::fromStdString(
                                           options.openStory.value_or(*storyPath(kTourStory)).pageId.value_or("")));
    QObject::connect(tour, &ScreenshotTour::finished, &app, [tour](const QString& error) {
      for (const auto& file : tour->savedFiles()) std::cout << "saved " << file.toStdString() << std::endl;
      if (!error.isEmpty()) std::cerr << error.toStdString() << std::endl;
      QCoreApplication::exit(error.isEmpty() ? 0 : 1);
    });
    tour->start();
  }
  return QGuiApplication::exec();
}

}  // namespace

int main(int argc, char** argv) {
  auto options = parse(argc, argv);
  if (!options) return 2;

  std::unique_ptr<orvane::service::LocalContentService> service;
  std::string origin;
  if (options->origin) {
    origin = *options->origin;
  } else {
    orvane::service::LocalContentServiceOptions serviceOptions;
    serviceOptions.databaseUrl = options->database;
    // A tour starts from a service nobody has voted on, as it starts from a device that never voted.
    if (options->tour) {
      QDir(*options->tour).mkpath(QStringLiteral("."));
      const auto database = QDir(*options->tour).filePath(QStringLiteral("content.sqlite")).toStdString();
      for (const char* suffix : {"", "-wal", "-shm"}) std::remove((database + suffix).c_str());
      serviceOptions.databaseUrl = "sqlite:" + database;
    }
    try {
      service = std::make_unique<orvane::service::LocalContentService>(ORVANE_DEMO_CONTENT_DIR, serviceOptions);
    } catch (const std::exception& error) {
      std::cerr << "the content service cannot start: " << error.what() << "\n";
      return 1;
    }
    service->start();
    origin = service->origin();
    std::cout << "content service at " << origin << std::endl;
  }
  return options->print ? printPlacements(origin) : showWindow(argc, argv, origin, *options, service.get());
}
