#include "media_library.h"

#include <chrono>

#include "sniff.h"

namespace orvane::service::media {
namespace {

std::string formatBytes(std::uint64_t bytes) {
  if (bytes % (1024 * 1024) == 0) return std::to_string(bytes / (1024 * 1024)) + " MiB";
  return std::to_string(bytes) + " bytes";
}

}  // namespace

MediaLibrary::MediaLibrary(storage::Store& store, MediaFolder folder, MediaLimits limits, ProbeOptions probe)
    : store_(store), folder_(std::move(folder)), limits_(limits), probe_(std::move(probe)) {}

std::variant<storage::MediaRecord, UploadRefusal> MediaLibrary::upload(std::string_view bytes) {
  const Sniffed sniffed = sniff(bytes);
  if (!sniffed.type) return UploadRefusal{415, sniffed.refusal};
  const MediaType& type = *sniffed.type;
  const bool video = type.kind == MediaKind::video;
  const std::uint64_t cap = video ? limits_.maxVideoBytes : limits_.maxImageBytes;
  if (bytes.size() > cap) {
    return UploadRefusal{413,
                         std::string(video ? "a video" : "an image") + " may be at most " + formatBytes(cap)};
  }

  if (auto existing = store_.media(sha256Hex(bytes))) return *existing;

  MediaFolder::PendingFile pending = folder_.write(bytes);
  storage::MediaRecord record;
  record.sha256 = pending.sha256();
  record.contentType = std::string(type.contentType);
  record.size = bytes.size();
  if (video) {
    // Measured before the file becomes visible: a video ffprobe cannot read is never served.
    const ProbeResult probed = probeDuration(pending.path(), type.demuxer, probe_);
    if (probed.status == ProbeResult::Status::unreadable) {
      return UploadRefusal{415, "the video cannot be read as " + std::string(type.extension)};
    }
    record.durationSeconds = probed.seconds;
  }
  record.createdAt = std::chrono::system_clock::now();
  pending.commit();

  const std::lock_guard lock(recording_);
  if (auto existing = store_.media(record.sha256)) return *existing;
  store_.addMedia(record);
  return record;
}

std::optional<MediaLibrary::Found> MediaLibrary::find(std::string_view name) const {
  const std::size_t dot = name.find('.');
  const std::string_view sha256 = name.substr(0, dot);
  auto file = folder_.pathOf(sha256);
  if (!file) return std::nullopt;
  auto record = store_.media(sha256);
  if (!record) return std::nullopt;
  // The extension is the client's hint only, but a wrong one is a wrong URL.
  if (dot != std::string_view::npos && name.substr(dot + 1) != extensionFor(record->contentType))
    return std::nullopt;
  std::error_code error;
  if (!std::filesystem::is_regular_file(*file, error)) return std::nullopt;
  return Found{std::move(*record), std::move(*file)};
}

std::string mediaPath(const storage::MediaRecord& record) {
  const std::string_view extension = extensionFor(record.contentType);
  return "/media/" + record.sha256 + (extension.empty() ? "" : "." + std::string(extension));
}

}  // namespace orvane::service::media
