#include <orvane/stories/seen_story_groups.h>

#include <algorithm>
#include <nlohmann/json.hpp>

namespace orvane {
namespace {

std::vector<std::string> load(const KeyValueStore& store) {
  const auto stored = store.string(SeenStoryGroups::storageKey);
  if (!stored) return {};
  const auto parsed = nlohmann::json::parse(*stored, nullptr, false);
  if (!parsed.is_array()) return {};
  std::vector<std::string> ids;
  for (const auto& entry : parsed) {
    if (!entry.is_string()) continue;
    auto id = entry.get<std::string>();
    if (!id.empty() && std::find(ids.begin(), ids.end(), id) == ids.end()) ids.push_back(std::move(id));
  }
  if (ids.size() > SeenStoryGroups::capacity)
    ids.erase(ids.begin(), ids.end() - static_cast<std::ptrdiff_t>(SeenStoryGroups::capacity));
  return ids;
}

}  // namespace

SeenStoryGroups::SeenStoryGroups(KeyValueStore& store) : store_(store), groupIds_(*this, load(store)) {}

bool SeenStoryGroups::contains(const std::string& groupId) const {
  const auto& ids = groupIds();
  return std::find(ids.begin(), ids.end(), groupId) != ids.end();
}

void SeenStoryGroups::markSeen(const std::string& groupId) {
  if (groupId.empty() || (!groupIds().empty() && groupIds().back() == groupId)) return;
  auto ids = groupIds();
  ids.erase(std::remove(ids.begin(), ids.end(), groupId), ids.end());
  ids.push_back(groupId);
  if (ids.size() > capacity) ids.erase(ids.begin(), ids.end() - static_cast<std::ptrdiff_t>(capacity));
  store_.set(storageKey, nlohmann::json(ids).dump());
  groupIds_.set(std::move(ids));
}

}  // namespace orvane
