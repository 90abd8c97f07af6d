#include "json_views.h"

#include "content/time_text.h"
#include "media/media_library.h"

namespace orvane::service::admin {

nlohmann::json toJson(const storage::App& app) { return {{"key", app.key}, {"name", app.name}}; }

nlohmann::json toJson(const storage::SdkKeyInfo& key) {
  nlohmann::json json{{"id", key.id},
                      {"label", key.label},
                      {"prefix", key.prefix},
                      {"createdAt", content::formatDateTime(key.createdAt)}};
  json["revokedAt"] =
      key.revokedAt ? nlohmann::json(content::formatDateTime(*key.revokedAt)) : nlohmann::json(nullptr);
  return json;
}

nlohmann::json toJson(const storage::PlacementSummary& placement) {
  nlohmann::json json{{"key", placement.key},
                      {"kind", placement.kind == storage::ContentKind::stories ? "stories" : "banners"},
                      {"hasDraft", placement.hasDraft}};
  json["publishedVersion"] =
      placement.publishedVersion ? nlohmann::json(*placement.publishedVersion) : nlohmann::json(nullptr);
  return json;
}

nlohmann::json toJson(const storage::PlacementContent& content) {
  return {{"version", content.version},
          {"updatedAt", content::formatDateTime(content.updatedAt)},
          {"document", content.document}};
}

nlohmann::json toJson(const storage::MediaRecord& media) {
  nlohmann::json json{{"sha256", media.sha256},
                      {"contentType", media.contentType},
                      {"size", media.size},
                      {"url", media::mediaPath(media)},
                      {"createdAt", content::formatDateTime(media.createdAt)}};
  if (media.durationSeconds) json["durationSeconds"] = *media.durationSeconds;
  return json;
}

}  // namespace orvane::service::admin
