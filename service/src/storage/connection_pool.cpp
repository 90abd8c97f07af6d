#include "storage/connection_pool.h"

namespace orvane::service::storage {

ConnectionPool::ConnectionPool(Connect connect, std::size_t size, bool serializeWrites)
    : connect_(std::move(connect)), size_(size), serializeWrites_(serializeWrites) {}

std::unique_ptr<SqlConnection> ConnectionPool::acquire(bool& reused) {
  std::unique_ptr<SqlConnection> connection;
  {
    std::unique_lock lock(mutex_);
    available_.wait(lock, [&] { return !idle_.empty() || created_ < size_; });
    if (!idle_.empty()) {
      connection = std::move(idle_.back());
      idle_.pop_back();
      reused = true;
    } else {
      ++created_;
    }
  }
  try {
    if (!connection) {
      connection = connect_();
    } else if (!connection->healthy()) {
      // Known lost (a failed statement saw it go): a new session before anyone uses it.
      connection->reconnect();
    }
  } catch (const SqlError& error) {
    giveBack(std::move(connection));
    if (error.kind() == SqlError::Kind::connection) throw StoreUnavailable(error.what());
    throw;
  } catch (...) {
    giveBack(std::move(connection));
    throw;
  }
  return connection;
}

void ConnectionPool::giveBack(std::unique_ptr<SqlConnection> connection) {
  if (connection) {
    release(std::move(connection));
  } else {
    std::lock_guard lock(mutex_);
    --created_;
    available_.notify_one();
  }
}

void ConnectionPool::Lease::reconnect() {
  try {
    connection_->reconnect();
  } catch (const SqlError& error) {
    if (error.kind() == SqlError::Kind::connection) throw StoreUnavailable(error.what());
    throw;
  }
}

void ConnectionPool::release(std::unique_ptr<SqlConnection> connection) {
  std::lock_guard lock(mutex_);
  idle_.push_back(std::move(connection));
  available_.notify_one();
}

void ConnectionPool::rollbackQuietly(SqlConnection& connection) {
  try {
    connection.rollback();
  } catch (const StoreError&) {
    // A lost connection has no transaction left to end.
  }
}

}  // namespace orvane::service::storage
