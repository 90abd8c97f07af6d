#include "content_coding.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <stdexcept>

#include "header_text.h"

namespace orvane::service::http {
namespace {

enum class Coding { identity, compressed, unknown };

Coding codingOf(std::string_view value) {
  value = trimmed(value);
  if (value.empty() || equalsIgnoringCase(value, "identity")) return Coding::identity;
  if (equalsIgnoringCase(value, "gzip") || equalsIgnoringCase(value, "x-gzip") || equalsIgnoringCase(value, "deflate"))
    return Coding::compressed;
  return Coding::unknown;
}

// Both gzip and zlib wrappers (windowBits + 32 detects which); gzip members may follow each other.
BodyDecoding inflateCapped(std::string& body, std::size_t maxBytes) {
  if (body.empty()) return BodyDecoding::decoded;
  z_stream stream{};
  if (inflateInit2(&stream, 15 + 32) != Z_OK) throw std::runtime_error("zlib could not start");
  std::string out;
  std::array<unsigned char, 16 * 1024> chunk{};
  stream.next_in = reinterpret_cast<Bytef*>(body.data());
  stream.avail_in = static_cast<uInt>(body.size());
  BodyDecoding result = BodyDecoding::decoded;
  while (true) {
    stream.next_out = chunk.data();
    stream.avail_out = static_cast<uInt>(chunk.size());
    int status = inflate(&stream, Z_NO_FLUSH);
    std::size_t produced = chunk.size() - stream.avail_out;
    if (out.size() + produced > maxBytes) {
      result = BodyDecoding::tooLarge;
      break;
    }
    out.append(reinterpret_cast<const char*>(chunk.data()), produced);
    if (status == Z_STREAM_END) {
      if (stream.avail_in == 0) break;
      inflateReset(&stream);
      continue;
    }
    if (status == Z_OK) continue;
    if (status == Z_BUF_ERROR && produced > 0) continue;
    result = BodyDecoding::malformed;  // truncated input, a bad header or bad data
    break;
  }
  inflateEnd(&stream);
  if (result == BodyDecoding::decoded) body = std::move(out);
  return result;
}

}  // namespace

bool knownContentEncoding(std::string_view contentEncoding) {
  return codingOf(contentEncoding) != Coding::unknown;
}

bool identityEncoding(std::string_view contentEncoding) {
  return codingOf(contentEncoding) == Coding::identity;
}

BodyDecoding decodeBody(std::string& body, std::string_view contentEncoding, std::size_t maxBytes) {
  switch (codingOf(contentEncoding)) {
    case Coding::identity: return body.size() > maxBytes ? BodyDecoding::tooLarge : BodyDecoding::decoded;
    case Coding::compressed: return inflateCapped(body, maxBytes);
    case Coding::unknown: break;
  }
  return BodyDecoding::unsupported;
}

bool acceptsGzip(std::string_view acceptEncoding) {
  bool accepted = false;
  while (!acceptEncoding.empty()) {
    std::size_t comma = acceptEncoding.find(',');
    std::string_view item = acceptEncoding.substr(0, comma);
    acceptEncoding = comma == std::string_view::npos ? std::string_view() : acceptEncoding.substr(comma + 1);
    std::size_t semicolon = item.find(';');
    std::string_view coding = trimmed(item.substr(0, semicolon));
    bool zeroQuality = false;
    if (semicolon != std::string_view::npos) {
      std::string_view parameter = trimmed(item.substr(semicolon + 1));
      if (parameter.size() >= 2 && (parameter[0] | 0x20) == 'q' && parameter[1] == '=') {
        std::string_view value = trimmed(parameter.substr(2));
        zeroQuality = !value.empty() && value.find_first_not_of("0.") == std::string_view::npos;
      }
    }
    if (equalsIgnoringCase(coding, "gzip")) return !zeroQuality;
    if (coding == "*") accepted = !zeroQuality;
  }
  return accepted;
}

std::string gzipCompress(std::string_view data) {
  z_stream stream{};
  // Level 6 balances speed and size; answers that repeat are cached above this layer.
  if (deflateInit2(&stream, 6, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY) != Z_OK)
    throw std::runtime_error("zlib could not start");
  std::string out;
  out.resize(deflateBound(&stream, static_cast<uLong>(data.size())));
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
  stream.avail_in = static_cast<uInt>(data.size());
  stream.next_out = reinterpret_cast<Bytef*>(out.data());
  stream.avail_out = static_cast<uInt>(out.size());
  int status = deflate(&stream, Z_FINISH);
  out.resize(stream.total_out);
  deflateEnd(&stream);
  if (status != Z_STREAM_END) throw std::runtime_error("gzip compression failed");
  return out;
}

}  // namespace orvane::service::http
