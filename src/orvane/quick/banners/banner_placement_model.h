#pragma once

#include <QtQml/qqmlregistration.h>

#include <QObject>
#include <QString>
#include <QUrl>
#include <memory>

#include <orvane/core/observable.h>
#include <orvane/quick/status/load_error.h>

namespace orvane {
class BannerPlacement;
}

namespace orvane::quick {

class ApplicationActivity;

// One banner placement for QML: what BannerView draws, and where it forwards its lifecycle,
// gestures and image outcomes. The placement tells its observers before each change, so the new
// state is read on the next turn of the event loop and published as a whole.
//
//   BannerPlacementModel {
//     id: placement
//     placementKey: "home_banner"
//   }
//   StoryRemoteImage { url: placement.mediaUrl; onLoaded: placement.imageLoaded() }
//
// Setting another key starts a placement of its own (fetched on its next appearance, or at once
// when the old one was on screen). Returns of the application to the foreground reload.
class BannerPlacementModel : public QObject {
  Q_OBJECT
  QML_ELEMENT
  Q_PROPERTY(QString placementKey READ placementKey WRITE setPlacementKey NOTIFY placementKeyChanged)
  Q_PROPERTY(bool hasContent READ hasContent NOTIFY renderStateChanged)
  Q_PROPERTY(BannerKind bannerType READ bannerType NOTIFY renderStateChanged)
  Q_PROPERTY(QString bannerId READ bannerId NOTIFY renderStateChanged)
  Q_PROPERTY(QString itemId READ itemId NOTIFY renderStateChanged)
  Q_PROPERTY(QUrl mediaUrl READ mediaUrl NOTIFY renderStateChanged)
  Q_PROPERTY(ContentMode contentMode READ contentMode NOTIFY renderStateChanged)
  Q_PROPERTY(Indicator indicator READ indicator NOTIFY renderStateChanged)
  Q_PROPERTY(int visibleCount READ visibleCount NOTIFY renderStateChanged)
  Q_PROPERTY(int activeItemIndex READ activeItemIndex NOTIFY renderStateChanged)
  Q_PROPERTY(double activeItemProgress READ activeItemProgress NOTIFY activeItemProgressChanged)
  Q_PROPERTY(bool hasFixedHeight READ hasFixedHeight NOTIFY renderStateChanged)
  Q_PROPERTY(double fixedHeight READ fixedHeight NOTIFY renderStateChanged)
  Q_PROPERTY(double aspectRatio READ aspectRatio NOTIFY renderStateChanged)
  // Like Image.status: Null until the first load (on the first appearance), then Loading, and
  // Ready or Error; a failed load shows nothing.
  Q_PROPERTY(Status status READ status NOTIFY statusChanged)
  // Why the last load failed (e.g. a wrong SDK key, no service); NoError and empty otherwise.
  Q_PROPERTY(orvane::quick::LoadError::Code error READ error NOTIFY statusChanged)
  Q_PROPERTY(QString errorString READ errorString NOTIFY statusChanged)

 public:
  enum Status { Null, Loading, Ready, Error };
  Q_ENUM(Status)
  enum BannerKind { StaticBanner, CarouselBanner, StoryBanner };
  Q_ENUM(BannerKind)
  enum ContentMode { Cover, Fit };
  Q_ENUM(ContentMode)
  enum Indicator { NoIndicator, Dots, Bars };
  Q_ENUM(Indicator)

  explicit BannerPlacementModel(QObject* parent = nullptr);
  ~BannerPlacementModel() override;

  QString placementKey() const { return placementKey_; }
  void setPlacementKey(const QString& placementKey);

  // Everything below describes the shown slide; without one, hasContent is false and the rest
  // hold their neutral values.
  bool hasContent() const { return shown_.hasContent; }
  BannerKind bannerType() const { return shown_.bannerType; }
  QString bannerId() const { return shown_.bannerId; }
  QString itemId() const { return shown_.itemId; }
  QUrl mediaUrl() const { return shown_.mediaUrl; }
  ContentMode contentMode() const { return shown_.contentMode; }
  Indicator indicator() const { return shown_.indicator; }
  // The banner's visible slides.
  int visibleCount() const { return shown_.visibleCount; }
  int activeItemIndex() const { return shown_.activeItemIndex; }
  // The fill of the active story-style bar, 0...1.
  double activeItemProgress() const { return activeItemProgress_; }
  // The content is fixedHeight points tall, or else its width divided by aspectRatio.
  bool hasFixedHeight() const { return shown_.hasFixedHeight; }
  double fixedHeight() const { return shown_.fixedHeight; }
  double aspectRatio() const { return shown_.aspectRatio; }
  Status status() const { return status_; }
  LoadError::Code error() const { return error_; }
  QString errorString() const { return errorString_; }

  // Every appearance reloads; disappearing stops the rotation.
  Q_INVOKABLE void appear();
  Q_INVOKABLE void disappear();
  Q_INVOKABLE void applicationDidBecomeActive();
  // Fetches the placement's banners again, e.g. after an error.
  Q_INVOKABLE void reload();
  // Gestures on the shown slide: a tap reports a click and follows a link; a drag's end
  // translation swipes when it is long and mostly horizontal.
  Q_INVOKABLE void tap();
  Q_INVOKABLE void dragEnded(double dx, double dy);
  // Steps as a swipe does, for keys: the next slide, else the next banner's first (and back).
  Q_INVOKABLE void showNext();
  Q_INVOKABLE void showPrevious();
  // The outcome of loading the shown slide's image.
  Q_INVOKABLE void imageLoaded();
  Q_INVOKABLE void imageFailed();

 signals:
  void placementKeyChanged();
  void renderStateChanged();
  void activeItemProgressChanged();
  void statusChanged();
  // Each failed load, once its status is Error.
  void errorOccurred(orvane::quick::LoadError::Code error, const QString& errorString);

 private:
  struct Shown {
    bool hasContent = false;
    BannerKind bannerType = StaticBanner;
    QString bannerId;
    QString itemId;
    QUrl mediaUrl;
    ContentMode contentMode = Cover;
    Indicator indicator = NoIndicator;
    int visibleCount = 0;
    int activeItemIndex = 0;
    bool hasFixedHeight = false;
    double fixedHeight = 0;
    double aspectRatio = 16.0 / 9.0;

    bool operator==(const Shown&) const = default;
  };

  void scheduleRefresh();
  void refresh();

  QString placementKey_;
  bool onScreen_ = false;
  bool refreshScheduled_ = false;
  Shown shown_;
  double activeItemProgress_ = 0;
  Status status_ = Null;
  LoadError::Code error_ = LoadError::NoError;
  QString errorString_;
  ApplicationActivity* activity_;
  std::shared_ptr<BannerPlacement> placement_;
  // Declared after the placement so that it is cancelled first.
  Subscription subscription_;
};

}  // namespace orvane::quick
