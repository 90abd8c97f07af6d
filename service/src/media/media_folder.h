#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace orvane::service::media {

// True for 64 lower-case hex digits: the only names a media file can have.
bool isSha256Hex(std::string_view text);
// The lower-case hex SHA-256 of the bytes.
std::string sha256Hex(std::string_view bytes);

// Files named by the SHA-256 of their bytes, under <root>/<first two hex digits>/<hash>. Paths are
// built only from checked hex, so no name from a request reaches outside the root.
class MediaFolder {
 public:
  // Creates the folder when absent; throws std::filesystem::filesystem_error when it cannot.
  explicit MediaFolder(std::filesystem::path root);

  const std::filesystem::path& root() const { return root_; }

  // Where the file of `sha256` lives; nullopt for anything but a hash.
  std::optional<std::filesystem::path> pathOf(std::string_view sha256) const;

  // Bytes written beside their final place, not yet visible under their hash.
  class PendingFile {
   public:
    PendingFile(PendingFile&& other) noexcept;
    PendingFile& operator=(PendingFile&&) = delete;
    ~PendingFile();  // removes the file unless committed

    const std::string& sha256() const { return sha256_; }
    const std::filesystem::path& path() const { return temporary_; }
    // Renames it to its hash; the same bytes already there are kept as they are.
    std::filesystem::path commit();

   private:
    friend class MediaFolder;
    PendingFile(std::string sha256, std::filesystem::path temporary, std::filesystem::path final);
    std::string sha256_;
    std::filesystem::path temporary_, final_;
    bool done_ = false;
  };

  // Writes and syncs the bytes to a new temporary file in the hash's subfolder. Throws
  // std::system_error when the disk refuses.
  PendingFile write(std::string_view bytes) const;

 private:
  std::filesystem::path root_;
};

}  // namespace orvane::service::media
