#pragma once

#include <chrono>
#include <filesystem>
#include <optional>
#include <string_view>

namespace orvane::service::media {

struct ProbeOptions {
  std::filesystem::path ffprobe = "/usr/bin/ffprobe";
  // A file that keeps ffprobe busy longer is given up on (and ffprobe killed).
  std::chrono::milliseconds timeout{15'000};
};

struct ProbeResult {
  enum class Status {
    measured,     // ffprobe read it; `seconds` holds the length unless the file does not say (a
                  // streamed WebM, as browsers record them)
    unreadable,   // ffprobe ran and could not read a length: not a video we can serve
    unavailable,  // ffprobe could not be run, or ran out of time
  } status = Status::unavailable;
  std::optional<double> seconds;
};

// The length of the video in `file`, read by ffprobe with the given demuxer ("mov", "matroska",
// "avi"). ffprobe runs from a fixed argument vector, without a shell, reading local files only,
// so a hostile file cannot make it open a URL.
ProbeResult probeDuration(const std::filesystem::path& file, std::string_view demuxer,
                          const ProbeOptions& options);

}  // namespace orvane::service::media
