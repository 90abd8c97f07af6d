#pragma once

#include <QtQml/qqmlregistration.h>

#include <QObject>
#include <QPointF>
#include <QVector2D>

namespace orvane::quick {

// Follows one press and tells, on release, whether it was a drag and where it went: the
// translation from the touch-down point and the translation a flick would have reached. A press
// that never moved `minimumDistance` away is no drag (it may still be a tap).
//
//   PointHandler {
//       onActiveChanged: active ? drag.press(point.pressPosition) : drag.release()
//       onPointChanged: if (active) drag.move(point.position, point.velocity)
//   }
//   StoryDragTracker { id: drag; onEnded: (translation, predicted) => ... }
class StoryDragTracker : public QObject {
  Q_OBJECT
  QML_ELEMENT
  Q_PROPERTY(
      double minimumDistance READ minimumDistance WRITE setMinimumDistance NOTIFY minimumDistanceChanged)

 public:
  // How long a flick carries on at its release velocity, as UIKit projects a decelerating scroll
  // (a rate of 0.998 per millisecond).
  static constexpr double projectionSeconds = 0.998 / (1 - 0.998) / 1000;

  explicit StoryDragTracker(QObject* parent = nullptr) : QObject(parent) {}

  double minimumDistance() const { return minimumDistance_; }
  void setMinimumDistance(double distance);

  Q_INVOKABLE void press(QPointF position);
  // `velocity` in points per second.
  Q_INVOKABLE void move(QPointF position, QVector2D velocity);
  Q_INVOKABLE void release();

 signals:
  void minimumDistanceChanged();
  void ended(QPointF translation, QPointF predictedTranslation);

 private:
  double minimumDistance_ = 20;
  bool pressed_ = false;
  bool dragging_ = false;
  QPointF start_;
  QPointF last_;
  QVector2D velocity_;
};

}  // namespace orvane::quick
