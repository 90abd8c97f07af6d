#include "scratch_database.h"

#include <libpq-fe.h>
#include <unistd.h>

#include <atomic>
#include <memory>
#include <stdexcept>

namespace orvane::service {
namespace {

std::string uniqueName(const char* prefix) {
  static std::atomic<int> counter{0};
  return std::string(prefix) + std::to_string(::getpid()) + "_" + std::to_string(counter++);
}

// Runs one statement on the server's default database.
void runOnServer(const std::string& server, const std::string& statement) {
  std::unique_ptr<PGconn, decltype(&PQfinish)> connection(PQconnectdb(server.c_str()), &PQfinish);
  if (PQstatus(connection.get()) != CONNECTION_OK)
    throw std::runtime_error("Cannot reach PostgreSQL: " + std::string(PQerrorMessage(connection.get())));
  std::unique_ptr<PGresult, decltype(&PQclear)> result(PQexec(connection.get(), statement.c_str()), &PQclear);
  if (PQresultStatus(result.get()) != PGRES_COMMAND_OK)
    throw std::runtime_error(statement + ": " + std::string(PQerrorMessage(connection.get())));
}

// The server's URL with its database replaced: "postgresql://u@h:5432/postgres?host=/run" and
// "x" give "postgresql://u@h:5432/x?host=/run".
std::string withDatabase(const std::string& server, const std::string& name) {
  const auto authority = server.find("://");
  const auto start = authority == std::string::npos ? 0 : authority + 3;
  const auto pathStart = server.find_first_of("/?", start);
  const auto queryStart = server.find('?', start);
  return server.substr(0, pathStart == std::string::npos ? server.size() : pathStart) + "/" + name +
         (queryStart == std::string::npos ? "" : server.substr(queryStart));
}

}  // namespace

ScratchDatabase::ScratchDatabase(const std::string& server) : server_(server) {
  if (server_.rfind("postgres", 0) == 0) {
    name_ = uniqueName("orvane_scratch_");
    runOnServer(server_, "CREATE DATABASE " + name_);
    url_ = withDatabase(server_, name_);
    return;
  }
  folder_ = std::filesystem::temp_directory_path() / uniqueName("orvane-content-service-");
  std::filesystem::remove_all(folder_);
  std::filesystem::create_directories(folder_);
  url_ = "sqlite:" + (folder_ / "content.sqlite").string();
}

ScratchDatabase::~ScratchDatabase() {
  if (!name_.empty()) {
    try {
      runOnServer(server_, "DROP DATABASE IF EXISTS " + name_ + " WITH (FORCE)");
    } catch (const std::exception&) {
      // A server already gone takes the database with it.
    }
  }
  if (!folder_.empty()) {
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }
}

}  // namespace orvane::service
