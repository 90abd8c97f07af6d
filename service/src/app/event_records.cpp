#include "event_records.h"

#include <algorithm>
#include <optional>

#include "content/identifiers.h"
#include "content/time_text.h"

namespace orvane::service::app {
namespace {

using nlohmann::json;

// Event times a device's clock can plausibly give, and the clock's nanoseconds can hold.
constexpr std::chrono::sys_seconds kEarliest{std::chrono::sys_days{std::chrono::year{1970} / 1 / 1}};
constexpr std::chrono::sys_seconds kLatest{std::chrono::sys_days{std::chrono::year{2200} / 1 / 1}};

// Ids the SDK sends in events: UUIDs, decimal banner ids, the host's own group ids. Bounded and
// plain, so they are safe in reports and logs.
bool isEventId(const std::string& text) {
  return !text.empty() && text.size() <= 128 && std::all_of(text.begin(), text.end(), [](char c) {
           return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '-' ||
                  c == '_' || c == '.' || c == ':';
         });
}

bool isEventType(const std::string& text) {
  return !text.empty() && text.size() <= 64 &&
         std::all_of(text.begin(), text.end(), [](char c) { return (c >= 'A' && c <= 'Z') || c == '_'; });
}

class Reader {
 public:
  explicit Reader(const json& body) : body_(body) {}

  // A text member: absent (or null) gives nullopt unless required; any other type is a problem.
  std::optional<std::string> text(const char* key, bool required) {
    auto found = body_.find(key);
    if (found == body_.end() || found->is_null()) {
      if (required) fail(std::string("\"") + key + "\" is missing");
      return std::nullopt;
    }
    if (!found->is_string()) {
      fail(std::string("\"") + key + "\" is not a text");
      return std::nullopt;
    }
    return found->get<std::string>();
  }

  // An id member, empty when absent.
  std::string id(const char* key) {
    auto value = text(key, false);
    if (!value || value->empty()) return {};
    if (!isEventId(*value)) fail(std::string("\"") + key + "\" is not an id");
    return *value;
  }

  void fail(std::string problem) {
    if (problem_.empty()) problem_ = std::move(problem);
  }
  const std::string& problem() const { return problem_; }

 private:
  const json& body_;
  std::string problem_;
};

// The fields both kinds of record share; `platformKey` differs between them.
std::variant<storage::StoredEvent, RejectedEvent> common(const json& body, const storage::App& app,
                                                         storage::TimePoint receivedAt, storage::EventChannel channel,
                                                         const char* platformKey) {
  if (!body.is_object()) return RejectedEvent{"The body must be a JSON object."};
  Reader read(body);
  storage::StoredEvent event;
  event.appId = app.id;
  event.channel = channel;
  event.receivedAt = receivedAt;
  event.placementKey = read.text("placementKey", true).value_or("");
  if (read.problem().empty() && !content::isSafeKey(event.placementKey)) read.fail("\"placementKey\" is not a placement key");
  event.eventType = read.text("eventType", true).value_or("");
  if (read.problem().empty() && !isEventType(event.eventType)) read.fail("\"eventType\" is not an event type");
  read.text(platformKey, true);
  if (auto occurred = read.text("occurredAt", true)) {
    const auto parsed = content::parseDateTime(*occurred);
    if (parsed && *parsed >= kEarliest && *parsed < kLatest) {
      event.occurredAt = *parsed;
    } else {
      read.fail("\"occurredAt\" is not a date such as 2024-05-01T12:30:00Z");
    }
  }
  event.groupId = read.id("storyGroupId");
  event.itemId = read.id("storyItemId");
  event.sessionId = read.id("sessionId");
  if (channel == storage::EventChannel::service) {
    event.bannerId = read.id("bannerId");
    event.bannerItemId = read.id("bannerItemId");
    if (auto appKey = read.text("appKey", true); appKey && *appKey != app.key)
      read.fail("\"appKey\" is not the app of the SDK key");
    read.text("eventId", true);
  }
  if (!read.problem().empty()) return RejectedEvent{read.problem() + "."};
  event.body = body.dump(-1, ' ', false, json::error_handler_t::replace);
  return event;
}

}  // namespace

std::variant<storage::StoredEvent, RejectedEvent> serviceEvent(const json& body, const storage::App& app,
                                                               storage::TimePoint receivedAt) {
  return common(body, app, receivedAt, storage::EventChannel::service, "platform");
}

std::variant<storage::StoredEvent, RejectedEvent> analyticsRecord(const json& body, const storage::App& app,
                                                                  storage::TimePoint receivedAt) {
  return common(body, app, receivedAt, storage::EventChannel::analytics, "devicePlatform");
}

}  // namespace orvane::service::app
