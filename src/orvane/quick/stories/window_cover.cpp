#include <orvane/quick/stories/window_cover.h>

namespace orvane::quick {

bool WindowCover::track(QSet<QObject*>& set, QObject* cover, bool member) {
  if (cover == nullptr || set.contains(cover) == member) return false;
  const auto known = [this, cover] { return covers_.contains(cover) || hiders_.contains(cover); };
  const bool knownBefore = known();
  const bool wasEmpty = set.isEmpty();
  if (member) {
    set.insert(cover);
  } else {
    set.remove(cover);
  }
  // A cover that is destroyed stops covering and hiding.
  if (!knownBefore && known()) {
    connect(cover, &QObject::destroyed, this, [this, cover] {
      setHiding(cover, false);
      setCovering(cover, false);
    });
  } else if (knownBefore && !known()) {
    disconnect(cover, &QObject::destroyed, this, nullptr);
  }
  return set.isEmpty() != wasEmpty;
}

void WindowCover::setCovering(QObject* cover, bool covering) {
  if (track(covers_, cover, covering)) emit coveredChanged();
}

void WindowCover::setHiding(QObject* cover, bool hiding) {
  if (track(hiders_, cover, hiding)) emit hiddenChanged();
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

void WindowCovers::setHiding(QObject* cover, QQuickWindow* window, bool hiding) const {
  if (auto* state = of(window)) state->setHiding(cover, hiding);
}

}  // namespace orvane::quick
