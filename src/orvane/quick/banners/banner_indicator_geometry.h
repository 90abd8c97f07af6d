#pragma once

#include <QtQml/qqmlregistration.h>

#include <QList>
#include <QObject>

namespace orvane::quick {

// The sizes of the banner position indicators, for the QML views that draw them.
class BannerIndicatorGeometry : public QObject {
  Q_OBJECT
  QML_ELEMENT
  QML_SINGLETON
  Q_PROPERTY(qreal dotHeight READ dotHeight CONSTANT)

 public:
  using QObject::QObject;

  qreal dotHeight() const;
  // The width of each of `count` carousel dots; a negative activeIndex makes none active.
  Q_INVOKABLE QList<qreal> dotWidths(int count, int activeIndex) const;
  // The fill (0...1) of each of `count` story bars; a negative activeIndex leaves all empty.
  Q_INVOKABLE QList<qreal> barFills(int count, int activeIndex, qreal activeProgress) const;
};

}  // namespace orvane::quick
