#pragma once

#include <orvane/export.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include <orvane/api/story_api.h>
#include <orvane/api/story_services.h>
#include <orvane/core/observable.h>
#include <orvane/media/story_image_pipeline.h>
#include <orvane/model/story.h>

namespace orvane {

// The state behind one story bar: the placement's groups, loaded once; which group's viewer to
// present; an impression per group the first time its bubble appears; and warm images for the
// first few groups that appear. Main thread only.
//
// Observers are told before each change of a published property (all accessors but
// placementKey) and re-read the accessors afterwards. The load's answer holds the model weakly:
// once the last owner lets go, it is dropped.
class ORVANE_EXPORT StoryBarViewModel final : public Observable, public std::enable_shared_from_this<StoryBarViewModel> {
 public:
  static constexpr std::size_t maxPrefetchedGroups = 3;

  // Builds the model and starts its one load at once, as the bar does when it is created.
  static std::shared_ptr<StoryBarViewModel> create(
      std::string placementKey, StoryServices services,
      StoryImagePipeline& pipeline = StoryImagePipeline::shared());

  // Published.
  // In service order, or unseen ones first when the configuration asks for it (ordered as they
  // arrive, so bubbles do not move while the bar is shown); empty until loaded and after a failed
  // load.
  const std::vector<StoryGroup>& groups() const { return groups_.get(); }
  // Only ever cleared here: failures are logged, not shown.
  const std::optional<std::string>& errorMessage() const { return errorMessage_.get(); }
  bool isLoading() const { return isLoading_.get(); }
  // Why the last load failed, for hosts that show it; cleared when a load starts.
  const std::optional<Error>& loadError() const { return loadError_.get(); }
  // A load was started for this model; never reset.
  bool hasLoaded() const { return hasLoaded_.get(); }
  // The group whose viewer is (to be) shown; keeps its value after the viewer is dismissed.
  std::optional<int> selectedGroupIndex() const { return selectedGroupIndex_.get(); }
  bool isViewerPresented() const { return isViewerPresented_.get(); }
  // The other half of the two-way binding: the toolkit clears it when the viewer is dismissed.
  void setViewerPresented(bool presented);

  const std::string& placementKey() const { return placementKey_; }

  // Fetches the placement's groups; create() runs it once, a host's retry again.
  void load();
  // Presents the viewer for the group at `index`; an index outside the groups is ignored.
  void selectGroup(int index);
  // Called each time a group's bubble comes into view.
  void groupDidAppear(const StoryGroup& group);

 private:
  StoryBarViewModel(std::string placementKey, StoryServices services, StoryImagePipeline& pipeline);

  void finishLoad(const Result<std::vector<StoryGroup>>& result);
  void prefetch(const StoryGroup& group);

  Published<std::vector<StoryGroup>> groups_{*this, {}};
  Published<std::optional<std::string>> errorMessage_{*this, std::nullopt};
  Published<bool> isLoading_{*this, false};
  // Numbers the loads; only the answer of the latest is taken.
  std::uint64_t lastLoad_ = 0;
  Published<std::optional<Error>> loadError_{*this, std::nullopt};
  Published<bool> hasLoaded_{*this, false};
  Published<std::optional<int>> selectedGroupIndex_{*this, std::nullopt};
  Published<bool> isViewerPresented_{*this, false};

  StorySession& session_;
  EventReporter& events_;
  StoryImagePipeline& pipeline_;
  std::string placementKey_;
  StoryAPI api_;
  std::set<std::string> impressedGroupIDs_;
  std::set<std::string> prefetchedGroupIDs_;
};

}  // namespace orvane
