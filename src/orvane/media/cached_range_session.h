#pragma once

#include <cstddef>
#include <cstdint>
#include <list>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include <orvane/platform/clock.h>
#include <orvane/platform/http.h>
#include <orvane/storage/disk_cache.h>

namespace orvane {

class WorkerPool;

// The disk beneath video streams: a range of a file kept whole and fresh is answered from the disk
// (a 206 of its bytes, on a worker) without asking the network; every other request goes to the
// network, and a file's ranges that arrive in order from its first byte are written to the disk
// as they pass, the entry becoming visible once its last byte is written. A range of a stale file
// is asked for with its ETag: a 304 answers it from the disk and starts the file's life anew, and
// another file that arrives replaces it. While the origin cannot be reached, a stale file its
// origin allowed that for is played from the disk.
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

  // "bytes=FIRST-LAST", the one form of Range a stream asks with.
  struct AskedRange {
    std::uint64_t first = 0;
    std::uint64_t last = 0;
  };

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
  // The network's answer, written to the disk as it passes when it is a range.
  void fetch(HttpRequest request, std::string key, std::optional<AskedRange> range,
             std::function<void(HttpResult)> completion);
  // The bytes of a kept file standing for the exchange's answer: on a 304, or while the origin
  // cannot be reached and the file may be played stale. On the transport's thread, as keep is: a
  // range is at most what a stream asks for at once.
  std::optional<HttpResult> keptAnswer(const std::string& key, const DiskCacheRecord& kept, AskedRange range,
                                       const HttpResult& exchange);
  std::optional<HttpResult> rangeFromDisk(const std::string& key, const DiskCacheRecord& record, AskedRange range);
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
