#include <gtest/gtest.h>

#include <QEventLoop>
#include <QMediaPlayer>
#include <QTimer>
#include <QVideoFrame>
#include <QVideoSink>
#include <cmath>
#include <limits>

#include <orvane/quick/media/story_video_source.h>

#include "local_content_service.h"
#include "placeholders/placeholder_picture.h"

namespace orvane::quick {
namespace {

constexpr int kWidth = 144, kHeight = 256, kSeconds = 2, kFramesPerSecond = 8;

// Mean difference per channel between a decoded picture and the placeholder with its band at
// `position`.
double meanDifference(const QImage& shown, double position) {
  const auto expected = service::placeholders::placeholderPixels("intro", kWidth, kHeight, position);
  double total = 0;
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      const QRgb pixel = shown.pixel(x, y);
      const auto* want = &expected[(static_cast<std::size_t>(y) * kWidth + x) * 3];
      total += std::abs(qRed(pixel) - want[0]) + std::abs(qGreen(pixel) - want[1]) +
               std::abs(qBlue(pixel) - want[2]);
    }
  }
  return total / (kWidth * kHeight * 3.0);
}

// The closest of the video's frames to a decoded picture.
double closestFrameDifference(const QImage& shown) {
  constexpr int frames = kSeconds * kFramesPerSecond;
  double best = std::numeric_limits<double>::max();
  for (int frame = 0; frame < frames; ++frame)
    best = std::min(best, meanDifference(shown, frame / (frames - 1.0)));
  return best;
}

TEST(ServedVideo, TheMediaBackendDecodesTheFramesAsTheyWereMade) {
  service::LocalContentService service(ORVANE_SAMPLE_CONTENT_DIR);
  service.start();

  QMediaPlayer player;
  QVideoSink sink;
  player.setVideoSink(&sink);
  QEventLoop loop;
  QImage decoded;
  QObject::connect(&sink, &QVideoSink::videoFrameChanged, &loop, [&](const QVideoFrame& frame) {
    if (!frame.isValid() || !decoded.isNull()) return;
    decoded = frame.toImage().convertToFormat(QImage::Format_RGB32);
    loop.quit();
  });
  QObject::connect(&player, &QMediaPlayer::errorOccurred, &loop,
                   [&](QMediaPlayer::Error, const QString& why) {
                     ADD_FAILURE() << why.toStdString();
                     loop.quit();
                   });
  QTimer::singleShot(15000, &loop, &QEventLoop::quit);
  // As the views play it: fetched by the SDK, checked, and handed over as a device without a name.
  StoryVideoSource source;
  QObject::connect(&source, &StoryVideoSource::statusChanged, &loop, [&] {
    if (source.status() != StoryVideoSource::Error) return;
    ADD_FAILURE() << "the source refused the sample video";
    loop.quit();
  });
  source.setPlayer(&player);
  source.setUrl(
      QUrl(QString::fromStdString(service.origin() + "/videos/intro.avi?s=" + std::to_string(kSeconds))));
  loop.exec();
  player.stop();

  ASSERT_FALSE(decoded.isNull()) << "no frame within 15 s";
  ASSERT_EQ(decoded.size(), QSize(kWidth, kHeight));
  // Compression leaves about one level; colours stretched to the wrong range are off by about
  // five, a misread frame by tens.
  EXPECT_LT(closestFrameDifference(decoded), 3.0);
}

}  // namespace
}  // namespace orvane::quick
