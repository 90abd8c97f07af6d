#include <orvane/quick/media/story_video_source.h>

#include <QCoreApplication>
#include <QMetaObject>

#include <orvane/quick/media/story_video_device.h>
#include <orvane/quick/platform/qt_console.h>

namespace orvane::quick {

StoryVideoSource::StoryVideoSource(QObject* parent) : QObject(parent) {}

StoryVideoSource::~StoryVideoSource() { release(); }

void StoryVideoSource::setUrl(const QUrl& url) {
  if (url == url_) return;
  url_ = url;
  emit urlChanged();
  load();
}

void StoryVideoSource::setPlayer(QMediaPlayer* player) {
  if (player == player_) return;
  release();
  player_ = player;
  emit playerChanged();
  load();
}

void StoryVideoSource::setStreams(std::shared_ptr<VideoStreams> streams) { streams_ = std::move(streams); }

void StoryVideoSource::release() {
  if (device_) {
    // A read waiting on the backend's thread ends first, so the player can let go of the device.
    device_->abandon();
    if (player_ && player_->sourceDevice() == device_) player_->setSourceDevice(nullptr);
    device_->deleteLater();
  }
  device_ = nullptr;
  if (stream_ && listener_ >= 0) stream_->removeListener(listener_);
  listener_ = -1;
  // Other views of the URL, and the prefetch, may keep the stream going; otherwise it stops here.
  stream_.reset();
}

void StoryVideoSource::load() {
  const auto generation = ++generation_;
  release();
  setBuffering(false);
  if (url_.isEmpty() || !player_) {
    setStatus(Null);
    return;
  }
  // Local files, resources and the backend's other schemes never come from the service's media.
  const auto scheme = url_.scheme().toLower();
  const auto url = Url::parse(url_.toString(QUrl::FullyEncoded).toStdString());
  if ((scheme != "http" && scheme != "https") || !url || url_.host().isEmpty()) {
    setStatus(Error);
    return;
  }
  auto& streams = streams_ ? *streams_ : VideoStreams::shared();
  stream_ = streams.stream(*url);
  listener_ = stream_->addListener([self = QPointer<StoryVideoSource>(this), generation] {
    auto* application = QCoreApplication::instance();
    if (application == nullptr) return;
    QMetaObject::invokeMethod(
        application,
        [self, generation] {
          if (self) self->streamChanged(generation);
        },
        Qt::QueuedConnection);
  });
  setStatus(Loading);
  stream_->start();
  // A prefetched stream may be ready already; the player is given it once the QML around it has
  // finished setting up (its video output among them), as when the bytes come over the network.
  QMetaObject::invokeMethod(this, [this, generation] { streamChanged(generation); }, Qt::QueuedConnection);
}

void StoryVideoSource::streamChanged(std::uint64_t generation) {
  if (generation != generation_ || !stream_ || !player_) return;
  switch (stream_->state()) {
    case VideoStream::State::opening:
      return;
    case VideoStream::State::failed:
      qCWarning(storiesLog).noquote() << "Story video" << url_.toString(QUrl::RemoveQuery | QUrl::RemoveUserInfo)
                                      << "refused:" << QString::fromStdString(stream_->failure());
      release();
      setBuffering(false);
      setStatus(Error);
      return;
    case VideoStream::State::ready:
      break;
  }
  if (!device_) {
    auto* device = new StoryVideoDevice(stream_, this);
    // Unbuffered: the stream's window is the only copy of the bytes.
    device->open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    device_ = device;
    setStatus(Ready);
    // No URL, not even a file name: the backend would take its extension as a demuxer hint and its
    // location as the base of relative references.
    player_->setSourceDevice(device);
    player_->play();
  }
  setBuffering(stream_ && stream_->waiting());
}

void StoryVideoSource::setStatus(Status status) {
  if (status == status_) return;
  status_ = status;
  emit statusChanged();
}

void StoryVideoSource::setBuffering(bool buffering) {
  if (buffering == buffering_) return;
  buffering_ = buffering;
  emit bufferingChanged();
}

}  // namespace orvane::quick
