#include "wire_shape.h"

#include <limits>
#include <set>

#include "content_error.h"
#include "identifiers.h"
#include "time_text.h"

namespace orvane::service::content {
namespace {

using nlohmann::json;

bool isPresent(const json& parent, const char* key) {
  auto found = parent.find(key);
  return found != parent.end() && !found->is_null();
}

// A JSON integer the SDK reads as a signed 64-bit one.
bool isInteger64(const json& value) {
  if (value.is_number_unsigned()) return value.get<std::uint64_t>() <= std::numeric_limits<std::int64_t>::max();
  return value.is_number_integer();
}

class ShapeCheck {
 public:
  explicit ShapeCheck(const std::string& source) : source_(source) {}

  [[noreturn]] void fail(const std::string& at, const std::string& problem) const {
    throw ContentError(source_ + ": " + at + " " + problem);
  }

  const json& object(const json& parent, const char* key, const std::string& at) const {
    const auto& value = required(parent, key, at);
    if (!value.is_object()) fail(at + key, "is not an object");
    return value;
  }
  const json& array(const json& parent, const char* key, const std::string& at) const {
    const auto& value = required(parent, key, at);
    if (!value.is_array()) fail(at + key, "is not a list");
    return value;
  }
  void text(const json& parent, const char* key, const std::string& at) const {
    if (!required(parent, key, at).is_string()) fail(at + key, "is not a text");
  }
  void integer(const json& parent, const char* key, const std::string& at) const {
    if (!isInteger64(required(parent, key, at))) fail(at + key, "is not a 64-bit integer");
  }
  std::string uuid(const json& parent, const char* key, const std::string& at) const {
    const auto& value = required(parent, key, at);
    if (!value.is_string() || !isUuid(value.get_ref<const std::string&>())) fail(at + key, "is not a UUID");
    return lowercase(value.get_ref<const std::string&>());
  }

  void optionalText(const json& parent, const char* key, const std::string& at) const {
    if (isPresent(parent, key) && !parent.at(key).is_string()) fail(at + key, "is not a text");
  }
  void optionalInteger(const json& parent, const char* key, const std::string& at) const {
    if (isPresent(parent, key) && !isInteger64(parent.at(key))) fail(at + key, "is not a 64-bit integer");
  }
  void optionalFlag(const json& parent, const char* key, const std::string& at) const {
    if (isPresent(parent, key) && !parent.at(key).is_boolean()) fail(at + key, "is not true or false");
  }
  void optionalDate(const json& parent, const char* key, const std::string& at) const {
    if (!isPresent(parent, key)) return;
    const auto& value = parent.at(key);
    if (!value.is_string() || !parseDateTime(value.get_ref<const std::string&>()))
      fail(at + key, "is not a date such as 2024-05-01T12:30:00Z");
  }
  void optionalTags(const json& parent, const char* key, const std::string& at) const {
    if (!isPresent(parent, key)) return;
    const auto& value = parent.at(key);
    if (!value.is_array()) fail(at + key, "is not a list");
    for (const auto& tag : value)
      if (!tag.is_string() || !isTagText(tag.get_ref<const std::string&>()))
        fail(at + key, "holds something other than a locale or country code");
  }

  // The service's own fields, the same on story groups and banners.
  void scheduleAndTargeting(const json& record, const std::string& at) const {
    optionalInteger(record, "priority", at);
    optionalDate(record, "startAt", at);
    optionalDate(record, "endAt", at);
    optionalTags(record, "locales", at);
    optionalTags(record, "countries", at);
  }

  void unique(std::set<std::string>& seen, const std::string& id, const std::string& at) const {
    if (!seen.insert(id).second) fail(at + "id", "appears twice in the document");
  }

 private:
  const json& required(const json& parent, const char* key, const std::string& at) const {
    auto found = parent.find(key);
    if (found == parent.end() || found->is_null()) fail(at + key, "is missing");
    return *found;
  }

  const std::string& source_;
};

std::string indexed(const std::string& at, const char* list, std::size_t index) {
  return at + list + "[" + std::to_string(index) + "].";
}

void checkItem(const json& item, const std::string& at, const ShapeCheck& check, std::set<std::string>& itemIds,
               std::set<std::string>& optionIds) {
  if (!item.is_object()) check.fail(at, "is not an object");
  check.unique(itemIds, check.uuid(item, "id", at), at);
  check.text(item, "type", at);
  for (const char* key : {"title", "bodyText", "ctaText", "ctaUrl", "widgetType", "widgetQuestion", "swipeCallbackUrl"})
    check.optionalText(item, key, at);
  check.optionalInteger(item, "durationSeconds", at);
  if (isPresent(item, "media")) {
    const auto& media = check.object(item, "media", at);
    check.text(media, "mediaType", at + "media.");
    check.text(media, "mediaUrl", at + "media.");
    check.optionalInteger(media, "durationSeconds", at + "media.");
  }
  if (isPresent(item, "userVote")) check.fail(at + "userVote", "is the service's to set");
  if (!isPresent(item, "widgetOptions")) return;
  const auto& options = check.array(item, "widgetOptions", at);
  for (std::size_t o = 0; o < options.size(); ++o) {
    const auto optionAt = indexed(at, "widgetOptions", o);
    const auto& option = options[o];
    if (!option.is_object()) check.fail(optionAt, "is not an object");
    check.unique(optionIds, check.uuid(option, "id", optionAt), optionAt);
    check.text(option, "text", optionAt);
    check.optionalText(option, "emojiPrefix", optionAt);
    check.integer(option, "orderIndex", optionAt);
    check.optionalFlag(option, "isCorrect", optionAt);
    check.optionalInteger(option, "voteCount", optionAt);
  }
}

void checkStories(const json& document, const ShapeCheck& check) {
  const auto& groups = check.array(document, "groups", "");
  std::set<std::string> groupIds, itemIds, optionIds;
  for (std::size_t g = 0; g < groups.size(); ++g) {
    const auto at = indexed("", "groups", g);
    const auto& group = groups[g];
    if (!group.is_object()) check.fail(at, "is not an object");
    check.unique(groupIds, check.uuid(group, "id", at), at);
    check.text(group, "title", at);
    check.scheduleAndTargeting(group, at);
    if (isPresent(group, "theme")) {
      const auto& theme = check.object(group, "theme", at);
      for (const char* key : {"id", "name", "progressStyle", "bubbleStyle", "fontFamily", "primaryColor",
                              "secondaryColor", "ctaStyle"})
        check.optionalText(theme, key, at + "theme.");
    }
    const auto& items = check.array(group, "items", at);
    for (std::size_t i = 0; i < items.size(); ++i) checkItem(items[i], indexed(at, "items", i), check, itemIds, optionIds);
  }
}

void checkBanners(const json& document, const ShapeCheck& check) {
  const auto& banners = check.array(document, "banners", "");
  for (std::size_t b = 0; b < banners.size(); ++b) {
    const auto at = indexed("", "banners", b);
    const auto& banner = banners[b];
    if (!banner.is_object()) check.fail(at, "is not an object");
    check.integer(banner, "id", at);
    check.text(banner, "type", at);
    check.text(banner, "placementKey", at);
    check.integer(banner, "viewOrder", at);
    check.scheduleAndTargeting(banner, at);
    for (const char* key : {"autoplaySeconds", "fixedHeight", "bannerFixedHeight"}) check.optionalInteger(banner, key, at);
    for (const char* key : {"layoutMode", "aspectRatio", "contentMode", "bannerLayoutMode", "bannerAspectRatio",
                            "bannerContentMode"})
      check.optionalText(banner, key, at);
    const auto& items = check.array(banner, "items", at);
    for (std::size_t i = 0; i < items.size(); ++i) {
      const auto itemAt = indexed(at, "items", i);
      const auto& item = items[i];
      if (!item.is_object()) check.fail(itemAt, "is not an object");
      check.integer(item, "id", itemAt);
      check.text(item, "mediaUrl", itemAt);
      check.integer(item, "orderIndex", itemAt);
      for (const char* key : {"mediaAssetId", "ctaType", "ctaUrl"}) check.optionalText(item, key, itemAt);
    }
  }
}

}  // namespace

void checkDocument(const json& document, storage::ContentKind kind, const std::string& source) {
  const ShapeCheck check(source);
  if (!document.is_object()) check.fail("the document", "is not an object");
  if (kind == storage::ContentKind::stories) {
    checkStories(document, check);
  } else {
    checkBanners(document, check);
  }
}

}  // namespace orvane::service::content
