#pragma once

#include <QtQml/qqmlregistration.h>

#include <QObject>
#include <memory>
#include <vector>

#include <orvane/model/story.h>

namespace orvane::quick {

// Story groups handed through QML untouched, from the bar to the viewer it presents (or from a
// host's C++ to a StoryViewerView). Copies share one immutable vector.
class StoryGroupList {
  Q_GADGET
  QML_VALUE_TYPE(storyGroupList)
  Q_PROPERTY(int count READ count CONSTANT)

 public:
  StoryGroupList() : groups_(std::make_shared<const std::vector<StoryGroup>>()) {}
  explicit StoryGroupList(std::vector<StoryGroup> groups)
      : groups_(std::make_shared<const std::vector<StoryGroup>>(std::move(groups))) {}

  int count() const { return static_cast<int>(groups_->size()); }
  const std::vector<StoryGroup>& groups() const { return *groups_; }

  friend bool operator==(const StoryGroupList& a, const StoryGroupList& b) {
    return a.groups_ == b.groups_ || *a.groups_ == *b.groups_;
  }
  friend bool operator!=(const StoryGroupList& a, const StoryGroupList& b) { return !(a == b); }

 private:
  std::shared_ptr<const std::vector<StoryGroup>> groups_;
};

}  // namespace orvane::quick
