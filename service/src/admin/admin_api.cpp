#include "admin_api.h"

#include <charconv>
#include <memory>
#include <system_error>
#include <variant>

#include <sodium.h>

#include "content/content_error.h"
#include "content/identifiers.h"
#include "content/wire_shape.h"
#include "audit_trail.h"
#include "authoring_rules.h"
#include "json_views.h"
#include "storage/console_store.h"
#include "media/media_library.h"
#include "video_durations.h"

namespace orvane::service::admin {
namespace {

using http::Request;
using http::Response;
using storage::ContentKind;

std::optional<ContentKind> kindNamed(std::string_view name) {
  if (name == "stories") return ContentKind::stories;
  if (name == "banners") return ContentKind::banners;
  return std::nullopt;
}

std::optional<std::int64_t> positiveId(std::string_view text) {
  std::int64_t id = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), id);
  if (text.empty() || error != std::errc() || end != text.data() + text.size() || id <= 0)
    return std::nullopt;
  return id;
}

// A new SDK key: 32 random bytes, URL-safe base64, with a prefix saying what it is.
std::string newSdkKey() {
  if (sodium_init() < 0) throw std::runtime_error("libsodium cannot start");
  unsigned char secret[32];
  randombytes_buf(secret, sizeof secret);
  char text[sodium_base64_ENCODED_LEN(sizeof secret, sodium_base64_VARIANT_URLSAFE_NO_PADDING)];
  sodium_bin2base64(text, sizeof text, secret, sizeof secret, sodium_base64_VARIANT_URLSAFE_NO_PADDING);
  sodium_memzero(secret, sizeof secret);
  return std::string("osk_") + text;
}

// A failed request: the answer to give.
struct Refused {
  Response answer;
};
[[noreturn]] void refuse(int status, std::string_view message) {
  throw Refused{Response::error(status, message)};
}

nlohmann::json jsonBody(const Request& request) {
  nlohmann::json body = nlohmann::json::parse(request.body, nullptr, false);
  if (body.is_discarded()) refuse(400, "the body is not valid JSON");
  if (!body.is_object()) refuse(400, "the body must be a JSON object");
  return body;
}

std::string optionalText(const nlohmann::json& body, const char* name, std::size_t maxSize) {
  const auto found = body.find(name);
  if (found == body.end() || found->is_null()) return {};
  if (!found->is_string()) refuse(400, std::string("\"") + name + "\" must be a string");
  std::string text = found->get<std::string>();
  if (text.size() > maxSize)
    refuse(400, std::string("\"") + name + "\" is longer than " + std::to_string(maxSize) + " bytes");
  return text;
}

// "the draft: groups[0].items[1].id is not a UUID" as a path and a message.
ContentProblem shapeProblem(std::string_view message) {
  constexpr std::string_view source = "the draft: ";
  if (message.starts_with(source)) message.remove_prefix(source.size());
  const std::size_t space = message.find(' ');
  if (space == std::string_view::npos || message.starts_with("the document")) return {"", std::string(message)};
  return {std::string(message.substr(0, space)), std::string(message.substr(space + 1))};
}

[[noreturn]] void refuseDraft(const std::vector<ContentProblem>& problems) {
  nlohmann::json list = nlohmann::json::array();
  std::string summary;
  for (const ContentProblem& problem : problems) {
    list.push_back({{"path", problem.path}, {"message", problem.message}});
    if (summary.empty()) summary = (problem.path.empty() ? "" : problem.path + " ") + problem.message;
  }
  const std::string error = problems.size() == 1
                                ? "the draft has a problem: " + summary
                                : "the draft has " + std::to_string(problems.size()) + " problems, first: " + summary;
  throw Refused{Response::json(400, {{"error", error}, {"problems", list}})};
}

class Api {
 public:
  Api(storage::Store& store, media::MediaLibrary* media, const AccessPolicy& policy, AdminOptions options)
      : store_(store), media_(media), policy_(policy), options_(std::move(options)) {}

  void addTo(http::Router& router, const std::shared_ptr<Api>& self) {
    const http::RouteLimits none{0};
    const http::RouteLimits json{options_.maxJsonBytes};
    const auto add = [&](const char* method, const char* pattern, const char* name, http::RouteLimits limits,
                         Permission permission, const char* action, Response (Api::*handler)(const Request&)) {
      router.add(method, std::string("/admin/v1/") + pattern, std::string("admin_") + name, limits,
                 [self, permission, action, handler](Request& request) {
                   return self->guarded(request, permission, action, handler);
                 });
    };
    add("GET", "apps", "apps", none, Permission::readApps, nullptr, &Api::listApps);
    add("POST", "apps", "apps", json, Permission::manageApps, "app.create", &Api::createApp);
    add("GET", "apps/{}/sdk-keys", "sdk_keys", none, Permission::readApps, nullptr, &Api::listKeys);
    add("POST", "apps/{}/sdk-keys", "sdk_keys", json, Permission::manageApps, "sdk_key.create", &Api::createKey);
    add("POST", "apps/{}/sdk-keys/{}/revoke", "sdk_key_revoke", none, Permission::manageApps, "sdk_key.revoke",
        &Api::revokeKey);
    add("GET", "apps/{}/placements", "placements", none, Permission::readApps, nullptr, &Api::listPlacements);
    add("POST", "apps/{}/placements", "placements", json, Permission::editContent, "placement.create",
        &Api::createPlacement);
    add("DELETE", "apps/{}/placements/{}/{}", "placement", none, Permission::editContent, "placement.delete",
        &Api::deletePlacement);
    add("GET", "apps/{}/placements/{}/{}/draft", "draft", none, Permission::readApps, nullptr, &Api::getDraft);
    add("PUT", "apps/{}/placements/{}/{}/draft", "draft", json, Permission::editContent, "draft.save",
        &Api::saveDraft);
    add("GET", "apps/{}/placements/{}/{}/published", "published", none, Permission::readApps, nullptr,
        &Api::getPublished);
    add("POST", "apps/{}/placements/{}/{}/publish", "publish", none, Permission::publishContent,
        "placement.publish", &Api::publish);
    add("POST", "apps/{}/placements/{}/{}/rollback", "rollback", none, Permission::publishContent,
        "placement.rollback", &Api::rollback);
    if (media_ != nullptr) {
      add("POST", "media", "media_upload", http::RouteLimits{media_->limits().maxUploadBytes()},
          Permission::editContent, "media.upload", &Api::uploadMedia);
      add("GET", "media/{}", "media_record", none, Permission::readApps, nullptr, &Api::mediaRecord);
    }
  }

 private:
  Response guarded(const Request& request, Permission permission, const char* action,
                   Response (Api::*handler)(const Request&)) {
    Decision decision = policy_.authorize(request, permission);
    if (auto* refusal = std::get_if<Response>(&decision)) return std::move(*refusal);
    try {
      Response answer = (this->*handler)(request);
      if (action != nullptr && answer.status < 300) audit(std::get<Actor>(decision), request, action, answer);
      return answer;
    } catch (Refused& refused) {
      return std::move(refused.answer);
    } catch (const storage::StoreError&) {
      return Response::error(503, "the database cannot be reached; try again");
    }
  }

  // The change's target is its path's names; its detail the answer's ids and versions (never a key).
  void audit(const Actor& actor, const Request& request, const char* action, const Response& answer) {
    std::string target;
    for (const std::string& parameter : request.pathParameters) target += (target.empty() ? "" : "/") + parameter;
    nlohmann::json detail = nlohmann::json::object();
    if (const auto* body = std::get_if<std::string>(&answer.body)) {
      const auto json = nlohmann::json::parse(*body, nullptr, false);
      if (json.is_object()) {
        for (const char* field : {"publishedVersion", "version", "revoked", "id", "prefix", "label", "sha256",
                                  "contentType", "key", "kind", "deleted"}) {
          if (std::string_view(field) == "key" && std::string_view(action) == "sdk_key.create") continue;
          if (auto found = json.find(field); found != json.end()) detail[field] = *found;
        }
      }
    }
    if (std::string_view(action) == "placement.create" && detail.contains("key"))
      target += "/" + detail["key"].get<std::string>() + "/" + detail.value("kind", "");
    if (target.empty() && detail.contains("sha256")) target = detail["sha256"].get<std::string>();
    if (target.empty() && detail.contains("key")) target = detail["key"].get<std::string>();
    audit_.record(actor.name, request, action, target, detail);
  }

  storage::App appOf(const Request& request) {
    const std::string& key = request.pathParameters.at(0);
    if (!content::isSafeKey(key)) refuse(400, "an app key is 1 to 128 letters, digits, '-', '_' or '.'");
    auto app = store_.appByKey(key);
    if (!app) refuse(404, "no app " + key);
    return *app;
  }

  struct PlacementPath {
    storage::App app;
    std::string key;
    ContentKind kind;
  };
  PlacementPath placementOf(const Request& request) {
    storage::App app = appOf(request);
    const std::string& key = request.pathParameters.at(1);
    if (!content::isSafeKey(key)) refuse(400, "a placement key is 1 to 128 letters, digits, '-', '_' or '.'");
    const auto kind = kindNamed(request.pathParameters.at(2));
    if (!kind) refuse(404, "content is \"stories\" or \"banners\"");
    return {std::move(app), key, *kind};
  }

  Response listApps(const Request&) {
    nlohmann::json apps = nlohmann::json::array();
    for (const storage::App& app : store_.apps()) apps.push_back(toJson(app));
    return Response::json(200, {{"apps", apps}});
  }

  Response createApp(const Request& request) {
    const nlohmann::json body = jsonBody(request);
    const std::string key = optionalText(body, "key", 128);
    if (!content::isSafeKey(key)) refuse(400, "\"key\" must be 1 to 128 letters, digits, '-', '_' or '.'");
    std::string name = optionalText(body, "name", 200);
    if (name.empty()) name = key;
    if (store_.appByKey(key)) refuse(409, "an app " + key + " exists already");
    return Response::json(201, toJson(store_.createApp(key, name)));
  }

  Response listKeys(const Request& request) {
    nlohmann::json keys = nlohmann::json::array();
    for (const storage::SdkKeyInfo& key : store_.sdkKeys(appOf(request).id)) keys.push_back(toJson(key));
    return Response::json(200, {{"keys", keys}});
  }

  Response createKey(const Request& request) {
    const storage::App app = appOf(request);
    const std::string label =
        request.body.empty() ? std::string() : optionalText(jsonBody(request), "label", 200);
    const std::string key = newSdkKey();
    nlohmann::json answer = toJson(store_.addSdkKey(app.id, key, label));
    answer["key"] = key;  // the only time it is shown: only its hash is kept
    return Response::json(201, answer);
  }

  Response revokeKey(const Request& request) {
    const storage::App app = appOf(request);
    const auto id = positiveId(request.pathParameters.at(1));
    if (!id) refuse(400, "a key id is a positive whole number");
    if (!store_.revokeSdkKey(app.id, *id))
      refuse(404, "no live key " + request.pathParameters.at(1) + " in " + app.key);
    return Response::json(200, {{"revoked", *id}});
  }

  Response listPlacements(const Request& request) {
    nlohmann::json placements = nlohmann::json::array();
    for (const storage::PlacementSummary& placement : store_.placements(appOf(request).id)) {
      placements.push_back(toJson(placement));
    }
    return Response::json(200, {{"placements", placements}});
  }

  Response createPlacement(const Request& request) {
    const storage::App app = appOf(request);
    const nlohmann::json body = jsonBody(request);
    const std::string key = optionalText(body, "key", 128);
    if (!content::isSafeKey(key)) refuse(400, "\"key\" must be 1 to 128 letters, digits, '-', '_' or '.'");
    const auto kind = kindNamed(optionalText(body, "kind", 16));
    if (!kind) refuse(400, "\"kind\" must be \"stories\" or \"banners\"");
    for (const storage::PlacementSummary& placement : store_.placements(app.id)) {
      if (placement.key == key && placement.kind == *kind) refuse(409, "placement " + key + " exists already");
    }
    const nlohmann::json empty = *kind == ContentKind::stories ? nlohmann::json{{"groups", nlohmann::json::array()}}
                                                               : nlohmann::json{{"banners", nlohmann::json::array()}};
    store_.saveDraft(app.id, key, *kind, empty);
    return Response::json(201, toJson(storage::PlacementSummary{key, *kind, std::nullopt, true}));
  }

  Response deletePlacement(const Request& request) {
    const PlacementPath path = placementOf(request);
    storage::ConsoleStore* console = store_.console();
    if (console == nullptr) refuse(405, "this store cannot delete placements");
    if (!console->deletePlacement(path.app.id, path.key, path.kind)) refuse(404, "no placement " + path.key);
    return Response::json(200, {{"deleted", path.key}});
  }

  Response contentAnswer(const PlacementPath& path, storage::Environment environment) {
    auto content = store_.placement(path.app.id, path.key, path.kind, environment);
    if (!content) refuse(404, "no such content for placement " + path.key);
    return Response::json(200, toJson(*content));
  }

  Response getDraft(const Request& request) {
    return contentAnswer(placementOf(request), storage::Environment::staging);
  }
  Response getPublished(const Request& request) {
    return contentAnswer(placementOf(request), storage::Environment::production);
  }

  Response saveDraft(const Request& request) {
    const PlacementPath path = placementOf(request);
    nlohmann::json document = jsonBody(request);
    std::vector<ContentProblem> problems;
    try {
      content::checkDocument(document, path.kind, "the draft");
      problems = authoringProblems(document, path.kind, path.key, options_.appLinkSchemes);
    } catch (const content::ContentError& error) {
      problems.push_back(shapeProblem(error.what()));
    }
    if (!problems.empty()) refuseDraft(problems);
    fillVideoDurations(document, store_);
    store_.saveDraft(path.app.id, path.key, path.kind, document);
    return contentAnswer(path, storage::Environment::staging);
  }

  Response publish(const Request& request) {
    const PlacementPath path = placementOf(request);
    const auto version = store_.publish(path.app.id, path.key, path.kind);
    if (!version) refuse(409, "placement " + path.key + " has no draft to publish");
    return Response::json(200, {{"publishedVersion", *version}});
  }

  Response rollback(const Request& request) {
    const PlacementPath path = placementOf(request);
    const auto version = store_.rollback(path.app.id, path.key, path.kind);
    if (!version) refuse(409, "placement " + path.key + " has no earlier published version");
    return Response::json(200, {{"publishedVersion", *version}});
  }

  Response uploadMedia(const Request& request) {
    std::variant<storage::MediaRecord, media::UploadRefusal> outcome;
    try {
      outcome = media_->upload(request.body);
    } catch (const std::system_error&) {  // a full or read-only disk; filesystem_error is one too
      refuse(503, "the media folder cannot be written; try again later");
    }
    if (auto* refusal = std::get_if<media::UploadRefusal>(&outcome)) refuse(refusal->status, refusal->reason);
    return Response::json(201, toJson(std::get<storage::MediaRecord>(outcome)));
  }

  Response mediaRecord(const Request& request) {
    const std::string& sha256 = request.pathParameters.at(0);
    if (!media::isSha256Hex(sha256))
      refuse(400, "media are named by the lower-case hex SHA-256 of their bytes");
    auto record = store_.media(sha256);
    if (!record) refuse(404, "no media " + sha256);
    return Response::json(200, toJson(*record));
  }

  storage::Store& store_;
  media::MediaLibrary* media_;
  const AccessPolicy& policy_;
  const AdminOptions options_;
  const AuditTrail audit_{store_.console(), options_.clock};
};

}  // namespace

void addAdminRoutes(http::Router& router, storage::Store& store, media::MediaLibrary* media,
                    const AccessPolicy& policy, AdminOptions options) {
  auto api = std::make_shared<Api>(store, media, policy, std::move(options));
  api->addTo(router, api);
}

}  // namespace orvane::service::admin
