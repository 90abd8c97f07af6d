#include "avi_video.h"

#include <algorithm>
#include <stdexcept>
#include <vector>

#include "jpeg_image.h"
#include "placeholder_picture.h"

namespace orvane::service::placeholders {
namespace {

void put32(std::string& out, std::uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<char>((value >> shift) & 0xFF));
}

void put16(std::string& out, std::uint16_t value) {
  out.push_back(static_cast<char>(value & 0xFF));
  out.push_back(static_cast<char>(value >> 8));
}

void putChunk(std::string& out, std::string_view fourcc, const std::string& data) {
  out += fourcc;
  put32(out, static_cast<std::uint32_t>(data.size()));
  out += data;
  if (data.size() % 2 != 0) out.push_back('\0');  // chunks are word aligned
}

std::string list(std::string_view type, const std::string& content) {
  std::string body(type);
  body += content;
  std::string out;
  putChunk(out, "LIST", body);
  return out;
}

}  // namespace

std::string placeholderAvi(std::string_view name, std::uint32_t width, std::uint32_t height,
                           std::uint32_t seconds, std::uint32_t framesPerSecond) {
  if (width == 0 || height == 0 || seconds == 0 || framesPerSecond == 0)
    throw std::invalid_argument("a video needs sides, a length and a frame rate");
  const std::uint32_t frames = seconds * framesPerSecond;

  std::string movie, index;
  std::uint32_t offset = 4;  // offsets count from the "movi" type
  std::uint32_t largestFrame = 0;
  for (std::uint32_t frame = 0; frame < frames; ++frame) {
    const double position = frames > 1 ? static_cast<double>(frame) / (frames - 1) : 0.0;
    const auto jpeg = videoRangeJpeg(placeholderPixels(name, width, height, position), width, height);
    const auto size = static_cast<std::uint32_t>(jpeg.size());
    putChunk(movie, "00dc", jpeg);
    index += "00dc";
    put32(index, 0x10);  // key frame
    put32(index, offset);
    put32(index, size);
    offset += 8 + size + size % 2;
    largestFrame = std::max(largestFrame, size);
  }

  std::string mainHeader;
  put32(mainHeader, 1'000'000 / framesPerSecond);     // microseconds per frame
  put32(mainHeader, largestFrame * framesPerSecond);  // max bytes per second
  put32(mainHeader, 0);                               // padding granularity
  put32(mainHeader, 0x10);                            // has an index
  put32(mainHeader, frames);
  put32(mainHeader, 0);  // initial frames
  put32(mainHeader, 1);  // streams
  put32(mainHeader, largestFrame);
  put32(mainHeader, width);
  put32(mainHeader, height);
  for (int reserved = 0; reserved < 4; ++reserved) put32(mainHeader, 0);

  std::string streamHeader = "vidsMJPG";
  put32(streamHeader, 0);  // flags
  put16(streamHeader, 0);  // priority
  put16(streamHeader, 0);  // language
  put32(streamHeader, 0);  // initial frames
  put32(streamHeader, 1);  // scale
  put32(streamHeader, framesPerSecond);
  put32(streamHeader, 0);  // start
  put32(streamHeader, frames);
  put32(streamHeader, largestFrame);
  put32(streamHeader, 0xFFFFFFFF);  // default quality
  put32(streamHeader, 0);           // sample size varies
  put16(streamHeader, 0);
  put16(streamHeader, 0);
  put16(streamHeader, static_cast<std::uint16_t>(width));
  put16(streamHeader, static_cast<std::uint16_t>(height));

  std::string format;
  put32(format, 40);
  put32(format, width);
  put32(format, height);
  put16(format, 1);   // planes
  put16(format, 24);  // bits per pixel once decoded
  format += "MJPG";   // compression
  put32(format, width * height * 3);
  for (int unused = 0; unused < 4; ++unused) put32(format, 0);

  std::string streamList, headerList;
  putChunk(streamList, "strh", streamHeader);
  putChunk(streamList, "strf", format);
  putChunk(headerList, "avih", mainHeader);
  headerList += list("strl", streamList);

  std::string body = "AVI ";
  body += list("hdrl", headerList);
  body += list("movi", movie);
  putChunk(body, "idx1", index);
  std::string file;
  putChunk(file, "RIFF", body);
  return file;
}

}  // namespace orvane::service::placeholders
