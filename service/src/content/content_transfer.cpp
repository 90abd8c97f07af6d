#include "content_transfer.h"

#include "content_error.h"
#include "identifiers.h"

namespace orvane::service::content {

void importPlacements(storage::Store& store, std::int64_t appId, const std::vector<PlacementDocument>& placements) {
  for (const auto& placement : placements) {
    store.saveDraft(appId, placement.placementKey, placement.kind, placement.document);
    store.publish(appId, placement.placementKey, placement.kind);
  }
}

std::vector<PlacementDocument> publishedPlacements(storage::Store& store, std::int64_t appId) {
  std::vector<PlacementDocument> placements;
  for (const auto& summary : store.placements(appId)) {
    if (!summary.publishedVersion) continue;
    auto content = store.placement(appId, summary.key, summary.kind, storage::Environment::production);
    if (content) placements.push_back({summary.key, summary.kind, std::move(content->document)});
  }
  return placements;
}

bool seedEmptyDatabase(storage::Store& store, const ContentSeed& seed) {
  if (store.hasContent()) return false;
  if (!isSafeKey(seed.appKey)) throw ContentError(seed.appKey + ": an app key is 1 to 128 letters, digits, '.', '_' or '-'");
  if (seed.sdkKey.empty()) throw ContentError("the seed needs an SDK key");
  const auto placements = readContentFolder(seed.folder);
  auto app = store.appByKey(seed.appKey);
  if (!app) app = store.createApp(seed.appKey, seed.appKey);
  if (!store.appForSdkKey(seed.sdkKey)) store.addSdkKey(app->id, seed.sdkKey, "seed");
  importPlacements(store, app->id, placements);
  return true;
}

}  // namespace orvane::service::content
