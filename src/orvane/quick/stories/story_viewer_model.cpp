#include <orvane/quick/stories/story_viewer_model.h>

#include <optional>

#include <orvane/api/story_services.h>
#include <orvane/core/story_sdk.h>
#include <orvane/quick/stories/story_qml_values.h>
#include <orvane/stories/story_navigator.h>
#include <orvane/stories/story_viewer_view_model.h>

namespace orvane::quick {
namespace {

// One choice for every viewer of the process, made on the main thread.
std::optional<bool>& processMuteChoice() {
  static std::optional<bool> choice;
  return choice;
}

QVariantMap countsMap(const std::map<std::string, std::int64_t>& counts) {
  QVariantMap map;
  for (const auto& [optionId, count] : counts) map.insert(toQString(optionId), QVariant::fromValue(count));
  return map;
}

}  // namespace

StoryViewerModel::StoryViewerModel(QObject* parent)
    : QObject(parent),
      sdk_(StorySDK::shared()),
      votedOptionId_(QVariant::fromValue(nullptr)),
      strings_(toQVariantMap(widgetStrings(sdk_))) {}

StoryViewerModel::~StoryViewerModel() = default;

void StoryViewerModel::setGroups(const StoryGroupList& groups) {
  if (assignIfChanged(groups_, groups)) emit groupsChanged();
}

void StoryViewerModel::setStartIndex(int index) {
  if (assignIfChanged(startIndex_, index)) emit startIndexChanged();
}

void StoryViewerModel::setStartItemIndex(int index) {
  if (assignIfChanged(startItemIndex_, index)) emit startItemIndexChanged();
}

void StoryViewerModel::setPlacementKey(const QString& key) {
  if (assignIfChanged(placementKey_, key)) emit placementKeyChanged();
}

void StoryViewerModel::componentComplete() {
  viewModel();
  refresh();
}

StoryViewerViewModel& StoryViewerModel::viewModel() {
  if (!viewModel_) {
    viewModel_ = StoryViewerViewModel::create(groups_.groups(), startIndex_, placementKey_.toStdString(),
                                              sdk_.services());
    viewModel_->startAtPage(startItemIndex_);
    relay_.follow(*viewModel_);
  }
  return *viewModel_;
}

void StoryViewerModel::refresh() {
  const StoryViewerViewModel& model = viewModel();
  if (assignIfChanged(currentGroupIndex_, model.currentGroupIndex())) emit currentGroupIndexChanged();
  if (assignIfChanged(currentItemIndex_, model.currentItemIndex())) emit currentItemIndexChanged();
  if (assignIfChanged(progress_, model.progress())) emit progressChanged();
  if (assignIfChanged(shouldDismiss_, model.shouldDismiss())) emit shouldDismissChanged();
  if (assignIfChanged(mediaWaiting_, model.isMediaWaiting())) emit mediaWaitingChanged();
  if (assignIfChanged(isHeld_, model.isHeld())) emit isHeldChanged();
  if (assignIfChanged(votedOptionId_, toQVariant(model.votedOptionId()))) emit votedOptionIdChanged();
  if (assignIfChanged(isVotingInProgress_, model.isVotingInProgress())) emit isVotingInProgressChanged();
  if (assignIfChanged(showResults_, model.showResults())) emit showResultsChanged();
  if (assignIfChanged(updatedVoteCounts_, countsMap(model.updatedVoteCounts())))
    emit updatedVoteCountsChanged();

  const StoryGroup* group = model.currentGroup();
  bool groupChanged = assignIfChanged(hasCurrentGroup_, group != nullptr);
  groupChanged |= assignIfChanged(groupTitle_, group ? toQString(group->title()) : QString());
  groupChanged |= assignIfChanged(itemCount_, group ? static_cast<int>(group->items().size()) : 0);
  groupChanged |= assignIfChanged(theme_, StoryThemeValue(model.theme()));
  if (groupChanged) emit currentGroupChanged();

  const StoryItem* item = model.currentItem();
  const bool shareable = group && item && sdk_.navigator().shareOf(placementKey_.toStdString(), *group, *item);
  if (assignIfChanged(canShare_, shareable)) emit canShareChanged();
  if (assignIfChanged(currentItem_, item ? StoryPageValue(*item) : StoryPageValue()))
    emit currentItemChanged();
  if (assignIfChanged(strings_, toQVariantMap(widgetStrings(sdk_)))) emit stringsChanged();
}

void StoryViewerModel::start() {
  std::weak_ptr<UrlOpener> opener = sdk_.platform().urlOpener;
  viewModel().setOpenURLAction([opener](const Url& url) {
    if (auto open = opener.lock()) open->open(url);
  });
  sdk_.navigator().attach(viewModel_);
  viewModel().start();
}

void StoryViewerModel::pause() { viewModel().pause(); }

void StoryViewerModel::resume() { viewModel().resume(); }

void StoryViewerModel::setMediaWaiting(bool waiting) { viewModel().setMediaWaiting(waiting); }

void StoryViewerModel::goToNext() { viewModel().goToNext(); }

void StoryViewerModel::goToPrevious() { viewModel().goToPrevious(); }

void StoryViewerModel::goToNextGroup() { viewModel().goToNextGroup(); }

void StoryViewerModel::goToPreviousGroup() { viewModel().goToPreviousGroup(); }

QVariant StoryViewerModel::chosenMute() const {
  const auto& choice = processMuteChoice();
  return choice ? QVariant(*choice) : QVariant();
}

void StoryViewerModel::setChosenMute(const QVariant& muted) {
  if (!muted.isValid() || processMuteChoice() == muted.toBool()) return;
  processMuteChoice() = muted.toBool();
  emit chosenMuteChanged();
}

void StoryViewerModel::close() { viewModel().close(); }

void StoryViewerModel::vote(const QString& optionId) { viewModel().vote(optionId.toStdString()); }

void StoryViewerModel::handleSwipeUp() { viewModel().handleSwipeUp(); }

void StoryViewerModel::handleCtaTap() { viewModel().handleCtaTap(); }

void StoryViewerModel::share() {
  const StoryViewerViewModel& model = viewModel();
  if (model.currentGroup() && model.currentItem())
    sdk_.navigator().share(placementKey_.toStdString(), *model.currentGroup(), *model.currentItem());
}

void StoryViewerModel::openURL(const QUrl& url) {
  if (auto link = toUrl(url); link && sdk_.platform().urlOpener) sdk_.platform().urlOpener->open(*link);
}

}  // namespace orvane::quick
