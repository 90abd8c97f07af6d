#include "content_folder.h"

#include <algorithm>
#include <fstream>
#include <sstream>

#include "content_error.h"
#include "identifiers.h"
#include "wire_shape.h"

namespace orvane::service::content {
namespace {

using nlohmann::json;

const std::string kStoriesSuffix = ".stories.json";
const std::string kBannersSuffix = ".banners.json";
// Far above any real placement, low enough that a stray file cannot exhaust memory.
constexpr std::uintmax_t kMaxFileBytes = 16 * 1024 * 1024;

bool endsWith(const std::string& text, const std::string& suffix) {
  return text.size() > suffix.size() && text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

json readJson(const std::filesystem::path& path) {
  std::error_code error;
  const auto size = std::filesystem::file_size(path, error);
  if (error) throw ContentError(path.string() + ": cannot be read (" + error.message() + ")");
  if (size > kMaxFileBytes) throw ContentError(path.string() + ": larger than 16 MiB");
  std::ifstream file(path, std::ios::binary);
  if (!file) throw ContentError(path.string() + ": cannot be read");
  std::stringstream text;
  text << file.rdbuf();
  try {
    return json::parse(text.str());
  } catch (const json::parse_error& parseError) {
    throw ContentError(path.string() + ": not JSON: " + parseError.what());
  }
}

std::string fileName(const PlacementDocument& placement) {
  return placement.placementKey + (placement.kind == storage::ContentKind::stories ? kStoriesSuffix : kBannersSuffix);
}

}  // namespace

std::vector<PlacementDocument> readContentFolder(const std::filesystem::path& folder) {
  std::error_code error;
  if (!std::filesystem::is_directory(folder, error)) throw ContentError(folder.string() + ": not a content folder");

  std::vector<PlacementDocument> placements;
  for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
    const auto name = entry.path().filename().string();
    const bool stories = endsWith(name, kStoriesSuffix);
    if (!stories && !endsWith(name, kBannersSuffix)) continue;
    PlacementDocument placement;
    placement.kind = stories ? storage::ContentKind::stories : storage::ContentKind::banners;
    placement.placementKey = name.substr(0, name.size() - (stories ? kStoriesSuffix : kBannersSuffix).size());
    if (!isSafeKey(placement.placementKey))
      throw ContentError(name + ": a placement key is 1 to 128 letters, digits, '.', '_' or '-'");
    placement.document = readJson(entry.path());
    checkDocument(placement.document, placement.kind, name);
    placements.push_back(std::move(placement));
  }
  if (error) throw ContentError(folder.string() + ": " + error.message());
  if (placements.empty())
    throw ContentError(folder.string() + ": holds no *" + kStoriesSuffix + " or *" + kBannersSuffix + " file");
  std::sort(placements.begin(), placements.end(),
            [](const PlacementDocument& a, const PlacementDocument& b) { return fileName(a) < fileName(b); });
  return placements;
}

void writeContentFolder(const std::filesystem::path& folder, const std::vector<PlacementDocument>& placements) {
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  if (error) throw ContentError(folder.string() + ": cannot be created (" + error.message() + ")");
  for (const auto& placement : placements) {
    if (!isSafeKey(placement.placementKey)) throw ContentError(placement.placementKey + ": not a placement key");
    const auto path = folder / fileName(placement);
    const auto partial = path.string() + ".partial";
    {
      std::ofstream file(partial, std::ios::binary | std::ios::trunc);
      file << placement.document.dump(2) << "\n";
      if (!file.flush()) throw ContentError(partial + ": cannot be written");
    }
    // Renamed into place so a failed export never leaves a half-written placement behind.
    std::filesystem::rename(partial, path, error);
    if (error) throw ContentError(path.string() + ": cannot be written (" + error.message() + ")");
  }
}

}  // namespace orvane::service::content
