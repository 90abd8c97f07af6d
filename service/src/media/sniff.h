#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace orvane::service::media {

enum class MediaKind { image, video };

struct MediaType {
  MediaKind kind = MediaKind::image;
  std::string_view contentType;  // "image/png", "video/mp4", ...
  std::string_view extension;    // "png", "mp4", ... (the URL's suffix)
  // The ffprobe demuxer that must read it (videos): the bytes decided it, not ffprobe's guessing.
  std::string_view demuxer;
};

// What the bytes are, whatever the upload was named or declared as; `refusal` says why not.
struct Sniffed {
  std::optional<MediaType> type;
  std::string refusal;
};
Sniffed sniff(std::string_view bytes);

// The extension of a content type sniff() gives, empty for any other.
std::string_view extensionFor(std::string_view contentType);

}  // namespace orvane::service::media
