#include "window_cover.h"

namespace orvane::quick {

void WindowCover::setCovering(QObject* cover, bool covering) {
  if (cover == nullptr || covers_.contains(cover) == covering) return;
  const bool wasCovered = this->covered();
  if (covering) {
    covers_.insert(cover);
    connect(cover, &QObject::destroyed, this, [this, cover] { setCovering(cover, false); });
  } else {
    covers_.remove(cover);
    disconnect(cover, &QObject::destroyed, this, nullptr);
  }
  if (this->covered() != wasCovered) emit coveredChanged();
}

WindowCover* WindowCovers::of(QQuickWindow* window) const {
  if (window == nullptr) return nullptr;
  auto* cover = window->findChild<WindowCover*>(QString(), Qt::FindDirectChildrenOnly);
  if (cover == nullptr) cover = new WindowCover(window);
  // The window owns it; the engine must not collect it when a binding lets go.
  QQmlEngine::setObjectOwnership(cover, QQmlEngine::CppOwnership);
  return cover;
}

void WindowCovers::setCovering(QObject* cover, QQuickWindow* window, bool covering) const {
  if (auto* state = of(window)) state->setCovering(cover, covering);
}

}  // namespace orvane::quick
