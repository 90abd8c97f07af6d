#include <orvane/api/placement_answers.h>

#include <orvane/api/cache_key.h>
#include <orvane/core/locale_tags.h>
#include <orvane/storage/sha256.h>

namespace orvane {

void PlacementAnswers::keep(const std::string& key, std::string_view answer) const {
  // No lifetime: it stands in only while the service cannot be reached, however old, and the
  // mapping drops stories whose time has passed when it is read back.
  if (cache_) cache_->store(key, answer, DiskCacheRecord{});
}

std::optional<std::string> PlacementAnswers::last(const std::string& key) const {
  if (!cache_) return std::nullopt;
  auto entry = cache_->read(key);
  if (!entry) return std::nullopt;
  return std::move(entry->bytes);
}

void PlacementAnswers::drop(const std::string& key) const {
  if (cache_) cache_->remove(key);
}

std::string placementAnswerKey(const StorySession& session, const StoryConfiguration& configuration,
                               const std::string& placementKey, const std::string& resource) {
  const auto& locale = *session.platform().locale;
  const std::string parts[] = {
      "placement-answer/1",
      resource,
      configuration.appKey(),
      serviceName(configuration.environment()),
      placementKey,
      requestLocale(locale).value_or(""),
      requestCountry(locale).value_or(""),
      session.resolvedAppId().value_or(""),
      session.resolvedBundleId().value_or(""),
      session.resolvedUserId().value_or(""),
  };
  std::string key;
  for (const auto& part : parts) {
    if (&part != parts) key += '|';
    appendEscapedKeyPart(key, part);
  }
  return sha256Hex(key);
}

}  // namespace orvane
