#include <orvane/quick/media/story_remote_image.h>

#include <QGuiApplication>
#include <QLineF>
#include <QPainter>
#include <QPainterPath>
#include <QQmlContext>
#include <QQuickWindow>
#include <QSGImageNode>
#include <QScreen>
#include <algorithm>
#include <cmath>

#include <orvane/media/story_image_pipeline.h>
#include <orvane/platform/url.h>
#include <orvane/quick/platform/qt_image_decoder.h>

namespace orvane::quick {
namespace {

// The scale that fits the image inside the item (fit) or makes it cover the item (crop).
double aspectScale(const QSizeF& itemSize, const QSizeF& imageSize, StoryRemoteImage::FillMode mode) {
  const double horizontal = itemSize.width() / imageSize.width();
  const double vertical = itemSize.height() / imageSize.height();
  return mode == StoryRemoteImage::PreserveAspectCrop ? std::max(horizontal, vertical)
                                                      : std::min(horizontal, vertical);
}

bool drawable(const QSizeF& itemSize, const QSizeF& imageSize) {
  return itemSize.width() > 0 && itemSize.height() > 0 && imageSize.width() > 0 && imageSize.height() > 0;
}

// Images are decoded to cover what was asked for, never beyond their own size.
bool covers(const QSize& image, const PixelSize& asked) {
  return image.width() + 1 >= asked.width && image.height() + 1 >= asked.height;
}

// Settling time for a window being resized by hand, so a drag decodes once, not at every step.
constexpr int kResizeSettleMs = 250;
// Growth below this shows no sharper picture worth another download.
constexpr double kWorthwhileGrowth = 1.15;

}  // namespace

StoryRemoteImage::StoryRemoteImage(QQuickItem* parent) : QQuickItem(parent) {
  setFlag(ItemHasContents, true);
  sharpenAfterResize_.setSingleShot(true);
  sharpenAfterResize_.setInterval(kResizeSettleMs);
  connect(&sharpenAfterResize_, &QTimer::timeout, this, &StoryRemoteImage::sharpen);
}

StoryRemoteImage::~StoryRemoteImage() { wanted_.request_stop(); }

void StoryRemoteImage::setUrl(const QUrl& url) {
  if (url == url_) return;
  url_ = url;
  emit urlChanged();
  if (isComponentComplete()) load();
}

void StoryRemoteImage::setFillMode(FillMode mode) {
  if (mode == fillMode_) return;
  fillMode_ = mode;
  emit fillModeChanged();
  emit paintedRectChanged();
  if (radius_ > 0) textureOutdated_ = true;
  update();
}

void StoryRemoteImage::setRadius(qreal radius) {
  radius = std::isfinite(radius) ? std::max<qreal>(radius, 0) : 0;
  if (qFuzzyCompare(radius + 1, radius_ + 1)) return;
  radius_ = radius;
  emit radiusChanged();
  emit paintedRectChanged();
  textureOutdated_ = true;
  update();
}

void StoryRemoteImage::setPlaceholder(QQmlComponent* placeholder) {
  if (placeholder == placeholder_) return;
  placeholder_ = placeholder;
  delete placeholderItem_.data();
  emit placeholderChanged();
  if (isComponentComplete()) updatePlaceholder();
}

void StoryRemoteImage::componentComplete() {
  QQuickItem::componentComplete();
  load();
}

void StoryRemoteImage::itemChange(ItemChange change, const ItemChangeData& value) {
  QQuickItem::itemChange(change, value);
  if (change != ItemSceneChange || !isComponentComplete()) return;
  if (value.window == nullptr) {
    // Off screen: whatever is still loading belongs to nobody now.
    ++generation_;
    withdraw();
  } else {
    load();
  }
}

void StoryRemoteImage::geometryChange(const QRectF& newGeometry, const QRectF& oldGeometry) {
  QQuickItem::geometryChange(newGeometry, oldGeometry);
  layoutPlaceholder();
  if (newGeometry.size() != oldGeometry.size()) {
    emit paintedRectChanged();
    // A rounded image is composed at the item's size.
    if (radius_ > 0) textureOutdated_ = true;
    if (status_ == Ready) sharpenAfterResize_.start();
  }
  update();
}

void StoryRemoteImage::sharpen() {
  const PixelSize wanted = shownSize();
  // An image smaller than what it was asked for is all there is of it.
  if (status_ != Ready || !covers(image_.size(), requestedSize_) || wanted.isEmpty()) return;
  const double growth = std::max(static_cast<double>(wanted.width) / std::max(1, image_.width()),
                                 static_cast<double>(wanted.height) / std::max(1, image_.height()));
  if (growth < kWorthwhileGrowth) return;
  const auto url = pipelineUrl();
  if (!url) return;
  requestedSize_ = wanted;
  StoryImagePipeline::shared().image(
      *url, wanted,
      [self = QPointer<StoryRemoteImage>(this),
       generation = generation_](std::shared_ptr<const Image> image) {
        const auto* decoded = dynamic_cast<const QtImage*>(image.get());
        // A failed or stale attempt leaves the smaller picture in place.
        if (self.isNull() || decoded == nullptr || generation != self->generation_ || self->status_ != Ready)
          return;
        self->show(decoded->image(), Ready);
      },
      wanted_.get_token());
}

void StoryRemoteImage::load() {
  sharpenAfterResize_.stop();
  const auto generation = ++generation_;
  withdraw();
  const auto url = pipelineUrl();
  if (!url) {
    show({}, Null);
    return;
  }
  auto& pipeline = StoryImagePipeline::shared();
  // A cached image shows at once instead of flashing the placeholder; loaded() still follows.
  const auto* cached = dynamic_cast<const QtImage*>(pipeline.cachedImage(*url).get());
  show(cached ? cached->image() : QImage(), Loading);
  requestedSize_ = shownSize();
  pipeline.image(*url, requestedSize_,
                 [self = QPointer<StoryRemoteImage>(this), generation](std::shared_ptr<const Image> image) {
                   if (self.isNull()) return;
                   // Only Qt's decoder yields pixels this item can draw.
                   const auto* decoded = dynamic_cast<const QtImage*>(image.get());
                   self->finishLoad(generation, decoded ? decoded->image() : QImage(), decoded != nullptr);
                 },
                 wanted_.get_token());
}

void StoryRemoteImage::withdraw() {
  wanted_.request_stop();
  wanted_ = std::stop_source();
}

std::optional<Url> StoryRemoteImage::pipelineUrl() const {
  return url_.isEmpty() ? std::nullopt : Url::parse(url_.toString(QUrl::FullyEncoded).toStdString());
}

QSize StoryRemoteImage::screenPixels() const {
  const QScreen* screen =
      window() && window()->screen() ? window()->screen() : QGuiApplication::primaryScreen();
  return screen ? (QSizeF(screen->size()) * devicePixelRatio()).toSize() : QSize();
}

PixelSize StoryRemoteImage::shownSize() const {
  // Decoded for the item's pixels, never beyond the screen's; an item not laid out yet gets the screen.
  const qreal ratio = devicePixelRatio();
  const QSize screen = screenPixels();
  const QSize itemPixels(static_cast<int>(std::ceil(width() * ratio)),
                         static_cast<int>(std::ceil(height() * ratio)));
  if (itemPixels.isEmpty()) return {screen.width(), screen.height()};
  if (screen.isEmpty()) return {itemPixels.width(), itemPixels.height()};
  return {std::min(itemPixels.width(), screen.width()), std::min(itemPixels.height(), screen.height())};
}

void StoryRemoteImage::finishLoad(std::uint64_t generation, const QImage& image, bool succeeded) {
  if (generation != generation_) return;
  show(image, succeeded ? Ready : Error);
  if (succeeded) {
    emit loaded();
  } else {
    emit failed();
  }
}

void StoryRemoteImage::show(const QImage& image, Status status) {
  const bool statusChanges = status != status_ || image.size() != image_.size();
  const bool paintChanges = image.size() != image_.size() || image.isNull() != image_.isNull() ||
                            image.hasAlphaChannel() != image_.hasAlphaChannel();
  if (image.cacheKey() != image_.cacheKey()) {
    image_ = image;
    textureOutdated_ = true;
    update();
  }
  status_ = status;
  updatePlaceholder();
  if (statusChanges) emit statusChanged();
  if (paintChanges) emit paintedRectChanged();
}

void StoryRemoteImage::updatePlaceholder() {
  const bool wanted = image_.isNull() && placeholder_ != nullptr;
  if (!wanted) {
    delete placeholderItem_.data();
    return;
  }
  if (placeholderItem_ != nullptr || placeholder_->isLoading()) return;
  QQmlContext* context = placeholder_->creationContext() ? placeholder_->creationContext() : qmlContext(this);
  QObject* created = placeholder_->beginCreate(context);
  auto* item = qobject_cast<QQuickItem*>(created);
  if (item == nullptr) {
    placeholder_->completeCreate();
    delete created;
    return;
  }
  item->setParentItem(this);
  // Beneath anything the caller puts inside the image item.
  item->setZ(-1);
  placeholder_->completeCreate();
  placeholderItem_ = item;
  layoutPlaceholder();
}

void StoryRemoteImage::layoutPlaceholder() {
  if (placeholderItem_ == nullptr) return;
  placeholderItem_->setPosition({0, 0});
  placeholderItem_->setSize(size());
}

bool StoryRemoteImage::contains(const QPointF& point) const {
  if (!QQuickItem::contains(point)) return false;
  // Rounded corners are circular arcs, no larger than half the shorter side.
  const qreal radius = std::min({radius_, width() / 2, height() / 2});
  if (radius <= 0) return true;
  const QPointF nearestCentre(std::clamp(point.x(), radius, width() - radius),
                              std::clamp(point.y(), radius, height() - radius));
  return QLineF(point, nearestCentre).length() <= radius;
}

QRectF StoryRemoteImage::targetRect(const QSizeF& itemSize, const QSizeF& imageSize, FillMode mode) {
  if (!drawable(itemSize, imageSize)) return {};
  if (mode == PreserveAspectCrop) return QRectF(QPointF(0, 0), itemSize);
  const QSizeF drawn = imageSize * aspectScale(itemSize, imageSize, mode);
  return QRectF(QPointF((itemSize.width() - drawn.width()) / 2, (itemSize.height() - drawn.height()) / 2),
                drawn);
}

QRectF StoryRemoteImage::sourceRect(const QSizeF& itemSize, const QSizeF& imageSize, FillMode mode) {
  if (!drawable(itemSize, imageSize)) return {};
  if (mode != PreserveAspectCrop) return QRectF(QPointF(0, 0), imageSize);
  // The centred part of the image that covers the item once scaled.
  const QSizeF shown = itemSize / aspectScale(itemSize, imageSize, mode);
  return QRectF(QPointF((imageSize.width() - shown.width()) / 2, (imageSize.height() - shown.height()) / 2),
                shown);
}

qreal StoryRemoteImage::devicePixelRatio() const {
  return window() ? window()->effectiveDevicePixelRatio() : 1.0;
}

QSize StoryRemoteImage::textureSize() const {
  if (image_.isNull() || paintedRect().isEmpty()) return {};
  return radius_ > 0 ? roundedPixels(devicePixelRatio()) : image_.size();
}

QSize StoryRemoteImage::roundedPixels(qreal devicePixelRatio) const {
  const QRectF target = targetRect(size(), image_.size(), fillMode_);
  if (target.isEmpty()) return {};
  // At the display's pixels; an item larger than the screen is never seen whole, and its picture
  // is composed no larger than the screen.
  qreal scale = devicePixelRatio;
  const QSize screen = screenPixels();
  if (!screen.isEmpty())
    scale = std::min({scale, screen.width() / target.width(), screen.height() / target.height()});
  return {std::max(1, static_cast<int>(std::ceil(target.width() * scale))),
          std::max(1, static_cast<int>(std::ceil(target.height() * scale)))};
}

QImage StoryRemoteImage::roundedImage(qreal devicePixelRatio) const {
  const QRectF target = targetRect(size(), image_.size(), fillMode_);
  const QSize pixels = roundedPixels(devicePixelRatio);
  if (pixels.isEmpty()) return {};
  QImage composed(pixels, QImage::Format_ARGB32_Premultiplied);
  composed.fill(Qt::transparent);
  QPainter painter(&composed);
  painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
  painter.scale(pixels.width() / target.width(), pixels.height() / target.height());
  painter.translate(-target.topLeft());
  QPainterPath rounded;
  rounded.addRoundedRect(QRectF(QPointF(0, 0), size()), radius_, radius_);
  QPainterPath bounds;
  bounds.addRect(target);
  // An antialiased mask first, then the image only where the mask is.
  painter.fillPath(rounded.intersected(bounds), Qt::black);
  painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
  painter.drawImage(target, image_, sourceRect(size(), image_.size(), fillMode_));
  return composed;
}

QSGNode* StoryRemoteImage::updatePaintNode(QSGNode* oldNode, UpdatePaintNodeData*) {
  const QRectF target = targetRect(size(), image_.size(), fillMode_);
  if (image_.isNull() || target.isEmpty() || window() == nullptr) {
    delete oldNode;
    return nullptr;
  }
  const bool rounded = radius_ > 0;
  auto* node = static_cast<QSGImageNode*>(oldNode);
  if (textureOutdated_ || node == nullptr) {
    // A new node per texture: the old node takes its texture with it.
    delete node;
    node = window()->createImageNode();
    const QImage texture = rounded ? roundedImage(devicePixelRatio()) : image_;
    node->setTexture(window()->createTextureFromImage(texture));
    node->setOwnsTexture(true);
    node->setFiltering(QSGTexture::Linear);
    textureOutdated_ = false;
  }
  node->setRect(target);
  // A rounded picture is the shown part already.
  node->setSourceRect(rounded ? QRectF(QPointF(0, 0), node->texture()->textureSize())
                              : sourceRect(size(), image_.size(), fillMode_));
  return node;
}

}  // namespace orvane::quick
