#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "content_folder.h"
#include "storage/store.h"

namespace orvane::service::content {

// Saves each placement as its draft and publishes it. The folder is read and checked whole first.
void importPlacements(storage::Store& store, std::int64_t appId, const std::vector<PlacementDocument>& placements);

// Every placement's published version, as a content folder holds it; placements never
// published are left out.
std::vector<PlacementDocument> publishedPlacements(storage::Store& store, std::int64_t appId);

// The content a fresh database starts with: an app, its SDK key and a content folder.
struct ContentSeed {
  std::filesystem::path folder;
  std::string appKey = "demo-app";
  std::string sdkKey = "demo-sdk-key";
};

// Loads the seed into a database that holds no content yet and returns true; a database that
// already holds content is left as it is (its votes and edits survive a restart) and false is
// returned. Throws ContentError for a bad folder, before anything is written.
bool seedEmptyDatabase(storage::Store& store, const ContentSeed& seed);

}  // namespace orvane::service::content
