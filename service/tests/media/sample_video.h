#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace orvane::service::media {

// A tiny test-pattern video of `seconds` made by ffmpeg in `folder`; nullopt without ffmpeg.
inline std::optional<std::filesystem::path> makeSampleVideo(const std::filesystem::path& folder,
                                                            const std::string& extension, int seconds) {
  const auto file = folder / ("sample-" + std::to_string(seconds) + "." + extension);
  const std::string codec = extension == "webm" ? "libvpx" : extension == "avi" ? "mjpeg" : "mpeg4";
  const std::string command = "ffmpeg -nostdin -v error -y -f lavfi -i testsrc=size=64x48:rate=10:duration=" +
                              std::to_string(seconds) + " -c:v " + codec + " '" + file.string() + "'";
  if (std::system(command.c_str()) != 0 || !std::filesystem::exists(file)) return std::nullopt;
  return file;
}

}  // namespace orvane::service::media
