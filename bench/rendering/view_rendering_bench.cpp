// How often the views redraw and what that costs: a host window (story bar and two banner
// placements) against the local content service, first on its home screen, then with a story
// page open, playing and then held. Prints frames per second, the render thread's time per frame
// (sync, render and swap; p50 and p95) and the process's CPU time per second for each state.
// Run it on a display; the README's figures come from Xvfb with Mesa's llvmpipe.
#include <QtQml/qqmlextensionplugin.h>
#include <sys/resource.h>

#include <QGuiApplication>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QQmlApplicationEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include <orvane/api/story_api.h>
#include <orvane/core/story_sdk.h>
#include <orvane/platform/curl_http_session.h>
#include <orvane/quick/platform/qt_platform.h>
#include "local_content_service.h"

Q_IMPORT_QML_PLUGIN(OrvaneStoriesPlugin)

namespace {

using Clock = std::chrono::steady_clock;

double cpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  const auto seconds = [](const timeval& time) {
    return static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_usec) / 1e6;
  };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// Frames the window swaps and how long the render thread spent on each, from the start of its
// sync to the end of its swap. Written on the render thread, read on the GUI thread.
class FrameRecorder {
 public:
  explicit FrameRecorder(QQuickWindow* window) {
    QObject::connect(
        window, &QQuickWindow::beforeSynchronizing, window,
        [this] {
          std::lock_guard lock(mutex_);
          frameStart_ = Clock::now();
        },
        Qt::DirectConnection);
    QObject::connect(
        window, &QQuickWindow::frameSwapped, window,
        [this] {
          std::lock_guard lock(mutex_);
          durations_.push_back(std::chrono::duration<double, std::milli>(Clock::now() - frameStart_).count());
        },
        Qt::DirectConnection);
  }

  std::vector<double> take() {
    std::lock_guard lock(mutex_);
    return std::exchange(durations_, {});
  }

 private:
  std::mutex mutex_;
  Clock::time_point frameStart_;
  std::vector<double> durations_;
};

double percentile(std::vector<double> values, double fraction) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  return values[static_cast<std::size_t>(fraction * static_cast<double>(values.size() - 1) + 0.5)];
}

QQuickItem* findVisible(QQuickItem* root, const QString& name) {
  if (root == nullptr || !root->isVisible()) return nullptr;
  if (root->objectName() == name) return root;
  for (auto* child : root->childItems())
    if (auto* found = findVisible(child, name)) return found;
  return nullptr;
}

QPoint centreOf(QQuickItem* item) {
  return item->mapToScene(QPointF(item->width() / 2, item->height() / 2)).toPoint();
}

// The states measured, one after the other, each after a step that sets it up.
class Tour : public QObject {
 public:
  struct State {
    const char* name;
    std::function<bool()> setUp;  // false while what it needs is not on screen yet
    int settleMs;                 // before measuring: images to arrive, a page to open
    int measureMs;                // 0: a step between states, not measured
  };

  Tour(QQuickWindow* window, std::vector<State> states) : recorder_(window), states_(std::move(states)) {}

  void start() {
    QTimer::singleShot(0, this, [this] { setUpNext(); });
  }

 private:
  void setUpNext() {
    if (next_ == states_.size()) {
      rusage usage{};
      getrusage(RUSAGE_SELF, &usage);
      std::printf("peak resident memory: %ld MiB\n", usage.ru_maxrss / 1024);
      QCoreApplication::quit();
      return;
    }
    if (!states_[next_].setUp()) {
      if (++attempts_ > 300) {
        std::fprintf(stderr, "could not reach \"%s\"\n", states_[next_].name);
        QCoreApplication::exit(1);
        return;
      }
      QTimer::singleShot(100, this, [this] { setUpNext(); });
      return;
    }
    attempts_ = 0;
    if (states_[next_].measureMs == 0) {
      ++next_;
      return setUpNext();
    }
    QTimer::singleShot(states_[next_].settleMs, this, [this] { measure(); });
  }

  void measure() {
    recorder_.take();
    const auto started = Clock::now();
    const double cpuAtStart = cpuSeconds();
    QTimer::singleShot(states_[next_].measureMs, this, [this, started, cpuAtStart] {
      const double wall = std::chrono::duration<double>(Clock::now() - started).count();
      const double cpu = cpuSeconds() - cpuAtStart;
      const auto frames = recorder_.take();
      std::printf("%-22s %8.1f %10.1f %10.1f %8.0f%%\n", states_[next_].name,
                  static_cast<double>(frames.size()) / wall, percentile(frames, 0.5),
                  percentile(frames, 0.95), 100 * cpu / wall);
      std::fflush(stdout);
      ++next_;
      setUpNext();
    });
  }

  FrameRecorder recorder_;
  std::vector<State> states_;
  std::size_t next_ = 0;
  int attempts_ = 0;
};

// What draws the windows: the OpenGL renderer's name, or the platform's when there is none.
QString rendererName() {
  QOpenGLContext context;
  QOffscreenSurface surface;
  surface.create();
  if (!context.create() || !context.makeCurrent(&surface)) return QGuiApplication::platformName();
  const auto* name = reinterpret_cast<const char*>(context.functions()->glGetString(GL_RENDERER));
  const QString described =
      QGuiApplication::platformName() + QStringLiteral(", ") + QString::fromLatin1(name);
  context.doneCurrent();
  return described;
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_MEDIA_BACKEND")) qputenv("QT_MEDIA_BACKEND", "ffmpeg");
  QGuiApplication app(argc, argv);

  orvane::service::LocalContentService service(ORVANE_SAMPLE_CONTENT_DIR);
  service.start();
  orvane::CurlHttpSession::Options transport;
  transport.originOverrides[orvane::baseURL(orvane::StoryEnvironment::production).string()] =
      service.origin();
  orvane::quick::QtPlatformOptions platformOptions;
  platformOptions.http = std::make_shared<orvane::CurlHttpSession>(std::move(transport));
  orvane::quick::installQtPlatform(platformOptions);
  orvane::StorySDK::shared().configure(orvane::StoryConfiguration("demo-sdk-key", "demo-app"));

  QQmlApplicationEngine engine;
  engine.load(QUrl(QStringLiteral("qrc:/OrvaneRenderingBench/Home.qml")));
  auto* window =
      engine.rootObjects().isEmpty() ? nullptr : qobject_cast<QQuickWindow*>(engine.rootObjects().first());
  if (window == nullptr) return 1;
  // A wider window (ORVANE_BENCH_WIDTH) shows what the viewer's sides cost beside the stage.
  if (const int width = qEnvironmentVariableIntValue("ORVANE_BENCH_WIDTH"); width > 0) window->setWidth(width);

  const auto item = [window](const char* name) {
    return findVisible(window->contentItem(), QLatin1String(name));
  };
  const auto open = [item](int group) {
    return [item, group] {
      auto* bar = item("storyBar");
      if (bar == nullptr) return false;
      QMetaObject::invokeMethod(bar, "openGroup", Q_ARG(QVariant, group));
      return true;
    };
  };
  // A long press on the right side of the page pauses it until the finger lifts.
  const auto hold = [item, window] {
    auto* zone = item("nextZone");
    if (zone == nullptr) return false;
    QTest::mousePress(window, Qt::LeftButton, Qt::NoModifier, centreOf(zone));
    return true;
  };
  // Escape rather than the close button: the release may count as a tap (the test's events carry
  // no real hold time) and slide the next group in under the pointer.
  const auto letGoAndClose = [item, window] {
    auto* zone = item("nextZone");
    if (zone == nullptr) return false;
    QTest::mouseRelease(window, Qt::LeftButton, Qt::NoModifier, centreOf(zone));
    QTest::keyClick(window, Qt::Key_Escape);
    return true;
  };
  const auto viewerGone = [item] { return item("closeButton") == nullptr; };
  // Once the pointer is up, the close button is safe to use where a key may find no focus.
  const auto closedByItsButton = [item, window] {
    auto* close = item("closeButton");
    if (close == nullptr) return true;
    QTest::mouseClick(window, Qt::LeftButton, Qt::NoModifier, centreOf(close));
    return false;
  };
  // The first group's third page is its video: two steps forward once the viewer is up.
  const auto toThirdPage = [item, window] {
    if (item("closeButton") == nullptr) return false;
    QTest::keyClick(window, Qt::Key_Right);
    QTest::keyClick(window, Qt::Key_Right);
    return true;
  };
  const auto stillHeld = [] { return true; };

  // The quiz page lasts 12 s and the first image page 6 s: each state stays on its page. A held
  // page draws its pause indicator fading in, then nothing.
  Tour tour(window, {
                        {"home screen", [item] { return item("storyBar") != nullptr; }, 3000, 10000},
                        {"quiz page, playing", open(2), 500, 10000},
                        {"quiz page, held", hold, 0, 5000},
                        {"  its next 3 s", stillHeld, 0, 3000},
                        {"back home", letGoAndClose, 0, 0},
                        {"home screen again", viewerGone, 1000, 5000},
                        {"image page, playing", open(0), 300, 5000},
                        {"image page, held", hold, 0, 5000},
                        {"  its next 3 s", stillHeld, 0, 3000},
                        {"back home", letGoAndClose, 0, 0},
                        {"home screen, third", closedByItsButton, 0, 0},
                        {"open the first group", open(0), 0, 0},
                        {"video page, playing", toThirdPage, 1500, 2500},
                    });
  std::printf("%s\n",
              qPrintable(window->rendererInterface()->graphicsApi() == QSGRendererInterface::Software
                             ? QGuiApplication::platformName() + QStringLiteral(", software scene graph")
                             : rendererName()));
  std::printf("%-22s %8s %10s %10s %9s\n", "state", "frames/s", "p50 ms", "p95 ms", "CPU");
  tour.start();
  return QGuiApplication::exec();
}
