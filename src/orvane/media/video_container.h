#pragma once

#include <orvane/export.h>

#include <cstddef>
#include <cstdint>
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

// Whether a file starting with these bytes is an MP4/QuickTime movie, whose movie box may lie
// anywhere in it and must be found and checked before anything plays.
ORVANE_EXPORT bool isIsoMediaStart(std::string_view bytes);

// The header of a top-level box of an MP4/QuickTime file, read from its first (up to 16) bytes.
struct ORVANE_EXPORT IsoBoxHeader {
  std::string type;
  // Header and body; absent when the box runs to the end of the file.
  std::optional<std::uint64_t> size;
  std::size_t headerSize = 8;
};
ORVANE_EXPORT std::optional<IsoBoxHeader> readIsoBoxHeader(std::string_view bytes);

// Why a whole movie box ('moov', header included) may not reach a player, or nothing.
ORVANE_EXPORT std::optional<std::string> movieBoxRefusal(std::string_view box);

}  // namespace orvane
