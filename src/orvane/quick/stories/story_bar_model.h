#pragma once

#include <QtQml/qqmlregistration.h>

#include <QObject>
#include <QQmlParserStatus>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

#include <orvane/model/story.h>
#include <orvane/quick/status/load_error.h>
#include <orvane/quick/stories/observable_relay.h>
#include <orvane/quick/stories/story_bubble_list.h>
#include <orvane/quick/stories/story_group_list.h>

namespace orvane {
class StoryBarViewModel;
}

namespace orvane::quick {

// The story bar's state for QML: one StoryBarViewModel on the shared SDK, created (and its load
// started) once the placement key is known, anew when the key changes.
//
//   StoryBarModel { id: bar; placementKey: "home" }
//   ListView { model: bar.groups; delegate: ... required property storyBubble group ... }
//
// Values follow the view model one event-loop turn after it changes.
class StoryBarModel : public QObject, public QQmlParserStatus {
  Q_OBJECT
  Q_INTERFACES(QQmlParserStatus)
  QML_ELEMENT
  Q_PROPERTY(QString placementKey READ placementKey WRITE setPlacementKey NOTIFY placementKeyChanged)
  // One row per group in service order, with the role `group` (a storyBubble).
  Q_PROPERTY(orvane::quick::StoryBubbleList* groups READ groups CONSTANT)
  // The same groups, for the viewer.
  Q_PROPERTY(orvane::quick::StoryGroupList storyGroups READ storyGroups NOTIFY groupsChanged)
  // -1 until a group is selected; keeps its value after the viewer is dismissed.
  Q_PROPERTY(int selectedGroupIndex READ selectedGroupIndex NOTIFY selectedGroupIndexChanged)
  // Set to false when the presentation goes away.
  Q_PROPERTY(
      bool isViewerPresented READ isViewerPresented WRITE setViewerPresented NOTIFY isViewerPresentedChanged)
  // Like Image.status: Null without a placement key, then Loading, and Ready or Error.
  Q_PROPERTY(Status status READ status NOTIFY statusChanged)
  // Why the last load failed (e.g. a wrong SDK key, no service); NoError and empty otherwise.
  Q_PROPERTY(orvane::quick::LoadError::Code error READ error NOTIFY statusChanged)
  Q_PROPERTY(QString errorString READ errorString NOTIFY statusChanged)
  // Groups whose last page the user reached on this device, in any placement.
  Q_PROPERTY(QStringList seenGroupIds READ seenGroupIds NOTIFY seenGroupIdsChanged)

 public:
  enum Status { Null, Loading, Ready, Error };
  Q_ENUM(Status)

  explicit StoryBarModel(QObject* parent = nullptr);
  ~StoryBarModel() override;

  QString placementKey() const { return placementKey_; }
  void setPlacementKey(const QString& key);
  StoryBubbleList* groups() { return &bubbles_; }
  StoryGroupList storyGroups() const { return storyGroups_; }
  int selectedGroupIndex() const { return selectedGroupIndex_; }
  bool isViewerPresented() const { return isViewerPresented_; }
  void setViewerPresented(bool presented);
  Status status() const { return status_; }
  LoadError::Code error() const { return error_; }
  QString errorString() const { return errorString_; }
  QStringList seenGroupIds() const { return seenGroupIds_; }

  // A bubble tap: presents the viewer at that group; other indices are ignored.
  Q_INVOKABLE void selectGroup(int index);
  // Each time the bubble at `index` comes into view.
  Q_INVOKABLE void groupDidAppear(int index);
  // Fetches the placement's groups again, e.g. after an error.
  Q_INVOKABLE void reload();

  void classBegin() override { complete_ = false; }
  void componentComplete() override;

 signals:
  void placementKeyChanged();
  void groupsChanged();
  void selectedGroupIndexChanged();
  void isViewerPresentedChanged();
  void statusChanged();
  // Each failed load, once its status is Error.
  void errorOccurred(orvane::quick::LoadError::Code error, const QString& errorString);
  void seenGroupIdsChanged();

 private:
  void createViewModel();
  void refresh();
  void refreshSeen();

  QString placementKey_;
  bool complete_ = true;
  std::shared_ptr<StoryBarViewModel> viewModel_;
  ObservableRelay relay_{this, [this] { refresh(); }};
  ObservableRelay seenRelay_{this, [this] { refreshSeen(); }};

  StoryGroupList storyGroups_;
  StoryBubbleList bubbles_{this};
  int selectedGroupIndex_ = -1;
  bool isViewerPresented_ = false;
  Status status_ = Null;
  LoadError::Code error_ = LoadError::NoError;
  QString errorString_;
  QStringList seenGroupIds_;
};

}  // namespace orvane::quick
