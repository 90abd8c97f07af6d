#include "json_views.h"

#include <ctime>

#include "media/media_library.h"

namespace orvane::service::admin {

std::string utcText(storage::TimePoint time) {
  const std::time_t seconds = std::chrono::system_clock::to_time_t(time);
  std::tm parts{};
  gmtime_r(&seconds, &parts);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &parts);
  return text;
}

nlohmann::json toJson(const storage::App& app) { return {{"key", app.key}, {"name", app.name}}; }

nlohmann::json toJson(const storage::SdkKeyInfo& key) {
  nlohmann::json json{{"id", key.id}, {"label", key.label}, {"prefix", key.prefix}, {"createdAt", utcText(key.createdAt)}};
  json["revokedAt"] = key.revokedAt ? nlohmann::json(utcText(*key.revokedAt)) : nlohmann::json(nullptr);
  return json;
}

nlohmann::json toJson(const storage::PlacementSummary& placement) {
  nlohmann::json json{{"key", placement.key},
                      {"kind", placement.kind == storage::ContentKind::stories ? "stories" : "banners"},
                      {"hasDraft", placement.hasDraft}};
  json["publishedVersion"] = placement.publishedVersion ? nlohmann::json(*placement.publishedVersion) : nlohmann::json(nullptr);
  return json;
}

nlohmann::json toJson(const storage::PlacementContent& content) {
  return {{"version", content.version}, {"updatedAt", utcText(content.updatedAt)}, {"document", content.document}};
}

nlohmann::json toJson(const storage::MediaRecord& media) {
  nlohmann::json json{{"sha256", media.sha256},
                      {"contentType", media.contentType},
                      {"size", media.size},
                      {"url", media::mediaPath(media)},
                      {"createdAt", utcText(media.createdAt)}};
  if (media.durationSeconds) json["durationSeconds"] = *media.durationSeconds;
  return json;
}

}  // namespace orvane::service::admin
