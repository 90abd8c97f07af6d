#include <orvane/quick/banners/banner_placement_model.h>

#include <QMetaObject>

#include <orvane/api/story_services.h>
#include <orvane/banners/banner_indicators.h>
#include <orvane/banners/banner_layout.h>
#include <orvane/banners/banner_placement.h>
#include <orvane/core/story_sdk.h>
#include <orvane/quick/platform/application_activity.h>

namespace orvane::quick {
namespace {

BannerPlacementModel::BannerKind kindOf(BannerType type) {
  switch (type) {
    case BannerType::carousel:
      return BannerPlacementModel::CarouselBanner;
    case BannerType::story:
      return BannerPlacementModel::StoryBanner;
    case BannerType::static_:
      break;
  }
  return BannerPlacementModel::StaticBanner;
}

BannerPlacementModel::Indicator indicatorOf(BannerIndicator indicator) {
  switch (indicator) {
    case BannerIndicator::dots:
      return BannerPlacementModel::Dots;
    case BannerIndicator::bars:
      return BannerPlacementModel::Bars;
    case BannerIndicator::none:
      break;
  }
  return BannerPlacementModel::NoIndicator;
}

QString qtString(const std::string& text) { return QString::fromStdString(text); }

}  // namespace

BannerPlacementModel::BannerPlacementModel(QObject* parent)
    : QObject(parent), activity_(new ApplicationActivity(this)) {
  connect(activity_, &ApplicationActivity::becameActiveAgain, this,
          &BannerPlacementModel::applicationDidBecomeActive);
}

BannerPlacementModel::~BannerPlacementModel() = default;

void BannerPlacementModel::setPlacementKey(const QString& placementKey) {
  if (placementKey == placementKey_ && placement_) return;
  subscription_.cancel();
  if (placement_ && onScreen_) placement_->disappear();
  placement_.reset();
  const bool keyChanged = placementKey != placementKey_;
  placementKey_ = placementKey;
  if (keyChanged) emit placementKeyChanged();

  if (!placementKey_.isEmpty()) {
    placement_ = BannerPlacement::create(placementKey_.toStdString(), StorySDK::shared().services());
    subscription_ = placement_->observe([this] { scheduleRefresh(); });
    if (onScreen_) placement_->appear();
  }
  scheduleRefresh();
}

void BannerPlacementModel::appear() {
  onScreen_ = true;
  if (placement_) placement_->appear();
}

void BannerPlacementModel::disappear() {
  onScreen_ = false;
  if (placement_) placement_->disappear();
}

void BannerPlacementModel::applicationDidBecomeActive() {
  if (placement_) placement_->applicationDidBecomeActive();
}

void BannerPlacementModel::reload() {
  if (placement_) placement_->loadBanners();
}

void BannerPlacementModel::tap() {
  if (placement_) placement_->handleTap();
}

void BannerPlacementModel::dragEnded(double dx, double dy) {
  if (placement_) placement_->handleDragEnded(dx, dy);
}

void BannerPlacementModel::showNext() {
  if (!placement_) return;
  if (const auto state = placement_->renderState()) placement_->showNextItem(*state);
}

void BannerPlacementModel::showPrevious() {
  if (!placement_) return;
  if (const auto state = placement_->renderState()) placement_->showPreviousItem(*state);
}

// The outcome belongs to the slide on screen, which is the one last published here: the image's
// URL follows mediaUrl, and outcomes of older URLs never arrive.
void BannerPlacementModel::imageLoaded() {
  if (placement_ && shown_.hasContent) {
    placement_->handleImageLoaded(shown_.bannerId.toStdString(), shown_.itemId.toStdString());
  }
}

void BannerPlacementModel::imageFailed() {
  if (placement_ && shown_.hasContent) {
    placement_->handleImageFailed(shown_.bannerId.toStdString(), shown_.itemId.toStdString());
  }
}

// Observers hear of a change before it is made: the new state is read once the change is done.
void BannerPlacementModel::scheduleRefresh() {
  if (refreshScheduled_) return;
  refreshScheduled_ = true;
  QMetaObject::invokeMethod(this, &BannerPlacementModel::refresh, Qt::QueuedConnection);
}

void BannerPlacementModel::refresh() {
  refreshScheduled_ = false;
  Shown shown;
  double progress = 0;
  Status status = Null;
  LoadError::Code error = LoadError::NoError;
  QString errorString;
  if (placement_) {
    progress = placement_->activeItemProgress();
    if (placement_->isLoading()) {
      status = Loading;
    } else if (placement_->loadError()) {
      status = Error;
      error = LoadError::code(placement_->loadError());
      errorString = LoadError::description(placement_->loadError());
    } else if (placement_->hasLoaded()) {
      status = Ready;
    }
    if (const auto state = placement_->renderState()) {
      const Banner& banner = state->banner();
      const BannerFrame frame = bannerFrame(banner);
      shown.hasContent = true;
      shown.bannerType = kindOf(banner.type());
      shown.bannerId = qtString(banner.id());
      shown.itemId = qtString(state->item().id());
      shown.mediaUrl = QUrl(qtString(state->item().mediaURL().string()));
      shown.contentMode = banner.bannerContentMode() == BannerContentMode::fit ? Fit : Cover;
      shown.indicator = indicatorOf(bannerIndicator(*state));
      shown.visibleCount = static_cast<int>(state->items().size());
      shown.activeItemIndex = static_cast<int>(state->activeItemIndex());
      shown.hasFixedHeight = frame.kind() == BannerFrame::Kind::fixedHeight;
      shown.fixedHeight = shown.hasFixedHeight ? frame.value() : 0;
      shown.aspectRatio = shown.hasFixedHeight ? aspectRatioValue(banner) : frame.value();
    }
  }
  if (!(shown == shown_)) {
    shown_ = std::move(shown);
    emit renderStateChanged();
  }
  if (progress != activeItemProgress_) {
    activeItemProgress_ = progress;
    emit activeItemProgressChanged();
  }
  if (status != status_ || error != error_ || errorString != errorString_) {
    status_ = status;
    error_ = error;
    errorString_ = std::move(errorString);
    emit statusChanged();
    if (status_ == Error) emit errorOccurred(error_, errorString_);
  }
}

}  // namespace orvane::quick
