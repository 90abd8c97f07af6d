#pragma once

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "storage/store.h"

namespace orvane::service::storage {

enum class SqlEngine { sqlite, postgresql };

// A failed statement. `kind` lets callers retry conflicts and report duplicates.
class SqlError : public StoreError {
 public:
  enum class Kind { other, constraint, conflict, connection };
  SqlError(Kind kind, const std::string& message) : StoreError(message), kind_(kind) {}
  Kind kind() const { return kind_; }

 private:
  Kind kind_;
};

using SqlValue = std::variant<std::nullptr_t, std::int64_t, double, std::string_view>;

// Every cell as the engine's text, so both engines read the same way.
class SqlResult {
 public:
  SqlResult() = default;
  SqlResult(std::size_t columns, std::vector<std::optional<std::string>> cells, std::int64_t affected)
      : columns_(columns), cells_(std::move(cells)), affected_(affected) {}

  std::size_t size() const { return columns_ == 0 ? 0 : cells_.size() / columns_; }
  bool empty() const { return size() == 0; }
  std::int64_t affected() const { return affected_; }

  bool isNull(std::size_t row, std::size_t column) const { return !cell(row, column).has_value(); }
  const std::string& text(std::size_t row, std::size_t column) const;
  std::int64_t integer(std::size_t row, std::size_t column) const;
  std::optional<std::int64_t> optionalInteger(std::size_t row, std::size_t column) const;
  std::optional<double> optionalReal(std::size_t row, std::size_t column) const;

 private:
  const std::optional<std::string>& cell(std::size_t row, std::size_t column) const;

  std::size_t columns_ = 0;
  std::vector<std::optional<std::string>> cells_;
  std::int64_t affected_ = 0;
};

// One connection, used by one thread at a time. Statements use `?` placeholders on both engines
// and are prepared once per connection.
class SqlConnection {
 public:
  virtual ~SqlConnection() = default;
  virtual SqlEngine engine() const = 0;
  virtual SqlResult run(std::string_view sql, const std::vector<SqlValue>& parameters) = 0;
  // Statements without parameters, possibly several separated by semicolons.
  virtual void executeScript(const std::string& sql) = 0;
  virtual void beginWrite() = 0;
  // False when the connection is known to be lost; reconnect() then tries again.
  virtual bool healthy() = 0;
  virtual void reconnect() = 0;

  SqlResult run(std::string_view sql, std::initializer_list<SqlValue> parameters = {}) {
    return run(sql, std::vector<SqlValue>(parameters));
  }
  void commit() { executeScript("COMMIT"); }
  void rollback() { executeScript("ROLLBACK"); }
};

std::unique_ptr<SqlConnection> connectSqlite(const std::string& path);
std::unique_ptr<SqlConnection> connectPostgres(const std::string& url);

inline std::int64_t toMillis(TimePoint time) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(time.time_since_epoch()).count();
}
inline TimePoint fromMillis(std::int64_t millis) { return TimePoint(std::chrono::milliseconds(millis)); }

}  // namespace orvane::service::storage
