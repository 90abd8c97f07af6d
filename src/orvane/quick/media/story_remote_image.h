#pragma once

#include <QtQml/qqmlregistration.h>

#include <QImage>
#include <QPointer>
#include <QQmlComponent>
#include <QQuickItem>
#include <QTimer>
#include <QUrl>
#include <cstdint>
#include <optional>
#include <stop_token>

#include <orvane/platform/image.h>
#include <orvane/platform/url.h>

namespace orvane::quick {

// A remote image loaded through the SDK's image pipeline (never QML's own network loader), with a
// caller's placeholder while there is no image:
//
//   StoryRemoteImage {
//     anchors.fill: parent
//     url: slide.mediaUrl
//     fillMode: Image.PreserveAspectCrop
//     placeholder: Rectangle { color: Qt.rgba(0.5, 0.5, 0.5, 0.14) }
//     onLoaded: ...
//     onFailed: ...
//   }
//
// The image keeps its aspect ratio: it fits inside the item, or covers it with the overflow cut
// off at the item's edges. A radius rounds the item's corners, cutting the image to that rounded
// rectangle (radius: width / 2 on a square item draws a circle); the placeholder rounds itself. The
// placeholder is created when needed and sized to the item. The image is decoded no larger than the
// item's size in pixels (the screen's until the item has a size); an item that grows past what its image
// was decoded for (a window made larger) has it decoded again, larger, once its size settles, showing the
// smaller one meanwhile without a change of status. Each URL change (and each return to a window) loads
// afresh; the outcome of an older load is dropped unseen. loaded() or failed() is emitted once per load; an
// empty URL shows the placeholder and emits neither. Failures are not retried until the next load.
class StoryRemoteImage : public QQuickItem {
  Q_OBJECT
  QML_ELEMENT
  Q_PROPERTY(QUrl url READ url WRITE setUrl NOTIFY urlChanged)
  Q_PROPERTY(FillMode fillMode READ fillMode WRITE setFillMode NOTIFY fillModeChanged)
  Q_PROPERTY(qreal radius READ radius WRITE setRadius NOTIFY radiusChanged)
  Q_PROPERTY(QQmlComponent* placeholder READ placeholder WRITE setPlaceholder NOTIFY placeholderChanged)
  Q_PROPERTY(Status status READ status NOTIFY statusChanged)
  Q_PROPERTY(QSize sourceSize READ sourceSize NOTIFY statusChanged)
  // Where the image is drawn, in item coordinates; empty while there is none.
  Q_PROPERTY(QRectF paintedRect READ paintedRect NOTIFY paintedRectChanged)
  // Whether every pixel of paintedRect is covered by the image: no alpha, no rounded corners.
  Q_PROPERTY(bool opaque READ opaque NOTIFY paintedRectChanged)
  // The size in pixels of what the item draws from: the decoded image, or with rounded corners its
  // shown part cut to them, composed at the display's pixels. However large the item, neither
  // exceeds the screen's pixels.
  Q_PROPERTY(QSize textureSize READ textureSize NOTIFY paintedRectChanged)

 public:
  // The values of Image.PreserveAspectFit and Image.PreserveAspectCrop, so either spelling works.
  enum FillMode { PreserveAspectFit = 1, PreserveAspectCrop = 2 };
  Q_ENUM(FillMode)
  enum Status { Null, Loading, Ready, Error };
  Q_ENUM(Status)

  explicit StoryRemoteImage(QQuickItem* parent = nullptr);
  ~StoryRemoteImage() override;

  QUrl url() const { return url_; }
  void setUrl(const QUrl& url);
  FillMode fillMode() const { return fillMode_; }
  void setFillMode(FillMode mode);
  qreal radius() const { return radius_; }
  void setRadius(qreal radius);
  QQmlComponent* placeholder() const { return placeholder_; }
  void setPlaceholder(QQmlComponent* placeholder);
  Status status() const { return status_; }
  // The loaded image's size in pixels; empty while there is no image.
  QSize sourceSize() const { return image_.size(); }
  QRectF paintedRect() const { return targetRect(size(), image_.size(), fillMode_); }
  bool opaque() const { return !image_.isNull() && !image_.hasAlphaChannel() && radius_ <= 0; }
  QSize textureSize() const;

  // Outside the rounded corners is outside the item, also for input handlers that use it as
  // their containmentMask.
  bool contains(const QPointF& point) const override;

  // Where the image is drawn and which part of it, in item and image coordinates.
  static QRectF targetRect(const QSizeF& itemSize, const QSizeF& imageSize, FillMode mode);
  static QRectF sourceRect(const QSizeF& itemSize, const QSizeF& imageSize, FillMode mode);

 signals:
  void urlChanged();
  void fillModeChanged();
  void radiusChanged();
  void placeholderChanged();
  void statusChanged();
  void paintedRectChanged();
  void loaded();
  void failed();

 protected:
  void componentComplete() override;
  void itemChange(ItemChange change, const ItemChangeData& value) override;
  void geometryChange(const QRectF& newGeometry, const QRectF& oldGeometry) override;
  QSGNode* updatePaintNode(QSGNode* oldNode, UpdatePaintNodeData* data) override;

 private:
  void load();
  // Leaves the downloads of the image on show to whoever else still waits for them.
  void withdraw();
  // Decodes the shown image again for the item's larger size, if that shows more of it.
  void sharpen();
  // The url as the image pipeline takes it; absent when empty or unusable.
  std::optional<Url> pipelineUrl() const;
  // The size, in pixels, the image is decoded for.
  PixelSize shownSize() const;
  void finishLoad(std::uint64_t generation, const QImage& image, bool succeeded);
  void show(const QImage& image, Status status);
  void updatePlaceholder();
  void layoutPlaceholder();
  qreal devicePixelRatio() const;
  QSize screenPixels() const;
  // The size in pixels the rounded picture of paintedRect is composed at.
  QSize roundedPixels(qreal devicePixelRatio) const;
  // The shown part of the image cut to the rounded item, covering paintedRect.
  QImage roundedImage(qreal devicePixelRatio) const;

  QUrl url_;
  FillMode fillMode_ = PreserveAspectFit;
  qreal radius_ = 0;
  QPointer<QQmlComponent> placeholder_;
  QPointer<QQuickItem> placeholderItem_;
  Status status_ = Null;
  QImage image_;
  // What the image on show was asked for; a resize settles before a larger one is asked for.
  PixelSize requestedSize_;
  QTimer sharpenAfterResize_;
  // Set on the GUI thread, read while the scene graph synchronises (the GUI thread waits then).
  bool textureOutdated_ = false;
  // Bumped by every load and by leaving the window; a result carrying an older number is stale.
  std::uint64_t generation_ = 0;
  // Withdraws this item from the pipeline's downloads of what it no longer shows, with the
  // generation; a download nobody else waits for stops.
  std::stop_source wanted_;
};

}  // namespace orvane::quick
