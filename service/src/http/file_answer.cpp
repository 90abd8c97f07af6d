#include "file_answer.h"

#include <charconv>
#include <cstdint>
#include <optional>
#include <string_view>
#include <system_error>

#include "header_text.h"

namespace orvane::service::http {
namespace {

std::optional<std::uint64_t> parseNumber(std::string_view text) {
  std::uint64_t value = 0;
  auto result = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || result.ec != std::errc() || result.ptr != text.data() + text.size()) return std::nullopt;
  return value;
}

struct ByteRange {
  std::uint64_t first = 0;
  std::uint64_t last = 0;
};

enum class RangeKind { none, satisfiable, unsatisfiable };

// One "bytes=" range; anything else (other units, several ranges, bad syntax) asks for the whole file.
RangeKind parseRange(std::string_view header, std::uint64_t size, ByteRange& range) {
  header = trimmed(header);
  if (header.substr(0, 6) != "bytes=") return RangeKind::none;
  std::string_view spec = trimmed(header.substr(6));
  if (spec.find(',') != std::string_view::npos) return RangeKind::none;
  std::size_t dash = spec.find('-');
  if (dash == std::string_view::npos) return RangeKind::none;
  std::string_view firstText = trimmed(spec.substr(0, dash));
  std::string_view lastText = trimmed(spec.substr(dash + 1));
  if (firstText.empty()) {
    auto suffix = parseNumber(lastText);
    if (!suffix) return RangeKind::none;
    if (*suffix == 0 || size == 0) return RangeKind::unsatisfiable;
    range.first = *suffix >= size ? 0 : size - *suffix;
    range.last = size - 1;
    return RangeKind::satisfiable;
  }
  auto first = parseNumber(firstText);
  if (!first) return RangeKind::none;
  std::optional<std::uint64_t> last;
  if (!lastText.empty()) {
    last = parseNumber(lastText);
    if (!last || *last < *first) return RangeKind::none;
  }
  if (*first >= size) return RangeKind::unsatisfiable;
  range.first = *first;
  range.last = last && *last < size ? *last : size - 1;
  return RangeKind::satisfiable;
}

}  // namespace

Response fileAnswer(const Request& request, const std::filesystem::path& file, std::string contentType,
                    std::string etag, std::string cacheControl) {
  std::error_code error;
  std::uint64_t size = std::filesystem::file_size(file, error);
  if (error || !std::filesystem::is_regular_file(file, error)) return Response::error(404, "not found");

  Response response;
  if (!etag.empty()) response.headers.emplace("ETag", etag);
  if (!cacheControl.empty()) response.headers.emplace("Cache-Control", std::move(cacheControl));
  response.headers.emplace("Accept-Ranges", "bytes");

  std::string_view ifNoneMatch = request.header("If-None-Match");
  if (!etag.empty() && !ifNoneMatch.empty() && noneMatchHits(ifNoneMatch, etag)) {
    response.status = 304;
    return response;
  }

  ByteRange range;
  RangeKind kind = RangeKind::none;
  std::string_view rangeHeader = request.header("Range");
  std::string_view ifRange = trimmed(request.header("If-Range"));
  // If-Range compares strongly; a date (we send no Last-Modified) or a stale tag gets the whole file.
  bool rangeStillValid = ifRange.empty() || (!etag.empty() && ifRange == etag && ifRange.substr(0, 2) != "W/");
  if (!rangeHeader.empty() && rangeStillValid) kind = parseRange(rangeHeader, size, range);

  if (kind == RangeKind::unsatisfiable) {
    Response refused = Response::error(416, "range not satisfiable");
    refused.headers.emplace("Content-Range", "bytes */" + std::to_string(size));
    refused.headers.emplace("Accept-Ranges", "bytes");
    return refused;
  }
  response.headers.emplace("Content-Type", std::move(contentType));
  if (kind == RangeKind::satisfiable) {
    response.status = 206;
    response.headers.emplace("Content-Range", "bytes " + std::to_string(range.first) + "-" +
                                                  std::to_string(range.last) + "/" + std::to_string(size));
    response.body = FileSlice{file, range.first, range.last - range.first + 1};
  } else {
    response.body = FileSlice{file, 0, size};
  }
  return response;
}

}  // namespace orvane::service::http
