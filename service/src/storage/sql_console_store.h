#pragma once

#include "storage/connection_pool.h"
#include "storage/console_store.h"

namespace orvane::service::storage {

class SqlConsoleStore final : public ConsoleStore {
 public:
  explicit SqlConsoleStore(ConnectionPool& pool) : pool_(pool) {}

  std::optional<ConsoleUser> createUser(const std::string& name, Role role, const std::string& passwordHash,
                                        TimePoint now) override;
  std::optional<ConsoleUser> userNamed(std::string_view name) override;
  std::vector<ConsoleUser> users() override;
  UserChange updateUser(std::string_view name, std::optional<Role> role,
                        const std::optional<std::string>& passwordHash) override;
  UserChange removeUser(std::string_view name) override;

  void addSession(const std::string& tokenHash, std::int64_t userId, TimePoint now, TimePoint expiresAt) override;
  std::optional<ConsoleSession> session(const std::string& tokenHash, TimePoint now) override;
  void removeSession(const std::string& tokenHash) override;
  void removeSessionsOf(std::int64_t userId, const std::string& keptTokenHash) override;

  void appendAudit(const AuditEntry& entry) override;
  std::vector<AuditEntry> audit(std::optional<std::int64_t> before, std::size_t limit) override;

  bool deletePlacement(std::int64_t appId, std::string_view placementKey, ContentKind kind) override;

  DayCounts dayCounts(std::int64_t appId, const std::vector<TimePoint>& dayStarts) override;

 private:
  ConnectionPool& pool_;
};

}  // namespace orvane::service::storage
