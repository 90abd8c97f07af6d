#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "storage/store.h"

namespace orvane::service::content {

// One placement's document as a content folder holds it.
struct PlacementDocument {
  std::string placementKey;
  storage::ContentKind kind = storage::ContentKind::stories;
  nlohmann::json document;
};

// A content folder: "<placement>.stories.json" holds a stories document, "<placement>.banners.json"
// a banners one, in the wire's shape plus the service's own fields; texts may hold "{{origin}}".
// Reading checks every file (names and shape) and throws ContentError naming the first problem,
// so a bad folder fails whole rather than half-imported. Placements come sorted by file name.
std::vector<PlacementDocument> readContentFolder(const std::filesystem::path& folder);

// Writes each placement as its file (creating the folder), replacing files of the same name.
void writeContentFolder(const std::filesystem::path& folder, const std::vector<PlacementDocument>& placements);

}  // namespace orvane::service::content
