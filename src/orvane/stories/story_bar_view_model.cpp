#include <orvane/stories/story_bar_view_model.h>

#include <utility>

#include <orvane/core/main_thread.h>
#include <orvane/stories/story_bar_order.h>

namespace orvane {

std::shared_ptr<StoryBarViewModel> StoryBarViewModel::create(std::string placementKey, StoryServices services,
                                                             StoryImagePipeline& pipeline) {
  std::shared_ptr<StoryBarViewModel> model(
      new StoryBarViewModel(std::move(placementKey), services, pipeline));
  model->hasLoaded_.set(true);
  model->load();
  return model;
}

StoryBarViewModel::StoryBarViewModel(std::string placementKey, StoryServices services,
                                     StoryImagePipeline& pipeline)
    : session_(services.session),
      events_(services.events),
      pipeline_(pipeline),
      placementKey_(std::move(placementKey)),
      api_(services.session.platform().http, services.session) {}

void StoryBarViewModel::setViewerPresented(bool presented) {
  ORVANE_ASSERT_MAIN_THREAD();
  isViewerPresented_.set(presented);
}

void StoryBarViewModel::load() {
  ORVANE_ASSERT_MAIN_THREAD();
  isLoading_.set(true);
  errorMessage_.set(std::nullopt);
  loadError_.set(std::nullopt);
  std::weak_ptr<StoryBarViewModel> weakSelf = weak_from_this();
  const auto load = ++lastLoad_;
  api_.fetchStories(placementKey_, [weakSelf, load](const Result<std::vector<StoryGroup>>& result) {
    // A later load overtook this one: its answer is older than what that one brings.
    if (auto self = weakSelf.lock(); self && load == self->lastLoad_) self->finishLoad(result);
  });
}

void StoryBarViewModel::finishLoad(const Result<std::vector<StoryGroup>>& result) {
  isLoading_.set(false);
  if (result.ok()) {
    const auto& configuration = session_.configuration();
    groups_.set(barOrdered(result.value(), configuration ? configuration->barOrder() : StoryBarOrder::asServed,
                           session_.seenStoryGroups()));
    errorMessage_.set(std::nullopt);
    return;
  }
  groups_.set({});
  errorMessage_.set(std::nullopt);
  loadError_.set(result.error());
  session_.platform().console->writeLine("[Orvane] Failed to load stories for placement '" + placementKey_ +
                                         "': " + errorDescription(*loadError()));
}

void StoryBarViewModel::selectGroup(int index) {
  ORVANE_ASSERT_MAIN_THREAD();
  if (index < 0 || static_cast<std::size_t>(index) >= groups().size()) return;
  selectedGroupIndex_.set(index);
  isViewerPresented_.set(true);
}

void StoryBarViewModel::groupDidAppear(const StoryGroup& group) {
  ORVANE_ASSERT_MAIN_THREAD();
  // Bubbles scroll in and out many times; the impression counts once per model.
  if (!impressedGroupIDs_.insert(group.id()).second) return;
  events_.report(StorySDKEvent::storyGroupImpression(group.id()), placementKey_);
  prefetch(group);
}

void StoryBarViewModel::prefetch(const StoryGroup& group) {
  if (prefetchedGroupIDs_.size() >= maxPrefetchedGroups) return;
  if (!prefetchedGroupIDs_.insert(group.id()).second) return;
  // The first page's media whatever its kind; the pipeline skips what is absent.
  std::vector<std::optional<Url>> urls{
      group.coverImageURL(), group.items().empty() ? std::nullopt : group.items().front().mediaURL()};
  std::weak_ptr<StoryBarViewModel> weakSelf = weak_from_this();
  session_.platform().mainQueue->post([weakSelf, urls = std::move(urls)] {
    if (auto self = weakSelf.lock()) self->pipeline_.prefetch(urls);
  });
}

}  // namespace orvane
