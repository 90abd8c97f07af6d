#include <orvane/quick/stories/story_bubble_list.h>

#include <orvane/quick/stories/story_qml_values.h>

namespace orvane::quick {

StoryBubble::StoryBubble(const StoryGroup& group)
    : id(toQString(group.id())),
      title(toQString(group.title())),
      coverUrl(toQUrl(group.coverImageURL())),
      pageCount(static_cast<int>(group.items().size())),
      theme(group.theme()) {}

void StoryBubbleList::reset(const std::vector<StoryGroup>& groups) {
  const int before = count();
  beginResetModel();
  bubbles_.clear();
  for (const auto& group : groups) bubbles_.emplace_back(group);
  endResetModel();
  if (count() != before) emit countChanged();
}

int StoryBubbleList::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : count(); }

QVariant StoryBubbleList::data(const QModelIndex& index, int role) const {
  if (role != GroupRole || !checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
    return {};
  return QVariant::fromValue(bubbles_[static_cast<std::size_t>(index.row())]);
}

QHash<int, QByteArray> StoryBubbleList::roleNames() const { return {{GroupRole, "group"}}; }

}  // namespace orvane::quick
