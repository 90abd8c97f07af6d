#pragma once

#include <QtQml/qqmlregistration.h>

#include <QAbstractListModel>
#include <QString>
#include <QUrl>
#include <vector>

#include <orvane/model/story.h>
#include <orvane/quick/stories/story_theme_value.h>

namespace orvane::quick {

// One bubble of the story bar, as QML reads it: `group.title`, `group.theme.primaryColor`.
class StoryBubble {
  Q_GADGET
  QML_VALUE_TYPE(storyBubble)
  Q_PROPERTY(QString id MEMBER id CONSTANT)
  Q_PROPERTY(QString title MEMBER title CONSTANT)
  // Empty without a cover.
  Q_PROPERTY(QUrl coverUrl MEMBER coverUrl CONSTANT)
  Q_PROPERTY(int pageCount MEMBER pageCount CONSTANT)
  Q_PROPERTY(orvane::quick::StoryThemeValue theme MEMBER theme CONSTANT)

 public:
  StoryBubble() = default;
  explicit StoryBubble(const StoryGroup& group);

  QString id;
  QString title;
  QUrl coverUrl;
  int pageCount = 0;
  StoryThemeValue theme;
};

// The bar's groups in service order, one row per bubble with the role `group` (a storyBubble).
class StoryBubbleList : public QAbstractListModel {
  Q_OBJECT
  QML_ELEMENT
  QML_UNCREATABLE("The story bar's groups come from its model.")
  Q_PROPERTY(int count READ count NOTIFY countChanged)

 public:
  enum Role { GroupRole = Qt::UserRole + 1 };

  using QAbstractListModel::QAbstractListModel;

  int count() const { return static_cast<int>(bubbles_.size()); }
  // Replaces every row.
  void reset(const std::vector<StoryGroup>& groups);

  int rowCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QHash<int, QByteArray> roleNames() const override;

 signals:
  void countChanged();

 private:
  std::vector<StoryBubble> bubbles_;
};

}  // namespace orvane::quick
