#include "placeholder_routes.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <optional>
#include <string>

#include "http/file_answer.h"
#include "placeholders/avi_video.h"
#include "placeholders/png_image.h"

namespace orvane::service::app {
namespace {

constexpr std::uint32_t kMaxImageSide = 2048;
// Every frame is drawn and compressed per request: this keeps that to 240 small frames.
constexpr std::uint64_t kMaxVideoPixelSeconds = 144ULL * 256 * 30;
constexpr std::size_t kMaxNameBytes = 128;

bool isName(std::string_view name) {
  return !name.empty() && name.size() <= kMaxNameBytes && name.front() != '.' &&
         std::all_of(name.begin(), name.end(), [](char c) {
           return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '.' || c == '_' ||
                  c == '-';
         });
}

// A side or length query value in 1...kMaxImageSide; `fallback` when absent.
std::optional<std::uint32_t> side(const http::Request& request, std::string_view name, std::uint32_t fallback) {
  const auto text = request.queryValue(name);
  if (request.query.find(std::string(name)) == request.query.end()) return fallback;
  std::uint32_t value = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || value == 0 || value > kMaxImageSide)
    return std::nullopt;
  return value;
}

http::Response media(std::string body, const char* contentType) {
  http::Response answer;
  answer.headers["Content-Type"] = contentType;
  answer.headers["Cache-Control"] = "public, max-age=3600";
  answer.body = std::move(body);
  return answer;
}

// The sample videos ffmpeg made at build time (H.264 in MP4), served with byte ranges as a media
// server would, so players stream them.
std::optional<http::Response> recordedVideo(const http::Request& request, const std::string& file) {
  constexpr std::string_view kSuffix = ".mp4";
  if (file.size() <= kSuffix.size() || file.compare(file.size() - kSuffix.size(), kSuffix.size(), kSuffix) != 0)
    return std::nullopt;
#ifdef ORVANE_SAMPLE_VIDEO_DIR
  if (isName(file)) {
    const std::filesystem::path path = std::filesystem::path(ORVANE_SAMPLE_VIDEO_DIR) / file;
    std::error_code error;
    const auto size = std::filesystem::file_size(path, error);
    if (!error) {
      const auto changed = std::filesystem::last_write_time(path, error).time_since_epoch().count();
      return http::fileAnswer(request, path, "video/mp4",
                              "\"" + std::to_string(size) + "-" + std::to_string(changed) + "\"",
                              "public, max-age=3600");
    }
  }
#endif
  return http::Response::error(404, "No such video.");
}

}  // namespace

void addPlaceholderRoutes(http::Router& router, std::function<void()> beforeAnswer) {
  router.add("GET", "/images/{}", "placeholder-image", {}, [beforeAnswer](http::Request& request) {
    if (beforeAnswer) beforeAnswer();
    const auto& name = request.pathParameters.at(0);
    if (!isName(name)) return http::Response::error(404, "No such image.");
    const auto width = side(request, "w", 360), height = side(request, "h", 640);
    if (!width || !height) return http::Response::error(400, "Image sides must be 1 to 2048 pixels.");
    return media(placeholders::placeholderPng(name, *width, *height), "image/png");
  });
  router.add("GET", "/videos/{}", "placeholder-video", {}, [beforeAnswer](http::Request& request) {
    if (beforeAnswer) beforeAnswer();
    const auto& file = request.pathParameters.at(0);
    if (const auto recorded = recordedVideo(request, file)) return *recorded;
    constexpr std::string_view kSuffix = ".avi";
    if (file.size() <= kSuffix.size() || file.compare(file.size() - kSuffix.size(), kSuffix.size(), kSuffix) != 0 ||
        !isName(file))
      return http::Response::error(404, "No such video.");
    const auto width = side(request, "w", 144), height = side(request, "h", 256), seconds = side(request, "s", 4);
    if (!width || !height || !seconds || std::uint64_t{*width} * *height * *seconds > kMaxVideoPixelSeconds)
      return http::Response::error(400, "Videos are limited to 144 by 256 pixels for 30 seconds, or the same area.");
    return media(placeholders::placeholderAvi(file.substr(0, file.size() - kSuffix.size()), *width, *height, *seconds),
                 "video/x-msvideo");
  });
}

}  // namespace orvane::service::app
