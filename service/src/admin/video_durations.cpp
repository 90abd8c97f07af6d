#include "video_durations.h"

#include <cmath>

#include "media/media_folder.h"

namespace orvane::service::admin {
namespace {

std::optional<std::int64_t> uploadedVideoSeconds(const nlohmann::json& media, storage::Store& store) {
  const auto url = media.find("mediaUrl");
  if (url == media.end() || !url->is_string()) return std::nullopt;
  const std::string& text = url->get_ref<const std::string&>();
  constexpr std::string_view kPrefix = "/media/";
  const std::size_t at = text.find(kPrefix);
  if (at == std::string::npos) return std::nullopt;
  const std::string sha256 = text.substr(at + kPrefix.size(), 64);
  if (!media::isSha256Hex(sha256)) return std::nullopt;
  const auto record = store.media(sha256);
  if (!record || !record->durationSeconds) return std::nullopt;
  return static_cast<std::int64_t>(std::ceil(*record->durationSeconds));
}

}  // namespace

void fillVideoDurations(nlohmann::json& document, storage::Store& store) {
  const auto groups = document.find("groups");
  if (groups == document.end() || !groups->is_array()) return;
  for (auto& group : *groups) {
    const auto items = group.find("items");
    if (items == group.end() || !items->is_array()) continue;
    for (auto& item : *items) {
      const auto media = item.find("media");
      if (media == item.end() || !media->is_object() || media->value("mediaType", "") != "VIDEO") continue;
      const auto seconds = uploadedVideoSeconds(*media, store);
      if (!seconds) continue;
      if (!media->contains("durationSeconds")) (*media)["durationSeconds"] = *seconds;
      if (!item.contains("durationSeconds")) item["durationSeconds"] = *seconds;
    }
  }
}

}  // namespace orvane::service::admin
