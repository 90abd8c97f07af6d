#include <orvane/stories/story_link.h>

#include <orvane/platform/ascii_text.h>

#include <orvane/platform/parsed_uri.h>

#include <algorithm>
#include <vector>

namespace orvane {
namespace {

constexpr std::string_view kHost = "stories";

std::string_view rangeText(const UriTextRangeA& range) {
  if (range.first == nullptr || range.afterLast == nullptr) return {};
  return {range.first, static_cast<std::size_t>(range.afterLast - range.first)};
}

bool isIdCharacter(char c) { return isAsciiAlphanumeric(c) || c == '-' || c == '.' || c == '_' || c == '~'; }

bool isPrintableAscii(std::string_view text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return c > 0x20 && c < 0x7f; });
}

bool isValidScheme(std::string_view scheme) {
  if (scheme.empty() || !isAsciiAlphanumeric(scheme.front()) || (scheme.front() >= '0' && scheme.front() <= '9'))
    return false;
  return std::all_of(scheme.begin(), scheme.end(),
                     [](char c) { return isAsciiAlphanumeric(c) || c == '+' || c == '-' || c == '.'; });
}

std::optional<StoryLinkError> checkId(std::string_view id) {
  if (id.empty()) return StoryLinkError::wrongShape;
  if (!std::all_of(id.begin(), id.end(), isIdCharacter)) return StoryLinkError::forbiddenCharacter;
  // "." and ".." are path steps that a router may resolve away, not ids.
  if (id == "." || id == "..") return StoryLinkError::forbiddenCharacter;
  if (id.size() > StoryLink::maxIdLength) return StoryLinkError::idTooLong;
  return std::nullopt;
}


}  // namespace

std::string_view describe(StoryLinkError error) {
  switch (error) {
    case StoryLinkError::malformed:
      return "not a well-formed link";
    case StoryLinkError::wrongScheme:
      return "not the app's link scheme";
    case StoryLinkError::wrongHost:
      return "not a stories link (the host must be \"stories\", without user or port)";
    case StoryLinkError::wrongShape:
      return "not of the form stories/<placement>/<group>[/<page>]";
    case StoryLinkError::queryOrFragment:
      return "a query or fragment is not allowed";
    case StoryLinkError::forbiddenCharacter:
      return "an id holds a character other than letters, digits and -._~ (escapes included)";
    case StoryLinkError::idTooLong:
      return "an id is longer than 128 characters";
  }
  return "not a story link";
}

std::variant<StoryLink, StoryLinkError> parseStoryLink(std::string_view text, std::string_view scheme) {
  if (!isValidScheme(scheme)) return StoryLinkError::wrongScheme;
  // Blanks, controls and bytes past ASCII have no place in a link; uriparser would also stop at a NUL.
  if (!isPrintableAscii(text)) return StoryLinkError::malformed;
  ParsedUri parsed(text);
  if (!parsed.ok()) return StoryLinkError::malformed;
  const UriUriA& uri = parsed.uri();

  if (!equalIgnoringAsciiCase(rangeText(uri.scheme), scheme)) return StoryLinkError::wrongScheme;
  if (uri.userInfo.first != nullptr || uri.portText.first != nullptr ||
      !equalIgnoringAsciiCase(rangeText(uri.hostText), kHost))
    return StoryLinkError::wrongHost;
  if (uri.query.first != nullptr || uri.fragment.first != nullptr) return StoryLinkError::queryOrFragment;

  std::vector<std::string_view> segments;
  for (const UriPathSegmentA* segment = uri.pathHead; segment != nullptr; segment = segment->next)
    segments.push_back(rangeText(segment->text));
  if (segments.size() < 2 || segments.size() > 3) return StoryLinkError::wrongShape;
  for (auto segment : segments) {
    if (auto problem = checkId(segment)) return *problem;
  }

  StoryLink link{std::string(segments[0]), std::string(segments[1]), std::nullopt};
  if (segments.size() == 3) link.pageId = std::string(segments[2]);
  return link;
}

std::optional<std::string> storyLinkText(const StoryLink& link, std::string_view scheme) {
  std::string text = std::string(scheme) + "://" + std::string(kHost) + "/" + link.placementKey + "/" + link.groupId;
  if (link.pageId) text += "/" + *link.pageId;
  auto parsed = parseStoryLink(text, scheme);
  if (const auto* back = std::get_if<StoryLink>(&parsed); back && *back == link) return text;
  return std::nullopt;
}

}  // namespace orvane
