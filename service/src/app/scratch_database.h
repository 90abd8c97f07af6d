#pragma once

#include <filesystem>
#include <string>

namespace orvane::service {

// A database of the in-process service's own, gone with it: a SQLite file in a folder of its own,
// or, when `server` names a PostgreSQL server ("postgresql://..."), a new database created there.
class ScratchDatabase {
 public:
  // Throws std::runtime_error when the database cannot be made.
  explicit ScratchDatabase(const std::string& server = {});
  ~ScratchDatabase();

  ScratchDatabase(const ScratchDatabase&) = delete;
  ScratchDatabase& operator=(const ScratchDatabase&) = delete;

  const std::string& url() const { return url_; }

 private:
  std::string server_;
  std::string name_;  // the PostgreSQL database's
  std::filesystem::path folder_;  // the SQLite file's
  std::string url_;
};

}  // namespace orvane::service
