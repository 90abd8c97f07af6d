#include "story_view_fixture.h"

#include "api/wire/story_mapping.h"
#include "api/wire/story_payloads.h"
#include "core/story_sdk.h"

namespace orvane::quick::testing {
namespace {

std::optional<std::string> word(const QVariantMap& words, const char* key) {
  const QVariant value = words.value(QString::fromLatin1(key));
  return value.isValid() ? std::optional(value.toString().toStdString()) : std::nullopt;
}

}  // namespace

StoryViewFixture::StoryViewFixture(std::shared_ptr<FixtureHttpSession> session, QByteArray storiesBody)
    : session_(std::move(session)), storiesBody_(std::move(storiesBody)) {}

void StoryViewFixture::setHoldVotes(bool hold) {
  if (hold == holdVotes_) return;
  holdVotes_ = hold;
  session_->setHoldingVotes(hold);
  emit holdVotesChanged();
}

void StoryViewFixture::recordOpened(const QString& url) {
  openedUrls_.append(url);
  emit openedUrlsChanged();
}

void StoryViewFixture::recordEvent(const QString& event) {
  events_.append(event);
  emit eventsChanged();
}

StoryGroupList StoryViewFixture::homeGroups() const {
  auto payload = decodeStoriesPayload(storiesBody_.toStdString());
  if (!payload) qFatal("the fixture stories do not decode");
  return StoryGroupList(mapStoryGroups(payload.value(), StorySDK::shared().platform().clock->now()));
}

StoryThemeValue StoryViewFixture::theme(const QVariantMap& words) const {
  const auto progress = word(words, "progressStyle"), bubble = word(words, "bubbleStyle"),
             family = word(words, "fontFamily"), primary = word(words, "primaryColor"),
             secondary = word(words, "secondaryColor"), cta = word(words, "ctaStyle");
  return StoryThemeValue(StoryTheme::fromServiceStrings(progress, bubble, family, primary, secondary, cta));
}

void StoryViewFixture::reset() {
  setHoldVotes(false);
  session_->releaseVotes();
  openedUrls_.clear();
  events_.clear();
  emit openedUrlsChanged();
  emit eventsChanged();
}

}  // namespace orvane::quick::testing
