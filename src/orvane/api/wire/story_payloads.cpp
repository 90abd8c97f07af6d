#include <orvane/api/wire/story_payloads.h>

#include <orvane/api/wire/json_reader.h>

namespace orvane {
namespace {

// Each decoder walks its object's fields in document order and then checks that the required
// ones came (bit i of `seen` for the i-th required key).

SdkThemeResponse decodeTheme(JsonObjectReader& json) {
  SdkThemeResponse theme;
  json.forEachField([&](std::string_view key, JsonValueReader& value) {
    if (key == "id") {
      theme.id = value.optionalString();
    } else if (key == "name") {
      theme.name = value.optionalString();
    } else if (key == "progressStyle") {
      theme.progressStyle = value.optionalString();
    } else if (key == "bubbleStyle") {
      theme.bubbleStyle = value.optionalString();
    } else if (key == "fontFamily") {
      theme.fontFamily = value.optionalString();
    } else if (key == "primaryColor") {
      theme.primaryColor = value.optionalString();
    } else if (key == "secondaryColor") {
      theme.secondaryColor = value.optionalString();
    } else if (key == "ctaStyle") {
      theme.ctaStyle = value.optionalString();
    } else {
      return false;
    }
    return true;
  });
  return theme;
}

SdkMediaAssetPayload decodeMedia(JsonObjectReader& json) {
  SdkMediaAssetPayload media;
  std::bitset<2> seen;
  json.forEachField([&](std::string_view key, JsonValueReader& value) {
    if (key == "mediaType") {
      media.mediaType = value.string();
      seen.set(0);
    } else if (key == "mediaUrl") {
      media.mediaUrl = value.string();
      seen.set(1);
    } else if (key == "durationSeconds") {
      media.durationSeconds = value.optionalInteger();
    } else {
      return false;
    }
    return true;
  });
  json.requireKeys(seen, {"mediaType", "mediaUrl"});
  return media;
}

SdkWidgetOptionPayload decodeOption(JsonObjectReader& json) {
  SdkWidgetOptionPayload option;
  std::bitset<3> seen;
  json.forEachField([&](std::string_view key, JsonValueReader& value) {
    if (key == "id") {
      option.id = value.uuid();
      seen.set(0);
    } else if (key == "text") {
      option.text = value.string();
      seen.set(1);
    } else if (key == "emojiPrefix") {
      option.emojiPrefix = value.optionalString();
    } else if (key == "orderIndex") {
      option.orderIndex = value.integer();
      seen.set(2);
    } else if (key == "isCorrect") {
      option.isCorrect = value.optionalBoolean();
    } else if (key == "voteCount") {
      option.voteCount = value.optionalInteger();
    } else {
      return false;
    }
    return true;
  });
  json.requireKeys(seen, {"id", "text", "orderIndex"});
  return option;
}

SdkWidgetUserVotePayload decodeUserVote(JsonObjectReader& json) {
  SdkWidgetUserVotePayload vote;
  std::bitset<1> seen;
  json.forEachField([&](std::string_view key, JsonValueReader& value) {
    if (key == "optionId") {
      vote.optionId = value.uuid();
      seen.set(0);
    } else if (key == "votedAt") {
      vote.votedAt = value.optionalDate();
    } else {
      return false;
    }
    return true;
  });
  json.requireKeys(seen, {"optionId"});
  return vote;
}

SdkStoryItemPayload decodeItem(JsonObjectReader& json) {
  SdkStoryItemPayload item;
  std::bitset<2> seen;
  json.forEachField([&](std::string_view key, JsonValueReader& value) {
    if (key == "id") {
      item.id = value.uuid();
      seen.set(0);
    } else if (key == "type") {
      item.type = value.string();
      seen.set(1);
    } else if (key == "title") {
      item.title = value.optionalString();
    } else if (key == "bodyText") {
      item.bodyText = value.optionalString();
    } else if (key == "ctaText") {
      item.ctaText = value.optionalString();
    } else if (key == "ctaUrl") {
      item.ctaUrl = value.optionalString();
    } else if (key == "durationSeconds") {
      item.durationSeconds = value.optionalInteger();
    } else if (key == "media") {
      item.media = value.optionalObject(decodeMedia);
    } else if (key == "widgetType") {
      item.widgetType = value.optionalString();
    } else if (key == "widgetQuestion") {
      item.widgetQuestion = value.optionalString();
    } else if (key == "swipeCallbackUrl") {
      item.swipeCallbackUrl = value.optionalString();
    } else if (key == "widgetOptions") {
      item.widgetOptions = value.optionalObjectList(decodeOption);
    } else if (key == "userVote") {
      item.userVote = value.optionalObject(decodeUserVote);
    } else {
      return false;
    }
    return true;
  });
  json.requireKeys(seen, {"id", "type"});
  return item;
}

SdkStoryGroupPayload decodeGroup(JsonObjectReader& json) {
  SdkStoryGroupPayload group;
  std::bitset<3> seen;
  json.forEachField([&](std::string_view key, JsonValueReader& value) {
    if (key == "id") {
      group.id = value.uuid();
      seen.set(0);
    } else if (key == "title") {
      group.title = value.string();
      seen.set(1);
    } else if (key == "priority") {
      group.priority = value.optionalInteger();
    } else if (key == "startAt") {
      group.startAt = value.optionalString();
    } else if (key == "endAt") {
      group.endAt = value.optionalString();
    } else if (key == "theme") {
      group.theme = value.optionalObject(decodeTheme);
    } else if (key == "items") {
      group.items = value.objectList(decodeItem);
      seen.set(2);
    } else {
      return false;
    }
    return true;
  });
  json.requireKeys(seen, {"id", "title", "items"});
  return group;
}

}  // namespace

Result<SdkStoriesPayload> decodeStoriesPayload(std::string body) {
  return decodeJsonDocument(std::move(body), [](JsonObjectReader& json) {
    SdkStoriesPayload stories;
    std::bitset<1> seen;
    json.forEachField([&](std::string_view key, JsonValueReader& value) {
      if (key != "groups") return false;
      stories.groups = value.objectList(decodeGroup);
      seen.set(0);
      return true;
    });
    json.requireKeys(seen, {"groups"});
    return stories;
  });
}

}  // namespace orvane
