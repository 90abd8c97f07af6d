#pragma once

#include <orvane/export.h>

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <stop_token>
#include <string>

#include <orvane/platform/http.h>
#include <orvane/platform/url.h>

namespace orvane {

struct ORVANE_EXPORT VideoStreamOptions {
  // The most a video holds at once: the bytes kept plus the answer on its way.
  std::size_t memoryBytes = std::size_t{16} << 20;
  // Bytes asked for by each request; the first asks for fewer, so a picture shows sooner.
  std::size_t rangeBytes = std::size_t{1} << 20;
  std::size_t firstRangeBytes = std::size_t{512} << 10;
  // A movie box larger than this is refused rather than held whole to be checked.
  std::size_t largestMovieBox = std::size_t{4} << 20;
  // Failed requests in a row before the video is given up.
  int attempts = 3;
};

// One video file, fetched in HTTP ranges over the SDK's own transport while it plays, never whole:
// the range at the reading position first, then ahead of it, within a bounded memory window that
// lets go of what lies farthest from the reader. One request at a time, however many readers.
//
// Before any byte may be read the file is checked the way a whole download was: a self-contained
// container (MP4/QuickTime, Matroska/WebM, AVI), and for MP4 its movie box, wherever it lies in the
// file, free of references to media outside it. A server that ignores ranges (200) is served from
// its whole answer when that fits the window and refused otherwise; an answer whose Content-Range
// is not the range asked for, or whose file changes size, fails the stream. Failed requests resume
// from where they stopped.
//
// Thread-safe. Readers block (on the media backend's thread) until their bytes arrive; listeners
// hear of every change of state() and waiting() on whichever thread it happens.
class ORVANE_EXPORT VideoStream : public std::enable_shared_from_this<VideoStream> {
 public:
  using Options = VideoStreamOptions;
  enum class State { opening, ready, failed };

  static std::shared_ptr<VideoStream> create(Url url, std::shared_ptr<HttpSession> session, Options options = {});
  // Cancels the request on its way and wakes every reader.
  ~VideoStream();
  VideoStream(const VideoStream&) = delete;
  VideoStream& operator=(const VideoStream&) = delete;

  const Url& url() const { return url_; }
  State state() const;
  // Why the stream failed, for the log; empty while it has not.
  std::string failure() const;
  // The file's size, once known.
  std::optional<std::uint64_t> size() const;
  // Whether a reader waits for bytes that are not here yet: playback has stalled.
  bool waiting() const;
  // What the stream holds now, and the most it ever held, answers on their way included.
  std::size_t heldBytes() const;
  std::size_t peakHeldBytes() const;

  // Starts fetching (the first call; later ones do nothing).
  void start();
  // Has the first `bytes` fetched even before anyone reads: the start of a page yet to come.
  void fetchAhead(std::size_t bytes);

  // Copies up to `capacity` bytes from `offset`, waiting up to `patience` for them to arrive.
  // Returns how many were copied: 0 at the end of the file or when the wait ran out, -1 once the
  // stream has failed or `abandon` was stopped.
  std::int64_t read(std::uint64_t offset, char* into, std::size_t capacity, std::stop_token abandon,
                    std::chrono::milliseconds patience);

  // Called on any thread, outside the stream's lock; remove before the listener goes.
  int addListener(std::function<void()> listener);
  void removeListener(int id);

 private:
  struct Range {
    std::uint64_t first = 0;
    std::uint64_t length = 0;
  };

  VideoStream(Url url, std::shared_ptr<HttpSession> session, Options options);

  // Sends the next request when one is due and none is on its way.
  void pump();
  std::optional<Range> nextRangeLocked();
  std::optional<Range> verificationRangeLocked();
  std::optional<Range> firstGapLocked(std::uint64_t from, std::uint64_t to) const;
  bool makeRoomLocked(std::uint64_t keepFrom, std::uint64_t keepTo, std::uint64_t needed);
  void receive(Range asked, const HttpResult& result);
  // Whether the answer was taken; sets the failure otherwise.
  bool storeLocked(Range asked, const HttpResult& result);
  void failLocked(std::string why);
  // Copies [first, first + length) when all of it is held.
  std::optional<std::string> copyLocked(std::uint64_t first, std::uint64_t length) const;
  std::uint64_t heldFromLocked(std::uint64_t offset) const;
  void notify();

  const Url url_;
  // Every range comes through here and is stored by storeLocked(): the one place a disk tier that
  // keeps finished ranges across restarts would answer from and fill.
  const std::shared_ptr<HttpSession> session_;
  const Options options_;

  mutable std::mutex mutex_;
  std::condition_variable_any arrived_;
  State state_ = State::opening;
  std::string failure_;
  bool started_ = false;
  std::optional<std::uint64_t> size_;
  std::optional<std::string> etag_;
  // Whether the server answers ranges; a whole-file answer is kept whole and never let go.
  bool whole_ = false;
  // Non-overlapping pieces of the file by their first byte.
  std::map<std::uint64_t, std::string> pieces_;
  std::size_t held_ = 0;
  // The most the answer on its way may bring.
  std::size_t reserved_ = 0;
  std::size_t peak_ = 0;
  std::optional<Range> inFlight_;
  std::stop_source cancel_;
  int failuresInRow_ = 0;
  // Where the last read started, once anyone has read.
  std::optional<std::uint64_t> readPosition_;
  std::uint64_t fetchAhead_ = 0;
  int waitingReaders_ = 0;
  // The MP4 check: the top-level box it has reached, and how many it has passed.
  bool verified_ = false;
  std::uint64_t boxAt_ = 0;
  int boxesPassed_ = 0;

  std::mutex listenersMutex_;
  std::map<int, std::function<void()>> listeners_;
  int nextListener_ = 0;
};

}  // namespace orvane
