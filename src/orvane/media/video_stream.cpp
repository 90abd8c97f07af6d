#include <orvane/media/video_stream.h>

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

#include <orvane/media/content_range.h>
#include <orvane/media/video_container.h>

namespace orvane {
namespace {

// A file with more top-level boxes than this before its movie box is not a video a service made.
constexpr int kMostBoxesBeforeMovie = 64;
constexpr std::uint64_t kLargestBoxHeader = 16;

}  // namespace

std::shared_ptr<VideoStream> VideoStream::create(Url url, std::shared_ptr<HttpSession> session, Options options) {
  return std::shared_ptr<VideoStream>(new VideoStream(std::move(url), std::move(session), options));
}

VideoStream::VideoStream(Url url, std::shared_ptr<HttpSession> session, Options options)
    : url_(std::move(url)), session_(std::move(session)), options_(options) {}

VideoStream::~VideoStream() { cancel_.request_stop(); }

VideoStream::State VideoStream::state() const {
  std::lock_guard lock(mutex_);
  return state_;
}

std::string VideoStream::failure() const {
  std::lock_guard lock(mutex_);
  return failure_;
}

std::optional<std::uint64_t> VideoStream::size() const {
  std::lock_guard lock(mutex_);
  return size_;
}

bool VideoStream::waiting() const {
  std::lock_guard lock(mutex_);
  return waitingReaders_ > 0;
}

std::size_t VideoStream::heldBytes() const {
  std::lock_guard lock(mutex_);
  return held_ + reserved_;
}

std::size_t VideoStream::peakHeldBytes() const {
  std::lock_guard lock(mutex_);
  return peak_;
}

void VideoStream::start() {
  {
    std::lock_guard lock(mutex_);
    started_ = true;
  }
  pump();
}

void VideoStream::fetchAhead(std::size_t bytes) {
  {
    std::lock_guard lock(mutex_);
    started_ = true;
    fetchAhead_ = std::max<std::uint64_t>(fetchAhead_, bytes);
  }
  pump();
}

std::int64_t VideoStream::read(std::uint64_t offset, char* into, std::size_t capacity, std::stop_token abandon,
                               std::chrono::milliseconds patience) {
  {
    std::lock_guard lock(mutex_);
    started_ = true;
    readPosition_ = offset;
  }
  pump();
  std::unique_lock lock(mutex_);
  const auto readable = [&] {
    return state_ == State::failed ||
           (state_ == State::ready && (offset >= *size_ || heldFromLocked(offset) > 0));
  };
  if (!readable() && !abandon.stop_requested()) {
    const bool first = ++waitingReaders_ == 1;
    lock.unlock();
    if (first) notify();
    lock.lock();
    arrived_.wait_for(lock, abandon, patience, readable);
    const bool last = --waitingReaders_ == 0;
    lock.unlock();
    if (last) notify();
    lock.lock();
  }
  if (abandon.stop_requested() || state_ == State::failed) return -1;
  if (state_ != State::ready || offset >= *size_) return 0;
  auto piece = pieces_.upper_bound(offset);
  if (piece == pieces_.begin()) return 0;
  --piece;
  const auto at = offset - piece->first;
  if (at >= piece->second.size()) return 0;
  const auto count = std::min<std::size_t>(capacity, piece->second.size() - static_cast<std::size_t>(at));
  std::memcpy(into, piece->second.data() + at, count);
  readPosition_ = offset + count;
  lock.unlock();
  pump();
  return static_cast<std::int64_t>(count);
}

int VideoStream::addListener(std::function<void()> listener) {
  std::lock_guard lock(listenersMutex_);
  listeners_.emplace(nextListener_, std::move(listener));
  return nextListener_++;
}

void VideoStream::removeListener(int id) {
  std::lock_guard lock(listenersMutex_);
  listeners_.erase(id);
}

void VideoStream::notify() {
  std::vector<std::function<void()>> listeners;
  {
    std::lock_guard lock(listenersMutex_);
    for (const auto& [id, listener] : listeners_) listeners.push_back(listener);
  }
  for (const auto& listener : listeners) listener();
}

void VideoStream::pump() {
  HttpRequest request{.url = url_, .headers = {}, .body = std::nullopt, .maxResponseBytes = std::nullopt};
  Range range;
  bool changed = false;
  bool send = false;
  {
    std::lock_guard lock(mutex_);
    if (!started_ || state_ == State::failed || inFlight_) return;
    const auto before = state_;
    const auto next = nextRangeLocked();
    changed = state_ != before;
    if (next) {
      send = true;
      range = *next;
      inFlight_ = range;
      // Until the server has shown it answers ranges, its answer may be the whole file.
      reserved_ = size_ ? static_cast<std::size_t>(range.length) : options_.memoryBytes - held_;
      peak_ = std::max(peak_, held_ + reserved_);
      request.setHeader("Range", "bytes=" + std::to_string(range.first) + "-" +
                                     std::to_string(range.first + range.length - 1));
      // Ranges count the bytes as stored; a compressed answer would not match them.
      request.setHeader("Accept-Encoding", "identity");
      request.maxResponseBytes = reserved_;
      request.redirects = HttpRequest::Redirects::toHttps;
      request.lane = HttpRequest::Lane::media;
      request.cancellation = cancel_.get_token();
    }
  }
  if (changed) {
    arrived_.notify_all();
    notify();
  }
  if (!send) return;
  session_->send(std::move(request), [weakSelf = weak_from_this(), range](HttpResult result) {
    if (auto self = weakSelf.lock()) self->receive(range, result);
  });
}

std::optional<VideoStream::Range> VideoStream::nextRangeLocked() {
  if (!size_) return Range{0, options_.firstRangeBytes};
  if (whole_) return std::nullopt;
  if (!verified_) return verificationRangeLocked();
  std::uint64_t from = 0;
  std::uint64_t to = std::min<std::uint64_t>(*size_, fetchAhead_);
  if (readPosition_) {
    from = std::min(*readPosition_, *size_);
    to = std::min<std::uint64_t>(*size_, from + options_.memoryBytes - options_.rangeBytes);
  }
  const auto gap = firstGapLocked(from, to);
  if (!gap) return std::nullopt;
  const Range range{gap->first, std::min<std::uint64_t>(gap->length, options_.rangeBytes)};
  if (!makeRoomLocked(from, to, range.length)) return std::nullopt;
  return range;
}

std::optional<VideoStream::Range> VideoStream::verificationRangeLocked() {
  while (state_ != State::failed) {
    if (boxesPassed_ > kMostBoxesBeforeMovie) {
      failLocked("an MP4 file with too many boxes before its movie box");
      break;
    }
    if (boxAt_ >= *size_) {
      failLocked("an MP4 file without a movie box");
      break;
    }
    const auto left = *size_ - boxAt_;
    const auto head = copyLocked(boxAt_, std::min(kLargestBoxHeader, left));
    if (!head) {
      const auto gap = firstGapLocked(boxAt_, std::min<std::uint64_t>(*size_, boxAt_ + options_.rangeBytes));
      if (!gap || !makeRoomLocked(boxAt_, gap->first + gap->length, gap->length)) break;
      return gap;
    }
    const auto header = readIsoBoxHeader(*head);
    if (!header) {
      failLocked("an MP4 box header that cannot be read");
      break;
    }
    const auto boxSize = header->size.value_or(left);
    if (header->type != "moov") {
      if (boxSize >= left) boxAt_ = *size_;
      else boxAt_ += boxSize;
      ++boxesPassed_;
      continue;
    }
    if (boxSize > left || boxSize > options_.largestMovieBox) {
      failLocked("an MP4 movie box larger than " + std::to_string(options_.largestMovieBox) + " bytes or the file");
      break;
    }
    if (const auto box = copyLocked(boxAt_, boxSize)) {
      if (auto refusal = movieBoxRefusal(*box)) {
        failLocked(std::move(*refusal));
        break;
      }
      verified_ = true;
      state_ = State::ready;
      return nextRangeLocked();
    }
    const auto gap = firstGapLocked(boxAt_, boxAt_ + boxSize);
    if (!gap || !makeRoomLocked(boxAt_, boxAt_ + boxSize, gap->length)) {
      failLocked("no room to check the MP4 movie box");
      break;
    }
    return gap;
  }
  return std::nullopt;
}

std::optional<VideoStream::Range> VideoStream::firstGapLocked(std::uint64_t from, std::uint64_t to) const {
  auto position = from;
  auto piece = pieces_.upper_bound(position);
  if (piece != pieces_.begin()) {
    const auto before = std::prev(piece);
    position = std::max(position, before->first + before->second.size());
  }
  while (piece != pieces_.end() && piece->first <= position) {
    position = std::max(position, piece->first + piece->second.size());
    ++piece;
  }
  if (position >= to) return std::nullopt;
  const auto end = piece != pieces_.end() ? std::min(piece->first, to) : to;
  return Range{position, end - position};
}

bool VideoStream::makeRoomLocked(std::uint64_t keepFrom, std::uint64_t keepTo, std::uint64_t needed) {
  while (held_ + needed > options_.memoryBytes) {
    // What the reader has passed goes first, the oldest of it first; then what lies beyond the
    // part wanted, the farthest first.
    auto victim = pieces_.end();
    if (!pieces_.empty() && pieces_.begin()->first + pieces_.begin()->second.size() <= keepFrom)
      victim = pieces_.begin();
    else if (!pieces_.empty() && std::prev(pieces_.end())->first >= keepTo)
      victim = std::prev(pieces_.end());
    if (victim == pieces_.end()) return false;
    held_ -= victim->second.size();
    pieces_.erase(victim);
  }
  return true;
}

void VideoStream::receive(Range asked, const HttpResult& result) {
  bool changed = false;
  {
    std::lock_guard lock(mutex_);
    inFlight_.reset();
    reserved_ = 0;
    if (cancel_.stop_requested() || state_ == State::failed) return;
    const auto before = state_;
    storeLocked(asked, result);
    peak_ = std::max(peak_, held_);
    changed = state_ != before;
  }
  arrived_.notify_all();
  if (changed) notify();
  pump();
}

bool VideoStream::storeLocked(Range asked, const HttpResult& result) {
  if (result.error) {
    if (result.error->code == TransportError::Code::tooLarge) {
      failLocked("the server sends the whole file, which is larger than " + std::to_string(options_.memoryBytes) +
                 " bytes, instead of the ranges asked for");
    } else if (++failuresInRow_ >= options_.attempts) {
      failLocked(result.error->message);
    }
    return false;
  }
  if (!result.response) {
    failLocked("no answer");
    return false;
  }
  const auto status = result.response->statusCode;
  auto body = result.data.value_or(std::string());
  if (status == 206) {
    const auto* header = result.response->header("Content-Range");
    const auto range = header ? parseContentRange(*header) : std::nullopt;
    if (!range) {
      failLocked("a range answer without a valid Content-Range");
      return false;
    }
    if (range->first != asked.first || range->length() > asked.length || body.size() != range->length()) {
      failLocked("a range answer with other bytes than those asked for");
      return false;
    }
    const auto* etag = result.response->header("ETag");
    if ((size_ && *size_ != range->total) || (etag && etag_ && *etag != *etag_)) {
      failLocked("the file changed while it played");
      return false;
    }
    if (etag) etag_ = *etag;
    size_ = range->total;
    held_ += body.size();
    pieces_.emplace(range->first, std::move(body));
  } else if (status == 200) {
    if (body.empty() || (size_ && body.size() != *size_)) {
      failLocked("a whole answer that is not the file");
      return false;
    }
    pieces_.clear();
    held_ = body.size();
    size_ = body.size();
    whole_ = true;
    pieces_.emplace(0, std::move(body));
  } else {
    failLocked("the server answered " + std::to_string(status));
    return false;
  }
  failuresInRow_ = 0;
  if (asked.first == 0 && !verified_ && boxAt_ == 0 && boxesPassed_ == 0) {
    const auto& start = pieces_.begin()->second;
    if (whole_ || !isIsoMediaStart(start)) {
      // The whole file, or a container whose first bytes say all there is to check.
      auto check = checkVideoContainer(start);
      if (!check.container) {
        failLocked(std::move(check.refusal));
        return false;
      }
      verified_ = true;
      state_ = State::ready;
    }
  }
  return true;
}

void VideoStream::failLocked(std::string why) {
  state_ = State::failed;
  failure_ = std::move(why);
  pieces_.clear();
  held_ = 0;
  cancel_.request_stop();
}

std::optional<std::string> VideoStream::copyLocked(std::uint64_t first, std::uint64_t length) const {
  std::string bytes;
  auto position = first;
  const auto end = first + length;
  auto piece = pieces_.upper_bound(position);
  if (piece == pieces_.begin()) return std::nullopt;
  --piece;
  while (position < end) {
    if (piece == pieces_.end() || piece->first > position) return std::nullopt;
    const auto pieceEnd = piece->first + piece->second.size();
    if (pieceEnd <= position) return std::nullopt;
    const auto take = std::min(end, pieceEnd) - position;
    bytes.append(piece->second, static_cast<std::size_t>(position - piece->first), static_cast<std::size_t>(take));
    position += take;
    ++piece;
  }
  return bytes;
}

std::uint64_t VideoStream::heldFromLocked(std::uint64_t offset) const {
  auto piece = pieces_.upper_bound(offset);
  if (piece == pieces_.begin()) return 0;
  --piece;
  const auto end = piece->first + piece->second.size();
  return end > offset ? end - offset : 0;
}

}  // namespace orvane
