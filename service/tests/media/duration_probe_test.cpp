#include "media/duration_probe.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <stdexcept>

#include <gtest/gtest.h>

#include "sample_video.h"
#include "temporary_folder.h"

namespace orvane::service::media {
namespace {

TEST(DurationProbe, MeasuresAGeneratedVideoInEachContainer) {
  TemporaryFolder folder;
  for (const auto& [extension, demuxer] : {std::pair{"mp4", "mov"}, {"webm", "matroska"}, {"avi", "avi"}}) {
    const auto video = makeSampleVideo(folder.path(), extension, 2);
    if (!video) GTEST_SKIP() << "ffmpeg not found: skipping";
    const ProbeResult probed = probeDuration(*video, demuxer, {});
    ASSERT_EQ(probed.status, ProbeResult::Status::measured) << extension;
    EXPECT_NEAR(*probed.seconds, 2.0, 0.1) << extension;
  }
}

TEST(DurationProbe, AcceptsAStreamedVideoThatDoesNotSayItsLength) {
  // Browsers record WebM this way: written as a stream, with no length in its header.
  TemporaryFolder folder;
  const auto video = folder.path() / "streamed.webm";
  const std::string command =
      "ffmpeg -nostdin -v error -f lavfi -i testsrc=size=64x48:rate=10:duration=1 -c:v libvpx "
      "-f webm pipe:1 > '" +
      video.string() + "'";
  if (std::system(command.c_str()) != 0) GTEST_SKIP() << "ffmpeg not found: skipping";
  const ProbeResult probed = probeDuration(video, "matroska", {});
  EXPECT_EQ(probed.status, ProbeResult::Status::measured);
  EXPECT_FALSE(probed.seconds);
}

TEST(DurationProbe, TellsAnUnreadableFileFromAMissingTool) {
  TemporaryFolder folder;
  const auto garbage = folder.path() / "garbage";
  std::ofstream(garbage, std::ios::binary) << std::string(
                                                  "\0\0\0\x20"
                                                  "ftypisom",
                                                  12)
                                           << std::string(500, 'x');
  EXPECT_EQ(probeDuration(garbage, "mov", {}).status, ProbeResult::Status::unreadable);

  ProbeOptions missing;
  missing.ffprobe = folder.path() / "no-such-ffprobe";
  EXPECT_EQ(probeDuration(garbage, "mov", missing).status, ProbeResult::Status::unavailable);
}

// A listening socket on a free local port that tells whether anyone connected.
class Listener {
 public:
  Listener() : fd_(::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0)) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    auto* raw = reinterpret_cast<sockaddr*>(&address);
    if (::bind(fd_, raw, length) != 0 || ::listen(fd_, 8) != 0 || ::getsockname(fd_, raw, &length) != 0) {
      throw std::runtime_error("cannot listen");
    }
    port_ = ntohs(address.sin_port);
  }
  ~Listener() { ::close(fd_); }
  int port() const { return port_; }
  bool connected() const {
    const int accepted = ::accept(fd_, nullptr, nullptr);
    if (accepted >= 0) ::close(accepted);
    return accepted >= 0;
  }

 private:
  int fd_;
  int port_ = 0;
};

TEST(DurationProbe, NeverFollowsAFileToAnotherProtocol) {
  TemporaryFolder folder;
  Listener listener;
  const std::string url = "http://127.0.0.1:" + std::to_string(listener.port()) + "/a.ts";
  const auto playlist = folder.path() / "list.m3u8";
  std::ofstream(playlist) << "#EXTM3U\n#EXT-X-TARGETDURATION:4\n#EXTINF:4,\n" << url << "\n#EXT-X-ENDLIST\n";
  const auto concat = folder.path() / "list.txt";
  std::ofstream(concat) << "ffconcat version 1.0\nfile '" << url << "'\n";

  EXPECT_NE(probeDuration(playlist, "hls", {}).status, ProbeResult::Status::measured);
  EXPECT_NE(probeDuration(concat, "concat", {}).status, ProbeResult::Status::measured);
  EXPECT_FALSE(listener.connected());
}

}  // namespace
}  // namespace orvane::service::media
