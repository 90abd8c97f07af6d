#pragma once

#include <QtQml/qqmlregistration.h>

#include <QObject>

namespace orvane::quick {

// The edges of the window that system bars, a notch or rounded corners cover, in points. The
// views keep their controls and texts inside; their media may still run underneath. Hosts set
// what the platform reports; the default is no insets, as on a desktop window.
//
//   StoryViewerView { safeAreaInsets { top: 47; bottom: 34 } }
class SafeAreaInsets {
  Q_GADGET
  QML_VALUE_TYPE(safeAreaInsets)
  Q_PROPERTY(double top MEMBER top)
  Q_PROPERTY(double bottom MEMBER bottom)
  Q_PROPERTY(double left MEMBER left)
  Q_PROPERTY(double right MEMBER right)

 public:
  double top = 0;
  double bottom = 0;
  double left = 0;
  double right = 0;

  friend bool operator==(const SafeAreaInsets& a, const SafeAreaInsets& b) {
    return a.top == b.top && a.bottom == b.bottom && a.left == b.left && a.right == b.right;
  }
  friend bool operator!=(const SafeAreaInsets& a, const SafeAreaInsets& b) { return !(a == b); }
};

}  // namespace orvane::quick
