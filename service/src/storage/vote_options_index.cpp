#include "storage/vote_options_index.h"

#include <cctype>

namespace orvane::service::storage {

std::string lowerCaseId(std::string_view id) {
  std::string lower(id);
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lower;
}

namespace {

const nlohmann::json* arrayField(const nlohmann::json& object, const char* key) {
  if (!object.is_object()) return nullptr;
  auto found = object.find(key);
  return found != object.end() && found->is_array() ? &*found : nullptr;
}

std::string textField(const nlohmann::json& object, const char* key) {
  auto found = object.find(key);
  return found != object.end() && found->is_string() ? found->get<std::string>() : std::string();
}

}  // namespace

void indexVoteOptions(SqlConnection& connection, std::int64_t appId, std::int64_t placementId,
                      const nlohmann::json& document) {
  const auto* groups = arrayField(document, "groups");
  if (!groups) return;
  for (const auto& group : *groups) {
    const auto* items = arrayField(group, "items");
    if (!items) continue;
    const std::string groupId = lowerCaseId(textField(group, "id"));
    for (const auto& item : *items) {
      if (!item.is_object()) continue;
      const std::string widget = textField(item, "widgetType");
      const std::string itemId = lowerCaseId(textField(item, "id"));
      const auto* options = arrayField(item, "widgetOptions");
      if ((widget != "POLL" && widget != "QUIZ") || itemId.empty() || !options) continue;
      for (const auto& option : *options) {
        if (!option.is_object()) continue;
        const std::string optionId = lowerCaseId(textField(option, "id"));
        if (optionId.empty()) continue;
        std::int64_t initial = 0;
        if (auto count = option.find("voteCount"); count != option.end() && count->is_number_integer()) {
          initial = std::max<std::int64_t>(0, count->get<std::int64_t>());
        }
        connection.run(
            "INSERT INTO vote_options (app_id, item_id, option_id, vote_count, placement_id, group_id) "
            "VALUES (?, ?, ?, ?, ?, ?) ON CONFLICT (app_id, item_id, option_id) DO UPDATE SET "
            "placement_id = excluded.placement_id, group_id = excluded.group_id",
            {appId, itemId, optionId, initial, placementId, groupId});
      }
    }
  }
}

}  // namespace orvane::service::storage
