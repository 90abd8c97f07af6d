#include <orvane/quick/media/story_video_source.h>

#include <QBuffer>
#include <QCoreApplication>
#include <QMediaPlayer>
#include <QMetaObject>

#include <orvane/media/video_container.h>
#include <orvane/platform/platform.h>
#include <orvane/quick/platform/qt_console.h>

namespace orvane::quick {
namespace {

bool isSuccess(const HttpResult& result) {
  return !result.error && result.response && result.response->statusCode >= 200 &&
         result.response->statusCode < 300 && result.data && !result.data->empty();
}

}  // namespace

StoryVideoSource::StoryVideoSource(QObject* parent) : QObject(parent) {}

StoryVideoSource::~StoryVideoSource() {
  download_.request_stop();
  // The player may outlive this object; it must not read a buffer that goes with it.
  if (player_ && buffer_ && player_->sourceDevice() == buffer_) player_->setSourceDevice(nullptr);
}

void StoryVideoSource::setUrl(const QUrl& url) {
  if (url == url_) return;
  url_ = url;
  emit urlChanged();
  load();
}

void StoryVideoSource::setPlayer(QMediaPlayer* player) {
  if (player == player_) return;
  if (player_ && buffer_ && player_->sourceDevice() == buffer_) player_->setSourceDevice(nullptr);
  player_ = player;
  emit playerChanged();
  load();
}

void StoryVideoSource::setSession(std::shared_ptr<HttpSession> session) { session_ = std::move(session); }

void StoryVideoSource::load() {
  const auto generation = ++generation_;
  download_.request_stop();
  download_ = std::stop_source();
  if (player_) player_->setSourceDevice(nullptr);
  if (buffer_) buffer_->deleteLater();
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
  auto session = session_ ? session_ : Platform::current().http;
  if (!session) {
    setStatus(Error);
    return;
  }
  setStatus(Loading);
  HttpRequest request{.url = *url, .headers = {}, .body = std::nullopt, .maxResponseBytes = std::nullopt};
  request.redirects = HttpRequest::Redirects::toHttps;
  request.lane = HttpRequest::Lane::media;
  request.cancellation = download_.get_token();
  session->send(std::move(request), [self = QPointer<StoryVideoSource>(this), generation](HttpResult result) {
    auto* application = QCoreApplication::instance();
    if (application == nullptr) return;
    QMetaObject::invokeMethod(
        application,
        [self, generation, result = std::move(result)] {
          if (self) self->finishLoad(generation, result);
        },
        Qt::QueuedConnection);
  });
}

void StoryVideoSource::finishLoad(std::uint64_t generation, const HttpResult& result) {
  if (generation != generation_ || !player_) return;
  if (!isSuccess(result)) {
    setStatus(Error);
    return;
  }
  // The backend picks its demuxer from the bytes, and some demuxers fetch and open what the bytes
  // name: only containers that hold all their media get through.
  const auto check = checkVideoContainer(*result.data);
  if (!check.container) {
    qCWarning(storiesLog).noquote() << "Story video" << url_.toString(QUrl::RemoveQuery | QUrl::RemoveUserInfo)
                                    << "refused:" << QString::fromStdString(check.refusal);
    setStatus(Error);
    return;
  }
  auto* buffer = new QBuffer(this);
  buffer->setData(QByteArray::fromStdString(*result.data));
  buffer->open(QIODevice::ReadOnly);
  buffer_ = buffer;
  // No URL, not even a file name: the backend would take its extension as a demuxer hint and its
  // location as the base of relative references.
  player_->setSourceDevice(buffer);
  setStatus(Ready);
  player_->play();
}

void StoryVideoSource::setStatus(Status status) {
  if (status == status_) return;
  status_ = status;
  emit statusChanged();
}

}  // namespace orvane::quick
