#pragma once

#include <orvane/export.h>

#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace orvane {

// A story a host can route to: `<scheme>://stories/<placement>/<group>[/<page>]`, the scheme
// being the host's own. Ids are ASCII letters, digits and "-._~", at most maxIdLength each.
//
//   auto parsed = parseStoryLink("myapp://stories/home/welcome/page-2", "myapp");
//   if (auto* link = std::get_if<StoryLink>(&parsed)) StorySDK::shared().openStory(*link);
struct ORVANE_EXPORT StoryLink {
  // The longest id a link may carry.
  static constexpr std::size_t maxIdLength = 128;

  // The placement, the group in it, and optionally the page to start at.
  //@{
  std::string placementKey;
  std::string groupId;
  std::optional<std::string> pageId;
  //@}

  // Field by field.
  bool operator==(const StoryLink&) const = default;
};

// Why a text is no story link.
enum class StoryLinkError {
  // Not a URI at all, or one with a NUL or a non-ASCII byte in it.
  malformed,
  // The host's scheme is not a valid scheme, or the link has another one.
  wrongScheme,
  // Anything but the bare host "stories": another host, a user, a port.
  wrongHost,
  // Fewer than two or more than three path segments, or an empty one (a doubled or trailing "/").
  wrongShape,
  queryOrFragment,
  // An id with a percent escape or a character outside "A-Za-z0-9-._~".
  forbiddenCharacter,
  idTooLong,
};

// The error in words, for a log.
ORVANE_EXPORT std::string_view describe(StoryLinkError error);

// The link `text` names, given the host's scheme (compared without regard to letter case).
ORVANE_EXPORT std::variant<StoryLink, StoryLinkError> parseStoryLink(std::string_view text,
                                                                     std::string_view scheme);
// The text of `link` under `scheme`; absent when either could not be parsed back to the same link.
ORVANE_EXPORT std::optional<std::string> storyLinkText(const StoryLink& link, std::string_view scheme);

}  // namespace orvane
