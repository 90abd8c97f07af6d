#pragma once

#include <QObject>
#include <QPointer>
#include <QQuickItem>
#include <QtQml/qqmlregistration.h>

namespace orvane::quick {

// Shows a layered item cut to a rounded rectangle. Qt Quick itself clips only to rectangles, so
// this is meant as a layer effect:
//
//   StoryRemoteImage {
//     layer.enabled: true
//     layer.effect: StoryRoundedMask { radius: 16 }
//   }
//
// The layer hands its texture over as `source`. Edges are not anti-aliased; the bubbles draw an
// outline over them. The software renderer cannot draw it: leave the layer off there.
class StoryRoundedMask : public QQuickItem {
  Q_OBJECT
  QML_ELEMENT
  // A texture provider: the layer's effect source, or any ShaderEffectSource.
  Q_PROPERTY(QObject* source READ source WRITE setSource NOTIFY sourceChanged)
  Q_PROPERTY(double radius READ radius WRITE setRadius NOTIFY radiusChanged)

 public:
  explicit StoryRoundedMask(QQuickItem* parent = nullptr);

  QObject* source() const { return source_; }
  void setSource(QObject* source);
  double radius() const { return radius_; }
  void setRadius(double radius);

 signals:
  void sourceChanged();
  void radiusChanged();

 protected:
  QSGNode* updatePaintNode(QSGNode* oldNode, UpdatePaintNodeData* data) override;

 private:
  QPointer<QQuickItem> source_;
  double radius_ = 0;
};

}  // namespace orvane::quick
