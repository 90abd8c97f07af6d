#include <orvane/stories/story_navigator.h>

#include <orvane/core/main_thread.h>
#include <orvane/stories/story_bar_order.h>
#include <orvane/stories/story_lookup.h>
#include <orvane/stories/story_viewer_view_model.h>

namespace orvane {
namespace {

std::string describe(const StoryLink& target) {
  return target.placementKey + "/" + target.groupId + (target.pageId ? "/" + *target.pageId : std::string());
}

std::string describe(StoryOpenError error) {
  switch (error) {
    case StoryOpenError::noPresenter:
      return "nothing presents story viewers (no window, or the QML singleton StoryNavigation not yet made)";
    case StoryOpenError::invalidLink:
      return "not a story link";
    case StoryOpenError::loadFailed:
      return "the placement's stories could not be loaded";
    case StoryOpenError::unknownGroup:
      return "no such group in the placement";
    case StoryOpenError::unknownPage:
      return "no such page in the group";
    case StoryOpenError::superseded:
      return "another story was opened since";
  }
  return "cannot open";
}

}  // namespace

StoryNavigator::StoryNavigator(StoryServices services)
    : session_(services.session), api_(services.session.platform().http, services.session) {}

void StoryNavigator::refuse(const StoryLink& target, StoryOpenError error, const std::string& why,
                            const StoryOpenCompletion& completion) const {
  std::string reason = "Cannot open story " + describe(target) + ": " + describe(error);
  if (!why.empty()) reason += " (" + why + ")";
  session_.platform().console->writeLine("[Orvane] " + reason);
  if (completion) completion(StoryOpenRefusal{error, std::move(reason)});
}

void StoryNavigator::open(const StoryLink& target, StoryOpenCompletion completion) {
  ORVANE_ASSERT_MAIN_THREAD();
  if (!presenter_) return refuse(target, StoryOpenError::noPresenter, {}, completion);
  const auto open = ++lastOpen_;
  std::weak_ptr<int> alive = lifetime_;
  api_.fetchStories(target.placementKey, [this, alive, open, target, completion = std::move(completion)](
                                             const Result<std::vector<StoryGroup>>& result) {
    if (alive.expired()) return;
    if (open != lastOpen_) return refuse(target, StoryOpenError::superseded, {}, completion);
    present(target, result, completion);
  });
}

void StoryNavigator::present(const StoryLink& target, const Result<std::vector<StoryGroup>>& result,
                             const StoryOpenCompletion& completion) {
  if (!result.ok()) return refuse(target, StoryOpenError::loadFailed, errorDescription(result.error()), completion);
  // The presenter may have gone while the stories were on their way.
  if (!presenter_) return refuse(target, StoryOpenError::noPresenter, {}, completion);
  const auto& configuration = session_.configuration();
  StoryPresentation presentation{
      target.placementKey,
      barOrdered(result.value(), configuration ? configuration->barOrder() : StoryBarOrder::asServed,
                 session_.seenStoryGroups()),
      0, 0};
  auto located = locateStory(presentation.groups, target.groupId, target.pageId);
  if (const auto* error = std::get_if<StoryOpenError>(&located)) return refuse(target, *error, {}, completion);
  const auto position = std::get<StoryPosition>(located);
  presentation.groupIndex = position.groupIndex;
  presentation.itemIndex = position.itemIndex;

  // One viewer at a time: the one shown ends as if the user closed it.
  if (auto shown = openViewer()) shown->close();
  auto presenter = presenter_;
  if (!presenter(presentation)) return refuse(target, StoryOpenError::noPresenter, {}, completion);
  if (completion) completion(std::nullopt);
}

void StoryNavigator::openLink(std::string_view link, StoryOpenCompletion completion) {
  ORVANE_ASSERT_MAIN_THREAD();
  auto parsed = parseStoryLink(link, linkScheme_);
  if (const auto* error = std::get_if<StoryLinkError>(&parsed)) {
    std::string reason = "Cannot open story link: " + std::string(orvane::describe(*error));
    session_.platform().console->writeLine("[Orvane] " + reason);
    if (completion) completion(StoryOpenRefusal{StoryOpenError::invalidLink, std::move(reason)});
    return;
  }
  open(std::get<StoryLink>(parsed), std::move(completion));
}

std::optional<StoryShare> StoryNavigator::shareOf(const std::string& placementKey, const StoryGroup& group,
                                                  const StoryItem& item) const {
  if (!shareHandler_ || linkScheme_.empty()) return std::nullopt;
  auto link = storyLinkText(StoryLink{placementKey, group.id(), item.id()}, linkScheme_);
  if (!link) return std::nullopt;
  return StoryShare{std::move(*link), item.title().value_or(group.title())};
}

bool StoryNavigator::share(const std::string& placementKey, const StoryGroup& group,
                           const StoryItem& item) const {
  ORVANE_ASSERT_MAIN_THREAD();
  auto shared = shareOf(placementKey, group, item);
  if (!shared) return false;
  auto handler = shareHandler_;
  handler(*shared);
  return true;
}

void StoryNavigator::attach(const std::shared_ptr<StoryViewerViewModel>& viewer) {
  ORVANE_ASSERT_MAIN_THREAD();
  viewer_ = viewer;
  std::weak_ptr<StoryViewerListener> listener = listener_;
  viewer->setListener([listener](const StoryViewerEvent& event) {
    auto current = listener.lock();
    if (current && *current) {
      auto copy = *current;
      copy(event);
    }
  });
}

std::shared_ptr<StoryViewerViewModel> StoryNavigator::openViewer() const {
  auto viewer = viewer_.lock();
  return viewer && !viewer->hasClosed() ? viewer : nullptr;
}

bool StoryNavigator::isViewerOpen() const { return openViewer() != nullptr; }

void StoryNavigator::pause() {
  if (auto viewer = openViewer()) viewer->hold(true);
}

void StoryNavigator::resume() {
  if (auto viewer = openViewer()) viewer->hold(false);
}

void StoryNavigator::next() {
  if (auto viewer = openViewer()) viewer->goToNext();
}

void StoryNavigator::previous() {
  if (auto viewer = openViewer()) viewer->goToPrevious();
}

void StoryNavigator::close() {
  if (auto viewer = openViewer()) viewer->close();
}

}  // namespace orvane
