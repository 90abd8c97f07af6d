#include "sniff.h"

#include <array>

namespace orvane::service::media {
namespace {

constexpr MediaType kPng{MediaKind::image, "image/png", "png", ""};
constexpr MediaType kJpeg{MediaKind::image, "image/jpeg", "jpg", ""};
constexpr MediaType kGif{MediaKind::image, "image/gif", "gif", ""};
constexpr MediaType kWebp{MediaKind::image, "image/webp", "webp", ""};
constexpr MediaType kMp4{MediaKind::video, "video/mp4", "mp4", "mov"};
constexpr MediaType kMov{MediaKind::video, "video/quicktime", "mov", "mov"};
constexpr MediaType kWebm{MediaKind::video, "video/webm", "webm", "matroska"};
constexpr MediaType kMatroska{MediaKind::video, "video/x-matroska", "mkv", "matroska"};
constexpr MediaType kAvi{MediaKind::video, "video/x-msvideo", "avi", "avi"};
constexpr std::array kAll{kPng, kJpeg, kGif, kWebp, kMp4, kMov, kWebm, kMatroska, kAvi};

constexpr std::string_view kAccepted =
    "accepted are PNG, JPEG, WebP and GIF images and MP4, MOV, WebM, Matroska and AVI videos";

bool startsWith(std::string_view bytes, std::string_view prefix) {
  return bytes.substr(0, prefix.size()) == prefix;
}

Sniffed accept(const MediaType& type) { return {type, {}}; }
Sniffed refuse(std::string why) { return {std::nullopt, std::move(why) + "; " + std::string(kAccepted)}; }

// ISO base media: the first box is "ftyp" with the major brand after it. HEIF and AVIF pictures
// share the container but are not videos.
Sniffed sniffIsoMedia(std::string_view bytes) {
  const std::string_view brand = bytes.substr(8, 4);
  for (std::string_view picture : {"heic", "heix", "heim", "heis", "mif1", "msf1", "avif", "avis"}) {
    if (brand == picture) return refuse("HEIF and AVIF pictures are not accepted");
  }
  return accept(brand == "qt  " ? kMov : kMp4);
}

// EBML: WebM names its doc type near the start; anything else in EBML is Matroska.
Sniffed sniffEbml(std::string_view bytes) {
  return accept(bytes.substr(0, 64).find("webm") != std::string_view::npos ? kWebm : kMatroska);
}

std::string_view trimmedStart(std::string_view bytes) {
  if (startsWith(bytes, "\xEF\xBB\xBF")) bytes.remove_prefix(3);
  while (!bytes.empty() &&
         (bytes.front() == ' ' || bytes.front() == '\t' || bytes.front() == '\r' || bytes.front() == '\n')) {
    bytes.remove_prefix(1);
  }
  return bytes;
}

}  // namespace

Sniffed sniff(std::string_view bytes) {
  if (bytes.empty()) return refuse("the upload is empty");
  if (startsWith(bytes, "\x89PNG\r\n\x1A\n")) return accept(kPng);
  if (startsWith(bytes, "\xFF\xD8\xFF")) return accept(kJpeg);
  if (startsWith(bytes, "GIF87a") || startsWith(bytes, "GIF89a")) return accept(kGif);
  if (bytes.size() >= 12 && startsWith(bytes, "RIFF")) {
    if (bytes.substr(8, 4) == "WEBP") return accept(kWebp);
    if (bytes.substr(8, 4) == "AVI ") return accept(kAvi);
    return refuse("a RIFF file that is neither WebP nor AVI");
  }
  if (bytes.size() >= 12 && bytes.substr(4, 4) == "ftyp") return sniffIsoMedia(bytes);
  if (startsWith(bytes, "\x1A\x45\xDF\xA3")) return sniffEbml(bytes);

  const std::string_view text = trimmedStart(bytes);
  if (startsWith(text, "#EXTM3U")) return refuse("HLS playlists are not accepted: upload the video itself");
  if (startsWith(text, "<")) return refuse("HTML, XML and SVG are not accepted");
  return refuse("the bytes are of no accepted type");
}

std::string_view extensionFor(std::string_view contentType) {
  for (const MediaType& type : kAll) {
    if (type.contentType == contentType) return type.extension;
  }
  return {};
}

}  // namespace orvane::service::media
