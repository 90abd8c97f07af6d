#include <orvane/stories/story_link.h>

#include <gtest/gtest.h>

#include <string>
#include <variant>

namespace orvane {
namespace {

struct LinkCase {
  std::string text;
  // The link expected, or the reason it is refused.
  std::variant<StoryLink, StoryLinkError> expected;
};

StoryLink link(std::string placement, std::string group, std::optional<std::string> page = std::nullopt) {
  return StoryLink{std::move(placement), std::move(group), std::move(page)};
}

TEST(StoryLinkTest, ParsesOnlyTheExactFormUnderTheHostsScheme) {
  const std::string longId(StoryLink::maxIdLength, 'a');
  const LinkCase cases[] = {
      {"myapp://stories/home/g1", link("home", "g1")},
      {"myapp://stories/home/g1/p2", link("home", "g1", "p2")},
      {"MyApp://STORIES/home/g1", link("home", "g1")},
      {"myapp://stories/home/0000-AB_c.d~e/" + longId, link("home", "0000-AB_c.d~e", longId)},
      // Another scheme, or none.
      {"https://stories/home/g1", StoryLinkError::wrongScheme},
      {"myapp2://stories/home/g1", StoryLinkError::wrongScheme},
      {"//stories/home/g1", StoryLinkError::wrongScheme},
      // Anything but the bare host "stories".
      {"myapp://story/home/g1", StoryLinkError::wrongHost},
      {"myapp://evil.com/stories/home/g1", StoryLinkError::wrongHost},
      {"myapp://user@stories/home/g1", StoryLinkError::wrongHost},
      {"myapp://stories:80/home/g1", StoryLinkError::wrongHost},
      {"myapp:stories/home/g1", StoryLinkError::wrongHost},
      {"myapp:///stories/home/g1", StoryLinkError::wrongHost},
      // Too few or too many segments, empty ones.
      {"myapp://stories/home", StoryLinkError::wrongShape},
      {"myapp://stories", StoryLinkError::wrongShape},
      {"myapp://stories/home/g1/p2/extra", StoryLinkError::wrongShape},
      {"myapp://stories/home/g1/", StoryLinkError::wrongShape},
      {"myapp://stories//g1", StoryLinkError::wrongShape},
      {"myapp://stories/home//p2", StoryLinkError::wrongShape},
      {"myapp://stories/home/g1?page=2", StoryLinkError::queryOrFragment},
      {"myapp://stories/home/g1#p2", StoryLinkError::queryOrFragment},
      {"myapp://stories/home/g1?", StoryLinkError::queryOrFragment},
      // Escapes never decode into an id: no hidden "/", "..", NUL or other text.
      {"myapp://stories/home/g%2F1", StoryLinkError::forbiddenCharacter},
      {"myapp://stories/home/%2e%2e", StoryLinkError::forbiddenCharacter},
      {"myapp://stories/home/g1%00", StoryLinkError::forbiddenCharacter},
      {"myapp://stories/home/..", StoryLinkError::forbiddenCharacter},
      {"myapp://stories/home/g1/.", StoryLinkError::forbiddenCharacter},
      {"myapp://stories/home/g!1", StoryLinkError::forbiddenCharacter},
      {"myapp://stories/home/" + longId + "a", StoryLinkError::idTooLong},
      // Not text a link is made of.
      {"myapp://stories/home/g 1", StoryLinkError::malformed},
      {std::string("myapp://stories/home/g1\0/p", 26), StoryLinkError::malformed},
      {"myapp://stories/home/g\xc3\xa9", StoryLinkError::malformed},
      {"myapp://stories/home/g1\n", StoryLinkError::malformed},
      {"", StoryLinkError::wrongScheme},
      {"myapp://[::1/home/g1", StoryLinkError::malformed},
  };
  for (const auto& each : cases) {
    SCOPED_TRACE(each.text);
    EXPECT_EQ(parseStoryLink(each.text, "myapp"), each.expected);
  }
  // The host's scheme must itself be one.
  EXPECT_EQ(parseStoryLink("1app://stories/home/g1", "1app"), (std::variant<StoryLink, StoryLinkError>(
                                                                  StoryLinkError::wrongScheme)));
  EXPECT_EQ(parseStoryLink("://stories/home/g1", ""),
            (std::variant<StoryLink, StoryLinkError>(StoryLinkError::wrongScheme)));
}

TEST(StoryLinkTest, TextsAreMadeOnlyOfIdsThatParseBackUnchanged) {
  EXPECT_EQ(storyLinkText(link("home", "g1"), "myapp"), "myapp://stories/home/g1");
  EXPECT_EQ(storyLinkText(link("home", "g1", "p2"), "myapp"), "myapp://stories/home/g1/p2");
  EXPECT_FALSE(storyLinkText(link("home", "a/b"), "myapp"));
  EXPECT_FALSE(storyLinkText(link("home", "g1", ""), "myapp"));
  EXPECT_FALSE(storyLinkText(link("home page", "g1"), "myapp"));
  EXPECT_FALSE(storyLinkText(link("home", "g1"), "my app"));
  EXPECT_FALSE(storyLinkText(link("home", "g1"), ""));
}

}  // namespace
}  // namespace orvane
