#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "storage/store.h"

namespace orvane::service::storage {

enum class Role { viewer, editor, owner };

struct ConsoleUser {
  std::int64_t id = 0;
  std::string name;
  Role role = Role::viewer;
  std::string passwordHash;  // Argon2id, in libsodium's text form
  TimePoint createdAt;
};

struct ConsoleSession {
  ConsoleUser user;
  TimePoint expiresAt;
};

struct AuditEntry {
  std::int64_t id = 0;  // set by the store
  TimePoint at;
  std::string actor;    // a user's name, or "admin-token"
  std::string action;   // e.g. "placement.publish"
  std::string target;   // e.g. "demo-app/home/stories"
  std::string detail;   // a JSON object as text
  std::string address;  // the client's address
};

// What one kind of event or vote counted on one day of an analytics period. `day` indexes the
// period's days; ids are empty where the event has none.
struct DayEventCount {
  std::size_t day = 0;
  std::string placement, eventType, group, item, banner, bannerItem;
  std::int64_t count = 0;
};
struct DayVoteCount {
  std::size_t day = 0;
  std::string placement, group, item, option;
  std::int64_t count = 0;
};
struct DayCounts {
  std::vector<DayEventCount> events;
  std::vector<DayVoteCount> votes;
};

enum class UserChange { done, noSuchUser, lastOwner };

// The console's own state beside the content: users, their sessions, the audit log, and what its
// analytics and placement management read. Thread-safe.
class ConsoleStore {
 public:
  virtual ~ConsoleStore() = default;

  // nullopt when the name is taken.
  virtual std::optional<ConsoleUser> createUser(const std::string& name, Role role, const std::string& passwordHash,
                                                TimePoint now) = 0;
  virtual std::optional<ConsoleUser> userNamed(std::string_view name) = 0;
  virtual std::vector<ConsoleUser> users() = 0;
  // Either change may be absent. Refuses to leave the console without an owner.
  virtual UserChange updateUser(std::string_view name, std::optional<Role> role,
                                const std::optional<std::string>& passwordHash) = 0;
  virtual UserChange removeUser(std::string_view name) = 0;

  // Sessions are kept by the hash of their token; expired ones are swept as new ones arrive.
  virtual void addSession(const std::string& tokenHash, std::int64_t userId, TimePoint now, TimePoint expiresAt) = 0;
  virtual std::optional<ConsoleSession> session(const std::string& tokenHash, TimePoint now) = 0;
  virtual void removeSession(const std::string& tokenHash) = 0;
  // Every session of the user but the one kept (empty: all).
  virtual void removeSessionsOf(std::int64_t userId, const std::string& keptTokenHash) = 0;

  virtual void appendAudit(const AuditEntry& entry) = 0;
  // Newest first, ids below `before` when given.
  virtual std::vector<AuditEntry> audit(std::optional<std::int64_t> before, std::size_t limit) = 0;

  // Removes a placement with its draft and versions; its votes and events stay. False when absent.
  virtual bool deletePlacement(std::int64_t appId, std::string_view placementKey, ContentKind kind) = 0;

  // Service events and votes of an app, in days whose bounds are `dayStarts` (n + 1 instants for
  // n days, ascending).
  virtual DayCounts dayCounts(std::int64_t appId, const std::vector<TimePoint>& dayStarts) = 0;
};

std::string_view roleName(Role role);
std::optional<Role> roleNamed(std::string_view name);

}  // namespace orvane::service::storage
