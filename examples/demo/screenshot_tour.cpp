#include "screenshot_tour.h"

#include <QMetaObject>
#include <QMetaProperty>
#include <QQuickItem>
#include <QQuickWindow>
#include <QSGRendererInterface>
#include <QTest>
#include <algorithm>
#include <cmath>
#include <iostream>

#include "video_frame_check.h"

namespace {

constexpr int kPollMs = 100;
constexpr int kStopTimeoutMs = 15000;
// Mean difference per channel: about 1 for the right frame drawn scaled, about 5 for one with
// its colours stretched to the wrong range, tens for a misread one.
constexpr double kVideoTolerance = 3;
// Mean difference per channel between two frames of the streamed video far enough apart: its test
// pattern moves, so a picture standing still stays well under this.
constexpr double kFramesApart = 4;

QQuickItem* findItem(QQuickItem* root, const QString& name) {
  if (root == nullptr) return nullptr;
  if (root->objectName() == name && root->isVisible()) return root;
  for (auto* child : root->childItems())
    if (auto* found = findItem(child, name)) return found;
  return nullptr;
}

// Models and popups are plain objects owned by the item that declares them.
QObject* findObject(QQuickItem* root, const QString& name) {
  if (root == nullptr) return nullptr;
  if (auto* own = root->findChild<QObject*>(name, Qt::FindDirectChildrenOnly)) return own;
  for (auto* child : root->childItems())
    if (auto* found = findObject(child, name)) return found;
  return nullptr;
}

// Every such object, as findObject finds the first.
void findObjects(QQuickItem* root, const QString& name, QList<QObject*>& found) {
  if (root == nullptr) return;
  found << root->findChildren<QObject*>(name, Qt::FindDirectChildrenOnly);
  for (auto* child : root->childItems()) findObjects(child, name, found);
}

QQuickItem* findItemOfClass(QQuickItem* root, const char* className) {
  if (root == nullptr || !root->isVisible()) return nullptr;
  if (root->inherits(className)) return root;
  for (auto* child : root->childItems())
    if (auto* found = findItemOfClass(child, className)) return found;
  return nullptr;
}

}  // namespace

ScreenshotTour::ScreenshotTour(QQuickWindow* window, QDir directory, QList<QSize> sizes, MediaDelay slowMedia,
                               QObject* parent)
    : QObject(parent),
      window_(window),
      directory_(std::move(directory)),
      slowMedia_(std::move(slowMedia)),
      sizes_(std::move(sizes)) {
  poll_.setInterval(kPollMs);
  connect(&poll_, &QTimer::timeout, this, &ScreenshotTour::advance);
}

void ScreenshotTour::setStoryOpenedById(std::function<void()> open, QString pageId) {
  openById_ = std::move(open);
  openedPageId_ = std::move(pageId);
}

void ScreenshotTour::addStops() {
  auto nothing = [] { return true; };
  auto closeViewer = [this] { return tap(item(QStringLiteral("closeButton"))); };
  auto viewerGone = [this] { return !viewerShowing(); };
  auto next = [this] { return tap(item(QStringLiteral("nextZone"))); };
  auto open = [this](int group) { return [this, group] { return tap(bubble(group)); }; };
  auto showing = [this](int group, int page) {
    return [this, group, page] { return viewerAt(group, page); };
  };
  auto answer = [this](int option) {
    return [this, option] { return tap(item(QStringLiteral("option%1").arg(option))); };
  };
  auto resultsShown = [this] {
    auto* viewer = object(QStringLiteral("viewerModel"));
    return viewer != nullptr && viewer->property("showResults").toBool();
  };

  stops_ = {
      {QStringLiteral("1-story-bar-and-banners"), nothing,
       [this] {
         return bubble(3) != nullptr && showsContent("carouselBanner") && showsContent("storyBanner");
       },
       2000},
      {QStringLiteral("2-viewer-page"), open(0), showing(0, 0), 1200},
      {QString(), next, showing(0, 1), 0},
      {QString(), next, showing(0, 2), 0},
      {QStringLiteral("2-viewer-video"), nothing, [this] { return videoShown(); }, 0},
      {QString(), next, showing(0, 3), 0},
      {QStringLiteral("2-viewer-streamed-video"), nothing, [this] { return videoPlays(); }, 0},
      {QString(), closeViewer, viewerGone, 500},
      {QString(), open(1), showing(1, 0), 1000},
      {QStringLiteral("3-poll-with-results"), answer(0), resultsShown, 1000},
      {QString(), closeViewer, viewerGone, 500},
      {QString(), open(2), showing(2, 0), 1000},
      {QStringLiteral("4-quiz-answered"), answer(0), resultsShown, 1000},
      {QString(), closeViewer, viewerGone, 500},
      {QStringLiteral("5-swipe-page"), open(3), showing(3, 0), 1500},
      {QString(), closeViewer, viewerGone, 500},
      // Long enough for the carousel to turn and the story banner to move to its next slide.
      {QStringLiteral("6-banners-later"), nothing, viewerGone, 5500},
      // Reading the first story to its last page mutes its bubble's ring.
      {QString(), open(0), showing(0, 0), 500},
      {QString(),
       [this] {
         auto* viewer = object(QStringLiteral("viewerModel"));
         if (viewer == nullptr) return false;
         for (int page = 1; page < viewer->property("itemCount").toInt(); ++page)
           QMetaObject::invokeMethod(viewer, "goToNext");
         return true;
       },
       [this] {
         auto* viewer = object(QStringLiteral("viewerModel"));
         return viewer != nullptr && viewerAt(0, viewer->property("itemCount").toInt() - 1);
       },
       300},
      {QString(), closeViewer, viewerGone, 500},
      // Keyboard focus on the bar: the first bubble, now seen, wears the focus ring.
      {QStringLiteral("7-focused-bar-and-seen-bubble"),
       [this] {
         auto* bubbles = item(QStringLiteral("bubbles"));
         if (bubbles == nullptr) return false;
         bubbles->forceActiveFocus(Qt::TabFocusReason);
         return true;
       },
       [this] {
         auto* bubbles = item(QStringLiteral("bubbles"));
         return bubbles != nullptr && bubbles->hasActiveFocus();
       },
       300},
  };
  if (openById_) {
    // Without a bubble tap: the viewer opens over the window at the page, its share action shown.
    const std::vector<Stop> byId = {
        {QStringLiteral("9-opened-by-id"),
         [this] {
           openById_();
           return true;
         },
         [this] {
           auto* share = item(QStringLiteral("shareButton"));
           return viewerShowsPage(openedPageId_) && share != nullptr;
         },
         1200},
        {QString(), closeViewer, viewerGone, 500},
    };
    stops_.insert(stops_.end(), byId.begin(), byId.end());
  }
  if (!slowMedia_) return;

  // Over a slow network the video page holds its progress and, past a glance, shows a spinner.
  const std::vector<Stop> slowVideo = {
      {QString(),
       [this] {
         slowMedia_(std::chrono::seconds(6));
         return tap(bubble(0));
       },
       showing(0, 0), 300},
      {QString(), next, showing(0, 1), 0},
      {QString(), next, showing(0, 2), 0},
      {QStringLiteral("8-loading-page"), nothing,
       [this] {
         auto* spinner = item(QStringLiteral("loadingSpinner"));
         return viewerAt(0, 2) && spinner != nullptr && spinner->isVisible();
       },
       200},
      {QString(),
       [this] {
         slowMedia_(std::chrono::milliseconds(0));
         return tap(item(QStringLiteral("closeButton")));
       },
       viewerGone, 500},
  };
  stops_.insert(stops_.end(), slowVideo.begin(), slowVideo.end());
}

void ScreenshotTour::start() {
  addStops();
  if (!beginNextSize()) emit finished(QString());
}

bool ScreenshotTour::beginNextSize() {
  if (++sizeIndex_ >= sizes_.size()) return false;
  const QSize size = sizes_[sizeIndex_];
  const QString name = QStringLiteral("%1x%2").arg(size.width()).arg(size.height());
  if (!directory_.mkpath(name)) {
    fail(QStringLiteral("cannot create ") + directory_.filePath(name));
    return true;
  }
  sizeDirectory_ = QDir(directory_.filePath(name));
  window_->resize(size);
  next_ = 0;
  acted_ = false;
  waited_.start();
  poll_.start();
  return true;
}

void ScreenshotTour::advance() {
  if (next_ == stops_.size()) {
    poll_.stop();
    if (!beginNextSize()) emit finished(QString());
    return;
  }
  auto& stop = stops_[next_];
  const QString label = (stop.name.isEmpty() ? QStringLiteral("step %1").arg(next_ + 1) : stop.name) +
                        QStringLiteral(" at ") + sizeDirectory_.dirName();
  if (waited_.elapsed() > kStopTimeoutMs) return fail(QStringLiteral("tour stopped at ") + label);
  if (!acted_) {
    acted_ = stop.act();
    return;
  }
  if (!stop.ready()) return;

  poll_.stop();
  QTimer::singleShot(stop.settleMs, this, [this] {
    const auto& settled = stops_[next_];
    if (!settled.name.isEmpty()) {
      const QString path = sizeDirectory_.filePath(settled.name + QStringLiteral(".png"));
      if (!window_->grabWindow().save(path)) return fail(QStringLiteral("could not save ") + path);
      saved_ << path;
    }
    ++next_;
    acted_ = false;
    waited_.restart();
    poll_.start();
  });
}

void ScreenshotTour::fail(const QString& why) {
  poll_.stop();
  emit finished(why);
}

QQuickItem* ScreenshotTour::item(const QString& objectName) const {
  return findItem(window_->contentItem(), objectName);
}

QObject* ScreenshotTour::object(const QString& objectName) const {
  return findObject(window_->contentItem(), objectName);
}

QQuickItem* ScreenshotTour::bubble(int index) const {
  auto* bubbles = item(QStringLiteral("bubbles"));
  QQuickItem* entry = nullptr;
  if (bubbles != nullptr)
    QMetaObject::invokeMethod(bubbles, "itemAtIndex", Q_RETURN_ARG(QQuickItem*, entry), Q_ARG(int, index));
  return entry;
}

bool ScreenshotTour::tap(QQuickItem* target) {
  if (target == nullptr || !target->isVisible()) return false;
  const QPointF centre = target->mapToScene(QPointF(target->width() / 2, target->height() / 2));
  QTest::mouseClick(window_, Qt::LeftButton, Qt::NoModifier, centre.toPoint());
  return true;
}

bool ScreenshotTour::showsContent(const char* bannerName) const {
  auto* banner = item(QString::fromLatin1(bannerName));
  return banner != nullptr && banner->implicitHeight() > 0;
}

bool ScreenshotTour::viewerShowing() const {
  // The bar's presentation, or one opened by id.
  QList<QObject*> presentations;
  findObjects(window_->contentItem(), QStringLiteral("viewerPresentation"), presentations);
  return std::any_of(presentations.begin(), presentations.end(),
                     [](QObject* presentation) { return presentation->property("visible").toBool(); });
}

bool ScreenshotTour::viewerShowsPage(const QString& pageId) const {
  auto* viewer = object(QStringLiteral("viewerModel"));
  if (!viewerShowing() || viewer == nullptr) return false;
  if (pageId.isEmpty()) return viewer->property("currentItemIndex").toInt() == 0;
  // The page is a QML value type; its id is read as QML reads it, by name.
  const QVariant page = viewer->property("currentItem");
  const QMetaObject* type = page.metaType().metaObject();
  const int id = type != nullptr ? type->indexOfProperty("id") : -1;
  const QString shown = id >= 0 ? type->property(id).readOnGadget(page.constData()).toString() : QString();
  return shown.compare(pageId, Qt::CaseInsensitive) == 0;
}

bool ScreenshotTour::viewerAt(int group, int page) const {
  auto* viewer = object(QStringLiteral("viewerModel"));
  return viewerShowing() && viewer != nullptr && viewer->property("currentGroupIndex").toInt() == group &&
         viewer->property("currentItemIndex").toInt() == page;
}

bool ScreenshotTour::videoShown() {
  if (!viewerAt(0, 2)) return false;
  if (window_->rendererInterface()->graphicsApi() == QSGRendererInterface::Software) {
    std::cout << "video frame not checked: the software scene graph draws no video" << std::endl;
    return true;
  }
  auto* output = findItemOfClass(window_->contentItem(), "QQuickVideoOutput");
  auto* topScrim = item(QStringLiteral("topScrim"));
  auto* bottomScrim = item(QStringLiteral("bottomScrim"));
  if (output == nullptr || topScrim == nullptr || bottomScrim == nullptr) return false;
  const QRectF videoArea = output->mapRectToScene(output->property("contentRect").toRectF());
  // Between the scrims, where nothing lies over the video.
  const double top = topScrim->mapToScene(QPointF(0, topScrim->height())).y() + 4;
  const double bottom = bottomScrim->mapToScene(QPointF(0, 0)).y() - 4;
  const QRectF uncovered(0, top, window_->width(), bottom - top);
  const double mismatch = sampleVideoMismatch(window_->grabWindow(), videoArea, uncovered);
  if (mismatch > kVideoTolerance) return false;
  std::cout << "video frame matches its source (mean difference " << mismatch << ")" << std::endl;
  return true;
}

bool ScreenshotTour::videoPlays() {
  if (!viewerAt(0, 3)) return false;
  if (window_->rendererInterface()->graphicsApi() == QSGRendererInterface::Software) {
    std::cout << "streamed video not checked: the software scene graph draws no video" << std::endl;
    return true;
  }
  auto* output = findItemOfClass(window_->contentItem(), "QQuickVideoOutput");
  auto* topScrim = item(QStringLiteral("topScrim"));
  auto* bottomScrim = item(QStringLiteral("bottomScrim"));
  if (output == nullptr || topScrim == nullptr || bottomScrim == nullptr) return false;
  const QRectF videoArea = output->mapRectToScene(output->property("contentRect").toRectF());
  const double top = topScrim->mapToScene(QPointF(0, topScrim->height())).y() + 4;
  const double bottom = bottomScrim->mapToScene(QPointF(0, 0)).y() - 4;
  const QRect area = videoArea.intersected(QRectF(0, top, window_->width(), bottom - top)).toAlignedRect();
  if (area.isEmpty()) return false;
  const QImage frame = window_->grabWindow().copy(area).convertToFormat(QImage::Format_RGB32);
  double total = 0, lit = 0;
  for (int y = 0; y < frame.height(); ++y) {
    for (int x = 0; x < frame.width(); ++x) {
      const QRgb now = frame.pixel(x, y);
      lit += qRed(now) + qGreen(now) + qBlue(now);
      if (firstStreamedFrame_.isNull()) continue;
      const QRgb then = firstStreamedFrame_.pixel(x, y);
      total += std::abs(qRed(now) - qRed(then)) + std::abs(qGreen(now) - qGreen(then)) +
               std::abs(qBlue(now) - qBlue(then));
    }
  }
  const double samples = frame.width() * frame.height() * 3.0;
  // Black until the first frame arrives; that is no frame to compare with.
  if (firstStreamedFrame_.isNull()) {
    if (lit / samples > 16) firstStreamedFrame_ = frame;
    return false;
  }
  const double apart = total / samples;
  if (apart < kFramesApart) return false;
  std::cout << "streamed video plays: a frame differs from the first by " << apart << " per channel" << std::endl;
  return true;
}
