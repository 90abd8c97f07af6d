#include <libpq-fe.h>

#include <charconv>
#include <cstdlib>
#include <cstring>
#include <unordered_map>

#include "storage/sql_connection.h"

namespace orvane::service::storage {
namespace {

struct ResultDeleter {
  void operator()(PGresult* result) const { PQclear(result); }
};
using Result = std::unique_ptr<PGresult, ResultDeleter>;

// "?" becomes "$1", "$2"...; quoted literals are left alone.
std::string numberedPlaceholders(std::string_view sql) {
  std::string out;
  out.reserve(sql.size() + 16);
  int next = 1;
  bool quoted = false;
  for (char c : sql) {
    if (c == '\'') quoted = !quoted;
    if (c == '?' && !quoted) {
      out += '$';
      out += std::to_string(next++);
    } else {
      out += c;
    }
  }
  return out;
}

class PostgresConnection final : public SqlConnection {
 public:
  explicit PostgresConnection(const std::string& url) : connection_(open(url)) {
    if (!connection_) throw SqlError(SqlError::Kind::connection, "PostgreSQL: out of memory");
    if (PQstatus(connection_) != CONNECTION_OK) {
      std::string reason = PQerrorMessage(connection_);
      PQfinish(connection_);
      throw SqlError(SqlError::Kind::connection, "cannot connect to PostgreSQL: " + trimmed(reason));
    }
    // Notices ("already exists, skipping") are not errors and would only clutter the service's output.
    PQsetNoticeProcessor(
        connection_, [](void*, const char*) {}, nullptr);
  }

  ~PostgresConnection() override { PQfinish(connection_); }
  PostgresConnection(const PostgresConnection&) = delete;
  PostgresConnection& operator=(const PostgresConnection&) = delete;

  SqlEngine engine() const override { return SqlEngine::postgresql; }

  SqlResult run(std::string_view sql, const std::vector<SqlValue>& parameters) override {
    const std::string& name = prepared(sql);
    std::vector<std::string> texts(parameters.size());
    std::vector<const char*> values(parameters.size(), nullptr);
    for (std::size_t i = 0; i < parameters.size(); ++i) {
      const SqlValue& value = parameters[i];
      if (auto* integer = std::get_if<std::int64_t>(&value)) {
        texts[i] = std::to_string(*integer);
      } else if (auto* real = std::get_if<double>(&value)) {
        char buffer[64];
        auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, *real);
        texts[i].assign(buffer, end);
      } else if (auto* text = std::get_if<std::string_view>(&value)) {
        if (text->find('\0') != std::string_view::npos) {
          throw SqlError(SqlError::Kind::other, "PostgreSQL cannot store a text holding a NUL character");
        }
        texts[i].assign(*text);
      } else {
        continue;
      }
      values[i] = texts[i].c_str();
    }
    Result result(PQexecPrepared(connection_, name.c_str(), static_cast<int>(values.size()), values.data(),
                                 nullptr, nullptr, 0));
    check(result.get());
    const auto rows = static_cast<std::size_t>(PQntuples(result.get()));
    const auto columns = static_cast<std::size_t>(PQnfields(result.get()));
    std::vector<std::optional<std::string>> cells;
    cells.reserve(rows * columns);
    for (std::size_t r = 0; r < rows; ++r) {
      for (std::size_t c = 0; c < columns; ++c) {
        const int row = static_cast<int>(r), column = static_cast<int>(c);
        if (PQgetisnull(result.get(), row, column)) {
          cells.emplace_back();
        } else {
          cells.emplace_back(std::string(PQgetvalue(result.get(), row, column),
                                         static_cast<std::size_t>(PQgetlength(result.get(), row, column))));
        }
      }
    }
    const char* affected = PQcmdTuples(result.get());
    return SqlResult(columns, std::move(cells), affected && *affected ? std::atoll(affected) : 0);
  }

  void executeScript(const std::string& sql) override {
    Result result(PQexec(connection_, sql.c_str()));
    check(result.get());
  }

  void beginWrite() override { executeScript("BEGIN"); }

  bool healthy() override { return PQstatus(connection_) == CONNECTION_OK; }

  void reconnect() override {
    statements_.clear();  // a new session knows none of the old one's prepared statements
    PQreset(connection_);
    if (PQstatus(connection_) != CONNECTION_OK) {
      throw SqlError(SqlError::Kind::connection,
                     "PostgreSQL unreachable: " + trimmed(PQerrorMessage(connection_)));
    }
  }

 private:
  // A server that does not answer (a host down, a dropped packet) fails the connection after a few
  // seconds rather than holding a request thread; the URL's own connect_timeout wins.
  static PGconn* open(const std::string& url) {
    const char* keywords[] = {"connect_timeout", "dbname", nullptr};
    const char* values[] = {"5", url.c_str(), nullptr};
    return PQconnectdbParams(keywords, values, 1);
  }

  const std::string& prepared(std::string_view sql) {
    auto found = statements_.find(std::string(sql));
    if (found != statements_.end()) return found->second;
    std::string name = "s" + std::to_string(statements_.size());
    Result result(PQprepare(connection_, name.c_str(), numberedPlaceholders(sql).c_str(), 0, nullptr));
    check(result.get());
    return statements_.emplace(std::string(sql), std::move(name)).first->second;
  }

  void check(PGresult* result) {
    auto status = result ? PQresultStatus(result) : PGRES_FATAL_ERROR;
    if (status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK) return;
    const char* state = result ? PQresultErrorField(result, PG_DIAG_SQLSTATE) : nullptr;
    std::string message = trimmed(result ? PQresultErrorMessage(result) : PQerrorMessage(connection_));
    SqlError::Kind kind = SqlError::Kind::other;
    if (PQstatus(connection_) != CONNECTION_OK || (state && std::strncmp(state, "08", 2) == 0)) {
      kind = SqlError::Kind::connection;
    } else if (state && std::strncmp(state, "23", 2) == 0) {
      kind = SqlError::Kind::constraint;
    } else if (state && (std::strcmp(state, "40001") == 0 || std::strcmp(state, "40P01") == 0)) {
      kind = SqlError::Kind::conflict;
    }
    throw SqlError(kind, "PostgreSQL: " + message);
  }

  static std::string trimmed(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
    return text;
  }

  PGconn* connection_;
  std::unordered_map<std::string, std::string> statements_;
};

}  // namespace

std::unique_ptr<SqlConnection> connectPostgres(const std::string& url) {
  return std::make_unique<PostgresConnection>(url);
}

}  // namespace orvane::service::storage
