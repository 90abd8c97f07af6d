#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include <orvane/media/video_streams.h>
#include <orvane/storage/cache_folders.h>
#include <orvane/storage/sha256.h>
#include "support/fake_platform.h"
#include "support/temporary_folder.h"

namespace orvane::testing {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Headers = std::vector<std::pair<std::string, std::string>>;

const Url kClip = *Url::parse("https://video.example.com/clip.mp4");

std::string bigEndian(std::uint64_t value, int width) {
  std::string bytes;
  for (int shift = (width - 1) * 8; shift >= 0; shift -= 8) bytes += static_cast<char>((value >> shift) & 0xFF);
  return bytes;
}

std::string box(std::string_view type, const std::string& body) {
  return bigEndian(body.size() + 8, 4) + std::string(type) + body;
}

// A self-contained MP4 whose frames are a counting pattern, so any misplaced byte shows.
std::string mp4(std::size_t mediaBytes) {
  const std::string dref = box("dref", bigEndian(0, 4) + bigEndian(1, 4) + box("url ", bigEndian(1, 4)));
  const auto movie = box("moov", box("trak", box("mdia", box("minf", box("dinf", dref)))));
  std::string frames(mediaBytes, '\0');
  for (std::size_t i = 0; i < frames.size(); ++i) frames[i] = static_cast<char>(i * 7 + i / 251);
  return box("ftyp", "isom" + bigEndian(512, 4) + "isomavc1") + movie + box("mdat", frames);
}

// One start of the app over a cache folder that outlives it, with a server that answers ranges.
struct AppRun {
  AppRun(const TemporaryFolder& folder, std::string file, Headers headers = {{"Cache-Control", "max-age=3600"}}) {
    platform.cacheDirectory = folder.string();
    streams = std::make_unique<VideoStreams>(platform.platform());
    platform.http->setResponder([this, file = std::move(file), headers = std::move(headers)](const HttpRequest& request) {
      if (offline) return ScriptedHttpSession::failure();
      const auto* asked = request.header("If-None-Match");
      const auto etag = std::find_if(headers.begin(), headers.end(), [](const auto& h) { return h.first == "ETag"; });
      if (asked) ++revalidations;
      if (asked && etag != headers.end() && *asked == etag->second) return ScriptedHttpSession::withHeaders(304, {}, headers);
      const auto* range = request.header("Range");
      const auto dash = range->find('-');
      const auto first = std::stoull(range->substr(6, dash - 6));
      const auto last = std::min<std::uint64_t>(std::stoull(range->substr(dash + 1)), file.size() - 1);
      auto answer = ScriptedHttpSession::withHeaders(206, file.substr(first, last - first + 1), headers);
      answer.response->headers.emplace_back("Content-Range", "bytes " + std::to_string(first) + "-" +
                                                                 std::to_string(last) + "/" +
                                                                 std::to_string(file.size()));
      return answer;
    });
  }

  std::shared_ptr<DiskCache> disk() const { return mediaDiskCache(platform.platform()); }
  std::shared_ptr<VideoStream> open() {
    auto stream = streams->stream(kClip);
    stream->start();
    return stream;
  }
  // Reads from `offset` to the end as a player does, answering requests as they come.
  std::string readFrom(VideoStream& stream, std::uint64_t offset = 0) {
    std::string read;
    std::vector<char> buffer(64 << 10);
    for (;;) {
      const auto got = stream.read(offset + read.size(), buffer.data(), buffer.size(), {}, 0ms);
      if (got < 0) break;
      if (got > 0) {
        read.append(buffer.data(), static_cast<std::size_t>(got));
        continue;
      }
      if (stream.size() && offset + read.size() >= *stream.size()) break;
      const bool workersBusy = platform.workers->waitUntilIdle();
      if (platform.http->deliver() == 0 && !workersBusy) break;
    }
    return read;
  }
  std::size_t requestCount() const { return platform.http->requests().size(); }

  FakePlatform platform;
  std::unique_ptr<VideoStreams> streams;
  bool offline = false;
  int revalidations = 0;
};

std::size_t filesIn(const fs::path& folder) {
  std::size_t count = 0;
  std::error_code error;
  for (fs::recursive_directory_iterator it(folder, error), end; !error && it != end; it.increment(error))
    count += it->is_regular_file() ? 1 : 0;
  return count;
}

class CachedVideoTest : public ::testing::Test {
 protected:
  // Streams the file whole in one run of the app; what the next run then asks of the network.
  std::size_t requestsOfTheNextRun(Headers headers = {{"Cache-Control", "max-age=3600"}}) {
    {
      AppRun first(folder, file, headers);
      auto stream = first.open();
      EXPECT_EQ(first.readFrom(*stream), file);
    }
    AppRun next(folder, file, headers);
    auto stream = next.open();
    EXPECT_EQ(next.readFrom(*stream), file);
    return next.requestCount();
  }

  TemporaryFolder folder;
  std::string file = mp4(3 << 20);
};

TEST_F(CachedVideoTest, AVideoStreamedWholePlaysFromTheDiskAfterARestart) {
  EXPECT_EQ(requestsOfTheNextRun({{"Cache-Control", "max-age=3600"}, {"ETag", "\"v1\""}}), 0u);

  // Seeking within the kept file is answered from the disk too.
  AppRun later(folder, file);
  auto stream = later.open();
  EXPECT_EQ(later.readFrom(*stream, 2 << 20), file.substr(2 << 20));
  EXPECT_EQ(later.requestCount(), 0u);
}

TEST_F(CachedVideoTest, WhatTheOriginForbidsOrOutdatesIsFetchedAgain) {
  EXPECT_GT(requestsOfTheNextRun({{"Cache-Control", "no-store"}}), 0u);
  EXPECT_EQ(filesIn(folder.path()), 0u);
  // Kept, but never played unasked once stale, nor offline.
  EXPECT_GT(requestsOfTheNextRun({{"Cache-Control", "no-cache"}, {"ETag", "\"v1\""}}), 0u);
  AppRun offline(folder, file, {{"Cache-Control", "no-cache"}});
  offline.offline = true;
  auto stream = offline.open();
  EXPECT_FALSE(offline.readFrom(*stream) == file);
}

TEST_F(CachedVideoTest, AStaleVideoTheOriginConfirmsOrCannotBeAskedAboutPlaysFromTheDisk) {
  const Headers unchanged{{"Cache-Control", "max-age=0"}, {"ETag", "\"v1\""}};
  {
    AppRun first(folder, file, unchanged);
    auto stream = first.open();
    ASSERT_EQ(first.readFrom(*stream), file);
  }
  {
    // A 304 carries no bytes: whatever plays came from the disk.
    AppRun confirmed(folder, file, unchanged);
    auto stream = confirmed.open();
    EXPECT_TRUE(confirmed.readFrom(*stream) == file);
    EXPECT_GT(confirmed.revalidations, 0);
    EXPECT_EQ(confirmed.revalidations, static_cast<int>(confirmed.requestCount()));
  }
  AppRun offline(folder, file, unchanged);
  offline.offline = true;
  auto stream = offline.open();
  EXPECT_TRUE(offline.readFrom(*stream) == file);
}

TEST_F(CachedVideoTest, AStaleVideoTheOriginChangedIsReplaced) {
  {
    AppRun first(folder, file, {{"Cache-Control", "max-age=0"}, {"ETag", "\"v1\""}});
    auto stream = first.open();
    ASSERT_EQ(first.readFrom(*stream), file);
  }
  const std::string changed = mp4(2 << 20);
  const Headers second{{"Cache-Control", "max-age=3600"}, {"ETag", "\"v2\""}};
  {
    AppRun newer(folder, changed, second);
    auto stream = newer.open();
    EXPECT_TRUE(newer.readFrom(*stream) == changed);
  }
  AppRun later(folder, changed, second);
  auto stream = later.open();
  EXPECT_TRUE(later.readFrom(*stream) == changed);
  EXPECT_EQ(later.requestCount(), 0u);
}

TEST_F(CachedVideoTest, AVideoSeekedMidWayIsNotKeptHalf) {
  {
    AppRun run(folder, file);
    auto stream = run.open();
    std::vector<char> buffer(1000);
    run.platform.workers->waitUntilIdle();
    run.platform.http->deliver();
    run.platform.workers->waitUntilIdle();
    ASSERT_GT(stream->read(0, buffer.data(), buffer.size(), {}, 0ms), 0);
    EXPECT_EQ(run.readFrom(*stream, 2 << 20), file.substr(2 << 20));
    EXPECT_FALSE(run.disk()->find(kClip.string()));
  }
  // Nor is anything of it left behind once the app lets go of it.
  EXPECT_EQ(filesIn(folder.path()), 0u);
}

TEST_F(CachedVideoTest, AVideoLargerThanAQuarterOfTheCacheIsNotKept) {
  AppRun run(folder, file);
  run.disk()->setMaxBytes(8 << 20);
  auto stream = run.open();
  EXPECT_EQ(run.readFrom(*stream), file);
  EXPECT_FALSE(run.disk()->find(kClip.string()));
}

TEST_F(CachedVideoTest, ADamagedEntryFallsBackToTheNetwork) {
  {
    AppRun first(folder, file);
    auto stream = first.open();
    ASSERT_EQ(first.readFrom(*stream), file);
  }
  const auto entry = folder.path() / "media" / sha256Hex(kClip.string());
  ASSERT_TRUE(fs::exists(entry));
  fs::resize_file(entry, fs::file_size(entry) - 7);

  AppRun next(folder, file);
  auto stream = next.open();
  EXPECT_EQ(next.readFrom(*stream), file);
  EXPECT_GT(next.requestCount(), 0u);
}

}  // namespace
}  // namespace orvane::testing
