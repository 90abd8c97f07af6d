#include <orvane/media/video_container.h>

#include <array>
#include <cstdint>

namespace orvane {
namespace {

std::uint64_t bigEndian(std::string_view bytes, std::size_t at, std::size_t width) {
  std::uint64_t value = 0;
  for (std::size_t i = 0; i < width; ++i) value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
  return value;
}

struct Box {
  std::string_view type;
  std::string_view body;
};

// The boxes of an ISO base media file (or of a box's body), in order. A box claiming more than is
// left is cut at the end, as a truncated download is; a header that cannot be read ends the walk.
class BoxReader {
 public:
  explicit BoxReader(std::string_view data) : data_(data) {}

  std::optional<Box> next() {
    if (data_.size() < 8) return std::nullopt;
    std::uint64_t size = bigEndian(data_, 0, 4);
    std::size_t header = 8;
    if (size == 1) {
      if (data_.size() < 16) return std::nullopt;
      size = bigEndian(data_, 8, 8);
      header = 16;
    } else if (size == 0) {
      size = data_.size();
    }
    if (size < header) return std::nullopt;
    const std::size_t length = size < data_.size() ? static_cast<std::size_t>(size) : data_.size();
    Box box{data_.substr(4, 4), data_.substr(header, length - header)};
    data_.remove_prefix(length);
    return box;
  }

 private:
  std::string_view data_;
};

// The boxes on the way from a movie down to its data references.
bool leadsToDataReferences(std::string_view type) {
  constexpr std::array<std::string_view, 5> path = {"moov", "trak", "mdia", "minf", "dinf"};
  for (const auto step : path)
    if (type == step) return true;
  return false;
}

// A data reference's entries each say whether the media is in this file (flag 1) or elsewhere:
// a URL, a URN or an alias the demuxer could be asked to open.
std::optional<std::string> externalDataReference(std::string_view dref) {
  if (dref.size() < 8) return "a data reference that cannot be read";
  BoxReader entries(dref.substr(8));
  while (const auto entry = entries.next()) {
    constexpr std::uint64_t selfContained = 1;
    if (entry->body.size() < 4 || (bigEndian(entry->body, 1, 3) & selfContained) == 0)
      return "a movie whose media lies outside it ('" + std::string(entry->type) + "' data reference)";
  }
  return std::nullopt;
}

std::optional<std::string> externalMedia(std::string_view boxes, int depth) {
  BoxReader reader(boxes);
  while (const auto box = reader.next()) {
    std::optional<std::string> refusal;
    if (box->type == "dref") {
      refusal = externalDataReference(box->body);
    } else if (depth < 8 && leadsToDataReferences(box->type)) {
      refusal = externalMedia(box->body, depth + 1);
    }
    if (refusal) return refusal;
  }
  return std::nullopt;
}

bool startsWith(std::string_view bytes, std::string_view prefix) { return bytes.substr(0, prefix.size()) == prefix; }

// Names what came instead of a video, so the log says what the service sent.
std::string describeOther(std::string_view bytes) {
  if (bytes.empty()) return "an empty answer";
  auto text = bytes;
  if (startsWith(text, "\xEF\xBB\xBF")) text.remove_prefix(3);
  if (startsWith(text, "#EXTM3U")) return "an HLS playlist";
  if (startsWith(text, "ffconcat")) return "a concat script";
  if (startsWith(text, "v=0")) return "an SDP session description";
  if (startsWith(text, "<")) return "an XML or HTML document";
  static constexpr char hex[] = "0123456789abcdef";
  std::string first;
  for (const char byte : bytes.substr(0, 8)) {
    const auto value = static_cast<unsigned char>(byte);
    first += hex[value >> 4];
    first += hex[value & 15];
    first += ' ';
  }
  first.pop_back();
  return "no supported video container (first bytes " + first + ")";
}

}  // namespace

bool isIsoMediaStart(std::string_view bytes) { return bytes.size() >= 12 && bytes.substr(4, 4) == "ftyp"; }

std::optional<IsoBoxHeader> readIsoBoxHeader(std::string_view bytes) {
  if (bytes.size() < 8) return std::nullopt;
  IsoBoxHeader header{std::string(bytes.substr(4, 4)), bigEndian(bytes, 0, 4), 8};
  if (*header.size == 1) {
    if (bytes.size() < 16) return std::nullopt;
    header.size = bigEndian(bytes, 8, 8);
    header.headerSize = 16;
  } else if (*header.size == 0) {
    header.size.reset();
    return header;
  }
  if (*header.size < header.headerSize) return std::nullopt;
  return header;
}

std::optional<std::string> movieBoxRefusal(std::string_view box) { return externalMedia(box, 0); }

VideoContainerCheck checkVideoContainer(std::string_view bytes) {
  if (isIsoMediaStart(bytes)) {
    if (auto refusal = externalMedia(bytes, 0)) return {std::nullopt, std::move(*refusal)};
    return {VideoContainer::isoMedia, {}};
  }
  if (startsWith(bytes, "\x1A\x45\xDF\xA3")) return {VideoContainer::matroska, {}};
  if (bytes.size() >= 12 && startsWith(bytes, "RIFF") && bytes.substr(8, 4) == "AVI ")
    return {VideoContainer::avi, {}};
  return {std::nullopt, describeOther(bytes)};
}

}  // namespace orvane
