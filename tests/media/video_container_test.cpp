#include <orvane/media/video_container.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace orvane {
namespace {

using namespace std::string_literals;

std::string bigEndian(std::uint64_t value, int width) {
  std::string bytes;
  for (int shift = (width - 1) * 8; shift >= 0; shift -= 8) bytes += static_cast<char>((value >> shift) & 0xFF);
  return bytes;
}

std::string box(std::string_view type, const std::string& body) {
  return bigEndian(body.size() + 8, 4) + std::string(type) + body;
}

// A data reference with one entry of the given type and flags.
std::string dataReference(std::string_view entryType, std::uint32_t flags, const std::string& location = {}) {
  const std::string entry = box(entryType, bigEndian(flags, 4) + location);
  return box("dref", bigEndian(0, 4) + bigEndian(1, 4) + entry);
}

std::string movie(const std::string& dref) {
  const std::string minf = box("minf", box("vmhd", std::string(12, '\0')) + box("dinf", dref));
  return box("moov", box("mvhd", std::string(100, '\0')) + box("trak", box("mdia", minf)));
}

const std::string kFileType = box("ftyp", "isom" + bigEndian(512, 4) + "isomiso2avc1mp41");
constexpr std::uint32_t kSelfContained = 1;

TEST(VideoContainer, TheSupportedContainersPassByTheirFirstBytes) {
  const std::string mp4 = kFileType + movie(dataReference("url ", kSelfContained)) + box("mdat", "frames");
  EXPECT_EQ(checkVideoContainer(mp4).container, VideoContainer::isoMedia);
  // The movie box may follow the media, with a 64-bit size.
  const std::string moovLast = kFileType + box("mdat", "frames") + bigEndian(1, 4) + "moov" +
                               bigEndian(movie(dataReference("alis", kSelfContained)).size() + 8, 8) +
                               movie(dataReference("alis", kSelfContained)).substr(8);
  EXPECT_EQ(checkVideoContainer(moovLast).container, VideoContainer::isoMedia);
  EXPECT_EQ(checkVideoContainer("\x1A\x45\xDF\xA3\x9F\x42\x86\x81\x01webm").container, VideoContainer::matroska);
  EXPECT_EQ(checkVideoContainer("RIFF" + bigEndian(4096, 4) + "AVI LIST").container, VideoContainer::avi);
}

TEST(VideoContainer, PlaylistsManifestsAndOtherDataAreRefusedWhateverTheirName) {
  const std::pair<std::string, std::string> refused[] = {
      {"#EXTM3U\n#EXT-X-TARGETDURATION:2\n#EXTINF:2,\nhttp://127.0.0.1:9/a.ts\nfile:///etc/passwd\n", "HLS"},
      {"\xEF\xBB\xBF#EXTM3U\nsegment.ts\n", "HLS"},
      {"<?xml version=\"1.0\"?><MPD xmlns=\"urn:mpeg:dash:schema:mpd:2011\"/>", "XML"},
      {"v=0\no=- 0 0 IN IP4 127.0.0.1\n", "SDP"},
      {"ffconcat version 1.0\nfile /etc/passwd\n", "concat"},
      {"\x89PNG\r\n\x1A\n\0\0\0\rIHDR"s, "89 50 4e 47"},
      {"RIFF\x10\0\0\0WAVEfmt "s, "52 49 46 46"},
      {"\0\0\0\x08" "ftyp"s, "no supported video container"},
      {"", "empty"},
  };
  for (const auto& [bytes, named] : refused) {
    const auto check = checkVideoContainer(bytes);
    EXPECT_FALSE(check.container) << bytes;
    EXPECT_NE(check.refusal.find(named), std::string::npos) << check.refusal;
  }
}

TEST(VideoContainer, AMovieWhoseMediaLiesElsewhereIsRefused) {
  const std::string references[] = {
      dataReference("url ", 0, "http://127.0.0.1:9/media.mov"),
      dataReference("urn ", 0, "urn:x\0file:///etc/passwd"s),
      dataReference("alis", 0, std::string(64, 'a')),
      // One self-contained entry does not vouch for the next.
      box("dref", bigEndian(0, 4) + bigEndian(2, 4) + box("url ", bigEndian(kSelfContained, 4)) +
                      box("url ", bigEndian(0, 4) + "../other.mov")),
      box("dref", bigEndian(0, 4)),
  };
  for (const auto& dref : references) {
    const auto check = checkVideoContainer(kFileType + movie(dref) + box("mdat", "frames"));
    EXPECT_FALSE(check.container);
    EXPECT_FALSE(check.refusal.empty());
  }
}

TEST(VideoContainer, BrokenBoxesAreReadWithinTheirBytes) {
  const std::string mp4 = kFileType + movie(dataReference("url ", 0, "http://127.0.0.1:9/x")) + box("mdat", "frames");
  // Every cut of the movie that still holds the outside entry's flags is refused.
  const std::size_t flagsEnd = mp4.find("url ") + 8;
  for (std::size_t size = 0; size <= mp4.size(); ++size) {
    const auto check = checkVideoContainer(std::string_view(mp4).substr(0, size));
    if (size >= flagsEnd) {
      EXPECT_FALSE(check.container) << size;
    }
  }
  // Sizes that claim too much, too little, to the end, or 64 bits of it.
  const std::string sizes[] = {bigEndian(0xFFFFFFFF, 4) + "moov", bigEndian(3, 4) + "moov",
                               bigEndian(0, 4) + "moov" + box("trak", ""), bigEndian(1, 4) + "moov" +
                                                                             bigEndian(~0ULL, 8),
                               bigEndian(1, 4) + "moov" + bigEndian(4, 8)};
  for (const auto& moov : sizes) EXPECT_EQ(checkVideoContainer(kFileType + moov).container, VideoContainer::isoMedia);
}

}  // namespace
}  // namespace orvane
