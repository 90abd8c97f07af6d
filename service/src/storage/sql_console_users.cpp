#include "storage/sql_console_store.h"
#include "storage/sql_store.h"

namespace orvane::service::storage {
namespace {

constexpr std::string_view userColumns = "id, name, role, password_hash, created_at";

std::vector<ConsoleUser> usersOf(const SqlResult& result, std::size_t firstColumn = 0) {
  std::vector<ConsoleUser> users;
  for (std::size_t row = 0; row < result.size(); ++row) {
    const std::size_t c = firstColumn;
    users.push_back(ConsoleUser{result.integer(row, c), result.text(row, c + 1),
                                roleNamed(result.text(row, c + 2)).value_or(Role::viewer), result.text(row, c + 3),
                                fromMillis(result.integer(row, c + 4))});
  }
  return users;
}

bool wouldLeaveNoOwner(SqlConnection& connection, std::int64_t userId) {
  return connection
      .run("SELECT 1 FROM console_users WHERE role = 'owner' AND id <> ? LIMIT 1", {userId})
      .empty();
}

}  // namespace

std::string_view roleName(Role role) {
  switch (role) {
    case Role::owner: return "owner";
    case Role::editor: return "editor";
    case Role::viewer: return "viewer";
  }
  return "viewer";
}

std::optional<Role> roleNamed(std::string_view name) {
  if (name == "owner") return Role::owner;
  if (name == "editor") return Role::editor;
  if (name == "viewer") return Role::viewer;
  return std::nullopt;
}

std::optional<ConsoleUser> SqlConsoleStore::createUser(const std::string& name, Role role,
                                                       const std::string& passwordHash, TimePoint now) {
  try {
    return pool_.write([&](SqlConnection& connection) -> std::optional<ConsoleUser> {
      if (!connection.run("SELECT 1 FROM console_users WHERE name = ?", {name}).empty()) return std::nullopt;
      SqlResult result = connection.run(
          "INSERT INTO console_users (name, role, password_hash, created_at, updated_at) VALUES (?, ?, ?, ?, ?) "
          "RETURNING id",
          {name, roleName(role), passwordHash, toMillis(now), toMillis(now)});
      return ConsoleUser{result.integer(0, 0), name, role, passwordHash,
                         std::chrono::time_point_cast<std::chrono::milliseconds>(now)};
    });
  } catch (const SqlError& error) {
    if (error.kind() == SqlError::Kind::constraint) return std::nullopt;  // created meanwhile
    throw;
  }
}

std::optional<ConsoleUser> SqlConsoleStore::userNamed(std::string_view name) {
  auto users = usersOf(pool_.read([&](SqlConnection& connection) {
    return connection.run("SELECT " + std::string(userColumns) + " FROM console_users WHERE name = ?", {name});
  }));
  if (users.empty()) return std::nullopt;
  return std::move(users.front());
}

std::vector<ConsoleUser> SqlConsoleStore::users() {
  return usersOf(pool_.read([&](SqlConnection& connection) {
    return connection.run("SELECT " + std::string(userColumns) + " FROM console_users ORDER BY name");
  }));
}

UserChange SqlConsoleStore::updateUser(std::string_view name, std::optional<Role> role,
                                       const std::optional<std::string>& passwordHash) {
  return pool_.write([&](SqlConnection& connection) {
    SqlResult found = connection.run("SELECT id, role FROM console_users WHERE name = ?", {name});
    if (found.empty()) return UserChange::noSuchUser;
    const std::int64_t id = found.integer(0, 0);
    if (role && *role != Role::owner && found.text(0, 1) == "owner" && wouldLeaveNoOwner(connection, id))
      return UserChange::lastOwner;
    const auto now = toMillis(std::chrono::system_clock::now());
    if (role) connection.run("UPDATE console_users SET role = ?, updated_at = ? WHERE id = ?", {roleName(*role), now, id});
    if (passwordHash)
      connection.run("UPDATE console_users SET password_hash = ?, updated_at = ? WHERE id = ?",
                     {*passwordHash, now, id});
    return UserChange::done;
  });
}

UserChange SqlConsoleStore::removeUser(std::string_view name) {
  return pool_.write([&](SqlConnection& connection) {
    SqlResult found = connection.run("SELECT id, role FROM console_users WHERE name = ?", {name});
    if (found.empty()) return UserChange::noSuchUser;
    const std::int64_t id = found.integer(0, 0);
    if (found.text(0, 1) == "owner" && wouldLeaveNoOwner(connection, id)) return UserChange::lastOwner;
    connection.run("DELETE FROM console_sessions WHERE user_id = ?", {id});
    connection.run("DELETE FROM console_users WHERE id = ?", {id});
    return UserChange::done;
  });
}

void SqlConsoleStore::addSession(const std::string& tokenHash, std::int64_t userId, TimePoint now,
                                 TimePoint expiresAt) {
  pool_.write([&](SqlConnection& connection) {
    connection.run("DELETE FROM console_sessions WHERE expires_at <= ?", {toMillis(now)});
    connection.run("INSERT INTO console_sessions (token_hash, user_id, created_at, expires_at) VALUES (?, ?, ?, ?)",
                   {tokenHash, userId, toMillis(now), toMillis(expiresAt)});
  });
}

std::optional<ConsoleSession> SqlConsoleStore::session(const std::string& tokenHash, TimePoint now) {
  SqlResult result = pool_.read([&](SqlConnection& connection) {
    return connection.run(
        "SELECT s.expires_at, u.id, u.name, u.role, u.password_hash, u.created_at FROM console_sessions s "
        "JOIN console_users u ON u.id = s.user_id WHERE s.token_hash = ? AND s.expires_at > ?",
        {tokenHash, toMillis(now)});
  });
  if (result.empty()) return std::nullopt;
  return ConsoleSession{std::move(usersOf(result, 1).front()), fromMillis(result.integer(0, 0))};
}

void SqlConsoleStore::removeSession(const std::string& tokenHash) {
  pool_.write([&](SqlConnection& connection) {
    connection.run("DELETE FROM console_sessions WHERE token_hash = ?", {tokenHash});
  });
}

void SqlConsoleStore::removeSessionsOf(std::int64_t userId, const std::string& keptTokenHash) {
  pool_.write([&](SqlConnection& connection) {
    connection.run("DELETE FROM console_sessions WHERE user_id = ? AND token_hash <> ?", {userId, keptTokenHash});
  });
}

void SqlConsoleStore::appendAudit(const AuditEntry& entry) {
  pool_.write([&](SqlConnection& connection) {
    connection.run(
        "INSERT INTO audit_log (at, actor, action, target, detail, address) VALUES (?, ?, ?, ?, ?, ?)",
        {toMillis(entry.at), entry.actor, entry.action, entry.target, entry.detail, entry.address});
  });
}

std::vector<AuditEntry> SqlConsoleStore::audit(std::optional<std::int64_t> before, std::size_t limit) {
  SqlResult result = pool_.read([&](SqlConnection& connection) {
    return connection.run(
        "SELECT id, at, actor, action, target, detail, address FROM audit_log WHERE id < ? ORDER BY id DESC "
        "LIMIT ?",
        {before.value_or(std::numeric_limits<std::int64_t>::max()), static_cast<std::int64_t>(limit)});
  });
  std::vector<AuditEntry> entries;
  for (std::size_t row = 0; row < result.size(); ++row) {
    entries.push_back(AuditEntry{result.integer(row, 0), fromMillis(result.integer(row, 1)), result.text(row, 2),
                                 result.text(row, 3), result.text(row, 4), result.text(row, 5),
                                 result.text(row, 6)});
  }
  return entries;
}

bool SqlConsoleStore::deletePlacement(std::int64_t appId, std::string_view placementKey, ContentKind kind) {
  return pool_.write([&](SqlConnection& connection) {
    const bool deleted =
        connection
            .run("DELETE FROM placements WHERE app_id = ? AND placement_key = ? AND kind = ?",
                 {appId, placementKey, kindName(kind)})
            .affected() > 0;
    if (deleted) bumpContentRevision(connection);
    return deleted;
  });
}

}  // namespace orvane::service::storage
