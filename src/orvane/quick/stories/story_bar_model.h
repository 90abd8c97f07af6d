#pragma once

#include <QtQml/qqmlregistration.h>

#include <QObject>
#include <QQmlParserStatus>
#include <QString>
#include <QStringList>
#include <QVariantList>
#include <memory>
#include <vector>

#include <orvane/model/story.h>
#include <orvane/quick/stories/observable_relay.h>
#include <orvane/quick/stories/story_group_list.h>

namespace orvane {
class StoryBarViewModel;
}

namespace orvane::quick {

// The story bar's state for QML: one StoryBarViewModel on the shared SDK, created (and its load
// started) once the placement key is known, anew when the key changes.
//
//   StoryBarModel { id: bar; placementKey: "home" }
//   Repeater { model: bar.groups; delegate: ... onClicked: bar.selectGroup(index) }
//
// Values follow the view model one event-loop turn after it changes.
class StoryBarModel : public QObject, public QQmlParserStatus {
  Q_OBJECT
  Q_INTERFACES(QQmlParserStatus)
  QML_ELEMENT
  Q_PROPERTY(QString placementKey READ placementKey WRITE setPlacementKey NOTIFY placementKeyChanged)
  // One entry per group in service order: { id, title, coverUrl (empty without a cover),
  // theme (storyTheme) }.
  Q_PROPERTY(QVariantList groups READ groups NOTIFY groupsChanged)
  // The same groups, for the viewer.
  Q_PROPERTY(orvane::quick::StoryGroupList storyGroups READ storyGroups NOTIFY groupsChanged)
  // -1 until a group is selected; keeps its value after the viewer is dismissed.
  Q_PROPERTY(int selectedGroupIndex READ selectedGroupIndex NOTIFY selectedGroupIndexChanged)
  // Set to false when the presentation goes away.
  Q_PROPERTY(
      bool isViewerPresented READ isViewerPresented WRITE setViewerPresented NOTIFY isViewerPresentedChanged)
  Q_PROPERTY(bool isLoading READ isLoading NOTIFY isLoadingChanged)
  Q_PROPERTY(bool hasLoaded READ hasLoaded NOTIFY hasLoadedChanged)
  // Like Image.status: Null without a placement key, then Loading, and Ready or Error.
  Q_PROPERTY(Status status READ status NOTIFY statusChanged)
  // Why the last load failed (e.g. a wrong SDK key, no service); empty otherwise.
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
  QVariantList groups() const { return groupEntries_; }
  StoryGroupList storyGroups() const { return storyGroups_; }
  int selectedGroupIndex() const { return selectedGroupIndex_; }
  bool isViewerPresented() const { return isViewerPresented_; }
  void setViewerPresented(bool presented);
  bool isLoading() const { return isLoading_; }
  bool hasLoaded() const { return hasLoaded_; }
  Status status() const { return status_; }
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
  void isLoadingChanged();
  void hasLoadedChanged();
  void statusChanged();
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
  QVariantList groupEntries_;
  int selectedGroupIndex_ = -1;
  bool isViewerPresented_ = false;
  bool isLoading_ = false;
  bool hasLoaded_ = false;
  Status status_ = Null;
  QString errorString_;
  QStringList seenGroupIds_;
};

}  // namespace orvane::quick
