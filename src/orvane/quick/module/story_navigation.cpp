#include <orvane/quick/module/story_navigation.h>

#include <QGuiApplication>
#include <QQmlComponent>
#include <QQmlContext>
#include <QQmlEngine>
#include <QQuickItem>

#include <orvane/core/story_sdk.h>
#include <orvane/quick/stories/story_group_list.h>
#include <orvane/quick/stories/story_qml_values.h>
#include <orvane/stories/story_navigator.h>

namespace orvane::quick {
namespace {

const QUrl kPresentation(QStringLiteral("qrc:/qt-project.org/imports/OrvaneStories/qml/internal/StoryViewerPresentation.qml"));

std::optional<std::string> optionalText(const QString& text) {
  if (text.isEmpty()) return std::nullopt;
  return text.toStdString();
}

}  // namespace

StoryNavigation::StoryNavigation(QObject* parent) : QObject(parent) {
  auto& sdk = StorySDK::shared();
  sdk.navigator().setPresenter([self = QPointer(this)](const StoryPresentation& presentation) {
    return self && self->present(presentation);
  });
  // The host's C++ listener, set before, keeps hearing first.
  sdk.setStoryViewerListener([previous = sdk.navigator().listener(), self = QPointer(this)](const StoryViewerEvent& event) {
    if (previous) previous(event);
    if (self) self->hear(event);
  });
}

StoryNavigation::~StoryNavigation() { StorySDK::shared().navigator().setPresenter({}); }

QString StoryNavigation::linkScheme() const { return toQString(StorySDK::shared().storyLinkScheme()); }

void StoryNavigation::setLinkScheme(const QString& scheme) {
  if (scheme == linkScheme()) return;
  StorySDK::shared().setStoryLinkScheme(scheme.toStdString());
  emit linkSchemeChanged();
}

void StoryNavigation::setShareEnabled(bool enabled) {
  if (enabled == shareEnabled_) return;
  shareEnabled_ = enabled;
  StoryShareHandler handler;
  if (enabled) {
    handler = [self = QPointer(this)](const StoryShare& share) {
      if (self) emit self->shareRequested(toQString(share.link), toQString(share.title));
    };
  }
  StorySDK::shared().setStoryShareHandler(std::move(handler));
  emit shareEnabledChanged();
}

void StoryNavigation::setWindow(QQuickWindow* window) {
  if (window == window_) return;
  window_ = window;
  emit windowChanged();
}

void StoryNavigation::open(const QString& placementKey, const QString& groupId, const QString& pageId) {
  StorySDK::shared().openStory(
      StoryLink{placementKey.toStdString(), groupId.toStdString(), optionalText(pageId)},
      [self = QPointer(this)](const std::optional<StoryOpenRefusal>& refusal) {
        if (self && refusal) emit self->refused(static_cast<OpenError>(refusal->error), toQString(refusal->reason));
      });
}

void StoryNavigation::openLink(const QString& link) {
  StorySDK::shared().openStoryLink(link.toStdString(), [self = QPointer(this)](const std::optional<StoryOpenRefusal>& refusal) {
    if (self && refusal) emit self->refused(static_cast<OpenError>(refusal->error), toQString(refusal->reason));
  });
}

void StoryNavigation::pause() { StorySDK::shared().pauseStory(); }
void StoryNavigation::resume() { StorySDK::shared().resumeStory(); }
void StoryNavigation::next() { StorySDK::shared().nextStoryPage(); }
void StoryNavigation::previous() { StorySDK::shared().previousStoryPage(); }
void StoryNavigation::close() { StorySDK::shared().closeStory(); }

QQuickWindow* StoryNavigation::targetWindow() const {
  if (window_) return window_;
  if (auto* focused = qobject_cast<QQuickWindow*>(QGuiApplication::focusWindow())) return focused;
  for (auto* window : QGuiApplication::topLevelWindows()) {
    if (auto* quickWindow = qobject_cast<QQuickWindow*>(window); quickWindow && quickWindow->isVisible())
      return quickWindow;
  }
  return nullptr;
}

bool StoryNavigation::present(const StoryPresentation& presentation) {
  QQuickWindow* window = targetWindow();
  QQmlEngine* engine = qmlEngine(this);
  if (window == nullptr || engine == nullptr) return false;
  QQmlComponent component(engine, kPresentation);
  auto* item = qobject_cast<QQuickItem*>(component.beginCreate(engine->rootContext()));
  if (item == nullptr) {
    StorySDK::shared().platform().console->writeLine("[Orvane] Cannot present a story: " +
                                                     component.errorString().toStdString());
    return false;
  }
  component.setInitialProperties(
      item, {{QStringLiteral("groups"), QVariant::fromValue(StoryGroupList(presentation.groups))},
             {QStringLiteral("startIndex"), presentation.groupIndex},
             {QStringLiteral("startPageIndex"), presentation.itemIndex},
             {QStringLiteral("placementKey"), toQString(presentation.placementKey)}});
  // The window owns it until it closes.
  item->setParent(window->contentItem());
  item->setParentItem(window->contentItem());
  connect(item, SIGNAL(finished()), item, SLOT(deleteLater()));
  component.completeCreate();
  return true;
}

void StoryNavigation::hear(const StoryViewerEvent& event) {
  const QString placement = toQString(event.placementKey);
  const QString group = toQString(event.groupId);
  const QString page = toQString(event.pageId);
  switch (event.kind) {
    case StoryViewerEvent::Kind::opened:
      emit opened(placement, group, page);
      break;
    case StoryViewerEvent::Kind::pageChanged:
      emit pageChanged(placement, group, page);
      break;
    case StoryViewerEvent::Kind::closed:
      emit closed(placement, group, page);
      break;
  }
  if (assignIfChanged(isOpen_, StorySDK::shared().isStoryViewerOpen())) emit isOpenChanged();
}

}  // namespace orvane::quick
