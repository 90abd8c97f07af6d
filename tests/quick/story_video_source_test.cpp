#include <orvane/quick/media/story_video_source.h>

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMediaPlayer>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QTemporaryFile>
#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <orvane/platform/curl_http_session.h>
#include "../platform/local_http_server.h"
#include "../platform/self_signed_certificate.h"
#include "support/scripted_http_session.h"

namespace orvane::quick {
namespace {

using namespace std::chrono_literals;

// The start of an AVI file, padded.
std::string aviBytes() {
  std::string bytes = "RIFF";
  bytes += std::string("\xF8\x0F\0\0", 4) + "AVI LIST";
  bytes.resize(4096, 'v');
  return bytes;
}

// An HTTPS server on loopback with a certificate of its own making, serving one video file.
struct VideoServer {
  explicit VideoServer(std::string body = aviBytes()) {
    server.routes().Get("/clip.avi", [this, body](const httplib::Request&, httplib::Response& response) {
      ++requests;
      response.set_content(body, "video/x-msvideo");
    });
    server.start();
  }
  QUrl url() const { return QUrl(QString::fromStdString(server.origin("https") + "/clip.avi")); }

  testing::SelfSignedCertificate certificate{"IP:127.0.0.1"};
  testing::LocalHttpServer server{
      std::make_unique<httplib::SSLServer>(certificate.certificate(), certificate.key())};
  std::atomic<int> requests{0};
};

bool processEventsUntil(const std::function<bool()>& done, std::chrono::milliseconds limit = 3s) {
  QElapsedTimer timer;
  timer.start();
  while (!done() && timer.elapsed() < limit.count())
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  return done();
}

std::unique_ptr<QQuickItem> videoView(QQmlEngine& engine, const QUrl& url) {
  QQmlComponent component(&engine);
  component.setData("import OrvaneStories.Internal\nStoryVideoView { width: 64; height: 64 }\n", QUrl());
  std::unique_ptr<QQuickItem> view(qobject_cast<QQuickItem*>(component.create()));
  EXPECT_NE(view, nullptr) << component.errorString().toStdString();
  if (view) view->setProperty("url", url);
  return view;
}

bool failed(QQuickItem& view) {
  auto* source = view.findChild<StoryVideoSource*>();
  return source != nullptr && source->status() == StoryVideoSource::Error;
}

TEST(StoryVideoView, NothingPlaysFromAServerWhoseCertificateIsNotTrusted) {
  VideoServer untrusted;
  QQmlEngine engine;
  auto view = videoView(engine, untrusted.url());
  ASSERT_NE(view, nullptr);
  processEventsUntil([&] { return untrusted.requests > 0 || failed(*view); });

  EXPECT_EQ(untrusted.requests, 0) << "the video was fetched over an unverified connection";
  auto* player = view->findChild<QMediaPlayer*>();
  ASSERT_NE(player, nullptr);
  EXPECT_EQ(player->sourceDevice(), nullptr);
  EXPECT_NE(player->playbackState(), QMediaPlayer::PlayingState);
}

TEST(StoryVideoView, LocalFilesNeverReachThePlayer) {
  QTemporaryFile file;
  ASSERT_TRUE(file.open());
  file.write(QByteArray(4096, 'v'));
  file.flush();
  QQmlEngine engine;
  auto view = videoView(engine, QUrl::fromLocalFile(file.fileName()));
  ASSERT_NE(view, nullptr);
  processEventsUntil([&] { return failed(*view); }, 1s);

  auto* player = view->findChild<QMediaPlayer*>();
  ASSERT_NE(player, nullptr);
  EXPECT_TRUE(player->source().isEmpty()) << player->source().toString().toStdString();
  EXPECT_EQ(player->sourceDevice(), nullptr);
}

TEST(StoryVideoSource, BytesFromAVerifiedServerReachThePlayerAsItsDevice) {
  VideoServer trusted;
  CurlHttpSession::Options trusting;
  trusting.caBundlePath = trusted.certificate.pemPath();
  QMediaPlayer player;
  StoryVideoSource source;
  source.setStreams(std::make_shared<VideoStreams>(std::make_shared<CurlHttpSession>(trusting)));
  source.setPlayer(&player);
  source.setUrl(trusted.url());
  ASSERT_TRUE(processEventsUntil([&] { return source.status() != StoryVideoSource::Loading; }));

  EXPECT_EQ(source.status(), StoryVideoSource::Ready);
  EXPECT_EQ(trusted.requests, 1);
  ASSERT_NE(player.sourceDevice(), nullptr);
  EXPECT_EQ(player.sourceDevice()->size(), 4096);
  EXPECT_TRUE(player.source().isEmpty()) << "the backend never gets a name to resolve";

  // A new URL replaces the device; a refused one leaves the player without any.
  source.setUrl(QUrl("qrc:/clip.avi"));
  EXPECT_EQ(source.status(), StoryVideoSource::Error);
  EXPECT_EQ(player.sourceDevice(), nullptr);
}

// Every view of a page's video (and its prefetch) plays from one download, not one each.
TEST(StoryVideoSource, ViewsOfOneVideoShareOneDownload) {
  VideoServer trusted;
  CurlHttpSession::Options trusting;
  trusting.caBundlePath = trusted.certificate.pemPath();
  auto streams = std::make_shared<VideoStreams>(std::make_shared<CurlHttpSession>(trusting));
  QMediaPlayer firstPlayer, secondPlayer, thirdPlayer;
  StoryVideoSource first, second, third;
  for (auto [source, player] : {std::pair{&first, &firstPlayer}, {&second, &secondPlayer}, {&third, &thirdPlayer}}) {
    source->setStreams(streams);
    source->setPlayer(player);
    source->setUrl(trusted.url());
  }
  ASSERT_TRUE(processEventsUntil([&] {
    return first.status() == StoryVideoSource::Ready && second.status() == StoryVideoSource::Ready &&
           third.status() == StoryVideoSource::Ready;
  }));

  EXPECT_EQ(trusted.requests, 1);
}

// A video is the largest thing the SDK downloads: it must neither queue ahead of content and votes
// nor keep the line busy once nobody is going to play it.
TEST(StoryVideoSource, DownloadsOnTheMediaLaneAndStopsWhenNoLongerWanted) {
  auto session = std::make_shared<testing::ScriptedHttpSession>();
  QMediaPlayer player;
  auto source = std::make_unique<StoryVideoSource>();
  source->setStreams(std::make_shared<VideoStreams>(session));
  source->setPlayer(&player);
  source->setUrl(QUrl("https://media.example/first.mp4"));
  source->setUrl(QUrl("https://media.example/second.mp4"));

  auto requests = session->requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[0].lane, HttpRequest::Lane::media);
  EXPECT_EQ(requests[1].lane, HttpRequest::Lane::media);
  EXPECT_TRUE(requests[0].cancellation.stop_requested()) << "the replaced video's download goes on";
  EXPECT_FALSE(requests[1].cancellation.stop_requested());

  source.reset();
  EXPECT_TRUE(requests[1].cancellation.stop_requested()) << "a destroyed page's video keeps downloading";
}

// Counts whatever reaches it: the media backend fetching what a playlist names.
struct SegmentServer {
  SegmentServer() {
    server.routes().Get(".*", [this](const httplib::Request&, httplib::Response& response) {
      ++requests;
      response.set_content(std::string(188, 'G'), "video/mp2t");
    });
    server.start();
  }
  testing::LocalHttpServer server;
  std::atomic<int> requests{0};
};

std::vector<std::string> bodiesThatAreNoVideo(const SegmentServer& segments, const QTemporaryFile& local) {
  const auto remote = segments.server.origin();
  const auto file = QUrl::fromLocalFile(local.fileName()).toString().toStdString();
  return {
      "#EXTM3U\n#EXT-X-VERSION:3\n#EXT-X-TARGETDURATION:1\n#EXTINF:1,\n" + remote +
          "/a.ts\n#EXTINF:1,\n" + file + "\n#EXTINF:1,\nrelative.ts\n#EXT-X-ENDLIST\n",
      "<?xml version=\"1.0\"?><MPD xmlns=\"urn:mpeg:dash:schema:mpd:2011\" type=\"static\"><BaseURL>" +
          remote + "/</BaseURL></MPD>",
      std::string("\x89PNG\r\n\x1A\n\0\0\0\rIHDR", 16),
  };
}

TEST(StoryVideoSource, OnlyVideoContainersThatHoldAllTheirMediaReachThePlayer) {
  SegmentServer segments;
  QTemporaryFile local;
  ASSERT_TRUE(local.open());
  local.write(QByteArray(188, 'G'));
  local.flush();
  for (const auto& body : bodiesThatAreNoVideo(segments, local)) {
    VideoServer trusted(body);
    CurlHttpSession::Options trusting;
    trusting.caBundlePath = trusted.certificate.pemPath();
    QMediaPlayer player;
    StoryVideoSource source;
    source.setStreams(std::make_shared<VideoStreams>(std::make_shared<CurlHttpSession>(trusting)));
    source.setPlayer(&player);
    source.setUrl(trusted.url());
    ASSERT_TRUE(processEventsUntil([&] { return source.status() != StoryVideoSource::Loading; }));
    // Given the bytes, the backend would fetch the segments or fail on them.
    processEventsUntil([&] {
      return source.status() == StoryVideoSource::Error || segments.requests > 0 ||
             player.mediaStatus() == QMediaPlayer::InvalidMedia || player.error() != QMediaPlayer::NoError;
    });

    EXPECT_EQ(source.status(), StoryVideoSource::Error) << body;
    EXPECT_EQ(player.sourceDevice(), nullptr);
    EXPECT_EQ(player.mediaStatus(), QMediaPlayer::NoMedia);
    EXPECT_EQ(segments.requests, 0) << "the backend fetched what the answer named";
  }
}

TEST(StoryVideoView, APlaylistServedAsTheVideoShowsThePageFailed) {
  testing::LocalHttpServer server;
  server.routes().Get("/clip.mp4", [](const httplib::Request&, httplib::Response& response) {
    // The shared transport keeps connections; the server stops without waiting one out.
    response.set_header("Connection", "close");
    response.set_content("#EXTM3U\n#EXTINF:1,\nhttp://127.0.0.1:9/a.ts\n", "video/mp4");
  });
  server.start();
  QQmlEngine engine;
  auto view = videoView(engine, QUrl(QString::fromStdString(server.origin() + "/clip.mp4")));
  ASSERT_NE(view, nullptr);
  ASSERT_TRUE(processEventsUntil([&] { return view->property("failed").toBool(); }));

  EXPECT_FALSE(view->property("loading").toBool());
  auto* player = view->findChild<QMediaPlayer*>();
  ASSERT_NE(player, nullptr);
  EXPECT_EQ(player->sourceDevice(), nullptr);
}

}  // namespace
}  // namespace orvane::quick
