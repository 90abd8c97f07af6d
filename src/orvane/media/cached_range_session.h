#pragma once

#include <cstddef>
#include <cstdint>
#include <list>
#include <memory>
#include <mutex>
#include <string>

#include <orvane/platform/clock.h>
#include <orvane/platform/http.h>
#include <orvane/storage/disk_cache.h>

namespace orvane {

class WorkerPool;

// The disk beneath video streams: a range of a file kept whole and fresh is answered from the disk
// (a 206 of its bytes, on a worker) without asking the network; every other request goes to the
// network, and a file's ranges that arrive in order from its first byte are written to the disk
// as they pass, the entry becoming visible once its last byte is written. A stale entry is not
// revalidated: its ranges are fetched again, and the file that arrives replaces it.
//
// Nothing half is ever kept: a file that changes size or ETag on the way, answers with no-store or
// whole (200), or would take more than a quarter of the cache is not written; a file read out of
// order is written only up to where the order broke, and forgotten once newer files push it out.
class CachedRangeSession final : public HttpSession, public std::enable_shared_from_this<CachedRangeSession> {
 public:
  // Files being written at once; the oldest is given up for a new one.
  static constexpr std::size_t kFilesBeingWritten = 4;

  static std::shared_ptr<CachedRangeSession> create(std::shared_ptr<HttpSession> network,
                                                    std::shared_ptr<DiskCache> disk,
                                                    std::shared_ptr<WorkerPool> workers,
                                                    std::shared_ptr<Clock> clock);

  void send(HttpRequest request, std::function<void(HttpResult)> completion) override;

 private:
  struct Filling {
    std::string key;
    std::uint64_t total = 0;
    std::string etag;
    std::unique_ptr<DiskCache::Writer> writer;
    std::uint64_t written = 0;
  };

  CachedRangeSession(std::shared_ptr<HttpSession> network, std::shared_ptr<DiskCache> disk,
                     std::shared_ptr<WorkerPool> workers, std::shared_ptr<Clock> clock);

  // Runs on a worker: the kept answer, or the network's.
  void answer(HttpRequest request, std::function<void(HttpResult)> completion);
  std::optional<HttpResult> keptRange(const std::string& key, const HttpRequest& request);
  // Runs on the transport's thread, before the answer goes on to the stream.
  void keep(const std::string& key, const HttpResult& result);
  std::unique_ptr<Filling> takeFilling(const std::string& key);
  void putBack(std::unique_ptr<Filling> filling);

  const std::shared_ptr<HttpSession> network_;
  const std::shared_ptr<DiskCache> disk_;
  // Weakly: the platform owns the pool, and a task letting go of this session must not take the
  // pool with it from inside one of its own threads.
  const std::weak_ptr<WorkerPool> workers_;
  const std::shared_ptr<Clock> clock_;

  std::mutex mutex_;
  // The files being written, the most recently touched last; each is taken out while it is used.
  std::list<std::unique_ptr<Filling>> fillings_;
};

}  // namespace orvane
