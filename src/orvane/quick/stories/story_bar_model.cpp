#include <orvane/quick/stories/story_bar_model.h>

#include <orvane/api/story_services.h>
#include <orvane/core/seen_story_groups.h>
#include <orvane/core/story_sdk.h>
#include <orvane/quick/stories/story_qml_values.h>
#include <orvane/stories/story_bar_view_model.h>

namespace orvane::quick {

StoryBarModel::StoryBarModel(QObject* parent) : QObject(parent) {}

StoryBarModel::~StoryBarModel() = default;

void StoryBarModel::setPlacementKey(const QString& key) {
  if (key == placementKey_) return;
  placementKey_ = key;
  emit placementKeyChanged();
  if (complete_ && !placementKey_.isEmpty()) createViewModel();
}

void StoryBarModel::componentComplete() {
  complete_ = true;
  if (!placementKey_.isEmpty()) createViewModel();
}

void StoryBarModel::createViewModel() {
  viewModel_ = StoryBarViewModel::create(placementKey_.toStdString(), StorySDK::shared().services());
  relay_.follow(*viewModel_);
  seenRelay_.follow(StorySDK::shared().seenStoryGroups());
  refresh();
  refreshSeen();
}

void StoryBarModel::refreshSeen() {
  QStringList ids;
  for (const auto& id : StorySDK::shared().seenStoryGroups().groupIds()) ids.append(toQString(id));
  if (assignIfChanged(seenGroupIds_, ids)) emit seenGroupIdsChanged();
}

void StoryBarModel::refresh() {
  if (!viewModel_) return;
  const StoryBarViewModel& model = *viewModel_;
  if (model.groups() != storyGroups_.groups()) {
    storyGroups_ = StoryGroupList(model.groups());
    bubbles_.reset(model.groups());
    emit groupsChanged();
  }
  if (assignIfChanged(selectedGroupIndex_, model.selectedGroupIndex().value_or(-1)))
    emit selectedGroupIndexChanged();
  if (assignIfChanged(isViewerPresented_, model.isViewerPresented())) emit isViewerPresentedChanged();
  const Status status = model.isLoading() ? Loading : model.loadError() ? Error : Ready;
  const bool statusMoved = assignIfChanged(status_, status);
  const bool errorMoved = assignIfChanged(error_, LoadError::code(model.loadError()));
  if (assignIfChanged(errorString_, LoadError::description(model.loadError())) || statusMoved || errorMoved)
    emit statusChanged();
  if (status_ == Error && (statusMoved || errorMoved)) emit errorOccurred(error_, errorString_);
}

void StoryBarModel::reload() {
  if (viewModel_) viewModel_->load();
}

void StoryBarModel::setViewerPresented(bool presented) {
  if (viewModel_) viewModel_->setViewerPresented(presented);
}

void StoryBarModel::selectGroup(int index) {
  if (viewModel_) viewModel_->selectGroup(index);
}

void StoryBarModel::groupDidAppear(int index) {
  if (!viewModel_ || index < 0 || static_cast<std::size_t>(index) >= viewModel_->groups().size()) return;
  viewModel_->groupDidAppear(viewModel_->groups()[static_cast<std::size_t>(index)]);
}

}  // namespace orvane::quick
