#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include <orvane/platform/clock.h>

namespace orvane {

// What the cache knows of an entry besides its bytes.
struct DiskCacheRecord {
  // The validator to revalidate with; empty when there is none.
  std::string etag;
  Date storedAt;
  std::chrono::seconds freshFor{0};
  bool usableWhenStale = true;
  // The entry's bytes; filled in by the cache.
  std::uint64_t size = 0;

  bool isFresh(Date now) const { return now >= storedAt && now - storedAt < freshFor; }
};

struct DiskCacheOptions {
  // Past this total the least recently used entries go, down to three quarters of it.
  std::uint64_t maxBytes = std::uint64_t{256} << 20;
  // Writes all of `bytes` to the open file; 0 or the errno that stopped it. The default loops over
  // write(2); tests put a full disk here.
  std::function<int(int fd, std::string_view bytes)> write;
};

// Whole files by key (a URL, or any text) in one folder, kept across restarts and shared by every
// process of the app that uses the same folder. Every call may block on the disk: call from a
// worker, never the main thread. Safe from any thread.
//
// No lock and no index: each entry is one file named after the SHA-256 of its key, written to a
// temporary file and renamed over its name, so readers see the old entry or the new one, never
// half of one. The entry's own trailer holds its key, record and length, and a reader checks all
// three, so a truncated, foreign or damaged file reads as a miss (and is removed) instead of as
// content. Recency is the file's modification time, set again on every hit; once the files in the
// folder pass the bound the oldest are removed. A disk that is full or read-only makes writes fail
// (false), never the callers: they go on with the bytes they have.
class DiskCache {
 public:
  DiskCache(std::filesystem::path folder, DiskCacheOptions options = {});

  // The one instance of this process for `folder`, so that its users share one count of the
  // folder's size; alive while anyone holds it.
  static std::shared_ptr<DiskCache> forFolder(const std::filesystem::path& folder);

  const std::filesystem::path& folder() const { return folder_; }
  // Takes effect at the next write.
  void setMaxBytes(std::uint64_t maxBytes) { maxBytes_ = maxBytes; }
  std::uint64_t maxBytes() const { return maxBytes_; }

  // The entry's record after checking the file whole; absent when there is none fit to use.
  std::optional<DiskCacheRecord> find(std::string_view key);
  struct Entry {
    DiskCacheRecord record;
    std::string bytes;
  };
  // The whole entry, which becomes the most recently used.
  std::optional<Entry> read(std::string_view key);
  // At most `length` bytes of the entry from `offset` (fewer at its end, none past it).
  std::optional<std::string> readRange(std::string_view key, std::uint64_t offset, std::size_t length);

  // Replaces the key's entry; false when it was not kept (too large for the bound, disk full).
  bool store(std::string_view key, std::string_view bytes, DiskCacheRecord record);
  // The same bytes under a new record, as after a revalidation; false when there is no entry.
  bool refresh(std::string_view key, DiskCacheRecord record);
  void remove(std::string_view key);

  // An entry written piece by piece, as its bytes arrive (a video as it streams); nobody sees it
  // before commit(), and one dropped uncommitted leaves nothing behind. It must not outlive its cache.
  class Writer {
   public:
    ~Writer();
    Writer(const Writer&) = delete;
    Writer& operator=(const Writer&) = delete;
    // False once anything failed or the entry outgrew the bound; later calls do nothing then.
    bool append(std::string_view bytes);
    bool commit();

   private:
    friend class DiskCache;
    Writer(DiskCache& cache, std::string key, DiskCacheRecord record, int fd,
           std::filesystem::path temporary);
    void abandon();

    DiskCache& cache_;
    std::string key_;
    DiskCacheRecord record_;
    int fd_;
    std::filesystem::path temporary_;
    std::uint64_t written_ = 0;
  };
  // Null when the folder cannot be written.
  std::unique_ptr<Writer> startWriting(std::string_view key, DiskCacheRecord record);

  // The bytes the folder's entries take now, as counted on disk.
  std::uint64_t bytesOnDisk() const;

 private:
  struct OpenEntry;
  std::optional<OpenEntry> open(std::string_view key);
  void discard(const OpenEntry& entry);
  std::filesystem::path pathOf(std::string_view key) const;
  std::optional<std::pair<int, std::filesystem::path>> createTemporary();
  bool install(int fd, const std::filesystem::path& temporary, std::string_view key);
  int writeAll(int fd, std::string_view bytes) const;
  void trimToBound();

  std::filesystem::path folder_;
  std::function<int(int, std::string_view)> write_;
  std::atomic<std::uint64_t> maxBytes_;
  std::mutex mutex_;
  // What this process believes the folder holds; other processes' writes are found at each trim.
  std::optional<std::uint64_t> knownBytes_;
  std::atomic<std::uint64_t> lastTemporary_{0};
};

}  // namespace orvane
