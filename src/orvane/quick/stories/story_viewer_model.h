#pragma once

#include <QtQml/qqmlregistration.h>

#include <QObject>
#include <QQmlParserStatus>
#include <QString>
#include <QUrl>
#include <QVariant>
#include <QVariantMap>
#include <memory>

#include <orvane/quick/stories/observable_relay.h>
#include <orvane/quick/stories/story_group_list.h>
#include <orvane/quick/stories/story_page_value.h>
#include <orvane/quick/stories/story_theme_value.h>

namespace orvane {
class StorySDK;
class StoryViewerViewModel;
}  // namespace orvane

namespace orvane::quick {

// The story viewer's state for QML: one StoryViewerViewModel on the shared SDK, made once from
// groups, startIndex and placementKey as they stand when the component completes (later changes
// of the three are ignored, as for any presented viewer).
//
//   StoryViewerModel { id: viewer; groups: bar.storyGroups; startIndex: 2; placementKey: "home" }
//   Component.onCompleted: viewer.start()
//
// Values follow the view model one event-loop turn after it changes.
class StoryViewerModel : public QObject, public QQmlParserStatus {
  Q_OBJECT
  Q_INTERFACES(QQmlParserStatus)
  QML_ELEMENT
  Q_PROPERTY(orvane::quick::StoryGroupList groups READ groups WRITE setGroups NOTIFY groupsChanged)
  Q_PROPERTY(int startIndex READ startIndex WRITE setStartIndex NOTIFY startIndexChanged)
  // The page of the start group to begin at (clamped), as for a story opened by a page's id.
  Q_PROPERTY(int startItemIndex READ startItemIndex WRITE setStartItemIndex NOTIFY startItemIndexChanged)
  Q_PROPERTY(QString placementKey READ placementKey WRITE setPlacementKey NOTIFY placementKeyChanged)

  Q_PROPERTY(int currentGroupIndex READ currentGroupIndex NOTIFY currentGroupIndexChanged)
  Q_PROPERTY(int currentItemIndex READ currentItemIndex NOTIFY currentItemIndexChanged)
  Q_PROPERTY(double progress READ progress NOTIFY progressChanged)
  Q_PROPERTY(bool shouldDismiss READ shouldDismiss NOTIFY shouldDismissChanged)
  // Set by the view while the page's media is on its way or stalled: the progress holds.
  Q_PROPERTY(bool mediaWaiting READ mediaWaiting WRITE setMediaWaiting NOTIFY mediaWaitingChanged)
  // Paused by the host (StoryNavigation.pause) until it resumes.
  Q_PROPERTY(bool isHeld READ isHeld NOTIFY isHeldChanged)
  // The host shares pages and this one has a link: share() hands it over.
  Q_PROPERTY(bool canShare READ canShare NOTIFY canShareChanged)
  // The option id, or null.
  Q_PROPERTY(QVariant votedOptionId READ votedOptionId NOTIFY votedOptionIdChanged)
  Q_PROPERTY(bool isVotingInProgress READ isVotingInProgress NOTIFY isVotingInProgressChanged)
  Q_PROPERTY(bool showResults READ showResults NOTIFY showResultsChanged)
  // Option id -> count.
  Q_PROPERTY(QVariantMap updatedVoteCounts READ updatedVoteCounts NOTIFY updatedVoteCountsChanged)

  // Whether there is a current group; without one the title is empty, there are no pages and
  // the theme is the default one.
  Q_PROPERTY(bool hasCurrentGroup READ hasCurrentGroup NOTIFY currentGroupChanged)
  Q_PROPERTY(QString groupTitle READ groupTitle NOTIFY currentGroupChanged)
  Q_PROPERTY(int itemCount READ itemCount NOTIFY currentGroupChanged)
  Q_PROPERTY(orvane::quick::StoryThemeValue theme READ theme NOTIFY currentGroupChanged)
  // The page on screen; without one, a page whose `exists` is false.
  Q_PROPERTY(orvane::quick::StoryPageValue currentItem READ currentItem NOTIFY currentItemChanged)
  // The widget texts: the configuration's, else the default ones.
  Q_PROPERTY(QVariantMap strings READ strings NOTIFY stringsChanged)
  // Whether the user silenced the viewer's videos, remembered for the rest of the process;
  // undefined until the user chooses.
  Q_PROPERTY(QVariant chosenMute READ chosenMute WRITE setChosenMute NOTIFY chosenMuteChanged)

 public:
  explicit StoryViewerModel(QObject* parent = nullptr);
  ~StoryViewerModel() override;

  StoryGroupList groups() const { return groups_; }
  void setGroups(const StoryGroupList& groups);
  int startIndex() const { return startIndex_; }
  void setStartIndex(int index);
  int startItemIndex() const { return startItemIndex_; }
  void setStartItemIndex(int index);
  QString placementKey() const { return placementKey_; }
  void setPlacementKey(const QString& key);

  int currentGroupIndex() const { return currentGroupIndex_; }
  int currentItemIndex() const { return currentItemIndex_; }
  double progress() const { return progress_; }
  bool shouldDismiss() const { return shouldDismiss_; }
  bool mediaWaiting() const { return mediaWaiting_; }
  void setMediaWaiting(bool waiting);
  bool isHeld() const { return isHeld_; }
  bool canShare() const { return canShare_; }
  QVariant votedOptionId() const { return votedOptionId_; }
  bool isVotingInProgress() const { return isVotingInProgress_; }
  bool showResults() const { return showResults_; }
  QVariantMap updatedVoteCounts() const { return updatedVoteCounts_; }
  bool hasCurrentGroup() const { return hasCurrentGroup_; }
  QString groupTitle() const { return groupTitle_; }
  int itemCount() const { return itemCount_; }
  StoryThemeValue theme() const { return theme_; }
  StoryPageValue currentItem() const { return currentItem_; }
  QVariantMap strings() const { return strings_; }
  QVariant chosenMute() const;
  void setChosenMute(const QVariant& muted);

  // On appear: links of swipe pages open through the platform, the host may steer the viewer
  // (StoryNavigation), then playback starts.
  Q_INVOKABLE void start();
  Q_INVOKABLE void pause();
  Q_INVOKABLE void resume();
  Q_INVOKABLE void goToNext();
  Q_INVOKABLE void goToPrevious();
  Q_INVOKABLE void goToNextGroup();
  Q_INVOKABLE void goToPreviousGroup();
  Q_INVOKABLE void close();
  Q_INVOKABLE void vote(const QString& optionId);
  Q_INVOKABLE void handleSwipeUp();
  Q_INVOKABLE void handleCtaTap();
  // Hands the page's link and title to the host's share handler.
  Q_INVOKABLE void share();
  // Opens a link outside the app through the platform (which refuses unsafe ones).
  Q_INVOKABLE void openURL(const QUrl& url);

  void classBegin() override {}
  void componentComplete() override;

 signals:
  void groupsChanged();
  void startIndexChanged();
  void startItemIndexChanged();
  void isHeldChanged();
  void canShareChanged();
  void placementKeyChanged();
  void currentGroupIndexChanged();
  void currentItemIndexChanged();
  void progressChanged();
  void shouldDismissChanged();
  void mediaWaitingChanged();
  void votedOptionIdChanged();
  void isVotingInProgressChanged();
  void showResultsChanged();
  void updatedVoteCountsChanged();
  void currentGroupChanged();
  void currentItemChanged();
  void stringsChanged();
  void chosenMuteChanged();

 private:
  StoryViewerViewModel& viewModel();
  void refresh();

  StorySDK& sdk_;
  StoryGroupList groups_;
  int startIndex_ = 0;
  int startItemIndex_ = 0;
  QString placementKey_;
  std::shared_ptr<StoryViewerViewModel> viewModel_;
  ObservableRelay relay_{this, [this] { refresh(); }};

  int currentGroupIndex_ = 0;
  int currentItemIndex_ = 0;
  double progress_ = 0;
  bool shouldDismiss_ = false;
  bool mediaWaiting_ = false;
  bool isHeld_ = false;
  bool canShare_ = false;
  QVariant votedOptionId_;
  bool isVotingInProgress_ = false;
  bool showResults_ = false;
  QVariantMap updatedVoteCounts_;
  bool hasCurrentGroup_ = false;
  QString groupTitle_;
  int itemCount_ = 0;
  StoryThemeValue theme_;
  StoryPageValue currentItem_;
  QVariantMap strings_;
};

}  // namespace orvane::quick
