#pragma once

#include <orvane/export.h>

#include <optional>
#include <string>
#include <string_view>

namespace orvane {

// The self-contained containers a story video may come in. Media backends pick their demuxer from
// the bytes, and some demuxers (playlists, manifests, session descriptions, concat scripts) open
// further URLs and files on their own, past the SDK's transport; only these never do.
enum class VideoContainer { isoMedia, matroska, avi };

struct ORVANE_EXPORT VideoContainerCheck {
  // Absent when the bytes may not reach a player.
  std::optional<VideoContainer> container;
  // Why they may not, for the log.
  std::string refusal;
};

// Identifies a downloaded video by its first bytes, whatever its name or content type claims. An
// MP4/QuickTime movie whose media lies outside the file (a data reference that is not
// self-contained) is refused too.
ORVANE_EXPORT VideoContainerCheck checkVideoContainer(std::string_view bytes);

}  // namespace orvane
