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
  // Reads are tried again once on a new session when the connection they got was cut, as every
  // idle connection is after a database restart.
  template <class Work>
  auto read(Work&& work) {
    Lease lease(*this);
    try {
      return work(lease.connection());
    } catch (const SqlError& error) {
      if (error.kind() != SqlError::Kind::connection) throw;
      if (!lease.reused()) throw StoreUnavailable(error.what());
    }
    lease.reconnect();
    try {
      return work(lease.connection());
    } catch (const SqlError& error) {
      if (error.kind() == SqlError::Kind::connection) throw StoreUnavailable(error.what());
      throw;
    }
  }

  // A write whose connection is found cut at BEGIN, before anything was sent, runs again on a new
  // session; one cut later may have committed or not, and is reported as StoreUnavailable.
  template <class Work>
  auto write(Work&& work) {
    std::unique_lock<std::mutex> writer(writerMutex_, std::defer_lock);
    if (serializeWrites_) writer.lock();
    Lease lease(*this);
    for (int attempt = 1;; ++attempt) {
      SqlConnection& connection = lease.connection();
      try {
        connection.beginWrite();
      } catch (const SqlError& error) {
        if (error.kind() != SqlError::Kind::connection) throw;
        if (!lease.reused() || attempt > 1) throw StoreUnavailable(error.what());
        lease.reconnect();
        continue;
      }
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
        if (error.kind() == SqlError::Kind::connection) throw StoreUnavailable(error.what());
        if (error.kind() != SqlError::Kind::conflict || attempt >= maxAttempts) throw;
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
    explicit Lease(ConnectionPool& pool) : pool_(pool), connection_(pool.acquire(reused_)) {}
    ~Lease() { pool_.release(std::move(connection_)); }
    Lease(const Lease&) = delete;
    Lease& operator=(const Lease&) = delete;
    SqlConnection& connection() { return *connection_; }
    // Taken from the idle ones rather than opened for this lease.
    bool reused() const { return reused_; }
    // A new session on the same connection; StoreUnavailable when the database is not back.
    void reconnect();

   private:
    ConnectionPool& pool_;
    bool reused_ = false;
    std::unique_ptr<SqlConnection> connection_;
  };

  std::unique_ptr<SqlConnection> acquire(bool& reused);
  void release(std::unique_ptr<SqlConnection> connection);
  // A connection that failed to start: back to the idle ones, or its place freed when it never opened.
  void giveBack(std::unique_ptr<SqlConnection> connection);
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
