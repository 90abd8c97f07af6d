#include "media_folder.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>
#include <system_error>
#include <utility>

#include <sodium.h>

namespace orvane::service::media {
namespace {

std::string toHex(const unsigned char* bytes, std::size_t size) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string hex;
  hex.reserve(size * 2);
  for (std::size_t i = 0; i < size; ++i) {
    hex.push_back(kDigits[bytes[i] >> 4]);
    hex.push_back(kDigits[bytes[i] & 0x0F]);
  }
  return hex;
}

[[noreturn]] void throwErrno(const std::string& what) {
  throw std::system_error(errno, std::generic_category(), what);
}

class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return fd_; }
  // Closing can report a failed write-back, so it is checked where it matters.
  int release() { return ::close(std::exchange(fd_, -1)); }

 private:
  int fd_;
};

void writeAll(int fd, std::string_view bytes, const std::filesystem::path& path) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      throwErrno("cannot write " + path.string());
    }
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
}

void syncDirectory(const std::filesystem::path& directory) {
  Descriptor fd(::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (fd.get() >= 0) ::fsync(fd.get());
}

}  // namespace

bool isSha256Hex(std::string_view text) {
  if (text.size() != 64) return false;
  for (char c : text) {
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
  }
  return true;
}

std::string sha256Hex(std::string_view bytes) {
  if (sodium_init() < 0) throw std::runtime_error("libsodium cannot start");
  unsigned char digest[crypto_hash_sha256_BYTES];
  crypto_hash_sha256(digest, reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
  return toHex(digest, sizeof digest);
}

MediaFolder::MediaFolder(std::filesystem::path root) : root_(std::filesystem::absolute(std::move(root))) {
  std::filesystem::create_directories(root_);
}

std::optional<std::filesystem::path> MediaFolder::pathOf(std::string_view sha256) const {
  if (!isSha256Hex(sha256)) return std::nullopt;
  return root_ / std::string(sha256.substr(0, 2)) / std::string(sha256);
}

MediaFolder::PendingFile MediaFolder::write(std::string_view bytes) const {
  std::string sha256 = sha256Hex(bytes);
  std::filesystem::path final = *pathOf(sha256);
  std::filesystem::create_directories(final.parent_path());

  unsigned char nonce[8];
  randombytes_buf(nonce, sizeof nonce);
  // A dot-name never matches a hash, so a half-written file is never served.
  std::filesystem::path temporary =
      final.parent_path() / ("." + sha256.substr(0, 16) + "-" + toHex(nonce, sizeof nonce));
  Descriptor fd(::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644));
  if (fd.get() < 0) throwErrno("cannot create " + temporary.string());
  PendingFile pending(std::move(sha256), temporary, std::move(final));
  writeAll(fd.get(), bytes, temporary);
  if (::fsync(fd.get()) != 0) throwErrno("cannot sync " + temporary.string());
  if (fd.release() != 0) throwErrno("cannot close " + temporary.string());
  return pending;
}

MediaFolder::PendingFile::PendingFile(std::string sha256, std::filesystem::path temporary,
                                      std::filesystem::path final)
    : sha256_(std::move(sha256)), temporary_(std::move(temporary)), final_(std::move(final)) {}

MediaFolder::PendingFile::PendingFile(PendingFile&& other) noexcept
    : sha256_(std::move(other.sha256_)),
      temporary_(std::move(other.temporary_)),
      final_(std::move(other.final_)),
      done_(std::exchange(other.done_, true)) {}

MediaFolder::PendingFile::~PendingFile() {
  if (done_) return;
  std::error_code ignored;
  std::filesystem::remove(temporary_, ignored);
}

std::filesystem::path MediaFolder::PendingFile::commit() {
  if (::rename(temporary_.c_str(), final_.c_str()) != 0) throwErrno("cannot move " + temporary_.string());
  done_ = true;
  syncDirectory(final_.parent_path());
  return final_;
}

}  // namespace orvane::service::media
