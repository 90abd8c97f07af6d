#include <orvane/quick/stories/story_drag_tracker.h>

#include <QLineF>

namespace orvane::quick {

void StoryDragTracker::setMinimumDistance(double distance) {
  if (distance == minimumDistance_) return;
  minimumDistance_ = distance;
  emit minimumDistanceChanged();
}

void StoryDragTracker::press(QPointF position) {
  pressed_ = true;
  dragging_ = false;
  start_ = last_ = position;
  velocity_ = {};
}

void StoryDragTracker::move(QPointF position, QVector2D velocity) {
  if (!pressed_) return;
  last_ = position;
  velocity_ = velocity;
  if (QLineF(start_, last_).length() >= minimumDistance_) dragging_ = true;
}

void StoryDragTracker::release() {
  if (!pressed_) return;
  pressed_ = false;
  if (!dragging_) return;
  const QPointF translation = last_ - start_;
  emit ended(translation, translation + velocity_.toPointF() * projectionSeconds);
}

}  // namespace orvane::quick
