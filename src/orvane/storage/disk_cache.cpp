#include <orvane/storage/disk_cache.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <map>
#include <nlohmann/json.hpp>
#include <system_error>
#include <utility>
#include <vector>

#include <orvane/storage/sha256.h>

namespace orvane {
namespace {

namespace fs = std::filesystem;

// An entry file is its bytes, then its record as JSON, then this fixed-size trailer giving the
// record's length: "orvane-cache/1 0000000123\n". Written last, it is what makes a file whole.
constexpr std::string_view kTrailerPrefix = "orvane-cache/1 ";
constexpr std::size_t kLengthDigits = 10;
constexpr std::size_t kTrailerSize = kTrailerPrefix.size() + kLengthDigits + 1;
constexpr std::size_t kMaxRecordSize = 64 * 1024;
constexpr std::string_view kTemporaryPrefix = ".tmp-";
// A temporary file this old belongs to a writer that died; younger ones may still be written.
constexpr auto kAbandonedAfter = std::chrono::hours(1);
constexpr std::size_t kCopyChunk = std::size_t{1} << 20;

class FileHandle {
 public:
  explicit FileHandle(int fd = -1) : fd_(fd) {}
  ~FileHandle() { reset(); }
  FileHandle(FileHandle&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
  FileHandle& operator=(FileHandle&& other) noexcept {
    if (this != &other) {
      reset();
      fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
  }
  int get() const { return fd_; }
  int release() { return std::exchange(fd_, -1); }
  void reset() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }

 private:
  int fd_;
};

bool readExactly(int fd, char* into, std::size_t length, std::uint64_t offset) {
  while (length > 0) {
    const ssize_t got = ::pread(fd, into, length, static_cast<off_t>(offset));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return false;
    into += got;
    length -= static_cast<std::size_t>(got);
    offset += static_cast<std::uint64_t>(got);
  }
  return true;
}

int writeToFile(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t wrote = ::write(fd, bytes.data(), bytes.size());
    if (wrote < 0 && errno == EINTR) continue;
    if (wrote < 0) return errno;
    if (wrote == 0) return EIO;
    bytes.remove_prefix(static_cast<std::size_t>(wrote));
  }
  return 0;
}

std::string recordText(std::string_view key, const DiskCacheRecord& record, std::uint64_t size) {
  nlohmann::json json = {
      {"key", key},
      {"etag", record.etag},
      {"storedAt", record.storedAt.time_since_epoch().count()},
      {"freshFor", record.freshFor.count()},
      {"usableWhenStale", record.usableWhenStale},
      {"size", size},
  };
  // A key that is not UTF-8 is written altered, and so never matches: the entry just misses.
  std::string text = json.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
  char trailer[kTrailerSize + 1];
  std::snprintf(trailer, sizeof trailer, "%.*s%010zu\n", static_cast<int>(kTrailerPrefix.size()),
                kTrailerPrefix.data(), text.size());
  return text + trailer;
}

// The record of a file whose trailer, record and length agree with each other and with `key`.
std::optional<DiskCacheRecord> readRecord(int fd, std::uint64_t fileSize, std::string_view key) {
  if (fileSize < kTrailerSize) return std::nullopt;
  char trailer[kTrailerSize];
  if (!readExactly(fd, trailer, kTrailerSize, fileSize - kTrailerSize)) return std::nullopt;
  const std::string_view trailerText(trailer, kTrailerSize);
  if (trailerText.substr(0, kTrailerPrefix.size()) != kTrailerPrefix || trailerText.back() != '\n')
    return std::nullopt;
  const auto digits = trailerText.substr(kTrailerPrefix.size(), kLengthDigits);
  std::size_t recordSize = 0;
  const auto parsed = std::from_chars(digits.data(), digits.data() + digits.size(), recordSize);
  if (parsed.ec != std::errc() || parsed.ptr != digits.data() + digits.size()) return std::nullopt;
  if (recordSize > kMaxRecordSize || recordSize > fileSize - kTrailerSize) return std::nullopt;

  std::string text(recordSize, '\0');
  if (!readExactly(fd, text.data(), recordSize, fileSize - kTrailerSize - recordSize)) return std::nullopt;
  const auto json = nlohmann::json::parse(text, nullptr, false);
  if (!json.is_object()) return std::nullopt;
  auto field = [&json](const char* name) -> const nlohmann::json* {
    auto found = json.find(name);
    return found == json.end() ? nullptr : &*found;
  };
  const auto *storedKey = field("key"), *etag = field("etag"), *storedAt = field("storedAt"),
             *freshFor = field("freshFor"), *stale = field("usableWhenStale"), *size = field("size");
  if (!storedKey || !storedKey->is_string() || storedKey->get_ref<const std::string&>() != key)
    return std::nullopt;
  if (!etag || !etag->is_string() || !storedAt || !storedAt->is_number_integer() || !freshFor ||
      !freshFor->is_number_integer() || !stale || !stale->is_boolean() || !size ||
      !size->is_number_unsigned())
    return std::nullopt;
  const std::uint64_t bodySize = fileSize - kTrailerSize - recordSize;
  if (size->get<std::uint64_t>() != bodySize) return std::nullopt;

  DiskCacheRecord record;
  record.etag = etag->get<std::string>();
  record.storedAt = Date{std::chrono::microseconds{storedAt->get<std::int64_t>()}};
  record.freshFor = std::chrono::seconds{freshFor->get<std::int64_t>()};
  record.usableWhenStale = stale->get<bool>();
  record.size = bodySize;
  return record;
}

bool isEntryName(const std::string& name) {
  return name.size() == 64 && std::all_of(name.begin(), name.end(), [](char c) {
           return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
         });
}

}  // namespace

struct DiskCache::OpenEntry {
  FileHandle file;
  fs::path path;
  DiskCacheRecord record;
  dev_t device = 0;
  ino_t inode = 0;
};

DiskCache::DiskCache(fs::path folder, DiskCacheOptions options)
    : folder_(std::move(folder)), write_(std::move(options.write)), maxBytes_(options.maxBytes) {}

std::shared_ptr<DiskCache> DiskCache::forFolder(const fs::path& folder) {
  static std::mutex mutex;
  static std::map<fs::path, std::weak_ptr<DiskCache>> caches;
  std::lock_guard lock(mutex);
  auto& slot = caches[folder.lexically_normal()];
  auto cache = slot.lock();
  if (!cache) {
    cache = std::make_shared<DiskCache>(folder);
    slot = cache;
  }
  return cache;
}

fs::path DiskCache::pathOf(std::string_view key) const { return folder_ / sha256Hex(key); }

std::optional<DiskCache::OpenEntry> DiskCache::open(std::string_view key) {
  OpenEntry entry;
  entry.path = pathOf(key);
  entry.file = FileHandle(::open(entry.path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW));
  if (entry.file.get() < 0) {
    // A link or a folder in an entry's place is no entry and never will be one.
    if (errno == ELOOP || errno == EISDIR) {
      std::error_code ignored;
      fs::remove_all(entry.path, ignored);
    }
    return std::nullopt;
  }
  struct stat status {};
  if (::fstat(entry.file.get(), &status) != 0) return std::nullopt;
  entry.device = status.st_dev;
  entry.inode = status.st_ino;
  if (!S_ISREG(status.st_mode)) {
    std::error_code ignored;
    fs::remove_all(entry.path, ignored);
    return std::nullopt;
  }
  auto record = readRecord(entry.file.get(), static_cast<std::uint64_t>(status.st_size), key);
  if (!record) {
    discard(entry);
    return std::nullopt;
  }
  entry.record = *std::move(record);
  return entry;
}

void DiskCache::discard(const OpenEntry& entry) {
  // Only the damaged file itself: another process may have put a good one in its place meanwhile.
  struct stat status {};
  if (::lstat(entry.path.c_str(), &status) == 0 && status.st_dev == entry.device &&
      status.st_ino == entry.inode)
    ::unlink(entry.path.c_str());
}

std::optional<DiskCacheRecord> DiskCache::find(std::string_view key) {
  auto entry = open(key);
  if (!entry) return std::nullopt;
  return entry->record;
}

std::optional<DiskCache::Entry> DiskCache::read(std::string_view key) {
  auto entry = open(key);
  if (!entry) return std::nullopt;
  std::string bytes;
  try {
    bytes.resize(entry->record.size);
  } catch (const std::bad_alloc&) {
    return std::nullopt;
  }
  if (!readExactly(entry->file.get(), bytes.data(), bytes.size(), 0)) {
    discard(*entry);
    return std::nullopt;
  }
  // The least recently used go first when the folder is full; a failure only costs recency.
  ::futimens(entry->file.get(), nullptr);
  return Entry{entry->record, std::move(bytes)};
}

std::optional<std::string> DiskCache::readRange(std::string_view key, std::uint64_t offset,
                                                std::size_t length) {
  auto entry = open(key);
  if (!entry) return std::nullopt;
  const std::uint64_t size = entry->record.size;
  const std::uint64_t available = offset >= size ? 0 : size - offset;
  std::string bytes(static_cast<std::size_t>(std::min<std::uint64_t>(length, available)), '\0');
  if (!readExactly(entry->file.get(), bytes.data(), bytes.size(), offset)) return std::nullopt;
  if (offset == 0) ::futimens(entry->file.get(), nullptr);
  return bytes;
}

int DiskCache::writeAll(int fd, std::string_view bytes) const {
  return write_ ? write_(fd, bytes) : writeToFile(fd, bytes);
}

std::optional<std::pair<int, fs::path>> DiskCache::createTemporary() {
  std::error_code error;
  if (fs::create_directories(folder_, error))
    fs::permissions(folder_, fs::perms::owner_all, fs::perm_options::replace, error);
  for (int attempt = 0; attempt < 8; ++attempt) {
    // Unique among this process's writers by the counter and among processes by the pid.
    const auto name =
        std::string(kTemporaryPrefix) + std::to_string(::getpid()) + "-" + std::to_string(++lastTemporary_);
    auto path = folder_ / name;
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd >= 0) return std::pair{fd, std::move(path)};
    if (errno != EEXIST) return std::nullopt;
  }
  return std::nullopt;
}

bool DiskCache::install(int fd, const fs::path& temporary, std::string_view key) {
  FileHandle file(fd);
  struct stat status {};
  const bool written = ::fstat(file.get(), &status) == 0;
  if (!written || ::close(file.release()) != 0) {
    ::unlink(temporary.c_str());
    return false;
  }
  const auto target = pathOf(key);
  struct stat replaced {};
  const std::uint64_t replacedSize = ::lstat(target.c_str(), &replaced) == 0 ? replaced.st_size : 0;
  if (::rename(temporary.c_str(), target.c_str()) != 0) {
    ::unlink(temporary.c_str());
    return false;
  }
  std::lock_guard lock(mutex_);
  if (knownBytes_) *knownBytes_ = *knownBytes_ - std::min(*knownBytes_, replacedSize) + status.st_size;
  trimToBound();
  return true;
}

bool DiskCache::store(std::string_view key, std::string_view bytes, DiskCacheRecord record) {
  if (bytes.size() > maxBytes_) {
    // Newer than the entry, which must not come back in its place.
    remove(key);
    return false;
  }
  auto writer = startWriting(key, std::move(record));
  return writer && writer->append(bytes) && writer->commit();
}

bool DiskCache::refresh(std::string_view key, DiskCacheRecord record) {
  auto entry = open(key);
  if (!entry) return false;
  auto writer = startWriting(key, std::move(record));
  if (!writer) return false;
  std::string chunk;
  for (std::uint64_t offset = 0; offset < entry->record.size; offset += chunk.size()) {
    chunk.resize(static_cast<std::size_t>(std::min<std::uint64_t>(kCopyChunk, entry->record.size - offset)));
    if (!readExactly(entry->file.get(), chunk.data(), chunk.size(), offset) || !writer->append(chunk))
      return false;
  }
  return writer->commit();
}

void DiskCache::remove(std::string_view key) { ::unlink(pathOf(key).c_str()); }

std::unique_ptr<DiskCache::Writer> DiskCache::startWriting(std::string_view key, DiskCacheRecord record) {
  auto temporary = createTemporary();
  if (!temporary) return nullptr;
  return std::unique_ptr<Writer>(
      new Writer(*this, std::string(key), std::move(record), temporary->first, std::move(temporary->second)));
}

DiskCache::Writer::Writer(DiskCache& cache, std::string key, DiskCacheRecord record, int fd,
                          fs::path temporary)
    : cache_(cache),
      key_(std::move(key)),
      record_(std::move(record)),
      fd_(fd),
      temporary_(std::move(temporary)) {}

DiskCache::Writer::~Writer() { abandon(); }

void DiskCache::Writer::abandon() {
  if (fd_ < 0) return;
  ::close(fd_);
  fd_ = -1;
  ::unlink(temporary_.c_str());
}

bool DiskCache::Writer::append(std::string_view bytes) {
  if (fd_ < 0) return false;
  if (bytes.size() > cache_.maxBytes() - std::min(cache_.maxBytes(), written_) ||
      cache_.writeAll(fd_, bytes) != 0) {
    abandon();
    return false;
  }
  written_ += bytes.size();
  return true;
}

bool DiskCache::Writer::commit() {
  if (fd_ < 0) return false;
  const auto record = recordText(key_, record_, written_);
  // The bound counts whole files: an entry that alone passes it would only be trimmed away again.
  if (written_ + record.size() > cache_.maxBytes() || cache_.writeAll(fd_, record) != 0) {
    abandon();
    return false;
  }
  const int fd = std::exchange(fd_, -1);
  return cache_.install(fd, temporary_, key_);
}

std::uint64_t DiskCache::bytesOnDisk() const {
  std::uint64_t total = 0;
  std::error_code error;
  for (fs::directory_iterator it(folder_, error), end; !error && it != end; it.increment(error)) {
    if (!isEntryName(it->path().filename().string())) continue;
    std::error_code sizeError;
    const auto size = it->file_size(sizeError);
    if (!sizeError) total += size;
  }
  return total;
}

void DiskCache::trimToBound() {
  const std::uint64_t bound = maxBytes_;
  if (knownBytes_ && *knownBytes_ <= bound) return;

  struct Found {
    fs::file_time_type used;
    std::uint64_t size;
    fs::path path;
  };
  std::vector<Found> entries;
  std::uint64_t total = 0;
  const auto now = fs::file_time_type::clock::now();
  std::error_code error;
  for (fs::directory_iterator it(folder_, error), end; !error && it != end; it.increment(error)) {
    const auto name = it->path().filename().string();
    std::error_code statError;
    const auto used = it->last_write_time(statError);
    if (statError) continue;
    if (name.starts_with(kTemporaryPrefix)) {
      if (now - used > kAbandonedAfter) fs::remove(it->path(), statError);
      continue;
    }
    if (!isEntryName(name) || !it->is_regular_file(statError)) continue;
    const auto size = it->file_size(statError);
    if (statError) continue;
    entries.push_back({used, size, it->path()});
    total += size;
  }
  if (total > bound) {
    // Down to three quarters, so that the next few writes do not each have to scan again.
    const std::uint64_t target = bound / 4 * 3;
    std::sort(entries.begin(), entries.end(), [](const Found& a, const Found& b) { return a.used < b.used; });
    for (const auto& entry : entries) {
      if (total <= target) break;
      std::error_code removeError;
      fs::remove(entry.path, removeError);
      total -= entry.size;
    }
  }
  knownBytes_ = total;
}

}  // namespace orvane
