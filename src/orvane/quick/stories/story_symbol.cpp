#include <orvane/quick/stories/story_symbol.h>

#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>
#include <functional>
#include <map>

namespace orvane::quick {
namespace {

// Every symbol is drawn in a 24 x 24 box; the painter is scaled to the item.
constexpr double kBox = 24;

QPainterPath polyline(std::initializer_list<QPointF> points) {
  QPainterPath path;
  auto point = points.begin();
  path.moveTo(*point);
  for (++point; point != points.end(); ++point) path.lineTo(*point);
  return path;
}

QPainterPath checkmarkPath(double scale) {
  const QPointF centre(12, 12);
  auto at = [&](double x, double y) { return centre + QPointF(x, y) * scale; };
  return polyline({at(-7, 0.5), at(-2.5, 5.5), at(7.5, -5.5)});
}

QPainterPath xmarkPath(double scale) {
  const QPointF centre(12, 12);
  auto at = [&](double x, double y) { return centre + QPointF(x, y) * scale; };
  QPainterPath path = polyline({at(-6.5, -6.5), at(6.5, 6.5)});
  path.addPath(polyline({at(6.5, -6.5), at(-6.5, 6.5)}));
  return path;
}

void strokeShape(QPainter& painter, const QPainterPath& path, const QColor& color, double width) {
  painter.setPen(QPen(color, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  painter.setBrush(Qt::NoBrush);
  painter.drawPath(path);
}

void fillShape(QPainter& painter, const QPainterPath& path, const QColor& color) {
  painter.setPen(Qt::NoPen);
  painter.setBrush(color);
  painter.drawPath(path);
}

// A filled disc with `mark` cut out of it, so whatever lies beneath shows through the mark.
void discWithCutOut(QPainter& painter, const QPainterPath& mark, const QColor& color, double width) {
  QPainterPath disc;
  disc.addEllipse(QPointF(12, 12), 11, 11);
  fillShape(painter, disc, color);
  painter.setCompositionMode(QPainter::CompositionMode_Clear);
  strokeShape(painter, mark, Qt::transparent, width);
  painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
}

QPainterPath speakerPath() {
  QPainterPath speaker = polyline({{2, 9}, {6, 9}, {11, 4.5}, {11, 19.5}, {6, 15}, {2, 15}});
  speaker.closeSubpath();
  return speaker;
}

using Drawing = std::function<void(QPainter&, const QColor&, double lineWidth)>;

const std::map<QString, Drawing>& drawings() {
  static const std::map<QString, Drawing> table{
      {QStringLiteral("photo"),
       [](QPainter& p, const QColor& c, double w) {
         QPainterPath frame;
         frame.addRoundedRect(QRectF(2, 4, 20, 16), 3, 3);
         strokeShape(p, frame, c, w);
         QPainterPath sun;
         sun.addEllipse(QPointF(16.5, 9), 1.8, 1.8);
         fillShape(p, sun, c);
         QPainterPath hills = polyline({{3, 18.5}, {9, 11.5}, {13.5, 16}, {16, 13.5}, {21, 18.5}});
         hills.closeSubpath();
         fillShape(p, hills, c);
       }},
      {QStringLiteral("xmark"),
       [](QPainter& p, const QColor& c, double w) { strokeShape(p, xmarkPath(1), c, w); }},
      {QStringLiteral("pause.fill"),
       [](QPainter& p, const QColor& c, double) {
         QPainterPath bars;
         bars.addRoundedRect(QRectF(5, 3, 5, 18), 1.5, 1.5);
         bars.addRoundedRect(QRectF(14, 3, 5, 18), 1.5, 1.5);
         fillShape(p, bars, c);
       }},
      {QStringLiteral("chart.bar.fill"),
       [](QPainter& p, const QColor& c, double) {
         QPainterPath bars;
         bars.addRoundedRect(QRectF(3, 13, 5, 8), 1.2, 1.2);
         bars.addRoundedRect(QRectF(9.5, 8, 5, 13), 1.2, 1.2);
         bars.addRoundedRect(QRectF(16, 3, 5, 18), 1.2, 1.2);
         fillShape(p, bars, c);
       }},
      {QStringLiteral("checkmark"),
       [](QPainter& p, const QColor& c, double w) { strokeShape(p, checkmarkPath(1), c, w); }},
      {QStringLiteral("checkmark.circle.fill"),
       [](QPainter& p, const QColor& c, double w) { discWithCutOut(p, checkmarkPath(0.7), c, w); }},
      {QStringLiteral("xmark.circle.fill"),
       [](QPainter& p, const QColor& c, double w) { discWithCutOut(p, xmarkPath(0.6), c, w); }},
      {QStringLiteral("speaker.wave.2.fill"),
       [](QPainter& p, const QColor& c, double w) {
         fillShape(p, speakerPath(), c);
         QPainterPath waves;
         waves.arcMoveTo(QRectF(9, 7, 6, 10), 50);
         waves.arcTo(QRectF(9, 7, 6, 10), 50, -100);
         waves.arcMoveTo(QRectF(9, 3.5, 11, 17), 50);
         waves.arcTo(QRectF(9, 3.5, 11, 17), 50, -100);
         strokeShape(p, waves, c, w);
       }},
      {QStringLiteral("speaker.slash.fill"),
       [](QPainter& p, const QColor& c, double w) {
         fillShape(p, speakerPath(), c);
         strokeShape(p, polyline({{14, 9}, {20, 15}}), c, w);
         strokeShape(p, polyline({{20, 9}, {14, 15}}), c, w);
       }},
      // A box open at the top with an arrow leaving it.
      {QStringLiteral("square.and.arrow.up"),
       [](QPainter& p, const QColor& c, double w) {
         strokeShape(p, polyline({{8, 10}, {5, 10}, {5, 21}, {19, 21}, {19, 10}, {16, 10}}), c, w);
         strokeShape(p, polyline({{12, 15}, {12, 3}}), c, w);
         strokeShape(p, polyline({{8, 7}, {12, 3}, {16, 7}}), c, w);
       }},
      {QStringLiteral("chevron.up"),
       [](QPainter& p, const QColor& c, double w) {
         strokeShape(p, polyline({{4, 16}, {12, 8}, {20, 16}}), c, w);
       }},
  };
  return table;
}

}  // namespace

StorySymbol::StorySymbol(QQuickItem* parent) : QQuickPaintedItem(parent) {
  setAntialiasing(true);
  setImplicitSize(pointSize_, pointSize_);
}

void StorySymbol::setName(const QString& name) {
  if (name == name_) return;
  name_ = name;
  emit nameChanged();
  update();
}

void StorySymbol::setColor(const QColor& color) {
  if (color == color_) return;
  color_ = color;
  emit colorChanged();
  update();
}

void StorySymbol::setPointSize(double size) {
  if (size == pointSize_) return;
  pointSize_ = size;
  const double side = std::isfinite(size) ? std::max(size, 0.0) : 0.0;
  setImplicitSize(side, side);
  emit pointSizeChanged();
}

void StorySymbol::setWeight(int weight) {
  if (weight == weight_) return;
  weight_ = weight;
  emit weightChanged();
  update();
}

void StorySymbol::paint(QPainter* painter) {
  const auto drawing = drawings().find(name_);
  const double side = std::min(width(), height());
  if (drawing == drawings().end() || side <= 0) return;
  painter->setRenderHint(QPainter::Antialiasing);
  painter->translate((width() - side) / 2, (height() - side) / 2);
  painter->scale(side / kBox, side / kBox);
  // Regular weight draws 2-unit lines; each step of 100 adds a quarter unit.
  const double lineWidth = 2.0 + std::clamp(weight_ - 400, -300, 500) / 400.0;
  drawing->second(*painter, color_, lineWidth);
}

}  // namespace orvane::quick
