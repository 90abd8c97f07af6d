#pragma once

#include <QtQml/qqmlregistration.h>

#include <QColor>
#include <QQuickPaintedItem>
#include <QString>

namespace orvane::quick {

// The small pictograms of the story views, drawn as vector shapes so that no icon font or image
// asset is needed: "photo", "xmark", "pause.fill", "chart.bar.fill", "checkmark",
// "checkmark.circle.fill", "xmark.circle.fill" and "chevron.up". Another name draws nothing.
//
//   StorySymbol { name: "xmark"; pointSize: 14; weight: Font.DemiBold; color: "white" }
//
// Sized like a glyph of a font of `pointSize`: a square of that side unless sized otherwise.
class StorySymbol : public QQuickPaintedItem {
  Q_OBJECT
  QML_ELEMENT
  Q_PROPERTY(QString name READ name WRITE setName NOTIFY nameChanged)
  Q_PROPERTY(QColor color READ color WRITE setColor NOTIFY colorChanged)
  Q_PROPERTY(double pointSize READ pointSize WRITE setPointSize NOTIFY pointSizeChanged)
  // A QFont weight (Font.Normal, Font.DemiBold, Font.Bold): heavier weights draw thicker lines.
  Q_PROPERTY(int weight READ weight WRITE setWeight NOTIFY weightChanged)

 public:
  explicit StorySymbol(QQuickItem* parent = nullptr);

  QString name() const { return name_; }
  void setName(const QString& name);
  QColor color() const { return color_; }
  void setColor(const QColor& color);
  double pointSize() const { return pointSize_; }
  void setPointSize(double size);
  int weight() const { return weight_; }
  void setWeight(int weight);

  void paint(QPainter* painter) override;

 signals:
  void nameChanged();
  void colorChanged();
  void pointSizeChanged();
  void weightChanged();

 private:
  QString name_;
  QColor color_ = Qt::white;
  double pointSize_ = 17;
  int weight_ = 400;
};

}  // namespace orvane::quick
