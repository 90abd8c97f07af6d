#include <orvane/media/video_stream.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <orvane/media/content_range.h>
#include <orvane/media/video_streams.h>
#include "support/scripted_http_session.h"

namespace orvane {
namespace {

using namespace std::chrono_literals;
using State = VideoStream::State;

std::string bigEndian(std::uint64_t value, int width) {
  std::string bytes;
  for (int shift = (width - 1) * 8; shift >= 0; shift -= 8) bytes += static_cast<char>((value >> shift) & 0xFF);
  return bytes;
}

std::string box(std::string_view type, const std::string& body) {
  return bigEndian(body.size() + 8, 4) + std::string(type) + body;
}

std::string movie(std::uint32_t referenceFlags) {
  const std::string dref = box("dref", bigEndian(0, 4) + bigEndian(1, 4) + box("url ", bigEndian(referenceFlags, 4)));
  return box("moov", box("trak", box("mdia", box("minf", box("dinf", dref)))));
}

const std::string kFileType = box("ftyp", "isom" + bigEndian(512, 4) + "isomavc1");
constexpr std::uint32_t kSelfContained = 1;

// An MP4 of about `mediaBytes` whose frames are a counting pattern, so any byte tells its place.
std::string mp4(std::size_t mediaBytes, bool movieFirst = true, std::uint32_t referenceFlags = kSelfContained) {
  std::string frames(mediaBytes, '\0');
  for (std::size_t i = 0; i < frames.size(); ++i) frames[i] = static_cast<char>(i * 7 + i / 251);
  const auto media = box("mdat", frames);
  return movieFirst ? kFileType + movie(referenceFlags) + media : kFileType + media + movie(referenceFlags);
}

// How the fake server answers a range of the file.
enum class Server { honoursRanges, ignoresRanges, liesAboutRange, omitsContentRange };

struct RangeRequest {
  std::uint64_t first = 0;
  std::uint64_t last = 0;
};

std::optional<RangeRequest> askedRange(const HttpRequest& request) {
  const auto* header = request.header("Range");
  if (!header || header->rfind("bytes=", 0) != 0) return std::nullopt;
  const auto dash = header->find('-');
  return RangeRequest{std::stoull(header->substr(6, dash - 6)), std::stoull(header->substr(dash + 1))};
}

class VideoStreamTest : public ::testing::Test {
 protected:
  void serve(std::string file, Server server = Server::honoursRanges) {
    file_ = std::move(file);
    http->setResponder([this, server](const HttpRequest& request) {
      const auto range = askedRange(request);
      // The transport cuts an answer at what the request allowed.
      const auto cut = [&](HttpResult answer) {
        if (request.maxResponseBytes && answer.data->size() > *request.maxResponseBytes)
          return testing::ScriptedHttpSession::failure(TransportError::Code::tooLarge);
        return answer;
      };
      if (!range || server == Server::ignoresRanges) return cut(testing::ScriptedHttpSession::ok(file_));
      const auto last = std::min<std::uint64_t>(range->last, file_.size() - 1);
      auto answer = testing::ScriptedHttpSession::ok(
          file_.substr(static_cast<std::size_t>(range->first), static_cast<std::size_t>(last - range->first + 1)), 206);
      const auto shownFirst = server == Server::liesAboutRange ? range->first + 1 : range->first;
      if (server != Server::omitsContentRange)
        answer.response->headers.emplace_back("Content-Range", "bytes " + std::to_string(shownFirst) + "-" +
                                                                   std::to_string(last) + "/" +
                                                                   std::to_string(file_.size()));
      return cut(std::move(answer));
    });
  }

  std::shared_ptr<VideoStream> open(VideoStream::Options options = {}) {
    auto stream = VideoStream::create(*Url::parse("https://video.example.com/clip.mp4"), http, options);
    stream->start();
    return stream;
  }

  // Reads the whole file as a player does, in small reads, answering requests as they come.
  std::string readAll(VideoStream& stream, std::size_t readSize = 64 << 10) {
    std::string read;
    std::vector<char> buffer(readSize);
    while (true) {
      http->deliver();
      const auto got = stream.read(read.size(), buffer.data(), buffer.size(), {}, 0ms);
      if (got < 0) break;
      if (got == 0) {
        if (stream.size() && read.size() >= *stream.size()) break;
        if (http->pendingCount() == 0) break;  // nothing will come
        continue;
      }
      read.append(buffer.data(), static_cast<std::size_t>(got));
    }
    return read;
  }

  std::shared_ptr<testing::ScriptedHttpSession> http = std::make_shared<testing::ScriptedHttpSession>();
  std::string file_;
};

TEST(ContentRange, OnlyAPlainByteRangeInsideItsFileIsRead) {
  EXPECT_EQ(parseContentRange("bytes 0-99/1000"), (ContentRange{0, 99, 1000}));
  EXPECT_EQ(parseContentRange("bytes 999-999/1000"), (ContentRange{999, 999, 1000}));
  EXPECT_EQ(parseContentRange("bytes 0-524287/4096"), (ContentRange{0, 4095, 4096}));
  for (const auto* bad : {"bytes 0-99/*", "bytes */1000", "bytes 5-4/1000", "bytes 1000-1000/1000", "bytes -1-5/10",
                          "bytes 0-9/10x", "bits 0-9/10", "bytes 0-9/99999999999999999999", "bytes +0-9/10", ""})
    EXPECT_FALSE(parseContentRange(bad)) << bad;
}

TEST_F(VideoStreamTest, PlaysFromRangesWithinItsMemoryWhateverTheFileSize) {
  serve(mp4(40 << 20));
  VideoStream::Options options;
  auto stream = open(options);
  EXPECT_EQ(readAll(*stream), file_);

  EXPECT_EQ(stream->state(), State::ready);
  EXPECT_LE(stream->peakHeldBytes(), options.memoryBytes);
  for (const auto& request : http->requests()) {
    ASSERT_TRUE(askedRange(request));
    EXPECT_EQ(request.lane, HttpRequest::Lane::media);
    EXPECT_EQ(request.redirects, HttpRequest::Redirects::toHttps);
    EXPECT_EQ(request.header("X-API-Key"), nullptr);
    EXPECT_LE(askedRange(request)->last - askedRange(request)->first + 1, options.rangeBytes);
  }
}

TEST_F(VideoStreamTest, ASeekFetchesFromTheNewPlaceAndAFailedRequestResumesWhereItStopped) {
  serve(mp4(8 << 20));
  auto stream = open();
  http->deliver();
  ASSERT_EQ(stream->state(), State::ready);

  // A seek far ahead asks for that place next, not for everything before it.
  std::vector<char> buffer(1000);
  const std::uint64_t far = 6 << 20;
  stream->read(far, buffer.data(), buffer.size(), {}, 0ms);
  const auto seekRequest = http->requests().size() - 1;
  EXPECT_EQ(askedRange(http->requests().back())->first, far);

  // The connection drops twice; the third try brings the bytes, asked for from the same place.
  int drops = 2;
  http->setResponder([this, &drops](const HttpRequest& request) {
    if (drops-- > 0) return testing::ScriptedHttpSession::failure(TransportError::Code::connection);
    const auto range = askedRange(request);
    auto answer = testing::ScriptedHttpSession::ok(
        file_.substr(static_cast<std::size_t>(range->first), static_cast<std::size_t>(range->last - range->first + 1)),
        206);
    answer.response->headers.emplace_back("content-range", "bytes " + std::to_string(range->first) + "-" +
                                                               std::to_string(range->last) + "/" +
                                                               std::to_string(file_.size()));
    return answer;
  });
  http->deliver();
  const auto got = stream->read(far, buffer.data(), buffer.size(), {}, 0ms);
  ASSERT_EQ(got, 1000);
  EXPECT_EQ(std::string(buffer.data(), 1000), file_.substr(far, 1000));
  const auto requests = http->requests();
  ASSERT_GE(requests.size(), seekRequest + 3);
  for (auto i = seekRequest; i < seekRequest + 3; ++i) EXPECT_EQ(askedRange(requests[i])->first, far);
}

TEST_F(VideoStreamTest, AServerThatIgnoresRangesIsPlayedWholeOnlyWhenTheFileFits) {
  serve(mp4(3 << 20), Server::ignoresRanges);
  auto small = open();
  EXPECT_EQ(readAll(*small), file_);
  EXPECT_EQ(http->requests().size(), 1u);

  serve(mp4(20 << 20), Server::ignoresRanges);
  auto large = open();
  readAll(*large);
  EXPECT_EQ(large->state(), State::failed);
  EXPECT_NE(large->failure().find("whole file"), std::string::npos) << large->failure();
  EXPECT_EQ(large->heldBytes(), 0u);
}

TEST_F(VideoStreamTest, AnswersThatAreNotTheRangeAskedForFailTheStream) {
  for (auto server : {Server::liesAboutRange, Server::omitsContentRange}) {
    serve(mp4(1 << 20), server);
    auto stream = open();
    std::vector<char> buffer(100);
    http->deliver();
    EXPECT_EQ(stream->read(0, buffer.data(), buffer.size(), {}, 0ms), -1);
    EXPECT_EQ(stream->state(), State::failed);
  }
  // The file changing size between two ranges.
  serve(mp4(3 << 20));
  auto stream = open();
  http->deliver();
  file_ += "more";
  EXPECT_EQ(readAll(*stream).size() < file_.size(), true);
  EXPECT_EQ(stream->state(), State::failed);
}

TEST_F(VideoStreamTest, AMovieWhoseMediaLiesElsewhereNeverReachesAReaderWhereverItsMovieBoxIs) {
  serve(mp4(5 << 20, /*movieFirst=*/false));
  auto last = open();
  EXPECT_EQ(readAll(*last), file_) << "a movie box at the end is found by ranges";

  serve(mp4(5 << 20, /*movieFirst=*/false, /*referenceFlags=*/0));
  auto external = open();
  std::vector<char> buffer(100);
  while (http->deliver() > 0) {
  }
  EXPECT_EQ(external->read(0, buffer.data(), buffer.size(), {}, 0ms), -1);
  EXPECT_NE(external->failure().find("outside"), std::string::npos) << external->failure();

  serve("#EXTM3U\n#EXTINF:1,\nhttp://127.0.0.1:9/a.ts\n");
  auto playlist = open();
  http->deliver();
  EXPECT_EQ(playlist->state(), State::failed);
  EXPECT_NE(playlist->failure().find("HLS"), std::string::npos);
}

TEST_F(VideoStreamTest, AReaderThatWaitsIsHeardAsAStallUntilItsBytesCome) {
  serve(mp4(1 << 20));
  auto stream = open();
  http->deliver();
  int changes = 0;
  const int id = stream->addListener([&] { ++changes; });
  std::vector<char> buffer(100);
  // Nothing ahead of the reader yet: it waits, and gives up once its patience runs out.
  const auto far = stream->size().value() - 10;
  EXPECT_EQ(stream->read(far, buffer.data(), buffer.size(), {}, 1ms), 0);
  EXPECT_EQ(changes, 2) << "the wait's start and end were not both heard";
  EXPECT_FALSE(stream->waiting());
  http->deliver();
  EXPECT_EQ(stream->read(far, buffer.data(), buffer.size(), {}, 0ms), 10);
  stream->removeListener(id);
}

TEST_F(VideoStreamTest, EveryUserOfAFileSharesOneStreamAndAPrefetchFetchesOnlyItsStart) {
  serve(mp4(30 << 20));
  VideoStreams streams(http);
  const auto url = *Url::parse("https://video.example.com/clip.mp4");
  streams.prefetch({url});
  while (http->deliver() > 0) {
  }
  std::uint64_t fetched = 0;
  for (const auto& request : http->requests()) fetched += askedRange(request)->last - askedRange(request)->first + 1;
  EXPECT_GE(fetched, VideoStreams::prefetchBytes);
  EXPECT_LT(fetched, VideoStreams::prefetchBytes + VideoStream::Options{}.rangeBytes);

  auto first = streams.stream(url);
  auto second = streams.stream(url);
  EXPECT_EQ(first, second);
  EXPECT_EQ(first->state(), State::ready) << "the page opens on what the prefetch brought";
}

}  // namespace
}  // namespace orvane
