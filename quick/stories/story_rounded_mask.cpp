#include "quick/stories/story_rounded_mask.h"

#include <QSGDynamicTexture>
#include <QSGGeometryNode>
#include <QSGTextureMaterial>
#include <QSGTextureProvider>
#include <QVector>
#include <algorithm>
#include <cmath>
#include <numbers>

namespace orvane::quick {
namespace {

// The outline of a rounded rectangle, clockwise from the top-left corner's arc.
QVector<QPointF> roundedOutline(const QSizeF& size, double radius) {
  const double r = std::clamp(radius, 0.0, std::min(size.width(), size.height()) / 2);
  const int steps = r > 0 ? std::max(4, static_cast<int>(std::ceil(r / 2))) : 0;
  const QPointF centres[] = {{r, r}, {size.width() - r, r}, {size.width() - r, size.height() - r},
                             {r, size.height() - r}};
  QVector<QPointF> points;
  for (int corner = 0; corner < 4; ++corner) {
    const double startAngle = std::numbers::pi * (1 + corner * 0.5);
    for (int step = 0; step <= steps; ++step) {
      const double angle = startAngle + (steps > 0 ? step * (std::numbers::pi / 2) / steps : 0);
      points.append(centres[corner] + QPointF(std::cos(angle), std::sin(angle)) * r);
    }
  }
  return points;
}

// Draws the provider's texture over a triangle fan around the shape's centre.
class RoundedTextureNode final : public QObject, public QSGGeometryNode {
 public:
  explicit RoundedTextureNode(QSGTextureProvider* provider) : provider_(provider) {
    setFlag(QSGNode::UsePreprocess);
    setFlag(QSGNode::OwnsGeometry);
    material_.setFiltering(QSGTexture::Linear);
    setMaterial(&material_);
    connect(provider, &QSGTextureProvider::textureChanged, this, [this] { markDirty(QSGNode::DirtyMaterial); },
            Qt::DirectConnection);
  }

  QSGTextureProvider* provider() const { return provider_; }

  // A layer renders its item only when asked to, right before it is drawn.
  void preprocess() override {
    QSGTexture* texture = provider_ ? provider_->texture() : nullptr;
    if (auto* dynamic = qobject_cast<QSGDynamicTexture*>(texture)) dynamic->updateTexture();
    if (texture != material_.texture()) {
      material_.setTexture(texture);
      markDirty(QSGNode::DirtyMaterial);
    }
  }

  void setShape(const QSizeF& size, double radius, const QRectF& textureRect) {
    const QVector<QPointF> outline = roundedOutline(size, radius);
    auto* shape = new QSGGeometry(QSGGeometry::defaultAttributes_TexturedPoint2D(),
                                  static_cast<int>(outline.size()) + 1, static_cast<int>(outline.size()) * 3);
    shape->setDrawingMode(QSGGeometry::DrawTriangles);
    auto* vertices = shape->vertexDataAsTexturedPoint2D();
    auto place = [&](QSGGeometry::TexturedPoint2D& vertex, const QPointF& point) {
      vertex.set(static_cast<float>(point.x()), static_cast<float>(point.y()),
                 static_cast<float>(textureRect.x() + point.x() / size.width() * textureRect.width()),
                 static_cast<float>(textureRect.y() + point.y() / size.height() * textureRect.height()));
    };
    place(vertices[0], QPointF(size.width() / 2, size.height() / 2));
    for (int i = 0; i < outline.size(); ++i) place(vertices[i + 1], outline[i]);
    auto* indices = shape->indexDataAsUShort();
    const auto count = static_cast<quint16>(outline.size());
    for (quint16 i = 0; i < count; ++i) {
      indices[i * 3] = 0;
      indices[i * 3 + 1] = static_cast<quint16>(i + 1);
      indices[i * 3 + 2] = static_cast<quint16>((i + 1) % count + 1);
    }
    setGeometry(shape);
    markDirty(QSGNode::DirtyGeometry);
  }

 private:
  QPointer<QSGTextureProvider> provider_;
  QSGTextureMaterial material_;
};

}  // namespace

StoryRoundedMask::StoryRoundedMask(QQuickItem* parent) : QQuickItem(parent) { setFlag(ItemHasContents, true); }

void StoryRoundedMask::setSource(QObject* source) {
  auto* item = qobject_cast<QQuickItem*>(source);
  if (item == source_) return;
  source_ = item;
  emit sourceChanged();
  update();
}

void StoryRoundedMask::setRadius(double radius) {
  if (radius == radius_) return;
  radius_ = radius;
  emit radiusChanged();
  update();
}

QSGNode* StoryRoundedMask::updatePaintNode(QSGNode* oldNode, UpdatePaintNodeData*) {
  auto* node = static_cast<RoundedTextureNode*>(oldNode);
  QSGTextureProvider* provider = source_ && source_->isTextureProvider() ? source_->textureProvider() : nullptr;
  if (provider == nullptr || provider->texture() == nullptr || width() <= 0 || height() <= 0) {
    delete node;
    return nullptr;
  }
  if (node != nullptr && node->provider() != provider) {
    delete node;
    node = nullptr;
  }
  if (node == nullptr) {
    node = new RoundedTextureNode(provider);
    // Changes of the layer's content arrive on the render thread; redraw from the GUI side.
    connect(provider, &QSGTextureProvider::textureChanged, this, &QQuickItem::update,
            static_cast<Qt::ConnectionType>(Qt::QueuedConnection | Qt::UniqueConnection));
  }
  node->setShape(size(), radius_, provider->texture()->normalizedTextureSubRect());
  return node;
}

}  // namespace orvane::quick
