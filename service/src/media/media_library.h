#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <variant>

#include "duration_probe.h"
#include "media_folder.h"
#include "storage/store.h"

namespace orvane::service::media {

struct MediaLimits {
  std::uint64_t maxImageBytes = 20 * 1024 * 1024;
  std::uint64_t maxVideoBytes = 100 * 1024 * 1024;

  std::uint64_t maxUploadBytes() const {
    return maxImageBytes > maxVideoBytes ? maxImageBytes : maxVideoBytes;
  }
};

struct UploadRefusal {
  int status = 415;  // 413 too large, 415 not an accepted kind of media
  std::string reason;
};

// Uploaded images and videos: checked by their bytes, kept in the media folder under their hash,
// recorded in the store with their type and, for videos, their length. Thread-safe.
class MediaLibrary {
 public:
  MediaLibrary(storage::Store& store, MediaFolder folder, MediaLimits limits = {}, ProbeOptions probe = {});

  // The stored record (the existing one when the same bytes came before), or why not.
  std::variant<storage::MediaRecord, UploadRefusal> upload(std::string_view bytes);

  // A stored file and its record; nullopt for a name that is no stored media's.
  // `name` is "<sha256>" or "<sha256>.<extension>".
  struct Found {
    storage::MediaRecord record;
    std::filesystem::path file;
  };
  std::optional<Found> find(std::string_view name) const;

  const MediaLimits& limits() const { return limits_; }
  const MediaFolder& folder() const { return folder_; }

 private:
  storage::Store& store_;
  const MediaFolder folder_;
  const MediaLimits limits_;
  const ProbeOptions probe_;
  std::mutex recording_;  // the same bytes uploaded twice at once are recorded once
};

// "/media/<sha256>.<extension>": where the service answers the media.
std::string mediaPath(const storage::MediaRecord& record);

}  // namespace orvane::service::media
