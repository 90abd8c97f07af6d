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

#include <orvane/platform/curl_http_session.h>
#include "../platform/local_http_server.h"
#include "../platform/self_signed_certificate.h"

namespace orvane::quick {
namespace {

using namespace std::chrono_literals;

// An HTTPS server on loopback with a certificate of its own making, serving one video file.
struct VideoServer {
  VideoServer() {
    server.routes().Get("/clip.avi", [this](const httplib::Request&, httplib::Response& response) {
      ++requests;
      response.set_content(std::string(4096, 'v'), "video/x-msvideo");
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
  component.setData("import OrvaneStories\nStoryVideoView { width: 64; height: 64 }\n", QUrl());
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
  source.setSession(std::make_shared<CurlHttpSession>(trusting));
  source.setPlayer(&player);
  source.setUrl(trusted.url());
  ASSERT_TRUE(processEventsUntil([&] { return source.status() != StoryVideoSource::Loading; }));

  EXPECT_EQ(source.status(), StoryVideoSource::Ready);
  EXPECT_EQ(trusted.requests, 1);
  ASSERT_NE(player.sourceDevice(), nullptr);
  EXPECT_EQ(player.sourceDevice()->size(), 4096);
  EXPECT_TRUE(player.source().host().isEmpty()) << "the backend never gets a network address";

  // A new URL replaces the device; a refused one leaves the player without any.
  source.setUrl(QUrl("qrc:/clip.avi"));
  EXPECT_EQ(source.status(), StoryVideoSource::Error);
  EXPECT_EQ(player.sourceDevice(), nullptr);
}

}  // namespace
}  // namespace orvane::quick
