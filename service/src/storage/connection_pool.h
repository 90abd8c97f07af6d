#pragma once

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "storage/sql_connection.h"

namespace orvane::service::storage {

// A bounded set of connections shared by request threads. Reads run side by side; writes run in
// a transaction each, retried when the engine reports a conflict. With `serializeWrites` (SQLite)
// one write runs at a time, so writers queue here instead of spinning on the file lock.
class ConnectionPool {
 public:
  using Connect = std::function<std::unique_ptr<SqlConnection>()>;
  ConnectionPool(Connect connect, std::size_t size, bool serializeWrites);

  // Outside any transaction: reads, and single statements that are a transaction by themselves.
  template <class Work>
  auto read(Work&& work) {
    Lease lease(*this);
    return work(lease.connection());
  }

  template <class Work>
  auto write(Work&& work) {
    std::unique_lock<std::mutex> writer(writerMutex_, std::defer_lock);
    if (serializeWrites_) writer.lock();
    Lease lease(*this);
    for (int attempt = 1;; ++attempt) {
      SqlConnection& connection = lease.connection();
      connection.beginWrite();
      try {
        if constexpr (std::is_void_v<decltype(work(connection))>) {
          work(connection);
          connection.commit();
          return;
        } else {
          auto result = work(connection);
          connection.commit();
          return result;
        }
      } catch (const SqlError& error) {
        rollbackQuietly(connection);
        if (error.kind() != SqlError::Kind::conflict || attempt == maxAttempts) throw;
      } catch (...) {
        rollbackQuietly(connection);
        throw;
      }
    }
  }

 private:
  static constexpr int maxAttempts = 8;

  class Lease {
   public:
    explicit Lease(ConnectionPool& pool) : pool_(pool), connection_(pool.acquire()) {}
    ~Lease() { pool_.release(std::move(connection_)); }
    Lease(const Lease&) = delete;
    Lease& operator=(const Lease&) = delete;
    SqlConnection& connection() { return *connection_; }

   private:
    ConnectionPool& pool_;
    std::unique_ptr<SqlConnection> connection_;
  };

  std::unique_ptr<SqlConnection> acquire();
  void release(std::unique_ptr<SqlConnection> connection);
  static void rollbackQuietly(SqlConnection& connection);

  Connect connect_;
  const std::size_t size_;
  const bool serializeWrites_;
  std::mutex writerMutex_;
  std::mutex mutex_;
  std::condition_variable available_;
  std::vector<std::unique_ptr<SqlConnection>> idle_;
  std::size_t created_ = 0;
};

}  // namespace orvane::service::storage
