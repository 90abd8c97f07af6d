#pragma once

#include <orvane/export.h>

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace orvane {

// Why a story could not be opened by its ids or link.
enum class StoryOpenError {
  // No toolkit binding presents viewers, or it has no window to present them in.
  noPresenter,
  invalidLink,
  // The placement's stories could not be fetched.
  loadFailed,
  unknownGroup,
  unknownPage,
  // A later open was asked for before this one's stories arrived.
  superseded,
};

// Why a story was not opened.
struct ORVANE_EXPORT StoryOpenRefusal {
  // The kind of failure, for the host's code.
  StoryOpenError error;
  // For people: what was asked and why it failed.
  std::string reason;
};

// Absent on success, once the viewer was handed to the presenter.
using StoryOpenCompletion = std::function<void(const std::optional<StoryOpenRefusal>&)>;

// What a presented story viewer does, whoever opened it (a bubble, an id, a link).
struct ORVANE_EXPORT StoryViewerEvent {
  // What happened.
  enum class Kind { opened, pageChanged, closed };
  // What happened, and where: the placement and group on screen.
  //@{
  Kind kind;
  std::string placementKey;
  std::string groupId;
  //@}
  // The page on screen; empty for a group without pages.
  std::string pageId;
};
// Hears every StoryViewerEvent, on the main thread.
using StoryViewerListener = std::function<void(const StoryViewerEvent&)>;

// A page the user shares: its story link under the host's scheme, and its title (the group's
// when the page has none).
struct ORVANE_EXPORT StoryShare {
  // The page's story link, and the title to share it under.
  //@{
  std::string link;
  std::string title;
  //@}
};
// Shares a page as the host does (a share sheet, the clipboard); called on the main thread.
using StoryShareHandler = std::function<void(const StoryShare&)>;

}  // namespace orvane
