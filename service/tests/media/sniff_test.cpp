#include "media/sniff.h"

#include <string>

#include <gtest/gtest.h>

namespace orvane::service::media {
namespace {

std::string bytes(std::string_view head, std::size_t padding = 32) {
  return std::string(head) + std::string(padding, '\0');
}

TEST(Sniff, RecognisesEachAcceptedKindByItsBytes) {
  struct Case {
    std::string bytes;
    std::string_view contentType;
    MediaKind kind;
  };
  const Case cases[] = {
      {bytes("\x89PNG\r\n\x1A\n"), "image/png", MediaKind::image},
      {bytes("\xFF\xD8\xFF\xE0"), "image/jpeg", MediaKind::image},
      {bytes("GIF89a"), "image/gif", MediaKind::image},
      {bytes("GIF87a"), "image/gif", MediaKind::image},
      {bytes(std::string("RIFF\x10\0\0\0WEBPVP8 ", 16)), "image/webp", MediaKind::image},
      {bytes(std::string("RIFF\x10\0\0\0AVI LIST", 16)), "video/x-msvideo", MediaKind::video},
      {bytes(std::string("\0\0\0\x20"
                         "ftypisom",
                         12)),
       "video/mp4", MediaKind::video},
      {bytes(std::string("\0\0\0\x14"
                         "ftypqt  ",
                         12)),
       "video/quicktime", MediaKind::video},
      {bytes("\x1A\x45\xDF\xA3\x9F\x42\x86\x81\x01\x42\x82\x84webm"), "video/webm", MediaKind::video},
      {bytes("\x1A\x45\xDF\xA3\x9F\x42\x86\x81\x01\x42\x82\x88matroska"), "video/x-matroska",
       MediaKind::video},
  };
  for (const Case& c : cases) {
    const Sniffed sniffed = sniff(c.bytes);
    ASSERT_TRUE(sniffed.type) << c.contentType << ": " << sniffed.refusal;
    EXPECT_EQ(sniffed.type->contentType, c.contentType);
    EXPECT_EQ(sniffed.type->kind, c.kind);
    EXPECT_EQ(extensionFor(sniffed.type->contentType), sniffed.type->extension);
  }
}

TEST(Sniff, RefusesPlaylistsMarkupAndUnknownBytesWithAReason) {
  struct Case {
    std::string bytes;
    std::string_view reasonPart;
  };
  const Case cases[] = {
      {"#EXTM3U\n#EXT-X-VERSION:3\n#EXTINF:4,\nhttp://example.com/a.ts\n", "HLS"},
      {"\xEF\xBB\xBF  #EXTM3U\n", "HLS"},
      {"<!DOCTYPE html><html><script>alert(1)</script></html>", "HTML"},
      {"<?xml version=\"1.0\"?><svg xmlns=\"http://www.w3.org/2000/svg\"/>", "SVG"},
      {"\n<svg onload=\"alert(1)\"/>", "SVG"},
      {bytes(std::string("RIFF\x10\0\0\0WAVEfmt ", 16)), "RIFF"},
      {bytes(std::string("\0\0\0\x1C"
                         "ftypavif",
                         12)),
       "AVIF"},
      {"just some text", "no accepted type"},
      {"", "empty"},
      {"\x89PN", "no accepted type"},
  };
  for (const Case& c : cases) {
    const Sniffed sniffed = sniff(c.bytes);
    EXPECT_FALSE(sniffed.type) << c.bytes;
    EXPECT_NE(sniffed.refusal.find(c.reasonPart), std::string::npos) << sniffed.refusal;
  }
}

}  // namespace
}  // namespace orvane::service::media
